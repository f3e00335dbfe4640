// The button: its three press modes on the virtual clock, keys, state images
// and the grey disabled copy, image and text placement, minimum sizes,
// attributes, compiled records and copies.
#include "label_button_fixture.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"

namespace {
using namespace controls;
using Button = TPDAUIEngineElementButton;
using E = TPDAUIEngineElement;
using Bytes = std::vector<unsigned char>;

const TColorIG kNormal(40, 80, 200);
const TColorIG kPressed(40, 180, 60);
const TColorIG kFocus(230, 200, 40);
const TColorIG kDisabled(240, 130, 20);
const TColorIG kMagenta(255, 0, 255);

// The grey a disabled button makes of a colour.
TColorIG Grey(TColorIG c)
{
    const TColorIG stored = TColorIG::FromRGB565(c.ToRGB565());
    const int g = (77 * stored.R() + 150 * stored.G() + 29 * stored.B()) / 256;
    return TColorIG(g, g, g);
}

Bytes Saved(E& e) { return SavedRecord(e); }

bool Loaded(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, E& e, const Bytes& bytes)
{
    return LoadedRecord(engine, page, e, bytes);
}

class ButtonTest : public ControlTest {
protected:
    ButtonTest()
    {
        auto make = [this](std::unique_ptr<TDibIG>& image, TColorIG colour, std::string& name) {
            image = SolidImage(20, 20, colour);
            name = page.resources.RegisterImage(image.get()).c_str();
        };
        make(normal, kNormal, normalName);
        make(pressedImage, kPressed, pressedName);
        make(focusImage, kFocus, focusName);
        make(disabledImage, kDisabled, disabledName);
    }
    ~ButtonTest() override
    {
        for (auto* image : {normal.get(), pressedImage.get(), focusImage.get(), disabledImage.get()})
            page.resources.UnregisterImage(image);
    }

    // An 80 x 40 button at (100, 100).
    Button* Make(const std::string& attributes)
    {
        Button* b = Add<Button>(R"(<button left="100" top="100" width="80" height="40" onCommand="cmd" )"
                                R"(onCommandSound="click" )" + attributes + "/>");
        b->font.name = "Fixed";
        b->font.size = 10;
        b->font.CreateStockFont(nullptr);
        return b;
    }
    std::string Images(bool pressed = true, bool focus = true, bool disabled = true)
    {
        std::string s = "image=\"" + normalName + "\" ";
        if (pressed)
            s += "imagePressed=\"" + pressedName + "\" ";
        if (focus)
            s += "imageFocus=\"" + focusName + "\" ";
        if (disabled)
            s += "imageDisabled=\"" + disabledName + "\" ";
        return s;
    }
    TColorIG Centre()
    {
        engine.Frame();
        return engine.PixelAt(140, 120);
    }
    std::vector<FixedFont::Draw> Draws(Button* b)
    {
        engine.fixed->draws.clear();
        b->Paint(engine.GetDC(), 0, 0);
        return engine.fixed->draws;
    }
    // Advances the clock in small steps until count commands have been raised
    // (at most a second); answers the time it took.
    int HoldUntil(size_t count)
    {
        int waited = 0;
        while (page.raised.size() < count && waited < 1000) {
            engine.Advance(10);
            waited += 10;
        }
        return waited;
    }

