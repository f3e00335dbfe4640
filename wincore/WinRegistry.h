#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wincore/WinDefs.h"

// The registry's keys and values, and their file. Keys are full paths from a
// root ("HKLM\Hardware\Devicemap\Touch"); keys and value names compare without
// regard to ASCII case and keep the case they were made with.
//
// File: UTF-8 text, one entry a line:
//   K <key path>
//   V <type> <value name> <data as hex>
// a V line belongs to the K line above it; paths and names escape bytes up
// to ' ', '%' and 0x7F as %XX. Lines that do not parse are skipped.
class TWinRegistryStore {
public:
    static constexpr size_t MaxValueSize = size_t(1) << 20;
    static constexpr size_t MaxFileSize = size_t(16) << 20;

    struct Value {
        std::string name;
        DWORD type = REG_NONE;
        std::vector<uint8_t> data;
    };
    struct Key {
        std::string path;
        std::map<std::string, Value> values; // by lower-case name
    };

    // False when the key does not exist.
    bool HasKey(const std::string& path) const;
    // Makes the key when absent; true when it was made.
    bool CreateKey(const std::string& path);
    bool SetValue(const std::string& path, const std::string& name, DWORD type, const uint8_t* data, size_t size);
    const Value* FindValue(const std::string& path, const std::string& name) const;
    bool DeleteValue(const std::string& path, const std::string& name);
    void Clear() { keys_.clear(); }
    size_t KeyCount() const { return keys_.size(); }

    // Adds what the text holds; the number of lines skipped as bad.
    size_t Parse(const std::string& text);
    std::string Serialize() const;

private:
    std::map<std::string, Key> keys_; // by lower-case path
};
