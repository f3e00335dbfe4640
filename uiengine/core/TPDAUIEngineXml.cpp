#include "uiengine/core/TPDAUIEngineXml.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORBETA_XML_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ORBETA_XML_PLAIN_HEAP 1
#endif
#endif

namespace {

#ifndef ORBETA_XML_PLAIN_HEAP
// Pool for nodes and attributes. Each thread carves objects out of its current
// chunk; every object carries a pointer to its chunk, and a chunk is released when
// its last object is deleted (from any thread) once it is no longer current. While
// a chunk is current its count holds a large bias, so allocating touches no atomic.
// A chunk is kept until every delete is counted: at most one chunk per thread
// waits for its batch to be applied. A block too big for a chunk comes from the
// heap and carries a null chunk pointer.
class NodePool {
public:
    static void* Allocate(size_t size)
    {
        size_t need = sizeof(Chunk*) + ((size + 7) & ~(size_t)7);
        if (need > kChunkBytes - kHeader) {
            Chunk** slot = (Chunk**)::operator new(need, std::nothrow);
            if (!slot)
                return nullptr;  // only a pointer array can be this big; its vector reports it
            *slot = nullptr;
            return slot + 1;
        }
        Current& c = current_;
        if (!c.chunk || need > (size_t)(c.end - c.next))
            c.Start();
        Chunk** slot = (Chunk**)c.next;
        *slot = c.chunk;
        c.next += need;
        ++c.allocated;
        return slot + 1;
    }

    // Deletes of one thread are counted against a chunk in a batch, applied when a
    // delete hits another chunk or the thread ends (a whole tree is deleted chunk
    // by chunk, so that is one atomic step per chunk instead of one per object).
    static void Free(void* p)
    {
        if (!p)
            return;
        Chunk* chunk = *((Chunk**)p - 1);
        if (!chunk) {
            ::operator delete((Chunk**)p - 1);
            return;
        }
        Current& c = current_;
        if (chunk != c.batchChunk) {
            c.Flush();
            c.batchChunk = chunk;
            reaper_.armed = true;  // the batch must be applied when the thread ends
        }
        ++c.batchCount;
    }

private:
    struct Chunk {
        std::atomic<long> live;
    };
    static constexpr size_t kChunkBytes = 60 * 1024;  // stays below malloc's mmap threshold
    static constexpr size_t kHeader = 16;
    static constexpr long kBias = 1L << 40;

    // Plain data, so that reaching it costs no per-access initialisation check;
    // the Reaper below hands it back when the thread ends.
    struct Current {
        Chunk* chunk;
        char* next;
        char* end;
        long allocated;
        Chunk* batchChunk;  // deletes not yet counted
        long batchCount;