    std::unique_ptr<TDibIG> normal, pressedImage, focusImage, disabledImage;
    std::string normalName, pressedName, focusName, disabledName;
};

// ---- construction and attributes ----

TEST_F(ButtonTest, ConstructorDefaults)
{
    engine.skinSettings.soundButton = "buttonSound";
    Button b;
    engine.skinSettings.soundButton = "later";
    EXPECT_STREQ("button", b.tag.c_str());
    EXPECT_EQ(1, b.isFocusable);
    EXPECT_TRUE(b.font.bold);
    EXPECT_EQ(E::AlignCenter, b.pack);
    EXPECT_EQ(E::AlignCenter, b.align);
    EXPECT_EQ(50, b.timerInterval);
    EXPECT_EQ(2, b.padding.left);
    EXPECT_EQ(4, b.padding.top);
    EXPECT_EQ(2, b.padding.right);
    EXPECT_EQ(4, b.padding.bottom);
    EXPECT_STREQ("buttonSound", b.onCommandSound.c_str());  // read when made
    EXPECT_FLOAT_EQ(0.0f, b.imageScale);

    engine.skinSettings.uiScale = 1.5f;
    Button scaled;
    EXPECT_EQ(3, scaled.padding.left);
    EXPECT_EQ(6, scaled.padding.top);
}

TEST_F(ButtonTest, AttributesSetAndReadBack)
{
    struct Case {
        const char* name;
        const char* value;
        const char* readBack;
    };
    const Case cases[] = {
        {"autoPress", "true", "true"},
        {"autoPress", "TRUE", "false"},
        {"raiseMultipleCommandsWhenPressed", "true", "true"},
        {"wordEllipsis", "true", "true"},
        {"mix", "true", "true"},
        {"onMultipleCommandEnd", "stop", "stop"},
        {"imagePressed", "btnDown", "btnDown"},
        {"imageFocus", "btnFocus", "btnFocus"},
        {"imageDisabled", "btnOff", "btnOff"},
        {"label", "OK", "OK"},
    };
    for (const Case& c : cases) {
        Button b;
        b.SetAttribute(c.name, c.value);
        EXPECT_STREQ(c.readBack, b.GetAttribute(c.name).c_str()) << c.name << "=" << c.value;
    }
    for (const char* scale : {"1.5", "0.1", "0.333333343", "2.75e-3", "x"}) {
        Button b;
        b.SetAttribute("imageScale", scale);
        const float stored = b.imageScale;
        EXPECT_EQ(stored, (float)std::strtod(b.GetAttribute("imageScale").c_str(), nullptr)) << scale;
    }
}

TEST_F(ButtonTest, ImageAttributesLookUpThroughThePage)
{
    Button* b = Make("");
    b->SetAttribute("imagePressed", pressedName.c_str());
    EXPECT_EQ(pressedImage.get(), b->imagePressed);
    b->SetAttribute("imagePressed", "");  // an empty name keeps the image in hand
    EXPECT_EQ(pressedImage.get(), b->imagePressed);
    EXPECT_TRUE(b->imagePressedName.IsEmpty());
    b->SetAttribute("imageFocus", "noSuchImage");
    EXPECT_EQ(nullptr, b->imageFocus);

    Button loose;  // no page: names kept, no images
    loose.imageDisabled = disabledImage.get();
    loose.SetAttribute("imageDisabled", disabledName.c_str());
    EXPECT_EQ(nullptr, loose.imageDisabled);
    EXPECT_EQ(disabledName, loose.imageDisabledName.c_str());
}

// ---- plain mode ----

TEST_F(ButtonTest, PlainReleaseInsideRaisesWithSoundAndBothFarEdgesCount)
{
    Button* b = Make("");
    struct Case {
        int x, y;
        bool raises;
    };
    const Case cases[] = {{40, 20, true}, {0, 0, true},    {80, 40, true},   {80, 0, true},
                          {81, 20, false}, {40, 41, false}, {-1, 20, false}, {40, -1, false}};
    for (const Case& c : cases) {
        page.raised.clear();
        engine.sounds.clear();
        b->OnMouseDown(10, 10, 0, 0, 0);
        EXPECT_EQ(1, b->pressed);
        b->OnMouseUp(c.x, c.y, 0, nullptr);
        EXPECT_EQ(0, b->pressed);
        EXPECT_EQ(c.raises ? 1u : 0u, page.raised.size()) << c.x << "," << c.y;
        EXPECT_EQ(c.raises ? std::vector<std::string>{"click"} : std::vector<std::string>{}, engine.sounds);
    }
}

TEST_F(ButtonTest, PlainPressThroughTheEngine)
{
    Button* b = Make("");
    engine.Press(110, 110);
    EXPECT_EQ(1, b->pressed);
    engine.Release(175, 135);
    EXPECT_EQ(std::vector<std::string>{"cmd"}, page.Names());
    EXPECT_EQ(b, page.raised[0].source);
    EXPECT_EQ(0, page.raised[0].x);  // raised at (0, 0)
    EXPECT_EQ(0, page.raised[0].y);

    engine.Press(110, 110);
    engine.Move(115, 115);
    engine.Move(300, 300);  // leaving cancels the press
    EXPECT_EQ(0, b->pressed);
    engine.Release(300, 300);
    EXPECT_EQ(1u, page.raised.size());
}

TEST_F(ButtonTest, DisabledButtonIgnoresPressesAndRaisesNothing)
{
    Button* b = Make(R"(enabled="false")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    EXPECT_EQ(0, b->pressed);
    b->pressed = 1;
    b->OnMouseUp(10, 10, 0, nullptr);
    EXPECT_EQ(0, b->pressed);
    EXPECT_TRUE(page.raised.empty());
}

TEST_F(ButtonTest, PressesOfOtherKindsAreDropped)
{
    Button* b = Make("");
    b->OnMouseDown(10, 10, 1, 0, 0);
    EXPECT_EQ(0, b->pressed);
    b->pressed = 1;
    b->OnMouseUp(10, 10, 1, nullptr);
    EXPECT_EQ(1, b->pressed);
    EXPECT_TRUE(page.raised.empty());
}

TEST_F(ButtonTest, ClickAndReleaseClickPressAndRaise)
{
    Button* b = Make("");
    b->Click();
    EXPECT_EQ(1, b->pressed);
    EXPECT_TRUE(page.raised.empty());
    b->ReleaseClick();
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ(std::vector<std::string>{"cmd"}, page.Names());
}

// ---- sticky mode ----

TEST_F(ButtonTest, StickyPressesToggleAndEveryReleaseRaises)
{
    Button* b = Make(R"(autoPress="true")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    EXPECT_EQ(1, b->pressed);
    b->OnMouseUp(500, 500, 0, nullptr);  // wherever released
    EXPECT_EQ(1, b->pressed);
    b->OnMouseDown(10, 10, 0, 0, 0);
    EXPECT_EQ(0, b->pressed);
    b->OnMouseUp(10, 10, 0, nullptr);
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ((std::vector<std::string>{"cmd", "cmd"}), page.Names());
    EXPECT_EQ(2u, engine.sounds.size());
    b->OnMouseDown(10, 10, 0, 0, 0);
    b->OnHoverLeave(0, 0, 0);  // even a sticky press goes
    EXPECT_EQ(0, b->pressed);
}

// ---- repeat mode ----

TEST_F(ButtonTest, RepeatShortHoldRaisesOnceAtTheReleaseWithSound)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true" onMultipleCommandEnd="end")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    EXPECT_EQ(1, b->pressed);
    EXPECT_EQ(1, b->timerRunning);
    engine.Advance(20);
    EXPECT_TRUE(page.raised.empty());
    b->OnMouseUp(500, 500, 0, nullptr);  // the place does not matter
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ(0, b->timerRunning);
    EXPECT_EQ((std::vector<std::string>{"cmd", "end"}), page.Names());
    EXPECT_EQ(std::vector<std::string>{"click"}, engine.sounds);  // the end command is silent
}

TEST_F(ButtonTest, RepeatHoldRaisesOnEveryTickAndNotAgainAtTheRelease)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true" onMultipleCommandEnd="end")");
    engine.Press(110, 110);
    HoldUntil(3);
    ASSERT_EQ(3u, page.raised.size());
    EXPECT_TRUE(b->repeatRaised);
    for (const RecordingPage::Raised& r : page.raised)
        EXPECT_GT(r.elapsed, 0);  // measured from the previous tick
    engine.Release(110, 110);
    EXPECT_EQ((std::vector<std::string>{"cmd", "cmd", "cmd", "end"}), page.Names());
    EXPECT_TRUE(engine.sounds.empty());
    EXPECT_EQ(0, b->timerRunning);
}

