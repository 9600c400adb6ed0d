// What the DLL's parts share: the count of live objects and server locks that decides when
// the DLL may be unloaded.
#pragma once

void TrayModuleLock();
void TrayModuleUnlock();
