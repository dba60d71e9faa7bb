#include "db/RecordAccess.h"

#include "db/DbError.h"
#include "db/SqlRepository.h"

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

void SetCursorLocation(ConnectionHolder& connection, int location) { Source(connection).SetCursorLocation(location); }

RecordSource& OpenRecordPass(ConnectionHolder& connection, const std::string& statement) {
  auto& slot = connection.CurrentRecordSet();
  slot.reset();
  slot = Source(connection).OpenRecordSet(statement);
  if (!slot) throw DbError(kEPointer);
  return *slot;
}

bool ParameterizeQuotedTexts(const std::string& format, std::size_t count, std::string& statement) {
  std::string out;
  std::size_t found = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    // Only a whole quoted text: ' %s ' with the quotes right beside it.
    if (i == 0 || format[i - 1] != '\'' || format.compare(i, 3, "%s'") != 0) return false;
    // A doubled quote beside it is a quote inside a literal, not the literal's own.
    if ((i >= 2 && format[i - 2] == '\'') || (i + 3 < format.size() && format[i + 3] == '\'')) return false;
    out.pop_back();  // the opening quote
    out += '?';
    i += 2;          // past "s'"
    ++found;
  }
  if (found != count) return false;
  statement = out;
  return true;
}

RecordSource& OpenRecordPassWithTexts(ConnectionHolder& connection, const std::string& format,
                                      const std::vector<std::string>& texts) {
  std::string statement;
  if (ParameterizeQuotedTexts(format, texts.size(), statement)) {
    auto& slot = connection.CurrentRecordSet();
    slot.reset();
    slot = Source(connection).OpenPreparedRecordSet(statement, texts);
    if (slot) return *slot;
  }
  std::vector<SqlArg> args;
  for (const std::string& t : texts) args.emplace_back(Quoted(t));
  return OpenRecordPass(connection, FormatStatement(format, args));
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
