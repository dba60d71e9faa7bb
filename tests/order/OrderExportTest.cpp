#include <gtest/gtest.h>

#include <cstdlib>

#include "db/Connection.h"
#include "order/Ordine2Mw.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "zelvomw.h"

namespace zmw {
namespace {

std::string Pad(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

std::string Header(const std::string& id, const std::string& code, const std::string& delivery,
                   const std::string& compiled, const std::string& c1 = " ", const std::string& c2 = " ") {
  return "AK" + Pad(id, 15) + Pad(code, 6) + Pad(delivery, 8) + std::string(65, ' ') + Pad(compiled, 8) + Pad(c1, 1) +
         Pad(c2, 1) + std::string(56, ' ') + "\r\n";
}

std::string Number(long long value, int digits) {
  std::string text = std::to_string(value < 0 ? -value : value);
  if (int(text.size()) < digits) text.insert(0, std::size_t(digits) - text.size(), '0');
  return (value < 0 ? "-" : "") + text;
}

std::string LineRecord(const std::string& id, long line, const std::string& code, long quantity) {
  return "AP" + Pad(id, 15) + Number(line, 5) + Pad(code, 13) + Number(quantity, 11) + std::string(13, '0') +
         std::string(5, '0') + std::string(5, '0') + std::string(130, ' ') + "\r\n";
}

class OrderBase : public test::HostDatabase {
 protected:
  void SetUp() override {
    test::HostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nDemo\r\nA12345\r\n");
    platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\OUT").c_str());
    test::MakeFolders(Scratch() + "\\OUT");
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    Run("INSERT INTO Ordini VALUES ('ORD-0001-AAAAAAAAAA2', '2009-01-31', '2008-12-24')");
    Run("INSERT INTO Ordini VALUES ('O3', NULL, '2008-03-05')");
    Run("INSERT INTO RigheOrdine VALUES ('O3', 1, '12345678901234', 2)");
    Run("INSERT INTO RigheOrdine VALUES ('O3', 2, '', -3)");
    Run("INSERT INTO RigheOrdine VALUES ('O3', 3, NULL, 2.5)");
    Run("INSERT INTO RigheOrdine VALUES ('ONLYLINES', 1, 'X1', 1)");
    ASSERT_EQ(TheZelvoDb().Close(), 1);
  }
  std::string OrderFile() { return test::ReadFile(Scratch() + "\\OUT\\KBA12345.TXT"); }
};

// The same export against each backend must give the same bytes.
class Order : public OrderBase, public ::testing::WithParamInterface<test::Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == test::Backend::MariaDb && !std::getenv("ZELVOMW_TEST_MARIADB"))
      GTEST_SKIP() << "no MariaDB server named in ZELVOMW_TEST_MARIADB";
    OrderBase::SetUp();
  }
  test::Backend Which() const override { return GetParam(); }
};

class OrderSqlite : public OrderBase {};

TEST_P(Order, HeaderAndLinesByteForByte) {
  EXPECT_EQ(Ordine2Mw("ORD-2008-001", "Z", "W"), 0);
  EXPECT_EQ(OrderFile(), Header("ORD-2008-001", "A12345", "20081225", "20081201", "Z", "W") +
                             LineRecord("ORD-2008-001", 1, "301234", 4) + LineRecord("ORD-2008-001", 2, "402010", 4) +
                             LineRecord("ORD-2008-001", 3, "509900", 0));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(test::FileExists(Scratch() + "\\OUT\\KBA12345.TXT.~new"));
}

TEST_P(Order, LongIdentifiersAreCutAndCodesToo) {
  Ordine2Mw("ORD-0001-AAAAAAAAAA2", "", "");
  EXPECT_EQ(OrderFile(), Header("ORD-0001-AAAAAA", "A12345", "20090131", "20081224"));
  Ordine2Mw("O3", "first", "second");
  EXPECT_EQ(OrderFile(), Header("O3", "A12345", "", "20080305", "f", "s") + LineRecord("O3", 1, "1234567890123", 2) +
                             LineRecord("O3", 2, "", -3) + LineRecord("O3", 3, "", 2))
      << "the second run leaves only its own order";
}

