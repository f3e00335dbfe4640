#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/core/TPDAUIEngineXmlPool.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <unordered_map>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

static_assert(alignof(TPDAUIEngineXml) <= 8 && alignof(TPDAUIEngineXml::TAttribute) <= 8,
              "pool slots are 8-byte aligned");

const char kTextNodeName[] = "#text";

// Whole-name equality of a held name with a NUL-terminated one.
inline bool SameName(const CDString& held, const char* name)
{
    size_t n = std::strlen(name);
    return (size_t)held.Length() == n && std::memcmp(held.c_str(), name, n) == 0;
}

// Vectors start without storage (most nodes have no children, text nodes no
// attributes); the first item brings a capacity of 10, and a full vector doubles.
template <class T>
inline void AddTo(VectorP<T>& v, T* item)
{
    if (v.Capacity() == 0)
        v = VectorP<T>(10, 0);
    v.Add(item);
}

typedef TPDAUIEngineXmlString XmlString;

// Bytes of the buffer into a string of the tree, in the reader's code page.
inline void SetBytes(XmlString& to, const char* s, int n, int codepage)
{
    to = XmlString(s, n, codepage);
}

// Character classes for the reader. The NUL that ends the buffer stops every scan,
// so the scans need no length checks (the buffer holds no NUL before its end).
enum : unsigned char {
    kEndOfName = 1,      // tag name: ' ', '/', '>'
    kEndOfAttrName = 2,  // attribute name: '=', '>', '/'
    kEndOfValue = 4,     // '"'
    kEndOfText = 8,      // '<'
    kEndOfTag = 16,      // '>'
    kLineSpace = 32,     // ' ', '\t', '\r', '\n'
    kAmpersand = 64,     // '&'
    kEndOfAttributes = 128,  // '>', '/'
    kStop = kEndOfName | kEndOfAttrName | kEndOfValue | kEndOfText | kEndOfTag,
};

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses()
    {
        of[0] = kStop | kEndOfAttributes;
        of[(unsigned char)' '] = kEndOfName | kLineSpace;
        of[(unsigned char)'/'] = kEndOfName | kEndOfAttrName | kEndOfAttributes;
        of[(unsigned char)'>'] = kEndOfName | kEndOfAttrName | kEndOfTag | kEndOfAttributes;
        of[(unsigned char)'='] = kEndOfAttrName;
        of[(unsigned char)'"'] = kEndOfValue;
        of[(unsigned char)'&'] = kAmpersand;
        of[(unsigned char)'<'] = kEndOfText;
        of[(unsigned char)'\t'] = kLineSpace;
        of[(unsigned char)'\r'] = kLineSpace;
        of[(unsigned char)'\n'] = kLineSpace;
    }
};
constexpr CharClasses kClasses;

inline unsigned char ClassOf(char c) { return kClasses.of[(unsigned char)c]; }

// First character at or after p in the given class (the final NUL at the latest).
// Each character is read only once the one before it is known not to be the NUL.
inline const char* Skip(const char* p, unsigned char until)
{
    for (;; p += 4) {
        if (ClassOf(p[0]) & until)
            return p;
        if (ClassOf(p[1]) & until)
            return p + 1;
        if (ClassOf(p[2]) & until)
            return p + 2;
        if (ClassOf(p[3]) & until)
            return p + 3;
    }
}

inline char* Skip(char* p, unsigned char until) { return const_cast<char*>(Skip((const char*)p, until)); }

// Decodes &lt; and &gt; (no other entity) in place in the rest of an attribute
// value, from its first '&' at p up to the closing '"' or the end of the text.
// Gives where that stops; out is set to the end of the decoded bytes.
char* DecodeRest(char* p, char*& out)
{
    char* w = p;
    for (;;) {
        // At a '&'. The bytes of an entity are neither '"' nor NUL, so it cannot
        // run past the value.
        if ((p[1] == 'l' || p[1] == 'g') && p[2] == 't' && p[3] == ';') {
            *w++ = p[1] == 'l' ? '<' : '>';
            p += 4;
        } else {
            *w++ = *p++;
        }
        while (!(ClassOf(*p) & (kEndOfValue | kAmpersand)))
            *w++ = *p++;
        if (*p != '&')
            break;
    }
    out = w;
    return p;
}

