#include "enginelib/nav/TvarConfig.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/CodePage.h"
#include "enginelib/nav/TConfig.h"

TvarConfig::TvarConfig(TConfig* owner, const char* key) : owner_(owner), key_(key)
{
    if (owner_)
        owner_->Add(this);
}

void TvarConfig::Written()
{
    if (owner_)
        owner_->MarkModified();
}

bool TboolConfig::SetText(const std::string& text)
{
    if (text == "1" || text == "true")
        value_ = true;
    else if (text == "0" || text == "false")
        value_ = false;
    else
        return false;
    return true;
}

bool TintConfig::SetText(const std::string& text)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < INT32_MIN || v > INT32_MAX)
        return false;
    value_ = (int)v;
    return true;
}

static std::string FloatText(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", (double)v);
    return buf;
}

std::string TfloatConfig::Text() const { return FloatText(value_); }
std::string TfloatConfig::DefaultText() const { return FloatText(default_); }

bool TfloatConfig::SetText(const std::string& text)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (*end || !std::isfinite(v))
        return false;
    value_ = v;
    return true;
}

std::string TstringConfig::Text() const
{
    std::string out;
    const std::u16string wide = CodePage::ToUtf16(value_.c_str(), value_.Length(), value_.GetCodepage());
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Utf8, out);
    // One setting per line: a line break inside a value would end it, or start
    // another setting.
    for (char& c : out)
        if ((unsigned char)c < 0x20)
            c = ' ';
    return out;
}

bool TstringConfig::SetText(const std::string& text)
{
    const std::u16string wide = CodePage::ToUtf16(text.data(), (int)text.size(), CodePage::Utf8);
    std::string narrow;
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Default(), narrow);
    value_ = narrow.c_str();
    return true;
}
