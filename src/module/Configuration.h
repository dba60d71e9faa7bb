// What the configuration dialog opens: the stop request, the archive update and the Excel format.
#pragma once
#include "maicowin/MwConfDlg.h"

namespace zmw {

ConfDialogActions ConfigurationActions();

}  // namespace zmw
