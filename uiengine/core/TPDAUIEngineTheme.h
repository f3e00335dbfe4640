#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/TColorIG.h"
#include "uiengine/fonts/TPDAUIEngineImageFilter.h"

class TDibIG;
class TPDAUIEngineXml;

// A theme recolours a skin without new images: image rules run filter chains
// over bitmaps whose names match, colour rules replace element colours, and
// stock colours name colours that code asks for. Themes are read from the
// "themes" node of "skin.xml":
//
//   <themes inheritsFromDefaultSkin="true">
//     <theme name="day" title="Day" inheritRulesFromTheme="base">
//       <themerule type="image" image="btn*" filters="hsl(120,50,0); opacity(80)" break="true"/>
//       <themerule type="color" page="pagemap" color="#FF0000" replaceby="#0000FF"/>
//       <themerule type="stockcolor" name="chart.background" color="#202020"/>
//     </theme>
//   </themes>
//
// An image pattern without '*' must equal the lower-cased image name; with
// one or more '*' (wherever they stand) it may occur anywhere in the name.
// Filter lists are "name(p1,p2,p3,p4)" separated by ';', parameters optional
// (a missing p1..p3 is 0, a missing p4 is -1); unknown names make no filter.
class TPDAUIEngineTheme {
public:
    struct TThemeRuleImage {
        DString pattern;     // lower-cased, '*' removed
        bool breakAfter = false;
        bool exact = false;  // the written pattern held no '*'
        VectorP<TPDAUIEngineImageFilter> filters{5, 5, true};
    };
    struct TThemeRuleColor {
        DString page;        // lower-cased, '*' removed; empty: every page
        TColorIG color;
        TColorIG replaceBy;
        bool breakAfter = false;
    };
    struct TThemeStockColor {
        DString name;
        TColorIG color;
    };

    TPDAUIEngineTheme();
    ~TPDAUIEngineTheme();
    TPDAUIEngineTheme(const TPDAUIEngineTheme&) = delete;
    TPDAUIEngineTheme& operator=(const TPDAUIEngineTheme&) = delete;

    // Replaces the rules with those of the theme named themeName among the
    // children of themes. An unknown name falls back to defaultThemeName, else
    // to the first theme, and themeName is changed to the one loaded. The
    // excluded images stay. Always true.
    bool Load(const TPDAUIEngineXml* themes, DString& themeName, const CDString& defaultThemeName);

    // Runs the matching image rules over bitmap (prepared before the first
    // filter, premultiplied at the end in any case). False, bitmap untouched,
    // when the image is excluded from this theme.
    bool ApplyImageRules(const CDString& imageName, TDibIG* bitmap);
    // Whether an image rule of this theme matches the image of that name.
    bool HasImageRule(const CDString& imageName) const;
    // Whether the image of that name is excluded from this theme.
    bool IsImageExcluded(const CDString& imageName) const;
    // A number (process-wide unique) that changes at every Load: the same image
    // under the same generation and exclusion comes out of ApplyImageRules alike.
    unsigned long long Generation() const { return generation_; }

    // Passes colour through the colour rules for that page (rules chain). Always true.
    bool ReplaceColor(const CDString& pageName, TColorIG& colour) const;

    // The stock colour of that name; false, colour unchanged, when there is none.
    bool GetStockColor(const CDString& name, TColorIG& colour) const;

    // Merges the theme nodes of source into target, each source theme's rules
    // going before the rules of the target theme of the same name (a skin
    // inheriting the default skin's themes).
    static void ReadThemeList(TPDAUIEngineXml* target, const TPDAUIEngineXml* source);

    // Lower-case image names to which this theme applies nothing, so that the
    // next theme gets them. Filled by the application, kept across Load.
    Vector<DString> excludedImages{10, 10};
    VectorP<TThemeRuleImage> imageRules{25, 10, true};
    VectorP<TThemeRuleColor> colorRules{25, 10, true};
    VectorP<TThemeStockColor> stockColors{25, 10, true};

private:
    void ReadRule(const TPDAUIEngineXml* rule);
    // The name as rules compare it: lower-cased, cut at "landscape".
    static DString RuleName(const CDString& imageName);
    static bool Matches(const TThemeRuleImage& rule, const DString& ruleName);
    void SetStockColor(const DString& name, TColorIG colour);

    unsigned long long generation_;
};
