// libzelvomw.so needs liboltrex.so as the DLL needs Oltrex.dll: found beside it, unless the
// host puts its own first with LD_LIBRARY_PATH. The dynamic loader itself says which it takes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kBin = fs::path(ZMW_COMMAND).parent_path();

std::string Output(const std::string& command) {
  std::string out;
  char buffer[512];
  std::FILE* p = ::popen(command.c_str(), "r");
  while (p && std::fgets(buffer, sizeof buffer, p)) out += buffer;
  if (p) ::pclose(p);
  return out;
}

// The line of ldd's answer for liboltrex.so.
std::string Resolved(const std::string& environment) {
  std::string all = Output(environment + " ldd '" + (kBin / "libzelvomw.so").string() + "'");
  std::size_t at = all.find("liboltrex.so");
  return at == std::string::npos ? "(absent)\n" + all : all.substr(at, all.find('\n', at) - at);
}

TEST(ImportLibraryLink, IsFoundBesideTheLibraryUnlessTheHostPutsItsOwnFirst) {
  EXPECT_NE(Resolved("env -u LD_LIBRARY_PATH").find(fs::canonical(kBin / "liboltrex.so").string()), std::string::npos);
  std::string dynamic = Output("readelf -d '" + (kBin / "libzelvomw.so").string() + "'");
  EXPECT_NE(dynamic.find("(NEEDED)             Shared library: [liboltrex.so]"), std::string::npos) << dynamic;
  EXPECT_NE(dynamic.find("(RUNPATH)"), std::string::npos) << "RUNPATH lets LD_LIBRARY_PATH come first";
  EXPECT_EQ(dynamic.find("(RPATH)"), std::string::npos);
  char pattern[] = "/tmp/zmw-host-XXXXXX";
  fs::path host = ::mkdtemp(pattern);
  fs::copy_file(kBin / "liboltrex.so", host / "liboltrex.so");
  std::string resolved = Resolved("LD_LIBRARY_PATH='" + host.string() + "'");
  EXPECT_NE(resolved.find((host / "liboltrex.so").string()), std::string::npos) << resolved;
  fs::remove_all(host);
}

}  // namespace
