#pragma once
#include <cstdarg>
#include <cstring>
#include <string>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/Vector.h"

class DString;

// Read-only view of 8-bit text in a code page. It does not own the bytes: the
// text it was made from must outlive it. Lengths and positions count bytes; the
// text may hold any byte value (a view made from a char* stops at its NUL).
class CDString {
public:
    CDString() : text_(""), length_(0), codepage_(CodePage::Default()) {}
    CDString(const char* text);                     // default code page; null is empty
    CDString(const char* text, int length, int codepage)
        : text_(text ? text : ""), length_(text && length > 0 ? length : 0), codepage_(codepage)
    {
    }
    CDString(const CDString& other) = default;
    CDString& operator=(const CDString& other) = default;

    int Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    const char* c_str() const { return text_; } // never null, NUL-terminated
    int GetCodepage() const { return codepage_; }
    // Byte at index; 0 outside the text.
    char operator[](int index) const;

    // Position of the first occurrence of what at or after from; -1 when absent.
    // An empty what is found at from (when from is inside the text or at its end).
    int strstr(const char* what, int from = 0) const;
    int strchr(char c, int from = 0) const;
    // Position of the last occurrence of c; -1 when absent.
    int strrchr(char c) const;
    // Search with options: whole words only (bounded by non-alphanumerics), case
    // ignored (code-page aware), accents ignored. Position or -1.
    int strstrpos(const char* what, int from = 0, bool wholeWord = false, bool ignoreCase = false,
                  bool ignoreAccents = false) const;
    bool Contains(const char* what) const { return strstr(what) >= 0; }
    bool StartsWith(const char* prefix) const;
    bool EndsWith(const char* suffix) const;

    // Bytes from start, at most length of them (negative: to the end); clipped to the text.
    DString SubString(int start, int length = -1) const;
    // The text after key up to endMark (or to the end when endMark is absent or
    // empty); empty when key is absent. Case-sensitive.
    DString GetParam(const char* key, const char* endMark) const;

    // Decimal value: optional leading blanks, optional sign, digits up to the first
    // other byte; no digits gives 0; values beyond int are clamped.
    int atoi() const;

    // Splits at every byte that is one of separators. Runs of separators and
    // separators at either end make no empty words. Words are appended to words
    // after it is emptied; gives the word count. The words keep this code page.
    int Separa_En_Palabras(const char* separators, Vector<DString>& words) const;
    // As above, blanks and tabs also separate.
    int Separa_En_Palabras_SinEspacios(const char* separators, Vector<DString>& words) const;

    // Byte-wise comparison (bytes unsigned), as strcmp: <0, 0, >0.
    int Strcmp(const char* other) const;
    int Strcmp(const CDString& other) const;
    // Comparison ignoring case (code-page aware).
    int Strcmpi(const char* other) const;

protected:
    const char* text_;
    int length_;
    int codepage_;
};

// 8-bit text owning its bytes, in a code page (the process default when made,
// Windows-1252 unless changed; see CodePage). 32 bytes: the view plus either the
// bytes of a short text (text_ points at them) or the capacity of a heap block.
class DString : public CDString {
public:
    // The view starts on the empty local bytes: each field is stored once
    // (elements hold a dozen of these, made and dropped by the thousand).
    DString() : CDString(local_, 0, CodePage::Default()) { local_[0] = 0; }
    DString(const char* text) : CDString(local_, 0, CodePage::Default()) // null is empty
    {
        local_[0] = 0;
        // An empty text (most labels and names) needs no measuring and no copy.
        if (text && *text)
            SetText(text, std::strlen(text));
    }
    DString(const char* text, int length);         // length bytes, may hold NULs
    DString(const char* text, int length, int codepage) : CDString(local_, 0, codepage)
    {
        local_[0] = 0;
        if (text && length > 0)
            Assign(text, (size_t)length);
    }
    DString(const CDString& other)                 // copies the bytes and code page
        : DString(other.c_str(), other.Length(), other.GetCodepage())
    {
    }
    DString(const DString& other) : CDString(local_, 0, other.codepage_)
    {
        if (other.IsShort()) {
            std::memcpy(local_, other.local_, sizeof local_);
            length_ = other.length_;
        } else {
            local_[0] = 0;
            Assign(other.text_, (size_t)other.length_);
        }
    }
    DString(DString&& other) noexcept : CDString(local_, 0, other.codepage_) { Take(other); }
    explicit DString(int value);
    ~DString() { Release(); }

