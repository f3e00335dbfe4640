#pragma once
#include <cstddef>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "uiengine/core/TPDAUIEngineXmlString.h"

// One node of the engine's own small XML reader and writer. A document is the tree
// under its root node. It reads the subset the skin files use (elements, attributes
// in double quotes, text) and blanks out declarations, comments and processing
// instructions; what it skips, which entities it decodes and how it matches names
// are part of the skin format, so it must stay as it is.
//
// Text is kept as 8-bit bytes exactly as in the file. Parse keeps one copy of the
// text per document and cuts it in place: the names and values it reads borrow
// from that copy, and the attributes it makes live in blocks of the document;
// every node it made keeps the document alive. An attribute taken out of its
// node therefore lives no longer than the nodes of its document. Other strings
// and nodes come from a pool (see TPDAUIEngineXmlString).
//
// Names: attribute lookup (the getters, HasAttribute, SetAttribute) takes the first
// attribute, in document order, whose name BEGINS with the asked name (case kept);
// an empty asked name finds the first attribute. Child lookup (FindChild,
// GetChildren, FindDescendants) needs the whole name to be equal.
class TPDAUIEngineXml {
public:
    struct TAttribute {
        TAttribute() = default;
        explicit TAttribute(int codepage) : name(codepage), value(codepage) {}
        TAttribute(const CDString& n, const CDString& v) : name(n), value(v) {}
        // Borrows its name and value (see TPDAUIEngineXmlString::Borrow).
        TAttribute(const char* n, int nameLength, const char* v, int valueLength, int codepage)
            : name(n, nameLength, codepage, TPDAUIEngineXmlString::TBorrowed()),
              value(v, valueLength, codepage, TPDAUIEngineXmlString::TBorrowed())
        {
        }

        TPDAUIEngineXmlString name;
        TPDAUIEngineXmlString value;

        static void* operator new(size_t size);
        static void operator delete(void* p) noexcept;
    };

    // Elements nested deeper than this below the root are not read: such an element
    // fails like a child with a wrong end tag, and reading goes on after its start tag.
    static constexpr int kMaxDepth = 256;

    // Empty node: no name, no attributes, no children, no text, no parent.
    TPDAUIEngineXml();
    // Deletes the whole subtree.
    ~TPDAUIEngineXml();
    TPDAUIEngineXml(const TPDAUIEngineXml&) = delete;
    TPDAUIEngineXml& operator=(const TPDAUIEngineXml&) = delete;

    // Nodes and attributes are many and small: they come from a pool (the plain
    // heap in sanitizer builds).
    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

    TPDAUIEngineXmlString name;            // tag; "#text" for a text node
    VectorP<TAttribute> attributes;        // owning, in document order, repeats kept
    VectorP<TPDAUIEngineXml> children;     // owning, in document order
    TPDAUIEngineXmlString text;            // text of a "#text" node, or the node's only text
    TPDAUIEngineXml* parent;               // not owning; null for a root

    // Attributes. Names and defaults are NUL-terminated; null counts as empty.
    TAttribute* GetAttributeAt(int index) const;  // null when out of range
    // The attribute the lookup rule finds, or null.
    TAttribute* FindAttribute(const char* name) const;
    DString GetAttribute(const char* name, const char* def) const;
    // Decimal integer up to the first other character (12.7 reads 12, no digits 0),
    // times factor in single precision, truncated toward zero. Absent or empty:
    // def times factor.
    int GetAttributeInt(const char* name, int def, float factor) const;
    // Decimal number (sign, digits, fraction, exponent) up to the first other
    // character; 0 when it does not begin with one. Absent or empty: def.
    float GetAttributeFloat(const char* name, float def) const;
    // True only for "true" and "True". Absent or empty: def.
    bool GetAttributeBool(const char* name, bool def) const;
    bool HasAttribute(const char* name) const;
    // The attribute found by name takes the value (its name stays); else appended.
    void SetAttribute(const char* name, const char* value);
    // Appends without looking (repeats possible).
    void AddAttribute(const char* name, const char* value);
    // Calls visitor(const TAttribute&) for each attribute in document order.
    template <class Visitor>
    void ForEachAttribute(Visitor&& visitor) const
    {
        for (int i = 0; i < attributes.Count(); ++i)
            visitor(*attributes[i]);
    }