const long kDocumentBias = 1L << 40;

// Blanks "<!...>" and "<?...>" through the next '>' (to the end when there is
// none) and turns tabs into spaces, in buffer and in its copy at once.
// Thirty-two bytes go at a time where none of them is a '!' or '?', which few are.
void PrepareText(char* __restrict buffer, char* __restrict copy, size_t len)
{
    auto blank = [&](size_t at) {
        const char* close = (const char*)std::memchr(buffer + at, '>', len - at);
        const size_t end = close ? (size_t)(close - buffer) + 1 : len;
        std::memset(buffer + at, ' ', end - at);
        std::memset(copy + at, ' ', end - at);
        return end;
    };
    // One byte; gives where to go on.
    auto one = [&](size_t i) {
        const char c = buffer[i];
        if ((c == '!' || c == '?') && i > 0 && buffer[i - 1] == '<')
            return blank(i - 1);
        buffer[i] = copy[i] = c == '\t' ? ' ' : c;
        return i + 1;
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i flip = _mm_set1_epi8('\t' ^ ' ');
    const __m128i bang = _mm_set1_epi8('!');
    const __m128i ask = _mm_set1_epi8('?');
    while (len - i >= 32) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i + 16));
        const __m128i rare = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v0, bang), _mm_cmpeq_epi8(v0, ask)),
                                          _mm_or_si128(_mm_cmpeq_epi8(v1, bang), _mm_cmpeq_epi8(v1, ask)));
        if (_mm_movemask_epi8(rare)) {
            // A blanked run may end past the block: the next block starts there.
            for (const size_t stop = i + 32; i < stop;)
                i = one(i);
            continue;
        }
        const __m128i out0 = _mm_xor_si128(v0, _mm_and_si128(_mm_cmpeq_epi8(v0, tab), flip));
        const __m128i out1 = _mm_xor_si128(v1, _mm_and_si128(_mm_cmpeq_epi8(v1, tab), flip));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + i), out0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + i + 16), out1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i), out0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i + 16), out1);
        i += 32;
    }
#endif
    while (i < len)
        i = one(i);
}

} // namespace

// The text a tree was read from: the reader's own copy of the caller's buffer,
// cut in place into NUL-terminated names and values that the tree's strings
// borrow. Every node the reader made holds a reference; the last one to go frees
// it. While the reader runs, a bias in the count stands for the nodes it makes.
struct TPDAUIEngineXml::TDocument {
    std::atomic<long> references;
    TDocument* earlier;  // the document of an earlier Parse into the same root
    char* attributes;    // blocks of the attributes the reader made, newest first
    char bytes[1];

    // Room for length bytes of text and the NUL after them, to be filled.
    static TDocument* Make(size_t length)
    {
        void* raw = std::malloc(offsetof(TDocument, bytes) + length + 1);
        if (!raw) {
            Verifica_Ptr(nullptr);  // reports it
            return nullptr;
        }
        TDocument* d = new (raw) TDocument;
        d->references.store(kDocumentBias, std::memory_order_relaxed);
        d->earlier = nullptr;
        d->attributes = nullptr;
        d->bytes[length] = '\0';
        return d;
    }
    static void Release(TDocument* d, long count)
    {
        while (d && d->references.fetch_sub(count, std::memory_order_acq_rel) == count) {
            TDocument* earlier = d->earlier;
            for (char* block = d->attributes; block;) {
                char* older = *(char**)block;
                std::free(block);
                block = older;
            }
            d->~TDocument();
            std::free(d);
            d = earlier;
            count = 1;
        }
    }

