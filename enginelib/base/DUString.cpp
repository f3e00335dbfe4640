#include "enginelib/base/DUString.h"

#include <algorithm>
#include <vector>

#include "enginelib/base/CodePage.h"

namespace {

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool IsDigit(unsigned int c)
{
    return (c >= '0' && c <= '9') || (c >= 0x660 && c <= 0x669) || (c >= 0x6F0 && c <= 0x6F9);
}

char16_t Mirror(char16_t c)
{
    switch (c) {
    case '(': return ')';
    case ')': return '(';
    case '[': return ']';
    case ']': return '[';
    case '{': return '}';
    case '}': return '{';
    case '<': return '>';
    case '>': return '<';
    case 0xAB: return 0xBB;
    case 0xBB: return 0xAB;
    case 0x2039: return 0x203A;
    case 0x203A: return 0x2039;
    default: return c;
    }
}

// A character with the marks that follow it, and its direction.
struct Cluster {
    int start;
    int length;
    enum Dir { Ltr, Rtl, Neutral } dir;
};

// A pair of brackets takes one direction: right to left when it holds right-to-left
// text, left to right when it holds only left-to-right text after left-to-right
// text; otherwise its brackets stay neutral.
void ResolveBrackets(const char16_t* text, std::vector<Cluster>& clusters)
{
    const int kMaxDepth = 63;
    int n = (int)clusters.size();
    std::vector<int> open;
    for (int i = 0; i < n; ++i) {
        char16_t c = text[clusters[i].start];
        if (clusters[i].dir != Cluster::Neutral)
            continue;
        if (c == '(' || c == '[' || c == '{') {
            if ((int)open.size() == kMaxDepth)
                return;
            open.push_back(i);
            continue;
        }
        if (c != ')' && c != ']' && c != '}')
            continue;
        char16_t want = c == ')' ? '(' : c == ']' ? '[' : '{';
        int k = (int)open.size() - 1;
        while (k >= 0 && text[clusters[open[k]].start] != want)
            --k;
        if (k < 0)
            continue;
        int o = open[k];
        open.resize((size_t)k);
        bool hasRtl = false, hasLtr = false;
        for (int j = o + 1; j < i; ++j) {
            hasRtl = hasRtl || clusters[j].dir == Cluster::Rtl;
            hasLtr = hasLtr || clusters[j].dir == Cluster::Ltr;
        }
        Cluster::Dir dir = Cluster::Neutral;
        if (hasRtl) {
            dir = Cluster::Rtl;
        } else if (hasLtr) {
            int j = o - 1;
            while (j >= 0 && clusters[j].dir == Cluster::Neutral)
                --j;
            dir = j >= 0 && clusters[j].dir == Cluster::Ltr ? Cluster::Ltr : Cluster::Rtl;
        }
        clusters[o].dir = clusters[i].dir = dir;
    }
}

// Display order of one line (no line feeds inside), written back in place.
void ReorderLine(char16_t* text, int length)
{
    std::vector<Cluster> clusters;
    for (int i = 0; i < length;) {
        int start = i;
        unsigned int code = text[i++];
        if (IsHigh((char16_t)code) && i < length && IsLow(text[i]))
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i++] - 0xDC00);
        while (i < length && CodePage::IsMark(text[i]))
            ++i;
        Cluster::Dir dir = CodePage::IsRightToLeft(code)                          ? Cluster::Rtl
                           : IsDigit(code) || CodePage::IsLetterOrDigit(code) ? Cluster::Ltr
                                                                                  : Cluster::Neutral;
        clusters.push_back({start, i - start, dir});
    }
    int n = (int)clusters.size();
    ResolveBrackets(text, clusters);
    // Neutrals between two left-to-right characters join them; others read right to left.
    std::vector<bool> ltr(n);
    int lastStrong = -1; // direction of the previous strong cluster: 1 ltr, 0 rtl, -1 none
    for (int i = 0; i < n; ++i) {
        if (clusters[i].dir != Cluster::Neutral) {
            lastStrong = clusters[i].dir == Cluster::Ltr;
            ltr[i] = lastStrong == 1;
            continue;
        }
        int j = i;
        while (j < n && clusters[j].dir == Cluster::Neutral)
            ++j;
        bool between = lastStrong == 1 && j < n && clusters[j].dir == Cluster::Ltr;
        for (int k = i; k < j; ++k)
            ltr[k] = between;
        i = j - 1;
    }
    // Runs from the right: right-to-left clusters one by one, left-to-right runs whole.
    std::u16string out;
    out.reserve(length);
    for (int i = n - 1; i >= 0;) {
        if (!ltr[i]) {
            const Cluster& c = clusters[i];
            for (int k = 0; k < c.length; ++k)
                out += k == 0 ? Mirror(text[c.start]) : text[c.start + k];
            --i;
            continue;
        }
        int j = i;
        while (j > 0 && ltr[j - 1])
            --j;
        int from = clusters[j].start;
        int to = clusters[i].start + clusters[i].length;
        out.append(text + from, text + to);
        i = j - 1;
    }
    std::copy(out.begin(), out.end(), text);
}

