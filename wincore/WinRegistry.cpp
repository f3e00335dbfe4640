#include "wincore/WinRegistry.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>

#include "wincore/WinApi.h"
#include "wincore/WinInternal.h"

bool TWinRegistryStore::HasKey(const std::string& path) const { return keys_.count(WinLower(path)) != 0; }

bool TWinRegistryStore::CreateKey(const std::string& path)
{
    const std::string lower = WinLower(path);
    if (keys_.count(lower))
        return false;
    keys_[lower].path = path;
    return true;
}

bool TWinRegistryStore::SetValue(const std::string& path, const std::string& name, DWORD type,
                                 const uint8_t* data, size_t size)
{
    if (size > MaxValueSize || (size && !data))
        return false;
    auto it = keys_.find(WinLower(path));
    if (it == keys_.end())
        return false;
    Value& v = it->second.values[WinLower(name)];
    v.name = name;
    v.type = type;
    v.data.assign(data, data + size);
    return true;
}

const TWinRegistryStore::Value* TWinRegistryStore::FindValue(const std::string& path, const std::string& name) const
{
    auto it = keys_.find(WinLower(path));
    if (it == keys_.end())
        return nullptr;
    auto v = it->second.values.find(WinLower(name));
    return v == it->second.values.end() ? nullptr : &v->second;
}

bool TWinRegistryStore::DeleteValue(const std::string& path, const std::string& name)
{
    auto it = keys_.find(WinLower(path));
    return it != keys_.end() && it->second.values.erase(WinLower(name)) != 0;
}

namespace {

std::string Escape(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c <= ' ' || c == '%' || c == 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool Unhex(const std::string& text, std::vector<uint8_t>& out)
{
    out.clear();
    if (text.size() % 2 || text.size() / 2 > TWinRegistryStore::MaxValueSize)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out.push_back(uint8_t(hi * 16 + lo));
    }
    return true;
}

// Space-separated fields of a line (an empty one after a trailing space).
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    size_t i = 0;
    for (;;) {
        const size_t end = line.find(' ', i);
        if (end == std::string::npos) {
            out.push_back(line.substr(i));
            return out;
        }
        out.push_back(line.substr(i, end - i));
        i = end + 1;
    }
}

} // namespace

size_t TWinRegistryStore::Parse(const std::string& text)
{
    size_t bad = 0;
    std::string key;
    bool haveKey = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::vector<std::string> f = Fields(line);
        std::string name;
        if (f.size() == 2 && f[0] == "K" && Unescape(f[1], name) && !name.empty()) {
            key = name;
            haveKey = true;
            CreateKey(key);
            continue;
        }
        std::vector<uint8_t> data;
        if (f.size() == 4 && f[0] == "V" && haveKey && Unescape(f[2], name) && Unhex(f[3], data)) {
            char* stop = nullptr;
            const unsigned long type = strtoul(f[1].c_str(), &stop, 10);
            if (!f[1].empty() && stop && !*stop && type <= 0xFFFFFFFFul) {
                SetValue(key, name, DWORD(type), data.data(), data.size());
                continue;
            }
        }
        ++bad;
    }
    return bad;
}

std::string TWinRegistryStore::Serialize() const
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const auto& [lower, key] : keys_) {
        out += "K " + Escape(key.path) + "\n";
        for (const auto& [vlower, v] : key.values) {
            out += "V " + std::to_string(v.type) + " " + Escape(v.name) + " ";
            for (uint8_t b : v.data) {
                out += hex[b >> 4];
                out += hex[b & 15];
            }
            out += "\n";
        }
    }
    return out;
}

// The registry calls.

