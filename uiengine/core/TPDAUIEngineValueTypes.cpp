#include "uiengine/core/TPDAUIEngineValueTypes.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"

namespace {

float UsableScale(float scale) { return scale > 0.0f && std::isfinite(scale) ? scale : 1.0f; }

int TruncSaturated(float v) { return TPDAUIEngineSaturate::Truncate(v); }

int ClampToByte(int v) { return v < -128 ? -128 : (v > 127 ? 127 : v); }

char ReadSignedByte(TFicheroITV& s)
{
    char c = 0;
    s >> c;
    return c;
}

int Signed(char c) { return (signed char)c; }

// value percent of extent, truncated toward zero.
int PercentOf(int value, int extent)
{
    return TPDAUIEngineSaturate::Clamp((long long)value * extent / 100);
}

int ScreenWidth()
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s ? s->screenWidth : 0;
}

int ScreenHeight()
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s ? s->screenHeight : 0;
}

} // namespace

// ---- TPDAUIEngineUIScale ----

int TPDAUIEngineUIScale::Truncate(float value) { return TruncSaturated(value); }

float TPDAUIEngineUIScale::Parse(const char* text)
{
    const double v = std::strtod(text ? text : "", nullptr);
    return std::isfinite(v) && std::fabs(v) < 1e6 ? (float)v : 0.0f;
}

DString TPDAUIEngineUIScale::Text(float value)
{
    DString out;
    out << value;
    if ((float)std::strtod(out.c_str(), nullptr) != value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", (double)value);
        out = buffer;
    }
    return out;
}

int TPDAUIEngineUIScale::Multiply(int value, float scale)
{
    // Most skins run at scale 1: every length read would go through float for
    // nothing. Below 2^24 a float holds the int exactly, so the answer is the same.
    if (scale == 1.0f && value > -(1 << 24) && value < (1 << 24))
        return value;
    return TruncSaturated((float)value * UsableScale(scale));
}

int TPDAUIEngineUIScale::Divide(int value, float scale)
{
    return TruncSaturated((float)value / UsableScale(scale));
}

int TPDAUIEngineUIScale::DivideToByte(int value, float scale)
{
    return ClampToByte(Divide(value, scale));
}

// ---- TPDAUIEngineMargins ----

void TPDAUIEngineMargins::Clear()
{
    ClearValues();
    leftPercent = topPercent = rightPercent = bottomPercent = false;
}

void TPDAUIEngineMargins::ClearValues() { left = top = right = bottom = 0; }

int TPDAUIEngineMargins::GetLeft() const
{
    return leftPercent ? PercentOf(left, ScreenWidth()) : left;
}

int TPDAUIEngineMargins::GetTop() const
{
    return topPercent ? PercentOf(top, ScreenHeight()) : top;
}

int TPDAUIEngineMargins::GetRight() const
{
    return rightPercent ? PercentOf(right, ScreenWidth()) : right;
}

int TPDAUIEngineMargins::GetBottom() const
{
    return bottomPercent ? PercentOf(bottom, ScreenHeight()) : bottom;
}

void TPDAUIEngineMargins::LoadCompiled(TFicheroITV& s)
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    int v[4];
    for (int& x : v)
        x = Signed(ReadSignedByte(s));
    s >> leftPercent >> topPercent >> rightPercent >> bottomPercent;
    // Percentages come back as they were stored.
    left = leftPercent ? v[0] : TPDAUIEngineUIScale::Multiply(v[0], scale);
    top = topPercent ? v[1] : TPDAUIEngineUIScale::Multiply(v[1], scale);
    right = rightPercent ? v[2] : TPDAUIEngineUIScale::Multiply(v[2], scale);
    bottom = bottomPercent ? v[3] : TPDAUIEngineUIScale::Multiply(v[3], scale);
}

void TPDAUIEngineMargins::SaveCompiled(TFicheroITV& s) const
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    auto out = [&](int value, bool percent) {
        s << (char)(percent ? ClampToByte(value) : TPDAUIEngineUIScale::DivideToByte(value, scale));
    };
    out(left, leftPercent);
    out(top, topPercent);
    out(right, rightPercent);
    out(bottom, bottomPercent);
    s << leftPercent << topPercent << rightPercent << bottomPercent;
}

