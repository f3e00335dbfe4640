// Image boxes: placement of the picture, sizes, strips that never read past
// their bitmap, the animated box on the virtual clock, the zoomable viewer's
// zoom and pan, compiled records, and the fixture skin's image page.
#include "label_button_fixture.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterImageBoxes.h"
#include "uiengine/controls/TPDAUIEngineElementImageAnimatedBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"
#include "uiengine/controls/TPDAUIEngineElementImageZoomeableBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using ImageBox = TPDAUIEngineElementImageBox;
using Animated = TPDAUIEngineElementImageAnimatedBox;
using ImageList = TPDAUIEngineElementImageList;
using Zoomable = TPDAUIEngineElementImageZoomeableBox;

const TColorIG kRed(248, 0, 0), kGreen(0, 252, 0), kBlue(0, 0, 248);

// A strip of square frames of side `side`, one colour each.
std::unique_ptr<TDibIG> Strip(int side, const std::vector<TColorIG>& colours)
{
    std::unique_ptr<TDibIG> image(new TDibIG());
    EXPECT_TRUE(image->Crea(side * (int)colours.size(), side, 16));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side * (int)colours.size(); ++x)
            image->SetPixel(x, y, colours[x / side]);
    return image;
}

// Near without its message, for scans.
bool Close(TColorIG a, TColorIG b)
{
    return std::abs(a.R() - b.R()) <= 8 && std::abs(a.G() - b.G()) <= 8 && std::abs(a.B() - b.B()) <= 8;
}

class ImageBoxesTest : public ControlTest {
protected:
    ImageBoxesTest() { RegisterImageBoxElements(&TPDAUIEngineElementFactory::RegisterTag); }

    // The smallest rectangle holding every pixel of colour c inside `within`
    // (the corner where the tests place their boxes); empty when there is none.
    TRectIG Drawn(TColorIG c, const TRectIG& within = TRectIG(0, 0, 160, 160))
    {
        const TDibIG& frame = engine.Frame();
        TRectIG box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        for (int y = within.top; y < within.bottom; ++y)
            for (int x = within.left; x < within.right; ++x)
                if (Close(c, frame.GetPixel(x, y))) {
                    box.left = std::min(box.left, x), box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1), box.bottom = std::max(box.bottom, y + 1);
                }
        return box.left == INT_MAX ? TRectIG() : box;
    }
};

