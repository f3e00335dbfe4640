#include "uiengine/core/TPDAUIEngineTheme.h"

#include <atomic>
#include <cstring>

#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

unsigned long long NextGeneration()
{
    static std::atomic<unsigned long long> next{1};
    return next++;
}

const char kTextNode[] = "#text";

DString NameOf(const TPDAUIEngineXml* node)
{
    return node->GetAttribute("name", "");
}

TColorIG ColourAttribute(const TPDAUIEngineXml* node, const char* attribute)
{
    TColorIG colour(0);
    colour.DecodeFromString(node->GetAttribute(attribute, "").c_str());
    return colour;
}

// Pattern text: every '*' removed, lower-cased.
DString Pattern(const DString& written)
{
    DString pattern(written);
    pattern.Sustituye("*", "");
    pattern.A_Minusculas();
    return pattern;
}

// Splits at every sep, keeping empty pieces (parameters are positional).
Vector<DString> Split(const CDString& text, char sep)
{
    Vector<DString> pieces(10, 10);
    int start = 0;
    for (;;) {
        int at = text.strchr(sep, start);
        if (at < 0) {
            pieces.Add(text.SubString(start));
            return pieces;
        }
        pieces.Add(text.SubString(start, at - start));
        start = at + 1;
    }
}

TPDAUIEngineImageFilter* CreateFilter(const CDString& name, const int p[4])
{
    if (name == "opacity")
        return new TPDAUIEngineImageFilterOpacity(p[0]);
    if (name == "brightnesscontrast")
        return new TPDAUIEngineImageFilterBrightnessContrast(p[0], p[1]);
    if (name == "grayscale")
        return new TPDAUIEngineImageFilterGrayscale();
    if (name == "flipH")
        return new TPDAUIEngineImageFilterFlipH();
    if (name == "invert")
        return new TPDAUIEngineImageFilterInvert();
    if (name == "hsl")
        return new TPDAUIEngineImageFilterHSL(p[0], p[1], p[2]);
    if (name == "fill")
        return new TPDAUIEngineImageFilterFill(p[0], p[1], p[2], p[3]);
    return nullptr;
}

// "name(p1,p2,p3,p4);name2;..." -> filters appended to out.
void ParseFilters(const DString& written, VectorP<TPDAUIEngineImageFilter>& out)
{
    DString text(written);
    text.Sustituye("(", ",");
    text.Sustituye(")", " ");
    text.Sustituye(" ", "");
    Vector<DString> pieces = Split(text, ';');
    for (int i = 0; i < pieces.Count(); ++i) {
        if (pieces[i].IsEmpty())
            continue;
        Vector<DString> words = Split(pieces[i], ',');
        int params[4] = {0, 0, 0, -1};
        for (int w = 1; w < words.Count() && w <= 4; ++w)
            params[w - 1] = words[w].atoi();
        if (TPDAUIEngineImageFilter* filter = CreateFilter(words[0], params))
            out.Add(filter);
    }
}

// A copy of node's name and attributes, without children.
TPDAUIEngineXml* ShallowCopy(const TPDAUIEngineXml* node)
{
    auto* copy = new TPDAUIEngineXml();
    copy->name = node->name;
    node->ForEachAttribute([copy](const TPDAUIEngineXml::TAttribute& a) {
        copy->AddAttribute(a.name.c_str(), a.value.c_str());
    });
    return copy;
}

} // namespace

TPDAUIEngineTheme::TPDAUIEngineTheme() : generation_(NextGeneration()) {}
TPDAUIEngineTheme::~TPDAUIEngineTheme() = default;

bool TPDAUIEngineTheme::Load(const TPDAUIEngineXml* themes, DString& themeName,
                             const CDString& defaultThemeName)
{
    generation_ = NextGeneration();
    imageRules.RemoveAll();
    colorRules.RemoveAll();
    stockColors.RemoveAll();
    if (!themes || themes->children.IsEmpty())
        return true;

    const VectorP<TPDAUIEngineXml>& list = themes->children;
    auto findLast = [&list](const CDString& name) -> const TPDAUIEngineXml* {
        for (int i = list.Count() - 1; i >= 0; --i)
            if (NameOf(list[i]) == name)
                return list[i];
        return nullptr;
    };
    const TPDAUIEngineXml* theme = findLast(themeName);
    if (!theme) {
        theme = findLast(defaultThemeName);
        themeName = theme ? DString(defaultThemeName) : NameOf(list[0]);
        theme = findLast(themeName);
    }

    // Inherited rules first, one level only. A theme without the attribute
    // inherits nothing (nameless nodes are not themes to inherit from).
    const DString inherits = theme->GetAttribute("inheritRulesFromTheme", "");
    if (!inherits.IsEmpty())
        for (int i = 0; i < list.Count(); ++i)
            if (NameOf(list[i]) == inherits)
                for (int r = 0; r < list[i]->children.Count(); ++r)
                    ReadRule(list[i]->children[r]);
    for (int r = 0; r < theme->children.Count(); ++r)
        ReadRule(theme->children[r]);
    return true;
}

