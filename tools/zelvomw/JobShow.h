#pragma once
#include <ostream>
#include <string>

namespace zmw::tools {

// Prints a job item file (.MW or .FIT) as JSON lines: the count, then one object per record.
// Returns the exit code: 0, or 1 for a file that cannot be read or is not whole.
int ShowJobFile(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace zmw::tools