std::string Text(const TRectIG& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

TEST_F(ImageBoxesTest, PlacementByAspectMaximizePackAndAlign)
{
    // Every box sits at (10, 10), 100 x 100, unless its attributes say otherwise.
    const struct {
        int w, h;
        const char* attributes;
        TRectIG expected;
    } cases[] = {
        {200, 100, "maintainAspect=\"true\"", {10, 10, 110, 60}},  // at the top, across
        {200, 100, "", {10, 10, 110, 110}},                         // stretched to the content
        {50, 200, "maintainAspect=\"true\"", {47, 10, 72, 110}},    // narrower: centred
        {40, 20, "pack=\"Start\" align=\"Start\"", {10, 10, 50, 30}},
        {40, 20, "pack=\"Start\" align=\"Start\" imageScale=\"0.05\"", {10, 10, 50, 30}},  // the UI scale
        {40, 20, "pack=\"Start\" align=\"Start\" imageScale=\"1.5\"", {10, 10, 70, 40}},
        {40, 20, "pack=\"Center\" align=\"Center\"", {40, 50, 80, 70}},
        {40, 20, "pack=\"End\" align=\"End\"", {70, 90, 110, 110}},
        {40, 20, "pack=\"Start\" align=\"Start\" padding=\"10\"", {20, 20, 60, 40}},
        {40, 20, "pack=\"Start\" align=\"Start\" padding=\"4\" border=\"Solid 3 #000000\"", {17, 17, 57, 37}},
        {200, 100, "maximizeImageSize=\"true\" pack=\"Center\" align=\"Center\"", {10, 35, 110, 85}},
        {50, 100, "maximizeImageSize=\"true\" pack=\"Start\" align=\"End\"", {60, 10, 110, 110}},
        {50, 100, "maximizeImageSize=\"true\" align=\"Center\"", {35, 10, 85, 110}},
        {20, 10, "maximizeImageSize=\"true\" pack=\"End\" align=\"Start\"", {10, 60, 110, 110}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        page.RemoveAllChildren();
        std::unique_ptr<TDibIG> picture = SolidImage(c.w, c.h, kRed);
        ImageBox* box = Add<ImageBox>(std::string("<imagebox id=\"i\" left=\"10\" top=\"10\" width=\"100\" "
                                                  "height=\"100\" ") +
                                      c.attributes + "/>");
        box->image = picture.get();
        Layout();
        EXPECT_EQ(Text(c.expected), Text(Drawn(kRed)));
        page.RemoveAllChildren();
    }
}

TEST_F(ImageBoxesTest, MinimumSizesFollowTheImageAndTheAvailableRoom)
{
    std::unique_ptr<TDibIG> picture = SolidImage(200, 100, kRed);
    const struct {
        const char* attributes;
        bool withImage;
        int available;  // width for the height and height for the width
        int height, width;
    } cases[] = {
        {"", false, 60, 10, 10},                                    // paddings only
        {"minimumHeight=\"30\" minimumWidth=\"40\"", false, 60, 30, 40},
        {"", true, 60, 110, 210},                                   // the image at scale 1
        {"imageScale=\"1.5\"", true, 60, 160, 310},
        {"maintainAspect=\"true\"", true, 60, 110, 210},            // no fitting without maximize
        {"maintainAspect=\"true\" maximizeImageSize=\"true\"", true, 60, 35, 110},  // fitted to 50 px
        {"maintainAspect=\"true\" maximizeImageSize=\"true\"", true, 500, 110, 210},
        {"maximumHeight=\"50\" maximumWidth=\"70\"", true, 60, 50, 70},
        {"avoidAutoCalculateMinimumSize=\"true\" minimumHeight=\"12\" minimumWidth=\"14\"", true, 60, 12, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        ImageBox* box = Add<ImageBox>(std::string("<imagebox id=\"i\" padding=\"5\" ") + c.attributes + "/>");
        box->image = c.withImage ? picture.get() : nullptr;
        EXPECT_EQ(c.height, box->GetMinimumHeight(c.available));
        EXPECT_EQ(c.width, box->GetMinimumWidth(c.available));
        page.RemoveAllChildren();
    }
    // Strips measure their square frame, whatever room there is.
    std::unique_ptr<TDibIG> strip = Strip(32, {kRed, kGreen, kBlue});
    ImageList* list = Add<ImageList>("<imagelist id=\"l\" padding=\"2\" imageScale=\"2\"/>");
    list->image = strip.get();
    EXPECT_EQ(68, list->GetMinimumHeight(1));
    EXPECT_EQ(68, list->GetMinimumWidth(1));
    Animated* spinner = Add<Animated>("<imageanimatedbox id=\"a\" padding=\"2\" maximumWidth=\"50\"/>");
    spinner->image = strip.get();
    EXPECT_EQ(36, spinner->GetMinimumHeight(1));
    EXPECT_EQ(36, spinner->GetMinimumWidth(1));
    spinner->image = nullptr;
    EXPECT_EQ(4, spinner->GetMinimumHeight(1));
    // A scale of 0.1 or less is the UI scale's.
    page.RemoveAllChildren();
    ImageBox* small = Add<ImageBox>("<imagebox id=\"s\" imageScale=\"0.05\"/>");
    ImageBox* large = Add<ImageBox>("<imagebox id=\"l\" imageScale=\"1.5\"/>");
    small->image = large->image = picture.get();
    engine.skinSettings.uiScale = 2.0f;
    EXPECT_EQ(200, small->GetMinimumHeight(1000));
    EXPECT_EQ(150, large->GetMinimumHeight(1000));
    engine.skinSettings.uiScale = 1.0f;
}

TEST_F(ImageBoxesTest, ReleaseRaisesTheCommandWithoutSoundWhereverItEnds)
{
    std::unique_ptr<TDibIG> picture = SolidImage(20, 20, kRed);
    ImageBox* box = Add<ImageBox>("<imagebox id=\"i\" left=\"10\" top=\"10\" width=\"50\" height=\"50\" "
                                  "pack=\"Start\" align=\"Start\" onCommand=\"tapped\" onCommandSound=\"tap\" "
                                  "backgroundPressed=\"#0000F8\"/>");
    box->image = picture.get();
    Layout();
    box->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(1, box->pressed);
    EXPECT_TRUE(Near(kBlue, engine.Frame().GetPixel(50, 50)));  // the pressed background
    box->OnMouseUp(400, 400, 0, nullptr);                        // far outside
    EXPECT_EQ(0, box->pressed);
    ASSERT_EQ(1u, page.raised.size());
    EXPECT_EQ("tapped", page.raised[0].name);
    EXPECT_TRUE(engine.sounds.empty());
    // Disabled, or without a command, a release raises nothing.
    box->enabled = 0;
    box->OnMouseDown(5, 5, 0, 0, 0);
    box->OnMouseUp(5, 5, 0, nullptr);
    box->enabled = 1;
    box->onCommand = "";
    box->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(1, box->pressed);
    box->OnMouseUp(5, 5, 0, nullptr);
    EXPECT_EQ(0, box->pressed);
    EXPECT_EQ(1u, page.raised.size());
}

TEST_F(ImageBoxesTest, ImageListShowsTheChosenFrameCentredAndNothingOutsideTheStrip)
{
    std::unique_ptr<TDibIG> strip = Strip(32, {kRed, kGreen, kBlue});
    ImageList* list = Add<ImageList>("<imagelist id=\"l\" left=\"0\" top=\"0\" width=\"100\" height=\"80\" "
                                     "selectedIndex=\"2\"/>");
    list->image = strip.get();
    Layout();
    EXPECT_EQ(Text({34, 24, 66, 56}), Text(Drawn(kBlue)));
    EXPECT_TRUE(Drawn(kRed).IsEmpty());
    const int before = engine.invalidations;
    list->SetSelectedIndex(-4);
    EXPECT_EQ(0, list->selectedIndex);
    EXPECT_GT(engine.invalidations, before);
    EXPECT_EQ(Text({34, 24, 66, 56}), Text(Drawn(kRed)));
    const int after = engine.invalidations;
    list->SetSelectedIndex(0);  // the same: no repaint asked
    EXPECT_EQ(after, engine.invalidations);
    // Frames past the strip, from the attribute or the setter, draw nothing.
    for (const char* index : {"3", "-1", "2147483647"}) {
        SCOPED_TRACE(index);
        list->SetAttribute("selectedIndex", index);
        EXPECT_TRUE(Drawn(kRed).IsEmpty() && Drawn(kGreen).IsEmpty() && Drawn(kBlue).IsEmpty());
    }
    list->SetSelectedIndex(1);
    list->SetAttribute("imageScale", "0.5");
    EXPECT_EQ(Text({42, 32, 58, 48}), Text(Drawn(kGreen)));
    EXPECT_STREQ("1", list->GetAttribute("selectedIndex").c_str());
    EXPECT_STREQ("0.5", list->GetAttribute("imageScale").c_str());
}

TEST_F(ImageBoxesTest, AnimatedBoxStepsOneFramePerTickOnTheVirtualClock)
{
    std::unique_ptr<TDibIG> strip = Strip(20, {kRed, kGreen, kBlue});
    Animated* spinner = Add<Animated>("<imageanimatedbox id=\"a\" left=\"0\" top=\"0\" width=\"60\" height=\"40\" "
                                      "frames=\"3\" timerInterval=\"10\"/>");
    EXPECT_EQ(1500, spinner->timerInterval);  // whatever the skin said
    EXPECT_FALSE(spinner->timerRunning);      // no image painted yet
    engine.Frame();
    EXPECT_FALSE(spinner->timerRunning);
    spinner->image = strip.get();
    Layout();
    engine.Frame();
    ASSERT_TRUE(spinner->timerRunning);
    // The frame at the box's centre, and when each change came.
    const std::vector<TColorIG> colours = {kRed, kGreen, kBlue};
    std::vector<int> shown, changedAt;
    int last = -1;
    const int start = engine.Now();
    while (engine.Now() - start < 4 * 1600) {
        if (spinner->currentFrame != last) {
            last = spinner->currentFrame;
            shown.push_back(last);
            changedAt.push_back(engine.Now() - start);
            EXPECT_TRUE(Near(colours[last], engine.Frame().GetPixel(30, 20))) << "frame " << last;
        }
        engine.Advance(50);
    }
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0, 1}), shown);
    for (size_t i = 1; i < changedAt.size(); ++i) {
        const int gap = changedAt[i] - changedAt[i - 1];
        EXPECT_GE(gap, 1500);
        EXPECT_LE(gap, 1550);
    }
}

