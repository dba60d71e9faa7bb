// The library module: its application object and the guard around every export.
#pragma once
#include <exception>
#include <string>

#include "platform/Locks.h"

namespace zmw {

// The application object of the library; one exists while the library is loaded.
class CZelvoMWApp {
 public:
  CZelvoMWApp();
  ~CZelvoMWApp();
  CZelvoMWApp(const CZelvoMWApp&) = delete;
  CZelvoMWApp& operator=(const CZelvoMWApp&) = delete;
};

// Shows a failure that escaped an export once ("Errore interno: ...", caption "ZelvoMW").
void ReportInternalError(const char* what) noexcept;

// Runs an export's body; anything thrown is shown once and the export's failure result returned.
template <typename Body>
int GuardExport(int failureResult, Body&& body) noexcept {
  try {
    platform::InterruptHold hold;
    return body();
  } catch (const std::exception& e) {
    ReportInternalError(e.what());
  } catch (...) {
    ReportInternalError("eccezione sconosciuta");
  }
  return failureResult;
}

}  // namespace zmw
