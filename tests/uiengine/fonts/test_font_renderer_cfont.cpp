#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "enginelib/base/DUString.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"
#include "tools/cfont/CFontFromFreeType.h"
#include "tools/cfont/CFontWriter.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererCFONT.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

using Renderer = TPDAUIEngineFontRendererCFONT;

const int kWordBreak = 0x10;
const int kCalcRect = 0x400;
const int kEllipsis = 0x40000;
const int kRight = 0x2;
const int kCenter = 0x1;

// The fixture font: every glyph is a block of full ink as tall as the line.
// Widths (ink columns) and advances are chosen per code so that layouts are
// easy to work out by hand.
struct Cell {
    int cols;
    int advance;
};

Cell CellOf(int code)
{
    if (code == ' ')
        return {0, 3};
    if (code == '.')
        return {1, 2};
    if (code == '-')
        return {2, 3};
    if (code == '~')  // three columns of ink 40, 80 and 200
        return {3, 4};
    if (code == 0x301)  // a combining mark
        return {2, 0};
    return {4, 5};
}

// Ranges of the fixture: codes 0..255 and Hebrew (regular), Arabic
// presentation forms (regular and, with bold, the Latin range in bold).
void AddRange(CFontWriter::Height& h, int first, bool bold)
{
    CFontWriter::Range r(first, bold);
    for (int code = first; code < first + 256; ++code) {
        const Cell c = CellOf(code);
        std::vector<uint8_t> ink(size_t(std::max(1, c.cols) * h.px), 255);
        if (code == '~')
            for (int y = 0; y < h.px; ++y) {
                ink[size_t(y * 3)] = 40;
                ink[size_t(y * 3 + 1)] = 80;
                ink[size_t(y * 3 + 2)] = 200;
            }
        if (c.cols == 0)
            r.Blank(code, h.px, c.advance);
        else
            r.Place(code, c.cols, h.px, ink.data(), c.cols, c.advance);
    }
    h.ranges.push_back(std::move(r));
}

CFontWriter FixtureFont(std::vector<int> pxs, bool withBold = false)
{
    CFontWriter f;
    for (int px : pxs) {
        CFontWriter::Height h;
        h.px = px;
        AddRange(h, 0x0000, false);
        AddRange(h, 0x0300, false);
        AddRange(h, 0x0500, false);
        AddRange(h, 0xFE00, false);
        if (withBold)
            AddRange(h, 0x0000, true);
        f.heights.push_back(std::move(h));
    }
    return f;
}

std::string Write(const testpaths::TempDir& dir, const std::string& name,
                  const std::vector<uint8_t>& bytes)
{
    const std::string path = dir / name;
    EXPECT_TRUE(CFontWriter::Save(path, bytes));
    return path;
}

TPDAUIEngineStyleFont Font(int size, bool bold = false)
{
    TPDAUIEngineStyleFont f;
    f.size = size;
    f.bold = bold;
    return f;
}

std::string Narrow(const DUString& text) { return text.ToDString(65001).c_str(); }

// A white 24-bit canvas and a context painting into it.
struct Canvas {
    explicit Canvas(int w = 120, int h = 40)
    {
        dib.Crea(w, h, 24);
        dib.Fill(TColorIG(255, 255, 255));
        dc.BeginPaintDib(&dib);
    }
    ~Canvas() { dc.EndPaintDib(); }
    bool Ink(int x, int y) const { return dib.GetPixel(x, y) != TColorIG(255, 255, 255); }
    // Columns holding any ink, in rows from..to-1.
    std::vector<int> InkColumns(int from = 0, int to = -1) const
    {
        std::vector<int> cols;
        for (int x = 0; x < dib.Width(); ++x)
            for (int y = from; y < (to < 0 ? dib.AbsHeight() : to); ++y)
                if (Ink(x, y)) {
                    cols.push_back(x);
                    break;
                }
        return cols;
    }
    TRectIG InkBox() const
    {
        TRectIG box(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                if (Ink(x, y)) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box;
    }
    TDibIG dib;
    IDC dc;
};

class CfontTest : public ::testing::Test {
protected:
    CfontTest() : previous_(TPDAUIEngineSkinSettings::Current())
    {
        TPDAUIEngineSkinSettings::SetCurrent(&settings);
    }
    ~CfontTest() override { TPDAUIEngineSkinSettings::SetCurrent(previous_); }

    // A renderer over the fixture font with these heights.
    std::unique_ptr<Renderer> Load(std::vector<int> pxs = {10, 14}, bool withBold = false)
    {
        const std::string path = Write(dir, "Fixture.cfont", FixtureFont(pxs, withBold).Bytes());
        return std::make_unique<Renderer>(path.c_str(), dir.path().c_str());
    }

    // The laid-out text and extent of text in the 10-pixel height.
    std::string LayOut(Renderer& r, const std::u16string& text, int flags, int maxWidth,
                       int maxLines, int* width = nullptr, int* height = nullptr,
                       std::vector<int>* lines = nullptr)
    {
        DUString wide(text.c_str());
        int w = 0, h = 0;
        r.Layout(r.FindHeight(10), Font(10), wide, flags, maxWidth, lines, maxLines, w, h);
        if (width)
            *width = w;
        if (height)
            *height = h;
        return Narrow(wide);
    }

