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

// The connection's CursorLocation property (adUseClient is 3); the providers without cursors
// of their own take it and go on as before.
inline constexpr int kAdUseClient = 3;
void SetCursorLocation(ConnectionHolder& connection, int location);

// Opens the pass in the connection's slot, in place of any held before.
RecordSource& OpenRecordPass(ConnectionHolder& connection, const std::string& statement);
void CloseRecordPass(ConnectionHolder& connection);

// The pass of a statement whose conversions are all quoted texts ('%s'), with the texts put
// in: the rows are those of the literal query (the texts with their apostrophes doubled), but
// where the provider can, the statement is prepared once with the texts as parameters, so a
// lookup repeated for every line of a long input is not compiled again each time.
RecordSource& OpenRecordPassWithTexts(ConnectionHolder& connection, const std::string& format,
                                      const std::vector<std::string>& texts);
// The statement with each '%s' made a parameter "?"; false when it holds any other conversion
// or quoting, or not exactly `count` of them.
bool ParameterizeQuotedTexts(const std::string& format, std::size_t count, std::string& statement);

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
