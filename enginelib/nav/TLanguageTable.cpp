#include "enginelib/nav/TLanguageTable.h"

#include <algorithm>
#include <cctype>

#include "enginelib/base/CodePage.h"
#include "enginelib/nav/KeyValueFile.h"

namespace {
// Language tables are small; anything far larger is not one.
const long long kMaximumFileSize = 4 << 20;

std::string FromUtf8(const std::string& text)
{
    const std::u16string wide = CodePage::ToUtf16(text.data(), (int)text.size(), CodePage::Utf8);
    std::string out;
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Default(), out);
    return out;
}
} // namespace

void TLanguageTable::Clear()
{
    texts_.clear();
    name.clear(), shortName.clear(), keyboard.clear(), mapKeyboard.clear();
    rightToLeft = false;
}

bool TLanguageTable::Load(const std::string& path, std::string& error)
{
    Clear();
    const KeyValueRead r = ReadKeyValueFile(
        path, kMaximumFileSize, "a language table", "text",
        [&](const std::string& key, const std::string& value, int, std::string&) {
            const std::string text = FromUtf8(value);
            if (key[0] != '@')
                texts_[key] = text;
            else if (key == "@name")
                name = text;
            else if (key == "@short")
                shortName = text;
            else if (key == "@rtl")
                rightToLeft = text == "1";
            else if (key == "@keyboard")
                keyboard = text;
            else if (key == "@mapkeyboard")
                mapKeyboard = text;
            return true;
        },
        error);
    if (r == KeyValueRead::Ok)
        return true;
    if (r == KeyValueRead::Missing)
        error = path + ": cannot be read";
    Clear();
    return false;
}

const std::string* TLanguageTable::Find(const std::string& key) const
{
    const auto it = texts_.find(key);
    return it == texts_.end() ? nullptr : &it->second;
}

void TLanguageTable::Substitute(DString& text) const
{
    const char* s = text.c_str();
    const int n = text.Length();
    std::string out;
    bool changed = false;
    int i = 0;
    while (i < n) {
        if (s[i] == '{') {
            // "{" capitals digits "}"
            int j = i + 1;
            while (j < n && std::isupper((unsigned char)s[j]))
                ++j;
            const int letters = j - (i + 1);
            const int digitsStart = j;
            while (j < n && std::isdigit((unsigned char)s[j]))
                ++j;
            if (letters > 0 && j > digitsStart && j < n && s[j] == '}') {
                if (const std::string* t = Find(std::string(s + i + 1, j - i - 1))) {
                    if (!changed)
                        out.assign(s, i), changed = true;
                    out += *t;
                    i = j + 1;
                    continue;
                }
            }
        }
        if (changed)
            out += s[i];
        ++i;
    }
    if (changed)
        text = DString(out.data(), (int)out.size(), text.GetCodepage());
}

TLanguageTable TLanguageTable::Reversed(const std::string& newName, const std::string& newShort) const
{
    TLanguageTable t = *this;
    t.name = newName;
    t.shortName = newShort;
    t.rightToLeft = true;
    for (auto& kv : t.texts_) {
        // Formats keep their conversions readable: reverse around them would break printf.
        if (kv.second.find('%') == std::string::npos)
            std::reverse(kv.second.begin(), kv.second.end());
    }
    return t;
}
