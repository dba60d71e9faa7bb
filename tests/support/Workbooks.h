// The Excel price lists of the tests (tests/import/workbooks, made by real spreadsheet
// writers), and which provider reads them on this platform.
#pragma once
#include <string>

namespace zmw::test {

enum class WorkbookProvider { None, Ours, Jet };
WorkbookProvider WorkbookProviderHere();
// Why there is none, for the message of a skipped test.
std::string WhyNoWorkbookProvider();

// The fixture's path as a path text this platform's programs can open.
std::string WorkbookFixture(const std::string& name);

}  // namespace zmw::test
