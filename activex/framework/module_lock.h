// Counts of live COM objects and server locks of this module; DllCanUnloadNow
// answers S_OK only when both are zero.
#pragma once

namespace ModuleLock {
void AddObject();
void ReleaseObject();
void Lock();
void Unlock();
bool CanUnload();
}   // namespace ModuleLock
