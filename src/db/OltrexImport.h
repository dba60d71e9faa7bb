// Zelvo's own import library (Oltrex.dll on Windows, liboltrex.so here), linked at load time:
// it takes a FIT or KIT list into the host database. Each call is finished, and the file free,
// when it returns; nothing is reported back. The two integers are always 0.
#pragma once
#include "platform/Abi.h"

extern "C" {
ZMW_DLLIMPORT int ZMW_WINAPI FitImport(const char* path, int reserved1, int reserved2);
ZMW_DLLIMPORT int ZMW_WINAPI KitImport(const char* path, int reserved1, int reserved2);
}
