#include "enginelib/draw/TColorIG.h"

#include <cctype>

namespace {

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

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "#" then 3, 4, 6 or 8 hexadecimal digits.
bool DecodeHex(const char* p, const char* end, int v[4])
{
    int n = int(end - p);
    for (const char* q = p; q < end; ++q)
        if (HexDigit(*q) < 0)
            return false;
    v[3] = 255;
    if (n == 3 || n == 4) {
        for (int i = 0; i < n; ++i)
            v[i] = HexDigit(p[i]) * 17;
        return true;
    }
    if (n == 6 || n == 8) {
        for (int i = 0; i < n / 2; ++i)
            v[i] = HexDigit(p[2 * i]) * 16 + HexDigit(p[2 * i + 1]);
        return true;
    }
    return false;
}

// Three or four decimal numbers 0..255 separated by commas.
bool DecodeDecimal(const char* p, const char* end, int v[4])
{
    int count = 0;
    v[3] = 255;
    while (true) {
        while (p < end && IsSpace(*p))
            ++p;
        if (p == end || !std::isdigit(static_cast<unsigned char>(*p)))
            return false;
        int value = 0;
        while (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
            value = value * 10 + (*p - '0');
            if (value > 255)
                return false;
            ++p;
        }
        if (count == 4)
            return false;
        v[count++] = value;
        while (p < end && IsSpace(*p))
            ++p;
        if (p == end)
            break;
        if (*p != ',')
            return false;
        ++p;
    }
    return count == 3 || count == 4;
}

} // namespace

bool TColorIG::DecodeFromString(const char* text, int* alpha)
{
    if (!text)
        return false;
    const char* p = text;
    while (IsSpace(*p))
        ++p;
    const char* end = p;
    while (*end)
        ++end;
    while (end > p && IsSpace(end[-1]))
        --end;
    int v[4];
    bool ok = (p < end && *p == '#') ? DecodeHex(p + 1, end, v) : DecodeDecimal(p, end, v);
    if (!ok)
        return false;
    *this = TColorIG(v[0], v[1], v[2]);
    if (alpha)
        *alpha = v[3];
    return true;
}
