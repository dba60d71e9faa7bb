#include "support/Workbooks.h"

namespace zmw::test {

// FreeXL, libzip and expat are part of the build.
WorkbookProvider WorkbookProviderHere() { return WorkbookProvider::Ours; }
std::string WhyNoWorkbookProvider() { return ""; }

}  // namespace zmw::test