TEST_F(ButtonTest, RepeatWithoutEndCommandRaisesOnlyOnCommand)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    b->OnMouseUp(10, 10, 0, nullptr);
    EXPECT_EQ(std::vector<std::string>{"cmd"}, page.Names());
}

TEST_F(ButtonTest, RepeatPressWhileTheTimerRunsDoesNotRestartIt)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    const int started = b->timerStart;
    HoldUntil(1);
    ASSERT_TRUE(b->repeatRaised);
    b->OnMouseDown(10, 10, 0, 0, 0);
    EXPECT_EQ(started, b->timerStart);
    EXPECT_FALSE(b->repeatRaised);  // a new press all the same
    b->OnMouseUp(10, 10, 0, nullptr);
    EXPECT_EQ((std::vector<std::string>{"cmd", "cmd"}), page.Names());
}

TEST_F(ButtonTest, RepeatTickOfADisabledButtonEndsTheRepeat)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true")");
    b->OnMouseDown(10, 10, 0, 0, 0);
    HoldUntil(1);
    b->enabled = 0;
    engine.Advance(300);
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ(0, b->timerRunning);
    EXPECT_EQ(1u, page.raised.size());
}

TEST_F(ButtonTest, HoverLeaveStopsARepeat)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true")");
    b->hover = 1;
    b->OnMouseDown(10, 10, 0, 0, 0);
    b->OnHoverLeave(0, 0, 0);
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ(0, b->hover);
    EXPECT_EQ(0, b->timerRunning);
    engine.Advance(300);
    EXPECT_TRUE(page.raised.empty());
}