        static void Release(Chunk* released, long count)
        {
            if (released->live.fetch_sub(count, std::memory_order_acq_rel) == count)
                ::operator delete(released);
        }
        void Flush()
        {
            if (batchChunk)
                Release(batchChunk, batchCount);
            batchChunk = nullptr;
            batchCount = 0;
        }
        void Start()
        {
            reaper_.armed = true;  // registers the thread's clean-up on first use
            Retire();
            char* raw = (char*)::operator new(kChunkBytes);
            chunk = new (raw) Chunk;
            chunk->live.store(kBias, std::memory_order_relaxed);
            next = raw + kHeader;
            end = raw + kChunkBytes;
            allocated = 0;
        }
        void Retire()
        {
            if (!chunk)
                return;
            Release(chunk, kBias - allocated);
            chunk = nullptr;
        }
    };
    struct Reaper {
        bool armed = false;
        ~Reaper()
        {
            current_.Flush();
            current_.Retire();
        }
    };
    static thread_local Current current_;
    static thread_local Reaper reaper_;
};

thread_local NodePool::Current NodePool::current_ = {nullptr, nullptr, nullptr, 0, nullptr, 0};
thread_local NodePool::Reaper NodePool::reaper_;

inline void* PoolAllocate(size_t size) { return NodePool::Allocate(size); }
inline void PoolFree(void* p) { NodePool::Free(p); }
#else
inline void* PoolAllocate(size_t size) { return ::operator new(size); }
inline void PoolFree(void* p) { ::operator delete(p); }
#endif

static_assert(alignof(TPDAUIEngineXml) <= 8 && alignof(TPDAUIEngineXml::TAttribute) <= 8,
              "pool slots are 8-byte aligned");

const char kTextNodeName[] = "#text";

// Whole-name equality of a held name with a NUL-terminated one.
inline bool SameName(const DString& held, const char* name)
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

// Bytes of the buffer as a string of the reader's code page.
inline DString Bytes(const char* s, int n, int codepage) { return DString(s, n, codepage); }

// The same into a string already there (a new node's are empty: filled in place).
inline void SetBytes(DString& to, const char* s, int n, int codepage)
{
    if (to.IsEmpty()) {
        to.SetCodepage(codepage);
        to.Append(s, n);
    } else {
        to = Bytes(s, n, codepage);
    }
}

// Attribute value with &lt; and &gt; decoded (no other entity), in place in a copy.
DString DecodeValue(const char* s, int n, int codepage)
{
    DString out(s, n, codepage);
    char* d = out.str();
    int k = 0;
    for (int i = 0; i < n; ++i) {
        if (s[i] == '&' && i + 3 < n && s[i + 2] == 't' && s[i + 3] == ';' &&
            (s[i + 1] == 'l' || s[i + 1] == 'g')) {
            d[k++] = s[i + 1] == 'l' ? '<' : '>';
            i += 3;
        } else {
            d[k++] = s[i];
        }
    }
    out.SetLength(k);
    return out;
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
    kStop = kEndOfName | kEndOfAttrName | kEndOfValue | kEndOfText | kEndOfTag,
};

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses()
    {
        of[0] = kStop;
        of[(unsigned char)' '] = kEndOfName | kLineSpace;
        of[(unsigned char)'/'] = kEndOfName | kEndOfAttrName;
        of[(unsigned char)'>'] = kEndOfName | kEndOfAttrName | kEndOfTag;
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

// The recursive element reader over one NUL-terminated buffer.
class Reader {
public:
    Reader() : codepage_(CDString().GetCodepage()) {}

    // p is at the element's '<'. On return p is on the element's last '>' (or at
    // the end of the buffer).
    bool Element(TPDAUIEngineXml* node, const char*& p, int depth);

private:
    void Attributes(TPDAUIEngineXml* node, const char*& p);
    bool Content(TPDAUIEngineXml* node, const char*& p, int depth);

    int codepage_;  // the default code page, as every new string takes
};

bool Reader::Element(TPDAUIEngineXml* node, const char*& p, int depth)
{
    if (*p != '<')
        return false;
    if (depth > TPDAUIEngineXml::kMaxDepth) {
        // Too deep to read: fail on this start tag and let the parent go on after it.
        p = Skip(p, kEndOfTag);
        return false;
    }

    const char* start = ++p;
    p = Skip(p, kEndOfName);
    SetBytes(node->name, start, (int)(p - start), codepage_);

    Attributes(node, p);

    p = Skip(p, kEndOfTag);
    if (!*p)
        return true;  // start tag cut off by the end: complete, with nothing inside
    if (p[-1] == '/')
        return true;
    ++p;
    return Content(node, p, depth);
}

void Reader::Attributes(TPDAUIEngineXml* node, const char*& p)
{
    while (*p && *p != '>' && *p != '/') {
        while (ClassOf(*p) & kLineSpace)
            ++p;
        if (!*p || *p == '>' || *p == '/')
            continue;

        // Name: up to '=' or '>', or through a character that a '/' follows.
        const char* start = p;
        p = Skip(p, kEndOfAttrName);
        const char* end = p;
        while (start < end && (*start == ' ' || *start == '\t'))
            ++start;
        while (end > start && (end[-1] == ' ' || end[-1] == '\t'))
            --end;

        // Step over the delimiter, blanks and line breaks, then one character taken
        // as the opening quote whatever it is.
        if (*p)
            ++p;
        while (*p == ' ' || *p == '\r' || *p == '\n')
            ++p;
        if (*p)
            ++p;
        const char* value = p;
        p = Skip(p, kEndOfValue | kAmpersand);
        bool entities = *p == '&';
        if (entities)
            p = Skip(p, kEndOfValue);
        int n = (int)(p - value);

        AddTo(node->attributes,
              new TPDAUIEngineXml::TAttribute{Bytes(start, (int)(end - start), codepage_),
                                              entities ? DecodeValue(value, n, codepage_) : Bytes(value, n, codepage_)});
        if (*p)
            ++p;
    }
}

bool Reader::Content(TPDAUIEngineXml* node, const char*& p, int depth)
{
    // A text run that may turn out to be the only content is held back; it becomes
    // a "#text" child only when something else follows.
    const char* textStart = nullptr;
    const char* textEnd = nullptr;
    auto addText = [this, node](const char* from, const char* to) {
        TPDAUIEngineXml* t = new TPDAUIEngineXml;
        SetBytes(t->name, kTextNodeName, (int)sizeof kTextNodeName - 1, codepage_);
        SetBytes(t->text, from, (int)(to - from), codepage_);
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
                p = Skip(start, kEndOfTag);
                int n = (int)(p - start);
                if (n != node->name.Length() || std::memcmp(start, node->name.c_str(), (size_t)n) != 0) {
                    flushText();
                    return false;
                }
                break;
            }
            TPDAUIEngineXml* child = new TPDAUIEngineXml;
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
        const char* start = p;
        while (ClassOf(*p) & kLineSpace)
            ++p;
        bool blank = *p == '<' || !*p;
        p = Skip(p, kEndOfText);
        if (!blank) {
            flushText();
            if (node->children.Count() == 0) {
                textStart = start;
                textEnd = p;
            } else {
                addText(start, p);
            }
        }
    }

    // Only text inside: it becomes the node's own text.
    if (textStart && node->children.Count() == 0) {
        SetBytes(node->text, textStart, (int)(textEnd - textStart), codepage_);
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

TPDAUIEngineXml** VectorArrayAllocator<TPDAUIEngineXml>::Allocate(int count)
{
    return (TPDAUIEngineXml**)PoolAllocate(sizeof(TPDAUIEngineXml*) * (size_t)count);
}
void VectorArrayAllocator<TPDAUIEngineXml>::Free(TPDAUIEngineXml** items) { PoolFree(items); }
TPDAUIEngineXml::TAttribute** VectorArrayAllocator<TPDAUIEngineXml::TAttribute>::Allocate(int count)
{
    return (TPDAUIEngineXml::TAttribute**)PoolAllocate(sizeof(TPDAUIEngineXml::TAttribute*) * (size_t)count);
}
void VectorArrayAllocator<TPDAUIEngineXml::TAttribute>::Free(TPDAUIEngineXml::TAttribute** items)
{
    PoolFree(items);
}

void* TPDAUIEngineXml::operator new(size_t size) { return PoolAllocate(size); }
void TPDAUIEngineXml::operator delete(void* p) noexcept { PoolFree(p); }
void* TPDAUIEngineXml::TAttribute::operator new(size_t size) { return PoolAllocate(size); }
void TPDAUIEngineXml::TAttribute::operator delete(void* p) noexcept { PoolFree(p); }

TPDAUIEngineXml::TPDAUIEngineXml() : attributes(0, 0), children(0, 0), parent(nullptr) {}

TPDAUIEngineXml::~TPDAUIEngineXml() = default;

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
    return a ? a->value : DString(def);
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

    // Blank "<!...>" and "<?...>" through the next '>' (to the end when there is
    // none), and turn tabs into spaces.
    for (char* p = buffer; (p = (char*)std::memchr(p, '<', (size_t)(buffer + len - p))) != nullptr;) {
        if (p + 1 < buffer + len && (p[1] == '!' || p[1] == '?')) {
            char* end = (char*)std::memchr(p, '>', (size_t)(buffer + len - p));
            end = end ? end + 1 : buffer + len;
            std::memset(p, ' ', (size_t)(end - p));
            p = end;
        } else {
            ++p;
        }
    }
    for (int i = 0; i < len; ++i)
        buffer[i] = buffer[i] == '\t' ? ' ' : buffer[i];

    Reader reader;
    const char* first = (const char*)std::memchr(buffer, '<', (size_t)len);
    const char* p = first ? first : buffer + len;
    return reader.Element(this, p, 0);
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

void WriteValue(DString& out, const DString& value)
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

void TPDAUIEngineXml::CopyTreeFrom(const TPDAUIEngineXml* source)
{
    source->ForEachAttribute([this](const TAttribute& a) { SetAttribute(a.name.c_str(), a.value.c_str()); });
    for (int i = 0; i < source->children.Count(); ++i) {
        const TPDAUIEngineXml* from = source->children[i];
        TPDAUIEngineXml* copy = new TPDAUIEngineXml;
        copy->name = from->name;
        AddChild(copy);
        copy->CopyTreeFrom(from);
    }
}
