// The file a fuzz target hands to a reader that takes a path: one per process, gone when the
// process ends. It lives in memory where the machine has a memory file system: written anew
// for every input, on a disk it would cost more than the reading it serves.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace zmw::fuzz {

inline const std::string& WorkFile(const char* kind) {
  struct Name {
    std::string path;
    pid_t owner = ::getpid();
    // A child process leaves the file to the process that made it.
    ~Name() {
      if (::getpid() == owner) ::unlink(path.c_str());
    }
  };
  static const Name name{[&] {
    struct stat shm;
    std::string folder = ::stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) ? "/dev/shm" : "/tmp";
    return folder + "/zmw-fuzz-" + kind + "-" + std::to_string(::getpid());
  }()};
  return name.path;
}

inline void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// The text with its carriage returns taken out: how a file's text may differ from the bytes on
// disk in text mode, besides ending at a Ctrl-Z.
inline std::string WithoutCr(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

}  // namespace zmw::fuzz