TEST_F(ImageBoxesTest, AnimatedFramesNeverReadPastTheStrip)
{
    std::unique_ptr<TDibIG> strip = Strip(20, {kRed, kGreen, kBlue});
    Animated* spinner = Add<Animated>("<imageanimatedbox id=\"a\" left=\"0\" top=\"0\" width=\"60\" height=\"40\" "
                                      "frames=\"5\"/>");
    spinner->image = strip.get();
    Layout();
    // A count past the strip: frames 3 and 4 draw nothing, then it starts over.
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        spinner->OnTimer(1500, 0);
        seen.push_back(spinner->currentFrame);
        const bool inStrip = spinner->currentFrame < 3;
        EXPECT_EQ(inStrip, !Drawn(kRed).IsEmpty() || !Drawn(kGreen).IsEmpty() || !Drawn(kBlue).IsEmpty())
            << "frame " << spinner->currentFrame;
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 0, 1}), seen);
    // A count below 1 is one frame; a frame beyond a lowered count starts over.
    for (const char* frames : {"0", "-7"}) {
        spinner->SetAttribute("frames", frames);
        spinner->currentFrame = 0;
        spinner->OnTimer(1500, 0);
        EXPECT_EQ(0, spinner->currentFrame);
    }
    spinner->SetAttribute("frames", "2");
    spinner->currentFrame = 4;
    spinner->OnTimer(1500, 0);
    EXPECT_EQ(0, spinner->currentFrame);
    spinner->currentFrame = INT_MAX;
    engine.Frame();  // a huge frame index draws nothing, safely
    spinner->OnTimer(1500, 0);
    EXPECT_EQ(0, spinner->currentFrame);
}