    // Keeps this code page. Inline so that a literal's length is known where it
    // is assigned: tags and names set in constructors take no length scan.
    DString& operator=(const char* text)
    {
        SetText(text ? text : "", std::strlen(text ? text : ""));
        return *this;
    }
    DString& operator=(const CDString& other)     // takes the other's code page
    {
        SetText(other.c_str(), (size_t)other.Length());
        codepage_ = other.GetCodepage();
        return *this;
    }
    DString& operator=(const DString& other)
    {
        if (this == &other)
            return *this;
        codepage_ = other.codepage_;
        if (IsShort() && other.IsShort()) {
            std::memcpy(local_, other.local_, sizeof local_);
            length_ = other.length_;
        } else {
            Assign(other.text_, (size_t)other.length_);
        }
        return *this;
    }
    DString& operator=(DString&& other) noexcept
    {
        if (this != &other) {
            Release();
            codepage_ = other.codepage_;
            Take(other);
        }
        return *this;
    }

    // Writable bytes (Length() of them, then a NUL). Writing past Length() is not
    // allowed; use SetLength to make room.
    char* str();
    // Byte at index; writes outside the text go to a scratch byte and are lost.
    char& operator[](int index);
    char operator[](int index) const { return CDString::operator[](index); }

    void SetCodepage(int codepage) { codepage_ = codepage; }
    // As assigning a view of length bytes in codepage, for a reader of a
    // buffer that has 16 bytes to read at bytes (none of them this string's):
    // a short text is copied in one fixed-size move, not a call sized by its
    // length.
    void AssignFrom16(const char* bytes, int length, int codepage)
    {
        codepage_ = codepage;
        if (length >= 0 && length <= (int)kShortCapacity && IsShort()) {
            std::memcpy(local_, bytes, kShortCapacity + 1);
            local_[length] = 0;
            length_ = length;
        } else {
            SetText(bytes, length > 0 ? (size_t)length : 0);
        }
    }
    void Empty();
    // Cuts or extends (with NUL bytes) to length bytes.
    void SetLength(int length);

    // Appending: text, a single byte, numbers in decimal; floats in a short
    // decimal form ("1.5", "100", "0.333333"); bool as "true" or "false".
    DString& operator<<(const char* text);
    DString& operator<<(const CDString& text);
    DString& operator<<(const DString& text);
    DString& operator<<(char c);
    DString& operator<<(int value);
    DString& operator<<(unsigned int value);
    DString& operator<<(short value);
    DString& operator<<(long value);
    DString& operator<<(unsigned long value);
    DString& operator<<(long long value);
    DString& operator<<(unsigned long long value);
    DString& operator<<(float value);
    DString& operator<<(double value);
    DString& operator<<(bool value);
    DString& operator+=(const char* text) { return *this << text; }
    DString& operator+=(const CDString& text) { return *this << text; }
    DString& operator+=(char c) { return *this << c; }
    DString& Append(const char* bytes, int length);

    // Inserts bytes before position (clipped to the text).
    DString& Insert(int position, const char* text);
    DString& Insert(int position, const char* bytes, int length);
    // Removes up to count bytes from position.
    DString& Delete(int position, int count);

    // Replaces every occurrence of from by to, left to right, without rescanning
    // the inserted text; gives the number replaced. An empty from replaces nothing.
    int Sustituye(const char* from, const char* to);
    // Case change in place, code-page aware.
    DString& A_Minusculas();
    DString& A_Mayusculas();
    // Upper-cases the first letter; the rest is unchanged.
    DString& Primera_Letra_Mayusculas();
    // Removes menu accelerator marks: "&x" gives "x", "&&" gives "&".
    DString& Elimina_Umpersand();
    // Removes accents, cedillas, tildes and the like in place ("Ñandú" -> "Nandu",
    // "Æ" -> "AE", "ß" -> "ss"), also Hebrew points and Arabic vowel marks.
    DString& SimplificaAcentosEnyesEtc();
    // Removes the given bytes at both ends.
    DString& Trim(const char* chars = " \t");

    // Sets the text to the character code (Unicode) in this string's code page;
    // a code the code page cannot hold gives "?". False for such a code.
    bool Lee_Unicode(unsigned int code);
    // Sets the text to the UTF-16 text in this string's code page.
    bool Lee_Unicode(const char16_t* text, int length = -1);

    // Formats like printf, safely: each conversion takes the next argument and
    // prints it by the argument's own type (a %s given a number prints the number,
    // a %d given text prints the text, a missing argument prints nothing, %n is
    // ignored); width and precision are capped. Replaces the text.
    template <class... Args>
    DString& Dsprintf(const char* format, const Args&... args);

