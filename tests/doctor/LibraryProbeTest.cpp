// The host's import library as the check loads it: found as the link finds it, its two
// functions looked up, and unloaded again.
#include <gtest/gtest.h>

#include "platform/Libraries.h"

namespace zmw {
namespace {

TEST(LibraryProbe, FindsTheLibraryAndNamesTheFunctionsItLacks) {
  platform::LibraryProbe probe = platform::ProbeLibrary("Oltrex", {"FitImport", "KitImport"});
  EXPECT_TRUE(probe.loaded) << probe.error;
  EXPECT_NE(probe.where.find(probe.file), std::string::npos) << probe.where;
  EXPECT_TRUE(probe.missing.empty());
  probe = platform::ProbeLibrary("Oltrex", {"FitImport", "ZmwNoSuchFunction", "KitImport"});
  ASSERT_TRUE(probe.loaded) << probe.error;
  EXPECT_EQ(probe.missing, std::vector<std::string>{"ZmwNoSuchFunction"});
}

TEST(LibraryProbe, SaysWhyALibraryDoesNotLoad) {
  platform::LibraryProbe probe = platform::ProbeLibrary("ZmwNoSuchLibrary", {"FitImport"});
  EXPECT_FALSE(probe.loaded);
  EXPECT_FALSE(probe.error.empty());
  EXPECT_EQ(probe.file, platform::SharedLibraryFile("ZmwNoSuchLibrary"));
  EXPECT_TRUE(probe.where.empty());
}

}  // namespace
}  // namespace zmw