class ZoomableTest : public ImageBoxesTest {
protected:
    Zoomable* Make(int w, int h, const std::string& attributes = "")
    {
        picture = SolidImage(w, h, kRed);
        Zoomable* z = Add<Zoomable>("<imagezoomeablebox id=\"z\" left=\"0\" top=\"0\" width=\"100\" height=\"100\" "
                                    "onCommand=\"viewChanged\" onCommandSound=\"zoom\" " +
                                    attributes + "/>");
        z->image = picture.get();
        Layout();
        return z;
    }
    std::unique_ptr<TDibIG> picture;
};

TEST_F(ZoomableTest, ZoomStepsStayWithinTheirLimits)
{
    Zoomable* z = Make(200, 100);
    enum Action { WheelUp, WheelDown, DoubleTap, In, Out };
    const struct {
        double from;
        Action action;
        int repeat;
        double to;
    } cases[] = {
        {0.95, WheelUp, 1, 1.05}, {1.0, WheelUp, 1, 1.3},   {1.0, WheelDown, 1, 0.7}, {0.5, WheelDown, 1, 0.4},
        {1.3, WheelDown, 1, 1.0}, {1.0, WheelUp, 20, 3.0},  {1.0, WheelDown, 20, 0.1}, {0.2, DoubleTap, 1, 0.1},
        {1.0, DoubleTap, 1, 0.7}, {2.98, In, 1, 3.0},        {1.0, In, 2, 1.1},         {0.12, Out, 1, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " action " + std::to_string(c.action));
        z->zoom = c.from;
        for (int i = 0; i < c.repeat; ++i) {
            switch (c.action) {
            case WheelUp: z->OnMouseWheel(50, 50, 120); break;
            case WheelDown: z->OnMouseWheel(50, 50, -120); break;
            case DoubleTap: z->OnMouseDoubleClick(50, 50, 0, 0); break;
            case In: z->ZoomIn(); break;
            case Out: z->ZoomOut(); break;
            }
            EXPECT_GE(z->zoom, 0.1);
            EXPECT_LE(z->zoom, 3.0);
        }
        EXPECT_NEAR(c.to, z->zoom, 1e-9);
    }
    // Each step recalculated, raising the command with its sound.
    EXPECT_EQ(page.raised.size(), engine.sounds.size());
    EXPECT_GE(page.raised.size(), 40u);
    // Without a picture nothing moves or is raised.
    z->image = nullptr;
    const size_t raised = page.raised.size();
    z->zoom = 1.0;
    z->OnMouseWheel(50, 50, 120);
    z->OnMouseDoubleClick(50, 50, 0, 0);
    z->ZoomIn();
    z->ViewFull();
    z->ViewOriginal();
    EXPECT_EQ(1.0, z->zoom);
    EXPECT_EQ(raised, page.raised.size());
}