    // Children.
    // Appends child (taking ownership) and makes this node its parent.
    void AddChild(TPDAUIEngineXml* child);
    TPDAUIEngineXml* FindChild(const char* name) const;
    // Append to out, which must not own its items (VectorP(capacity, growth, false)).
    void GetChildren(const char* name, VectorP<TPDAUIEngineXml>& out) const;
    // Depth first, document order; this node itself is not tested.
    void FindDescendants(const char* name, VectorP<TPDAUIEngineXml>& out) const;
    // Attribute of the first child named childName; def when there is no such child.
    DString GetChildAttribute(const char* childName, const char* attributeName,
                              const char* def) const;

    // Whole trees.
    // Reads the document in buffer (NUL-terminated, changed in place) into this node
    // as its root. False when the buffer holds no element or the root's end tag does
    // not match its name; the tree then holds what was read before.
    bool Parse(char* buffer);
    // The node and its subtree, four spaces of indent per depth, "\n" line ends, no
    // declaration. Values and text are written as held, except that a double quote
    // in an attribute value is written as &quot; (a value ends at the first quote).
    DString ToString(int depth) const;
    // Deep copy of source's attributes (set by name) and children (appended) into
    // this node. Names and text of this node, and text anywhere, are not copied.
    void CopyFrom(const TPDAUIEngineXml* source);

private:
    struct TDocument;
    class Reader;

    explicit TPDAUIEngineXml(int codepage);

    // Above this many name comparisons a copy indexes the names it sets.
    static constexpr long long kScanLimit = 4096;

    void WriteTo(DString& out, int depth) const;
    void CopyTreeFrom(const TPDAUIEngineXml* source);

    TDocument* document_;  // the text this node's strings were read from, or null

    // Stands before each attribute the reader made in a document's blocks.
    static const void* const kInDocument;
};

// Inline, as every node, attribute and pointer array of a tree passes through here.
inline void* TPDAUIEngineXml::operator new(size_t size) { return TPDAUIEngineXmlPool::Allocate(size); }
inline void TPDAUIEngineXml::operator delete(void* p) noexcept { TPDAUIEngineXmlPool::Free(p); }
inline void* TPDAUIEngineXml::TAttribute::operator new(size_t size) { return TPDAUIEngineXmlPool::Allocate(size); }
inline void TPDAUIEngineXml::TAttribute::operator delete(void* p) noexcept
{
#ifndef ORBETA_XML_PLAIN_HEAP
    if (p && *((const void* const*)p - 1) == kInDocument)
        return;  // goes with its document
#endif
    TPDAUIEngineXmlPool::Free(p);
}

// The vectors of a tree keep their arrays in the same pool as its nodes.
template <>
struct VectorArrayAllocator<TPDAUIEngineXml> {
    static TPDAUIEngineXml** Allocate(int count);
    static void Free(TPDAUIEngineXml** items);
};
template <>
struct VectorArrayAllocator<TPDAUIEngineXml::TAttribute> {
    static TPDAUIEngineXml::TAttribute** Allocate(int count);
    static void Free(TPDAUIEngineXml::TAttribute** items);
};

inline TPDAUIEngineXml** VectorArrayAllocator<TPDAUIEngineXml>::Allocate(int count)
{
    return (TPDAUIEngineXml**)TPDAUIEngineXmlPool::Allocate(sizeof(TPDAUIEngineXml*) * (size_t)count);
}
inline void VectorArrayAllocator<TPDAUIEngineXml>::Free(TPDAUIEngineXml** items) { TPDAUIEngineXmlPool::Free(items); }
inline TPDAUIEngineXml::TAttribute** VectorArrayAllocator<TPDAUIEngineXml::TAttribute>::Allocate(int count)
{
    return (TPDAUIEngineXml::TAttribute**)TPDAUIEngineXmlPool::Allocate(sizeof(TPDAUIEngineXml::TAttribute*) *
                                                                        (size_t)count);
}
inline void VectorArrayAllocator<TPDAUIEngineXml::TAttribute>::Free(TPDAUIEngineXml::TAttribute** items)
{
    TPDAUIEngineXmlPool::Free(items);
}