TEST_F(ButtonTest, TimerDoesNothingOutsideRepeatMode)
{
    for (const char* attributes : {"", R"(autoPress="true" raiseMultipleCommandsWhenPressed="true")"}) {
        Button* b = Make(attributes);
        b->OnTimer(50, engine.Now());
        EXPECT_TRUE(page.raised.empty()) << attributes;
        page.RemoveChild(b);
    }
}

TEST_F(ButtonTest, ACommandThatDeletesTheButtonEndsTheRelease)
{
    Button* b = Make(R"(raiseMultipleCommandsWhenPressed="true" onMultipleCommandEnd="end")");
    page.onCommand = [&](TPDAUIEngineCommand& c) {
        if (c.name == "cmd")
            page.RemoveChild(b);
    };
    b->OnMouseDown(10, 10, 0, 0, 0);
    b->OnMouseUp(10, 10, 0, nullptr);
    EXPECT_EQ(std::vector<std::string>{"cmd"}, page.Names());
    EXPECT_EQ(0, page.children.Count());
}

// ---- keys ----

TEST_F(ButtonTest, EnterAndSpacePressAndClick)
{
    Button* b = Make("");
    for (int key : {13, 32}) {
        unsigned char handled = 0;
        b->OnKeyDown(key, &handled, nullptr);
        EXPECT_EQ(1, handled);
        EXPECT_EQ(1, b->pressed);
        handled = 0;
        b->OnKeyPress(key, &handled, nullptr, 0);
        EXPECT_EQ(1, handled);
        handled = 0;
        b->OnKeyUp(key, &handled, 0);
        EXPECT_EQ(1, handled);
        EXPECT_EQ(0, b->pressed);
    }
    EXPECT_EQ((std::vector<std::string>{"cmd", "cmd"}), page.Names());
    EXPECT_EQ(2u, engine.sounds.size());

    b->OnKeyDown(65, nullptr, nullptr);  // other keys go to the parent
    b->OnKeyUp(65, nullptr, 0);
    EXPECT_EQ(0, b->pressed);
    EXPECT_EQ(2u, page.raised.size());
}

