#pragma once
#include <string>

// Between the files of wincore only.

// Empties the registry (a new backend starts a new machine).
void WinRegistryReset();
// A process object for a started child (pid 0: already over).
HANDLE WinProcessHandle(int pid);
// Lower-case ASCII.
std::string WinLower(std::string text);