void TPDAUIEngineTheme::ReadRule(const TPDAUIEngineXml* node)
{
    if (node->name != "themerule")
        return;
    const DString type = node->GetAttribute("type", "");
    if (type == "image") {
        auto* rule = new TThemeRuleImage();
        const DString written = node->GetAttribute("image", "");
        rule->exact = written.strchr('*') < 0;
        rule->pattern = Pattern(written);
        rule->breakAfter = node->GetAttributeBool("break", false);
        ParseFilters(node->GetAttribute("filters", ""), rule->filters);
        imageRules.Add(rule);
    } else if (type == "color") {
        auto* rule = new TThemeRuleColor();
        rule->page = Pattern(node->GetAttribute("page", ""));
        rule->color = ColourAttribute(node, "color");
        rule->replaceBy = ColourAttribute(node, "replaceby");
        rule->breakAfter = node->GetAttributeBool("break", false);
        colorRules.Add(rule);
    } else if (type == "stockcolor") {
        SetStockColor(node->GetAttribute("name", ""), ColourAttribute(node, "color"));
    }
}

void TPDAUIEngineTheme::SetStockColor(const DString& name, TColorIG colour)
{
    bool found = false;
    for (int i = 0; i < stockColors.Count(); ++i)
        if (stockColors[i]->name == name) {
            stockColors[i]->color = colour;
            found = true;
        }
    if (found)
        return;
    auto* stock = new TThemeStockColor();
    stock->name = name;
    stock->color = colour;
    stockColors.Add(stock);
}

DString TPDAUIEngineTheme::RuleName(const CDString& imageName)
{
    DString name(imageName);
    name.A_Minusculas();
    int landscape = name.strstr("landscape");
    if (landscape >= 0)
        name.SetLength(landscape);
    return name;
}

bool TPDAUIEngineTheme::Matches(const TThemeRuleImage& rule, const DString& ruleName)
{
    return rule.exact ? ruleName == rule.pattern : ruleName.Contains(rule.pattern.c_str());
}

bool TPDAUIEngineTheme::HasImageRule(const CDString& imageName) const
{
    const DString name = RuleName(imageName);
    for (int i = 0; i < imageRules.Count(); ++i)
        if (Matches(*imageRules[i], name))
            return true;
    return false;
}

bool TPDAUIEngineTheme::IsImageExcluded(const CDString& imageName) const
{
    if (excludedImages.IsEmpty())
        return false;  // asked for every image of every load; most themes exclude none
    const DString name = RuleName(imageName);
    for (int i = 0; i < excludedImages.Count(); ++i)
        if (excludedImages[i].Contains(name.c_str()))
            return true;
    return false;
}

bool TPDAUIEngineTheme::ApplyImageRules(const CDString& imageName, TDibIG* bitmap)
{
    if (IsImageExcluded(imageName))
        return false;
    const DString name = RuleName(imageName);

    bool prepared = false;
    for (int i = 0; i < imageRules.Count(); ++i) {
        const TThemeRuleImage* rule = imageRules[i];
        if (!Matches(*rule, name))
            continue;
        for (int f = 0; f < rule->filters.Count(); ++f) {
            if (!prepared) {
                TPDAUIEngineImageFilter::PrepareDib(bitmap);
                prepared = true;
            }
            rule->filters[f]->Apply(bitmap);
        }
        if (rule->breakAfter)
            break;
    }
    TPDAUIEngineImageFilter::FinishDib(bitmap);
    return true;
}

bool TPDAUIEngineTheme::ReplaceColor(const CDString& pageName, TColorIG& colour) const
{
    for (int i = 0; i < colorRules.Count(); ++i) {
        const TThemeRuleColor* rule = colorRules[i];
        if (!rule->page.IsEmpty() && !pageName.Contains(rule->page.c_str()))
            continue;
        if (rule->color != colour)
            continue;
        colour = rule->replaceBy;
        if (rule->breakAfter)
            break;
    }
    return true;
}

bool TPDAUIEngineTheme::GetStockColor(const CDString& name, TColorIG& colour) const
{
    for (int i = 0; i < stockColors.Count(); ++i)
        if (stockColors[i]->name == name) {
            colour = stockColors[i]->color;
            return true;
        }
    return false;
}

void TPDAUIEngineTheme::ReadThemeList(TPDAUIEngineXml* target, const TPDAUIEngineXml* source)
{
    if (!target || !source)
        return;
    for (int s = 0; s < source->children.Count(); ++s) {
        const TPDAUIEngineXml* sourceTheme = source->children[s];
        if (sourceTheme->name == kTextNode)
            continue;
        const DString name = NameOf(sourceTheme);
        TPDAUIEngineXml* targetTheme = nullptr;
        for (int t = target->children.Count() - 1; t >= 0 && !targetTheme; --t)
            if (NameOf(target->children[t]) == name)
                targetTheme = target->children[t];
        if (!targetTheme) {
            targetTheme = new TPDAUIEngineXml();
            targetTheme->name = "theme";
            targetTheme->AddAttribute("name", name.c_str());
            // An absent title stays absent: the theme list then shows the name.
            for (const char* attribute : {"inheritRulesFromTheme", "title"})
                if (sourceTheme->HasAttribute(attribute))
                    targetTheme->AddAttribute(attribute,
                                              sourceTheme->GetAttribute(attribute, "").c_str());
            target->AddChild(targetTheme);
        }
        int position = 0;
        for (int r = 0; r < sourceTheme->children.Count(); ++r) {
            const TPDAUIEngineXml* rule = sourceTheme->children[r];
            if (rule->name == kTextNode)
                continue;
            TPDAUIEngineXml* copy = ShallowCopy(rule);
            copy->parent = targetTheme;
            if (targetTheme->children.Insert(copy, position) < 0)
                delete copy;
            else
                ++position;
        }
    }
}