namespace {

struct Registry {
    std::mutex mutex;
    TWinRegistryStore store;
    std::map<uintptr_t, std::string> open; // handle -> key path
    uintptr_t next = 0x40000;
    std::string file;
};

Registry& R()
{
    static Registry* r = new Registry;
    return *r;
}

// Path of a root or open key; false for an unknown handle. Lock held.
bool KeyPath(HKEY key, std::string& path)
{
    if (key == HKEY_LOCAL_MACHINE) {
        path = "HKLM";
        return true;
    }
    if (key == HKEY_CURRENT_USER) {
        path = "HKCU";
        return true;
    }
    auto it = R().open.find(reinterpret_cast<uintptr_t>(key));
    if (it == R().open.end())
        return false;
    path = it->second;
    return true;
}

// Root path joined with a sub key ('\' separated, empty parts dropped).
std::string Join(const std::string& base, LPCWSTR subKey)
{
    std::string out = base;
    std::string part;
    const std::string sub = WinToUtf8(subKey);
    for (size_t i = 0; i <= sub.size(); ++i) {
        if (i == sub.size() || sub[i] == '\\') {
            if (!part.empty())
                out += "\\" + part;
            part.clear();
        } else {
            part += sub[i];
        }
    }
    return out;
}

HKEY OpenHandle(const std::string& path)
{
    Registry& r = R();
    r.next += 4;
    r.open[r.next] = path;
    return reinterpret_cast<HKEY>(r.next);
}

bool IsRoot(const std::string& path) { return path == "HKLM" || path == "HKCU"; }

bool Save()
{
    Registry& r = R();
    if (r.file.empty())
        return true;
    const std::string tmp = r.file + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << r.store.Serialize();
        if (!out)
            return false;
    }
    return std::rename(tmp.c_str(), r.file.c_str()) == 0;
}

} // namespace

void WinRegistryReset()
{
    std::lock_guard<std::mutex> lock(R().mutex);
    R().store.Clear();
    R().open.clear();
    R().file.clear();
}

bool WinRegistrySetFile(const std::string& path)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.file = path;
    if (path.empty())
        return true;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true; // made at the first flush
    std::string text;
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, size_t(in.gcount()));
        if (text.size() > TWinRegistryStore::MaxFileSize)
            return false;
    }
    return r.store.Parse(text) == 0;
}

LONG RegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD, LPWSTR, DWORD, DWORD, SECURITY_ATTRIBUTES*, HKEY* result,
                     DWORD* disposition)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string base;
    if (!result || !KeyPath(root, base))
        return LONG(ERROR_INVALID_HANDLE);
    const std::string path = Join(base, subKey);
    bool made = false;
    if (!IsRoot(path))
        made = r.store.CreateKey(path);
    if (disposition)
        *disposition = made ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = OpenHandle(path);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD, DWORD, HKEY* result)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string base;
    if (!result || !KeyPath(root, base))
        return LONG(ERROR_INVALID_HANDLE);
    const std::string path = Join(base, subKey);
    if (!IsRoot(path) && !r.store.HasKey(path))
        return LONG(ERROR_FILE_NOT_FOUND);
    *result = OpenHandle(path);
    return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string path;
    if (!KeyPath(key, path))
        return LONG(ERROR_INVALID_HANDLE);
    if (size > TWinRegistryStore::MaxValueSize || (size && !data))
        return LONG(ERROR_INVALID_PARAMETER);
    r.store.CreateKey(path); // a root's own values
    return r.store.SetValue(path, WinToUtf8(name), type, data, size) ? ERROR_SUCCESS : LONG(ERROR_INVALID_PARAMETER);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string path;
    if (!KeyPath(key, path))
        return LONG(ERROR_INVALID_HANDLE);
    if (data && !size)
        return LONG(ERROR_INVALID_PARAMETER);
    const TWinRegistryStore::Value* v = r.store.FindValue(path, WinToUtf8(name));
    if (!v)
        return LONG(ERROR_FILE_NOT_FOUND);
    if (type)
        *type = v->type;
    const DWORD needed = DWORD(v->data.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return LONG(ERROR_MORE_DATA);
        }
        std::copy(v->data.begin(), v->data.end(), data);
    }
    if (size)
        *size = needed;
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR name)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string path;
    if (!KeyPath(key, path))
        return LONG(ERROR_INVALID_HANDLE);
    return r.store.DeleteValue(path, WinToUtf8(name)) ? ERROR_SUCCESS : LONG(ERROR_FILE_NOT_FOUND);
}

LONG RegFlushKey(HKEY key)
{
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::string path;
    if (!KeyPath(key, path))
        return LONG(ERROR_INVALID_HANDLE);
    return Save() ? ERROR_SUCCESS : LONG(ERROR_NOT_ENOUGH_MEMORY);
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER)
        return ERROR_SUCCESS;
    Registry& r = R();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : LONG(ERROR_INVALID_HANDLE);
}
