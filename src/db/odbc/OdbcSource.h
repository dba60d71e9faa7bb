// The ODBC provider, through the driver manager's wide entry points on every platform.
#pragma once
#include <memory>

#include "db/Provider.h"

namespace zmw {

std::unique_ptr<DataSource> CreateOdbcSource();

}  // namespace zmw
