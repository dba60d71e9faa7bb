#include "order/Ordine2Mw.h"

#include "base/Ini.h"
#include "db/Connection.h"
#include "db/DbError.h"
#include "db/RecordAccess.h"
#include "db/SqlRepository.h"
#include "maicowin/MaicoWinConf.h"
#include "platform/Ui.h"

namespace zmw {
namespace {

constexpr const char* kHeaderFormat = "%-2.2s%-15.15s%-6.6s%-8.8s%-65.65s%-8.8s%-1.1s%-1.1s%-28.28s%-28.28s\n";
constexpr const char* kLineFormat = "%-2.2s%-15.15s%-5.5d%-13.13s%-11.11ld%-13.13d%-5.5d%-5.5d%-65.65s%-65.65s\n";

std::string TextOf(const Variant& v) { return v.IsNull() ? std::string() : VariantToText(v); }

// The order file is finished beside its place and then put there in one step, so that a run
// that dies half way leaves the last whole file where it was.
std::string WorkingFile(const std::string& path) { return path + ".~new"; }

// The order's query of that name as a pass over its result; nothing when the result is empty.
RecordSource* OpenOrderQuery(const char* statement, const std::string& orderId) {
  ConnectionHolder& db = TheZelvoDb();
  SqlRepository repository;
  repository.GetStatement(statement, kStatementFile, "");
  RecordSource& pass = OpenRecordPass(db, FormatStatement(repository.Text(), {orderId}));
  if (!pass.AtEnd()) return &pass;
  CloseRecordPass(db);
  return nullptr;
}

void ShowDatabaseError(const DbError& e) { ShowComError("ExportClsForFittings", e.Code(), e.Description(), "Oltrex"); }

}  // namespace

COrdine2Mw::COrdine2Mw(std::string orderId, std::string firstCode, std::string secondCode)
    : firstCode_(std::move(firstCode)), secondCode_(std::move(secondCode)), orderId_(std::move(orderId)) {}

COrdine2Mw::~COrdine2Mw() {
  // A run that ended early leaves no half-written file behind.
  if (output_) {
    output_.Close();
    platform::RemoveFile(WorkingFile(outputPath_));
  }
}

int COrdine2Mw::Run() {
  std::string folder = ReadZelvoIni("SYSTEM", "TMP_PATH", 260);
  if (folder.empty()) return 0;
  MaicoWinConf conf;
  conf.ReadCustomerCode(customerCode_);
  SetOutputPath(folder + "\\KB" + customerCode_ + ".TXT");
  TheZelvoDb().Open("");
  OpenOutput();
  WriteHeader();
  WriteLines();
  CloseOutput();
  TheZelvoDb().Close();
  return 0;
}

// When the file cannot be made the user is told once; the writers still run their queries,
// so database errors are shown too, but they write nothing.
bool COrdine2Mw::OpenOutput() {
  // A killed run leaves its unfinished file beside the order file; it goes now, whatever it
  // has become since.
  platform::RemoveFile(WorkingFile(outputPath_));
  output_ = platform::File::Open(WorkingFile(outputPath_), "wt");
  if (!output_) {
    ReportWriteFailure();
    // Nothing of this order can be written, so the name shows no order at all rather than an
    // earlier one that the user would send as this.
    platform::RemoveFile(outputPath_);
  }
  return static_cast<bool>(output_);
}

// A failed write puts the file in place all the same: it then holds what reached the disk of
// this order, as writing over the old file would have left it, down to an empty file when
// nothing did. What the user must never find under the name after a failure is the previous
// order, which an untouched old file would be.
bool COrdine2Mw::CloseOutput() {
  if (!output_) return false;
  if (!output_.Close()) ReportWriteFailure();
  if (!platform::ReplaceFileWith(WorkingFile(outputPath_), outputPath_)) {
    ReportWriteFailure();
    platform::RemoveFile(WorkingFile(outputPath_));
    platform::RemoveFile(outputPath_);
  }
  return true;
}

void COrdine2Mw::ReportWriteFailure() {
  platform::Ui& ui = platform::CurrentUi();
  ui.Beep(0);
  ui.ShowMessage(platform::Owner::Active, "Impossibile scrivere sul file di output.", "ERRORE",
                 platform::kMbOk | platform::kMbIconHand);
}

void COrdine2Mw::WriteRecord(const std::string& record) {
  if (!output_) return;
  if (!output_.Puts(record)) ReportWriteFailure();
}

void COrdine2Mw::WriteHeader() {
  try {
    RecordSource* pass = OpenOrderQuery("GET_EXP_ORDINE", orderId_);
    if (!pass) return;
    pass->MoveFirst();
    std::string delivery = ToYyyymmdd(TextOf(pass->Field("DataConsegna")));
    std::string compiled = ToYyyymmdd(TextOf(pass->Field("DataCompilazione")));
    WriteRecord(FormatStatement(kHeaderFormat, {std::string("AK"), orderId_, customerCode_, delivery, std::string(),
                                                compiled, firstCode_.substr(0, 1), secondCode_.substr(0, 1),
                                                std::string(), std::string()}));
  } catch (const DbError& e) {
    ShowDatabaseError(e);
  }
}

void COrdine2Mw::WriteLines() {
  try {
    RecordSource* pass = OpenOrderQuery("GET_EXP_ORDINE_DETT", orderId_);
    if (!pass) return;
    // One format, one set of arguments and one record for the whole order: a line changes
    // only its number, code and quantity.
    static const StatementFormat lineFormat(kLineFormat);
    enum { kLine = 2, kCode = 3, kOrdered = 4 };
    std::vector<SqlArg> args = {std::string("AP"), orderId_, std::int32_t(0), std::string(), std::int32_t(0),
                                std::int32_t(0), std::int32_t(0), std::int32_t(0), std::string(), std::string()};
    std::string record;
    std::int32_t line = 0;
    for (pass->MoveFirst(); !pass->AtEnd(); pass->MoveNext()) {
      args[kCode] = TextOf(pass->Field("Codice"));
      Variant quantity = pass->Field("QtaOrdinata");
      args[kOrdered] = VariantToLong(quantity.IsNull() ? Variant::R8(0.0) : quantity);
      args[kLine] = ++line;
      record.clear();
      lineFormat.AppendTo(record, args);
      WriteRecord(record);
    }
  } catch (const DbError& e) {
    ShowDatabaseError(e);
  }
}

// dd/mm/yyyy by character positions: 25/12/2008 gives 20081225. A text too short to hold a
// date gives nothing, which the record fills with blanks.
std::string COrdine2Mw::ToYyyymmdd(const std::string& date) {
  if (date.size() < 6) return "";
  auto part = [&](std::size_t from, std::size_t length) { return from < date.size() ? date.substr(from, length) : ""; };
  return part(6, 4) + part(3, 2) + part(0, 2);
}

}  // namespace zmw
