// The six exports that Zelvo calls. Each builds what it needs on its own stack and lets no
// exception reach the host.
#define ZELVOMW_BUILDING
#include "zelvomw.h"

#include <string>

#include "base/FileNames.h"
#include "base/Ini.h"
#include "base/MwPath.h"
#include "import/ExcelPriceImport.h"
#include "maicowin/MaicoWinConf.h"
#include "module/Configuration.h"
#include "module/Calculation.h"
#include "module/Module.h"
#include "order/Ordine2Mw.h"

namespace {

// The module-wide objects, alive from load to unload.
zmw::CZelvoMWApp theApp;

std::string Text(const char* s) { return s ? s : ""; }

}  // namespace

extern "C" {

int ZELVOMW_CALL ControllaInstallazioneMW(void) {
  return zmw::GuardExport(0, [] {
    zmw::MaicoWinConf conf;
    return conf.CheckInstallation(zmw::kDefaultInstallFolder, 1);
  });
}

int ZELVOMW_CALL LanciaConfiguratoreMW(void) {
  return zmw::GuardExport(2, [] {
    zmw::MaicoWinConf conf;
    std::string installed = zmw::ReadZelvoMwIni("DIRS", "INST_PATH");
    if (!installed.empty()) {
      conf.CheckInstallation(installed, 1);
    } else {
      conf.CheckInstallation(zmw::kDefaultInstallFolder, 1);
      conf.WriteDefaultConfig();
    }
    std::string startPath = zmw::ReadZelvoIni("SYSTEM", "START_PATH");
    if (!zmw::MwPath(startPath).Append("POET.CFG").Exists()) conf.CopyConfigFiles(startPath);
    zmw::CMwConfDlg dialog(zmw::ConfigurationActions());
    return dialog.DoModal();
  });
}

int ZELVOMW_CALL LanciaCalcoloMW(const char* jobPath) {
  return zmw::GuardExport(0, [&] { return zmw::RunCalculation(Text(jobPath)); });
}

int ZELVOMW_CALL DebugLeggiMwExport(const char* jobName) {
  return zmw::GuardExport(0, [&] {
    zmw::ProcessExistingResult(Text(jobName));
    return 0;
  });
}

int ZELVOMW_CALL Ordine2Mw(const char* orderId, const char* firstCode, const char* secondCode) {
  return zmw::GuardExport(0, [&] {
    zmw::COrdine2Mw order(Text(orderId), Text(firstCode), Text(secondCode));
    order.Run();
    return 0;
  });
}

int ZELVOMW_CALL Test(void) {
  return zmw::GuardExport(1, [] {
    zmw::ExcelPriceImport prices;
    prices.Run();
    return 1;
  });
}

}  // extern "C"
