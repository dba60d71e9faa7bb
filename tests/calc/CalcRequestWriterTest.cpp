#include <gtest/gtest.h>

#include "calc/CalcRequestWriter.h"
#include "platform/Profile.h"
#include "support/TestEnv.h"

namespace zmw {
namespace {

struct Param {
  int pos;
  int item;
  const char* code;
  int kind;
  const char* text = "";
  const char* finish = "";
  double value = 0;
  double quantity = 1;
  const char* job = "J001";
};

class Request : public test::CleanMachine {
 protected:
  void SetUp() override {
    test::CleanMachine::SetUp();
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", "A12345");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI",
                    "[EXPORT-IMPORT]\r\nIMPORT=C:\\MAICOWIN\\EXCH\\REQUEST.TXT\r\nEXPORT=C:\\MAICOWIN\\EXCH\\RESULT.TXT\r\n");
    test::MakeFolders("C:\\MAICOWIN\\EXCH");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\").c_str());
  }

  // The job parameter file: a first record of its own, then the given parameters.
  void WriteJob(const std::vector<Param>& params, const Param* first = nullptr) {
    JobItemList list;
    JobItemRecord head;
    head.JobCode.Set("J001");
    if (first) head = Make(*first);
    list.Append(head);
    for (const Param& p : params) list.Append(Make(p));
    ASSERT_TRUE(list.Save(Scratch() + "\\A123.MW"));
  }

  static JobItemRecord Make(const Param& p) {
    JobItemRecord r;
    r.JobCode.Set(p.job);
    r.PosNo.Set(std::int16_t(p.pos));
    r.Sub3.Set(std::int16_t(p.item));
    r.Code.Set(p.code);
    r.Kind.Set(std::uint16_t(p.kind));
    r.Text.Set(p.text);
    r.Finish.Set(p.finish);
    r.Value.Set(p.value);
    r.Quantity.Set(p.quantity);
    return r;
  }

  // Writes the request and gives the file as it is once the writer is gone.
  std::string Run(const std::string& job = "A123", int expectedResult = 1) {
    {
      CalcRequestWriter writer;
      EXPECT_EQ(writer.WriteRequest(job), expectedResult);
    }
    return test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT");
  }

