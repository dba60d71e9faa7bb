#include <objbase.h>

#include "platform/Com.h"

namespace zmw::platform {
namespace {
thread_local int balance = 0;
}

// The result is not looked at: a second initialisation of the same apartment is fine.
void ComInitialize() {
  ::CoInitialize(nullptr);
  ++balance;
}

void ComUninitialize() {
  ::CoUninitialize();
  --balance;
}

int ComBalance() { return balance; }

}  // namespace zmw::platform
