#pragma once
#include <ostream>
#include <string>

namespace zmw::tools {

// Prints a job item file (.MW or .FIT) as JSON lines: the count, then one object per record.
// Returns the exit code: 0, or 1 for a file that cannot be read or is not whole.
int ShowJobFile(const std::string& path, std::ostream& out, std::ostream& err);

// Writes a job item file from JSON lines in the form ShowJobFile prints: one object per record
// with any of the record's fields (the others keep a new record's values); a line with "count"
// and no record fields is passed over. Returns the exit code: 0, or 1 with a message.
int MakeJobFile(std::istream& in, const std::string& path, std::ostream& err);

}  // namespace zmw::tools
