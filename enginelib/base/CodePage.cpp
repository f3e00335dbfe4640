#include "enginelib/base/CodePage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
const char* const kUtf16Name = "UTF-16BE";
#else
const char* const kUtf16Name = "UTF-16LE";
#endif


const int kSingleBytePages[] = {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};
const int kDoubleBytePages[] = {932, 936, 949, 950};

int SingleByteSlot(int cp)
{
    for (int i = 0; i < (int)(sizeof kSingleBytePages / sizeof kSingleBytePages[0]); ++i)
        if (kSingleBytePages[i] == cp)
            return i;
    return -1;
}

bool IsDoubleByte(int cp)
{
    for (int p : kDoubleBytePages)
        if (p == cp)
            return true;
    return false;
}

std::string IconvName(int cp)
{
    return "CP" + std::to_string(cp);
}

// Decoding and encoding tables of one single-byte page, built once from iconv.
struct SingleByteTable {
    char16_t decode[256];
    std::unordered_map<char16_t, unsigned char> encode;
    unsigned char upper[256];
    unsigned char lower[256];
};

void BuildTable(int cp, SingleByteTable& t)
{
    bool defined[256] = {};
    iconv_t cd = iconv_open(kUtf16Name, IconvName(cp).c_str());
    for (int b = 0; b < 256; ++b) {
        t.decode[b] = (char16_t)b;
        if (cd == (iconv_t)-1)
            continue;
        char in = (char)b;
        char16_t out[4];
        char* inp = &in;
        size_t inLeft = 1;
        char* outp = (char*)out;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        // Pages that compose letters with marks hold a letter back until flushed.
        if (r != (size_t)-1)
            iconv(cd, nullptr, nullptr, &outp, &outLeft);
        size_t units = (sizeof out - outLeft) / 2;
        if (r != (size_t)-1 && inLeft == 0 && units == 1) {
            t.decode[b] = out[0];
            defined[b] = true;
        }
    }
    if (cd != (iconv_t)-1)
        iconv_close(cd);
    for (int b = 0; b < 256; ++b)
        if (defined[b])
            t.encode.emplace(t.decode[b], (unsigned char)b);
    // Undefined bytes keep their own value, or a private-use code when a defined
    // byte already stands for that value.
    for (int b = 0; b < 256; ++b) {
        if (defined[b])
            continue;
        char16_t u = (char16_t)b;
        if (t.encode.count(u))
            u = (char16_t)(0xF700 + b);
        t.decode[b] = u;
        t.encode.emplace(u, (unsigned char)b);
    }
    for (int b = 0; b < 256; ++b) {
        t.upper[b] = t.lower[b] = (unsigned char)b;
        auto up = t.encode.find((char16_t)CodePage::ToUpper(t.decode[b]));
        if (up != t.encode.end())
            t.upper[b] = up->second;
        auto low = t.encode.find((char16_t)CodePage::ToLower(t.decode[b]));
        if (low != t.encode.end())
            t.lower[b] = low->second;
    }
}

const SingleByteTable* Table(int cp)
{
    // Kept for the life of the process (never destroyed, so usable from static
    // destructors too).
    static std::once_flag once[sizeof kSingleBytePages / sizeof kSingleBytePages[0]];
    static SingleByteTable* tables[sizeof kSingleBytePages / sizeof kSingleBytePages[0]];
    int slot = SingleByteSlot(cp);
    if (slot < 0)
        return nullptr;
    std::call_once(once[slot], [&] {
        SingleByteTable* t = new SingleByteTable;
        BuildTable(cp, *t);
        tables[slot] = t;
    });
    return tables[slot];
}

// iconv descriptors of the double-byte pages, one pair per page, each used under
// its own lock (a descriptor carries state).
struct IconvPair {
    std::mutex lock;
    iconv_t toUtf16 = (iconv_t)-1;
    iconv_t fromUtf16 = (iconv_t)-1;
};

IconvPair& Descriptors(int cp)
{
    // Kept for the life of the process, like the tables.
    static std::mutex* mapLock = new std::mutex;
    static auto* pairs = new std::unordered_map<int, IconvPair*>;
    std::lock_guard<std::mutex> guard(*mapLock);
    IconvPair*& p = (*pairs)[cp];
    if (!p) {
        p = new IconvPair;
        p->toUtf16 = iconv_open(kUtf16Name, IconvName(cp).c_str());
        p->fromUtf16 = iconv_open(IconvName(cp).c_str(), kUtf16Name);
    }
    return *p;
}

void AppendUtf16(std::u16string& out, unsigned int code)
{
    if (code >= 0x10000) {
        code -= 0x10000;
        out += (char16_t)(0xD800 + (code >> 10));
        out += (char16_t)(0xDC00 + (code & 0x3FF));
    } else {
        out += (char16_t)code;
    }
}