    // One formatted argument (used by Dsprintf).
    struct FormatArg {
        enum Kind { Signed, Unsigned, Float, Text, Char } kind;
        long long i = 0;
        unsigned long long u = 0;
        double f = 0;
        const char* s = "";
        FormatArg(int v) : kind(Signed), i(v) {}
        FormatArg(short v) : kind(Signed), i(v) {}
        FormatArg(long v) : kind(Signed), i(v) {}
        FormatArg(long long v) : kind(Signed), i(v) {}
        FormatArg(unsigned char v) : kind(Unsigned), u(v) {}
        FormatArg(unsigned short v) : kind(Unsigned), u(v) {}
        FormatArg(unsigned int v) : kind(Unsigned), u(v) {}
        FormatArg(unsigned long v) : kind(Unsigned), u(v) {}
        FormatArg(unsigned long long v) : kind(Unsigned), u(v) {}
        FormatArg(bool v) : kind(Signed), i(v ? 1 : 0) {}
        FormatArg(char v) : kind(Char), i((unsigned char)v) {}
        FormatArg(float v) : kind(Float), f(v) {}
        FormatArg(double v) : kind(Float), f(v) {}
        FormatArg(const char* v) : kind(Text), s(v ? v : "") {}
        FormatArg(char* v) : kind(Text), s(v ? v : "") {}
        FormatArg(const CDString& v) : kind(Text), s(v.c_str()) {}
        FormatArg(const DString& v) : kind(Text), s(v.c_str()) {}
    };
    DString& FormatArgs(const char* format, const FormatArg* args, int count);

private:
    static constexpr size_t kShortCapacity = 15; // bytes held in local_, before its NUL

    bool IsShort() const { return text_ == local_; }
    size_t Capacity() const { return IsShort() ? kShortCapacity : heapCapacity_; }
    char* Bytes() { return const_cast<char*>(text_); }
    void SetEmptyShort()
    {
        local_[0] = 0;
        text_ = local_;
        length_ = 0;
    }
    void Release()
    {
        if (!IsShort())
            ::operator delete(Bytes());
    }
    // Takes other's bytes (a heap block is handed over); other is left empty.
    void Take(DString& other) noexcept
    {
        length_ = other.length_;
        if (other.IsShort()) {
            std::memcpy(local_, other.local_, sizeof local_);
            text_ = local_;
        } else {
            text_ = other.text_;
            heapCapacity_ = other.heapCapacity_;
        }
        other.SetEmptyShort();
    }
    // Replaces the bytes; bytes may lie inside this string.
    void Assign(const char* bytes, size_t length);
    // As Assign; inline, so that a literal's length is folded and its copy is a
    // few moves.
    void SetText(const char* text, size_t length)
    {
        if (length <= Capacity()) {
            // memmove: text may lie inside this string's own bytes.
            char* to = Bytes();
            std::memmove(to, text, length);
            to[length] = 0;
            length_ = (int)length;
        } else {
            Assign(text, length);
        }
    }
    // Replaces removed bytes at at by count bytes (null bytes: NULs); bytes may
    // lie inside this string. Grows geometrically.
    void Splice(size_t at, size_t removed, const char* bytes, size_t count);

    union {
        char local_[kShortCapacity + 1];
        size_t heapCapacity_;
    };
};

// Element records hold a dozen of these: their size is most of a page's memory.
static_assert(sizeof(void*) != 8 || sizeof(DString) == 32, "DString is the view plus 16 bytes");

template <class... Args>
DString& DString::Dsprintf(const char* format, const Args&... args)
{
    const FormatArg list[sizeof...(Args) + 1] = {FormatArg(args)..., FormatArg(0)};
    return FormatArgs(format, list, (int)sizeof...(Args));
}

// Equality looks at the lengths first; inline, so that comparing with a
// literal costs no call to measure it.
inline bool operator==(const CDString& a, const CDString& b)
{
    return a.Length() == b.Length() && std::memcmp(a.c_str(), b.c_str(), (size_t)a.Length()) == 0;
}
inline bool operator==(const CDString& a, const char* b)
{
    const size_t n = b ? std::strlen(b) : 0;
    return (size_t)a.Length() == n && std::memcmp(a.c_str(), b ? b : "", n) == 0;
}
inline bool operator==(const char* a, const CDString& b) { return b == a; }
inline bool operator!=(const CDString& a, const CDString& b) { return !(a == b); }
inline bool operator!=(const CDString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CDString& b) { return !(b == a); }
bool operator<(const CDString& a, const CDString& b);

DString operator+(const CDString& a, const CDString& b);
DString operator+(const CDString& a, const char* b);
DString operator+(const char* a, const CDString& b);

// Comparison ignoring case, in the default code page, as strcmp. Nulls
// count as empty.
int Dstrcmpi(const char* a, const char* b);

// Upper-cased substring search (Boyer-Moore-Horspool): the pattern is upper-cased
// once; each text searched is compared upper-cased, in the pattern's code page.
class BMString {
public:
    explicit BMString(const char* pattern, int codepage = -1); // -1: default code page
    // Position of the pattern in text ignoring case; -1 when absent. An empty
    // pattern is found at 0.
    int Find(const char* text, int length = -1) const;
    int Find(const CDString& text) const { return Find(text.c_str(), text.Length()); }

private:
    std::string pattern_; // upper-cased
    int codepage_;
    int shift_[256];
};