    // Attributes that live as long as the document are made in its blocks: no
    // count of their own, and deleting one only runs its destructor (its slot
    // carries the mark). A new block, or null without memory.
    static constexpr size_t kBlock = 32 * 1024;
    static constexpr size_t kBlockHeader = 16;
    static constexpr size_t kSlot = sizeof(const void*) + ((sizeof(TAttribute) + 7) & ~(size_t)7);
    char* NewBlock()
    {
        char* block = (char*)std::malloc(kBlock);
        if (!Verifica_Ptr(block))
            return nullptr;
        *(char**)block = attributes;
        attributes = block;
        return block;
    }
};

const void* const TPDAUIEngineXml::kInDocument = &TPDAUIEngineXml::kInDocument;

// The recursive element reader over one document, NUL-terminated, changed in place.
class TPDAUIEngineXml::Reader {
public:
    explicit Reader(TDocument* document) : codepage_(CDString().GetCodepage()), document_(document) {}

    // p is at the element's '<'. On success p is on the element's last '>' (or at
    // the end of the text); on failure where reading goes on.
    bool Element(TPDAUIEngineXml* node, char*& p, int depth);

    long made = 0;  // nodes made, each holding a reference to the document

private:
    TPDAUIEngineXml* NewNode()
    {
        TPDAUIEngineXml* n = new TPDAUIEngineXml(codepage_);
        n->document_ = document_;
        ++made;
        return n;
    }
    // kKeep: the attributes go to the node; otherwise they are only passed over.
    template <bool kKeep>
    void Attributes(TPDAUIEngineXml* node, char*& p);
    bool Content(TPDAUIEngineXml* node, char*& p, int depth);
    // Passes over the element at p and everything inside it; gives the position
    // after its end (or the end of the text).
    char* SkipElement(char* p);

    int codepage_;  // the default code page, as every new string takes
    TDocument* document_;
    char* slot_ = nullptr;  // free room for attributes in the document's newest block
    char* slotsEnd_ = nullptr;
};

bool TPDAUIEngineXml::Reader::Element(TPDAUIEngineXml* node, char*& p, int depth)
{
    if (*p != '<')
        return false;
    if (depth > TPDAUIEngineXml::kMaxDepth) {
        // Too deep to read: this element fails whole, nothing of it is left behind.
        p = SkipElement(p);
        return false;
    }

    char* start = ++p;
    p = Skip(p, kEndOfName);
    int n = (int)(p - start);
    if (*p == ' ') {
        *p++ = '\0';  // the attribute loop would step over the blank anyway
        node->name.Borrow(start, n, codepage_);
    } else if (!*p) {
        node->name.Borrow(start, n, codepage_);
    } else {
        SetBytes(node->name, start, n, codepage_);  // '/' and '>' are read again below
    }

    Attributes<true>(node, p);

    p = Skip(p, kEndOfTag);
    if (!*p)
        return true;  // start tag cut off by the end: complete, with nothing inside
    if (p[-1] == '/')
        return true;
    ++p;
    return Content(node, p, depth);
}