void AppendUtf8Code(std::string& out, unsigned int code)
{
    if (code < 0x80) {
        out += (char)code;
    } else if (code < 0x800) {
        out += (char)(0xC0 | (code >> 6));
        out += (char)(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += (char)(0xE0 | (code >> 12));
        out += (char)(0x80 | ((code >> 6) & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    } else {
        out += (char)(0xF0 | (code >> 18));
        out += (char)(0x80 | ((code >> 12) & 0x3F));
        out += (char)(0x80 | ((code >> 6) & 0x3F));
        out += (char)(0x80 | (code & 0x3F));
    }
}

// One UTF-8 sequence at s (n bytes left, n >= 1): its code, or U+FFFD for one
// byte when the sequence is malformed, overlong, a surrogate or past U+10FFFF.
unsigned int DecodeUtf8Seq(const unsigned char* s, int n, int& used)
{
    unsigned int c = s[0];
    used = 1;
    if (c < 0x80)
        return c;
    int extra;
    unsigned int min;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, min = 0x80, c &= 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, min = 0x800, c &= 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, min = 0x10000, c &= 0x07;
    } else {
        return 0xFFFD;
    }
    if (n < 1 + extra)
        return 0xFFFD;
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (s[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFD;
    used = 1 + extra;
    return c;
}

bool InRange(unsigned int c, unsigned int lo, unsigned int hi)
{
    return c >= lo && c <= hi;
}

// Latin letters U+0100..U+017F without their marks; '*' marks the two-letter ones.
const char kLatinExtA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi**JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo**RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
const char* const kLatin1[64] = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "O", nullptr, "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", nullptr, "o", "u", "u", "u", "u", "y", "th", "y"};

} // namespace

void CodePage::SetDefault(int codepage)
{
    default_.store(Effective(codepage));
}

const char16_t* CodePage::DecodeTable(int codepage)
{
    const SingleByteTable* t = Table(Effective(codepage));
    return t ? t->decode : nullptr;
}

const unsigned char* CodePage::UpperTable(int codepage)
{
    const SingleByteTable* t = Table(Effective(codepage));
    return t ? t->upper : nullptr;
}

const unsigned char* CodePage::LowerTable(int codepage)
{
    const SingleByteTable* t = Table(Effective(codepage));
    return t ? t->lower : nullptr;
}

unsigned int CodePage::DecodeUtf8(const char* text, int length, int& used)
{
    return DecodeUtf8Seq((const unsigned char*)text, length, used);
}

void CodePage::AppendUtf8(std::string& out, unsigned int code)
{
    AppendUtf8Code(out, code);
}

bool CodePage::IsSupported(int codepage)
{
    return codepage == Utf8 || SingleByteSlot(codepage) >= 0 || IsDoubleByte(codepage);
}

int CodePage::Effective(int codepage)
{
    if (codepage < 0)
        return Default();
    return IsSupported(codepage) ? codepage : Western;
}

bool CodePage::IsSingleByte(int codepage)
{
    return SingleByteSlot(Effective(codepage)) >= 0;
}

std::u16string CodePage::ToUtf16(const char* text, int length, int codepage)
{
    std::u16string out;
    if (!text)
        return out;
    if (length < 0)
        length = (int)std::strlen(text);
    const unsigned char* s = (const unsigned char*)text;
    int cp = Effective(codepage);
    if (const SingleByteTable* t = Table(cp)) {
        out.resize(length);
        for (int i = 0; i < length; ++i)
            out[i] = t->decode[s[i]];
        return out;
    }
    if (cp == Utf8) {
        out.reserve(length);
        for (int i = 0; i < length;) {
            int used;
            AppendUtf16(out, DecodeUtf8Seq(s + i, length - i, used));
            i += used;
        }
        return out;
    }
    IconvPair& d = Descriptors(cp);
    std::lock_guard<std::mutex> guard(d.lock);
    if (d.toUtf16 == (iconv_t)-1) {
        for (int i = 0; i < length; ++i)
            out += s[i] < 0x80 ? (char16_t)s[i] : (char16_t)0xFFFD;
        return out;
    }
    iconv(d.toUtf16, nullptr, nullptr, nullptr, nullptr);
    char* inp = (char*)text;
    size_t inLeft = (size_t)length;
    char16_t buf[256];
    while (inLeft > 0) {
        char* outp = (char*)buf;
        size_t outLeft = sizeof buf;
        size_t r = iconv(d.toUtf16, &inp, &inLeft, &outp, &outLeft);
        out.append(buf, (sizeof buf - outLeft) / 2);
        if (r == (size_t)-1 && errno != E2BIG) {
            // A byte the page does not know, or a cut sequence at the end.
            out += (char16_t)0xFFFD;
            ++inp;
            --inLeft;
            iconv(d.toUtf16, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

bool CodePage::FromUtf16(const char16_t* text, int length, int codepage, std::string& out)
{
    out.clear();
    if (!text)
        return true;
    if (length < 0)
        length = (int)std::char_traits<char16_t>::length(text);
    int cp = Effective(codepage);
    bool exact = true;
    if (const SingleByteTable* t = Table(cp)) {
        out.reserve(length);
        for (int i = 0; i < length; ++i) {
            auto it = t->encode.find(text[i]);
            if (it != t->encode.end()) {
                out += (char)it->second;
            } else {
                out += '?';
                exact = false;
                if (InRange(text[i], 0xD800, 0xDBFF) && i + 1 < length && InRange(text[i + 1], 0xDC00, 0xDFFF))
                    ++i;
            }
        }
        return exact;
    }
    if (cp == Utf8) {
        out.reserve(length);
        for (int i = 0; i < length; ++i) {
            unsigned int c = text[i];
            if (InRange(c, 0xD800, 0xDBFF) && i + 1 < length && InRange(text[i + 1], 0xDC00, 0xDFFF)) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else if (InRange(c, 0xD800, 0xDFFF)) {
                out += '?';
                exact = false;
                continue;
            }
            AppendUtf8Code(out, c);
        }
        return exact;
    }
    IconvPair& d = Descriptors(cp);
    std::lock_guard<std::mutex> guard(d.lock);
    if (d.fromUtf16 == (iconv_t)-1) {
        for (int i = 0; i < length; ++i) {
            bool ascii = text[i] < 0x80;
            out += ascii ? (char)text[i] : '?';
            exact = exact && ascii;
        }
        return exact;
    }
    iconv(d.fromUtf16, nullptr, nullptr, nullptr, nullptr);
    char* inp = (char*)text;
    size_t inLeft = (size_t)length * 2;
    char buf[512];
    while (inLeft > 0) {
        char* outp = buf;
        size_t outLeft = sizeof buf;
        size_t r = iconv(d.fromUtf16, &inp, &inLeft, &outp, &outLeft);
        out.append(buf, sizeof buf - outLeft);
        if (r == (size_t)-1 && errno != E2BIG) {
            out += '?';
            exact = false;
            size_t skip = inLeft >= 2 ? 2 : inLeft;
            const char16_t* unit = (const char16_t*)inp;
            if (inLeft >= 4 && InRange(unit[0], 0xD800, 0xDBFF) && InRange(unit[1], 0xDC00, 0xDFFF))
                skip = 4;
            inp += skip;
            inLeft -= skip;
            iconv(d.fromUtf16, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return exact;
}

bool CodePage::EncodeChar(unsigned int code, int codepage, std::string& out)
{
    std::u16string u;
    if (code > 0x10FFFF || InRange(code, 0xD800, 0xDFFF)) {
        out = "?";
        return false;
    }
    AppendUtf16(u, code);
    return FromUtf16(u.data(), (int)u.size(), codepage, out);
}

unsigned int CodePage::ToUpper(unsigned int c)
{
    if (c < 0x80)
        return InRange(c, 'a', 'z') ? c - 0x20 : c;
    if (c < 0x100) {
        if (InRange(c, 0xE0, 0xFE) && c != 0xF7)
            return c - 0x20;
        return c == 0xFF ? 0x178 : c;
    }
    if (c < 0x180) {
        if (c == 0x131)
            return 'I';
        if (c == 0x17F)
            return 'S';
        if (InRange(c, 0x100, 0x12F) || InRange(c, 0x132, 0x137) || InRange(c, 0x14A, 0x177))
            return (c & 1) ? c - 1 : c;
        if (InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E))
            return (c & 1) ? c : c - 1;
        return c;
    }
    if (c == 0x1A1 || c == 0x1B0)
        return c - 1;
    if (InRange(c, 0x3AC, 0x3CE)) {
        if (c == 0x3AC)
            return 0x386;
        if (InRange(c, 0x3AD, 0x3AF))
            return c - 0x25;
        if (c == 0x3C2)
            return 0x3A3;
        if (c == 0x3CC)
            return 0x38C;
        if (InRange(c, 0x3CD, 0x3CE))
            return c - 0x3F;
        if (InRange(c, 0x3B1, 0x3CB))
            return c - 0x20;
        return c;
    }
    if (InRange(c, 0x430, 0x44F))
        return c - 0x20;
    if (InRange(c, 0x450, 0x45F))
        return c - 0x50;
    if (InRange(c, 0x460, 0x481) || InRange(c, 0x48A, 0x4BF))
        return (c & 1) ? c - 1 : c;
    if (InRange(c, 0x561, 0x586))
        return c - 0x30;
    if (InRange(c, 0x1E00, 0x1E95) || InRange(c, 0x1EA0, 0x1EFF))
        return (c & 1) ? c - 1 : c;
    return c;
}

unsigned int CodePage::ToLower(unsigned int c)
{
    if (c < 0x80)
        return InRange(c, 'A', 'Z') ? c + 0x20 : c;
    if (c < 0x100)
        return (InRange(c, 0xC0, 0xDE) && c != 0xD7) ? c + 0x20 : c;
    if (c < 0x180) {
        if (c == 0x130)
            return 'i';
        if (c == 0x178)
            return 0xFF;
        if (InRange(c, 0x100, 0x12F) || InRange(c, 0x132, 0x137) || InRange(c, 0x14A, 0x177))
            return (c & 1) ? c : c + 1;
        if (InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E))
            return (c & 1) ? c + 1 : c;
        return c;
    }
    if (c == 0x1A0 || c == 0x1AF)
        return c + 1;
    if (InRange(c, 0x386, 0x3AB)) {
        if (c == 0x386)
            return 0x3AC;
        if (InRange(c, 0x388, 0x38A))
            return c + 0x25;
        if (c == 0x38C)
            return 0x3CC;
        if (InRange(c, 0x38E, 0x38F))
            return c + 0x3F;
        if (InRange(c, 0x391, 0x3AB) && c != 0x3A2)
            return c + 0x20;
        return c;
    }
    if (InRange(c, 0x410, 0x42F))
        return c + 0x20;
    if (InRange(c, 0x400, 0x40F))
        return c + 0x50;
    if (InRange(c, 0x460, 0x481) || InRange(c, 0x48A, 0x4BF))
        return (c & 1) ? c : c + 1;
    if (InRange(c, 0x531, 0x556))
        return c + 0x30;
    if (InRange(c, 0x1E00, 0x1E95) || InRange(c, 0x1EA0, 0x1EFF))
        return (c & 1) ? c : c + 1;
    return c;
}

const char* CodePage::BaseLetters(unsigned int c)
{
    if (InRange(c, 0xC0, 0xFF))
        return kLatin1[c - 0xC0];
    if (InRange(c, 0x100, 0x17F)) {
        switch (c) {
        case 0x132: return "IJ";
        case 0x133: return "ij";
        case 0x152: return "OE";
        case 0x153: return "oe";
        default: break;
        }
        static char one[128][2];
        static std::once_flag once;
        std::call_once(once, [] {
            for (int i = 0; i < 128; ++i)
                one[i][0] = kLatinExtA[i];
        });
        return one[c - 0x100];
    }
    switch (c) {
    case 0x1A0: return "O";
    case 0x1A1: return "o";
    case 0x1AF: return "U";
    case 0x1B0: return "u";
    default: return nullptr;
    }
}

bool CodePage::IsMark(unsigned int c)
{
    if (InRange(c, 0x300, 0x36F))
        return true;
    if (InRange(c, 0x591, 0x5C7))
        return c != 0x5BE && c != 0x5C0 && c != 0x5C3 && c != 0x5C6;
    return InRange(c, 0x610, 0x61A) || InRange(c, 0x64B, 0x65F) || c == 0x670;
}

bool CodePage::IsLetterOrDigit(unsigned int c)
{
    if (c < 0x80)
        return InRange(c, '0', '9') || InRange(c, 'A', 'Z') || InRange(c, 'a', 'z');
    if (c < 0xC0)
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    if (c == 0xD7 || c == 0xF7)
        return false;
    if (InRange(c, 0x2000, 0x2BFF) || InRange(c, 0x3000, 0x303F) || InRange(c, 0xFE30, 0xFE4F) ||
        InRange(c, 0xFF00, 0xFF0F) || InRange(c, 0xFF1A, 0xFF20) || InRange(c, 0xD800, 0xDFFF) ||
        InRange(c, 0xE000, 0xF8FF) || c == 0xFFFD || c == 0xFEFF)
        return false;
    switch (c) {
    case 0x37E: case 0x387: case 0x55A: case 0x55B: case 0x55C: case 0x55D: case 0x55E: case 0x55F:
    case 0x589: case 0x5BE: case 0x5C0: case 0x5C3: case 0x5C6: case 0x5F3: case 0x5F4: case 0x60C:
    case 0x61B: case 0x61F: case 0x66A: case 0x66B: case 0x66C: case 0x66D: case 0x6D4: case 0xFD3E:
    case 0xFD3F:
        return false;
    default:
        return !IsMark(c);
    }
}

bool CodePage::IsRightToLeft(unsigned int c)
{
    if (InRange(c, 0x590, 0x8FF))
        return !InRange(c, 0x660, 0x669) && !InRange(c, 0x6F0, 0x6F9);
    return InRange(c, 0xFB1D, 0xFDFF) || InRange(c, 0xFE70, 0xFEFE) || InRange(c, 0x10800, 0x10FFF) ||
           InRange(c, 0x1E800, 0x1EFFF);
}
