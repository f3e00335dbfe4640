#include "enginelib/base/Clipboard.h"

#include <mutex>

namespace {
std::mutex g_mutex;
TClipboardService g_service;
std::string g_text;
} // namespace

bool Clipboard_SetTextBuf(const char* text)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    const TClipboardService service = g_service;
    if (!service.set) {
        g_text = text ? text : "";
        return true;
    }
    lock.unlock();
    return service.set(text ? text : "");
}

bool Clipboard_GetTextBuf(DString& text)
{
    std::unique_lock<std::mutex> lock(g_mutex);
    const TClipboardService service = g_service;
    std::string out;
    if (!service.get) {
        out = g_text;
    } else {
        lock.unlock();
        if (!service.get(out))
            return false;
    }
    text = out.c_str();
    return true;
}

void SetClipboardService(const TClipboardService& service)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_service = service;
}