TEST_P(Order, AnOrderWithoutHeaderRowStillGetsItsLines) {
  Ordine2Mw("ONLYLINES", "", "");
  EXPECT_EQ(OrderFile(), LineRecord("ONLYLINES", 1, "X1", 1));
}

TEST_P(Order, DatesFollowTheLocalesTextByPosition) {
  test::SetEnv("ZELVOMW_LOCALE", "en-US");
  Ordine2Mw("ORD-2008-001", "", "");
  test::SetEnv("ZELVOMW_LOCALE", "it-IT");
  EXPECT_EQ(OrderFile().substr(0, 31), "AKORD-2008-001   A1234520082512");
}

TEST_P(Order, WithoutCustomerCodeTheNameIsKbTxtAndATrailingBackslashDoubles) {
  test::RemoveTree("C:\\MAICOWIN\\BIN\\MW.INI");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\OUT\\").c_str());
  Ordine2Mw("ONLYLINES", "", "");
  EXPECT_EQ(test::ReadFile(Scratch() + "\\OUT\\KB.TXT"), LineRecord("ONLYLINES", 1, "X1", 1));
  COrdine2Mw order("X", "", "");
  order.Run();
  EXPECT_EQ(order.OutputPath(), Scratch() + "\\OUT\\\\KB.TXT");
}

TEST_P(Order, WithoutTmpPathNothingHappens) {
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", nullptr);
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");  // an open would complain
  EXPECT_EQ(Ordine2Mw("ORD-2008-001", "", ""), 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(Order, AMissingStatementIsReportedAndTheLinesStillRun) {
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  xml.replace(xml.find("<GET_EXP_ORDINE>"), 16, "<OTHER_NAME_XXX>");
  xml.replace(xml.find("</GET_EXP_ORDINE>"), 17, "</OTHER_NAME_XXX>");
  test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml);
  Ordine2Mw("ONLYLINES", "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Function: ExportClsForFittings\nError: 0x80004003\n");
  EXPECT_EQ(ui.messages[0].caption, "Oltrex");
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::None);
  EXPECT_EQ(OrderFile(), LineRecord("ONLYLINES", 1, "X1", 1));
}

TEST_P(Order, AnOutputThatCannotBeMadeIsSaidOnceAndNothingIsLost) {
  test::WriteFile(Scratch() + "\\OUT\\KBA12345.TXT", "the previous order");
  platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", (Scratch() + "\\NO-SUCH-FOLDER").c_str());
  Ordine2Mw("ORD-2008-001", "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Impossibile scrivere sul file di output.");
  EXPECT_EQ(ui.messages[0].caption, "ERRORE");
  EXPECT_EQ(ui.messages[0].style, unsigned(platform::kMbOk | platform::kMbIconHand));
  EXPECT_EQ(ui.messages[0].owner, platform::Owner::Active);
  EXPECT_EQ(ui.beeps, std::vector<unsigned>{0u});
  EXPECT_EQ(OrderFile(), "the previous order");
}

TEST_P(Order, AnOrderFileThatCannotBeMadeLeavesNoEarlierOrderUnderItsName) {
  test::WriteFile(Scratch() + "\\OUT\\KBA12345.TXT", "the previous order");
  test::MakeFolders(Scratch() + "\\OUT\\KBA12345.TXT.~new");  // in the way of the new file
  Ordine2Mw("ORD-2008-001", "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Impossibile scrivere sul file di output.");
  EXPECT_FALSE(test::FileExists(Scratch() + "\\OUT\\KBA12345.TXT"));
}