TEST_F(ButtonTest, EnterOnADisabledButtonIsTakenButDoesNothing)
{
    Button* b = Make(R"(enabled="false")");
    unsigned char handled = 0;
    b->OnKeyDown(13, &handled, nullptr);
    EXPECT_EQ(1, handled);
    EXPECT_EQ(0, b->pressed);
    handled = 0;
    b->OnKeyUp(13, &handled, 0);
    EXPECT_EQ(1, handled);
    EXPECT_TRUE(page.raised.empty());
}

// ---- state images ----

TEST_F(ButtonTest, StateImagesByState)
{
    Button* b = Make(Images());
    EXPECT_TRUE(Near(kNormal, Centre()));
    b->hover = 1;  // there is no hover image
    EXPECT_TRUE(Near(kNormal, Centre()));
    page.focusedElement = b;
    EXPECT_TRUE(Near(kFocus, Centre()));
    b->pressed = 1;  // pressed wins over focused
    EXPECT_TRUE(Near(kPressed, Centre()));
    b->enabled = 0;
    EXPECT_TRUE(Near(kDisabled, Centre()));
}

TEST_F(ButtonTest, MissingStateImagesFallBackToTheNormalOne)
{
    Button* b = Make(Images(false, false, false));
    b->pressed = 1;
    EXPECT_TRUE(Near(kNormal, Centre()));
    b->pressed = 0;
    page.focusedElement = b;
    EXPECT_TRUE(Near(kNormal, Centre()));
}

TEST_F(ButtonTest, DisabledWithoutItsImagePaintsThePressedOneOrAGreyCopy)
{
    Button* b = Make(Images(true, false, false));
    b->enabled = 0;
    EXPECT_TRUE(Near(Grey(kNormal), Centre()));
    b->pressed = 1;
    EXPECT_TRUE(Near(kPressed, Centre()));
    EXPECT_TRUE(Near(kNormal, TColorIG::FromRGB565(normal->GetPixel(5, 5).ToRGB565())));  // untouched
}

TEST_F(ButtonTest, GreyCopyKeepsTheTransparentPixels)
{
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 10; ++x)
            normal->SetPixel(x, y, kMagenta);
    Button* b = Make(Images(false, false, false) + R"(enabled="false")");
    engine.Frame();
    EXPECT_TRUE(Near(TColorIG(255, 255, 255), engine.PixelAt(135, 120)));  // the page shows through
    EXPECT_TRUE(Near(Grey(kNormal), engine.PixelAt(145, 120)));
    (void)b;
}

// ---- placement ----

TEST_F(ButtonTest, ImageAloneIsCentredAndHidesTheLabel)
{
    Button* b = Make(Images() + R"(label="OK")");
    engine.Frame();
    EXPECT_TRUE(Near(kNormal, engine.PixelAt(130, 110)));
    EXPECT_TRUE(Near(kNormal, engine.PixelAt(149, 129)));
    EXPECT_FALSE(Near(kNormal, engine.PixelAt(129, 120)));
    EXPECT_FALSE(Near(kNormal, engine.PixelAt(150, 120)));
    EXPECT_TRUE(Draws(b).empty());
}