// Clips (start, length) to a text of size n; false when nothing is left.
bool Clip(int n, int& start, int& length)
{
    if (start < 0)
        start = 0;
    if (start > n)
        start = n;
    if (length < 0 || length > n - start)
        length = n - start;
    return length > 0;
}

} // namespace

DUString::DUString(const CDString& text) : text_(CodePage::ToUtf16(text.c_str(), text.Length(), text.GetCodepage())) {}

DUString::DUString(const char* text, int codepage) : text_(CodePage::ToUtf16(text, -1, codepage)) {}

DUString::DUString(const char* text) : text_(CodePage::ToUtf16(text, -1, -1)) {}

DUString::DUString(const char16_t* text, int length)
{
    if (!text)
        return;
    if (length < 0)
        length = (int)std::char_traits<char16_t>::length(text);
    text_.assign(text, (size_t)length);
}

char16_t DUString::operator[](int index) const
{
    return index >= 0 && index < Length() ? text_[(size_t)index] : 0;
}

char16_t& DUString::operator[](int index)
{
    static char16_t scratch;
    if (index >= 0 && index < Length())
        return text_[(size_t)index];
    scratch = 0;
    return scratch;
}

DUString& DUString::operator=(const char16_t* text)
{
    *this = DUString(text);
    return *this;
}

DUString& DUString::operator+=(char16_t c)
{
    text_ += c;
    return *this;
}

DUString& DUString::operator+=(const DUString& text)
{
    text_ += text.text_;
    return *this;
}

DUString& DUString::Insert(int position, char16_t c)
{
    return Insert(position, &c, 1);
}

DUString& DUString::Insert(int position, const char16_t* text, int length)
{
    if (!text)
        return *this;
    if (length < 0)
        length = (int)std::char_traits<char16_t>::length(text);
    position = std::max(0, std::min(position, Length()));
    std::u16string copy(text, (size_t)length);
    text_.insert((size_t)position, copy);
    return *this;
}

DUString& DUString::Delete(int position, int count)
{
    if (position < 0) {
        count += position;
        position = 0;
    }
    if (count > 0 && position < Length())
        text_.erase((size_t)position, (size_t)count);
    return *this;
}

DUString DUString::SubString(int start, int length) const
{
    if (!Clip(Length(), start, length))
        return DUString();
    return DUString(text_.data() + start, length);
}

int DUString::Find(char16_t c, int from) const
{
    if (from < 0)
        from = 0;
    size_t p = from <= Length() ? text_.find(c, (size_t)from) : std::u16string::npos;
    return p == std::u16string::npos ? -1 : (int)p;
}

int DUString::Find(const char16_t* what, int from) const
{
    if (!what || from < 0 || from > Length())
        return -1;
    size_t p = text_.find(what, (size_t)from);
    return p == std::u16string::npos ? -1 : (int)p;
}

DUString& DUString::A_Mayusculas()
{
    for (char16_t& c : text_)
        if (!IsHigh(c) && !IsLow(c))
            c = (char16_t)CodePage::ToUpper(c);
    return *this;
}

DUString& DUString::A_Minusculas()
{
    for (char16_t& c : text_)
        if (!IsHigh(c) && !IsLow(c))
            c = (char16_t)CodePage::ToLower(c);
    return *this;
}

DString DUString::ToDString(int codepage) const
{
    int cp = CodePage::Effective(codepage);
    std::string bytes;
    CodePage::FromUtf16(text_.data(), Length(), cp, bytes);
    return DString(bytes.data(), (int)bytes.size(), cp);
}

void DUString::Reverse(int start, int length)
{
    if (!Clip(Length(), start, length))
        return;
    char16_t* p = &text_[(size_t)start];
    std::reverse(p, p + length);
    for (int i = 0; i + 1 < length; ++i)
        if (IsLow(p[i]) && IsHigh(p[i + 1])) {
            std::swap(p[i], p[i + 1]);
            ++i;
        }
}

void DUString::ReverseFrase(int start, int length)
{
    if (!Clip(Length(), start, length))
        return;
    char16_t* p = &text_[(size_t)start];
    int lineStart = 0;
    for (int i = 0; i <= length; ++i) {
        if (i == length || p[i] == '\n') {
            if (i > lineStart)
                ReorderLine(p + lineStart, i - lineStart);
            lineStart = i + 1;
        }
    }
}

bool operator==(const DUString& a, const DUString& b)
{
    return a.Text() == b.Text();
}

bool operator!=(const DUString& a, const DUString& b)
{
    return !(a == b);
}
