#include "enginelib/base/DString.h"

#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "enginelib/base/CodePage.h"

namespace {

const char kEmpty[1] = {0};

// How a code page's characters are walked: one byte each, UTF-8 sequences, or
// (double-byte pages) through UTF-16.
enum class Walk { SingleByte, Utf8, Other };

Walk WalkOf(int codepage)
{
    int cp = CodePage::Effective(codepage);
    if (CodePage::IsSingleByte(cp))
        return Walk::SingleByte;
    return cp == CodePage::Utf8 ? Walk::Utf8 : Walk::Other;
}

// Decodes the character at s[i] (n bytes in all) for single-byte and UTF-8 text.
unsigned int CharAt(const unsigned char* s, int n, int i, int codepage, Walk walk, int& used)
{
    if (walk == Walk::Utf8)
        return CodePage::DecodeUtf8((const char*)s + i, n - i, used);
    used = 1;
    if (walk == Walk::SingleByte)
        return CodePage::DecodeTable(codepage)[s[i]];
    return s[i];
}

void Encode(unsigned int code, int codepage, std::string& out)
{
    std::string piece;
    CodePage::EncodeChar(code, codepage, piece);
    out += piece;
}

// Maps each character through f (code -> replacement text in Unicode, or the code
// itself), re-encoding in the code page. Single-byte text keeps bytes whose
// character is unchanged.
template <class F>
std::string MapChars(std::string_view text, int codepage, F f)
{
    std::string out;
    out.reserve(text.size());
    Walk walk = WalkOf(codepage);
    if (walk == Walk::Other) {
        std::u16string u = CodePage::ToUtf16(text.data(), (int)text.size(), codepage);
        std::u16string mapped;
        for (char16_t c : u) {
            std::u32string r = f(c);
            for (char32_t x : r)
                mapped += (char16_t)x;
        }
        CodePage::FromUtf16(mapped.data(), (int)mapped.size(), codepage, out);
        return out;
    }
    const unsigned char* s = (const unsigned char*)text.data();
    int n = (int)text.size();
    for (int i = 0; i < n;) {
        int used;
        unsigned int c = CharAt(s, n, i, codepage, walk, used);
        std::u32string r = f(c);
        if (r.size() == 1 && r[0] == c) {
            out.append((const char*)s + i, used);
        } else {
            for (char32_t x : r)
                Encode(x, codepage, out);
        }
        i += used;
    }
    return out;
}

std::u32string Upper(unsigned int c)
{
    return std::u32string(1, (char32_t)CodePage::ToUpper(c));
}

std::u32string Lower(unsigned int c)
{
    return std::u32string(1, (char32_t)CodePage::ToLower(c));
}

void MapBytes(char* text, int length, const unsigned char* table)
{
    for (int i = 0; i < length; ++i)
        text[i] = (char)table[(unsigned char)text[i]];
}

std::u32string Simplify(unsigned int c)
{
    if (CodePage::IsMark(c))
        return std::u32string();
    if (const char* base = CodePage::BaseLetters(c)) {
        std::u32string r;
        for (const char* p = base; *p; ++p)
            r += (char32_t)*p;
        return r;
    }
    return std::u32string(1, (char32_t)c);
}

// Text folded for searching, with the position in the original of each byte.
void Fold(const char* text, int length, int codepage, bool ignoreCase, bool ignoreAccents, std::string& out,
          std::vector<int>& origin)
{
    out.clear();
    origin.clear();
    Walk walk = WalkOf(codepage);
    const unsigned char* s = (const unsigned char*)text;
    for (int i = 0; i < length;) {
        int used = 1;
        unsigned int c = walk == Walk::Other ? s[i] : CharAt(s, length, i, codepage, walk, used);
        std::u32string r(1, (char32_t)c);
        if (walk != Walk::Other || c < 0x80) {
            if (ignoreAccents)
                r = Simplify(c);
            if (ignoreCase)
                for (char32_t& x : r)
                    x = (char32_t)CodePage::ToLower(x);
        }
        size_t before = out.size();
        if (r.size() == 1 && r[0] == c)
            out.append((const char*)s + i, used);
        else
            for (char32_t x : r)
                Encode(x, codepage, out);
        origin.insert(origin.end(), out.size() - before, i);
        i += used;
    }
    origin.push_back(length);
}

bool IsWordChar(const unsigned char* s, int n, int i, int codepage)
{
    Walk walk = WalkOf(codepage);
    if (walk == Walk::Other)
        return CodePage::IsLetterOrDigit(s[i] < 0x80 ? s[i] : 'a');
    int used;
    return CodePage::IsLetterOrDigit(CharAt(s, n, i, codepage, walk, used));
}

// Start of the character that ends just before position i (UTF-8 aware).
int PreviousCharStart(const unsigned char* s, int i, int codepage)
{
    int p = i - 1;
    if (WalkOf(codepage) == Walk::Utf8)
        while (p > 0 && i - p < 4 && (s[p] & 0xC0) == 0x80)
            --p;
    return p;
}

int CompareBytes(const char* a, int na, const char* b, int nb)
{
    int n = na < nb ? na : nb;
    int r = std::memcmp(a, b, (size_t)n);
    if (r)
        return r;
    return na < nb ? -1 : na > nb ? 1 : 0;
}

// Case-insensitive comparison in a code page.
bool AllAscii(const char* s, int n)
{
    unsigned char any = 0;
    for (int i = 0; i < n; ++i)
        any |= (unsigned char)s[i];
    return any < 0x80;
}

int CompareIgnoringCase(const char* a, int na, const char* b, int nb, int codepage)
{
    const Walk walk = WalkOf(codepage);
    // UTF-8 text that is all ASCII is its own UTF-16, one unit a byte: compared
    // in place, without making both copies.
    if (walk == Walk::Utf8 && AllAscii(a, na) && AllAscii(b, nb)) {
        for (int i = 0; i < na && i < nb; ++i) {
            if (a[i] == b[i])
                continue;
            unsigned int cx = CodePage::ToLower((char16_t)a[i]);
            unsigned int cy = CodePage::ToLower((char16_t)b[i]);
            if (cx != cy)
                return cx < cy ? -1 : 1;
        }
        return na < nb ? -1 : na > nb ? 1 : 0;
    }
    if (walk == Walk::SingleByte) {
        const unsigned char* x = (const unsigned char*)a;
        const unsigned char* y = (const unsigned char*)b;
        for (int i = 0; i < na && i < nb; ++i) {
            if (x[i] == y[i])
                continue;
            const char16_t* decode = CodePage::DecodeTable(codepage);
            unsigned int cx = CodePage::ToLower(decode[x[i]]);
            unsigned int cy = CodePage::ToLower(decode[y[i]]);
            if (cx != cy)
                return cx < cy ? -1 : 1;
        }
        return na < nb ? -1 : na > nb ? 1 : 0;
    }
    std::u16string x = CodePage::ToUtf16(a, na, codepage);
    std::u16string y = CodePage::ToUtf16(b, nb, codepage);
    for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
        unsigned int cx = CodePage::ToLower(x[i]);
        unsigned int cy = CodePage::ToLower(y[i]);
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

int Split(const CDString& text, const char* separators, bool blanks, Vector<DString>& words)
{
    words.RemoveAll();
    const char* s = text.c_str();
    int n = text.Length();
    auto isSeparator = [&](char c) {
        if (blanks && (c == ' ' || c == '\t'))
            return true;
        return c != 0 && separators && std::strchr(separators, c) != nullptr;
    };
    int start = 0;
    for (int i = 0; i <= n; ++i) {
        if (i == n || isSeparator(s[i])) {
            if (i > start)
                words.Add(DString(s + start, i - start, text.GetCodepage()));
            start = i + 1;
        }
    }
    return words.Count();
}

} // namespace

// ---------------------------------------------------------------- CDString

CDString::CDString(const char* text)
    : text_(text ? text : kEmpty), length_(text ? (int)std::strlen(text) : 0), codepage_(CodePage::Default())
{
}

char CDString::operator[](int index) const
{
    return index >= 0 && index < length_ ? text_[index] : 0;
}

int CDString::strstr(const char* what, int from) const
{
    if (!what || from < 0 || from > length_)
        return -1;
    int n = (int)std::strlen(what);
    if (n == 0)
        return from;
    for (int i = from; i + n <= length_; ++i)
        if (text_[i] == what[0] && std::memcmp(text_ + i, what, (size_t)n) == 0)
            return i;
    return -1;
}

int CDString::strchr(char c, int from) const
{
    for (int i = from < 0 ? 0 : from; i < length_; ++i)
        if (text_[i] == c)
            return i;
    return -1;
}

int CDString::strrchr(char c) const
{
    for (int i = length_ - 1; i >= 0; --i)
        if (text_[i] == c)
            return i;
    return -1;
}

int CDString::strstrpos(const char* what, int from, bool wholeWord, bool ignoreCase, bool ignoreAccents) const
{
    if (!what || from < 0 || from > length_)
        return -1;
    int n = (int)std::strlen(what);
    const unsigned char* s = (const unsigned char*)text_;
    auto boundaryOk = [&](int start, int end) {
        if (!wholeWord)
            return true;
        if (start > 0 && IsWordChar(s, length_, PreviousCharStart(s, start, codepage_), codepage_))
            return false;
        return end >= length_ || !IsWordChar(s, length_, end, codepage_);
    };
    if (!ignoreCase && !ignoreAccents) {
        for (int p = strstr(what, from); p >= 0; p = p < length_ ? strstr(what, p + 1) : -1)
            if (boundaryOk(p, p + n))
                return p;
        return -1;
    }
    std::string hay, needle;
    std::vector<int> hayOrigin, needleOrigin;
    Fold(text_, length_, codepage_, ignoreCase, ignoreAccents, hay, hayOrigin);
    Fold(what, n, codepage_, ignoreCase, ignoreAccents, needle, needleOrigin);
    size_t start = 0;
    while (start < hay.size() && hayOrigin[start] < from)
        ++start;
    for (size_t p = hay.find(needle, start); p != std::string::npos; p = hay.find(needle, p + 1)) {
        // Only matches that begin and end on whole characters of the original count.
        if (p > 0 && hayOrigin[p - 1] == hayOrigin[p])
            continue;
        size_t e = p + needle.size();
        if (e < hay.size() && e > 0 && hayOrigin[e - 1] == hayOrigin[e])
            continue;
        int os = hayOrigin[p];
        int oe = hayOrigin[e];
        if (boundaryOk(os, oe))
            return os;
        if (p >= hay.size())
            break;
    }
    return -1;
}

bool CDString::StartsWith(const char* prefix) const
{
    if (!prefix)
        return true;
    int n = (int)std::strlen(prefix);
    return n <= length_ && std::memcmp(text_, prefix, (size_t)n) == 0;
}

bool CDString::EndsWith(const char* suffix) const
{
    if (!suffix)
        return true;
    int n = (int)std::strlen(suffix);
    return n <= length_ && std::memcmp(text_ + length_ - n, suffix, (size_t)n) == 0;
}

DString CDString::SubString(int start, int length) const
{
    if (start < 0)
        start = 0;
    if (start > length_)
        start = length_;
    int left = length_ - start;
    if (length < 0 || length > left)
        length = left;
    return DString(text_ + start, length, codepage_);
}

DString CDString::GetParam(const char* key, const char* endMark) const
{
    int at = strstr(key ? key : "");
    if (!key || at < 0)
        return DString(kEmpty, 0, codepage_);
    int start = at + (int)std::strlen(key);
    int end = endMark && *endMark ? strstr(endMark, start) : -1;
    return SubString(start, end < 0 ? -1 : end - start);
}

int CDString::atoi() const
{
    int i = 0;
    while (i < length_ && (text_[i] == ' ' || text_[i] == '\t' || text_[i] == '\n' || text_[i] == '\r' ||
                           text_[i] == '\v' || text_[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < length_ && (text_[i] == '-' || text_[i] == '+'))
        negative = text_[i++] == '-';
    long long value = 0;
    for (; i < length_ && text_[i] >= '0' && text_[i] <= '9'; ++i) {
        value = value * 10 + (text_[i] - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return (int)value;
}

int CDString::Separa_En_Palabras(const char* separators, Vector<DString>& words) const
{
    return Split(*this, separators, false, words);
}

int CDString::Separa_En_Palabras_SinEspacios(const char* separators, Vector<DString>& words) const
{
    return Split(*this, separators, true, words);
}

int CDString::Strcmp(const char* other) const
{
    if (!other)
        other = kEmpty;
    return CompareBytes(text_, length_, other, (int)std::strlen(other));
}

int CDString::Strcmp(const CDString& other) const
{
    return CompareBytes(text_, length_, other.text_, other.length_);
}

int CDString::Strcmpi(const char* other) const
{
    if (!other)
        other = kEmpty;
    return CompareIgnoringCase(text_, length_, other, (int)std::strlen(other), codepage_);
}

bool operator<(const CDString& a, const CDString& b)
{
    return a.Strcmp(b) < 0;
}

DString operator+(const CDString& a, const CDString& b)
{
    DString r(a);
    r << b;
    return r;
}
DString operator+(const CDString& a, const char* b)
{
    DString r(a);
    r << b;
    return r;
}
DString operator+(const char* a, const CDString& b)
{
    DString r(a);
    r.SetCodepage(b.GetCodepage());
    r << b;
    return r;
}

int Dstrcmpi(const char* a, const char* b)
{
    if (!a)
        a = kEmpty;
    if (!b)
        b = kEmpty;
    return CompareIgnoringCase(a, (int)std::strlen(a), b, (int)std::strlen(b), CodePage::Default());
}

// ---------------------------------------------------------------- DString

namespace {

// Lengths are ints.
constexpr size_t kMaxLength = INT_MAX;

[[noreturn]] void TooLong()
{
    throw std::length_error("DString longer than INT_MAX bytes");
}

} // namespace

DString::DString(const char* text, int length) : DString(text, length, CodePage::Default()) {}

DString::DString(int value) : CDString(nullptr, 0, CodePage::Default())
{
    SetEmptyShort();
    *this << value;
}

void DString::Assign(const char* bytes, size_t length)
{
    if (length > Capacity()) {
        // Longer than this string's room, so bytes are not inside it. Exact size:
        // most strings are copied once and never grow.
        if (length > kMaxLength)
            TooLong();
        char* block = static_cast<char*>(::operator new(length + 1));
        std::memcpy(block, bytes, length);
        Release();
        text_ = block;
        heapCapacity_ = length;
    } else {
        std::memmove(Bytes(), bytes, length);
    }
    Bytes()[length] = 0;
    length_ = (int)length;
}

void DString::Splice(size_t at, size_t removed, const char* bytes, size_t count)
{
    const size_t length = (size_t)length_;
    const size_t tail = length - at - removed;
    const size_t total = length - removed + count;
    if (total > kMaxLength)
        TooLong();
    if (total > Capacity()) {
        // Doubling keeps appending in a loop linear. The old block stays until
        // the new one is filled, as bytes may lie in it.
        size_t capacity = Capacity() * 2;
        if (capacity > kMaxLength)
            capacity = kMaxLength;
        if (capacity < total)
            capacity = total;
        char* block = static_cast<char*>(::operator new(capacity + 1));
        std::memcpy(block, text_, at);
        if (bytes)
            std::memcpy(block + at, bytes, count);
        else
            std::memset(block + at, 0, count);
        std::memcpy(block + at + count, text_ + at + removed, tail);
        Release();
        text_ = block;
        heapCapacity_ = capacity;
    } else {
        char* s = Bytes();
        std::string saved;
        const auto address = [](const char* p) { return reinterpret_cast<std::uintptr_t>(p); };
        if (bytes && count && address(bytes) < address(s + Capacity() + 1) && address(bytes + count) > address(s)) {
            // Moving the tail would shift the bytes to insert.
            saved.assign(bytes, count);
            bytes = saved.data();
        }
        std::memmove(s + at + count, s + at + removed, tail);
        if (bytes)
            std::memcpy(s + at, bytes, count);
        else
            std::memset(s + at, 0, count);
    }
    Bytes()[total] = 0;
    length_ = (int)total;
}

char* DString::str()
{
    return Bytes();
}

char& DString::operator[](int index)
{
    static char scratch;
    if (index >= 0 && index < length_)
        return Bytes()[index];
    scratch = 0;
    return scratch;
}

void DString::Empty()
{
    Bytes()[0] = 0;
    length_ = 0;
}

void DString::SetLength(int length)
{
    if (length < 0)
        length = 0;
    if (length <= length_) {
        Bytes()[length] = 0;
        length_ = length;
    } else {
        Splice((size_t)length_, 0, nullptr, (size_t)(length - length_));
    }
}

DString& DString::Append(const char* bytes, int length)
{
    if (bytes && length > 0) {
        const size_t n = (size_t)length;
        const size_t total = (size_t)length_ + n;
        if (total <= Capacity()) {
            char* s = Bytes();
            std::memmove(s + length_, bytes, n);
            s[total] = 0;
            length_ = (int)total;
        } else {
            Splice((size_t)length_, 0, bytes, n);
        }
    }
    return *this;
}

DString& DString::operator<<(const char* text)
{
    return text ? Append(text, (int)std::strlen(text)) : *this;
}

DString& DString::operator<<(const CDString& text)
{
    return Append(text.c_str(), text.Length());
}

DString& DString::operator<<(const DString& text)
{
    return Append(text.c_str(), text.Length());
}

DString& DString::operator<<(char c)
{
    return Append(&c, 1);
}

DString& DString::operator<<(int value)
{
    return *this << (long long)value;
}

DString& DString::operator<<(unsigned int value)
{
    return *this << (unsigned long long)value;
}

DString& DString::operator<<(short value)
{
    return *this << (long long)value;
}

DString& DString::operator<<(long value)
{
    return *this << (long long)value;
}

DString& DString::operator<<(unsigned long value)
{
    return *this << (unsigned long long)value;
}

namespace {

// Decimal digits of value, written backwards from end; the first character's address.
char* DecimalDigits(unsigned long long value, char* end)
{
    do {
        *--end = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

} // namespace

// Numbers are added often (element ids, paths): no formatting call for them.
DString& DString::operator<<(long long value)
{
    char buf[32];
    char* const end = buf + sizeof buf;
    // The magnitude taken unsigned, so the most negative value has one too.
    const unsigned long long magnitude = value < 0 ? 0ull - (unsigned long long)value : (unsigned long long)value;
    char* first = DecimalDigits(magnitude, end);
    if (value < 0)
        *--first = '-';
    return Append(first, int(end - first));
}

DString& DString::operator<<(unsigned long long value)
{
    char buf[32];
    char* const end = buf + sizeof buf;
    char* first = DecimalDigits(value, end);
    return Append(first, int(end - first));
}

DString& DString::operator<<(float value)
{
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.7g", (double)value);
    return Append(buf, n);
}

DString& DString::operator<<(double value)
{
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.15g", value);
    return Append(buf, n);
}

DString& DString::operator<<(bool value)
{
    return *this << (value ? "true" : "false");
}

DString& DString::Insert(int position, const char* text)
{
    return text ? Insert(position, text, (int)std::strlen(text)) : *this;
}

DString& DString::Insert(int position, const char* bytes, int length)
{
    if (!bytes || length <= 0)
        return *this;
    if (position < 0)
        position = 0;
    if (position > length_)
        position = length_;
    Splice((size_t)position, 0, bytes, (size_t)length);
    return *this;
}

DString& DString::Delete(int position, int count)
{
    if (count <= 0)
        return *this;
    if (position < 0) {
        count += position;
        position = 0;
    }
    if (count <= 0 || position >= length_)
        return *this;
    if (count > length_ - position)
        count = length_ - position;
    Splice((size_t)position, (size_t)count, nullptr, 0);
    return *this;
}

int DString::Sustituye(const char* from, const char* to)
{
    if (!from || !*from)
        return 0;
    const std::string_view text(text_, (size_t)length_);
    const std::string_view f(from);
    const std::string_view t(to ? to : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    for (size_t hit = text.find(f); hit != std::string_view::npos; hit = text.find(f, pos)) {
        out.append(text.substr(pos, hit - pos));
        out.append(t);
        pos = hit + f.size();
        ++count;
    }
    if (count) {
        out.append(text.substr(pos));
        Assign(out.data(), out.size());
    }
    return count;
}

DString& DString::A_Minusculas()
{
    if (const unsigned char* table = CodePage::LowerTable(codepage_)) {
        MapBytes(Bytes(), length_, table);
    } else {
        const std::string out = MapChars(std::string_view(text_, (size_t)length_), codepage_, Lower);
        Assign(out.data(), out.size());
    }
    return *this;
}

DString& DString::A_Mayusculas()
{
    if (const unsigned char* table = CodePage::UpperTable(codepage_)) {
        MapBytes(Bytes(), length_, table);
    } else {
        const std::string out = MapChars(std::string_view(text_, (size_t)length_), codepage_, Upper);
        Assign(out.data(), out.size());
    }
    return *this;
}

DString& DString::Primera_Letra_Mayusculas()
{
    bool done = false;
    const std::string out = MapChars(std::string_view(text_, (size_t)length_), codepage_, [&done](unsigned int c) {
        if (!done && CodePage::IsLetterOrDigit(c)) {
            done = true;
            return Upper(c);
        }
        return std::u32string(1, (char32_t)c);
    });
    Assign(out.data(), out.size());
    return *this;
}

DString& DString::Elimina_Umpersand()
{
    // In place: the text only shrinks.
    char* s = Bytes();
    int kept = 0;
    for (int i = 0; i < length_; ++i) {
        if (s[i] != '&') {
            s[kept++] = s[i];
        } else if (i + 1 < length_ && s[i + 1] == '&') {
            s[kept++] = '&';
            ++i;
        }
    }
    s[kept] = 0;
    length_ = kept;
    return *this;
}

DString& DString::SimplificaAcentosEnyesEtc()
{
    const std::string out = MapChars(std::string_view(text_, (size_t)length_), codepage_, Simplify);
    Assign(out.data(), out.size());
    return *this;
}

DString& DString::Trim(const char* chars)
{
    if (!chars)
        chars = " \t";
    const std::string_view text(text_, (size_t)length_);
    const size_t first = text.find_first_not_of(chars);
    if (first == std::string_view::npos) {
        Empty();
    } else {
        const size_t last = text.find_last_not_of(chars);
        Assign(text_ + first, last - first + 1);
    }
    return *this;
}

bool DString::Lee_Unicode(unsigned int code)
{
    std::string out;
    bool ok = CodePage::EncodeChar(code, codepage_, out);
    Assign(out.data(), out.size());
    return ok;
}

bool DString::Lee_Unicode(const char16_t* text, int length)
{
    std::string out;
    bool ok = CodePage::FromUtf16(text, length, codepage_, out);
    Assign(out.data(), out.size());
    return ok;
}

DString& DString::FormatArgs(const char* format, const FormatArg* args, int count)
{
    const int kMaxField = 4096;
    std::string out;
    int next = 0;
    auto takeInt = [&]() -> int {
        if (next >= count)
            return 0;
        const FormatArg& a = args[next++];
        long long v = a.kind == FormatArg::Unsigned ? (long long)(a.u > (unsigned long long)INT_MAX ? INT_MAX : a.u)
                      : a.kind == FormatArg::Float  ? (long long)(a.f > INT_MAX ? INT_MAX : a.f < INT_MIN ? INT_MIN : a.f)
                      : a.kind == FormatArg::Text   ? 0
                                                    : a.i;
        return (int)(v > kMaxField ? kMaxField : v < -kMaxField ? -kMaxField : v);
    };
    auto emit = [&out](const std::string& spec, auto value) {
        int n = std::snprintf(nullptr, 0, spec.c_str(), value);
        if (n <= 0)
            return;
        std::vector<char> buf((size_t)n + 1);
        std::snprintf(buf.data(), buf.size(), spec.c_str(), value);
        out.append(buf.data(), (size_t)n);
    };
    const char* p = format ? format : "";
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string flags;
        while (*p && std::strchr("-+ #0", *p))
            flags += *p++;
        int width = -1, precision = -1;
        if (*p == '*') {
            ++p;
            width = takeInt();
            if (width < 0) {
                flags += '-';
                width = -width;
            }
        } else {
            for (; *p >= '0' && *p <= '9'; ++p)
                width = width < 0 ? *p - '0' : width < kMaxField ? width * 10 + (*p - '0') : kMaxField;
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                ++p;
                precision = takeInt();
            } else {
                for (precision = 0; *p >= '0' && *p <= '9'; ++p)
                    precision = precision < kMaxField ? precision * 10 + (*p - '0') : kMaxField;
            }
        }
        width = width > kMaxField ? kMaxField : width;
        precision = precision > kMaxField ? kMaxField : precision;
        while (*p && std::strchr("hlLqjzt", *p))
            ++p;
        char conv = *p;
        if (!conv || !std::strchr("diouxXcsfFeEgGaAp n", conv) || conv == ' ') {
            // Not a conversion: keep the text as written.
            out.append(start, (size_t)(p - start));
            continue;
        }
        ++p;
        if (next >= count)
            continue; // a missing argument prints nothing
        const FormatArg& a = args[next++];
        if (conv == 'n')
            continue;
        std::string spec = "%" + flags;
        if (width >= 0)
            spec += std::to_string(width);
        std::string prec = precision >= 0 ? "." + std::to_string(precision) : "";
        bool integer = std::strchr("diouxXp", conv) != nullptr;
        bool real = std::strchr("fFeEgGaA", conv) != nullptr;
        if (a.kind == FormatArg::Text) {
            emit(spec + prec + "s", a.s);
        } else if (conv == 's') {
            DString number;
            if (a.kind == FormatArg::Float)
                number << a.f;
            else if (a.kind == FormatArg::Unsigned)
                number << a.u;
            else if (a.kind == FormatArg::Char)
                number << (char)a.i;
            else
                number << a.i;
            emit(spec + prec + "s", number.c_str());
        } else if (conv == 'c') {
            long long v = a.kind == FormatArg::Float ? (long long)a.f : a.kind == FormatArg::Unsigned ? (long long)a.u : a.i;
            emit(spec + "c", (int)(unsigned char)v);
        } else if (real) {
            double v = a.kind == FormatArg::Float ? a.f : a.kind == FormatArg::Unsigned ? (double)a.u : (double)a.i;
            emit(spec + prec + conv, v);
        } else if (integer) {
            long long v;
            if (a.kind == FormatArg::Float) {
                double f = a.f;
                v = f != f ? 0 : f >= 9.2e18 ? LLONG_MAX : f <= -9.2e18 ? LLONG_MIN : (long long)f;
            } else {
                v = a.kind == FormatArg::Unsigned ? (long long)a.u : a.i;
            }
            if (conv == 'd' || conv == 'i') {
                if (a.kind == FormatArg::Unsigned)
                    emit(spec + prec + "llu", a.u);
                else
                    emit(spec + prec + "lld", v);
            } else {
                // A negative int prints as its 32-bit pattern, as the callers' printf did.
                unsigned long long u = a.kind == FormatArg::Signed && v < 0 && v >= INT_MIN
                                           ? (unsigned long long)(unsigned int)(int)v
                                           : (unsigned long long)v;
                char c = conv == 'p' ? 'x' : conv;
                emit(spec + prec + "ll" + c, u);
            }
        }
    }
    Assign(out.data(), out.size());
    return *this;
}

// ---------------------------------------------------------------- BMString

BMString::BMString(const char* pattern, int codepage)
{
    DString p(pattern ? pattern : "");
    p.SetCodepage(CodePage::Effective(codepage));
    p.A_Mayusculas();
    pattern_.assign(p.c_str(), (size_t)p.Length());
    codepage_ = p.GetCodepage();
    int m = (int)pattern_.size();
    for (int& s : shift_)
        s = m;
    for (int i = 0; i + 1 < m; ++i)
        shift_[(unsigned char)pattern_[i]] = m - 1 - i;
}

int BMString::Find(const char* text, int length) const
{
    if (!text)
        return pattern_.empty() ? 0 : -1;
    if (length < 0)
        length = (int)std::strlen(text);
    DString t(text, length, codepage_);
    t.A_Mayusculas();
    const unsigned char* s = (const unsigned char*)t.c_str();
    int n = t.Length();
    int m = (int)pattern_.size();
    if (m == 0)
        return 0;
    const unsigned char* q = (const unsigned char*)pattern_.data();
    for (int i = 0; i + m <= n;) {
        int j = m - 1;
        while (j >= 0 && s[i + j] == q[j])
            --j;
        if (j < 0)
            return i;
        i += shift_[s[i + m - 1]];
    }
    return -1;
}