  static std::string Head(int pos, int quantity = 1, const char* job = "J001") {
    return "CODCLIENTE=A12345\r\nCOMMESSA=" + std::string(job) + "\r\nNUMPOSIZ=" + std::to_string(pos) +
           "\r\nQUANTITA=" + std::to_string(quantity) + "\r\n";
  }
};

struct BlockCase {
  const char* what;
  std::vector<Param> params;
  std::string expected;
};

class RequestBlocks : public Request, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(RequestBlocks, AreWrittenByteForByte) {
  WriteJob(GetParam().params);
  EXPECT_EQ(Run(), GetParam().expected) << GetParam().what;
}

std::string H(int pos, int quantity = 1) {
  return "CODCLIENTE=A12345\r\nCOMMESSA=J001\r\nNUMPOSIZ=" + std::to_string(pos) + "\r\nQUANTITA=" +
         std::to_string(quantity) + "\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequestBlocks,
    ::testing::Values(
        BlockCase{"items 1,1,2,2,2 of position 3",
                  {{3, 1, "A", 1, "a1"}, {3, 1, "B", 2, "", "", 2.5}, {3, 2, "A", 1, "a2"},
                   {3, 2, "B", 2, "", "", 1500}, {3, 2, "C", 1, "c"}},
                  H(3) + "A=a1\r\nB=2.5\r\nEND\r\n" + H(3) + "A=a2\r\nB=1500.0\r\nC=c\r\nEND\r\n"},
        BlockCase{"items 2,2,3: item 1 is END alone, item 3 never asked",
                  {{4, 2, "X", 1, "x2"}, {4, 2, "Y", 1, "y2"}, {4, 3, "Z", 1, "z3"}},
                  "END\r\n" + H(4) + "X=x2\r\nY=y2\r\nEND\r\n"},
        BlockCase{"item 0 is never asked", {{1, 0, "A", 1, "zero"}, {1, 1, "B", 1, "one"}},
                  H(1) + "B=one\r\nEND\r\n"},
        BlockCase{"positions 5, 2, 9 in rising order",
                  {{5, 1, "P", 1, "five"}, {2, 1, "P", 1, "two"}, {9, 1, "P", 1, "nine"}},
                  H(2) + "P=two\r\nEND\r\n" + H(5) + "P=five\r\nEND\r\n" + H(9) + "P=nine\r\nEND\r\n"},
        BlockCase{"positions 0 and below never get a block",
                  {{0, 1, "A", 1, "a"}, {-3, 1, "B", 1, "b"}, {1, 1, "C", 1, "c"}},
                  H(1) + "C=c\r\nEND\r\n"},
        BlockCase{"empty text is 1; kinds other than 1 and 2 write nothing",
                  {{1, 1, "EMPTY", 1, ""}, {1, 1, "SKIP", 3, "x"}, {1, 1, "ZERO", 0, "y"}},
                  H(1) + "EMPTY=1\r\nEND\r\n"},
        BlockCase{"FINITURA before COLORE_RS",
                  {{1, 1, "FINITURA", 1, "", "F1"}, {1, 1, "A", 1, "a"}, {1, 1, "COLORE_RS", 1, "", "C1"}},
                  H(1) + "A=a\r\nCOLORE_RS=C1\r\nFINITURA=F1\r\nEND\r\n"},
        BlockCase{"FINITURA after COLORE_RS",
                  {{1, 1, "COLORE_RS", 1, "", "C1"}, {1, 1, "FINITURA", 1, "", "F1"}, {1, 1, "A", 1, "a"}},
                  H(1) + "A=a\r\nCOLORE_RS=C1\r\nFINITURA=F1\r\nEND\r\n"},
        BlockCase{"two FINITURA without COLORE_RS: the second wins",
                  {{1, 1, "FINITURA", 1, "", "F1"}, {1, 1, "FINITURA", 1, "", "F2"}},
                  H(1) + "FINITURA=F2\r\nEND\r\n"},
        BlockCase{"two FINITURA after a COLORE_RS: both written",
                  {{1, 1, "COLORE_RS", 1, "", "C1"}, {1, 1, "FINITURA", 1, "", "F1"},
                   {1, 1, "FINITURA", 1, "", "F2"}},
                  H(1) + "COLORE_RS=C1\r\nFINITURA=F1\r\nFINITURA=F2\r\nEND\r\n"},
        BlockCase{"COLORE_RS alone", {{1, 1, "COLORE_RS", 1, "ignored", "C1"}},
                  H(1) + "COLORE_RS=C1\r\nEND\r\n"},
        BlockCase{"a FINITURA of kind 2 is a numeric line in its place",
                  {{1, 1, "FINITURA", 2, "", "F1", 9010}, {1, 1, "A", 1, "a"}},
                  H(1) + "FINITURA=9010.0\r\nA=a\r\nEND\r\n"},
        BlockCase{"quantity 2.9 is 2", {{1, 1, "A", 1, "a", "", 0, 2.9}}, H(1, 2) + "A=a\r\nEND\r\n"},
        BlockCase{"quantity -1.5 is -1", {{1, 1, "A", 1, "a", "", 0, -1.5}}, H(1, -1) + "A=a\r\nEND\r\n"},
        BlockCase{"numbers with ten digits",
                  {{1, 1, "N1", 2, "", "", 0.05}, {1, 1, "N2", 2, "", "", 1234.5678},
                   {1, 1, "N3", 2, "", "", -7}, {1, 1, "N4", 2, "", "", 1e10},
                   {1, 1, "N5", 2, "", "", 1234567890}},
                  H(1) + "N1=5.e-002\r\nN2=1234.5678\r\nN3=-7.0\r\nN4=1.e+010\r\nN5=1234567890\r\nEND\r\n"}));

TEST_F(Request, FirstRecordTakesPartOnlyWhenOthersMakeItsPositionKnown) {
  Param lonely{7, 1, "FIRST", 1, "f"};
  WriteJob({{1, 1, "A", 1, "a"}}, &lonely);
  EXPECT_EQ(Run(), H(1) + "A=a\r\nEND\r\n");

  Param joining{1, 1, "FIRST", 1, "f", "", 0, 4, "JFIRST"};
  WriteJob({{1, 1, "A", 1, "a"}}, &joining);
  EXPECT_EQ(Run(), Head(1, 4, "JFIRST") + "FIRST=f\r\nA=a\r\nEND\r\n");
}

TEST_F(Request, CustomerCodeIsReadAgainForEveryBlock) {
  WriteJob({{1, 1, "A", 1, "a"}, {2, 1, "B", 1, "b"}});
  {
    CalcRequestWriter writer;
    writer.WriteRequest("A123");
  }
  std::string once = test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT");
  EXPECT_EQ(once, H(1) + "A=a\r\nEND\r\n" + H(2) + "B=b\r\nEND\r\n");
  platform::ProfileWriteString("ZELVOMW.INI", "GENERAL", "CODCLIENTE", nullptr);
  EXPECT_EQ(Run(), "CODCLIENTE=\r\nCOMMESSA=J001\r\nNUMPOSIZ=1\r\nQUANTITA=1\r\nA=a\r\nEND\r\n"
                   "CODCLIENTE=\r\nCOMMESSA=J001\r\nNUMPOSIZ=2\r\nQUANTITA=1\r\nB=b\r\nEND\r\n");
}

TEST_F(Request, JobFolderValueRunsIntoTheJobName) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", (Scratch() + "\\JOB_").c_str());
  WriteJob({{1, 1, "A", 1, "a"}});
  test::WriteFile(Scratch() + "\\JOB_A123.MW", test::ReadFile(Scratch() + "\\A123.MW"));
  EXPECT_EQ(Run(), H(1) + "A=a\r\nEND\r\n");
  test::RemoveTree(Scratch() + "\\JOB_A123.MW");
  EXPECT_EQ(Run(), "") << "no backslash is put between folder and job name";
}