    TPDAUIEngineSkinSettings settings;
    testpaths::TempDir dir;

private:
    TPDAUIEngineSkinSettings* previous_;
};

// ---- reading the file ----

TEST_F(CfontTest, LoadsTheFixtureAndInflatesRangesOnFirstUse)
{
    auto r = Load({10, 14});
    ASSERT_TRUE(r->valid) << r->loadError.c_str();
    EXPECT_EQ(r->family, "Fixture");
    ASSERT_EQ(r->heights.Count(), 2);
    EXPECT_EQ(r->heights[0]->px, 10);
    EXPECT_EQ(r->heights[1]->px, 14);
    ASSERT_EQ(r->fileNames.Count(), 1);
    EXPECT_EQ(r->fileNames[0], "Fixture.cfont");

    const int before = r->GetMemoryUsage();
    EXPECT_EQ(before, 84 + 2 * 32 + 8 * 2072);
    int w = 0, h = 0;
    r->GetTextExtent(w, h, Font(10), "ab", 0, 0);
    EXPECT_EQ(w, 10);
    EXPECT_EQ(h, 10);
    const Renderer::Range* latin = r->heights[0]->ranges[0];
    ASSERT_NE(latin->image, nullptr);
    EXPECT_EQ(r->GetMemoryUsage(), before + latin->imageSize);
    for (int i = 1; i < r->heights[0]->ranges.Count(); ++i)
        EXPECT_EQ(r->heights[0]->ranges[i]->image, nullptr) << "range " << i;
}

TEST_F(CfontTest, IsFoundInTheBaseFolderBesideItsOwn)
{
    testpaths::TempDir root;
    ASSERT_EQ(mkdir((root / "skin").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((root / "base").c_str(), 0755), 0);
    CFontWriter::Save(root / "base/Fixture.cfont", FixtureFont({10}).Bytes());
    Renderer r((root / "skin/Fixture.cfont").c_str(), "");
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.path, (root / "base/Fixture.cfont").c_str());
}

TEST_F(CfontTest, EveryTruncationIsInvalidAndNamesTheFile)
{
    const std::vector<uint8_t> whole = FixtureFont({10, 14}).Bytes();
    for (size_t n = 0; n < whole.size(); ++n) {
        Renderer r(nullptr, nullptr);
        EXPECT_FALSE(r.Parse(whole.data(), uint32_t(n), "cut.cfont")) << n << " bytes";
        EXPECT_FALSE(r.valid);
        EXPECT_TRUE(r.loadError.StartsWith("cut.cfont: ")) << r.loadError.c_str();
        EXPECT_EQ(r.heights.Count(), 0);
    }
    Renderer r(nullptr, nullptr);
    EXPECT_TRUE(r.Parse(whole.data(), uint32_t(whole.size()), "whole.cfont"));
}

TEST_F(CfontTest, InconsistentFilesAreInvalid)
{
    const std::vector<uint8_t> good = FixtureFont({10, 14}).Bytes();
    // Offsets of fields in the fixture: header 6, height count, first height.
    const size_t heightCount = 6, px0 = 10, rangeCount0 = 14, range0 = 18;
    const size_t compressed0 = range0 + 5 + 2048, imageSize0 = compressed0 + 4;
    auto put = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        const char* message;
    } cases[] = {
        {"huge height count", heightCount, 0x7FFFFFFF, "height count"},
        {"negative height count", heightCount, 0xFFFFFFFF, "height count"},
        {"zero pixel height", px0, 0, "pixel height"},
        {"negative pixel height", px0, 0xFFFFFFF0, "pixel height"},
        {"heights out of order", px0, 30, "ascending"},
        {"huge range count", rangeCount0, 0x10000000, "range count"},
        {"negative range count", rangeCount0, 0x80000000, "range count"},
        {"compressed size past the end", compressed0, 0x7FFFFFF0, "compressed image"},
        {"negative compressed size", compressed0, 0xFFFFFFFF, "compressed image"},
        {"image size not whole rows", imageSize0, 1000, "image size"},
        {"huge image size", imageSize0, 0x40000000, "image size"},
        {"wrong trailer", good.size() - 4, 0x21212121, "trailer"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        put(bytes, c.at, c.value);
        Renderer r(nullptr, nullptr);
        EXPECT_FALSE(r.Parse(bytes.data(), uint32_t(bytes.size()), "bad.cfont")) << c.what;
        EXPECT_TRUE(r.loadError.Contains(c.message)) << c.what << ": " << r.loadError.c_str();
        EXPECT_TRUE(r.loadError.StartsWith("bad.cfont: ")) << c.what;
    }
}

TEST_F(CfontTest, MissingFileIsInvalidWithItsName)
{
    Renderer r((dir / "Nowhere.cfont").c_str(), "");
    EXPECT_FALSE(r.valid);
    EXPECT_TRUE(r.loadError.Contains("Nowhere.cfont")) << r.loadError.c_str();
}

TEST_F(CfontTest, GlyphsOutsideTheirImageDrawNoInk)
{
    CFontWriter f = FixtureFont({10});
    CFontWriter::Glyph& g = f.heights[0].ranges[0].glyphs['a'];
    g.srcY = 30000;  // rows far below the image
    CFontWriter::Glyph& wide = f.heights[0].ranges[0].glyphs['b'];
    wide.srcX = 254;  // columns past 256
    Renderer r(Write(dir, "Odd.cfont", f.Bytes()).c_str(), "");
    ASSERT_TRUE(r.valid);
    Canvas c;
    TRectIG rect(0, 0, 100, 20);
    EXPECT_EQ(r.DrawText(&c.dc, Font(10), TColorIG(0, 0, 0), nullptr, "ab", rect, 0, -1), 1);
    EXPECT_TRUE(c.InkColumns().empty());
}

TEST_F(CfontTest, AnImageThatDoesNotInflateDrawsBoxesUntilItDoes)
{
    std::vector<uint8_t> bytes = FixtureFont({10}).Bytes();
    // The first range's deflated block starts after its two sizes.
    const size_t block = 18 + 5 + 2048 + 8;
    const std::vector<uint8_t> saved(bytes.begin() + long(block), bytes.begin() + long(block) + 8);
    std::memset(&bytes[block], 0xAB, 8);
    const std::string path = Write(dir, "Broken.cfont", bytes);
    Renderer r(path.c_str(), "");
    ASSERT_TRUE(r.valid);
    Canvas broken;
    TRectIG rect(0, 0, 100, 20);
    r.DrawText(&broken.dc, Font(10), TColorIG(0, 0, 0), nullptr, "a", rect, 0, -1);
    // The crossed box: half the size wide, its diagonals inside.
    EXPECT_EQ(broken.InkColumns(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(broken.Ink(3, 5) || broken.Ink(4, 5)) << "diagonals";
    EXPECT_EQ(r.heights[0]->ranges[0]->image, nullptr);

    std::copy(saved.begin(), saved.end(), bytes.begin() + long(block));
    CFontWriter::Save(path, bytes);
    Canvas fixed;
    r.DrawText(&fixed.dc, Font(10), TColorIG(0, 0, 0), nullptr, "a", rect, 0, -1);
    EXPECT_EQ(fixed.InkColumns(), (std::vector<int>{1, 2, 3, 4}));
}

// ---- sizes ----

TEST_F(CfontTest, SizesSnapToTheFilesHeights)
{
    auto r = Load({10, 14, 20});
    const struct {
        int size, adjusted, drawnWith;
    } cases[] = {{14, 14, 14}, {15, 14, 20}, {8, 10, 10}, {30, 20, 20}, {10, 10, 10}, {19, 14, 20}};
    for (const auto& c : cases) {
        TPDAUIEngineStyleFont f = Font(c.size);
        r->AdjustFont(f);
        EXPECT_EQ(f.size, c.adjusted) << c.size;
        EXPECT_EQ(r->FindHeight(c.size)->px, c.drawnWith) << c.size;
    }
    settings.fontSizeIncrement = 10;
    TPDAUIEngineStyleFont small = Font(12);
    r->AdjustFont(small);
    EXPECT_EQ(small.size, 12) << "too small to adjust";
}

TEST_F(CfontTest, TextTooSmallForTheSkinIsNeitherMeasuredNorDrawn)
{
    auto r = Load({10, 14});
    settings.fontSizeIncrement = 10;
    const struct {
        int size;
        bool rtl;
        bool drawn;
    } cases[] = {{12, false, false}, {13, false, true}, {13, true, false}, {16, true, true}};
    settings.fontSizeIncrementRTL = 3;
    for (const auto& c : cases) {
        settings.rightToLeft = c.rtl;
        Canvas canvas;
        TRectIG rect(0, 0, 100, 30);
        EXPECT_EQ(r->DrawText(&canvas.dc, Font(c.size), TColorIG(0, 0, 0), nullptr, "ab", rect, 0, -1),
                  c.drawn ? 1 : 0)
            << c.size << (c.rtl ? " rtl" : "");
        int w = 0, h = 0;
        r->GetTextExtent(w, h, Font(c.size), "ab", 0, 0);
        EXPECT_EQ(w > 0, c.drawn) << c.size;
    }
}

TEST_F(CfontTest, FitFontSizeTakesTheLargestHeightThatFits)
{
    auto r = Load({10, 14, 20});
    // "abcd" is 20 wide at every height; lines are px high.
    const struct {
        const char* text;
        int width, height;
        int expected;
    } cases[] = {
        {"abcd", 100, 100, 20}, {"abcd", 100, 15, 14}, {"abcd", 100, 5, 10},
        {"abcd", 10, 100, 10},  {"ab\ncd", 100, 30, 14},
    };
    for (const auto& c : cases)
        EXPECT_EQ(r->FitFontSize(Font(12), c.text, TRectIG(0, 0, c.width, c.height), kWordBreak, -1),
                  c.expected)
            << c.text << " in " << c.width << "x" << c.height;
}

// ---- layout ----

TEST_F(CfontTest, LayoutWrapsEllipsesAndKeepsVisibleCharacters)
{
    auto r = Load();
    // Letters advance 5, blanks 3, "-" 3, "." 2.
    const struct {
        const char16_t* text;
        int flags, maxWidth, maxLines;
        const char* laidOut;
        int width, height;
    } cases[] = {
        {u"ab cd", 0, 0, -1, "ab cd", 23, 10},
        {u"ab cd", kWordBreak, 15, -1, "ab\ncd", 13, 20},
        {u"ab-cd", kWordBreak, 15, -1, "ab-\ncd", 13, 20},  // the hyphen stays
        {u"abZcd", kWordBreak, 17, -1, "abZ\ncd", 15, 20},   // and so does the Z
        {u"ab cd ef", kWordBreak, 15, 2, "ab\ncd ef", 23, 20},
        {u"ab", kWordBreak, 15, -1, "ab", 10, 10},
        // One overlong word: dots within maxWidth, the rest blanks.
        {u"abcdefghij", kEllipsis, 22, -1, "abc...    ", 22, 10},
        // Dots never run past the text.
        {u"abcde", kEllipsis, 12, -1, "a... ", 12, 10},
        {u"ab", kEllipsis, 8, -1, "..", 8, 10},
        // A glyph wider than the line stays on its own line; no endless wrapping.
        {u"a b c", kWordBreak, 3, -1, "a\nb\nc", 8, 30},
    };
    for (const auto& c : cases) {
        int w = 0, h = 0;
        EXPECT_EQ(LayOut(*r, c.text, c.flags, c.maxWidth, c.maxLines, &w, &h), c.laidOut)
            << Narrow(DUString(c.text)) << " in " << c.maxWidth;
        EXPECT_EQ(w, c.width) << Narrow(DUString(c.text));
        EXPECT_EQ(h, c.height) << Narrow(DUString(c.text));
    }
}

TEST_F(CfontTest, LineWidthsAreCollectedPerLine)
{
    auto r = Load();
    std::vector<int> lines;
    LayOut(*r, u"ab cd e\nabc", kWordBreak, 15, -1, nullptr, nullptr, &lines);
    EXPECT_EQ(lines, (std::vector<int>{10, 10, 5, 15}));
}

TEST_F(CfontTest, RightToLeftTextIsShapedAndReversed)
{
    auto r = Load();
    settings.rightToLeft = 1;
    // Lam, alef, beh: the lam-alef ligature, beh isolated, a blank at the end; then display order.
    EXPECT_EQ(LayOut(*r, u"\u0644\u0627 \u0628", 0, 0, -1),
              Narrow(DUString(u" \uFE8F \uFEFB")));
    // Each wrapped line is reversed on its own.
    EXPECT_EQ(LayOut(*r, u"\u05D0\u05D1 \u05D2\u05D3", kWordBreak, 15, -1),
              Narrow(DUString(u"\u05D1\u05D0\n\u05D3\u05D2")));
}

TEST_F(CfontTest, LongTextsWrapAtEveryLine)
{
    auto r = Load();
    std::u16string text;
    for (int i = 0; i < 20000; ++i)
        text += u"ab-";
    int w = 0, h = 0;
    const std::string out = LayOut(*r, text, kWordBreak, 40, -1, &w, &h);
    // Three "ab-" (39 pixels) a line; the last line holds the remaining two.
    const std::string line = "ab-ab-ab-\n";
    ASSERT_EQ(out.size(), 60000u + 6666u);
    for (size_t i = 0; i + line.size() <= out.size(); i += line.size())
        ASSERT_EQ(out.compare(i, line.size(), line), 0) << "line at " << i;
    EXPECT_EQ(w, 39);
    EXPECT_EQ(h, 10 * 6667);
}

// ---- drawing ----

TEST_F(CfontTest, DrawsAtThePenWithPlacementFlags)
{
    auto r = Load();
    const struct {
        int flags;
        std::vector<int> columns;
    } cases[] = {
        {0, {1, 2, 3, 4}},
        {kRight, {96, 97, 98, 99}},  // pen at left + 1 + (100 - 5)
        {kCenter, {48, 49, 50, 51}},
    };
    for (const auto& c : cases) {
        Canvas canvas;
        TRectIG rect(0, 0, 100, 20);
        r->DrawText(&canvas.dc, Font(10), TColorIG(0, 0, 0), nullptr, "a", rect, c.flags, -1);
        EXPECT_EQ(canvas.InkColumns(), c.columns) << c.flags;
    }
}

TEST_F(CfontTest, CoverageBelowTheThresholdIsNotDrawn)
{
    auto r = Load();
    Canvas c;
    TRectIG rect(0, 0, 100, 20);
    r->DrawText(&c.dc, Font(10), TColorIG(0, 0, 0), nullptr, "~", rect, 0, -1);
    EXPECT_EQ(c.dib.GetPixel(1, 0), TColorIG(255, 255, 255));  // ink 40: not drawn
    EXPECT_EQ(c.dib.GetPixel(2, 0).R(), 255 - 55);              // ink 80 drawn as 55
    EXPECT_EQ(c.dib.GetPixel(3, 0).R(), 255 - 200);
}

TEST_F(CfontTest, ShadowAndBorderColours)
{
    auto r = Load();
    const struct {
        bool shadowed, bordered;
        TColorIG colour;
        int x, y;
        TColorIG expected;
    } cases[] = {
        // The shadow: one pixel right and down, in the negative colour at opacity 200.
        {true, false, TColorIG(0, 0, 255), 5, 10, TColorIG()},
        // Borders: white around dark colours, black around light ones.
        {false, true, TColorIG(0, 0, 0), 5, 5, TColorIG(255, 255, 255)},
        {false, true, TColorIG(200, 200, 200), 5, 5, TColorIG(0, 0, 0)},
        {false, true, TColorIG(200, 200, 200), 0, 5, TColorIG(0, 0, 0)},
    };
    for (const auto& c : cases) {
        Canvas canvas;
        canvas.dib.Fill(TColorIG(128, 128, 128));
        TPDAUIEngineStyleFont f = Font(10);
        f.shadowed = c.shadowed;
        f.bordered = c.bordered;
        TRectIG rect(0, 0, 100, 20);
        r->DrawText(&canvas.dc, f, c.colour, nullptr, "a", rect, 0, -1);
        const TColorIG got = canvas.dib.GetPixel(c.x, c.y);
        if (c.shadowed) {
            // 200 of the negative over grey.
            EXPECT_NEAR(got.R(), (255 * 200 + 128 * 55) / 255, 2);
            EXPECT_NEAR(got.B(), (0 * 200 + 128 * 55) / 255, 2);
        } else {
            EXPECT_EQ(got, c.expected) << c.x << "," << c.y;
        }
        EXPECT_EQ(canvas.dib.GetPixel(2, 5), c.colour) << "the glyph itself";
    }
}

TEST_F(CfontTest, MissingCharactersDrawCrossedBoxes)
{
    auto r = Load({10}, /*withBold=*/false);
    const struct {
        const char16_t* text;
        bool bold;
    } cases[] = {{u"\u4E00", false}, {u"a", true}};
    for (const auto& c : cases) {
        Canvas canvas;
        TRectIG rect(0, 0, 100, 20);
        const DUString wide(c.text);
        r->DrawText(&canvas.dc, Font(10, c.bold), TColorIG(0, 0, 0), nullptr,
                    CDString(wide.ToDString(65001)), rect, 0, -1);
        EXPECT_EQ(canvas.InkColumns(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
        EXPECT_TRUE(canvas.Ink(1, 10)) << "box reaches the size";
        EXPECT_TRUE(canvas.Ink(4, 5)) << "diagonals";
    }
}

TEST_F(CfontTest, MeasureOnlySetsTheRectangle)
{
    auto r = Load();
    Canvas canvas;
    TRectIG rect(10, 5, 25, 100);
    EXPECT_EQ(r->DrawText(&canvas.dc, Font(10), TColorIG(0, 0, 0), nullptr, "ab cd", rect,
                          kWordBreak | kCalcRect, -1),
              1);
    EXPECT_EQ(rect, TRectIG(10, 5, 23, 25));
    EXPECT_TRUE(canvas.InkColumns().empty());
}

TEST_F(CfontTest, WrappedLinesStopAtMaxLinesAndTheBottom)
{
    auto r = Load();
    const struct {
        int maxLines, bottom;
        int lastInkRow;
    } cases[] = {{-1, 40, 29}, {2, 40, 19}, {-1, 22, 19}};
    for (const auto& c : cases) {
        Canvas canvas;
        TRectIG rect(0, 0, 15, c.bottom);
        r->DrawText(&canvas.dc, Font(10), TColorIG(0, 0, 0), nullptr, "ab cd ef", rect,
                    kWordBreak, c.maxLines);
        EXPECT_EQ(canvas.InkBox().bottom - 1, c.lastInkRow) << c.maxLines << " " << c.bottom;
    }
}

TEST_F(CfontTest, UnderlinedTextHasARowUnderEachLine)
{
    auto r = Load();
    Canvas plain, underlined;
    TPDAUIEngineStyleFont f = Font(10);
    TRectIG rect(0, 0, 15, 40);
    r->DrawText(&plain.dc, f, TColorIG(0, 0, 0), nullptr, "a  b", rect, 0, -1);
    f.underline = true;
    r->DrawText(&underlined.dc, f, TColorIG(0, 0, 0), nullptr, "a  b", rect, 0, -1);
    // Between the letters only the underline has ink.
    EXPECT_FALSE(plain.Ink(7, 8));
    EXPECT_TRUE(underlined.Ink(7, 8));
}

TEST_F(CfontTest, TurnedTextFillsTheTurnedArea)
{
    auto r = Load();
    for (int orientation : {90, -90}) {
        Canvas canvas(60, 60);
        TPDAUIEngineStyleFont f = Font(10);
        f.orientation = orientation;
        TRectIG rect(20, 0, 40, 60);
        r->DrawText(&canvas.dc, f, TColorIG(0, 0, 0), nullptr, "abc", rect, 0, -1);
        const TRectIG box = canvas.InkBox();
        // Three glyphs along the height, one line high across.
        EXPECT_GE(box.Height(), 14) << orientation;
        EXPECT_LE(box.Width(), 11) << orientation;
        int w = 0, h = 0;
        r->GetTextExtent(w, h, f, "abc", 0, 0);
        EXPECT_EQ(w, 10) << orientation;
        EXPECT_EQ(h, 15) << orientation;
    }
}

TEST_F(CfontTest, SimplifiedCharactersLeaveTheCallersTextAlone)
{
    auto r = Load();
    DString text("\xc3\xa9t\xc3\xa9", 5, 65001);  // "été"
    TPDAUIEngineStyleFont f = Font(10);
    f.simplifyCharacters = true;
    Canvas canvas;
    TRectIG rect(0, 0, 100, 20);
    r->DrawText(&canvas.dc, f, TColorIG(0, 0, 0), nullptr, text, rect, 0, -1);
    EXPECT_EQ(std::string(text.c_str()), "\xc3\xa9t\xc3\xa9");
}

// ---- drawing glyphs ----

// Glyphs as they were drawn before coverage blits: SetPixel for each pixel.
void DrawGlyphPixelByPixel(IDC& dc, const Renderer::Range& range, const Renderer::Glyph& g,
                           const TRectIG& dst, TColorIG colour, int orientation, int opacity)
{
    if (!range.Inside(g))
        return;
    const int cols = g.w + 2, rows = g.h + 1;
    auto blend = [&](int x, int y, int v, bool plain) {
        int coverage = (plain || opacity == 255) ? 255 - v : opacity - v;
        if (coverage <= 50)
            return;
        if (coverage < 100)
            coverage -= 25;
        dc.SetPixel(x, y, colour, coverage);
    };
    for (int r = 0; r < rows; ++r) {
        const uint8_t* src = range.image + (g.srcY + r) * 256 + g.srcX;
        if (orientation == 90) {
            for (int c = 0; c < cols; ++c)
                blend(dst.right - r, dst.top + c, src[c], true);
        } else if (orientation == -90) {
            for (int c = 0; c < cols; ++c)
                blend(dst.left + r, dst.bottom - c, src[c], true);
        } else {
            const int y = dst.top + r;
            if (y > dst.bottom)
                break;
            const int last = std::min(cols, dst.right - dst.left + 1);
            for (int c = 0; c < last; ++c)
                blend(dst.left + c, y, src[c], false);
        }
    }
}

TEST_F(CfontTest, GlyphBlitsDrawWhatPixelByPixelDrawingDid)
{
    // A 16 x 16 cell holding every grey once; cells of the range's glyphs are
    // cut from it. Where the image is not written every grey is too faint to draw.
    Renderer::Range range;
    range.imageSize = 256 * 18;
    range.image = new uint8_t[size_t(range.imageSize)];
    for (int i = 0; i < range.imageSize; ++i)
        range.image[i] = uint8_t(205 + i % 51);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            range.image[(1 + r) * 256 + 5 + c] = uint8_t((r * 16 + c) * 13);
    range.image[17 * 256 + 40] = 0;  // one speck of ink at the bottom right of its cell
    auto glyph = [&](int code, int srcX, int srcY, int w, int h) {
        Renderer::Glyph& g = range.glyphs[code];
        g.srcX = int16_t(srcX);
        g.srcY = int16_t(srcY);
        g.w = int8_t(w);
        g.h = int8_t(h);
        return &g;
    };
    Renderer::Glyph loose;  // not one of the range's own
    loose.srcX = 7;
    loose.srcY = 3;
    loose.w = 9;
    loose.h = 9;
    const struct {
        const char* name;
        const Renderer::Glyph* g;
    } glyphs[] = {
        {"every grey", glyph('a', 5, 1, 14, 15)},
        {"a few columns", glyph('b', 5, 1, 1, 4)},
        {"no ink", glyph('c', 30, 1, 10, 15)},
        {"a speck", glyph('d', 30, 2, 9, 15)},
        {"a glyph of no range", &loose},
    };
    const int W = 40, H = 30;
    const struct {
        const char* name;
        TRectIG dst;  // right and bottom inclusive, as DrawText makes it
    } places[] = {
        {"inside", {10, 6, 25, 21}},
        {"across the left edge", {-7, 6, 8, 21}},
        {"across the right edge", {W - 9, 3, W + 6, 18}},
        {"across the top edge", {12, -10, 27, 5}},
        {"across the bottom edge", {4, H - 4, 19, H + 11}},
        {"over the top-left corner", {-12, -12, 3, 3}},
        {"over the bottom-right corner", {W - 2, H - 3, W + 13, H + 12}},
        {"wholly off", {W + 3, 2, W + 18, 17}},
        {"box narrower and lower than the glyph", {10, 6, 17, 12}},
        {"inverted box", {10, 6, 5, 3}},
    };
    const TColorIG colour(20, 200, 90);
    for (const int bpp : {16, 24, 32})
        for (const auto& place : places)
            for (const int orientation : {0, 90, -90, 180})
                for (const int opacity : {255, 200, 120, 300})
                    for (const bool clipped : {false, true})
                        for (const auto& glyph : glyphs) {
                            TDibIG fast, slow;
                            for (TDibIG* d : {&fast, &slow}) {
                                d->Crea(W, H, bpp);
                                for (int y = 0; y < H; ++y)
                                    for (int x = 0; x < W; ++x)
                                        d->SetPixel(x, y, TColorIG(x * 6, y * 8, (x + y) * 3));
                            }
                            IDC a, b;
                            a.BeginPaintDib(&fast);
                            b.BeginPaintDib(&slow);
                            if (clipped) {
                                a.SelectClipRect(TRectIG(8, 9, 30, 20));
                                b.SelectClipRect(TRectIG(8, 9, 30, 20));
                            }
                            Renderer r("", "");
                            r.DrawGlyph(&a, range, *glyph.g, place.dst, colour, orientation, opacity);
                            DrawGlyphPixelByPixel(b, range, *glyph.g, place.dst, colour, orientation,
                                                  opacity);
                            a.EndPaintDib();
                            b.EndPaintDib();
                            bool same = true;
                            for (int y = 0; y < H && same; ++y)
                                same = std::memcmp(fast.Row(y), slow.Row(y), size_t(W * bpp / 8)) == 0;
                            EXPECT_TRUE(same) << bpp << " bits, " << place.name << ", turned "
                                              << orientation << ", opacity " << opacity
                                              << (clipped ? ", clipped" : "")
                                              << ", " << glyph.name;
                        }
}

TEST_F(CfontTest, GlyphInkIsFoundAgainWhenTheCellOrTheImageChanges)
{
    // Ink in a block of the image only; every cell below reaches into it.
    auto image = [](int from, int to) {
        uint8_t* im = new uint8_t[256 * 20];
        std::memset(im, 255, 256 * 20);
        for (int r = 4; r < 13; ++r)
            for (int c = from; c < to; ++c)
                im[r * 256 + c] = uint8_t((r * 7 + c * 3) % 200);
        return im;
    };
    const struct {
        const char* name;
        void (*change)(Renderer::Range&, Renderer::Glyph&);
    } changes[] = {
        {"moved right", [](Renderer::Range&, Renderer::Glyph& g) { g.srcX = int16_t(g.srcX + 5); }},
        {"moved down", [](Renderer::Range&, Renderer::Glyph& g) { g.srcY = int16_t(g.srcY + 3); }},
        {"narrower", [](Renderer::Range&, Renderer::Glyph& g) { g.w = int8_t(g.w - 3); }},
        {"shorter", [](Renderer::Range&, Renderer::Glyph& g) { g.h = int8_t(g.h - 4); }},
        {"another image", [](Renderer::Range& r, Renderer::Glyph&) {
             uint8_t* replaced = new uint8_t[256 * 20];  // made first: not at the old address
             std::memset(replaced, 255, 256 * 20);
             replaced[12 * 256 + 6] = 0;
             delete[] r.image;
             r.image = replaced;
         }},
    };
    for (const auto& change : changes) {
        Renderer::Range range;
        range.imageSize = 256 * 20;
        range.image = image(8, 14);
        Renderer::Glyph& g = range.glyphs['x'];
        g.srcX = 6;
        g.srcY = 2;
        g.w = 6;
        g.h = 10;
        Renderer r("", "");
        Canvas first(40, 30);
        TRectIG dst(5, 5, 5 + g.w + 1, 5 + g.h);
        r.DrawGlyph(&first.dc, range, g, dst, TColorIG(0, 0, 0), 0, 255);  // the ink is kept
        change.change(range, g);
        Canvas fast(40, 30), slow(40, 30);
        dst = TRectIG(5, 5, 5 + g.w + 1, 5 + g.h);
        r.DrawGlyph(&fast.dc, range, g, dst, TColorIG(0, 0, 0), 0, 255);
        DrawGlyphPixelByPixel(slow.dc, range, g, dst, TColorIG(0, 0, 0), 0, 255);
        bool same = true;
        for (int y = 0; y < 30 && same; ++y)
            same = std::memcmp(fast.dib.Row(y), slow.dib.Row(y), 40 * 3) == 0;
        EXPECT_TRUE(same) << change.name;
        EXPECT_NE(fast.InkBox(), first.InkBox()) << change.name << ": the change shows";
    }
}

// ---- the font manager ----

TEST_F(CfontTest, TheManagerLoadsBitmapFontsAndFallsBackToTrueType)
{
    const std::string path = Write(dir, "Fixture.cfont", FixtureFont({10}).Bytes());
    TPDAUIEngineFontManager m;
    std::vector<std::string> tried;
    static std::vector<std::string>* seen;
    seen = &tried;
    m.makeTrueTypeRenderer = [](const char* p, const char*) -> TPDAUIEngineFontManager::TFontRenderer* {
        seen->push_back(p);
        return nullptr;
    };
    m.makeSystemRenderer = m.makeTrueTypeRenderer;
    EXPECT_TRUE(m.AddFont(path.c_str(), ""));
    EXPECT_TRUE(m.HasCFONTFont());
    EXPECT_EQ(m.IndexOf("fixture"), 0);
    EXPECT_TRUE(tried.empty());

    EXPECT_FALSE(m.AddFont((dir / "Missing.cfont").c_str(), ""));
    EXPECT_EQ(tried, (std::vector<std::string>{dir / "Missing.ttf", dir / "Missing.ttf"}));
}

// ---- fonts made by the generator ----

std::string SkinFont() { return testpaths::SourceDir() + "/skins/default/DejaVuSans.cfont"; }

// Draws text with FreeType at the pixel size the generator used for px, blended
// the same way, and compares the ink boxes.
TEST_F(CfontTest, GeneratedFontDrawsLikeFreeType)
{
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    const std::string ttf = testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf";
    ASSERT_EQ(FT_New_Face(library, ttf.c_str(), 0, &face), 0);
    Renderer r(SkinFont().c_str(), "");
    ASSERT_TRUE(r.valid) << r.loadError.c_str();
    for (int px : {16, 20, 26}) {
        const char* text = "Hamburg Ag";
        Canvas bitmap(200, 40), direct(200, 40);
        TRectIG rect(0, 0, 200, 40);
        r.DrawText(&bitmap.dc, Font(px), TColorIG(0, 0, 0), nullptr, text, rect, 0, -1);

        CFontFromFreeType::SetPixelSize(face, px);
        const int baseline = CFontFromFreeType::Baseline(face, px);
        int penX = 1;
        long darkness = 0, bitmapDarkness = 0;
        for (const char* p = text; *p; ++p) {
            ASSERT_EQ(FT_Load_Char(face, FT_ULong(*p), FT_LOAD_RENDER | FT_LOAD_NO_BITMAP), 0);
            const FT_Bitmap& b = face->glyph->bitmap;
            const int left = penX + std::max(0, face->glyph->bitmap_left);
            for (int y = 0; y < int(b.rows); ++y)
                for (int x = 0; x < int(b.width); ++x)
                    direct.dc.SetPixel(left + x, baseline - face->glyph->bitmap_top + y,
                                       TColorIG(0, 0, 0), b.buffer[y * b.pitch + x]);
            penX += int((face->glyph->advance.x + 32) >> 6);
        }
        const TRectIG a = bitmap.InkBox(), d = direct.InkBox();
        EXPECT_NEAR(a.left, d.left, 1) << px;
        EXPECT_NEAR(a.top, d.top, 1) << px;
        EXPECT_NEAR(a.right, d.right, 1) << px;
        EXPECT_NEAR(a.bottom, d.bottom, 1) << px;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x) {
                darkness += 255 - direct.dib.GetPixel(x, y).R();
                bitmapDarkness += 255 - bitmap.dib.GetPixel(x, y).R();
            }
        // The thresholds take the faintest edges only.
        EXPECT_NEAR(double(bitmapDarkness) / double(darkness), 1.0, 0.1) << px;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

TEST_F(CfontTest, GoldenRenderings)
{
    Renderer r(SkinFont().c_str(), "");
    ASSERT_TRUE(r.valid) << r.loadError.c_str();
    const struct {
        const char* name;
        const char* text;
        bool rtl;
        int flags;
        int width;
    } cases[] = {
        {"cfont/latin_wrap", "Route to Hamburg-Altona via the A7", false, kWordBreak, 150},
        {"cfont/latin_ellipsis", "Kreuzungsbereich Niederrad", false, kEllipsis, 120},
        {"cfont/hebrew_wrap", "\xd7\xa4\xd7\xa0\xd7\x94 \xd7\x99\xd7\x9e\xd7\x99\xd7\xa0\xd7\x94 "
                              "\xd7\x91\xd7\xa2\xd7\x95\xd7\x93 \xd7\x9e\xd7\x98\xd7\xa8",
         true, kWordBreak, 90},
        {"cfont/arabic_ellipsis", "\xd8\xa7\xd9\x84\xd8\xb7\xd8\xb1\xd9\x8a\xd9\x82 "
                                  "\xd8\xa7\xd9\x84\xd8\xb3\xd8\xb1\xd9\x8a\xd8\xb9 "
                                  "\xd8\xa7\xd9\x84\xd8\xb4\xd9\x85\xd8\xa7\xd9\x84\xd9\x8a",
         true, kEllipsis, 110},
    };
    for (const auto& c : cases) {
        settings.rightToLeft = c.rtl;
        Canvas canvas(c.width + 2, 44);
        TRectIG rect(0, 0, c.width, 44);
        const DString text(c.text, int(std::strlen(c.text)), 65001);
        EXPECT_EQ(r.DrawText(&canvas.dc, Font(16), TColorIG(0, 0, 0), nullptr, text, rect,
                             c.flags | (c.rtl ? kRight : 0), -1),
                  1)
            << c.name;
        EXPECT_TRUE(golden::Matches(canvas.dib, c.name)) << c.name;
    }
}

} // namespace
