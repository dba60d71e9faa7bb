#include "support/Workbooks.h"

#include "support/TestEnv.h"

namespace zmw::test {

std::string WorkbookFixture(const std::string& name) { return SourceFile("tests/import/workbooks/" + name); }

}  // namespace zmw::test
