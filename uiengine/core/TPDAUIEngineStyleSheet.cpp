#include "uiengine/core/TPDAUIEngineStyleSheet.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

std::string Trim(const std::string& s, const char* chars)
{
    size_t b = s.find_first_not_of(chars);
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(chars);
    return s.substr(b, e - b + 1);
}

// Removes "/* ... */" comments. A comment ends at the first "*/" after its "/*"
// ("/*/" is a whole comment); one without an end drops the rest of the text. A
// "/*" that removing a comment brings together counts as well.
std::string StripComments(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (s[i] == '*' && !out.empty() && out.back() == '/') {
            out.pop_back();
            size_t end = s.find("*/", i);
            if (end == std::string::npos)
                break;
            i = end + 2;
            continue;
        }
        out += s[i++];
    }
    return out;
}

void AddWeight(int& specificity, int weight)
{
    specificity = specificity > INT_MAX - weight ? INT_MAX : specificity + weight;
}

// One space-separated item of a selector; adds its weight to the rule.
void ReadItem(const DString& word, TPDAUIEngineStyleSheet::Rule& rule)
{
    TPDAUIEngineStyleSheet::SelectorItem item;
    DString text(word);
    if (text.Contains(":Landscape")) {
        item.landscapeOnly = true;
        text.Sustituye(":Landscape", "");
        AddWeight(rule.specificity, 1);
    }
    int hash = text.strchr('#');
    if (hash >= 0) {
        item.id = text.SubString(hash + 1);
        text = text.SubString(0, hash);
        AddWeight(rule.specificity, 100);
    }
    if (!text.IsEmpty()) {
        int dot = text.strchr('.');
        if (dot >= 0) {
            item.element = text.SubString(0, dot);
            item.className = text.SubString(dot + 1);
            AddWeight(rule.specificity, 11);
        } else {
            item.element = text;
            AddWeight(rule.specificity, 1);
        }
        item.element.A_Minusculas();
    }
    rule.items.Add(item);
}

// The value the lookup rule finds, or empty.
struct Value {
    const char* text = "";
    int length = 0;
};

inline Value ValueOf(const TPDAUIEngineXml* node, const char* name)
{
    Value v;
    if (const TPDAUIEngineXml::TAttribute* a = node->FindAttribute(name)) {
        v.text = a->value.c_str();
        v.length = a->value.Length();
    }
    return v;
}

inline bool Equals(const DString& wanted, const char* s, int n)
{
    if (wanted.Length() != n)
        return false;
    const char* w = wanted.c_str();
    for (int i = 0; i < n; ++i)
        if (w[i] != s[i])
            return false;
    return true;
}

// A node with its "id" and "class" values, looked up once.
struct Candidate {
    explicit Candidate(const TPDAUIEngineXml* n) : node(n), id(ValueOf(n, "id")), className(ValueOf(n, "class")) {}
    const TPDAUIEngineXml* node;
    Value id, className;
};

bool ItemMatches(const TPDAUIEngineStyleSheet::SelectorItem& item, const Candidate& c, bool landscape)
{
    if (item.landscapeOnly && !landscape)
        return false;
    if (!item.element.IsEmpty() && !Equals(item.element, c.node->name.c_str(), c.node->name.Length()))
        return false;
    if (!item.id.IsEmpty() && !Equals(item.id, c.id.text, c.id.length))
        return false;
    if (!item.className.IsEmpty() && !Equals(item.className, c.className.text, c.className.length))
        return false;
    return true;
}

// The last item matches the node; each earlier one the nearest ancestor above the
// node matched by the item after it (greedy: no farther ancestor is tried).
bool RuleMatches(const TPDAUIEngineStyleSheet::Rule& rule, const Candidate& node,
                 std::vector<Candidate>& ancestors, bool landscape)
{
    int i = rule.items.Count() - 1;
    if (i < 0 || !ItemMatches(rule.items[i], node, landscape))
        return false;
    // ancestors[0] is the parent, then upwards.
    size_t next = 0;
    for (--i; i >= 0; --i) {
        while (next < ancestors.size() && !ItemMatches(rule.items[i], ancestors[next], landscape))
            ++next;
        if (next == ancestors.size())
            return false;
        ++next;
    }
    return true;
}

// Rule numbers (in held order) by the element their last item names; rules whose
// last item names none apply to every tag.
struct RuleIndex {
    std::unordered_map<std::string_view, std::vector<int>> byElement;
    std::vector<int> anyElement;

    explicit RuleIndex(const VectorPO<TPDAUIEngineStyleSheet::Rule>& rules)
    {
        for (int r = 0; r < rules.Count(); ++r) {
            const TPDAUIEngineStyleSheet::Rule& rule = *rules[r];
            if (rule.items.Count() == 0)
                continue;
            const DString& element = rule.items[rule.items.Count() - 1].element;
            if (element.IsEmpty())
                anyElement.push_back(r);
            else
                byElement[std::string_view(element.c_str(), (size_t)element.Length())].push_back(r);
        }
    }

    // The rules that may match a node of this tag, in held order.
    void For(const DString& tag, std::vector<int>& out) const
    {
        out.clear();
        auto it = byElement.find(std::string_view(tag.c_str(), (size_t)tag.Length()));
        if (it == byElement.end()) {
            out = anyElement;
            return;
        }
        out.resize(anyElement.size() + it->second.size());
        std::merge(anyElement.begin(), anyElement.end(), it->second.begin(), it->second.end(), out.begin());
    }
};

