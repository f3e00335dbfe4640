#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "style_test_support.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"

namespace {

using namespace styletest;

using BG = TPDAUIEngineStyleBackground;

const TColorIG kKey = TColoresIG::F_Magenta;

// A 16-bit skin image painted by a function of the pixel.
std::unique_ptr<TDibIG> MakeImage(int w, int h, const std::function<TColorIG(int, int)>& paint,
                                  bool bottomUp = false)
{
    auto img = std::make_unique<TDibIG>();
    EXPECT_TRUE(img->Crea(w, h, 16, false, bottomUp));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img->SetPixel(x, y, paint(x, y));
    return img;
}

// Nine colours that survive RGB565, one per region of a 3 x 3 grid.
const TColorIG kRegion[3][3] = {
    {TColorIG(255, 0, 0), TColorIG(0, 255, 0), TColorIG(0, 0, 255)},
    {TColorIG(255, 255, 0), TColorIG(0, 255, 255), TColorIG(255, 255, 255)},
    {TColorIG(0, 0, 0), TColorIG(255, 130, 0), TColorIG(132, 130, 255)},
};

// A w x h image whose corners are c x c and whose regions carry kRegion.
std::unique_ptr<TDibIG> GridImage(int w, int h, int c)
{
    return MakeImage(w, h, [=](int x, int y) {
        int col = x < c ? 0 : (x < w - c ? 1 : 2);
        int row = y < c ? 0 : (y < h - c ? 1 : 2);
        return kRegion[row][col];
    });
}

// Distinct colours per pixel (RGB565-exact), for checking which source pixel lands where.
TColorIG Pattern(int x, int y) { return TColorIG((x * 40) & 0xF8, (y * 36) & 0xFC, 0x80); }

// A lookup over named test images.
struct Images {
    std::map<std::string, std::unique_ptr<TDibIG>> byName;
    std::vector<std::string> asked;
    BG::ImageLookup Lookup()
    {
        return [this](const char* name) -> TDibIG* {
            asked.push_back(name);
            auto it = byName.find(name);
            return it == byName.end() ? nullptr : it->second.get();
        };
    }
};

BG ImageBackground(int kind, TDibIG* image, int x = 0, int y = 0, int w = 0, int h = 0, int edge = 0)
{
    BG bg;
    bg.kind = kind;
    bg.image = image;
    bg.imageName = "test";
    bg.x = x;
    bg.y = y;
    bg.w = w;
    bg.h = h;
    bg.edge = edge;
    return bg;
}

} // namespace

// ---- Parsing ----

