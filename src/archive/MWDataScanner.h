// MaicoWin's finishes (DATI\FINITURA.DAT) brought into the host database: every finish of the
// file is deleted and created again, linked to the Maico accessories, and the accessories are
// then marked as taking the finish treatment.
#pragma once
#include <string>

namespace zmw {

class MWDataScanner {
 public:
  MWDataScanner() = default;
  virtual ~MWDataScanner() = default;

  // Opens the host database, scans, closes it; the scan's result.
  int Run();
  // 1 when FINITURA.DAT could be read, 0 when not (nothing changed, nothing said).
  int Scan();

  // Each gives the number of records the command touched, or -1 after an error it has shown.
  int CancellaFinitura(std::string code);
  int CreaFinitura(std::string code);
  int AggFinituraSuAcc(std::string maker, std::string maker2, std::string kind, std::string code);
  int SetAccettaTratt(std::string maker, std::string maker2, std::string kind);
};

}  // namespace zmw
