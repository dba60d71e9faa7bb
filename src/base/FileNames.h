// The file and folder names that every part of the library shares.
#pragma once

namespace zmw {

inline constexpr const char* kBinFolder = "BIN";
inline constexpr const char* kDatiFolder = "DATI";
inline constexpr const char* kMaicoWinIni = "MAICOWIN.INI";
inline constexpr const char* kSchedTecDat = "SCHEDTEC.DAT";
inline constexpr const char* kFinituraDat = "FINITURA.DAT";
inline constexpr const char* kZelvoMwIni = "ZELVOMW.INI";
inline constexpr const char* kZelvoIni = "ZELVO.INI";

}  // namespace zmw
