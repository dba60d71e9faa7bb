#include "db/RecordAccess.h"

#include "db/DbError.h"

namespace zmw {
namespace {

DataSource& Source(ConnectionHolder& connection) {
  if (!connection.Connection()) throw DbError(kEPointer);
  return *connection.Connection();
}

}  // namespace

std::int32_t ExecuteNoRecords(ConnectionHolder& connection, const std::string& statement) {
  return Source(connection).ExecuteNoRecords(statement);
}

RecordSource& OpenRecordPass(ConnectionHolder& connection, const std::string& statement) {
  auto& slot = connection.CurrentRecordSet();
  slot.reset();
  slot = Source(connection).OpenRecordSet(statement);
  if (!slot) throw DbError(kEPointer);
  return *slot;
}

void CloseRecordPass(ConnectionHolder& connection) {
  auto& slot = connection.CurrentRecordSet();
  if (!slot) throw DbError(kEPointer);
  std::unique_ptr<RecordSource> set = std::move(slot);
  set->Close();
}

PreparedCommand::PreparedCommand(ConnectionHolder& connection, const std::string& statement,
                                 const std::vector<ParameterSpec>& parameters)
    : command_(Source(connection).Prepare(statement, parameters)) {
  if (!command_) throw DbError(kEPointer);
}

void PreparedCommand::SetParameter(const std::string& name, const Variant& value) {
  command_->SetParameter(name, value);
}

void PreparedCommand::Execute() { command_->Execute(); }

}  // namespace zmw