TEST(StyleBackgroundParseTest, TextForms)
{
    Images images;
    images.byName["pic"] = MakeImage(40, 30, Pattern);
    images.byName["up"] = MakeImage(20, 10, Pattern, true);  // bottom-up: negative height
    TDibIG* pic = images.byName["pic"].get();
    TDibIG* up = images.byName["up"].get();
    const int K = -7;  // parameters the text leaves alone keep this

    struct Case {
        const char* text;
        int kind;
        const char* name;
        TDibIG* image;
        int x, y, w, h, edge;
    } cases[] = {
        {"!pic", 6, "pic", pic, K, K, K, K, K},
        {"%%pic", 8, "pic", pic, K, K, K, K, K},
        {"%pic", 7, "pic", pic, K, K, K, K, K},
        {"$pic", 9, "pic", pic, K, K, K, K, K},
        {"??pic", 11, "pic", pic, K, K, K, K, K},
        {"?pic", 10, "pic", pic, K, K, K, K, K},
        {"\\pic", 12, "pic", pic, K, K, K, K, K},
        // Bar: four words set edge 8, a fifth sets it; no list takes the image size and 16.
        {"-pic(1 2 30 20)", 5, "pic", pic, 1, 2, 30, 20, 8},
        {"-pic(1 2 30 20 5)", 5, "pic", pic, 1, 2, 30, 20, 5},
        {"-pic(1  2 30 20 5 9)", 5, "pic", pic, 1, 2, 30, 20, 5},
        {"-pic", 5, "pic", pic, 0, 0, 40, 30, 16},
        {"-up", 5, "up", up, 0, 0, 20, 10, 16},
        {"-pic(1 2 3)", 5, "pic", pic, K, K, K, K, K},
        {"-pic(1 2 3 4", 5, "pic", pic, 0, 0, 40, 30, 16},  // no ")": the image size
        {"-nothing", 5, "nothing", nullptr, K, K, K, K, K},
        {"-nothing(1 2 3 4)", 5, "nothing", nullptr, 1, 2, 3, 4, 8},
        // Nine-slice: exactly four words; no list gives 16-pixel corners; no image stops.
        {"=pic(1 2 12 8)", 4, "pic", pic, 1, 2, 12, 8, K},
        {"=pic", 4, "pic", pic, 0, 0, 16, 16, K},
        {"=pic(1 2 3)", 4, "pic", pic, K, K, K, K, K},
        {"=pic(1 2 3 4 5)", 4, "pic", pic, K, K, K, K, K},
        {"=nothing(1 2 3 4)", 4, "nothing", nullptr, K, K, K, K, K},
        {"=nothing", 4, "nothing", nullptr, K, K, K, K, K},
        // Source rectangle: a "(" anywhere, the name before it.
        {"pic(3 4 10 12)", 3, "pic", pic, 3, 4, 10, 12, K},
        {"pic(x 4 10 12)", 3, "pic", pic, 0, 4, 10, 12, K},
        {"pic(3 4 10)", 3, "pic", pic, K, K, K, K, K},
        {"pic(3 4 10 12", 3, "pic", pic, K, K, K, K, K},
        // "(" is tested before "_", so a vertical bar never takes a list.
        {"_pic(1 2 3 4)", 3, "_pic", nullptr, 1, 2, 3, 4, K},
        {"_pic", 13, "pic", pic, K, K, K, K, K},
        // Markers count only as the first character.
        {"pic", 2, "pic", pic, 0, 0, 40, 30, K},
        {"up", 2, "up", up, 0, 0, 20, 10, K},
        {"a_b=c", 2, "a_b=c", nullptr, K, K, K, K, K},
        {"nothing", 2, "nothing", nullptr, K, K, K, K, K},
        // Earlier markers win over a later "(": the name keeps it.
        {"!pic(1 2 3 4)", 6, "pic(1 2 3 4)", nullptr, K, K, K, K, K},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BG bg;
        bg.x = bg.y = bg.w = bg.h = bg.edge = K;
        bg.ParseWith(c.text, images.Lookup());
        EXPECT_EQ(c.kind, bg.kind);
        EXPECT_EQ(DString(c.name), bg.imageName);
        EXPECT_EQ(c.image, bg.image);
        EXPECT_EQ(c.x, bg.x);
        EXPECT_EQ(c.y, bg.y);
        EXPECT_EQ(c.w, bg.w);
        EXPECT_EQ(c.h, bg.h);
        EXPECT_EQ(c.edge, bg.edge);
        // Nothing but the image is ever looked up, and at most once.
        EXPECT_LE(images.asked.size(), 1u);
        if (!images.asked.empty()) {
            EXPECT_EQ(std::string(c.name), images.asked[0]);
        }
        images.asked.clear();
    }
}

TEST(StyleBackgroundParseTest, ColourText)
{
    struct Case {
        const char* text;
        TColorIG colour;
        int alpha;
    } cases[] = {
        {"#FF0000", TColorIG(255, 0, 0), 255},
        {"#0000FF80", TColorIG(0, 0, 255), 128},
        {"#F80", TColorIG(255, 136, 0), 255},
        {"#nonsense", TColoresIG::F_White, 255},  // no colour: kind 1 with the colour kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BG bg;
        bg.imageName = "kept";
        bg.ParseWith(c.text, BG::ImageLookup());
        EXPECT_EQ(1, bg.kind);
        EXPECT_EQ(c.colour, bg.colour);
        EXPECT_EQ(c.alpha, bg.alpha);
        EXPECT_EQ(DString("kept"), bg.imageName);
    }
}

TEST(StyleBackgroundParseTest, NoneAndEmptyText)
{
    Images images;
    images.byName["pic"] = MakeImage(4, 4, Pattern);
    BG bg;
    bg.ParseWith("#102030", images.Lookup());
    bg.ParseWith("pic", images.Lookup());
    BG before = bg;
    bg.ParseWith("", images.Lookup());
    EXPECT_EQ(before.kind, bg.kind);
    EXPECT_EQ(before.imageName, bg.imageName);
    // "None" changes the kind only.
    bg.ParseWith("None", images.Lookup());
    EXPECT_EQ(0, bg.kind);
    EXPECT_EQ(TColorIG(0x10, 0x20, 0x30), bg.colour);
    EXPECT_EQ(DString("pic"), bg.imageName);
    EXPECT_EQ(images.byName["pic"].get(), bg.image);
    EXPECT_EQ(4, bg.w);
}

