// What the whole DLL shares: its instance handle and the count that tells COM whether it may
// unload the DLL.
#pragma once

#include <windows.h>

namespace albumlist {

HINSTANCE ModuleInstance();
// Objects alive and LockServer calls hold the DLL in memory.
void LockModule();
void UnlockModule();

} // namespace albumlist
