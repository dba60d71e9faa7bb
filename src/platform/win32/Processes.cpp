// The process walk over the Windows process services, each loaded by name so that the library
// loads on every Windows family even where a module is missing.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <vector>

#include "platform/Processes.h"
#include "platform/win32/Handles.h"

namespace zmw::platform {
namespace {

using win32::Function;
using win32::UniqueModule;

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using TaskEnumProcEx = BOOL(WINAPI*)(DWORD, WORD, WORD, LPSTR, LPSTR, LPARAM);
using VdmEnumTaskWowExFn = INT(WINAPI*)(DWORD, TaskEnumProcEx, LPARAM);
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessEntryFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

constexpr DWORD kQueryAndRead = 0x410;  // PROCESS_QUERY_INFORMATION | PROCESS_VM_READ

struct TaskWalk {
  ProcessTest test;
  std::intptr_t callerValue;
  DWORD processId;
  bool found;
  bool stop;
};

BOOL WINAPI OnTask(DWORD, WORD, WORD task, LPSTR, LPSTR fileName, LPARAM data) {
  auto* walk = reinterpret_cast<TaskWalk*>(data);
  int r = walk->test(walk->processId, task, fileName ? fileName : "", walk->callerValue);
  if (r == 2) walk->found = true;
  if (r == 0) {
    walk->stop = true;
    return TRUE;  // ends the enumeration
  }
  return FALSE;
}

bool EndsWithNtvdm(const char* name) {
  std::size_t n = std::strlen(name);
  return n >= 9 && ::lstrcmpiA(name + n - 9, "NTVDM.EXE") == 0;
}

int WalkNt(ProcessTest test, std::intptr_t callerValue) {
  UniqueModule psapi(::LoadLibraryA("PSAPI.DLL"));
  UniqueModule vdmdbg(::LoadLibraryA("VDMDBG.DLL"));
  auto enumProcesses = Function<EnumProcessesFn>(psapi, "EnumProcesses");
  auto enumModules = Function<EnumProcessModulesFn>(psapi, "EnumProcessModules");
  auto moduleFileName = Function<GetModuleFileNameExFn>(psapi, "GetModuleFileNameExA");
  auto enumTasks = Function<VdmEnumTaskWowExFn>(vdmdbg, "VDMEnumTaskWOWEx");
  if (!enumProcesses || !enumModules || !moduleFileName || !enumTasks) return 0;

  // The platform does not say how many ids there are: a full buffer may have been too small.
  std::vector<DWORD> ids(256);
  DWORD bytes = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!enumProcesses(ids.data(), size, &bytes)) return 0;
    if (bytes != size) break;
    ids.resize(ids.size() * 2);
  }
  ids.resize(bytes / sizeof(DWORD));

  bool found = false;
  for (DWORD id : ids) {
    char name[MAX_PATH] = "";
    {
      win32::UniqueHandle process(::OpenProcess(kQueryAndRead, FALSE, id));
      HMODULE first = nullptr;
      DWORD needed = 0;
      if (process && enumModules(process.Get(), &first, sizeof first, &needed)) {
        if (moduleFileName(process.Get(), first, name, MAX_PATH) == 0) name[0] = '\0';
      }
    }
    int r = test(id, 0, name, callerValue);
    if (r == 2) found = true;
    if (r == 0) break;
    if (EndsWithNtvdm(name)) {
      TaskWalk walk{test, callerValue, id, false, false};
      enumTasks(id, OnTask, reinterpret_cast<LPARAM>(&walk));
      if (walk.found) found = true;
      if (walk.stop) break;
    }
  }
  return found ? 1 : 0;
}

int WalkConsumer(ProcessTest test, std::intptr_t callerValue) {
  UniqueModule kernel(::LoadLibraryA("Kernel32.DLL"));
  auto snapshot = Function<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
  auto first = Function<ProcessEntryFn>(kernel, "Process32First");
  auto next = Function<ProcessEntryFn>(kernel, "Process32Next");
  if (!snapshot || !first || !next) return 0;
  win32::UniqueFileHandle snap(snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return 0;
  bool found = false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snap.Get(), &entry); more; more = next(snap.Get(), &entry)) {
    int r = test(entry.th32ProcessID, 0, entry.szExeFile, callerValue);
    if (r == 2) found = true;
    if (r == 0) break;
  }
  return found ? 1 : 0;
}

}  // namespace

int WalkProcesses(ProcessTest test, std::intptr_t callerValue) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&version)) return 0;
#pragma GCC diagnostic pop
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT: return WalkNt(test, callerValue);
    case VER_PLATFORM_WIN32_WINDOWS: return WalkConsumer(test, callerValue);
    default: return 0;
  }
}

}  // namespace zmw::platform
