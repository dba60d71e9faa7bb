// The ODBC provider, through the driver manager's wide entry points on every platform.
#pragma once
#include <memory>
#include <string>

#include "db/Provider.h"

namespace zmw {

std::unique_ptr<DataSource> CreateOdbcSource();

// The text given to the driver: the connection text as written, except that a FILEDSN
// attribute gives way to the [ODBC] keys of its file that the text does not hold, and that
// Database and DBQ values are Windows paths put where the platform keeps those files. Every
// other byte stays. A file DSN that cannot be read is a DbError.
std::string DriverConnText(const std::string& connectionText);

}  // namespace zmw
