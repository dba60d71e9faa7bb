// COM initialisation of the calling thread. On POSIX there is no COM; the stand-in only keeps
// the balance so that the library's pairing of the calls can be seen.
#pragma once

namespace zmw::platform {

void ComInitialize();
void ComUninitialize();
// Initialisations not yet balanced by an uninitialisation on this thread (POSIX stand-in; the
// Windows build counts its own calls the same way).
int ComBalance();

}  // namespace zmw::platform