template <bool kKeep>
void TPDAUIEngineXml::Reader::Attributes(TPDAUIEngineXml* node, char*& at)
{
    // Locals, as the bytes written below could otherwise be any of them.
    char* p = at;
    char* slot = slot_;
    char* slotsEnd = slotsEnd_;
    const int codepage = codepage_;
    for (;;) {
        while (ClassOf(*p) & kLineSpace)
            ++p;
        if (ClassOf(*p) & kEndOfAttributes)
            break;

        // Name: up to '=' or '>', or through a character that a '/' follows. It
        // starts on no blank (those were passed over above), and the text holds no
        // tabs any more.
        char* start = p;
        p = Skip(p, kEndOfAttrName);
        char* end = p;
        while (end > start && end[-1] == ' ')
            --end;

        // Step over the delimiter, blanks and line breaks, then one character taken
        // as the opening quote whatever it is. Nothing before the value is read
        // again, so the name can end in place.
        if (*p)
            ++p;
        while (*p == ' ' || *p == '\r' || *p == '\n')
            ++p;
        if (*p)
            ++p;
        char* value = p;
        p = Skip(p, kEndOfValue | kAmpersand);
        if (kKeep) {
            // Decoded from the first '&' on, as the rest of the value is read.
            char* valueEnd = p;
            if (*p == '&')
                p = DecodeRest(p, valueEnd);
            bool quoted = *p != '\0';
            *end = '\0';
            *valueEnd = '\0';
            *p = '\0';
            const int nameLength = (int)(end - start);
            const int valueLength = (int)(valueEnd - value);
            TAttribute* a;
#ifndef ORBETA_XML_PLAIN_HEAP
            if ((size_t)(slotsEnd - slot) < TDocument::kSlot) {
                if (char* block = document_->NewBlock()) {
                    slot = block + TDocument::kBlockHeader;
                    slotsEnd = block + TDocument::kBlock;
                }
            }
            if ((size_t)(slotsEnd - slot) >= TDocument::kSlot) {
                *(const void**)slot = kInDocument;
                a = ::new (slot + sizeof(const void*)) TAttribute(start, nameLength, value, valueLength, codepage);
                slot += TDocument::kSlot;
            } else
#endif
            {
                // Its own block: for the sanitizers, or when a new block is not there.
                a = new TAttribute(start, nameLength, value, valueLength, codepage);
            }
            AddTo(node->attributes, a);
            if (quoted)
                ++p;
        } else {
            if (*p == '&')
                p = Skip(p, kEndOfValue);
            if (*p)
                ++p;
        }
    }
    at = p;
    slot_ = slot;
    slotsEnd_ = slotsEnd;
}

char* TPDAUIEngineXml::Reader::SkipElement(char* p)
{
    long open = 0;
    while (*p) {
        if (*p != '<') {
            p = Skip(p, kEndOfText);
            continue;
        }
        if (p[1] == '/') {
            // Any end tag closes one level, as a wrong one fails one when read.
            p = Skip(p + 2, kEndOfTag);
            if (*p)
                ++p;
            if (--open <= 0)
                return p;
            continue;
        }
        p = Skip(p + 1, kEndOfName);
        Attributes<false>(nullptr, p);
        p = Skip(p, kEndOfTag);
        if (!*p)
            return p;
        bool empty = p[-1] == '/';
        ++p;
        if (!empty)
            ++open;
        else if (open == 0)
            return p;
    }
    return p;
}

bool TPDAUIEngineXml::Reader::Content(TPDAUIEngineXml* node, char*& p, int depth)
{
    // A text run is held back until what follows it is read: it may turn out to be
    // the only content, and by then the '<' after it is passed, so the run can end
    // in place.
    char* textStart = nullptr;
    char* textEnd = nullptr;
    auto addText = [this, node](char* from, char* to) {
        TPDAUIEngineXml* t = NewNode();
        t->name.Borrow(kTextNodeName, (int)sizeof kTextNodeName - 1, codepage_);
        *to = '\0';
        t->text.Borrow(from, (int)(to - from), codepage_);
        node->AddChild(t);
    };
    auto flushText = [&]() {
        if (textStart) {
            addText(textStart, textEnd);
            textStart = nullptr;
        }
    };

    while (*p) {
        if (*p == '<') {
            if (p[1] == '/') {
                const char* start = p + 2;
                p = Skip(p + 2, kEndOfTag);
                int n = (int)(p - start);
                if (n != node->name.Length() || std::memcmp(start, node->name.c_str(), (size_t)n) != 0) {
                    flushText();
                    return false;
                }
                break;
            }
            TPDAUIEngineXml* child = NewNode();
            if (Element(child, p, depth + 1)) {
                flushText();
                node->AddChild(child);
                if (*p)
                    ++p;
            } else {
                // A child that fails is dropped; reading goes on where it stopped.
                delete child;
            }
            continue;
        }
        char* start = p;
        while (ClassOf(*p) & kLineSpace)
            ++p;
        bool blank = *p == '<' || !*p;
        p = Skip(p, kEndOfText);
        if (!blank) {
            flushText();
            textStart = start;
            textEnd = p;
        }
    }

    // Only text inside: it becomes the node's own text.
    if (textStart && node->children.Count() == 0) {
        *textEnd = '\0';
        node->text.Borrow(textStart, (int)(textEnd - textStart), codepage_);
    } else {
        flushText();
        if (node->children.Count() == 1 && SameName(node->children[0]->name, kTextNodeName)) {
            TPDAUIEngineXml* t = node->children[0];
            node->text = std::move(t->text);
            node->children.Remove(0);
        }
    }
    return true;
}

