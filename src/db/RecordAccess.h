// Statements on an open connection: without records, as a forward-only read-only pass in the
// connection's current record set slot, or as a prepared command with named parameters.
// Nothing here catches: a DbError ends the caller's step.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/Provider.h"

namespace zmw {

std::int32_t ExecuteNoRecords(ConnectionHolder& connection, const std::string& statement);

// Opens the pass in the connection's slot, in place of any held before.
RecordSource& OpenRecordPass(ConnectionHolder& connection, const std::string& statement);
void CloseRecordPass(ConnectionHolder& connection);

class PreparedCommand {
 public:
  PreparedCommand(ConnectionHolder& connection, const std::string& statement,
                  const std::vector<ParameterSpec>& parameters);
  void SetParameter(const std::string& name, const Variant& value);
  void Execute();

 private:
  std::unique_ptr<CommandSource> command_;
};

}  // namespace zmw