TEST_F(Request, WithoutJobFolderNothingIsWritten) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", nullptr);
  WriteJob({{1, 1, "A", 1, "a"}});
  EXPECT_EQ(Run("A123", 0), "");
}

TEST_F(Request, MissingJobFileGivesAnEmptyRequest) {
  EXPECT_EQ(Run("NOJOB"), "");
}

TEST_F(Request, RemoteJobFolderIsReplacedByTheLocalOne) {
  if (!test::CanMakeNetworkDrive('n')) GTEST_SKIP() << "no network drive can be made here";
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "JOB_PATH", "N:\\JOBS\\");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\").c_str());
  WriteJob({{1, 1, "A", 1, "a"}});
  EXPECT_EQ(Run(), H(1) + "A=a\r\nEND\r\n");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", nullptr);
  EXPECT_EQ(Run(), "") << "an empty TMP_PATH is used as it is";
}

TEST_F(Request, StopRequestIsTheOneLineFine) {
  {
    CalcRequestWriter writer;
    EXPECT_EQ(writer.WriteStop(), 1);
  }
  EXPECT_EQ(test::ReadFile("C:\\MAICOWIN\\EXCH\\REQUEST.TXT"), "FINE\r\n");
}

TEST_F(Request, WithoutRequestFileNothingIsOpened) {
  test::WriteFile("C:\\MAICOWIN\\BIN\\MAICOWIN.INI", "[EXPORT-IMPORT]\r\nEXPORT=C:\\X.TXT\r\n");
  WriteJob({{1, 1, "A", 1, "a"}});
  CalcRequestWriter writer;
  EXPECT_FALSE(writer.HasStream());
  EXPECT_EQ(writer.WriteStop(), 0);
  EXPECT_EQ(writer.WriteRequest("A123"), 1);
  EXPECT_EQ(writer.Parameters().Size(), 2u) << "the job file is still loaded";
}

}  // namespace
}  // namespace zmw