namespace {

// Truncation toward zero without overflow.
int TruncateToInt(float f)
{
    if (std::isnan(f))
        return 0;
    if (f >= 2147483648.0f)
        return INT_MAX;
    if (f <= -2147483648.0f)
        return INT_MIN;
    return (int)f;
}

locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return c;
}

// Decimal number: blanks, optional sign, digits with optional fraction and exponent,
// up to the first other character; 0 when the text does not begin with a number.
float ReadFloat(const char* s)
{
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = *s++ == '-';
    const char* p = s;
    int digits = 0;
    while (*p >= '0' && *p <= '9')
        ++p, ++digits;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9')
            ++p, ++digits;
    }
    if (digits == 0)
        return 0.0f;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            ++q;
        if (*q >= '0' && *q <= '9') {
            while (*q >= '0' && *q <= '9')
                ++q;
            p = q;
        }
    }
    // The grammar is checked above, so the C library reads exactly this span.
    std::string number(s, (size_t)(p - s));
    locale_t c = CLocale();
    float v = c ? strtof_l(number.c_str(), nullptr, c) : strtof(number.c_str(), nullptr);
    return negative ? -v : v;
}

// Exact copy of source's attributes and children into an empty node.
void CloneInto(TPDAUIEngineXml* to, const TPDAUIEngineXml* source)
{
    source->ForEachAttribute(
        [to](const TPDAUIEngineXml::TAttribute& a) { AddTo(to->attributes, new TPDAUIEngineXml::TAttribute(a)); });
    for (int i = 0; i < source->children.Count(); ++i) {
        const TPDAUIEngineXml* from = source->children[i];
        TPDAUIEngineXml* copy = new TPDAUIEngineXml;
        copy->name = from->name;
        copy->text = from->text;
        to->AddChild(copy);
        CloneInto(copy, from);
    }
}

} // namespace

TPDAUIEngineXml::TPDAUIEngineXml() : attributes(0, 0), children(0, 0), parent(nullptr), document_(nullptr) {}

TPDAUIEngineXml::TPDAUIEngineXml(int codepage)
    : name(codepage), attributes(0, 0), children(0, 0), text(codepage), parent(nullptr), document_(nullptr)
{
}

TPDAUIEngineXml::~TPDAUIEngineXml()
{
    // Attributes the reader made live in the document: they go before it may.
    attributes.RemoveAll();
    children.RemoveAll();
    TDocument::Release(document_, 1);
}

TPDAUIEngineXml::TAttribute* TPDAUIEngineXml::FindAttribute(const char* name) const
{
    if (!name)
        name = "";
    size_t n = std::strlen(name);
    for (int i = 0; i < attributes.Count(); ++i) {
        TAttribute* a = attributes[i];
        if ((size_t)a->name.Length() >= n && std::memcmp(a->name.c_str(), name, n) == 0)
            return a;
    }
    return nullptr;
}

TPDAUIEngineXml::TAttribute* TPDAUIEngineXml::GetAttributeAt(int index) const
{
    if (index < 0 || index >= attributes.Count())
        return nullptr;
    return attributes[index];
}

DString TPDAUIEngineXml::GetAttribute(const char* name, const char* def) const
{
    const TAttribute* a = FindAttribute(name);
    return a ? DString(a->value) : DString(def);
}

int TPDAUIEngineXml::GetAttributeInt(const char* name, int def, float factor) const
{
    const TAttribute* a = FindAttribute(name);
    float value = (a && !a->value.IsEmpty()) ? (float)a->value.atoi() : (float)def;
    return TruncateToInt(value * factor);
}