TEST_F(ZoomableTest, DragPansAndThePictureKeepsCoveringTheView)
{
    Zoomable* z = Make(200, 100);  // at zoom 1: wider than the view, exactly as high
    z->OnMouseDown(50, 50, 1, 0, 0);
    EXPECT_EQ(0, z->pressed);  // another button starts nothing
    z->OnMouseDown(50, 50, 0, 0, 0);
    EXPECT_EQ(1, z->pressed);
    unsigned char handled = 0;
    const struct {
        int x, y;
        int panX, panY;
    } moves[] = {
        {80, 50, 30, 0},    // within the picture's slack
        {130, 70, 50, 0},   // the left edge stops at the view's; vertically no room
        {0, 50, -50, 0},    // the right edge stops at the view's
        {-40, 10, -50, 0},
    };
    for (const auto& m : moves) {
        z->OnMouseMove(m.x, m.y, 1, &handled, 0, 0);
        EXPECT_EQ(m.panX, z->panX) << m.x;
        EXPECT_EQ(m.panY, z->panY) << m.x;
    }
    z->OnMouseUp(-40, 10, 0, &handled);
    EXPECT_EQ(0, z->pressed);
    z->OnMouseMove(200, 200, 0, &handled, 0, 0);  // released: no pan
    EXPECT_EQ(-50, z->panX);
    // Smaller than the view: kept inside it.
    z->zoom = 0.5;  // 100 x 50
    z->panX = z->panY = 0;
    z->OnMouseDown(50, 50, 0, 0, 0);
    z->OnMouseMove(50, 90, 1, &handled, 0, 0);
    EXPECT_EQ(25, z->panY);  // bottom edge on the view's
    z->OnMouseMove(50, -30, 1, &handled, 0, 0);
    EXPECT_EQ(-25, z->panY);
    z->OnMouseUp(0, 0, 0, &handled);
    // The picture is drawn only inside the content.
    z->SetAttribute("padding", "10");
    z->zoom = 3.0;
    z->panX = z->panY = 0;
    z->Recalculate();
    Layout();
    EXPECT_EQ(Text({10, 10, 90, 90}), Text(Drawn(kRed)));
}

