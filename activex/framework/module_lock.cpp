#include "activex/framework/module_lock.h"

#include <windows.h>

namespace {
// Apartment-threaded objects, but factories may be reached from any thread.
LONG objects = 0;
LONG locks = 0;
}   // namespace

void ModuleLock::AddObject() {
    InterlockedIncrement(&objects);
}
void ModuleLock::ReleaseObject() {
    InterlockedDecrement(&objects);
}
void ModuleLock::Lock() {
    InterlockedIncrement(&locks);
}
void ModuleLock::Unlock() {
    InterlockedDecrement(&locks);
}
bool ModuleLock::CanUnload() {
    return objects == 0 && locks == 0;
}
