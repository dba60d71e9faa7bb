#include "platform/Dialogs.h"

namespace zmw::platform {

DialogHost& PlatformDialogHost();  // the platform folder's own

namespace {
DialogHost* installed = nullptr;
}

DialogHost& CurrentDialogHost() { return installed ? *installed : PlatformDialogHost(); }
void SetDialogHost(DialogHost* host) { installed = host; }

}  // namespace zmw::platform
