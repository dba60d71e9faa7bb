#include "support/TestEnv.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "base/FileNames.h"
#include "calc/JobItem.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Profile.h"

namespace fs = std::filesystem;

namespace zmw::test {

// Platform hooks, in the support folder of each platform.
void PreparePlatform();
void ReleasePlatform();

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::path where = platform::NativePath(path);
  fs::create_directories(where.parent_path());
  std::ofstream out(where, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(platform::NativePath(path), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(platform::NativePath(path), ec);
}

void MakeFolders(const std::string& path) {
  std::error_code ec;
  fs::create_directories(platform::NativePath(path), ec);
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(platform::NativePath(path), ec);
}

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string LastLine(const std::string& text) {
  std::string last;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) last = line;
    start = end + 1;
  }
  return last;
}

void InstallMaicoWin(const std::string& program, const char* command) {
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
  WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI",
            "[EXPORT-IMPORT]\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\nIMPORT=C:\\MAICOWIN\\EXCH\\REQUEST.TXT\r\n");
  MakeFolders("C:\\MAICOWIN\\EXCH");
  if (!program.empty()) CopyProgram(program, "C:\\MAICOWIN\\BIN\\MSERVER.EXE");
  if (command) platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "MW_CMD_STRING", command);
}

OltrexLog::OltrexLog(const std::string& folder) : file_(platform::NativePath(folder + "\\oltrex.log").string()) {
  SetEnv("ZELVOMW_OLTREX_LOG", file_);
}
OltrexLog::~OltrexLog() { UnsetEnv("ZELVOMW_OLTREX_LOG"); }
std::string OltrexLog::Text() const { return ReadHostFile(file_); }
std::string OltrexLog::Calls() const {
  std::istringstream in(Text());
  std::string calls, line;
  while (std::getline(in, line)) {
    auto call = nlohmann::json::parse(line);
    calls += call["function"].get<std::string>() + " " + call["path"].get<std::string>() + "\n";
  }
  return calls;
}

void InstallConfiguredLink(const std::string& startPath) {
  InstallMaicoWin();
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", startPath.c_str());
  WriteFile(startPath + "\\POET.CFG", "poet");
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "K1");
  platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "MAICO_FIT", "C:\\MAICOWIN\\DATI\\ARTICOLI.ASC");
}

bool SaveWidthJob(const std::string& path, const std::string& name, int positions) {
  JobItemList job;
  JobItemRecord head;
  head.JobCode.Set(name);
  job.Append(head);
  for (int pos = 1; pos <= positions; ++pos) {
    JobItemRecord r;
    r.JobCode.Set(name);
    r.PosNo.Set(std::int16_t(pos));
    r.Sub3.Set(1);
    r.Code.Set("LARGHEZZA");
    r.Kind.Set(2);
    r.Value.Set(1200);
    r.Quantity.Set(1);
    job.Append(r);
  }
  return job.Save(path);
}

std::string SourceFile(const std::string& relative) { return HostPath(std::string(ZMW_SOURCE_DIR) + "/" + relative); }

std::string CleanMachine::ZelvoMwIniPath() const { return platform::ProfileFolder() + "\\" + kZelvoMwIni; }
std::string CleanMachine::ZelvoIniPath() const { return platform::ProfileFolder() + "\\" + kZelvoIni; }

void CleanMachine::SetUp() {
  PreparePlatform();
  std::error_code ec;
  fs::remove(platform::NativePath(ZelvoMwIniPath()), ec);
  fs::remove(platform::NativePath(ZelvoIniPath()), ec);
  RemoveTree("C:\\MAICOWIN");
  scratch_ = "C:\\zmwtest";
  RemoveTree(scratch_);
  MakeFolders(scratch_);
  platform::SetUi(&ui);
  platform::SetDialogHost(&dialogs);
}

void CleanMachine::TearDown() {
  platform::SetUi(nullptr);
  platform::SetDialogHost(nullptr);
  EndProgramsUnder("C:\\");
  RemoveTree(scratch_);
  RemoveTree("C:\\MAICOWIN");
  std::error_code ec;
  fs::remove(platform::NativePath(ZelvoMwIniPath()), ec);
  fs::remove(platform::NativePath(ZelvoIniPath()), ec);
  ReleasePlatform();
}

}  // namespace zmw::test
