// What the library needs of a database provider: a connection that opens from a connection
// text, runs statements and gives forward-only record passes. ODBC, ADO and the workbook
// reader each implement it; failures are DbError.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/Variant.h"

namespace zmw {

class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual bool AtEnd() const = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual Variant Field(const std::string& name) const = 0;
  virtual Variant Field(int position) const = 0;
  virtual void Close() = 0;
};

// ADO data types the library binds.
enum AdoType { kAdCurrency = 6, kAdBstr = 8, kAdNumeric = 131 };

struct ParameterSpec {
  std::string name;
  int type;
  int size;
};

class CommandSource {
 public:
  virtual ~CommandSource() = default;
  virtual void SetParameter(const std::string& name, const Variant& value) = 0;
  virtual void Execute() = 0;
};

class DataSource {
 public:
  virtual ~DataSource() = default;
  virtual void Open(const std::string& connectionText) = 0;
  virtual void Close() = 0;
  virtual std::int32_t ExecuteNoRecords(const std::string& statement) = 0;
  virtual std::unique_ptr<RecordSource> OpenRecordSet(const std::string& statement) = 0;
  virtual std::unique_ptr<CommandSource> Prepare(const std::string& statement,
                                                 const std::vector<ParameterSpec>& parameters) = 0;
  virtual void SetCursorLocation(int location) { (void)location; }
  // A query whose parameters ("?", in order) are texts, prepared once on this connection and
  // run again for each call with other texts: a lookup made for every line of a long input
  // is compiled by the database once. nullptr where the provider cannot, and the caller runs
  // the literal query instead.
  virtual std::unique_ptr<RecordSource> OpenPreparedRecordSet(const std::string& statement,
                                                              const std::vector<std::string>& texts) {
    (void)statement;
    (void)texts;
    return nullptr;
  }
  // The statement prepared on the open connection and never run: the names of its result's
  // columns, none for a statement without records. A provider that cannot prepare without
  // running raises E_NOTIMPL; a statement the database rejects raises its error.
  virtual std::vector<std::string> ResultColumns(const std::string& statement);
  // The table's unique keys (its primary key among them) as the database's catalog gives
  // them: the columns of each, in key order. A provider without a catalog raises E_NOTIMPL.
  virtual std::vector<std::vector<std::string>> UniqueKeys(const std::string& table);
};

// The provider a connection text calls for: an Excel workbook through Jet or ACE, another
// OLE DB provider through ADO, everything else through ODBC.
std::unique_ptr<DataSource> CreateDataSource(const std::string& connectionText);

// Whether the text names an OLE DB provider ("Provider=..."), and whether that is the
// workbook route (Jet or ACE with Excel extended properties).
bool NamesOleDbProvider(const std::string& connectionText);
bool NamesExcelWorkbook(const std::string& connectionText);

// ADO's messages where the library stands in for it.
inline constexpr const char* kAdoClosedText = "Operation is not allowed when the object is closed.";
inline constexpr const char* kAdoNoCurrentRecordText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";
inline constexpr const char* kAdoItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
inline constexpr const char* kAdoProviderNotFoundText =
    "Provider cannot be found. It may not be properly installed.";
inline constexpr std::int32_t kAdoClosed = std::int32_t(0x800A0E78);
inline constexpr std::int32_t kAdoNoCurrentRecord = std::int32_t(0x800A0BCD);

}  // namespace zmw
