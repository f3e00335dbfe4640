#include "enginelib/nav/TConfigRecent.h"

#include <strings.h>

DString TConfigRecent::Get(int index) const
{
    if (index < 0 || index >= (int)entries_.size())
        return DString();
    return DString(entries_[index].c_str());
}

void TConfigRecent::Nuevo_Archivo(const char* text)
{
    if (!text || !*text)
        return;
    std::string entry = text;
    // '|' separates entries in the settings file.
    for (char& c : entry)
        if (c == '|' || c == '\n' || c == '\r')
            c = ' ';
    for (size_t i = 0; i < entries_.size(); ++i)
        if (strcasecmp(entries_[i].c_str(), entry.c_str()) == 0) {
            entries_.erase(entries_.begin() + i);
            break;
        }
    entries_.insert(entries_.begin(), entry);
    if ((int)entries_.size() > maximum_)
        entries_.resize(maximum_ < 0 ? 0 : maximum_);
}

std::string TConfigRecent::Text() const
{
    std::string out;
    for (size_t i = 0; i < entries_.size(); ++i)
        out += (i ? "|" : "") + entries_[i];
    for (char& c : out)
        if ((unsigned char)c < 0x20)
            c = ' ';
    return out;
}

void TConfigRecent::SetText(const std::string& text)
{
    entries_.clear();
    Vector<DString> words;
    CDString(text.c_str()).Separa_En_Palabras("|", words);
    for (int i = 0; i < words.Count() && (int)entries_.size() < maximum_; ++i)
        entries_.push_back(words[i].c_str());
}