TEST_F(ZoomableTest, ViewFullAndViewOriginal)
{
    const struct {
        int w, h;
        double zoom;
    } cases[] = {{200, 100, 0.5}, {100, 400, 0.25}, {50, 50, 2.0}, {10, 10, 3.0}, {4000, 100, 0.1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        Zoomable* z = Make(c.w, c.h);
        z->panX = 17, z->panY = -9;
        z->ViewFull();
        EXPECT_NEAR(c.zoom, z->zoom, 1e-9);
        EXPECT_EQ(0, z->panX);
        EXPECT_EQ(0, z->panY);
        page.RemoveAllChildren();
    }
    Zoomable* z = Make(4000, 3000);
    z->zoom = 2.0, z->panX = 40;
    z->ViewOriginal();
    EXPECT_EQ(2048, picture->Width());
    EXPECT_EQ(1536, picture->AbsHeight());
    EXPECT_EQ(1.0, z->zoom);
    EXPECT_EQ(0, z->panY);
}

TEST_F(ImageBoxesTest, CompiledRecordsAndCopiesKeepEveryField)
{
    ImageBox box;
    box.SetAttribute("maintainAspect", "true");
    box.SetAttribute("imageScale", "1.25");
    box.SetAttribute("avoidAutoCalculateMinimumSize", "true");
    box.SetAttribute("maximizeImageSize", "yes");  // only "true" is true
    EXPECT_STREQ("true", box.GetAttribute("maintainAspect").c_str());
    EXPECT_STREQ("false", box.GetAttribute("maximizeImageSize").c_str());
    EXPECT_STREQ("1.25", box.GetAttribute("imageScale").c_str());
    ImageBox boxBack;
    ASSERT_TRUE(LoadedRecord(&engine, &page, boxBack, SavedRecord(box)));
    EXPECT_TRUE(boxBack.maintainAspect && boxBack.avoidAutoCalculateMinimumSize && !boxBack.maximizeImageSize);
    EXPECT_EQ(1.25f, boxBack.imageScale);

    Animated spinner;
    spinner.SetAttribute("maximizeImageSize", "true");
    spinner.SetAttribute("repeat", "true");
    spinner.SetAttribute("frames", "7");
    spinner.SetAttribute("imageScale", "2");  // its own scale
    EXPECT_EQ(0.0f, static_cast<ImageBox&>(spinner).imageScale);
    Animated spinnerBack;
    ASSERT_TRUE(LoadedRecord(&engine, &page, spinnerBack, SavedRecord(spinner)));
    EXPECT_TRUE(spinnerBack.maximizeImageSize && spinnerBack.repeat);
    EXPECT_EQ(7, spinnerBack.frames);
    EXPECT_EQ(2.0f, spinnerBack.imageScale);
    EXPECT_EQ(1500, spinnerBack.timerInterval);

    ImageList list;
    list.SetAttribute("selectedIndex", "4");
    list.SetAttribute("imageScale", "0.75");
    list.SetAttribute("maintainAspect", "true");
    ImageList listBack;
    ASSERT_TRUE(LoadedRecord(&engine, &page, listBack, SavedRecord(list)));
    EXPECT_EQ(4, listBack.selectedIndex);
    EXPECT_EQ(0.75f, listBack.imageScale);
    EXPECT_TRUE(listBack.maintainAspect);

    // The viewer writes the element record alone.
    Zoomable viewer;
    ImageBox plain;
    const size_t ownFields = 1 + 4 + 1 + 1;
    EXPECT_EQ(SavedRecord(plain).size() - ownFields - plain.tag.Length() + viewer.tag.Length(),
              SavedRecord(viewer).size());

    // A record cut anywhere in the own fields changes nothing.
    const std::vector<unsigned char> bytes = SavedRecord(list);
    for (size_t cut = 1; cut <= 9; ++cut) {
        std::vector<unsigned char> shorter(bytes.begin(), bytes.end() - cut);
        ImageList cutBack;
        EXPECT_FALSE(LoadedRecord(&engine, &page, cutBack, shorter)) << cut;
        EXPECT_EQ(0, cutBack.selectedIndex);
        EXPECT_EQ(0.0f, cutBack.imageScale);
    }
    // A scale no writer writes fails the record.
    std::vector<unsigned char> hostile = bytes;
    const float nan = std::nanf("");
    std::memcpy(&hostile[hostile.size() - 4], &nan, 4);
    ImageList hostileBack;
    EXPECT_FALSE(LoadedRecord(&engine, &page, hostileBack, hostile));
    EXPECT_EQ(0.0f, hostileBack.imageScale);

    // Copies and clones carry the same fields.
    std::unique_ptr<TPDAUIEngineElement> clone(spinner.Clone());
    auto* spinnerCopy = dynamic_cast<Animated*>(clone.get());
    ASSERT_NE(nullptr, spinnerCopy);
    EXPECT_TRUE(spinnerCopy->repeat && spinnerCopy->maximizeImageSize);
    EXPECT_EQ(7, spinnerCopy->frames);
    EXPECT_EQ(2.0f, spinnerCopy->imageScale);
    std::unique_ptr<TPDAUIEngineElement> listClone(list.Clone());
    auto* listCopy = dynamic_cast<ImageList*>(listClone.get());
    ASSERT_NE(nullptr, listCopy);
    EXPECT_EQ(4, listCopy->selectedIndex);
    EXPECT_EQ(0.75f, listCopy->imageScale);
}

TEST_F(ImageBoxesTest, FactoryMakesEveryTagWithItsDefaults)
{
    const struct {
        const char* tag;
        int pack, timer;
    } cases[] = {{"imagebox", 3, 0}, {"imageanimatedbox", 1, 50}, {"imagelist", 1, 50}, {"imagezoomeablebox", 3, 0}};
    for (const auto& c : cases) {
        std::unique_ptr<TPDAUIEngineElement> e(TPDAUIEngineElementFactory::CreateElementByTag(&engine, c.tag));
        ASSERT_NE(nullptr, e) << c.tag;
        EXPECT_STREQ(c.tag, e->tag.c_str());
        EXPECT_EQ(c.pack, e->pack) << c.tag;
        EXPECT_EQ(c.pack, e->align) << c.tag;
        EXPECT_EQ(c.timer, e->timerInterval) << c.tag;
    }
}

} // namespace
} // namespace controls

