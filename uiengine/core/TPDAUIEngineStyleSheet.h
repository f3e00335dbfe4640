#pragma once
#include <memory>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

class TPDAUIEngineXml;

// The skin's cascading styles ("styles.css"): rules select nodes of a page or
// user-control XML tree by tag, class, id, ancestry and orientation, and add their
// declarations to the matching nodes as attributes before elements are built.
//
// Syntax (the format, though it looks like CSS): '{' and '}' delimit blocks, "/* */"
// comments, "a, b" selector lists, items "tag", "tag.class", "#id", "tag#id",
// "tag.class#id", each optionally with ":Landscape", separated by spaces for
// ancestry; declarations "name:value;" with an optional "!important".
class TPDAUIEngineStyleSheet {
public:
    struct SelectorItem {
        DString id;          // after '#', case kept; empty matches any
        DString element;     // tag name, lower-cased; empty matches any
        DString className;   // after '.', case kept; empty matches any
        bool landscapeOnly = false;
    };

    struct Rule {
        Rule() : items(4, 4) {}
        Vector<SelectorItem> items;  // outermost ancestor first, the selected node last
        DString declarations;        // text between the braces, trimmed
        int specificity = 0;
        int order = 0;               // position of the rule's block; unique in one parse

        bool operator<(const Rule& other) const
        {
            return specificity < other.specificity || (specificity == other.specificity && order < other.order);
        }
        bool operator==(const Rule& other) const
        {
            return specificity == other.specificity && order == other.order;
        }
    };

    TPDAUIEngineStyleSheet();
    ~TPDAUIEngineStyleSheet();
    TPDAUIEngineStyleSheet(const TPDAUIEngineStyleSheet&) = delete;
    TPDAUIEngineStyleSheet& operator=(const TPDAUIEngineStyleSheet&) = delete;

    // Drops every rule, then reads text (NUL-terminated; null reads as empty).
    void Parse(const char* text);
    // Adds the matching rules' declarations to node and, in turn, to every node
    // below it. ":Landscape" items need the landscape flag of the current skin
    // settings (off when there are none).
    void ApplyToXml(TPDAUIEngineXml* node) const;

    // Always in ascending (specificity, order).
    VectorPO<Rule> rules;

private:
    struct RuleIndex;
    std::unique_ptr<RuleIndex> index_;  // the rules by what they ask of a node, made by Parse
};
