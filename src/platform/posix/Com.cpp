#include "platform/Com.h"

namespace zmw::platform {
namespace {
thread_local int balance = 0;
}

void ComInitialize() { ++balance; }
void ComUninitialize() { --balance; }
int ComBalance() { return balance; }

}  // namespace zmw::platform
