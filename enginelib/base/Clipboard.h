#pragma once
#include <functional>
#include <string>

#include "enginelib/base/DString.h"

// The library's clipboard of 8-bit text. The platform installs its own at start-up
// (converting to and from the code page); until then an in-process one serves.
bool Clipboard_SetTextBuf(const char* text);
bool Clipboard_GetTextBuf(DString& text);

struct TClipboardService {
    std::function<bool(const std::string&)> set;
    std::function<bool(std::string&)> get;
};
// An empty service restores the in-process clipboard.
void SetClipboardService(const TClipboardService& service);