TEST_P(Order, ALeftoverOfAKilledRunGoesAtTheNextRun) {
  test::WriteFile(Scratch() + "\\OUT\\KBA12345.TXT.~new", std::string(1 << 20, 'x'));
  Ordine2Mw("ONLYLINES", "", "");
  EXPECT_EQ(OrderFile(), LineRecord("ONLYLINES", 1, "X1", 1));
  EXPECT_FALSE(test::FileExists(Scratch() + "\\OUT\\KBA12345.TXT.~new"));
  EXPECT_TRUE(ui.messages.empty());
}

// A disk that fills up after so many bytes of the order file.
class OrderOnAFullDisk : public OrderBase, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(OrderOnAFullDisk, LeavesWhatWasWrittenOfThisOrderAndSaysEachFailure) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("BEGIN");
  std::string order;
  for (int i = 1; i <= 60; ++i) {
    Run("INSERT INTO RigheOrdine VALUES ('FULL', " + std::to_string(i) + ", 'C" + std::to_string(i) + "', 1)");
    order += LineRecord("FULL", i, "C" + std::to_string(i), 1);
  }
  Run("COMMIT");
  ASSERT_EQ(TheZelvoDb().Close(), 1);
  test::WriteFile(Scratch() + "\\OUT\\KBA12345.TXT", "the previous order");
  // The database is opened before the disk fills: SQLite makes its shared-memory file then.
  // The export finds it open and closes it at its end.
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  std::size_t room = GetParam();
  {
    std::unique_ptr<test::FullDisk> full = test::FillDiskAt(room);
    if (!full) GTEST_SKIP() << "no full disk here";
    Ordine2Mw("FULL", "", "");
  }
  EXPECT_FALSE(TheZelvoDb().IsOpen());
  ASSERT_FALSE(ui.messages.empty());
  for (const auto& m : ui.messages) EXPECT_EQ(m.text, "Impossibile scrivere sul file di output.");
  EXPECT_EQ(ui.beeps.size(), ui.messages.size());
  EXPECT_EQ(OrderFile(), order.substr(0, room)) << "never the previous order, only this one's bytes";
  EXPECT_FALSE(test::FileExists(Scratch() + "\\OUT\\KBA12345.TXT.~new"));
}

INSTANTIATE_TEST_SUITE_P(Room, OrderOnAFullDisk, ::testing::Values(std::size_t(0), std::size_t(1000), std::size_t(5000)));

TEST_F(OrderSqlite, TheHundredThousandthLineGetsSixDigits) {
  ASSERT_EQ(TheZelvoDb().Open(""), 1);
  Run("BEGIN");
  for (int i = 1; i <= 100000; ++i) Run("INSERT INTO RigheOrdine VALUES ('BIG', " + std::to_string(i) + ", 'C', 1)");
  Run("COMMIT");
  TheZelvoDb().Close();
  Ordine2Mw("BIG", "", "");
  std::string file = OrderFile();
  ASSERT_EQ(file.size(), 99999u * 201u + 202u);
  EXPECT_EQ(file.substr(99998u * 201u, 201u), LineRecord("BIG", 99999, "C", 1));
  EXPECT_EQ(file.substr(99999u * 201u), LineRecord("BIG", 100000, "C", 1));
  EXPECT_EQ(file.substr(99999u * 201u, 25u), "APBIG            100000C ");
}

ZMW_ON_EVERY_BACKEND(Order);

struct DateCase {
  const char* text;
  const char* expected;
};

class OrderDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(OrderDates, GoByCharacterPositions) { EXPECT_EQ(COrdine2Mw::ToYyyymmdd(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Table, OrderDates,
                         ::testing::Values(DateCase{"25/12/2008", "20081225"}, DateCase{"12/25/2008", "20082512"},
                                           DateCase{"25/12/2008 10:30:00", "20081225"}, DateCase{"", ""},
                                           DateCase{"1/2/3", ""}, DateCase{"1/2/2008", "08/21/"}));

}  // namespace
}  // namespace zmw
