// The calculation cycle behind LanciaCalcoloMW and DebugLeggiMwExport.
#pragma once
#include <string>

namespace zmw {

int RunCalculation(const std::string& jobPath);
void ProcessExistingResult(const std::string& jobName);

}  // namespace zmw
