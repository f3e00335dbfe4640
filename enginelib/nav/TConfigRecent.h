#pragma once
#include <string>
#include <vector>

#include "enginelib/base/DString.h"

// A most-recent-first list of texts (recent files, recent cities), of bounded size.
class TConfigRecent {
public:
    explicit TConfigRecent(int maximum) : maximum_(maximum) {}

    // The list is kept in memory; reading is only a mark, as callers expect.
    void ReadRecents() {}
    int Count() const { return (int)entries_.size(); }
    // Empty outside the list.
    DString Get(int index) const;
    // To the front; an equal older entry (ignoring case) goes, the oldest past the maximum too.
    void Nuevo_Archivo(const char* text);
    void Clear() { entries_.clear(); }

    // The settings file's form: entries joined by '|' (an entry never holds one).
    std::string Text() const;
    void SetText(const std::string& text);

private:
    int maximum_;
    std::vector<std::string> entries_;
};
