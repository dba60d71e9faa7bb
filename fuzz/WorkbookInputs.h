// Workbooks as the fuzz targets of the workbook readers make them from their input, and the
// reading every target does: every sheet, every cell converted to text.
#pragma once
#include <zip.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "db/DbError.h"
#include "db/Workbook.h"
#include "db/providers/posix/WorkbookReader.h"

namespace zmw::fuzz {

// The input's parts, split at "\x01\x02": the sheet first, then shared strings, styles and the
// workbook; a part not given is a plain one of a real file.
inline bool WriteXlsx(const std::string& path, const std::string& input) {
  std::vector<std::string> parts;
  for (std::size_t from = 0;;) {
    std::size_t at = input.find("\x01\x02", from);
    parts.push_back(input.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) break;
    from = at + 2;
  }
  auto part = [&](std::size_t i, const char* plain) { return i < parts.size() ? parts[i] : std::string(plain); };
  const char* ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  std::vector<std::pair<std::string, std::string>> files = {
      {"_rels/.rels", std::string("<Relationships><Relationship Id=\"r\" Type=\"") + ns +
                          "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/_rels/workbook.xml.rels",
       std::string("<Relationships><Relationship Id=\"s1\" Type=\"") + ns +
           "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"ss\" Type=\"" + ns +
           "/sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"st\" Type=\"" + ns +
           "/styles\" Target=\"/xl/styles.xml\"/></Relationships>"},
      {"xl/worksheets/sheet1.xml", part(0, "")},
      {"xl/sharedStrings.xml", part(1, "<sst><si><t>a</t></si><si><r><t>b</t></r><rPh><t>c</t></rPh></si></sst>")},
      {"xl/styles.xml", part(2, "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/></numFmts>"
                                "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/></cellXfs>"
                                "</styleSheet>")},
      {"xl/workbook.xml", part(3, "<workbook xmlns:r=\"x\"><workbookPr date1904=\"0\"/><sheets>"
                                  "<sheet name=\"Listino\" r:id=\"s1\"/></sheets></workbook>")},
  };
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!zip) return false;
  // The parts are stored, not deflated: libzip hands the reader either alike, and deflating
  // every input would cost more than reading it.
  for (auto& [name, bytes] : files) {
    zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
    zip_int64_t index = source ? zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
    if (index < 0 || zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0) < 0) {
      if (source && index < 0) zip_source_free(source);
      zip_discard(zip);
      return false;
    }
  }
  return zip_close(zip) == 0;
}

inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}
inline void Put16(std::string& b, std::size_t at, std::uint16_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char(v >> 8);
}

// A compound file of 512-byte sectors: the FAT in sector 0, the directory in sector 1 (the root
// and the "Workbook" stream), the stream from sector 2 on, at least 4096 bytes so that it is no
// mini stream.
inline void WriteXls(const std::string& path, std::string stream) {
  constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
  if (stream.size() < 4608) stream.resize(4608, '\0');
  std::size_t sectors = (stream.size() + 511) / 512;
  if (sectors > 126) {
    sectors = 126;
    stream.resize(126 * 512);
  }
  stream.resize(sectors * 512, '\0');
  std::string header(512, '\0');
  const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::memcpy(header.data(), signature, 8);
  Put16(header, 24, 0x3E);
  Put16(header, 26, 3);
  Put16(header, 28, 0xFFFE);
  Put16(header, 30, 9);
  Put16(header, 32, 6);
  Put32(header, 44, 1);  // one FAT sector
  Put32(header, 48, 1);  // the directory's first sector
  Put32(header, 56, 4096);
  Put32(header, 60, kEnd);
  Put32(header, 68, kEnd);
  for (std::size_t i = 0; i < 109; ++i) Put32(header, 76 + 4 * i, i == 0 ? 0 : kFree);
  std::string fat(512, '\0');
  for (std::size_t i = 0; i < 128; ++i) {
    std::uint32_t v = kFree;
    if (i == 0) v = 0xFFFFFFFD;
    else if (i == 1) v = kEnd;
    else if (i >= 2 && i < 2 + sectors) v = i + 1 < 2 + sectors ? std::uint32_t(i + 1) : kEnd;
    Put32(fat, 4 * i, v);
  }
  std::string directory(512, '\0');
  auto entry = [&](std::size_t index, const char* name, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                   std::uint32_t size) {
    std::size_t at = index * 128;
    std::size_t n = std::strlen(name);
    for (std::size_t i = 0; i < n; ++i) directory[at + 2 * i] = name[i];
    Put16(directory, at + 64, std::uint16_t(n ? 2 * (n + 1) : 0));
    directory[at + 66] = char(type);
    directory[at + 67] = 1;
    Put32(directory, at + 68, kFree);
    Put32(directory, at + 72, kFree);
    Put32(directory, at + 76, child);
    Put32(directory, at + 116, start);
    Put32(directory, at + 120, size);
  };
  entry(0, "Root Entry", 5, 1, kEnd, 0);
  entry(1, "Workbook", 2, kFree, 2, std::uint32_t(stream.size()));
  entry(2, "", 0, kFree, 0, 0);
  entry(3, "", 0, kFree, 0, 0);
  WriteRaw(path, header + fat + directory + stream);
}

// Every sheet read and every cell converted to text: nothing may crash, and what is no
// workbook is a DbError.
inline void ReadEveryCell(const std::string& path) {
  try {
    std::unique_ptr<zmw::WorkbookReader> reader = zmw::OpenWorkbookFile(path);
    for (const std::string& name : reader->SheetNames()) {
      std::shared_ptr<const zmw::SheetData> sheet = reader->ReadSheet(name);
      std::unique_ptr<zmw::RecordSource> pass = zmw::MakeSheetRecords(sheet);
      int rows = 0;
      for (; !pass->AtEnd() && rows < 1000; pass->MoveNext(), ++rows) {
        for (std::size_t c = 0; c < sheet->ColumnCount() && c < 64; ++c) {
          zmw::Variant v = pass->Field(int(c));
          try {
            if (!v.IsNull()) zmw::VariantToText(v);
          } catch (const zmw::DbError&) {
            // a date past the platform's range: an error for the import's row, not a crash
          }
        }
      }
    }
  } catch (const zmw::DbError&) {
    // not a workbook, damaged, protected, or a sheet it does not have: said, not crashed
  }
}

}  // namespace zmw::fuzz