void AddDeclarations(const DString& declarations, TPDAUIEngineXml* node,
                     std::vector<TPDAUIEngineXml::TAttribute*>& plain,
                     std::vector<TPDAUIEngineXml::TAttribute*>& important)
{
    const char* d = declarations.c_str();
    const char* end = d + declarations.Length();
    while (d < end) {
        const char* semi = (const char*)std::memchr(d, ';', (size_t)(end - d));
        if (!semi)
            semi = end;
        const char* b = d;
        const char* e = semi;
        d = semi + 1;
        while (b < e && *b == ' ')
            ++b;
        while (e > b && e[-1] == ' ')
            --e;
        const char* colon = (const char*)std::memchr(b, ':', (size_t)(e - b));
        if (!colon)
            continue;
        DString name(b, (int)(colon - b));
        DString value(colon + 1, (int)(e - colon - 1));
        if (value.Contains("!important")) {
            value.Sustituye(" !important", "");
            value.Sustituye("!important", "");
            important.push_back(new TPDAUIEngineXml::TAttribute{std::move(name), std::move(value)});
        } else if (!node->HasAttribute(name.c_str())) {
            plain.push_back(new TPDAUIEngineXml::TAttribute{std::move(name), std::move(value)});
        }
    }
}

} // namespace

TPDAUIEngineStyleSheet::TPDAUIEngineStyleSheet() : rules(100, 10) {}

void TPDAUIEngineStyleSheet::Parse(const char* text)
{
    rules.RemoveAll();
    std::string s = text ? text : "";
    for (char& c : s) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
        else if (c == '{')
            c = '=';
        else if (c == '}')
            c = '\n';
    }
    s = StripComments(s);

    // Blocks "selectors=declarations", one per line. Further selectors of a list
    // become blocks of their own at the end, sharing the declarations.
    struct Block {
        std::string text;     // a whole block of the text, or one selector of a list
        int declarations;     // for a list's selector: index into shared; else -1
    };
    std::vector<Block> blocks;
    std::vector<std::string> shared;
    for (size_t from = 0;;) {
        size_t end = s.find('\n', from);
        blocks.push_back({s.substr(from, end == std::string::npos ? std::string::npos : end - from), -1});
        if (end == std::string::npos)
            break;
        from = end + 1;
    }

    for (size_t i = 0; i < blocks.size(); ++i) {
        std::string selectors, declarations;
        if (blocks[i].declarations >= 0) {
            selectors = blocks[i].text;
            declarations = shared[(size_t)blocks[i].declarations];
        } else {
            std::string block = Trim(blocks[i].text, " \t");
            size_t eq = block.find('=');
            if (eq != std::string::npos) {
                selectors = block.substr(0, eq);
                declarations = block.substr(eq + 1);
            }
        }
        size_t comma = selectors.find(',');
        if (comma != std::string::npos) {
            int index = (int)shared.size();
            shared.push_back(declarations);
            for (size_t from = comma + 1;;) {
                size_t next = selectors.find(',', from);
                blocks.push_back({selectors.substr(from, next == std::string::npos ? std::string::npos : next - from),
                                  index});
                if (next == std::string::npos)
                    break;
                from = next + 1;
            }
            selectors.resize(comma);
        }
        selectors = Trim(selectors, " \t");
        declarations = Trim(declarations, " \t");
        if (selectors.empty())
            continue;

        Rule* rule = new Rule;
        rule->declarations = DString(declarations.data(), (int)declarations.size());
        rule->order = i > (size_t)INT_MAX ? INT_MAX : (int)i;
        Vector<DString> words;
        CDString(selectors.c_str()).Separa_En_Palabras(" ", words);
        for (int w = 0; w < words.Count(); ++w)
            ReadItem(words[w], *rule);
        rules.InsertOrdered(rule);
    }
    rules.Sort();
}

void TPDAUIEngineStyleSheet::ApplyToXml(TPDAUIEngineXml* node) const
{
    if (!node || rules.Count() == 0)
        return;
    const TPDAUIEngineSkinSettings* settings = TPDAUIEngineSkinSettings::Current();
    bool landscape = settings && settings->landscape;
    RuleIndex index(rules);
    std::vector<int> candidates;
    std::vector<Candidate> ancestors;
    std::vector<TPDAUIEngineXml::TAttribute*> plain, important;

    // Each node before its children, in document order: ancestors are styled before
    // rules look at them. No recursion, whatever the depth of the tree.
    std::vector<TPDAUIEngineXml*> pending(1, node);
    while (!pending.empty()) {
        TPDAUIEngineXml* n = pending.back();
        pending.pop_back();

        index.For(n->name, candidates);
        if (!candidates.empty()) {
            Candidate self(n);
            ancestors.clear();
            for (const TPDAUIEngineXml* a = n->parent; a; a = a->parent)
                ancestors.emplace_back(a);
            plain.clear();
            important.clear();
            for (int r : candidates) {
                const Rule& rule = *rules[r];
                if (RuleMatches(rule, self, ancestors, landscape))
                    AddDeclarations(rule.declarations, n, plain, important);
            }
            for (TPDAUIEngineXml::TAttribute* a : plain)
                n->attributes.Add(a);
            for (size_t i = 0; i < important.size(); ++i)
                n->attributes.Insert(important[i], (int)i);
        }

        for (int i = n->children.Count() - 1; i >= 0; --i)
            pending.push_back(n->children[i]);
    }
}