TEST_F(ButtonTest, MixPutsTheImageBesideTheText)
{
    auto big = SolidImage(40, 40, kNormal);
    const std::string bigName = page.resources.RegisterImage(big.get()).c_str();
    struct Case {
        const char* attributes;
        bool rightToLeft;
        int imageCentreX;
        TRectIG textRect;
        int flags;
    };
    const Case cases[] = {
        // Start: the image at the left edge; the text from its right edge.
        {R"(align="Start")", false, 120, TRectIG(140, 104, 178, 136), 0x24},
        // End, wider than high: centred half the height from the right.
        {R"(align="End")", false, 160, TRectIG(102, 104, 140, 136), 0x26},
        {R"(align="Auto")", true, 160, TRectIG(102, 104, 140, 136), 0x26},
        {R"(align="Auto")", false, 120, TRectIG(140, 104, 178, 136), 0x24},
    };
    for (const Case& c : cases) {
        engine.skinSettings.rightToLeft = c.rightToLeft;
        Button* b = Make("image=\"" + bigName + "\" mix=\"true\" label=\"Go\" " + c.attributes);
        engine.Frame();
        // The image shrinks by twice the border radius (4) on every side: 24 px.
        EXPECT_TRUE(Near(kNormal, engine.PixelAt(c.imageCentreX, 120))) << c.attributes;
        EXPECT_TRUE(Near(kNormal, engine.PixelAt(c.imageCentreX - 11, 109))) << c.attributes;
        EXPECT_FALSE(Near(kNormal, engine.PixelAt(c.imageCentreX - 13, 120))) << c.attributes;
        const std::vector<FixedFont::Draw> d = Draws(b);
        ASSERT_EQ(1u, d.size()) << c.attributes;
        EXPECT_EQ(c.textRect, d[0].rect) << c.attributes;
        EXPECT_EQ(c.flags, d[0].flags) << c.attributes;
        page.RemoveChild(b);
    }
    engine.skinSettings.rightToLeft = 0;
    Button* tall = Add<Button>("<button left=\"100\" top=\"100\" width=\"30\" height=\"60\" mix=\"true\" "
                               "align=\"End\" image=\"" + bigName + "\"/>");
    engine.Frame();  // narrower than high: flush right
    EXPECT_TRUE(Near(kNormal, engine.PixelAt(129 - 8, 130)));
    EXPECT_FALSE(Near(kNormal, engine.PixelAt(129 - 8 - 24, 130)));
    (void)tall;
    page.resources.UnregisterImage(big.get());
}