TEST(StyleBackgroundParseTest, WithoutAStoreNoImageIsKept)
{
    Images images;
    images.byName["pic"] = MakeImage(4, 4, Pattern);
    BG bg;
    bg.ParseWith("pic", images.Lookup());
    ASSERT_NE(nullptr, bg.image);
    bg.Parse("!other", nullptr);
    EXPECT_EQ(6, bg.kind);
    EXPECT_EQ(DString("other"), bg.imageName);
    EXPECT_EQ(nullptr, bg.image);
    // An empty name is never looked up.
    bg.ParseWith("!", images.Lookup());
    EXPECT_TRUE(images.asked.size() == 1);
    EXPECT_EQ(nullptr, bg.image);
}

TEST(StyleBackgroundParseTest, ImagesComeFromTheEnginesStore)
{
    // The fixture images folder stands in for a skin.
    TestEngine engine;
    engine.skinsFolder = testpaths::Fixture("").c_str();
    engine.skinSettings.skinName = "images";
    TDibIG* pattern = engine.resources.GetImage("pattern_rgb8");
    ASSERT_NE(nullptr, pattern);
    ASSERT_EQ(4, pattern->Width());

    BG bg;
    bg.Parse("-pattern_rgb8", &engine.resources);
    EXPECT_EQ(pattern, bg.image);
    EXPECT_EQ(4, bg.w);
    EXPECT_EQ(3, bg.h);
    EXPECT_EQ(16, bg.edge);
    bg.Parse("=pattern_rgb8(1 1 1 1)", &engine.resources);
    EXPECT_EQ(pattern, bg.image);
    EXPECT_EQ(1, bg.w);
    // Cells of a strip come through the store's "name[i,w,h]" form.
    bg.Parse("%pattern_rgb8[1,2,3]", &engine.resources);
    ASSERT_NE(nullptr, bg.image);
    EXPECT_EQ(2, bg.image->Width());
    EXPECT_EQ(pattern->GetPixel(2, 0), bg.image->GetPixel(0, 0));
    bg.Parse("no_such_image", &engine.resources);
    EXPECT_EQ(2, bg.kind);
    EXPECT_EQ(nullptr, bg.image);
    // Names that look like addresses find nothing.
    bg.Parse("0x12345678", &engine.resources);
    EXPECT_EQ(nullptr, bg.image);
}

// ---- Drawing ----

TEST(StyleBackgroundDrawTest, ColourFill)
{
    LiveSettings live;
    Canvas canvas(20, 10);
    BG bg;
    bg.ParseWith("#FF0000", BG::ImageLookup());
    bg.Draw(&canvas.dc, TRectIG(2, 3, 12, 8));
    EXPECT_EQ(TColorIG(255, 0, 0), canvas.At(2, 3));
    EXPECT_EQ(TColorIG(255, 0, 0), canvas.At(11, 7));
    EXPECT_EQ(kPaper, canvas.At(12, 7));
    EXPECT_EQ(kPaper, canvas.At(11, 8));
    EXPECT_EQ(50, canvas.Painted());

    // With alpha the colour is mixed over what is there.
    bg.ParseWith("#0000FF80", BG::ImageLookup());
    bg.Draw(&canvas.dc, TRectIG(14, 0, 20, 10));
    TColorIG mixed = canvas.At(15, 5);
    EXPECT_NEAR(32, mixed.R(), 2);
    EXPECT_NEAR(160, mixed.B(), 2);
}

