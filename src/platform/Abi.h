// The calling convention and linkage of functions that cross into other modules: the Win32
// one (__stdcall, imported from a DLL) on Windows, the plain C one elsewhere.
#pragma once

#ifdef _WIN32
#define ZMW_WINAPI __stdcall
#define ZMW_DLLIMPORT __declspec(dllimport)
#define ZMW_DLLEXPORT
#else
#define ZMW_WINAPI
#define ZMW_DLLIMPORT
#define ZMW_DLLEXPORT __attribute__((visibility("default")))
#endif