TEST_F(ButtonTest, TextFlagsColoursAndCase)
{
    struct Case {
        const char* attributes;
        int flags;
    };
    const Case cases[] = {
        {"", 0x25},
        {R"(align="Start" pack="Start")", 0x0},
        {R"(align="End" pack="End")", 0x2A},
        {R"(align="Center" pack="Center" wordEllipsis="true")", 0x40025},
        {R"(align="Stretch" pack="Stretch")", 0x0},
    };
    for (const Case& c : cases) {
        Button* b = Make(std::string(R"(label="Hello" )") + c.attributes);
        const std::vector<FixedFont::Draw> d = Draws(b);
        ASSERT_EQ(1u, d.size()) << c.attributes;
        EXPECT_EQ(c.flags, d[0].flags) << c.attributes;
        EXPECT_EQ(-1, d[0].maxLines);
        EXPECT_EQ(TRectIG(102, 104, 178, 136), d[0].rect);
        page.RemoveChild(b);
    }
    Button* b = Make(R"(label="Hello" fontUpperCase="true" foreground="#010101" foregroundPressed="#020202" )"
                     R"(foregroundFocus="#030303" foregroundHover="#040404" foregroundDisabled="#050505")");
    EXPECT_EQ("HELLO", Draws(b)[0].text);
    EXPECT_EQ(TColorIG(1, 1, 1), Draws(b)[0].colour);
    b->hover = 1;
    EXPECT_EQ(TColorIG(4, 4, 4), Draws(b)[0].colour);
    page.focusedElement = b;
    EXPECT_EQ(TColorIG(3, 3, 3), Draws(b)[0].colour);
    b->pressed = 1;
    EXPECT_EQ(TColorIG(2, 2, 2), Draws(b)[0].colour);
    b->enabled = 0;
    EXPECT_EQ(TColorIG(5, 5, 5), Draws(b)[0].colour);
}

TEST_F(ButtonTest, PressedAndFocusedDrawsTheFocusBackgroundUnderThePressedOne)
{
    Button* b = Make(R"(backgroundFocus="#FF0000" backgroundPressed="#00FF0080")");
    page.focusedElement = b;
    b->pressed = 1;
    const TColorIG mixed = Centre();  // half green over the focus red
    EXPECT_GT(mixed.R(), 60);
    EXPECT_GT(mixed.G(), 60);
    EXPECT_LT(mixed.B(), 30);
    page.focusedElement = nullptr;
    const TColorIG alone = Centre();  // half green over the page's white
    EXPECT_GT(alone.B(), 100);
}

// ---- minimum sizes ----

TEST_F(ButtonTest, MinimumSizesFromImageWithItsScale)
{
    engine.skinSettings.uiScale = 2.0f;
    struct Case {
        const char* scale;
        int size;
    };
    const Case cases[] = {{"0", 40}, {"0.1", 40}, {"0.5", 10}, {"3", 60}};
    for (const Case& c : cases) {
        Button* b = Make(Images() + "imageScale=\"" + c.scale + "\"");
        EXPECT_EQ(c.size, b->GetMinimumHeight(0)) << c.scale;
        EXPECT_EQ(c.size, b->GetMinimumWidth(0)) << c.scale;
        page.RemoveChild(b);
    }
}

TEST_F(ButtonTest, MinimumWidthIsTheWiderOfImageAndText)
{
    Button* b = Make(Images() + R"(label="Hello" paddingLeft="3" paddingRight="4" border="Solid 2 #000000")");
    // "Hello" in the fixed font: 25 px, then paddings and twice the border.
    EXPECT_EQ(25 + 7 + 4, b->GetMinimumWidth(0));
    b->label = "H";
    EXPECT_EQ(20, b->GetMinimumWidth(0));  // the image is wider than 5 + 11
    b->minimumWidth = 50;
    EXPECT_EQ(50, b->GetMinimumWidth(0));
    b->maximumWidth = 30;
    EXPECT_EQ(30, b->GetMinimumWidth(0));
}

TEST_F(ButtonTest, MinimumHeightOfTextAndOfABackgroundImage)
{
    Button* b = Make(R"(label="Hello" border="Solid 2 #000000")");
    EXPECT_EQ(10 + 4 + 8, b->GetMinimumHeight(80));
    b->minimumHeight = 30;
    b->maximumHeight = 25;  // the maximum wins
    EXPECT_EQ(25, b->GetMinimumHeight(80));

    engine.skinSettings.uiScale = 1.5f;
    Button* back = Make("background=\"" + disabledName + "\"");
    ASSERT_EQ(TPDAUIEngineStyleBackground::KindImage, back->backgrounds[E::StateNormal].kind);
    EXPECT_EQ(30, back->GetMinimumHeight(80));
    EXPECT_EQ(30, back->GetMinimumWidth(40));
}

TEST_F(ButtonTest, HostileSizesPaintAndMeasureSafely)
{
    for (const char* scale : {"1e30", "inf", "nan", "-5", "1e-30"}) {
        Button* b = Make(Images() + "mix=\"true\" align=\"End\" label=\"x\" imageScale=\"" + scale + "\"");
        b->SetBounds(2000000000, -2000000000, 2000000000, 2000000000);
        engine.Frame();
        b->Paint(engine.GetDC(), 2000000000, 2000000000);
        EXPECT_GE(b->GetMinimumHeight(100), 0) << scale;
        EXPECT_GE(b->GetMinimumWidth(100), 0) << scale;
        page.RemoveChild(b);
    }
}

// ---- compiled records and copies ----

TEST_F(ButtonTest, CompiledRecordRoundTripsAndLooksUpTheImages)
{
    Button* b = Make(Images() + R"(autoPress="true" raiseMultipleCommandsWhenPressed="true" )"
                                R"(onMultipleCommandEnd="end" imageScale="1.25" wordEllipsis="true" mix="true")");
    Button back;
    ASSERT_TRUE(Loaded(&engine, &page, back, Saved(*b)));
    EXPECT_EQ(pressedName, back.imagePressedName.c_str());
    EXPECT_EQ(focusName, back.imageFocusName.c_str());
    EXPECT_EQ(disabledName, back.imageDisabledName.c_str());
    EXPECT_EQ(pressedImage.get(), back.imagePressed);
    EXPECT_EQ(focusImage.get(), back.imageFocus);
    EXPECT_EQ(disabledImage.get(), back.imageDisabled);
    EXPECT_EQ(normal.get(), back.image);
    EXPECT_TRUE(back.autoPress && back.raiseMultipleCommandsWhenPressed && back.wordEllipsis && back.mix);
    EXPECT_STREQ("end", back.onMultipleCommandEnd.c_str());
    EXPECT_FLOAT_EQ(1.25f, back.imageScale);
    EXPECT_EQ(Saved(*b), Saved(back));

    Button pageless;  // no page: names only
    ASSERT_TRUE(Loaded(&engine, nullptr, pageless, Saved(*b)));
    EXPECT_EQ(nullptr, pageless.imagePressed);
    EXPECT_EQ(pressedName, pageless.imagePressedName.c_str());
}

TEST_F(ButtonTest, ShortRecordLeavesTheButtonFieldsAlone)
{
    Button* b = Make(R"(autoPress="true" onMultipleCommandEnd="end" mix="true")");
    Bytes bytes = Saved(*b);
    bytes.resize(bytes.size() - 2);
    Button back;
    EXPECT_FALSE(Loaded(&engine, &page, back, bytes));
    EXPECT_FALSE(back.autoPress);
    EXPECT_FALSE(back.mix);
    EXPECT_TRUE(back.onMultipleCommandEnd.IsEmpty());
}

TEST_F(ButtonTest, CopyTakesModesImagesAndThePressedState)
{
    Button* b = Make(Images() + R"(autoPress="true" onMultipleCommandEnd="end" imageScale="2" mix="true" )"
                                R"(wordEllipsis="true" label="OK")");
    b->pressed = 1;
    Button copy;
    copy.CopyFrom(b);
    EXPECT_EQ(1, copy.pressed);
    EXPECT_EQ(pressedImage.get(), copy.imagePressed);
    EXPECT_EQ(focusImage.get(), copy.imageFocus);
    EXPECT_EQ(disabledImage.get(), copy.imageDisabled);
    EXPECT_EQ(disabledName, copy.imageDisabledName.c_str());
    EXPECT_TRUE(copy.autoPress && copy.mix && copy.wordEllipsis);
    EXPECT_STREQ("end", copy.onMultipleCommandEnd.c_str());
    EXPECT_FLOAT_EQ(2.0f, copy.imageScale);
    EXPECT_STREQ("OK", copy.label.c_str());
}

// ---- real fonts ----

TEST_F(ButtonTest, GoldenButtons)
{
    page.backgrounds.Edit(E::StateNormal).Parse("#E8ECF0", nullptr);
    const char* style = R"(background="#FFFFFF" backgroundPressed="#5078C8" foregroundPressed="#FFFFFF" )"
                        R"(border="Solid 1 #606060" width="110" height="36" top="10" )";
    Add<Button>(std::string("<button left=\"10\" label=\"OK\" ") + style + "/>");
    Button* down = Add<Button>(std::string("<button left=\"130\" label=\"Pressed\" ") + style + "/>");
    down->pressed = 1;
    Add<Button>(std::string("<button left=\"250\" label=\"Disabled\" enabled=\"false\" ") + style + "/>");
    Add<Button>("<button left=\"10\" top=\"56\" width=\"110\" height=\"36\" image=\"" + normalName +
                "\" imageScale=\"1.5\" border=\"Solid 1 #606060\"/>");
    Add<Button>("<button left=\"130\" top=\"56\" width=\"110\" height=\"36\" image=\"" + normalName +
                "\" enabled=\"false\" border=\"Solid 1 #606060\"/>");
    Add<Button>("<button left=\"250\" top=\"56\" width=\"110\" height=\"36\" image=\"" + normalName +
                "\" imageScale=\"1.2\" mix=\"true\" align=\"Start\" label=\"Mixed\" border=\"Round 1 #606060 1\"/>");
    const TDibIG& frame = engine.Frame();
    TDibIG* crop = frame.CopyRect(TRectIG(0, 0, 370, 100));
    ASSERT_TRUE(crop);
    EXPECT_TRUE(golden::Matches(*crop, "controls/buttons", 2, 40));
    delete crop;
}

}  // namespace