TEST(StyleBackgroundDrawTest, NothingForEmptyRectNoneOrMissingImage)
{
    LiveSettings live;
    Canvas canvas(20, 20);
    auto img = MakeImage(4, 4, Pattern);
    BG bg;
    bg.ParseWith("#FF0000", BG::ImageLookup());
    bg.Draw(&canvas.dc, TRectIG(5, 5, 5, 10));
    bg.Draw(&canvas.dc, TRectIG(5, 5, 10, 4));
    bg.Draw(nullptr, TRectIG(0, 0, 10, 10));
    bg.kind = 0;
    bg.Draw(&canvas.dc, TRectIG(0, 0, 10, 10));
    for (int kind = 2; kind <= 13; ++kind) {
        BG missing = ImageBackground(kind, nullptr, 0, 0, 4, 4, 1);
        missing.Draw(&canvas.dc, TRectIG(0, 0, 20, 20));
    }
    TDibIG empty;
    for (int kind = 2; kind <= 13; ++kind) {
        BG hollow = ImageBackground(kind, &empty, 0, 0, 4, 4, 1);
        hollow.Draw(&canvas.dc, TRectIG(0, 0, 20, 20));
    }
    BG unknown = ImageBackground(99, img.get());
    unknown.Draw(&canvas.dc, TRectIG(0, 0, 20, 20));
    EXPECT_EQ(0, canvas.Painted());
}

TEST(StyleBackgroundDrawTest, TransparentColourIsKeyedOut)
{
    LiveSettings live;
    Canvas canvas(10, 10);
    auto img = MakeImage(4, 4, [](int x, int y) { return x == 1 && y == 1 ? kKey : Pattern(x, y); });
    ImageBackground(7, img.get()).Draw(&canvas.dc, TRectIG(2, 2, 3, 3));
    EXPECT_EQ(img->GetPixel(0, 0), canvas.At(2, 2));
    EXPECT_EQ(kPaper, canvas.At(3, 3));
    // Kind 7 is not clipped to the rectangle.
    EXPECT_EQ(img->GetPixel(3, 3), canvas.At(5, 5));
}

TEST(StyleBackgroundDrawTest, NineSliceKeepsCornersAndTheLeftColumnAsymmetry)
{
    LiveSettings live;
    Canvas canvas(70, 40);
    auto img = GridImage(40, 40, 8);
    const TRectIG r(5, 5, 65, 35);
    ImageBackground(4, img.get(), 0, 0, 8, 8).Draw(&canvas.dc, r);
    // Corners unscaled (8 x 8), edges and centre stretched.
    EXPECT_EQ(kRegion[0][0], canvas.At(5, 5));
    EXPECT_EQ(kRegion[0][0], canvas.At(12, 12));
    EXPECT_EQ(kRegion[0][1], canvas.At(13, 5));
    EXPECT_EQ(kRegion[0][2], canvas.At(57, 5));
    EXPECT_EQ(kRegion[1][1], canvas.At(35, 20));
    EXPECT_EQ(kRegion[1][2], canvas.At(64, 20));
    // The left column ends one pixel higher: row 26 is bottom-left on the left
    // but still the right edge on the right.
    EXPECT_EQ(kRegion[1][0], canvas.At(5, 25));
    EXPECT_EQ(kRegion[2][0], canvas.At(5, 26));
    EXPECT_EQ(kRegion[1][2], canvas.At(64, 26));
    EXPECT_EQ(kRegion[2][2], canvas.At(64, 27));
    EXPECT_EQ(kRegion[2][1], canvas.At(35, 34));
    EXPECT_EQ(kPaper, canvas.At(65, 20));
    EXPECT_EQ(kPaper, canvas.At(35, 35));
    EXPECT_EQ(60 * 30, canvas.Painted());
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/nineslice"));
}

