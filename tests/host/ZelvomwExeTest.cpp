// zelvomw.exe drives the real DLL file as Zelvo does: it loads ZelvoMW.DLL, calls the
// __stdcall exports and unloads it. In batch mode the boxes are answered and logged, so the
// demo's road runs without a person: the calculation with the stand-in MaicoWin as a Windows
// program, the order file, the Excel import.
#include <windows.h>

#include <gtest/gtest.h>

#include "calc/JobItem.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "platform/win32/Handles.h"
#include "support/Database.h"

namespace zmw {
namespace {

class ZelvomwExe : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    test::InstallMaicoWin(test::SimulatorProgram(), "MSERVER.EXE --idle=60");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nSerramenti\r\nA12345\r\n");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOBS\\").c_str());
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", Scratch().c_str());
    test::MakeFolders(Scratch() + "\\JOBS");
    ASSERT_TRUE(test::SaveWidthJob(Scratch() + "\\JOBS\\A123.MW", "A123"));
  }
  void TearDown() override {
    if (platform::CalcWindowExists("ZelvoMwCalc")) platform::PostQuitToCalcWindow("ZelvoMwCalc");
    test::HostDatabase::TearDown();
  }

  // Runs zelvomw.exe in batch with the arguments: its exit code, its output in out_. With
  // killAfter set, it is ended from outside (TerminateProcess) after that many milliseconds.
  int Run(const std::string& arguments, int killAfter = -1) {
    std::string program = test::HostPath(ZMW_COMMAND), outFile = Scratch() + "\\out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    platform::win32::UniqueFileHandle out(::CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOA startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out.Get();
    // The child takes this process's environment, with the batch interface asked for.
    test::SetEnv("ZELVOMW_UI", "batch");
    test::SetEnv("ZELVOMW_UI_LOG", Scratch() + "\\ui.log");
    std::string command = "\"" + program + "\" " + arguments;
    PROCESS_INFORMATION info = {};
    BOOL started = out && ::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                           &startup, &info);
    test::UnsetEnv("ZELVOMW_UI");
    test::UnsetEnv("ZELVOMW_UI_LOG");
    if (!started) return -2;
    platform::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    if (killAfter >= 0 && ::WaitForSingleObject(process.Get(), DWORD(killAfter)) == WAIT_TIMEOUT)
      ::TerminateProcess(process.Get(), 137);
    if (::WaitForSingleObject(process.Get(), 120000) != WAIT_OBJECT_0) return ::TerminateProcess(process.Get(), 99), -3;
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    out.Reset();
    out_ = test::ReadHostFile(outFile);
    return int(code);
  }
  std::string Log() const { return test::ReadHostFile(Scratch() + "\\ui.log"); }
  std::string out_;
};

TEST_F(ZelvomwExe, RunsTheDemosRoadThroughTheRealDll) {
  EXPECT_EQ(Run("LanciaCalcoloMW " + Scratch() + "\\JOBS\\A123.MW"), 0) << out_;
  EXPECT_EQ(test::LastLine(out_), "1") << out_;
  EXPECT_NE(out_.find("[Zelvo] Calcolo MaicoWin terminato."), std::string::npos) << out_;
  for (const char* logged : {"{\"kind\":\"message\",\"caption\":\"Zelvo\",\"text\":\"Calcolo MaicoWin terminato.\",\"style\":0,"
                             "\"owner\":\"none\",\"answer\":1}",
                             "{\"kind\":\"dialog\",\"template\":1002,\"event\":\"end\",\"result\":1}"})
    EXPECT_NE(Log().find(logged), std::string::npos) << Log();
  JobItemList fit;
  fit.Load(Scratch() + "\\JOBS\\A123.FIT", CountRule::EmptyWhenNotPositive);
  ASSERT_EQ(fit.Size(), 2u);
  EXPECT_EQ(fit[0].Category.Get(), "CERNIERE") << "completed from the database through the DLL's own connection";
  EXPECT_EQ(Run("Ordine2Mw ORD-2008-001 Z W"), 0) << out_;
  EXPECT_EQ(test::LastLine(out_), "0");
  EXPECT_EQ(test::ReadFile(Scratch() + "\\KBA12345.TXT").rfind("AKORD-2008-001   A12345", 0), 0u);
  EXPECT_EQ(Run("Test"), 0) << out_;
  EXPECT_EQ(test::LastLine(out_), "1");
  EXPECT_EQ(Run("NonEsiste"), 2) << out_;
}

// Ended from outside at any moment, as Windows ends a process (TerminateProcess: nothing of it
// runs any more), a run leaves the job's accessory list as the old one or the new one, whole.
TEST_F(ZelvomwExe, ARunEndedFromOutsideLeavesTheOldListOrTheNewOneWhole) {
  test::WriteFile(Scratch() + "\\ZELVO32.DSN",
                  "[ODBC]\r\nDRIVER=SQLite3\r\nDatabase=" + test::DriverPath(DatabaseFile()) + "\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "START_PATH", Scratch().c_str());
  JobItemList old;
  JobItemRecord head;
  head.Code.Set("VECCHIO");
  old.Append(head);
  ASSERT_TRUE(old.Save(Scratch() + "\\JOBS\\K1.FIT"));
  const std::string oldBytes = test::ReadFile(Scratch() + "\\JOBS\\K1.FIT");
  std::string result;
  const int lines = 4000;
  for (int i = 0; i < lines; ++i)
    result += std::string(114, ' ') + "   1" + std::string(25, ' ') + (i % 2 ? "301234" : "402010") + "       3\r\n";
  const std::size_t newSize = 2 + std::size_t(1 + lines) * JobItemRecord::kSize;
  auto prepare = [&] {
    test::WriteFile(Scratch() + "\\JOBS\\K1.FIT", oldBytes);
    test::WriteFile("C:\\MAICOWIN\\EXCH\\RESULT.TXT", result);
  };
  prepare();
  DWORD start = ::GetTickCount();
  ASSERT_EQ(Run("DebugLeggiMwExport K1"), 0) << out_;
  DWORD whole = ::GetTickCount() - start;
  ASSERT_EQ(test::ReadFile(Scratch() + "\\JOBS\\K1.FIT").size(), newSize) << out_;
  int sawOld = 0;
  for (int k = 0; k < 8; ++k) {
    prepare();
    Run("DebugLeggiMwExport K1", int(whole * DWORD(k) / 7));
    std::string now = test::ReadFile(Scratch() + "\\JOBS\\K1.FIT");
    if (now == oldBytes) ++sawOld;
    else ASSERT_EQ(now.size(), newSize) << "ended after " << k << "/7 of a run: part of a list";
  }
  EXPECT_GT(sawOld, 0);
  prepare();
  EXPECT_EQ(Run("DebugLeggiMwExport K1"), 0);
  EXPECT_EQ(test::ReadFile(Scratch() + "\\JOBS\\K1.FIT").size(), newSize);
  EXPECT_FALSE(test::FileExists(Scratch() + "\\JOBS\\K1.FIT.~new")) << "the next run clears what an ended one left";
}

// The archive update without its dialog, through the Windows command.
TEST_F(ZelvomwExe, UpdateRunsTheChosenUpdatesInOrder) {
  EXPECT_EQ(Run("update --openings"), 0) << out_;
  EXPECT_NE(out_.find("eseguito: FitImport\r\neseguito: KitImport\r\neseguito: finiture"), std::string::npos) << out_;
  EXPECT_NE(out_.find("[Aggiornamento archivi] Operazione completata."), std::string::npos) << out_;
}

}  // namespace
}  // namespace zmw