float TPDAUIEngineXml::GetAttributeFloat(const char* name, float def) const
{
    const TAttribute* a = FindAttribute(name);
    if (!a || a->value.IsEmpty())
        return def;
    return ReadFloat(a->value.c_str());
}

bool TPDAUIEngineXml::GetAttributeBool(const char* name, bool def) const
{
    const TAttribute* a = FindAttribute(name);
    if (!a || a->value.IsEmpty())
        return def;
    return a->value == "true" || a->value == "True";
}

bool TPDAUIEngineXml::HasAttribute(const char* name) const { return FindAttribute(name) != nullptr; }

void TPDAUIEngineXml::SetAttribute(const char* name, const char* value)
{
    TAttribute* a = FindAttribute(name);
    if (a)
        a->value = value;
    else
        AddAttribute(name, value);
}

void TPDAUIEngineXml::AddAttribute(const char* name, const char* value)
{
    TAttribute* a = new TAttribute;
    a->name = name;
    a->value = value;
    AddTo(attributes, a);
}

void TPDAUIEngineXml::AddChild(TPDAUIEngineXml* child)
{
    if (!child)
        return;
    child->parent = this;
    AddTo(children, child);
}

TPDAUIEngineXml* TPDAUIEngineXml::FindChild(const char* name) const
{
    if (!name)
        name = "";
    for (int i = 0; i < children.Count(); ++i)
        if (SameName(children[i]->name, name))
            return children[i];
    return nullptr;
}

void TPDAUIEngineXml::GetChildren(const char* name, VectorP<TPDAUIEngineXml>& out) const
{
    if (!name)
        name = "";
    for (int i = 0; i < children.Count(); ++i)
        if (SameName(children[i]->name, name))
            out.Add(children[i]);
}

void TPDAUIEngineXml::FindDescendants(const char* name, VectorP<TPDAUIEngineXml>& out) const
{
    if (!name)
        name = "";
    for (int i = 0; i < children.Count(); ++i) {
        TPDAUIEngineXml* c = children[i];
        if (SameName(c->name, name))
            out.Add(c);
        c->FindDescendants(name, out);
    }
}

DString TPDAUIEngineXml::GetChildAttribute(const char* childName, const char* attributeName,
                                           const char* def) const
{
    const TPDAUIEngineXml* c = FindChild(childName);
    return c ? c->GetAttribute(attributeName, def) : DString(def);
}

bool TPDAUIEngineXml::Parse(char* buffer)
{
    if (!buffer)
        return false;
    size_t length = strnlen(buffer, INT_MAX);
    if (length >= (size_t)INT_MAX)
        return false;  // beyond any skin file; positions are ints
    int len = (int)length;

    TDocument* document = TDocument::Make((size_t)len);
    if (!document)
        return false;
    PrepareText(buffer, document->bytes, (size_t)len);
    document->bytes[len] = '\0';
    document->earlier = document_;  // this node's reference to it passes on
    document_ = document;
    Reader reader(document);
    char* first = (char*)std::memchr(document->bytes, '<', (size_t)len);
    char* p = first ? first : document->bytes + len;
    bool ok = reader.Element(this, p, 0);
    // The bias goes; the count is now the live nodes made, and this one.
    TDocument::Release(document, kDocumentBias - reader.made - 1);
    return ok;
}

DString TPDAUIEngineXml::ToString(int depth) const
{
    DString out;
    WriteTo(out, depth < 0 ? 0 : depth);
    return out;
}

namespace {

void Indent(DString& out, int depth)
{
    static const char kSpaces[] = "                                                                ";
    int n = depth * 4;
    while (n > 0) {
        int k = n < (int)sizeof(kSpaces) - 1 ? n : (int)sizeof(kSpaces) - 1;
        out.Append(kSpaces, k);
        n -= k;
    }
}

void WriteValue(DString& out, const CDString& value)
{
    const char* s = value.c_str();
    int n = value.Length();
    int from = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] == '"') {
            out.Append(s + from, i - from);
            out << "&quot;";
            from = i + 1;
        }
    }
    out.Append(s + from, n - from);
}

} // namespace

