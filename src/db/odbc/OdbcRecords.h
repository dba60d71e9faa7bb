// The ODBC record pass: a forward-only pass over a statement's result, one row current at a
// time, every column of it read when it becomes current.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "db/Provider.h"
#include "db/odbc/OdbcHandle.h"

namespace zmw::odbc {

// The result of a statement run on the connection, on a statement handle of the pass's own.
std::unique_ptr<RecordSource> OpenRecords(const Handle& connection, std::string statement);

// The result of a statement that the connection has prepared and keeps: the pass binds its
// texts as the parameters, runs it, and when done leaves it prepared for the next pass.
std::unique_ptr<RecordSource> OpenPreparedRecords(const Handle& connection, const Handle& prepared,
                                                  const std::vector<std::string>& texts);

}  // namespace zmw::odbc
