#pragma once
#include <string>
#include <vector>

#include "enginelib/nav/TLanguageTable.h"

// The languages the library offers, in their index order, and the current one:
// English and German from their tables, then "rt", English read backwards and
// right to left, for testing the right-to-left paths.
class TLanguages {
public:
    // Reads the tables in folder ("en.lng", "de.lng"); gives the problems met, one
    // per line (an unreadable table is left out, never half-read).
    std::string Load(const std::string& folder);

    int Count() const { return (int)tables_.size(); }
    // Empty outside the list.
    std::string Name(int index) const;
    // False (nothing changes) outside the list.
    bool Select(int index);
    int Current() const { return current_; }
    // The current table; an empty one when none loaded.
    const TLanguageTable& Table() const;

private:
    std::vector<TLanguageTable> tables_;
    int current_ = 0;
    TLanguageTable empty_;
};