void TPDAUIEngineXml::WriteTo(DString& out, int depth) const
{
    Indent(out, depth);
    out << '<' << name;
    ForEachAttribute([&out](const TAttribute& a) {
        out << ' ' << a.name << "=\"";
        WriteValue(out, a.value);
        out << '"';
    });
    if (children.Count() > 0) {
        out << ">\n";
        for (int i = 0; i < children.Count(); ++i)
            children[i]->WriteTo(out, depth + 1);
        Indent(out, depth);
        out << "</" << name << ">\n";
    } else if (!text.IsEmpty()) {
        out << ">\n";
        Indent(out, depth + 1);
        out << text << '\n';
        Indent(out, depth);
        out << "</" << name << ">\n";
    } else {
        out << "/>\n";
    }
}

void TPDAUIEngineXml::CopyFrom(const TPDAUIEngineXml* source)
{
    if (!source)
        return;
    // Copying a tree into a node inside it would read what it is writing: copy a
    // snapshot of the source instead.
    for (const TPDAUIEngineXml* n = this; n; n = n->parent) {
        if (n == source) {
            TPDAUIEngineXml snapshot;
            CloneInto(&snapshot, source);
            CopyTreeFrom(&snapshot);
            return;
        }
    }
    CopyTreeFrom(source);
}

namespace {

// Finds, for an asked name, the first attribute of a node whose name begins with
// it, in time linear in the name: a tree of the names' prefixes, each prefix
// holding the index of the first attribute that has it. Attributes are only ever
// added at the end, so a prefix keeps the index it got first.
class TPrefixIndex {
public:
    explicit TPrefixIndex(const TPDAUIEngineXml& node)
    {
        first_.push_back(-1);
        for (int i = 0; i < node.attributes.Count(); ++i)
            Add(node.attributes[i]->name, i);
    }
    // Index of the attribute the lookup rule finds for name, -1 for none.
    int Find(const char* name) const
    {
        int at = 0;
        for (const unsigned char* c = (const unsigned char*)name; *c && at >= 0; ++c) {
            auto it = next_.find(Key(at, *c));
            at = it == next_.end() ? -1 : it->second;
        }
        return at < 0 ? -1 : first_[(size_t)at];
    }
    void Add(const CDString& name, int index)
    {
        int at = 0;
        if (first_[0] < 0)
            first_[0] = index;
        const unsigned char* c = (const unsigned char*)name.c_str();
        for (int i = 0; i < name.Length(); ++i) {
            auto inserted = next_.emplace(Key(at, c[i]), (int)first_.size());
            if (inserted.second)
                first_.push_back(index);
            at = inserted.first->second;
        }
    }

private:
    static uint64_t Key(int at, unsigned char c) { return ((uint64_t)(uint32_t)at << 8) | c; }

    std::vector<int> first_;                    // by prefix; the empty prefix first
    std::unordered_map<uint64_t, int> next_;    // (prefix, next byte) -> longer prefix
};

} // namespace

void TPDAUIEngineXml::CopyTreeFrom(const TPDAUIEngineXml* source)
{
    const long long scans = (long long)source->attributes.Count() * (attributes.Count() + source->attributes.Count());
    if (scans > kScanLimit) {
        // Set by name, as below, without scanning the list for every name.
        TPrefixIndex index(*this);
        source->ForEachAttribute([this, &index](const TAttribute& a) {
            int found = index.Find(a.name.c_str());
            if (found >= 0) {
                attributes[found]->value = a.value.c_str();
            } else {
                AddAttribute(a.name.c_str(), a.value.c_str());
                index.Add(attributes.Last()->name, attributes.Count() - 1);
            }
        });
    } else {
        source->ForEachAttribute([this](const TAttribute& a) { SetAttribute(a.name.c_str(), a.value.c_str()); });
    }
    for (int i = 0; i < source->children.Count(); ++i) {
        const TPDAUIEngineXml* from = source->children[i];
        TPDAUIEngineXml* copy = new TPDAUIEngineXml;
        copy->name = from->name;
        AddChild(copy);
        copy->CopyTreeFrom(from);
    }
}
