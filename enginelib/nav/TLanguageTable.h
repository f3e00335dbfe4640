#pragma once
#include <string>
#include <unordered_map>

#include "enginelib/base/DString.h"

// One language's texts, read from a ".lng" file: "key=text" lines in UTF-8, held
// in the library's code page. Lines starting with "@" describe the language (name,
// short name, right-to-left, keyboard views); "#" lines are comments. Keys are
// translation ids ("E97", written "{E97}" in texts), "gps.N", "movingmap.N",
// "menu.N" (the library's numbered texts) and "C<number>" (command names).
class TLanguageTable {
public:
    // False, with error naming the file and line, when the file does not read;
    // the table is then empty (never half-loaded).
    bool Load(const std::string& path, std::string& error);
    void Clear();

    // The text of key, or null.
    const std::string* Find(const std::string& key) const;
    // Replaces every "{X123}" id (capital letters then digits) in place; ids this
    // table lacks stay as written. One pass over the text.
    void Substitute(DString& text) const;

    // A copy whose texts read backwards and which reads right to left: a test
    // language for the right-to-left paths.
    TLanguageTable Reversed(const std::string& name, const std::string& shortName) const;

    std::string name, shortName;
    bool rightToLeft = false;
    std::string keyboard, mapKeyboard;  // keyboard views, "|"-separated

private:
    std::unordered_map<std::string, std::string> texts_;
};
