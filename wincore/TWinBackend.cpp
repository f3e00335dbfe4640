#include "wincore/TWinBackend.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

extern char** environ;

bool TWinBackend::SetClipboardText(const std::string& text)
{
    clipboard_ = text;
    return true;
}

bool TWinBackend::GetClipboardText(std::string& text)
{
    text = clipboard_;
    return true;
}

bool TWinBackend::SetBrightness(int percent)
{
    brightness_ = std::clamp(percent, 0, 100);
    return true;
}

namespace {

// Arguments separated by spaces; "..." keeps spaces (quotes dropped).
std::vector<std::string> SplitArguments(const std::string& text)
{
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any || !cur.empty())
                out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
        }
    }
    if (any || !cur.empty())
        out.push_back(cur);
    return out;
}

} // namespace

bool TWinBackend::StartProcess(const std::string& path, const std::string& arguments, int& pid)
{
    pid = 0;
    if (path.empty() || access(path.c_str(), X_OK) != 0)
        return false;
    std::vector<std::string> args = SplitArguments(arguments);
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    pid = int(child);
    return true;
}
