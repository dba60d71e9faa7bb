// The order file Maico reads, byte for byte and the same from each backend, and what the user
// is told when it cannot be written.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "db/Connection.h"
#include "order/Ordine2Mw.h"
#include "platform/Profile.h"
#include "support/Database.h"
#include "zelvomw.h"

namespace zmw {
namespace {

const std::string kCannotWrite = "Impossibile scrivere sul file di output.";

std::string Header(const char* id, const char* delivery, const char* compiled, const char* codes = "  ") {
  char text[260];
  std::snprintf(text, sizeof text, "AK%-15.15sA12345%-8s%65s%-8s%-2.2s%56s\r\n", id, delivery, "", compiled, codes, "");
  return text;
}

// A negative quantity keeps all its digits after the sign.
std::string LineRecord(const char* id, long line, const char* code, long quantity) {
  char text[260];
  std::snprintf(text, sizeof text, "AP%-15.15s%05ld%-13.13s%s%011ld%023d%130s\r\n", id, line, code, quantity < 0 ? "-" : "",
                quantity < 0 ? -quantity : quantity, 0, "");
  return text;
}

class Order : public test::AnyHostDatabase {
 protected:
  void SetUp() override {
    test::AnyHostDatabase::SetUp();
    if (IsSkipped()) return;
    platform::ProfileWriteString("ZELVOMW.INI", "DIRS", "INST_PATH", "C:\\MAICOWIN\\");
    test::WriteFile("C:\\MAICOWIN\\BIN\\MW.INI", "MaicoWin\r\nDemo\r\nA12345\r\n");
    TmpPath(Out(""));
    test::MakeFolders(Out(""));
    Apply("INSERT INTO Ordini VALUES ('ORD-0001-AAAAAAAAAA2', '2009-01-31', '2008-12-24'), ('O3', NULL, '2008-03-05')");
    Apply("INSERT INTO RigheOrdine VALUES ('O3', 1, '12345678901234', 2), ('O3', 2, '', -3), ('O3', 3, NULL, 2.5), ('ONLYLINES', 1, 'X1', 1)");
  }
  std::string Out(const std::string& file) const { return Scratch() + "\\OUT" + (file.empty() ? "" : "\\" + file); }
  void TmpPath(const std::string& path) { platform::ProfileWriteString("ZELVO.INI", "SYSTEM", "TMP_PATH", path.empty() ? nullptr : path.c_str()); }
  std::string OrderFile() { return test::ReadFile(Out("KBA12345.TXT")); }
  auto Box(std::size_t i) { return std::tie(ui.messages.at(i).text, ui.messages.at(i).caption, ui.messages.at(i).owner); }
};

class OrderSqlite : public Order {};

TEST_P(Order, WritesHeaderAndLinesByteForByte) {
  test::WriteFile(Out("KBA12345.TXT.~new"), std::string(1 << 20, 'x'));  // a killed run's leftover goes
  // Identifiers and codes are cut to their widths; each run leaves only its own order.
  struct { const char *id, *c1, *c2; std::string file; } runs[] = {
      {"ORD-2008-001", "Z", "W", Header("ORD-2008-001", "20081225", "20081201", "ZW") + LineRecord("ORD-2008-001", 1, "301234", 4) +
                                     LineRecord("ORD-2008-001", 2, "402010", 4) + LineRecord("ORD-2008-001", 3, "509900", 0)},
      {"ORD-0001-AAAAAAAAAA2", "", "", Header("ORD-0001-AAAAAAAAAA2", "20090131", "20081224")},
      {"O3", "first", "second", Header("O3", "", "20080305", "fs") + LineRecord("O3", 1, "12345678901234", 2) +
                                    LineRecord("O3", 2, "", -3) + LineRecord("O3", 3, "", 2)},
      {"ONLYLINES", "", "", LineRecord("ONLYLINES", 1, "X1", 1)}};
  for (const auto& run : runs) {
    EXPECT_EQ(Ordine2Mw(run.id, run.c1, run.c2), 0);
    EXPECT_EQ(OrderFile(), run.file) << run.id;
    EXPECT_FALSE(test::FileExists(Out("KBA12345.TXT.~new"))) << run.id;
  }
  EXPECT_TRUE(ui.messages.empty());
  test::SetEnv("ZELVOMW_LOCALE", "en-US");  // dates go by the positions in the locale's text
  Ordine2Mw("ORD-2008-001", "", "");
  test::SetEnv("ZELVOMW_LOCALE", "it-IT");
  EXPECT_EQ(OrderFile().substr(0, 31), "AKORD-2008-001   A1234520082512");
  // Without a customer code the name is KB.TXT, and a trailing backslash doubles.
  test::RemoveTree("C:\\MAICOWIN\\BIN\\MW.INI");
  TmpPath(Out("") + "\\");
  Ordine2Mw("ONLYLINES", "", "");
  EXPECT_EQ(test::ReadFile(Out("KB.TXT")), LineRecord("ONLYLINES", 1, "X1", 1));
  COrdine2Mw order("X", "", "");
  order.Run();
  EXPECT_EQ(order.OutputPath(), Out("\\KB.TXT"));
}

TEST_P(Order, FailuresAreSaidAndLoseNothing) {
  test::WriteFile(Out("KBA12345.TXT"), "the previous order");
  TmpPath(Scratch() + "\\NO-SUCH-FOLDER");
  Ordine2Mw("ORD-2008-001", "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Box(0), std::make_tuple(kCannotWrite, "ERRORE", platform::Owner::Active));
  EXPECT_EQ(ui.messages[0].style, unsigned(platform::kMbOk | platform::kMbIconHand));
  EXPECT_EQ(ui.beeps, std::vector<unsigned>{0u});
  EXPECT_EQ(OrderFile(), "the previous order");
  // The new file cannot be made: no earlier order stays under its name.
  TmpPath(Out(""));
  test::MakeFolders(Out("KBA12345.TXT.~new"));
  Ordine2Mw("ORD-2008-001", "", "");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, kCannotWrite);
  EXPECT_FALSE(test::FileExists(Out("KBA12345.TXT")));
  test::RemoveTree(Out("KBA12345.TXT.~new"));
  // A statement missing is reported and the lines still run.
  std::string xml = test::ReadFile(Scratch() + "\\ZELVOMW.XML");
  xml.replace(xml.find("<GET_EXP_ORDINE>"), 16, "<OTHER_NAME_XXX>").replace(xml.find("</GET_EXP_ORDINE>"), 17, "</OTHER_NAME_XXX>");
  test::WriteFile(Scratch() + "\\ZELVOMW.XML", xml);
  ui.messages.clear();
  Ordine2Mw("ONLYLINES", "", "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Box(0), std::make_tuple("Function: ExportClsForFittings\nError: 0x80004003\n", "Oltrex", platform::Owner::None));
  EXPECT_EQ(OrderFile(), LineRecord("ONLYLINES", 1, "X1", 1));
  // Without TMP_PATH nothing happens: not even the database is opened, which would complain.
  TmpPath("");
  test::RemoveTree(Scratch() + "\\ZelvoDbConn.ini");
  ui.messages.clear();
  EXPECT_EQ(Ordine2Mw("ORD-2008-001", "", ""), 0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_P(OrderSqlite, LongOrdersAndAFullDisk) {
  std::string rows, full;
  for (int i = 1; i <= 100000; ++i) rows += ", ('BIG', " + std::to_string(i) + ", 'C', 1)";
  for (int i = 1; i <= 60; ++i) full += LineRecord("FULL", i, ("C" + std::to_string(i)).c_str(), 1);
  for (int i = 1; i <= 60; ++i) rows += ", ('FULL', " + std::to_string(i) + ", 'C" + std::to_string(i) + "', 1)";
  Apply("INSERT INTO RigheOrdine VALUES " + rows.substr(2));
  // The hundred thousandth line gets six digits, and only that one: the size says so.
  Ordine2Mw("BIG", "", "");
  std::string file = OrderFile();
  ASSERT_EQ(file.size(), 99999u * 201u + 202u);
  EXPECT_EQ(file.substr(99999u * 201u), LineRecord("BIG", 100000, "C", 1));
  // A disk that fills up after so many bytes of the order file.
  for (std::size_t room : {0, 1000}) {
    test::WriteFile(Out("KBA12345.TXT"), "the previous order");
    ui.messages.clear(), ui.beeps.clear();
    // Opened before the disk fills, as SQLite makes its shared-memory file then: the export
    // finds it open and closes it at its end.
    ASSERT_EQ(TheZelvoDb().Open(""), 1);
    if (auto disk = test::FillDiskAt(room)) Ordine2Mw("FULL", "", "");
    else GTEST_SKIP() << "no full disk here";
    EXPECT_FALSE(TheZelvoDb().IsOpen()) << room;
    ASSERT_FALSE(ui.messages.empty()) << room;
    for (const auto& m : ui.messages) EXPECT_EQ(m.text, kCannotWrite) << room;
    EXPECT_EQ(ui.beeps.size(), ui.messages.size()) << room;
    EXPECT_EQ(OrderFile(), full.substr(0, room)) << "never the previous order, only this one's bytes";
    EXPECT_FALSE(test::FileExists(Out("KBA12345.TXT.~new"))) << room;
  }
}

ZMW_ON_EVERY_BACKEND(Order);
INSTANTIATE_TEST_SUITE_P(Backends, OrderSqlite, ::testing::Values(test::Backend::Sqlite), test::BackendName);

TEST(OrderDates, GoByCharacterPositions) {
  const std::pair<const char*, const char*> dates[] = {{"25/12/2008", "20081225"}, {"12/25/2008", "20082512"},
      {"25/12/2008 10:30:00", "20081225"}, {"", ""}, {"1/2/3", ""}, {"1/2/2008", "08/21/"}};
  for (auto [text, expected] : dates) EXPECT_EQ(COrdine2Mw::ToYyyymmdd(text), expected) << text;
}

}  // namespace
}  // namespace zmw