namespace {
using namespace controls;

// The fixture skin's image page as an application page drives it: the
// viewer's zoom commands come from the page.
class ImagesPage : public TPDAUIEngineElementPage {
public:
    explicit ImagesPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, "pageImages");
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name.IsEmpty() || c.name == "load")
            return;
        raised.push_back(c.name.c_str());
        auto* viewer = dynamic_cast<Zoomable*>(FindElement("izbViewer", false));
        if (c.name == "pictureTapped")
            viewer->ViewFull();
        if (c.name == "framesTapped") {
            auto* list = dynamic_cast<ImageList*>(FindElement("imlFrames", false));
            list->SetSelectedIndex((list->selectedIndex + 1) % 3);
        }
    }
    std::vector<std::string> raised;
};

TEST(ImagesSkinPage, ImageBoxesOnTheFixturePage)
{
    RegisterImageBoxElements(&TPDAUIEngineElementFactory::RegisterTag);
    ControlEngine engine;
    engine.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(engine.LoadSkin(name, "", "", "", error)) << error.c_str();
    std::unique_ptr<ImagesPage> owned(new ImagesPage(&engine));
    ImagesPage* page = owned.get();
    engine.OpenPage(page);
    engine.Advance(100);
    auto* viewer = dynamic_cast<Zoomable*>(page->FindElement("izbViewer", false));
    auto* list = dynamic_cast<ImageList*>(page->FindElement("imlFrames", false));
    auto* spinner = dynamic_cast<Animated*>(page->FindElement("iabSpinner", false));
    ASSERT_TRUE(viewer && list && spinner);
    ASSERT_NE(nullptr, viewer->image);
    ASSERT_NE(nullptr, spinner->image);
    EXPECT_TRUE(spinner->timerRunning);
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/image_boxes"));

    auto center = [&](const char* id) {
        const TRectIG r = page->FindElement(id, false)->GetScreenRect();
        return TPointIG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    const TPointIG v = center("izbViewer");
    page->SetFocus(viewer, false);  // the wheel goes to the focus
    engine.Wheel(v.x, v.y, -120);
    EXPECT_NEAR(1.3, viewer->zoom, 1e-9);
    engine.Press(v.x, v.y);
    engine.Move(v.x - 40, v.y);
    engine.Move(v.x - 80, v.y);
    engine.Release(v.x - 80, v.y);
    EXPECT_LT(viewer->panX, 0);
    const TPointIG f = center("imlFrames");
    engine.Tap(f.x, f.y);
    engine.Advance(100);
    EXPECT_EQ(0, list->selectedIndex);
    const TPointIG a = center("imgAspect");
    engine.Tap(a.x, a.y);
    engine.Advance(100);
    EXPECT_EQ(0, viewer->panX);
    engine.Advance(1600);
    EXPECT_EQ(1, spinner->currentFrame);
    EXPECT_EQ("framesTapped", page->raised.end()[-3]);
    EXPECT_EQ("pictureTapped", page->raised.end()[-2]);
    EXPECT_EQ("viewChanged", page->raised.back());  // ViewFull recalculates
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/image_boxes_after"));
    engine.pages.RemoveAll();
}

} // namespace

