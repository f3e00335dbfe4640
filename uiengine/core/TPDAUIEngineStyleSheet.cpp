#include "uiengine/core/TPDAUIEngineStyleSheet.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
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
// path holds the node's ancestors, the root first and the parent last.
bool RuleMatches(const TPDAUIEngineStyleSheet::Rule& rule, const Candidate& node,
                 const std::vector<Candidate>& path, bool landscape)
{
    int i = rule.items.Count() - 1;
    if (i < 0 || !ItemMatches(rule.items[i], node, landscape))
        return false;
    size_t above = path.size();  // ancestors not yet passed, counted from the root
    for (--i; i >= 0; --i) {
        const TPDAUIEngineStyleSheet::SelectorItem& item = rule.items[i];
        while (above > 0 && !ItemMatches(item, path[above - 1], landscape))
            --above;
        if (above == 0)
            return false;
        --above;
    }
    return true;
}

} // namespace

// Rule numbers (in held order) by what the last item of each asks of the node
// itself: its id, else its class, else its tag; rules that ask none of these are
// tried on every node. A node then meets only the rules that can match it.
struct TPDAUIEngineStyleSheet::RuleIndex {
    typedef std::unordered_map<std::string_view, std::vector<int>> Buckets;
    Buckets byId, byClass, byElement;
    std::vector<int> any;
    int ruleCount = 0;

    explicit RuleIndex(const VectorPO<Rule>& rules) : ruleCount(rules.Count())
    {
        for (int r = 0; r < rules.Count(); ++r) {
            const Rule& rule = *rules[r];
            if (rule.items.Count() == 0)
                continue;
            const SelectorItem& last = rule.items[rule.items.Count() - 1];
            if (!last.id.IsEmpty())
                byId[View(last.id)].push_back(r);
            else if (!last.className.IsEmpty())
                byClass[View(last.className)].push_back(r);
            else if (!last.element.IsEmpty())
                byElement[View(last.element)].push_back(r);
            else
                any.push_back(r);
        }
    }

    static std::string_view View(const CDString& s) { return std::string_view(s.c_str(), (size_t)s.Length()); }

    // The rules that may match a node with this tag, id and class, in held order.
    void For(std::string_view tag, std::string_view id, std::string_view className, std::vector<int>& out) const
    {
        out.clear();
        const std::vector<int>* lists[4] = {&any, Find(byElement, tag), Find(byId, id), Find(byClass, className)};
        size_t total = 0;
        for (const std::vector<int>* l : lists)
            if (l) {
                out.insert(out.end(), l->begin(), l->end());
                if (total)
                    std::inplace_merge(out.begin(), out.begin() + (long)total, out.end());
                total = out.size();
            }
    }

private:
    static const std::vector<int>* Find(const Buckets& b, std::string_view key)
    {
        if (key.empty() || b.empty())
            return nullptr;
        auto it = b.find(key);
        return it == b.end() ? nullptr : &it->second;
    }
};

namespace {

// Whether a node has an attribute the lookup rule finds, judged on its attributes
// as they stood before styling. A node with many attributes gets its names sorted
// once: the first name not below the asked one begins with it if any name does.
class AttributeNames {
public:
    void Reset(const TPDAUIEngineXml* node)
    {
        node_ = node;
        sorted_.clear();
        if (node->attributes.Count() <= kScanLimit)
            return;
        for (int i = 0; i < node->attributes.Count(); ++i) {
            const CDString& name = node->attributes[i]->name;
            sorted_.emplace_back(name.c_str(), (size_t)name.Length());
        }
        std::sort(sorted_.begin(), sorted_.end());
    }
    bool Has(const char* name) const
    {
        if (sorted_.empty())
            return node_->HasAttribute(name);
        std::string_view asked(name);
        auto it = std::lower_bound(sorted_.begin(), sorted_.end(), asked);
        return it != sorted_.end() && it->substr(0, asked.size()) == asked;
    }

private:
    static constexpr int kScanLimit = 16;
    const TPDAUIEngineXml* node_ = nullptr;
    std::vector<std::string_view> sorted_;
};

void AddDeclarations(const DString& declarations, const AttributeNames& had,
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
        } else if (!had.Has(name.c_str())) {
            plain.push_back(new TPDAUIEngineXml::TAttribute{std::move(name), std::move(value)});
        }
    }
}

} // namespace

TPDAUIEngineStyleSheet::TPDAUIEngineStyleSheet() : rules(100, 10) {}

TPDAUIEngineStyleSheet::~TPDAUIEngineStyleSheet() = default;

void TPDAUIEngineStyleSheet::Parse(const char* text)
{
    rules.RemoveAll();
    index_.reset();
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
        // Appended and sorted once at the end: orders are unique, so that gives
        // the same vector as inserting each rule at its place, in linear time.
        rules.Add(rule);
    }
    rules.Sort();
    index_.reset(new RuleIndex(rules));
}

void TPDAUIEngineStyleSheet::ApplyToXml(TPDAUIEngineXml* node) const
{
    if (!node || rules.Count() == 0)
        return;
    const TPDAUIEngineSkinSettings* settings = TPDAUIEngineSkinSettings::Current();
    bool landscape = settings && settings->landscape;
    std::unique_ptr<RuleIndex> local;
    const RuleIndex* index = index_.get();
    if (!index || index->ruleCount != rules.Count()) {
        local.reset(new RuleIndex(rules));  // rules changed since the last Parse
        index = local.get();
    }
    std::vector<int> candidates;
    std::vector<TPDAUIEngineXml::TAttribute*> plain, important;
    AttributeNames had;

    // The ancestors of the node being styled, root first, each looked up once and
    // after its own styling. The tree's nodes above the given one count too.
    std::vector<Candidate> path;
    for (const TPDAUIEngineXml* a = node->parent; a; a = a->parent)
        path.emplace_back(a);
    std::reverse(path.begin(), path.end());

    // Each node before its children, in document order: ancestors are styled before
    // rules look at them. No recursion, whatever the depth of the tree.
    struct Pending {
        TPDAUIEngineXml* node;
        size_t depth;  // its ancestors' count on the path
    };
    std::vector<Pending> pending(1, Pending{node, path.size()});
    while (!pending.empty()) {
        Pending next = pending.back();
        pending.pop_back();
        TPDAUIEngineXml* n = next.node;
        path.erase(path.begin() + (long)next.depth, path.end());

        Candidate self(n);
        index->For(RuleIndex::View(n->name), std::string_view(self.id.text, (size_t)self.id.length),
                   std::string_view(self.className.text, (size_t)self.className.length), candidates);
        plain.clear();
        important.clear();
        bool looked = false;
        for (int r : candidates) {
            const Rule& rule = *rules[r];
            if (!RuleMatches(rule, self, path, landscape))
                continue;
            if (!looked) {
                had.Reset(n);
                looked = true;
            }
            AddDeclarations(rule.declarations, had, plain, important);
        }
        for (TPDAUIEngineXml::TAttribute* a : plain)
            n->attributes.Add(a);
        if (!important.empty())
            n->attributes.InsertAll(important.data(), (int)important.size(), 0);
        if (!plain.empty() || !important.empty())
            self = Candidate(n);  // a declared id or class may be the one found now

        if (n->children.Count() > 0) {
            path.push_back(self);
            for (int i = n->children.Count() - 1; i >= 0; --i)
                pending.push_back(Pending{n->children[i], path.size()});
        }
    }
}
