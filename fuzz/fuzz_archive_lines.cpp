// MaicoWin's FINITURA.DAT and SCHEDTEC.DAT of any content, read as the finishes and the
// technical-sheet scanners read them: each line in pieces of the scanners' buffer, in text
// mode, and what each scanner takes from a piece. The pieces give back the file's text; a
// finish code and a sheet description lie at the start of their piece, within their width,
// with no trailing white space and none of the piece's other characters left behind.
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzFiles.h"
#include "archive/ArchiveText.h"
#include "platform/Files.h"

namespace {

constexpr const char* kBlanks = " \t\r\n\v\f";

void CheckLeading(const std::string& field, const std::string& line, std::size_t width) {
  if (field.size() > width || line.compare(0, field.size(), field) != 0) __builtin_trap();
  if (!field.empty() && std::string(kBlanks).find(field.back()) != std::string::npos) __builtin_trap();
  std::string rest = line.substr(field.size(), width - field.size());
  if (rest.find_first_not_of(kBlanks) != std::string::npos) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string& path = zmw::fuzz::WorkFile("archive-lines");
  zmw::fuzz::WriteRaw(path, bytes);
  std::string text = bytes.substr(0, bytes.find('\x1A'));
  // FINITURA.DAT is opened with "r", SCHEDTEC.DAT with "rt": both text mode.
  for (const char* mode : {"r", "rt"}) {
    zmw::platform::File file = zmw::platform::File::Open(path, mode);
    if (!file) __builtin_trap();
    std::string line, joined;
    bool ended = false;  // a piece neither ended by a line feed nor filling the buffer is the last
    while (file.Gets(line, zmw::kDataLineBuffer)) {
      if (ended || line.empty() || line.size() > std::size_t(zmw::kDataLineBuffer - 1)) __builtin_trap();
      std::size_t feed = line.find('\n');
      if (feed != std::string::npos && feed + 1 != line.size()) __builtin_trap();
      if (feed == std::string::npos && line.size() < std::size_t(zmw::kDataLineBuffer - 1)) ended = true;
      joined += line;
      CheckLeading(zmw::FinishCodeOfLine(line), line, 10);
      std::optional<std::string> description = zmw::SheetDescriptionOfLine(line);
      if (description.has_value() == (line == "CRLF")) __builtin_trap();
      if (description) CheckLeading(*description, line, 50);
    }
    if (zmw::fuzz::WithoutCr(joined) != zmw::fuzz::WithoutCr(text)) __builtin_trap();
  }
  return 0;
}