namespace {

TEST(ImagesSkinPage, TheCompiledPageHoldsWhatTheXmlGave)
{
    RegisterImageBoxElements(&TPDAUIEngineElementFactory::RegisterTag);
    ControlEngine engine;
    engine.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(engine.LoadSkin(name, "", "", "", error)) << error.c_str();
    ImagesPage fromXml(&engine);
    fromXml.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    testpaths::TempDir dir;
    const std::string file = dir / "pageImages.cpage";
    ASSERT_TRUE(fromXml.WriteCompiled(file.c_str()));
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TFicheroITVdatos stream(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineElementPage compiled(&engine);
    compiled.OnLoad(&engine, nullptr, nullptr, nullptr, &stream);
    ASSERT_FALSE(stream.Error());
    EXPECT_EQ(0u, stream.Restantes());

    auto* fill = dynamic_cast<ImageBox*>(compiled.FindElement("imgFill", false));
    auto* corner = dynamic_cast<ImageBox*>(compiled.FindElement("imgCorner", false));
    auto* list = dynamic_cast<ImageList*>(compiled.FindElement("imlFrames", false));
    auto* spinner = dynamic_cast<Animated*>(compiled.FindElement("iabSpinner", false));
    auto* viewer = dynamic_cast<Zoomable*>(compiled.FindElement("izbViewer", false));
    ASSERT_TRUE(fill && corner && list && spinner && viewer);
    EXPECT_TRUE(fill->maximizeImageSize && fill->maintainAspect && fill->avoidAutoCalculateMinimumSize);
    EXPECT_EQ(TPDAUIEngineElement::AlignEnd, fill->pack);
    EXPECT_EQ(1.5f, corner->imageScale);
    EXPECT_EQ(2, list->selectedIndex);
    EXPECT_EQ(2.0f, list->imageScale);
    EXPECT_EQ(3, spinner->frames);
    EXPECT_EQ(1500, spinner->timerInterval);
    EXPECT_STREQ("viewChanged", viewer->onCommand.c_str());
    EXPECT_STREQ("fixturePicture", viewer->imageName.c_str());
    compiled.Detach();
    fromXml.Detach();
}

} // namespace
