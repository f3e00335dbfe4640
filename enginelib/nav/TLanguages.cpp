#include "enginelib/nav/TLanguages.h"

std::string TLanguages::Load(const std::string& folder)
{
    tables_.clear();
    std::string problems;
    for (const char* shortName : {"en", "de"}) {
        TLanguageTable t;
        std::string error;
        if (t.Load(folder + "/" + shortName + ".lng", error))
            tables_.push_back(std::move(t));
        else
            problems += error + "\n";
    }
    if (!tables_.empty() && tables_[0].shortName == "en")
        tables_.push_back(tables_[0].Reversed("Right to left (test)", "rt"));
    if (current_ >= Count())
        current_ = 0;
    return problems;
}

std::string TLanguages::Name(int index) const
{
    return index >= 0 && index < Count() ? tables_[index].name : std::string();
}

bool TLanguages::Select(int index)
{
    if (index < 0 || index >= Count())
        return false;
    current_ = index;
    return true;
}

const TLanguageTable& TLanguages::Table() const
{
    return current_ < Count() ? tables_[current_] : empty_;
}
