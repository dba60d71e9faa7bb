#include "support/Workbooks.h"

namespace zmw::test {

// libgsf, libzip and expat are part of the build.
WorkbookProvider WorkbookProviderHere() { return WorkbookProvider::Ours; }
std::string WhyNoWorkbookProvider() { return ""; }

}  // namespace zmw::test
