#pragma once
#include <functional>

// Where the library's basic classes report what went wrong (the engine facade
// installs its log here; nothing is written before it does).
void LibraryLog(const char* line);
void SetLibraryLogSink(std::function<void(const char*)> sink);
