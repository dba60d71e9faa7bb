// MaicoWin's technical sheets (DATI\SCHEDTEC.DAT) added to the host database: each sheet whose
// description the database does not know yet becomes SCHEDTEC_<n>, numbered on from the
// highest number in use. Known sheets are left alone; nothing is deleted or renamed.
#pragma once
#include <string>

namespace zmw {

class SchedTecScanner {
 public:
  SchedTecScanner();
  ~SchedTecScanner() = default;

  // 1 when SCHEDTEC.DAT was read to its end; 0 when the host database was found open already
  // or the file could not be opened.
  int Run();

  // The highest number of the sheets' names; 0 when there are none; -1 after an error (shown).
  int GetLastIdNumber();
  // 1 when the database has a sheet of that description, 0 when not, -1 after an error (shown).
  int NomeSchedTechExists(const std::string& description);
  // The number for the next new sheet: unchanged when nothing was added, one more after an
  // addition, -1 after an error (shown).
  int AddAsFit(const std::string& name, const std::string& description, int number);

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// "SCHEDTEC_" and the number.
std::string SchedTecName(int number);

}  // namespace zmw
