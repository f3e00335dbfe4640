// Labels, anchors, auto-fit labels and slider labels: attributes, drawing
// flags, image placement, minimum sizes and font shrinking, clicks and keys,
// compiled records, fitting, and the slider's movement on the virtual clock.
#include "label_button_fixture.h"

#include <fstream>
#include <iterator>
#include <string>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementSliderLabel.h"

namespace {
using namespace controls;
using Label = TPDAUIEngineElementLabel;
using Anchor = TPDAUIEngineElementAnchor;
using AutoFit = TPDAUIEngineElementAutoFitLabel;
using Slider = TPDAUIEngineElementSliderLabel;
using E = TPDAUIEngineElement;
using Bytes = std::vector<unsigned char>;

const TColorIG kWhite(255, 255, 255);
const TColorIG kImageColour(200, 40, 40);

// Draws through the fixed-metric font at size.
void UseFixed(E* e, int size)
{
    e->font.name = "Fixed";
    e->font.size = size;
    e->font.CreateStockFont(nullptr);
}

Bytes Saved(E& e) { return SavedRecord(e); }

// Loads e from a whole record (mark and tag read first, as a container does);
// answers whether the stream stayed sound and ended exactly.
bool Loaded(TPDAUIEngine* engine, E& e, const Bytes& bytes)
{
    return LoadedRecord(engine, nullptr, e, bytes);
}

class LabelTest : public ControlTest {
protected:
    // Paints e alone and answers the fixed font's draws of that paint.
    std::vector<FixedFont::Draw> Draws(E* e)
    {
        engine.fixed->draws.clear();
        e->Paint(engine.GetDC(), 0, 0);
        return engine.fixed->draws;
    }
    FixedFont::Draw OneDraw(E* e)
    {
        std::vector<FixedFont::Draw> d = Draws(e);
        EXPECT_EQ(1u, d.size());
        return d.empty() ? FixedFont::Draw() : d[0];
    }
};

// ---- attributes ----

TEST_F(LabelTest, ConstructorDefaults)
{
    Label l;
    EXPECT_STREQ("label", l.tag.c_str());
    EXPECT_EQ(E::AlignCenter, l.pack);
    EXPECT_EQ(E::AlignAuto, l.align);
    EXPECT_EQ(1, l.padding.inner);
    EXPECT_TRUE(l.showImage);
    EXPECT_EQ(-1, l.maxLines);

    Slider s;
    EXPECT_STREQ("sliderlabel", s.tag.c_str());
    EXPECT_EQ(50, s.timerInterval);
    EXPECT_EQ(2000, s.sliderVelocity);
    EXPECT_EQ(Slider::SlideRestStart, s.slideState);

    AutoFit a;
    EXPECT_STREQ("autofitlabel", a.tag.c_str());
    EXPECT_EQ(E::AlignCenter, a.pack);
    EXPECT_EQ(E::AlignCenter, a.align);
    EXPECT_EQ(10, a.minimumFontSize);
    EXPECT_EQ(999, a.maximumFontSize);
}

TEST_F(LabelTest, InnerPaddingFollowsTheUIScale)
{
    engine.skinSettings.uiScale = 2.5f;
    Label l;
    EXPECT_EQ(2, l.padding.inner);
}

TEST_F(LabelTest, AttributesSetAndReadBack)
{
    struct Case {
        const char* name;
        const char* value;
        const char* readBack;
    };
    const Case cases[] = {
        {"wordBreak", "true", "true"},          {"wordBreak", "True", "false"},
        {"wordEllipsis", "true", "true"},       {"wordReverse", "true", "true"},
        {"showImage", "false", "false"},        {"showImage", "yes", "false"},
        {"imageReverse", "true", "true"},       {"resizeFontToEnsureAllTextFits", "true", "true"},
        {"for", "txtName", "txtName"},          {"maxLines", "3", "3"},
        {"maxLines", "-1", "-1"},               {"maxLines", "x", "0"},
        {"label", "Hello", "Hello"},            {"align", "End", "End"},
    };
    for (const Case& c : cases) {
        Label l;
        l.SetAttribute(c.name, c.value);
        EXPECT_STREQ(c.readBack, l.GetAttribute(c.name).c_str()) << c.name << "=" << c.value;
    }
    Anchor a;
    a.SetAttribute("href", "http://example.org/");
    EXPECT_STREQ("http://example.org/", a.GetAttribute("href").c_str());
    Slider s;
    s.SetAttribute("sliderVelocity", "3000");
    EXPECT_STREQ("3000", s.GetAttribute("sliderVelocity").c_str());
    s.SetAttribute("wordBreak", "true");  // a label attribute still
    EXPECT_TRUE(s.wordBreak);
}

TEST_F(LabelTest, AutoFitSizesAreScaledAndReadBackInSkinPixels)
{
    engine.skinSettings.uiScale = 1.5f;
    AutoFit a;
    a.SetAttribute("minimumFontSize", "11");
    a.SetAttribute("maximumFontSize", "30");
    a.SetAttribute("maxLines", "2");
    a.SetAttribute("autoCalculateMaxLines", "true");
    a.SetAttribute("wordBreak", "true");  // not an auto-fit label's
    EXPECT_EQ(16, a.minimumFontSize);
    EXPECT_EQ(45, a.maximumFontSize);
    EXPECT_EQ(2, a.maxLines);
    EXPECT_TRUE(a.autoCalculateMaxLines);
    EXPECT_FLOAT_EQ(16 / 1.5f, std::stof(a.GetAttribute("minimumFontSize").c_str()));
    EXPECT_STREQ("30", a.GetAttribute("maximumFontSize").c_str());
    EXPECT_STREQ("true", a.GetAttribute("autoCalculateMaxLines").c_str());
}

// ---- drawing flags ----

TEST_F(LabelTest, DrawingFlagsFollowAlignPackWrapEllipsisAndDirection)
{
    struct Case {
        const char* attributes;
        bool rightToLeft;
        int flags;
    };
    const Case cases[] = {
        {R"(align="Start" pack="Start")", false, 0x20},
        {R"(align="Center" pack="Center")", false, 0x25},
        {R"(align="End" pack="End")", false, 0x2A},
        {R"(align="Stretch" pack="Center")", false, 0x800024},
        {R"(align="Start" pack="Stretch")", false, 0x0},
        {R"(align="Auto" pack="Center")", false, 0x24},
        {R"(align="Auto" pack="Center")", true, 0x26},
        {R"(align="AutoInvert" pack="Center")", false, 0x26},
        {R"(align="AutoInvert" pack="Center")", true, 0x24},
        {R"(align="Center" pack="Center" wordBreak="true")", false, 0x15},
        {R"(align="End" pack="Start" wordBreak="true")", false, 0x12},
        {R"(align="Stretch" pack="Center" wordBreak="true")", false, 0x14},
        {R"(align="Start" pack="Center" wordEllipsis="true")", false, 0x40024},
        {R"(align="Start" pack="Center" wordReverse="true")", false, 0x26},
        {R"(align="End" pack="Center" wordReverse="true")", false, 0x24},
        {R"(align="Center" pack="Center" wordReverse="true")", false, 0x25},
        {R"(align="Auto" pack="Center" wordReverse="true")", true, 0x24},
    };
    for (const Case& c : cases) {
        engine.skinSettings.rightToLeft = c.rightToLeft;
        Label* l = Add<Label>(std::string(R"(<label width="200" height="30" label="Text" )") +
                              c.attributes + "/>");
        UseFixed(l, 10);
        EXPECT_EQ(c.flags, OneDraw(l).flags) << c.attributes << (c.rightToLeft ? " rtl" : "");
        page.RemoveChild(l);
    }
}

TEST_F(LabelTest, RightToLeftSkinSwapsTheSidePaddingsOfAutoAlignedLabels)
{
    engine.skinSettings.rightToLeft = 1;
    Label* l = Add<Label>(R"(<label paddingLeft="10" paddingRight="2" width="200" height="30" label="x"/>)");
    EXPECT_EQ(2, l->padding.left);
    EXPECT_EQ(10, l->padding.right);
    UseFixed(l, 10);
    const FixedFont::Draw d = OneDraw(l);
    EXPECT_EQ(0x26, d.flags);  // right-aligned
    EXPECT_EQ(2, d.rect.left);
    EXPECT_EQ(190, d.rect.right);

    Label* start = Add<Label>(R"(<label align="Start" paddingLeft="10" paddingRight="2"/>)");
    EXPECT_EQ(10, start->padding.left);
    engine.skinCompiling = 1;
    Label* compiling = Add<Label>(R"(<label paddingLeft="10" paddingRight="2"/>)");
    EXPECT_EQ(10, compiling->padding.left);
    engine.skinCompiling = 0;
    engine.skinSettings.rightToLeft = 0;
    Label* ltr = Add<Label>(R"(<label paddingLeft="10" paddingRight="2"/>)");
    EXPECT_EQ(10, ltr->padding.left);
}

TEST_F(LabelTest, ACopyLoadedInARightToLeftSkinKeepsItsTurnedPaddings)
{
    engine.skinSettings.rightToLeft = 1;
    Label* l = Add<Label>(R"(<label paddingLeft="10" paddingRight="2"/>)");
    Label* copy = new Label();
    copy->CopyFrom(l);
    page.AddChild(copy, nullptr, nullptr);
    EXPECT_EQ(2, copy->padding.left);
    EXPECT_EQ(10, copy->padding.right);
}

TEST_F(LabelTest, TextAreaLeavesOutBorderAndPaddingsAndTextTakesTheFontCase)
{
    Label* l = Add<Label>(
        R"(<label left="20" top="30" width="200" height="40" border="Solid 2 #000000" paddingLeft="3" )"
        R"(paddingTop="4" paddingRight="5" paddingBottom="6" label="Hello World" fontUpperCase="true" )"
        R"(foreground="#102030"/>)");
    UseFixed(l, 10);
    FixedFont::Draw d = OneDraw(l);
    EXPECT_EQ(TRectIG(25, 36, 213, 62), d.rect);
    EXPECT_EQ("HELLO WORLD", d.text);
    EXPECT_EQ(TColorIG(0x10, 0x20, 0x30), d.colour);
    EXPECT_EQ(-1, d.maxLines);
    EXPECT_STREQ("Hello World", l->label.c_str());  // the label itself keeps its case

    l->font.upperCase = false;
    l->font.lowerCase = true;
    EXPECT_EQ("hello world", OneDraw(l).text);
}

TEST_F(LabelTest, StateColoursFocusBeforeDisabledBeforeHover)
{
    Label* l = Add<Label>(
        R"(<label width="100" height="20" label="x" isFocusable="true" foreground="#010101" )"
        R"(foregroundFocus="#020202" foregroundDisabled="#030303" foregroundHover="#040404" )"
        R"(foregroundPressed="#050505"/>)");
    UseFixed(l, 10);
    l->pressed = 1;  // a label has no pressed look
    EXPECT_EQ(TColorIG(1, 1, 1), OneDraw(l).colour);
    l->hover = 1;
    EXPECT_EQ(TColorIG(4, 4, 4), OneDraw(l).colour);
    l->enabled = 0;
    EXPECT_EQ(TColorIG(3, 3, 3), OneDraw(l).colour);
    page.focusedElement = l;
    EXPECT_EQ(TColorIG(2, 2, 2), OneDraw(l).colour);
    page.focusedElement = nullptr;
    l->enabled = 1;
    l->isFocusable = 0;  // hover counts only for focusable labels
    EXPECT_EQ(TColorIG(1, 1, 1), OneDraw(l).colour);
}

TEST_F(LabelTest, EmptyLabelDrawsNoText)
{
    Label* l = Add<Label>(R"(<label width="100" height="20"/>)");
    UseFixed(l, 10);
    EXPECT_TRUE(Draws(l).empty());
}

// ---- the image beside the text ----

class LabelImageTest : public LabelTest {
protected:
    LabelImageTest() : image(SolidImage(20, 20, kImageColour)) { name = page.resources.RegisterImage(image.get()).c_str(); }
    ~LabelImageTest() override { page.resources.UnregisterImage(image.get()); }

    // A 200 x 40 label at (10, 10) with the image.
    Label* Make(const std::string& attributes)
    {
        Label* l = Add<Label>(R"(<label left="10" top="10" width="200" height="40" label="Hi" image=")" +
                              name + "\" " + attributes + "/>");
        UseFixed(l, 10);
        return l;
    }
    // Where the image shows in a frame: the pixel columns of its colour on row 30.
    std::pair<int, int> ImageColumns()
    {
        engine.Frame();
        int first = -1, last = -1;
        for (int x = 0; x < 260; ++x)
            if (Near(kImageColour, engine.PixelAt(x, 30))) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }

    std::unique_ptr<TDibIG> image;
    std::string name;
};

TEST_F(LabelImageTest, ImagePlacementBySideAndReverse)
{
    struct Case {
        const char* attributes;
        std::pair<int, int> columns;  // image pixels, inset by one
        int textLeft, textRight;
    };
    const Case cases[] = {
        // A square as tall as the text area on the text's side; the text moves
        // by its side plus the inner padding.
        {R"(align="Start")", {11, 48}, 51, 210},
        {R"(align="End")", {171, 208}, 10, 169},
        // Centred and justified text: the image fills the area, the text stays.
        {R"(align="Center")", {11, 208}, 10, 210},
        // Reversed: as wide as the bitmap's height, on the other side.
        {R"(align="Start" imageReverse="true")", {191, 208}, 10, 189},
        {R"(align="End" imageReverse="true")", {11, 28}, 31, 210},
        // wordReverse moves the text alignment, not the image.
        {R"(align="Start" wordReverse="true")", {11, 48}, 51, 210},
    };
    for (const Case& c : cases) {
        Label* l = Make(c.attributes);
        EXPECT_EQ(c.columns, ImageColumns()) << c.attributes;
        const FixedFont::Draw d = OneDraw(l);
        EXPECT_EQ(c.textLeft, d.rect.left) << c.attributes;
        EXPECT_EQ(c.textRight, d.rect.right) << c.attributes;
        page.RemoveChild(l);
    }
}

TEST_F(LabelImageTest, ShowImageFalseDrawsNoImageAndKeepsTheTextArea)
{
    Label* l = Make(R"(align="Start" showImage="false")");
    EXPECT_EQ(-1, ImageColumns().first);
    EXPECT_EQ(10, OneDraw(l).rect.left);
}

TEST_F(LabelImageTest, MinimumWidthCountsTheImageAsASquareOfTheFontSize)
{
    Label* l = Make(R"(paddingLeft="3" paddingRight="4" border="Solid 2 #000000")");
    // "Hi": 2 x 5 px; the image 10 (font size) + 1 (inner padding).
    EXPECT_EQ(10 + 11 + 7 + 4, l->GetMinimumWidth(0));
    l->minimumWidth = 50;
    EXPECT_EQ(50, l->GetMinimumWidth(0));
    l->maximumWidth = 20;
    EXPECT_EQ(20, l->GetMinimumWidth(0));
}

// ---- minimum sizes and font shrinking ----

TEST_F(LabelTest, NoEngineNoMinimumSizes)
{
    Label l;
    EXPECT_EQ(-1, l.GetMinimumHeight(100));
    EXPECT_EQ(-1, l.GetMinimumWidth(100));
}

TEST_F(LabelTest, EmptyWrappingLabelMeasuresTheHeightOfA)
{
    Label* l = Add<Label>(R"(<label wordBreak="true" paddingTop="2" paddingBottom="3"/>)");
    UseFixed(l, 10);
    EXPECT_EQ(15, l->GetMinimumHeight(50));
    ASSERT_FALSE(engine.fixed->measured.empty());
}

TEST_F(LabelTest, MinimumHeightWrapsAtTheInnerWidthAndIsCappedByMaxLines)
{
    // At size 10 (5 px a character) the text wraps to two lines in 50 px.
    Label* l = Add<Label>(
        R"(<label wordBreak="true" paddingLeft="5" paddingRight="5" label="aaaa bbbb cccc dddd"/>)");
    UseFixed(l, 10);
    EXPECT_EQ(20, l->GetMinimumHeight(60));
    EXPECT_EQ(10, l->GetMinimumHeight(200));
    l->maxLines = 1;
    EXPECT_EQ(10, l->GetMinimumHeight(60));
    EXPECT_EQ(0, l->fittedFontSize);
    l->wordBreak = false;  // unwrapped: measured as one line, whatever the width
    l->maxLines = -1;
    EXPECT_EQ(10, l->GetMinimumHeight(20));
}

TEST_F(LabelTest, MinimumHeightShrinksTheFontUntilTheTextFitsItsLines)
{
    Label* l = Add<Label>(
        R"(<label wordBreak="true" maxLines="1" resizeFontToEnsureAllTextFits="true" )"
        R"(label="aaaa bbbb cccc dddd"/>)");
    UseFixed(l, 10);
    // One line of size 10 allowed: sizes 9 to 6 still take two lines in 50 px,
    // size 5 (2 px a character) takes one.
    EXPECT_EQ(10, l->GetMinimumHeight(50));
    EXPECT_EQ(5, l->fittedFontSize);
    // Drawn at the fitted size without a line limit.
    const FixedFont::Draw d = OneDraw(l);
    EXPECT_EQ(5, d.size);
    EXPECT_EQ(-1, d.maxLines);
    EXPECT_EQ(10, l->font.size);
    // Wide enough again: no shrinking, and the line limit is back.
    EXPECT_EQ(10, l->GetMinimumHeight(200));
    EXPECT_EQ(0, l->fittedFontSize);
    EXPECT_EQ(1, OneDraw(l).maxLines);
}

TEST_F(LabelTest, MinimumHeightShrinkingStopsAtSizeOne)
{
    // No lines allowed at all: nothing fits, and the search must still end.
    Label* l = Add<Label>(
        R"(<label wordBreak="true" maxLines="0" resizeFontToEnsureAllTextFits="true" label="abc"/>)");
    UseFixed(l, 10);
    EXPECT_EQ(0, l->GetMinimumHeight(50));
    EXPECT_EQ(1, l->fittedFontSize);
    for (int size : engine.fixed->measured)
        EXPECT_GE(size, 1);
}

TEST_F(LabelTest, SetBoundsShrinksToTheBoxAndDoesNotGrowBack)
{
    Label* l = Add<Label>(
        R"(<label wordBreak="true" resizeFontToEnsureAllTextFits="true" label="aaaa bbbb cccc dddd"/>)");
    UseFixed(l, 10);
    // The page's layout gave the label no room at all, in the skin's TrueType
    // font, which measures sizes up to 2 as nothing: size 2 since.
    EXPECT_EQ(2, l->fittedFontSize);
    l->fittedFontSize = 0;
    l->SetBounds(0, 0, 50, 100);
    EXPECT_EQ(0, l->fittedFontSize);  // fits at the descriptor's size
    l->SetBounds(0, 0, 50, 10);
    EXPECT_EQ(5, l->fittedFontSize);
    l->SetBounds(0, 0, 50, 100);
    EXPECT_EQ(5, l->fittedFontSize);  // the search starts from the fitted size
    l->SetBounds(0, 0, 50, 1);  // too small even for size 2
    EXPECT_EQ(1, l->fittedFontSize);
}

TEST_F(LabelTest, SetBoundsWithoutWrapMeasuresOneLine)
{
    Label* l = Add<Label>(
        R"(<label resizeFontToEnsureAllTextFits="true" paddingTop="2" paddingBottom="2" label="a long one"/>)");
    UseFixed(l, 20);
    l->fittedFontSize = 0;
    l->SetBounds(0, 0, 10, 16);
    EXPECT_EQ(12, l->fittedFontSize);
    Label plain;
    plain.SetBounds(0, 0, 10, 1);  // no engine, no shrinking
    EXPECT_EQ(0, plain.fittedFontSize);
}

// ---- clicks and keys ----

TEST_F(LabelTest, ClickFocusesTheForTarget)
{
    Anchor* target = Add<Anchor>(R"(<anchor id="target" left="300" top="10" width="100" height="30" label="t"/>)");
    Add<Label>(R"(<label for="target" onCommand="cmdLabel" left="10" top="10" width="100" height="30" label="l"/>)");
    engine.Press(20, 20);
    engine.Release(30, 25);
    EXPECT_EQ(target, page.focusedElement);
    EXPECT_TRUE(page.raised.empty());
}

TEST_F(LabelTest, ClickWithAMissingForTargetRaisesTheCommand)
{
    Add<Label>(R"(<label for="nothere" onCommand="cmdLabel" left="10" top="10" width="100" height="30"/>)");
    engine.Press(20, 20);
    engine.Release(30, 25);
    EXPECT_EQ(std::vector<std::string>{"cmdLabel"}, page.Names());
    // Released outside the label: nothing.
    engine.Press(20, 20);
    engine.Release(200, 25);
    EXPECT_EQ(1u, page.raised.size());
}

TEST_F(LabelTest, ReleaseEdgesCountAsInsideForTheTarget)
{
    Label* l = Add<Label>(R"(<label for="nothere" onCommand="c" width="100" height="30"/>)");
    struct Case {
        int x, y;
        bool raises;
    };
    const Case cases[] = {{0, 0, true}, {100, 30, true}, {101, 10, false}, {10, 31, false}, {-1, 10, false}};
    for (const Case& c : cases) {
        page.raised.clear();
        l->OnMouseUp(c.x, c.y, 0, nullptr);
        EXPECT_EQ(c.raises ? 1u : 0u, page.raised.size()) << c.x << "," << c.y;
    }
}

TEST_F(LabelTest, ClickWithoutTargetRaisesWhereverReleasedAndOnlyWhenEnabled)
{
    Label* l = Add<Label>(R"(<label onCommand="cmdLabel" left="10" top="10" width="100" height="30"/>)");
    engine.Press(20, 20);
    EXPECT_EQ(1, l->pressed);
    engine.Release(400, 300);
    EXPECT_EQ(0, l->pressed);
    EXPECT_EQ(std::vector<std::string>{"cmdLabel"}, page.Names());
    l->enabled = 0;
    engine.Press(20, 20);
    engine.Release(20, 20);
    EXPECT_EQ(1u, page.raised.size());
}

TEST_F(LabelTest, EnterKeyUpRaisesTheCommand)
{
    Label* l = Add<Label>(R"(<label onCommand="cmdLabel" width="100" height="30"/>)");
    unsigned char handled = 0;
    l->OnKeyUp(13, &handled, 0);
    EXPECT_EQ(1, handled);
    l->OnKeyUp(32, nullptr, 0);  // only Enter
    l->enabled = 0;
    l->OnKeyUp(13, nullptr, 0);
    EXPECT_EQ(std::vector<std::string>{"cmdLabel"}, page.Names());
}

// ---- registration ----

std::vector<std::pair<std::string, FuncMakeElement>> g_registered;

void Record(const char* tag, FuncMakeElement make) { g_registered.push_back({tag, make}); }

TEST(LabelAndButtonRegistration, EveryTagMakesItsKind)
{
    g_registered.clear();
    RegisterLabelAndButtonElements(&Record);
    RegisterLabelAndButtonElements(nullptr);
    const std::vector<std::string> tags = {"label", "button", "sliderlabel", "autofitlabel", "anchor"};
    ASSERT_EQ(tags.size(), g_registered.size());
    for (size_t i = 0; i < tags.size(); ++i) {
        EXPECT_EQ(tags[i], g_registered[i].first);
        std::unique_ptr<E> made(g_registered[i].second());
        ASSERT_TRUE(made);
        EXPECT_EQ(tags[i], made->tag.c_str());  // the kind names itself by its tag
    }
    std::unique_ptr<E> anchor(g_registered[4].second());
    EXPECT_TRUE(dynamic_cast<Anchor*>(anchor.get()));
    std::unique_ptr<E> button(g_registered[1].second());
    EXPECT_TRUE(dynamic_cast<TPDAUIEngineElementButton*>(button.get()));
}

// ---- anchor ----

TEST_F(LabelTest, AnchorIsFocusableBlueAndUnderlinedOnlyWhileHovered)
{
    Anchor* a = Add<Anchor>(R"(<anchor left="10" top="10" width="100" height="30" label="link" href="x"/>)");
    UseFixed(a, 10);
    EXPECT_STREQ("anchor", a->tag.c_str());
    EXPECT_EQ(1, a->isFocusable);
    EXPECT_EQ(TColorIG(0, 0, 255), TColorIG(a->foregrounds[E::StateNormal]));
    EXPECT_EQ(TColorIG(0, 0, 255), TColorIG(a->foregrounds[E::StateHover]));
    EXPECT_FALSE(OneDraw(a).underline);

    engine.Move(20, 20);
    EXPECT_EQ(1, a->hover);
    const FixedFont::Draw hovered = OneDraw(a);
    EXPECT_TRUE(hovered.underline);
    EXPECT_EQ(TColorIG(0, 0, 255), hovered.colour);
    EXPECT_FALSE(a->font.underline);  // restored after the paint

    engine.Move(300, 300);
    EXPECT_EQ(0, a->hover);
    EXPECT_FALSE(OneDraw(a).underline);
}

// Through the default skin's bitmap font, loaded under a family of its own: an
// auto-fit label measures with it and takes the largest of its heights that
// fits, and a hovered anchor gets its underline.
class BitmapFontTest : public LabelTest {
protected:
    BitmapFontTest()
    {
        std::ifstream in(testpaths::SourceDir() + "/skins/default/DejaVuSans.cfont", std::ios::binary);
        std::ofstream out(dir / "Bitmap.cfont", std::ios::binary);
        out << in.rdbuf();
        out.close();
        EXPECT_TRUE(engine.AddFont((dir / "Bitmap.cfont").c_str()));
    }
    void UseBitmap(E* e, int size)
    {
        e->font.name = "Bitmap";
        e->font.size = size;
        e->font.CreateStockFont(nullptr);
    }
    // Pixels that are not white inside r.
    int InkIn(const TRectIG& r)
    {
        const TDibIG& frame = engine.Frame();
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ink += frame.GetPixel(x, y) != kWhite;
        return ink;
    }
    testpaths::TempDir dir;
};

TEST_F(BitmapFontTest, AutoFitLabelsFitThroughTheBitmapFont)
{
    const struct {
        const char* label;
        int height;
        int size;
    } cases[] = {
        {"Hello", 20, 20},  // 16 to 20 fit 20 pixels, 22 does not
        {"Hello", 40, 34},  // every height up to 34 fits, 60 does not
        {"Hello", 10, 16},  // none fits: the smallest
    };
    for (const auto& c : cases) {
        AutoFit* a = Add<AutoFit>("<autofitlabel left=\"10\" top=\"20\" width=\"100\" height=\"" +
                                  std::to_string(c.height) + "\" minimumFontSize=\"8\" label=\"" +
                                  c.label + "\"/>");
        UseBitmap(a, 12);
        a->Paint(engine.GetDC(), 0, 0);
        EXPECT_EQ(c.size, a->font.size) << c.label << " in " << c.height;
        page.RemoveChild(a);
    }
}

TEST_F(BitmapFontTest, HoveredAnchorsAreUnderlined)
{
    Anchor* a = Add<Anchor>(R"(<anchor left="10" top="10" width="100" height="30" label="link" href="x"/>)");
    UseBitmap(a, 16);
    const TRectIG area(10, 10, 110, 40);
    const int plain = InkIn(area);
    EXPECT_GT(plain, 0);
    engine.Move(20, 20);
    ASSERT_EQ(1, a->hover);
    EXPECT_GT(InkIn(area), plain + 15);  // a row under the whole word
}

// ---- compiled records and copies ----

TEST_F(LabelTest, CompiledRecordsRoundTrip)
{
    Label* l = Add<Label>(
        R"(<label id="lbl" wordBreak="true" wordEllipsis="true" wordReverse="true" for="txt" maxLines="3" )"
        R"(showImage="false" imageReverse="true" resizeFontToEnsureAllTextFits="true" label="Text"/>)");
    Label back;
    ASSERT_TRUE(Loaded(&engine, back, Saved(*l)));
    EXPECT_STREQ("lbl", back.id.c_str());
    EXPECT_TRUE(back.wordBreak && back.wordEllipsis && back.wordReverse && back.imageReverse);
    EXPECT_TRUE(back.resizeFontToEnsureAllTextFits);
    EXPECT_FALSE(back.showImage);
    EXPECT_STREQ("txt", back.forTarget.c_str());
    EXPECT_EQ(3, back.maxLines);
    EXPECT_EQ(Saved(*l), Saved(back));

    Anchor* a = Add<Anchor>(R"(<anchor href="page://about" wordBreak="true"/>)");
    Anchor anchorBack;
    ASSERT_TRUE(Loaded(&engine, anchorBack, Saved(*a)));
    EXPECT_STREQ("page://about", anchorBack.href.c_str());
    EXPECT_TRUE(anchorBack.wordBreak);

    Slider* s = Add<Slider>(R"(<sliderlabel sliderVelocity="3500" maxLines="2"/>)");
    Slider sliderBack;
    ASSERT_TRUE(Loaded(&engine, sliderBack, Saved(*s)));
    EXPECT_EQ(3500, sliderBack.sliderVelocity);
    EXPECT_EQ(2, sliderBack.maxLines);

    AutoFit* f = Add<AutoFit>(R"(<autofitlabel minimumFontSize="12" maximumFontSize="40" maxLines="2" autoCalculateMaxLines="true"/>)");
    AutoFit fitBack;
    ASSERT_TRUE(Loaded(&engine, fitBack, Saved(*f)));
    EXPECT_EQ(12, fitBack.minimumFontSize);
    EXPECT_EQ(40, fitBack.maximumFontSize);
    EXPECT_EQ(2, fitBack.maxLines);
    EXPECT_TRUE(fitBack.autoCalculateMaxLines);
}

TEST_F(LabelTest, ShortRecordLeavesTheLabelFieldsAlone)
{
    Label* l = Add<Label>(R"(<label wordBreak="true" for="txt" maxLines="3"/>)");
    Bytes bytes = Saved(*l);
    bytes.resize(bytes.size() - 3);
    Label back;
    EXPECT_FALSE(Loaded(&engine, back, bytes));
    EXPECT_FALSE(back.wordBreak);
    EXPECT_EQ(-1, back.maxLines);
    EXPECT_TRUE(back.forTarget.IsEmpty());
}

TEST_F(LabelTest, CopiesTakeTheConfigurationButNotTheFittedState)
{
    Label* l = Add<Label>(
        R"(<label wordBreak="true" wordEllipsis="true" wordReverse="true" for="txt" maxLines="3" )"
        R"(showImage="false" imageReverse="true" resizeFontToEnsureAllTextFits="true" label="Text"/>)");
    l->fittedFontSize = 7;
    Label copy;
    copy.CopyFrom(l);
    EXPECT_TRUE(copy.wordBreak && copy.wordEllipsis && copy.wordReverse && copy.imageReverse);
    EXPECT_TRUE(copy.resizeFontToEnsureAllTextFits);
    EXPECT_FALSE(copy.showImage);
    EXPECT_STREQ("txt", copy.forTarget.c_str());
    EXPECT_EQ(3, copy.maxLines);
    EXPECT_EQ(0, copy.fittedFontSize);
    EXPECT_STREQ("Text", copy.label.c_str());

    Anchor* a = Add<Anchor>(R"(<anchor href="x"/>)");
    Anchor anchorCopy;
    anchorCopy.CopyFrom(a);
    EXPECT_STREQ("x", anchorCopy.href.c_str());

    Slider* s = Add<Slider>(R"(<sliderlabel sliderVelocity="3500" wordBreak="true"/>)");
    Slider sliderCopy;
    sliderCopy.CopyFrom(s);
    EXPECT_TRUE(sliderCopy.wordBreak);
    EXPECT_EQ(2000, sliderCopy.sliderVelocity);  // not part of a copy

    AutoFit* f = Add<AutoFit>(R"(<autofitlabel minimumFontSize="12" maximumFontSize="40" maxLines="2" autoCalculateMaxLines="true"/>)");
    AutoFit fitCopy;
    fitCopy.CopyFrom(f);
    EXPECT_EQ(12, fitCopy.minimumFontSize);
    EXPECT_EQ(40, fitCopy.maximumFontSize);
    EXPECT_EQ(2, fitCopy.maxLines);
    EXPECT_FALSE(fitCopy.autoCalculateMaxLines);
}

// ---- auto-fit label ----

class AutoFitTest : public LabelTest {
protected:
    AutoFit* Make(const std::string& attributes, int size = 12)
    {
        AutoFit* a = Add<AutoFit>(R"(<autofitlabel left="10" top="20" width="100" height="20" )" + attributes + "/>");
        UseFixed(a, size);
        return a;
    }
};

TEST_F(AutoFitTest, DrawsAtTheLargestSizeThatFitsWithinItsLimits)
{
    struct Case {
        const char* attributes;
        int size;
    };
    const Case cases[] = {
        // "Hello": 5 characters of size/2 in 100 x 20: size 20 fits.
        {R"(label="Hello")", 20},
        {R"(label="Hello" maximumFontSize="15")", 15},
        {R"(label="Hello" minimumFontSize="30")", 30},
        // 40 characters: 100 / 40 gives 2 px a character, size 5.
        {R"(label="aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa")", 10},  // raised to the minimum
        {R"(label="aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa" minimumFontSize="2")", 5},
    };
    for (const Case& c : cases) {
        AutoFit* a = Make(c.attributes);
        const FixedFont::Draw d = OneDraw(a);
        EXPECT_EQ(c.size, d.size) << c.attributes;
        EXPECT_EQ(c.size, a->font.size) << c.attributes;  // the element keeps it
        EXPECT_EQ(0x25, d.flags) << c.attributes;
        EXPECT_EQ(1, d.maxLines) << c.attributes;
        page.RemoveChild(a);
    }
}

TEST_F(AutoFitTest, RefitsOnlyWhenTheTextChangesOrTheBoundsAreSet)
{
    AutoFit* a = Make(R"(label="Hello")");
    OneDraw(a);
    OneDraw(a);
    EXPECT_EQ(1, engine.fixed->fits);
    EXPECT_EQ(2, engine.fixed->adjusts);  // the font is adjusted at every paint
    a->label = "Hello again";
    EXPECT_EQ(19, OneDraw(a).size);  // 11 characters of 9 px
    EXPECT_EQ(2, engine.fixed->fits);
    a->SetBounds(10, 20, 100, 20);
    EXPECT_TRUE(a->fittedText.IsEmpty());
    OneDraw(a);
    EXPECT_EQ(3, engine.fixed->fits);
}

TEST_F(AutoFitTest, DashesAndEmptyTextDrawOnlyTheFrame)
{
    for (const char* text : {"--", ""}) {
        AutoFit* a = Make(std::string(R"(background="#3060C0" label=")") + text + "\"");
        EXPECT_TRUE(Draws(a).empty()) << text;
        EXPECT_EQ(0, engine.fixed->fits);
        engine.Frame();
        EXPECT_TRUE(Near(TColorIG(0x30, 0x60, 0xC0), engine.PixelAt(60, 30)));
        page.RemoveChild(a);
    }
}

TEST_F(AutoFitTest, LinesAndFlags)
{
    struct Case {
        const char* attributes;
        const char* text;
        const char* drawnText;
        int flags;
        int maxLines;
    };
    const Case cases[] = {
        {R"(pack="Start")", "ab\rcd", "ab\rcd", 0x11, 2},
        {R"(maxLines="1" align="End")", "ab\rcd", "ab\rcd", 0x26, 1},
        {R"(pack="End" align="Start")", "ab", "ab", 0x28, 1},
        {R"(pack="Start" align="Center")", "ab", "ab", 0x21, 1},
        // Line breaks become blanks and the text wraps freely.
        {R"(autoCalculateMaxLines="true")", "ab\r\ncd", "ab  cd", 0x15, -1},
    };
    for (const Case& c : cases) {
        AutoFit* a = Make(c.attributes);
        a->label = c.text;
        const FixedFont::Draw d = OneDraw(a);
        EXPECT_EQ(c.drawnText, d.text) << c.attributes;
        EXPECT_EQ(c.flags, d.flags) << c.attributes;
        EXPECT_EQ(c.maxLines, d.maxLines) << c.attributes;
        if (c.maxLines == -1) {
            EXPECT_STREQ(c.drawnText, a->label.c_str());  // the label itself changes
        }
        page.RemoveChild(a);
    }
}

TEST_F(AutoFitTest, SeveralLinesArePutInTheVerticalMiddle)
{
    AutoFit* a = Add<AutoFit>(R"(<autofitlabel left="10" top="20" width="100" height="60" maximumFontSize="16"/>)");
    a->label = "ab\rcd";
    UseFixed(a, 12);
    const FixedFont::Draw d = OneDraw(a);
    // The fixed font lays "ab\rcd" out as one line of 16 px: 22 px down.
    EXPECT_EQ(16, d.size);
    EXPECT_EQ(20 + 22, d.rect.top);
    EXPECT_EQ(0x11, d.flags);
}

// ---- slider label ----

class SliderTest : public LabelTest {
protected:
    // 100 px wide, text of 40 characters of 5 px: 100 px too long.
    Slider* Make(const std::string& attributes = "")
    {
        Slider* s = Add<Slider>(R"(<sliderlabel left="10" top="10" width="100" height="20" )"
                                R"(label="0123456789012345678901234567890123456789" )" +
                                attributes + "/>");
        UseFixed(s, 10);
        return s;
    }
    // Moves the clock on and paints; answers the slider's offset.
    int After(Slider* s, int ms)
    {
        engine.Advance(ms);
        engine.fixed->draws.clear();
        engine.Frame();
        last = engine.fixed->draws.empty() ? FixedFont::Draw() : engine.fixed->draws.back();
        return s->GetOffset();
    }
    FixedFont::Draw last;
};

TEST_F(SliderTest, RestsMovesRestsAndComesBack)
{
    Slider* s = Make();
    EXPECT_EQ(0, After(s, 0));
    EXPECT_EQ(1, s->timerRunning);
    EXPECT_EQ(Slider::SlideRestStart, s->slideState);
    EXPECT_EQ(0, After(s, 1000));   // resting for half a pass
    EXPECT_EQ(0, After(s, 50));     // the move starts now
    EXPECT_EQ(Slider::SlideForward, s->slideState);
    EXPECT_EQ(25, After(s, 500));
    EXPECT_EQ(50, After(s, 500));   // a second of movement: half way
    EXPECT_EQ(100, After(s, 1000));
    EXPECT_EQ(100, After(s, 50));   // at the end, resting
    EXPECT_EQ(Slider::SlideRestEnd, s->slideState);
    EXPECT_EQ(100, After(s, 1000));
    EXPECT_EQ(100, After(s, 50));
    EXPECT_EQ(Slider::SlideBack, s->slideState);
    EXPECT_EQ(75, After(s, 500));
    EXPECT_EQ(0, After(s, 1550));
    EXPECT_EQ(Slider::SlideRestStart, s->slideState);
}

TEST_F(SliderTest, TextIsDrawnOffsetAndClippedToTheTextArea)
{
    Slider* s = Make(R"(wordEllipsis="true")");
    After(s, 0);
    After(s, 1050);
    EXPECT_EQ(50, After(s, 1000));
    EXPECT_EQ(TRectIG(10 - 50, 10, 110, 30), last.rect);
    EXPECT_EQ(0x40024, last.flags);
    EXPECT_EQ(-1, last.maxLines);
    EXPECT_TRUE(engine.GetDC()->GetClipRect().IsEmpty());  // the clip is given back
}

TEST_F(SliderTest, TimerRepaintsWhileShownAndStopsWhenHidden)
{
    Slider* s = Make();
    After(s, 0);
    const int before = engine.invalidations;
    engine.Advance(400);
    EXPECT_GE(engine.invalidations - before, 3);
    s->visible = 0;
    engine.Advance(100);
    EXPECT_EQ(0, s->timerRunning);
}

TEST_F(SliderTest, ShortTextStopsTheTimerButKeepsTheState)
{
    Slider* s = Make();
    After(s, 0);
    After(s, 1050);
    After(s, 500);
    ASSERT_EQ(Slider::SlideForward, s->slideState);
    s->label = "short";
    EXPECT_EQ(0, After(s, 50));
    EXPECT_EQ(0, s->timerRunning);
    EXPECT_EQ(Slider::SlideForward, s->slideState);
}

TEST_F(SliderTest, AZeroVelocityJumpsInsteadOfDividing)
{
    Slider* s = Make(R"(sliderVelocity="0")");
    for (int i = 0; i < 8; ++i) {
        const int offset = After(s, 50);
        EXPECT_TRUE(offset == 0 || offset == 100) << offset;
    }
}

TEST_F(SliderTest, HostileGeometryAndTimesAreSafe)
{
    Slider* s = Make(R"(sliderVelocity="2147483647" paddingLeft="2000000000")");
    s->SetBounds(2000000000, 2000000000, 2000000000, 2000000000);
    for (int i = 0; i < 3; ++i)
        After(s, 50);
    s->slideStateStart = engine.Now() + 100000;  // a start in the future
    s->slideState = Slider::SlideForward;
    After(s, 50);
    EXPECT_GE(s->GetOffset(), 0);
}

// ---- real fonts ----

TEST_F(LabelTest, WrappedTextIsTallerThanOneLineAndEllipsisKeepsItToOne)
{
    Label* wrap = Add<Label>(
        R"(<label wordBreak="true" label="The quick brown fox jumps over the lazy dog"/>)");
    const int oneLine = wrap->GetMinimumHeight(2000);
    const int narrow = wrap->GetMinimumHeight(100);
    EXPECT_GE(narrow, 3 * oneLine - 3);
    wrap->maxLines = 2;
    EXPECT_LT(wrap->GetMinimumHeight(100), narrow);
}

TEST_F(LabelTest, GoldenLabels)
{
    page.backgrounds.Edit(E::StateNormal).Parse("#F0F0E8", nullptr);
    auto image = SolidImage(16, 16, TColorIG(40, 120, 200));
    const std::string name = page.resources.RegisterImage(image.get()).c_str();
    Add<Label>(R"(<label left="10" top="10" width="220" height="24" align="Start" label="Plain label, left" )"
               R"(border="Solid 1 #808080"/>)");
    Add<Label>(R"(<label left="10" top="40" width="220" height="24" align="Center" label="Centred" )"
               R"(background="#FFFFFF" foreground="#C00000"/>)");
    Add<Label>(R"(<label left="10" top="70" width="140" height="60" wordBreak="true" align="Start" pack="Start" )"
               R"(label="Word break over several short lines"/>)");
    Add<Label>(R"(<label left="10" top="140" width="140" height="24" wordEllipsis="true" align="Start" )"
               R"(label="An ellipsis ends this long text"/>)");
    Add<Label>(R"(<label left="10" top="170" width="220" height="24" align="Start" label="With an image" image=")" +
               name + "\"/>");
    Add<Anchor>(R"(<anchor left="10" top="200" width="220" height="24" align="End" label="Anchor at the end"/>)");
    const TDibIG& frame = engine.Frame();
    TDibIG* crop = frame.CopyRect(TRectIG(0, 0, 240, 230));
    ASSERT_TRUE(crop);
    EXPECT_TRUE(golden::Matches(*crop, "controls/labels", 2, 40));
    delete crop;
    page.resources.UnregisterImage(image.get());
}

}  // namespace
