#include <gtest/gtest.h>

#include "calc/CalcRequestWriter.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw { namespace {

struct Param {
  int pos, item;
  const char* code;
  int kind;
  const char* text = "";
  const char* finish = "";
  double value = 0, quantity = 1;
  const char* job = "J001";
};

std::string H(int pos, int quantity = 1, const char* job = "J001", const char* customer = "A12345") {
  return "CODCLIENTE=" + std::string(customer) + "\r\nCOMMESSA=" + job + "\r\nNUMPOSIZ=" + std::to_string(pos) +
         "\r\nQUANTITA=" + std::to_string(quantity) + "\r\n";
}

class Request : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    test::InstallMaicoWin();
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "A12345");
    JobPath(Scratch() + "\\");
  }
  void JobPath(const std::string& folder) {
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", folder.empty() ? nullptr : folder.c_str());
  }
  // The job parameter file: a first record of its own, then the given parameters.
  void WriteJob(std::vector<Param> params, const Param& first = {0, 0, "", 0, "", "", 0, 0}) {
    params.insert(params.begin(), first);
    JobItemList list;
    for (const Param& p : params) {
      JobItemRecord r;
      r.JobCode.Set(p.job), r.PosNo.Set(std::int16_t(p.pos)), r.Sub3.Set(std::int16_t(p.item));
      r.Code.Set(p.code), r.Kind.Set(std::uint16_t(p.kind)), r.Text.Set(p.text), r.Finish.Set(p.finish);
      r.Value.Set(p.value), r.Quantity.Set(p.quantity);
      list.Append(r);
    }
    ASSERT_TRUE(list.Save(Scratch() + "\\A123.MW"));
  }
  // Writes the request and gives the file as it is once the writer is gone.
  std::string Run(const std::string& job = "A123", int expectedResult = 1) {
    EXPECT_EQ(CalcRequestWriter().WriteRequest(job), expectedResult);
    return test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT");
  }
};

TEST_F(Request, BlocksAreWrittenByteForByte) {
  struct Row { const char* what; std::vector<Param> params; std::string expected; };
  for (const Row& r : std::initializer_list<Row>{
           {"items 1,1,2,2,2 of position 3",
            {{3, 1, "A", 1, "a1"}, {3, 1, "B", 2, "", "", 2.5}, {3, 2, "A", 1, "a2"}, {3, 2, "B", 2, "", "", 1500},
             {3, 2, "C", 1, "c"}},
            H(3) + "A=a1\r\nB=2.5\r\nEND\r\n" + H(3) + "A=a2\r\nB=1500.0\r\nC=c\r\nEND\r\n"},
           {"items 0,2,2,3: item 0 is never counted, item 1 is END alone, item 3 never asked",
            {{4, 0, "W", 1, "w0"}, {4, 2, "X", 1, "x2"}, {4, 2, "Y", 1, "y2"}, {4, 3, "Z", 1, "z3"}},
            "END\r\n" + H(4) + "X=x2\r\nY=y2\r\nEND\r\n"},
           {"positions in rising order, none at 0 and below",
            {{5, 1, "P", 1, "five"}, {0, 1, "A", 1, "a"}, {2, 1, "P", 1, "two"}, {-3, 1, "B", 1, "b"}},
            H(2) + "P=two\r\nEND\r\n" + H(5) + "P=five\r\nEND\r\n"},
           {"empty text is 1; kinds other than 1 and 2 write nothing; a FINITURA of kind 2 is a number in its place",
            {{1, 1, "EMPTY", 1, ""}, {1, 1, "SKIP", 3, "x"}, {1, 1, "ZERO", 0, "y"}, {1, 1, "FINITURA", 2, "", "F1", 9010},
             {1, 1, "A", 1, "a"}},
            H(1) + "EMPTY=1\r\nFINITURA=9010.0\r\nA=a\r\nEND\r\n"},
           {"FINITURA before COLORE_RS",
            {{1, 1, "FINITURA", 1, "", "F1"}, {1, 1, "A", 1, "a"}, {1, 1, "COLORE_RS", 1, "", "C1"}},
            H(1) + "A=a\r\nCOLORE_RS=C1\r\nFINITURA=F1\r\nEND\r\n"},
           {"FINITURA after COLORE_RS, whose text is not used",
            {{1, 1, "COLORE_RS", 1, "ignored", "C1"}, {1, 1, "FINITURA", 1, "", "F1"}, {1, 1, "A", 1, "a"}},
            H(1) + "A=a\r\nCOLORE_RS=C1\r\nFINITURA=F1\r\nEND\r\n"},
           {"quantity -1.5 is -1; numbers of ten digits", {{1, 1, "N1", 2, "", "", 0.05, -1.5}, {1, 1, "N5", 2, "", "", 1234567890}},
            H(1, -1) + "N1=5.e-002\r\nN5=1234567890\r\nEND\r\n"}}) {
    WriteJob(r.params);
    EXPECT_EQ(Run(), r.expected) << r.what;
  }
}

TEST_F(Request, FirstRecordTakesPartOnlyWhenOthersMakeItsPositionKnown) {
  WriteJob({{1, 1, "A", 1, "a"}}, {7, 1, "FIRST", 1, "f"});
  EXPECT_EQ(Run(), H(1) + "A=a\r\nEND\r\n");
  WriteJob({{1, 1, "A", 1, "a"}}, {1, 1, "FIRST", 1, "f", "", 0, 4, "JFIRST"});
  EXPECT_EQ(Run(), H(1, 4, "JFIRST") + "FIRST=f\r\nA=a\r\nEND\r\n");
}

TEST_F(Request, WithoutJobFolderOrJobFileNothingIsAsked) {
  WriteJob({{1, 1, "A", 1, "a"}});
  EXPECT_EQ(Run("NOJOB"), "") << "a missing job file gives an empty request";
  JobPath("");
  EXPECT_EQ(Run("A123", 0), "");
}

TEST_F(Request, RemoteJobFolderIsReplacedByTheLocalOne) {
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  JobPath("N:\\JOBS\\");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\").c_str());
  WriteJob({{1, 1, "A", 1, "a"}});
  EXPECT_EQ(Run(), H(1) + "A=a\r\nEND\r\n");
}

TEST_F(Request, StopRequestIsTheOneLineFineAndNeedsTheRequestFile) {
  EXPECT_EQ(CalcRequestWriter().WriteStop(), 1);
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"), "FINE\r\n");
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=C:\\X.TXT\r\n");
  WriteJob({{1, 1, "A", 1, "a"}});
  EXPECT_EQ(CalcRequestWriter().WriteStop(), 0);
  EXPECT_EQ(CalcRequestWriter().WriteRequest("A123"), 1) << "with nowhere to write to";
}

} }  // namespace zmw