TEST(StyleBackgroundDrawTest, NineSliceSmallImagesAndSmallRectangles)
{
    LiveSettings live;
    Canvas canvas(200, 60);
    auto img24 = GridImage(24, 24, 10);
    auto img8 = GridImage(8, 8, 3);
    auto img1 = MakeImage(1, 1, [](int, int) { return TColorIG(0, 255, 0); });
    // 24 x 24: 10-pixel corners whatever the list says; 12 high gives corners 5 high.
    ImageBackground(4, img24.get(), 0, 0, 2, 2).Draw(&canvas.dc, TRectIG(5, 5, 45, 17));
    EXPECT_EQ(img24->GetPixel(0, 0), canvas.At(5, 5));
    EXPECT_EQ(img24->GetPixel(9, 4), canvas.At(14, 9));   // top-left: source (0,0,10,5) unscaled
    EXPECT_EQ(img24->GetPixel(23, 23), canvas.At(44, 16));
    // Images smaller than their corners, and a 1-pixel image.
    ImageBackground(4, img8.get()).Draw(&canvas.dc, TRectIG(55, 5, 85, 35));
    ImageBackground(4, img1.get()).Draw(&canvas.dc, TRectIG(95, 5, 125, 35));
    // Rectangles of one pixel each way, and a shifted one.
    ImageBackground(4, img24.get()).Draw(&canvas.dc, TRectIG(135, 5, 175, 6));
    ImageBackground(4, img24.get()).Draw(&canvas.dc, TRectIG(135, 10, 136, 30));
    BG shifted = ImageBackground(4, img24.get());
    shifted.offsetX = 3;
    shifted.offsetY = 20;
    shifted.Draw(&canvas.dc, TRectIG(140, 5, 180, 35));
    EXPECT_EQ(img24->GetPixel(0, 0), canvas.At(143, 25));
    // Nothing lands outside the rectangles (the shifted one moved by its offset).
    for (int y = 0; y < 60; ++y) {
        EXPECT_EQ(kPaper, canvas.At(4, y));
        EXPECT_EQ(kPaper, canvas.At(50, y));
        EXPECT_EQ(kPaper, canvas.At(125, y));
    }
    for (int x = 135; x < 176; ++x)
        EXPECT_EQ(kPaper, canvas.At(x, 6));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/nineslice_small"));
}

TEST(StyleBackgroundDrawTest, TilesCoverTheRectangleOnly)
{
    LiveSettings live;
    Canvas canvas(100, 40);
    auto tile = MakeImage(7, 5, Pattern);
    auto wide = MakeImage(40, 6, Pattern);
    auto big = MakeImage(40, 30, Pattern);
    // Tiles from the rectangle's corner, cut at its sides.
    const TRectIG r(3, 4, 33, 24);
    ImageBackground(6, tile.get()).Draw(&canvas.dc, r);
    EXPECT_EQ(tile->GetPixel(2, 1), canvas.At(3 + 7 + 2, 4 + 5 + 1));
    EXPECT_EQ(tile->GetPixel(29 % 7, 19 % 5), canvas.At(32, 23));
    EXPECT_EQ(kPaper, canvas.At(33, 10));
    EXPECT_EQ(kPaper, canvas.At(10, 24));
    EXPECT_EQ(30 * 20, canvas.Painted());
    // Wider than the rectangle: whole rows.
    ImageBackground(6, wide.get()).Draw(&canvas.dc, TRectIG(40, 4, 70, 24));
    EXPECT_EQ(wide->GetPixel(29, 1), canvas.At(69, 23));
    EXPECT_EQ(wide->GetPixel(0, 0), canvas.At(40, 16));
    EXPECT_EQ(kPaper, canvas.At(70, 10));
    // Wider and higher: the top-left part, unscaled.
    ImageBackground(6, big.get()).Draw(&canvas.dc, TRectIG(75, 4, 95, 14));
    EXPECT_EQ(big->GetPixel(19, 9), canvas.At(94, 13));
    EXPECT_EQ(kPaper, canvas.At(94, 14));
    EXPECT_EQ(TRectIG(), canvas.dc.GetClipRect());
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/tiles"));
}

TEST(StyleBackgroundDrawTest, TilesKeepTheCallersClip)
{
    LiveSettings live;
    Canvas canvas(40, 40);
    auto tile = MakeImage(3, 3, Pattern);
    const TRectIG clip(10, 10, 20, 20);
    canvas.dc.SelectClipRect(clip);
    ImageBackground(6, tile.get()).Draw(&canvas.dc, TRectIG(0, 0, 40, 40));
    EXPECT_EQ(clip, canvas.dc.GetClipRect());
    EXPECT_EQ(100, canvas.Painted());
    EXPECT_EQ(tile->GetPixel(1, 1), canvas.At(10, 10));  // the grid starts at the rectangle
    canvas.dc.Fin_SelectClipRgn();
}