// ---- TPDAUIEnginePadding ----

void TPDAUIEnginePadding::Clear() { left = top = right = bottom = inner = 0; }

void TPDAUIEnginePadding::Offset(int delta)
{
    auto add = [delta](int& v) { v = TPDAUIEngineSaturate::Add(v, delta); };
    add(left);
    add(top);
    add(right);
    add(bottom);
    add(inner);
}

void TPDAUIEnginePadding::LoadCompiled(TFicheroITV& s)
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    for (int* v : {&left, &top, &right, &bottom, &inner})
        *v = TPDAUIEngineUIScale::Multiply(Signed(ReadSignedByte(s)), scale);
}

void TPDAUIEnginePadding::SaveCompiled(TFicheroITV& s) const
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    for (int v : {left, top, right, bottom, inner})
        s << (char)TPDAUIEngineUIScale::DivideToByte(v, scale);
}

// ---- TPDAUIEngineKeyAttribute ----

namespace {

struct KeyName {
    const char* name;
    int code;
};

// Windows virtual-key codes, except VK_CANCEL, which skins use for Escape.
const KeyName kKeyNames[] = {
    {"VK_ADD", 107},     {"VK_SUBTRACT", 109}, {"VK_RETURN", 13},   {"VK_ESCAPE", 27},
    {"VK_RIGHT", 39},    {"VK_LEFT", 37},      {"VK_UP", 38},       {"VK_DOWN", 40},
    {"VK_CLEAR", 12},    {"VK_NUMPAD0", 96},   {"VK_NUMPAD1", 97},  {"VK_NUMPAD2", 98},
    {"VK_NUMPAD3", 99},  {"VK_NUMPAD4", 100},  {"VK_NUMPAD5", 101}, {"VK_NUMPAD6", 102},
    {"VK_NUMPAD7", 103}, {"VK_NUMPAD8", 104},  {"VK_ACCEPT", 30},   {"VK_NUMPAD9", 105},
    {"VK_MULTIPLY", 106}, {"VK_DECIMAL", 110}, {"VK_F1", 112},      {"VK_F2", 113},
    {"VK_F3", 114},      {"VK_F4", 115},       {"VK_F5", 116},      {"VK_F6", 117},
    {"VK_F7", 118},      {"VK_F8", 119},       {"VK_F9", 120},      {"VK_F10", 121},
    {"VK_F11", 122},     {"VK_END", 35},       {"VK_HOME", 36},     {"VK_PRIOR", 33},
    {"VK_NEXT", 34},     {"VK_CANCEL", 27},
};

} // namespace

void TPDAUIEngineKeyAttribute::Parse(const DString& name)
{
    keyName = name;
    if (keyName.IsEmpty())
        return;
    Vector<DString> parts;
    keyName.Separa_En_Palabras("+", parts);
    for (int i = 0; i < parts.Count(); ++i) {
        DString part = parts[i];
        part.A_Mayusculas();
        if (part.IsEmpty())
            continue;
        if (part == "CTRL") {
            ctrl = true;
            continue;
        }
        if (part == "ALT") {
            alt = true;
            continue;
        }
        if (part == "SHIFT") {
            shift = true;
            continue;
        }
        bool named = false;
        for (const KeyName& k : kKeyNames) {
            if (part == k.name) {
                keyCode = k.code;
                named = true;
                break;
            }
        }
        if (named)
            continue;
        // A number is a code ("112"); anything else is its first character ("A", "0").
        int number = part.atoi();
        keyCode = number != 0 ? number : (int)(signed char)part[0];
    }
}

void TPDAUIEngineKeyAttribute::LoadCompiled(TFicheroITV& s)
{
    DString name;
    s >> name;
    Parse(name);
}

void TPDAUIEngineKeyAttribute::SaveCompiled(TFicheroITV& s) const { s << keyName; }
