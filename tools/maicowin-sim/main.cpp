// maicowin-sim: a stand-in for MaicoWin's calculation server, for tests and the demo.
//
// It reads MAICOWIN.INI from its own folder, owns the "ZelvoMwCalc" window while it runs and
// watches the request file ([EXPORT-IMPORT] IMPORT). A complete request (its blocks end with
// END) is answered with a result file ([EXPORT-IMPORT] EXPORT) in MaicoWin's fixed columns,
// written under another name and renamed into place. "FINE" or the quit message ends it.
//
//   --delay=<ms>    wait before answering
//   --empty         answer with an empty file
//   --no-answer     never answer
//   --idle=<s>      end after this many seconds without a request (default 600)
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/MwPath.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "platform/Programs.h"

using namespace zmw;

namespace {

struct Options {
  int delay = 0;
  bool empty = false;
  bool noAnswer = false;
  int idleSeconds = 600;
};

long long NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string ReadText(const std::string& path) {
  platform::File f = platform::File::Open(path, "rt");
  std::string all, line;
  while (f.Gets(line, 4096)) all += line;
  return all;
}

struct Block {
  std::vector<std::pair<std::string, std::string>> lines;
  std::string Value(const std::string& key) const {
    for (const auto& [k, v] : lines)
      if (k == key) return v;
    return "";
  }
};

std::vector<Block> ParseBlocks(const std::string& request) {
  std::vector<Block> blocks;
  Block current;
  std::size_t start = 0;
  while (start < request.size()) {
    std::size_t end = request.find('\n', start);
    if (end == std::string::npos) end = request.size();
    std::string line = request.substr(start, end - start);
    start = end + 1;
    if (line == "END") {
      blocks.push_back(current);
      current = Block{};
    } else if (std::size_t eq = line.find('='); eq != std::string::npos) {
      current.lines.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
  }
  return blocks;
}

void Put(std::string& line, std::size_t column, std::size_t width, const std::string& value) {
  std::string field = value.substr(0, width);
  line.replace(column, field.size(), field);
}

// One result line in MaicoWin's columns: position at 114, code at 143, quantity at 156,
// description at 171, a number at 262.
std::string ResultLine(int position, const std::string& code, long quantity, const std::string& description, int number) {
  std::string line(272, ' ');
  Put(line, 0, 20, "MW-SIM");
  Put(line, 114, 4, std::to_string(position));
  Put(line, 143, 13, code);
  Put(line, 156, 13, std::to_string(quantity));
  Put(line, 171, 65, description);
  Put(line, 262, 10, std::to_string(number));
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line + "\n";
}

// The accessories of a block follow from its parameters: hinges for every window, a locking
// rod, and a handle in the finish when one is given.
std::string Answer(const std::vector<Block>& blocks) {
  std::string result;
  for (const Block& b : blocks) {
    if (b.lines.empty()) continue;
    int position = std::atoi(b.Value("NUMPOSIZ").c_str());
    long quantity = std::atol(b.Value("QUANTITA").c_str());
    std::string firstNumber;
    for (const auto& [k, v] : b.lines)
      if (k != "CODCLIENTE" && k != "COMMESSA" && k != "NUMPOSIZ" && k != "QUANTITA" && !v.empty() &&
          (std::isdigit(static_cast<unsigned char>(v[0])) || v[0] == '-')) {
        firstNumber = v;
        break;
      }
    result += ResultLine(position, "301234", 2 * quantity, "Cerniera angolare", 1);
    result += ResultLine(position, "402010", quantity, "Asta cremonese " + firstNumber, 2);
    std::string finish = b.Value("FINITURA");
    if (!finish.empty()) result += ResultLine(position, "509900", quantity, "Maniglia " + finish, 3);
  }
  return result;
}

bool WriteResult(const std::string& path, const std::string& text) {
  std::string temp = path + ".sim";
  {
    platform::File out = platform::File::Open(temp, "wt");
    if (!out || !out.Puts(text) || !out.Close()) return false;
  }
  return platform::ReplaceFileWith(temp, path);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--delay=", 0) == 0) options.delay = std::atoi(a.c_str() + 8);
    else if (a == "--empty") options.empty = true;
    else if (a == "--no-answer") options.noAnswer = true;
    else if (a.rfind("--idle=", 0) == 0) options.idleSeconds = std::atoi(a.c_str() + 7);
  }
  // MAICOWIN.INI lies beside the program, in MaicoWin's BIN folder.
  std::string own = platform::OwnProgramPath();
  std::string ini = own.substr(0, own.find_last_of("\\/") + 1) + "MAICOWIN.INI";
  std::string request = platform::ProfileReadString(ini.c_str(), "EXPORT-IMPORT", "IMPORT", "", 1024);
  std::string result = platform::ProfileReadString(ini.c_str(), "EXPORT-IMPORT", "EXPORT", "", 1024);
  if (request.empty() || result.empty()) return 2;

  platform::CalcWindow window("ZelvoMwCalc");
  if (!window.Valid()) return 3;
  // Requests older than this program were answered by another one, except the one it was
  // started for, written while it comes up: Wine may take a good while to set up its prefix
  // first, and counts the program as created only then.
  long long created = platform::OwnProcessCreationTime();
  const long long started = (created > 0 ? created : NowNanoseconds()) - 60'000'000'000LL;
  platform::FileStampValue answered, previous;
  auto idleSince = std::chrono::steady_clock::now();
  auto unchangedSince = idleSince;
  for (;;) {
    if (window.WaitForQuit(50)) return 0;
    auto now = std::chrono::steady_clock::now();
    if (now - idleSince > std::chrono::seconds(options.idleSeconds)) return 0;
    platform::FileStampValue stamp = platform::FileStamp(request);
    bool steady = stamp == previous;  // unchanged since the last look: the writer is done
    if (!steady) unchangedSince = now;
    previous = stamp;
    if (stamp.size < 0 || !steady || stamp == answered || stamp.modified < started) continue;
    std::string text = ReadText(request);
    if (text.rfind("FINE\n", 0) == 0) return 0;
    // A request ends with the END of its last position. One without (a job with no positions,
    // a job file that was not there) has nothing to compute once it has stayed as it is for a
    // while, and gets the empty answer.
    bool complete = text.size() >= 4 && text.compare(text.size() - 4, 4, "END\n") == 0;
    if (!complete && now - unchangedSince < std::chrono::milliseconds(300)) continue;
    if (MwPath(result).Exists()) continue;  // the last answer has not been taken yet
    answered = stamp;
    idleSince = now;
    if (options.noAnswer) continue;
    // The quit message is heard while the calculation takes its time.
    if (options.delay > 0 && window.WaitForQuit(options.delay)) return 0;
    WriteResult(result, options.empty ? "" : Answer(ParseBlocks(text)));
  }
}