TEST(StyleBackgroundDrawTest, TilesOverAHugeRectangleDrawOnlyWhatShows)
{
    LiveSettings live;
    Canvas canvas(50, 50);
    auto dot = MakeImage(1, 1, [](int, int) { return TColorIG(255, 255, 0); });
    const auto start = std::chrono::steady_clock::now();
    ImageBackground(6, dot.get()).Draw(&canvas.dc, TRectIG(INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(2500, canvas.Painted());
    // Only the 2500 visible tiles are drawn (a few hundred ms even with sanitizers).
    EXPECT_LT(took, std::chrono::seconds(10));
}

TEST(StyleBackgroundDrawTest, Bars)
{
    LiveSettings live;
    Canvas canvas(100, 50);
    // Columns 0-17 a pattern, 18-23 the middle colour, 24-29 the cap.
    auto bar = MakeImage(30, 10, [](int x, int y) {
        if (x >= 24)
            return TColorIG(255, 0, 0);
        if (x >= 18)
            return TColorIG(0, 0, 255);
        return Pattern(x, y);
    });
    ImageBackground(5, bar.get(), 0, 0, 30, 10, 6).Draw(&canvas.dc, TRectIG(0, 0, 80, 10));
    EXPECT_EQ(bar->GetPixel(0, 0), canvas.At(0, 0));
    EXPECT_EQ(bar->GetPixel(23, 9), canvas.At(23, 9));
    EXPECT_EQ(kPaper, canvas.At(24, 5));  // the middle starts one pixel after the left part
    EXPECT_EQ(TColorIG(0, 0, 255), canvas.At(25, 5));
    EXPECT_EQ(TColorIG(0, 0, 255), canvas.At(72, 5));
    EXPECT_EQ(kPaper, canvas.At(73, 5));  // and ends one pixel before the cap
    EXPECT_EQ(TColorIG(255, 0, 0), canvas.At(74, 5));
    EXPECT_EQ(TColorIG(255, 0, 0), canvas.At(79, 9));
    EXPECT_EQ(kPaper, canvas.At(79, 10));

    // The cap's columns count from 0, not from x: with x = 6 the left part
    // starts at column 6 while the cap is still columns 18-23 (w - edge .. w).
    ImageBackground(5, bar.get(), 6, 0, 24, 10, 6).Draw(&canvas.dc, TRectIG(0, 12, 80, 22));
    EXPECT_EQ(bar->GetPixel(6, 0), canvas.At(0, 12));
    EXPECT_EQ(TColorIG(0, 0, 255), canvas.At(79, 15));

    // An image narrower than two caps, and a rectangle narrower than the parts.
    ImageBackground(5, bar.get(), 0, 0, 10, 10, 8).Draw(&canvas.dc, TRectIG(0, 24, 80, 34));
    ImageBackground(5, bar.get(), 0, 0, 30, 10, 6).Draw(&canvas.dc, TRectIG(85, 24, 95, 34));
    // Hostile numbers draw nothing harmful.
    ImageBackground(5, bar.get(), INT_MAX, INT_MIN, INT_MAX, INT_MAX, INT_MIN).Draw(&canvas.dc, TRectIG(0, 36, 80, 46));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/bar"));
}

TEST(StyleBackgroundDrawTest, BarScaled)
{
    LiveSettings live(1.5f);
    Canvas canvas(100, 20);
    auto bar = MakeImage(30, 10, [](int x, int y) {
        return x >= 24 ? TColorIG(255, 0, 0) : (x >= 18 ? TColorIG(0, 0, 255) : Pattern(x, y));
    });
    ImageBackground(5, bar.get(), 0, 0, 30, 10, 6).Draw(&canvas.dc, TRectIG(0, 0, 90, 10));
    // Left part 24 x 1.5 = 36 wide, all parts 15 high; the cap stays 6 wide.
    EXPECT_EQ(bar->GetPixel(23, 9), canvas.At(35, 14));
    EXPECT_EQ(kPaper, canvas.At(36, 5));
    EXPECT_EQ(TColorIG(0, 0, 255), canvas.At(37, 5));
    EXPECT_EQ(TColorIG(0, 0, 255), canvas.At(82, 14));
    EXPECT_EQ(kPaper, canvas.At(83, 5));
    EXPECT_EQ(TColorIG(255, 0, 0), canvas.At(84, 5));
    EXPECT_EQ(kPaper, canvas.At(84, 15));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/bar_scaled"));
}

TEST(StyleBackgroundDrawTest, PlacedKinds)
{
    LiveSettings live(2.0f);
    Canvas canvas(120, 40);
    auto img = MakeImage(5, 8, Pattern);
    auto small = MakeImage(4, 3, Pattern);
    // 2: whole image stretched; 3: a part stretched.
    ImageBackground(2, img.get()).Draw(&canvas.dc, TRectIG(0, 0, 10, 16));
    EXPECT_EQ(img->GetPixel(4, 7), canvas.At(9, 15));
    ImageBackground(3, img.get(), 1, 2, 2, 2).Draw(&canvas.dc, TRectIG(12, 0, 16, 4));
    EXPECT_EQ(img->GetPixel(1, 2), canvas.At(12, 0));
    EXPECT_EQ(img->GetPixel(2, 3), canvas.At(15, 3));
    // 8: scaled by the UI scale at the top-left.
    ImageBackground(8, img.get()).Draw(&canvas.dc, TRectIG(20, 0, 40, 30));
    EXPECT_EQ(img->GetPixel(4, 7), canvas.At(29, 15));
    EXPECT_EQ(kPaper, canvas.At(30, 15));
    // 9: scaled and centred: (20 - 10) / 2 and (30 - 16) / 2.
    ImageBackground(9, img.get()).Draw(&canvas.dc, TRectIG(42, 0, 62, 30));
    EXPECT_EQ(img->GetPixel(0, 0), canvas.At(47, 7));
    EXPECT_EQ(kPaper, canvas.At(46, 7));
    EXPECT_EQ(img->GetPixel(4, 7), canvas.At(56, 22));
    // 10: natural size at the bottom-left, its top cut at the rectangle's top.
    ImageBackground(10, img.get()).Draw(&canvas.dc, TRectIG(64, 10, 74, 16));
    EXPECT_EQ(img->GetPixel(0, 2), canvas.At(64, 10));
    EXPECT_EQ(img->GetPixel(4, 7), canvas.At(68, 15));
    EXPECT_EQ(kPaper, canvas.At(64, 9));
    // 11: scaled at the bottom-left: 16 high in 6, source from row (16 - 6) / 2.
    ImageBackground(11, img.get()).Draw(&canvas.dc, TRectIG(76, 10, 90, 16));
    EXPECT_EQ(img->GetPixel(0, 5), canvas.At(76, 10));
    EXPECT_EQ(kPaper, canvas.At(86, 12));
    // 12: the last column, row and pixel stretched over the rest.
    ImageBackground(12, small.get()).Draw(&canvas.dc, TRectIG(92, 0, 102, 8));
    EXPECT_EQ(small->GetPixel(3, 0), canvas.At(101, 0));
    EXPECT_EQ(small->GetPixel(0, 2), canvas.At(92, 7));
    EXPECT_EQ(small->GetPixel(3, 2), canvas.At(101, 7));
    EXPECT_EQ(small->GetPixel(1, 1), canvas.At(93, 1));
    // 12 in a rectangle smaller than the image: the whole image squeezed into it.
    ImageBackground(12, small.get()).Draw(&canvas.dc, TRectIG(104, 0, 106, 2));
    EXPECT_NE(kPaper, canvas.At(105, 1));
    EXPECT_EQ(kPaper, canvas.At(106, 1));
    EXPECT_EQ(kPaper, canvas.At(105, 2));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/placed"));
}

TEST(StyleBackgroundDrawTest, VerticalThreeSlice)
{
    LiveSettings live;
    Canvas canvas(30, 30);
    auto img = MakeImage(6, 9, Pattern);
    auto one = MakeImage(1, 1, [](int, int) { return TColorIG(255, 255, 0); });
    auto two = MakeImage(3, 2, Pattern);
    // c = 9 / 2 - 1 = 3: caps of 3 rows, the middle rows 3-5 stretched.
    ImageBackground(13, img.get()).Draw(&canvas.dc, TRectIG(0, 0, 20, 30));
    EXPECT_EQ(img->GetPixel(5, 2), canvas.At(5, 2));
    EXPECT_EQ(img->GetPixel(0, 3), canvas.At(0, 3));
    EXPECT_EQ(img->GetPixel(0, 8), canvas.At(0, 29));
    EXPECT_EQ(img->GetPixel(0, 6), canvas.At(0, 27));
    EXPECT_EQ(kPaper, canvas.At(6, 10));  // natural width, not the rectangle's
    // A 1-pixel image fills its column; nothing above or below the rectangle.
    ImageBackground(13, one.get()).Draw(&canvas.dc, TRectIG(22, 5, 30, 25));
    EXPECT_EQ(TColorIG(255, 255, 0), canvas.At(22, 5));
    EXPECT_EQ(TColorIG(255, 255, 0), canvas.At(22, 24));
    EXPECT_EQ(kPaper, canvas.At(22, 4));
    EXPECT_EQ(kPaper, canvas.At(22, 25));
    ImageBackground(13, two.get()).Draw(&canvas.dc, TRectIG(25, 5, 30, 25));
    EXPECT_EQ(kPaper, canvas.At(26, 4));
    EXPECT_EQ(kPaper, canvas.At(26, 25));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/vertical"));
}

TEST(StyleBackgroundDrawTest, HostileNumbersStayInsideTheBitmaps)
{
    LiveSettings live(1.5f);
    Canvas canvas(30, 30);
    auto img = MakeImage(5, 5, Pattern);
    const int values[] = {INT_MIN, -1, 0, 1, INT_MAX};
    for (int kind = 2; kind <= 13; ++kind)
        for (int v : values) {
            const int minus = v == INT_MIN ? INT_MAX : -v;
            BG bg = ImageBackground(kind, img.get(), v, minus, v, v, minus);
            bg.offsetX = v;
            bg.offsetY = v;
            bg.Draw(&canvas.dc, TRectIG(0, 0, 30, 30));
            bg.Draw(&canvas.dc, TRectIG(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
            bg.Draw(&canvas.dc, TRectIG(-100, -100, 1, 1));
        }
    SUCCEED();  // the sanitizers watch the arithmetic and the blits
}

// ---- Compiled form ----

TEST(StyleBackgroundCompiledTest, LayoutAndBmpName)
{
    LiveSettings live;
    BG bg = ImageBackground(5, nullptr, 1, -2, 300, 4, 5);
    bg.imageName = "bar.bmp";
    bg.colour = TColorIG(1, 2, 3);
    bg.alpha = 200;
    const Bytes bytes = Written([&](TFicheroITV& f) { bg.WriteCompiled(f); });
    const Bytes expected = {
        5,                                        // kind
        1, 2, 3, 0,                               // colour
        8, 0, 0, 0, 'b', 'a', 'r', '.', 'c', 'b', 'm', 'p',  // name
        200,                                      // alpha
        1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0x2C, 1, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0,  // x y w h edge
    };
    EXPECT_EQ(expected, bytes);
    EXPECT_EQ(DString("bar.bmp"), bg.imageName);  // the value itself keeps its name
}

TEST(StyleBackgroundCompiledTest, RoundTripAtEachScale)
{
    auto img = MakeImage(4, 4, Pattern);
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        LiveSettings live(scale);
        BG bg = ImageBackground(4, img.get(), 3, 4, 12, 8, 16);
        bg.imageName = "frame.png";
        bg.colour = TColorIG(9, 8, 7);
        bg.alpha = 33;
        bg.offsetX = 5;
        const Bytes bytes = Written([&](TFicheroITV& f) { bg.WriteCompiled(f); });
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        BG back;
        back.image = img.get();
        back.ReadCompiled(in);
        EXPECT_FALSE(in.Error());
        EXPECT_EQ(0u, in.Restantes());
        EXPECT_EQ(4, back.kind);
        EXPECT_EQ(TColorIG(9, 8, 7), back.colour);
        EXPECT_EQ(DString("frame.png"), back.imageName);
        EXPECT_EQ(33, back.alpha);
        EXPECT_EQ(3, back.x);
        EXPECT_EQ(4, back.y);
        EXPECT_EQ(12, back.w);
        EXPECT_EQ(8, back.h);
        EXPECT_EQ(16, back.edge);
        // Neither the image nor the shift travels: the loader looks the image up.
        EXPECT_EQ(nullptr, back.image);
        EXPECT_EQ(0, back.offsetX);
    }
}

TEST(StyleBackgroundCompiledTest, TruncatedStreamFailsCleanly)
{
    const Bytes bytes = {1, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    BG bg;
    bg.ReadCompiled(in);
    EXPECT_TRUE(in.Error());
    EXPECT_EQ(1, bg.kind);
    EXPECT_EQ(TColorIG(255, 0, 0), bg.colour);
    EXPECT_TRUE(bg.imageName.IsEmpty());
    EXPECT_EQ(0, bg.x | bg.y | bg.w | bg.h | bg.edge | bg.alpha);
}
