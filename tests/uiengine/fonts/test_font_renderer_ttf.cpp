#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "enginelib/base/DUString.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"
#include "uiengine/fonts/TPDAUIEngineRichText.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

namespace fs = std::filesystem;
typedef TPDAUIEngineFontRendererTTF TTF;

std::string SkinFont(const char* name) { return testpaths::SourceDir() + "/skins/default/" + name; }

// Right-to-left handling and the size increments, as the settings hook gives them.
struct HookSettings {
    int increment = 0;
    bool rtl = false;
    int incrementRTL = 0;
};
HookSettings g_hook;
void Hook(void*, int& increment, uint8_t& rtl, int& incrementRTL)
{
    increment = g_hook.increment;
    rtl = g_hook.rtl;
    incrementRTL = g_hook.incrementRTL;
}

// Images the rich text asks for.
std::map<std::string, TDibIG*> g_images;
TDibIG* RequestImage(void*, const char* name)
{
    auto it = g_images.find(name);
    return it == g_images.end() ? nullptr : it->second;
}

std::unique_ptr<TDibIG> Solid(int w, int h, TColorIG c)
{
    std::unique_ptr<TDibIG> image(new TDibIG());
    EXPECT_TRUE(image->Crea(w, h, 16));
    image->Fill(c);
    return image;
}

std::string Narrow(const DUString& text)
{
    std::string out;
    for (char16_t c : text.Text())
        out += c < 128 ? char(c) : '?';
    return out;
}

// The skin's DejaVu Sans (with its bold face) through a font manager.
class TTFTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hook = HookSettings();
        TTF::SetFontSettingsHook(&Hook, nullptr);
        manager.SetImageLoader(&RequestImage, this);
        ASSERT_TRUE(manager.AddFont(SkinFont("DejaVuSans.ttf").c_str(), "/tmp"));
        ttf = dynamic_cast<TTF*>(manager.Get(0));
        ASSERT_TRUE(ttf);
        font.name = ttf->family;
        font.size = 12;
        images.push_back(Solid(20, 30, TColorIG(0, 0, 255)));
        g_images["img"] = images.back().get();
        images.push_back(Solid(100, 40, TColorIG(0, 160, 0)));
        g_images["float"] = images.back().get();
    }
    void TearDown() override
    {
        TTF::SetFontSettingsHook(nullptr, nullptr);
        g_images.clear();
    }

    struct Laid {
        TSizeIG extent;
        std::string text;
        std::vector<int> widths, blanks, heights, descenders;
        std::vector<bool> ended;
    };
    Laid Layout(const std::u16string& text, int flags, int maxWidth, int maxLines = -1,
                bool rich = false, const TPDAUIEngineStyleFont* with = nullptr)
    {
        Laid out;
        DUString u(text.c_str(), (int)text.size());
        TPDAUIEngineStyleFont f = with ? *with : font;
        f.richText = rich || HasRichTextMarker(u);
        TTF::TCachedSize* size = nullptr;
        LayoutRichText(*ttf, out.extent, f, size, u, flags, maxWidth, &out.widths, &out.blanks,
                       &out.ended, &out.heights, &out.descenders, maxLines);
        out.text = Narrow(u);
        return out;
    }
    int Width(const char* text, bool bold = false, int size = 12)
    {
        TPDAUIEngineStyleFont f = font;
        f.bold = bold;
        f.size = size;
        int w = 0, h = 0;
        ttf->GetTextExtent(w, h, f, CDString(text), -1, 0);
        return w;
    }
    int Advance(char16_t c, int size = 12)
    {
        return ttf->GetCachedChar(*ttf->GetCachedSize(TTF::SlotRegular, size), c)->advance;
    }

    // Draws into a white 16-bit bitmap.
    std::unique_ptr<TDibIG> Draw(const std::function<void(IDC&)>& paint, int w, int h)
    {
        std::unique_ptr<TDibIG> image = Solid(w, h, TColorIG(255, 255, 255));
        IDC dc;
        EXPECT_TRUE(dc.BeginPaintDib(image.get()));
        paint(dc);
        dc.EndPaintDib();
        return image;
    }
    // Columns holding a pixel darker than mid grey, in a row range.
    static std::vector<int> InkColumns(const TDibIG& image, int top, int bottom)
    {
        std::vector<int> columns;
        for (int x = 0; x < image.Width(); ++x)
            for (int y = top; y < bottom; ++y) {
                const TColorIG c = image.GetPixel(x, y);
                if (c.R() + c.G() + c.B() < 3 * 128) {
                    columns.push_back(x);
                    break;
                }
            }
        return columns;
    }

    TPDAUIEngineFontManager manager;
    TTF* ttf = nullptr;
    TPDAUIEngineStyleFont font;
    std::vector<std::unique_ptr<TDibIG>> images;
};

// ---- faces and caches ----

TEST(TTFFaces, StyleVariantsAreFoundByTheirSuffixesInOrder)
{
    testpaths::TempDir dir;
    const std::string regular = SkinFont("DejaVuSans.ttf"), bold = SkinFont("DejaVuSans-Bold.ttf");
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;  // name, copied from
        const char* open;
        const char* family;
        std::vector<std::string> loaded;
        bool boldFace, italicFace, boldItalicFace;
    } cases[] = {
        {{{"Name-Regular.ttf", regular}, {"Name-Bold.ttf", bold}},
         "Name-Regular.ttf", "Name-Regular", {"Name-Regular.ttf", "Name-Bold.ttf"}, true, false, false},
        {{{"Face.ttf", regular}, {"FaceBD.ttf", bold}},
         "Face.ttf", "Face", {"Face.ttf", "FaceBD.ttf"}, true, false, false},
        {{{"Pick.ttf", regular}, {"PickBD.ttf", bold}, {"Pick_bold.ttf", bold}},
         "Pick.ttf", "Pick", {"Pick.ttf", "Pick_bold.ttf"}, true, false, false},
        {{{"Sl.otf", regular}, {"Sli.otf", regular}, {"Sl-BoldItalic.otf", bold}},
         "Sl.otf", "Sl", {"Sl.otf", "Sli.otf", "Sl-BoldItalic.otf"}, false, true, true},
        // A variant FreeType rejects is passed over for the next suffix.
        {{{"Bad.ttf", regular}, {"Bad_bold.ttf", ""}, {"Bad-Bold.ttf", bold}},
         "Bad.ttf", "Bad", {"Bad.ttf", "Bad-Bold.ttf"}, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.open);
        for (const auto& f : c.files) {
            if (f.second.empty()) {
                FILE* out = fopen((dir / f.first).c_str(), "wb");
                fputs("not a font", out);
                fclose(out);
            } else {
                fs::copy_file(f.second, dir / f.first, fs::copy_options::overwrite_existing);
            }
        }
        TTF r((dir / c.open).c_str(), "/fonts");
        ASSERT_TRUE(r.valid);
        EXPECT_STREQ(r.family.c_str(), c.family);
        EXPECT_STREQ(r.fontFolder.c_str(), "/fonts");
        std::vector<std::string> loaded;
        for (int k = 0; k < r.fileNames.Count(); ++k)
            loaded.push_back(r.fileNames[k].c_str());
        EXPECT_EQ(loaded, c.loaded);
        EXPECT_EQ(r.faces[TTF::SlotBold] != nullptr, c.boldFace);
        EXPECT_EQ(r.faces[TTF::SlotItalic] != nullptr, c.italicFace);
        EXPECT_EQ(r.faces[TTF::SlotBoldItalic] != nullptr, c.boldItalicFace);
        for (const auto& f : c.files)
            fs::remove(dir / f.first);
    }
}

TEST(TTFFaces, FaceChoiceFallsBackToWhatIsOpen)
{
    testpaths::TempDir dir;
    fs::copy_file(SkinFont("DejaVuSans.ttf"), dir / "F.ttf");
    fs::copy_file(SkinFont("DejaVuSans-Bold.ttf"), dir / "F-Bold.ttf");
    TTF r((dir / "F.ttf").c_str(), "");
    struct Case {
        bool bold, italic;
        int slot;
    } cases[] = {
        {false, false, TTF::SlotRegular}, {true, false, TTF::SlotBold},
        {false, true, TTF::SlotRegular},  {true, true, TTF::SlotBold},
    };
    for (const Case& c : cases)
        EXPECT_EQ(r.SlotFor(c.bold, c.italic), c.slot) << c.bold << c.italic;
}

TEST(TTFFaces, MissingFilesLookInTheBaseFolderAndBadFilesStayInvalid)
{
    testpaths::TempDir dir;
    fs::create_directories(dir / "skin");
    fs::create_directories(dir / "base");
    fs::copy_file(SkinFont("DejaVuSans.ttf"), dir / "base/Shared.ttf");
    TTF shared((dir / "skin/Shared.ttf").c_str(), "");
    EXPECT_TRUE(shared.valid);
    EXPECT_TRUE(std::string(shared.path.c_str()).find("base") != std::string::npos);

    TTF absent((dir / "skin/Absent.ttf").c_str(), "");
    EXPECT_FALSE(absent.valid);
    EXPECT_TRUE(absent.path.IsEmpty());

    for (const char* bytes : {"", "garbage that is not a font"}) {
        FILE* out = fopen((dir / "skin/Junk.ttf").c_str(), "wb");
        fputs(bytes, out);
        fclose(out);
        TTF junk((dir / "skin/Junk.ttf").c_str(), "");
        EXPECT_FALSE(junk.valid);
    }
}

TEST(TTFFaces, TheManagerMakesOneForTrueTypeAndOpenTypeFiles)
{
    testpaths::TempDir dir;
    fs::copy_file(SkinFont("DejaVuSans.ttf"), dir / "freesans.otf");
    TPDAUIEngineFontManager m;
    ASSERT_TRUE(m.AddFont((dir / "freesans.otf").c_str(), dir.path().c_str()));
    EXPECT_TRUE(dynamic_cast<TTF*>(m.Get(0)));
    EXPECT_STREQ(m.Get(0)->family.c_str(), "FreeSans");
    EXPECT_EQ(m.IndexOf("FREESANS"), 0);
    // An OpenType file FreeType refuses is not tried as a system font.
    FILE* out = fopen((dir / "bad.otf").c_str(), "wb");
    fputs("nope", out);
    fclose(out);
    EXPECT_FALSE(m.AddFont((dir / "bad.otf").c_str(), dir.path().c_str()));
    EXPECT_EQ(m.Count(), 1);
}

TEST_F(TTFTest, SizesProbeThePixelSizeAndKeepTheirMetrics)
{
    struct Case {
        int requested;
        int pixel;  // first FreeType size whose line is at least the requested one
        int lineHeight;
    } cases[] = {{12, 10, 13}, {20, 17, 21}, {30, 26, 31}, {500, 110, 501}};
    for (const Case& c : cases) {
        TTF::TCachedSize* s = ttf->GetCachedSize(TTF::SlotRegular, c.requested);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->pixelSize, c.pixel) << c.requested;
        EXPECT_EQ(s->lineHeight, c.lineHeight);
        EXPECT_GT(s->ascender, 0);
        EXPECT_LT(s->descender, 0);
        EXPECT_EQ(ttf->GetCachedSize(TTF::SlotRegular, c.requested), s);
    }
    // DejaVu's underline (position -1, thickness 1 after the division by 64)
    // is halved up to size 20.
    TTF::TCachedSize* small = ttf->GetCachedSize(TTF::SlotRegular, 20);
    TTF::TCachedSize* large = ttf->GetCachedSize(TTF::SlotRegular, 21);
    EXPECT_EQ(large->underlinePosition, -1);
    EXPECT_EQ(large->underlineThickness, 1);
    EXPECT_EQ(small->underlinePosition, 0);
    EXPECT_EQ(small->underlineThickness, 0);
    // Bold has caches of its own.
    EXPECT_NE(ttf->GetCachedSize(TTF::SlotBold, 12), ttf->GetCachedSize(TTF::SlotRegular, 12));
    EXPECT_EQ(ttf->sizeCaches[TTF::SlotRegular].Count(), 5);
    EXPECT_EQ(ttf->sizeCaches[TTF::SlotBold].Count(), 1);
}

TEST_F(TTFTest, GlyphsAreRenderedOnceIntoGreyBitmapsWithAWhiteBorder)
{
    TTF::TCachedSize* s12 = ttf->GetCachedSize(TTF::SlotRegular, 12);
    TTF::TCachedSize* s30 = ttf->GetCachedSize(TTF::SlotRegular, 30);
    TTF::TCachedChar* a12 = ttf->GetCachedChar(*s12, 'W');
    TTF::TCachedChar* a30 = ttf->GetCachedChar(*s30, 'W');
    ASSERT_TRUE(a12 && a30);
    EXPECT_NE(a12, a30);
    EXPECT_EQ(ttf->GetCachedChar(*s12, 'W'), a12);
    EXPECT_EQ(s12->glyphs.Count(), 1);
    for (TTF::TCachedChar* g : {a12, a30}) {
        const TDibIG& b = g->bitmap;
        ASSERT_FALSE(b.IsEmpty());
        EXPECT_EQ(b.Width() & (b.Width() - 1), 0);
        EXPECT_EQ(b.AbsHeight() & (b.AbsHeight() - 1), 0);
        EXPECT_GE(b.Width(), g->bitmapWidth + 2);
        EXPECT_GE(b.AbsHeight(), g->bitmapRows + 2);
        int darkest = 255;
        for (int x = 0; x < b.Width(); ++x) {
            EXPECT_EQ(b.GetPixel(x, 0).R(), 255);
            for (int y = 1; y <= g->bitmapRows; ++y)
                darkest = std::min<int>(darkest, b.GetPixel(x, y).R());
        }
        for (int y = 0; y < b.AbsHeight(); ++y)
            EXPECT_EQ(b.GetPixel(0, y).R(), 255);
        EXPECT_LT(darkest, 40);  // a W has nearly covered pixels
    }
    // A blank has an advance and no ink; a tab keeps no left bearing.
    TTF::TCachedChar* blank = ttf->GetCachedChar(*s12, ' ');
    EXPECT_GT(blank->advance, 0);
    EXPECT_EQ(blank->width, 0);
    EXPECT_EQ(ttf->GetCachedChar(*s12, '\t')->bitmapLeft, 0);
}

// FreeType's rows may be padded, stored bottom-up or one bit a pixel.
TEST(TTFGlyphBitmap, RowsAreReadByPitchAndPixelMode)
{
    // A 3 x 2 picture: coverage 255 on the diagonal-ish pixels, 0 elsewhere.
    const int expected[2][3] = {{255, 0, 255}, {0, 255, 0}};
    unsigned char grey[2][8] = {{255, 0, 255, 9, 9, 9, 9, 9}, {0, 255, 0, 9, 9, 9, 9, 9}};
    unsigned char greyUp[2][4] = {{0, 255, 0, 7}, {255, 0, 255, 7}};
    unsigned char mono[2][4] = {{0xA0, 0xFF, 0, 0}, {0x40, 0xFF, 0, 0}};
    struct Case {
        const char* what;
        unsigned char* buffer;
        int pitch;
        unsigned char mode;
        bool ink;
    } cases[] = {
        {"grey, padded rows", &grey[0][0], 8, FT_PIXEL_MODE_GRAY, true},
        // Up-flow rows: the buffer starts with the bottom row.
        {"grey, bottom-up", &greyUp[0][0], -4, FT_PIXEL_MODE_GRAY, true},
        {"mono", &mono[0][0], 4, FT_PIXEL_MODE_MONO, true},
        {"a mode without coverage", &grey[0][0], 8, FT_PIXEL_MODE_LCD, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FT_Bitmap b = {};
        b.rows = 2;
        b.width = 3;
        b.pitch = c.pitch;
        b.buffer = c.buffer;
        b.num_grays = 256;
        b.pixel_mode = c.mode;
        TTF::TCachedChar g;
        TTF::CopyGlyphBitmap(b, g);
        EXPECT_EQ(g.bitmap.Width(), 8);
        EXPECT_EQ(g.bitmap.AbsHeight(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= 2;
                const int coverage = inside && c.ink ? expected[y - 1][x - 1] : 0;
                EXPECT_EQ(g.bitmap.GetPixel(x, y).R(), 255 - coverage) << x << "," << y;
            }
    }
}

TEST_F(TTFTest, GetGlyphGivesTheCachedBitmapWithItsPlacement)
{
    TRectIG source;
    int advance = 0, top = 0;
    TDibIG* image = manager.GetGlyph("unknown family", 'H', 20, source, advance, top);
    TTF::TCachedSize* s = ttf->GetCachedSize(TTF::SlotRegular, 20);
    TTF::TCachedChar* g = ttf->GetCachedChar(*s, 'H');
    ASSERT_EQ(image, &g->bitmap);
    EXPECT_EQ(source, TRectIG(1, 1, g->bitmapWidth + 1, g->bitmapRows + 1));
    EXPECT_EQ(advance, g->advance);
    EXPECT_EQ(top, s->ascender - g->bitmapTop);
    const int before = ttf->GetMemoryUsage();
    ttf->GetCachedChar(*s, 'I');
    EXPECT_EQ(ttf->GetMemoryUsage(), before + 140 + (int)s->glyphs[1]->bitmap.GetMemoryUsed());
}

// ---- layout ----

TEST_F(TTFTest, WordBreakEditsTheTextAndRecordsEveryLine)
{
    const int aaa = Width("aaa"), blank = Advance(' ');
    struct Case {
        const char16_t* text;
        int flags, maxWidth, maxLines;
        const char* edited;
        std::vector<int> widths;
        std::vector<bool> ended;
    } cases[] = {
        // A blank that overflows becomes the break.
        {u"aaa aaa aaa", 0x10, 2 * aaa + blank + 1, -1, "aaa aaa\naaa",
         {2 * aaa + blank, aaa}, {false, true}},
        // Otherwise the line breaks after its last blank.
        {u"aaa aaa aaa", 0x10, 2 * aaa + blank - 1, -1, "aaa \naaa \naaa",
         {aaa, aaa, aaa}, {false, false, true}},
        // A line break only counts with word break on.
        {u"aaa\naaa", 0x10, -1, -1, "aaa\naaa", {aaa, aaa}, {true, true}},
        {u"aaa\naaa", 0, -1, -1, "aaa\naaa", {2 * aaa}, {true}},
        // One long word is split before the first glyph that overflows.
        {u"aaaaaa", 0x10, aaa + 1, -1, "aaa\naaa", {aaa, aaa}, {false, true}},
        // A hyphen stays on its line.
        {u"aaa-aaa", 0x10, aaa + Advance('-') + 2, -1, "aaa-\naaa",
         {aaa + Advance('-'), aaa}, {false, true}},
        // One glyph between the break and the overflow is laid out again too,
        // plain or written as an escape.
        {u"aaaaa-ab", 0x10, Width("aaaaa-a") + 1, -1, "aaaaa-\nab",
         {Width("aaaaa-"), Width("ab")}, {false, true}},
        {u"aaaaa-a\\\\", 0x10, Width("aaaaa-a") + 1, -1, "aaaaa-\na\\\\",
         {Width("aaaaa-"), Width("a\\")}, {false, true}},
        // The last allowed line does not wrap.
        {u"aaa aaa aaa", 0x10, aaa + blank + 1, 2, "aaa \naaa aaa",
         {aaa, 2 * aaa + blank}, {false, true}},
        // Without a width limit nothing wraps; the widest line is the width.
        {u"aaaaaa\naaa", 0x10, 0, -1, "aaaaaa\naaa", {2 * aaa, aaa}, {true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edited);
        Laid l = Layout(c.text, c.flags, c.maxWidth, c.maxLines, true);
        EXPECT_EQ(l.text, c.edited);
        EXPECT_EQ(l.widths, c.widths);
        EXPECT_EQ(l.ended, c.ended);
        EXPECT_EQ(l.extent.cy, 13 * (int)c.widths.size());
        EXPECT_EQ(l.extent.cx, *std::max_element(c.widths.begin(), c.widths.end()));
        for (int h : l.heights)
            EXPECT_EQ(h, 13);
    }
}

TEST_F(TTFTest, BlankCountsLeaveOutTheBlankALineBreaksAt)
{
    const int aaa = Width("aaa"), blank = Advance(' ');
    Laid l = Layout(u"aaa aaa aaa aaa", 0x10, 3 * aaa + 2 * blank - 1);
    EXPECT_EQ(l.text, "aaa aaa \naaa aaa");
    EXPECT_EQ(l.blanks, (std::vector<int>{1, 1}));
    Laid hyphen = Layout(u"aa aa-aaa", 0x10, Width("aa aa-") + 1);
    EXPECT_EQ(hyphen.text, "aa aa-\naaa");
    EXPECT_EQ(hyphen.blanks, (std::vector<int>{1, 0}));
}

TEST_F(TTFTest, AGlyphWiderThanTheLineStaysOnItInsteadOfCascading)
{
    for (int limit : {1, 3}) {
        Laid l = Layout(u"WWW", 0x10, limit);
        EXPECT_EQ(l.text, "W\nW\nW") << limit;
        EXPECT_EQ(l.heights.size(), 3u);
    }
    // At size 100 (the size search's first try) a narrow box stays finite.
    TPDAUIEngineStyleFont big = font;
    big.size = 100;
    Laid l = Layout(u"Hello world", 0x10, 20, -1, false, &big);
    EXPECT_EQ(l.heights.size(), 10u);
    EXPECT_EQ(std::count(l.text.begin(), l.text.end(), '\n'), 9);
}

TEST_F(TTFTest, PairSpacingMovesThePen)
{
    TPDAUIEngineStyleFont bold = font;
    bold.bold = true;
    const int plainV = Advance('v'), plainO = Advance('o');
    EXPECT_EQ(Layout(u"vo", 0, -1).extent.cx, plainV + plainO - 1);
    TTF::TCachedSize* b = ttf->GetCachedSize(TTF::SlotBold, 12);
    const int boldC = ttf->GetCachedChar(*b, 'C')->advance, boldA = ttf->GetCachedChar(*b, 'a')->advance;
    EXPECT_EQ(Layout(u"Ca", 0, -1, -1, false, &bold).extent.cx, boldC + boldA + 1);
}

TEST_F(TTFTest, TheEllipsisCutsBackUntilTheDotsFitAndNeverWritesPastTheText)
{
    const int dots = Width("...");
    const int limit = 60;
    // Text long enough to overflow on one line, cut with and without a line limit.
    struct Case {
        const char16_t* text;
        int flags, maxLines;
    } cases[] = {
        {u"aaa aaa aaa aaa aaa", 0x40000, -1},
        {u"aaa aaa aaa aaa aaa", 0x40010, 1},
        {u"aaa aaa aaa aaa aaa aaa aaa aaa", 0x40010, 2},
        // Dots placed at the last glyphs: the text grows to hold all three.
        {u"aaaaaaaaaaa", 0x40010, 1},
        {u"aaa aaaaaaaa", 0x40000, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(DUString(c.text)));
        Laid l = Layout(c.text, c.flags, limit, c.maxLines);
        const size_t at = l.text.find("...");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(l.text.find_first_not_of(' ', at + 3), std::string::npos);
        // The dots start where a glyph started and end inside the limit.
        const std::string before = l.text.substr(l.text.rfind('\n', at) == std::string::npos
                                                      ? 0
                                                      : l.text.rfind('\n', at) + 1,
                                                  at - (l.text.rfind('\n', at) == std::string::npos
                                                            ? 0
                                                            : l.text.rfind('\n', at) + 1));
        EXPECT_LT(Width(before.c_str()) + dots, limit);
        EXPECT_GT(Width((before + "aa").c_str()) + dots, limit - Advance('a'));
        EXPECT_GE(l.extent.cx, limit);
        if (c.maxLines > 0) {
            EXPECT_EQ((int)l.heights.size(), c.maxLines);
        }
    }
}

TEST_F(TTFTest, PaddingEllipsisKeepsMoreRoomBeforeTheDots)
{
    TPDAUIEngineStyleFont padded = font;
    const Laid plain = Layout(u"aaa aaa aaa aaa", 0x40000, 60);
    padded.paddingEllipsis = 8;
    const Laid more = Layout(u"aaa aaa aaa aaa", 0x40000, 60, -1, false, &padded);
    EXPECT_LT(more.text.find("..."), plain.text.find("..."));
}

TEST_F(TTFTest, HebrewRunsReadRightToLeftAndArabicIsShapedInRightToLeftMode)
{
    // Left-to-right mode: the Hebrew word is reversed in place, the Latin stays.
    const std::u16string hebrew = u"ab \u05E9\u05DC\u05D5\u05DD";
    DUString u(hebrew.c_str());
    TPDAUIEngineStyleFont f = font;
    TTF::TCachedSize* size = nullptr;
    TSizeIG extent;
    LayoutRichText(*ttf, extent, f, size, u, 0, -1, nullptr, nullptr, nullptr, nullptr, nullptr, -1);
    EXPECT_EQ(u.Text(), (std::u16string{u'a', u'b', u' ', 0x05DD, 0x05D5, 0x05DC, 0x05E9}));

    // Right-to-left mode: lam-alef at a word start becomes one ligature, then
    // the whole is put in display order.
    g_hook.rtl = true;
    DUString arabic(u"\u0644\u0627\u0628");
    size = nullptr;
    f = font;
    LayoutRichText(*ttf, extent, f, size, arabic, 0, -1, nullptr, nullptr, nullptr, nullptr, nullptr,
                   -1);
    EXPECT_EQ(arabic.Text(), (std::u16string{u' ', 0xFE8F, 0xFEFB}));
}

TEST_F(TTFTest, RightToLeftEllipsisTurnsTheRestIntoEmptyLines)
{
    g_hook.rtl = true;
    Laid l = Layout(u"\u05E9\u05DC\u05D5\u05DD \u05E9\u05DC\u05D5\u05DD \u05E9\u05DC\u05D5\u05DD", 0x40000,
                    50);
    EXPECT_NE(l.text.find("..."), std::string::npos);
    EXPECT_NE(l.text.find('\n'), std::string::npos);
    EXPECT_EQ(l.heights.size(), 1u);
    // Drawing the same stops at the recorded lines.
    TRectIG r(0, 0, 50, 60);
    auto image = Draw([&](IDC& dc) {
        EXPECT_EQ(manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr,
                                   DUString(u"\u05E9\u05DC\u05D5\u05DD \u05E9\u05DC\u05D5\u05DD \u05E9\u05DC\u05D5\u05DD").ToDString(65001),
                                   r, 0x40000, -1),
                  1);
    }, 60, 60);
    EXPECT_FALSE(InkColumns(*image, 0, 15).empty());
    EXPECT_TRUE(InkColumns(*image, 15, 60).empty());
}

// Every escape of the rich-text language, with the layout it gives: width,
// line heights and where the pen is afterwards.
TEST_F(TTFTest, RichTextEscapesLayOut)
{
    const int ab = Width("ab");
    const int abBold = Width("ab", true);
    const int tabStop = 4 * ttf->GetCachedChar(*ttf->GetCachedSize(TTF::SlotRegular, 12), 'a')->bitmapWidth;
    struct Case {
        const char16_t* text;
        int flags, maxWidth;
        int width;
        std::vector<int> heights;
    } cases[] = {
        {u"\\b;ab", 0, -1, abBold, {13}},
        {u"\\b;\\-b;ab", 0, -1, ab, {13}},
        {u"\\i;ab\\-i;", 0, -1, ab, {13}},  // no italic face: regular
        {u"\\u;ab\\-u;", 0, -1, ab, {13}},
        {u"a\\n;b", 0x10, -1, Width("a"), {13, 13}},
        {u"a\\n;b", 0, -1, ab, {13}},
        {u"\\t;", 0, -1, tabStop, {13}},
        {u"a\\\\b", 0, -1, Width("a\\b"), {13}},
        {u"\\fontsize:20;ab", 0, -1, Width("ab", false, 20), {21}},
        {u"\\fontsize:+2;ab", 0, -1, Width("ab", false, 14), {15}},
        {u"\\fontsize:++;ab", 0, -1, Width("ab", false, 14), {15}},
        {u"\\fontsize:+10;ab", 0, -1, Width("ab", false, 15), {16}},
        {u"\\fontsize:--;ab", 0, -1, Width("ab", false, 10), {13}},
        {u"\\fontsize:0;ab", 0, -1, ab, {13}},
        {u"\\fontsize:20;\\fontsize:reset;ab", 0, -1, ab, {13}},
        // Mixed sizes share a line: it takes the tallest.
        {u"a\\fontsize:30;b\\fontsize:reset;", 0, -1, Width("a") + Advance('b', 30), {31}},
        {u"\\color:#FF0000;a\\color:reset;b", 0, -1, ab, {13}},
        {u"\\bgcolor:#FFFF00;ab\\bgcolor:reset;", 0, -1, ab, {13}},
        {u"\\left;\\right;\\center;\\justify;ab", 0, -1, ab, {13}},
        {u"\\whatever;ab", 0, -1, ab, {13}},
        {u"\\lumorrichtext;ab", 0, -1, ab, {13}},
        // An escape running to the end still takes effect.
        {u"ab\\n", 0x10, -1, ab, {13, 13}},
        // Inline images: the line grows to the image, the pen moves past it.
        {u"\\image:img;ab", 0, 200, ab + 20, {30}},
        {u"\\image:img|10|5;ab", 0, 200, ab + 10, {13}},
        {u"\\image:img|400|100;", 0, 200, 200, {50}},  // scaled into the width
        {u"\\image:img;ab", 0, -1, ab, {13}},         // no width: no image
        {u"\\image:missing;ab", 0, 200, ab, {13}},
        {u"\\image:;ab", 0, 200, ab, {13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(DUString(c.text)));
        Laid l = Layout(c.text, c.flags, c.maxWidth, -1, true);
        EXPECT_EQ(l.extent.cx, c.width);
        EXPECT_EQ(l.heights, c.heights);
    }
}

TEST_F(TTFTest, AFloatingImageIndentsTheLinesBesideIt)
{
    // 100 x 40 with margins 10 and 5: lines start at 110 until 45 down.
    const std::u16string text = u"\\image:float|0|0|left;a\\n;a\\n;a\\n;a\\n;a";
    Laid l = Layout(text, 0x10, 300, -1, true);
    ASSERT_EQ(l.widths.size(), 5u);
    const int a = Width("a");
    EXPECT_EQ(l.widths, (std::vector<int>{110 + a, 110 + a, 110 + a, 110 + a, a}));
    EXPECT_EQ(l.extent.cy, 5 * 13);

    // A width limit of 0 takes the image with no room (0 x 0, margins kept);
    // -1 takes no image at all.
    Laid zero = Layout(u"\\image:float|0|0|left;\\n;a", 0x10, 0, -1, true);
    EXPECT_EQ(zero.widths, (std::vector<int>{10, a}));
    Laid none = Layout(u"\\image:float|0|0|left;\\n;a", 0x10, -1, -1, true);
    EXPECT_EQ(none.widths, (std::vector<int>{0, a}));

    // Too narrow beside the image: the line ends at once and goes below it.
    Laid narrow = Layout(u"\\image:float|0|0|left;aaa", 0x10, 140, -1, true);
    EXPECT_EQ(narrow.heights.size(), 2u);
    EXPECT_EQ(narrow.extent.cy, 45 + 13);
}

TEST_F(TTFTest, LinesHeightAndFitFontSize)
{
    const CDString text("aaa aaa aaa aaa");
    const int aaa = Width("aaa");
    EXPECT_EQ(manager.GetLinesHeight(font, text, 0, aaa + 5), 0);
    EXPECT_EQ(manager.GetLinesHeight(font, text, -1, aaa + 5), 4 * 13);
    EXPECT_EQ(manager.GetLinesHeight(font, text, 2, aaa + 5), 2 * 13);
    EXPECT_EQ(manager.GetLinesHeight(font, text, 9, aaa + 5), 4 * 13);

    EXPECT_EQ(manager.FitFontSize(font, CDString("a"), TRectIG(0, 0, 500, 500), 0, -1), 100);
    // A size fits when the laid-out text is within the box; the search ends
    // near the largest such size.
    const TRectIG box(0, 0, 400, 30);
    const int fitted = manager.FitFontSize(font, CDString("Hello"), box, 0, -1);
    TPDAUIEngineStyleFont at = font;
    at.size = fitted;
    int w = 0, h = 0;
    manager.GetTextExtent(w, h, at, CDString("Hello"), 400, 0);
    EXPECT_LE(h, 30);
    EXPECT_GE(fitted, 20);
    EXPECT_LE(fitted, 29);
}

TEST_F(TTFTest, TooSmallSizesNeitherMeasureNorDraw)
{
    g_hook.increment = 10;
    int w = -1, h = -1;
    font.size = 12;
    manager.GetTextExtent(w, h, font, CDString("abc"), -1, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    TRectIG r(0, 0, 100, 20);
    auto image = Draw([&](IDC& dc) {
        EXPECT_EQ(manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, CDString("abc"), r, 0, -1), 0);
    }, 100, 20);
    EXPECT_TRUE(InkColumns(*image, 0, 20).empty());
    font.size = 13;
    manager.GetTextExtent(w, h, font, CDString("abc"), -1, 0);
    EXPECT_GT(w, 0);
    g_hook.rtl = true;
    g_hook.incrementRTL = 1;
    manager.GetTextExtent(w, h, font, CDString("abc"), -1, 0);
    EXPECT_EQ(w, 0);
    // The search for a size does not look at the increments.
    EXPECT_EQ(manager.FitFontSize(font, CDString("a"), TRectIG(0, 0, 500, 500), 0, -1), 100);
}

// ---- drawing ----

TEST_F(TTFTest, DrawTextPlacesLinesAsAlignedAndJustified)
{
    // Three lines in the box from x 10 to 210; the first is wrapped, the last ends the text.
    const CDString text("aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa aa");
    enum Expect { StartsLeft = 1, EndsRight = 2, Centred = 4 };
    struct Case {
        int flags;
        int first, last;  // what the first and last lines show
    } cases[] = {
        {0x10, StartsLeft, StartsLeft},
        {0x12, EndsRight, EndsRight},
        {0x11, Centred, Centred},
        {0x800010, StartsLeft | EndsRight, StartsLeft},  // the last line is not justified
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        TRectIG r(10, 0, 210, 60);
        auto image = Draw([&](IDC& dc) {
            EXPECT_EQ(manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, text, r, c.flags, -1), 1);
        }, 220, 60);
        std::vector<int> lines[2] = {InkColumns(*image, 0, 13), InkColumns(*image, 26, 39)};
        for (int k = 0; k < 2; ++k) {
            const std::vector<int>& ink = lines[k];
            const int expect = k == 0 ? c.first : c.last;
            ASSERT_FALSE(ink.empty());
            EXPECT_GE(ink.front(), 10);
            EXPECT_LT(ink.back(), 210);
            EXPECT_EQ(ink.front() <= 11, (expect & StartsLeft) != 0) << k << " " << ink.front();
            EXPECT_EQ(ink.back() >= 205, (expect & EndsRight) != 0) << k << " " << ink.back();
            if (expect & Centred) {
                EXPECT_NEAR(ink.front() - 10, 210 - ink.back(), 3) << k;
            }
        }
        EXPECT_TRUE(InkColumns(*image, 39, 60).empty());
    }
}

TEST_F(TTFTest, DrawTextMeasuresOnlyAndFillsItsBackground)
{
    TRectIG r(10, 10, 300, 100);
    auto image = Draw([&](IDC& dc) {
        EXPECT_EQ(manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, CDString("Hello"), r, 0x400, -1), 1);
    }, 320, 120);
    int w = 0, h = 0;
    manager.GetTextExtent(w, h, font, CDString("Hello"), 290, 0x400);
    EXPECT_EQ(r, TRectIG(10, 10, 10 + w, 10 + h));
    EXPECT_TRUE(InkColumns(*image, 0, 120).empty());

    const TColorIG grey(200, 200, 200);
    TRectIG box(0, 0, 50, 20);
    auto filled = Draw([&](IDC& dc) {
        manager.DrawText(&dc, font, TColorIG(0, 0, 0), &grey, CDString(" "), box, 0, -1);
    }, 60, 30);
    EXPECT_NEAR(filled->GetPixel(25, 10).R(), grey.R(), 8);
    EXPECT_EQ(filled->GetPixel(55, 25).R(), 255);

    TRectIG none(0, 0, 50, 20);
    EXPECT_EQ(manager.DrawText(nullptr, font, TColorIG(0, 0, 0), nullptr, CDString(""), none, 0, -1), 0);
}

TEST_F(TTFTest, TurnedTextRunsDownOrUpItsTurnedBox)
{
    int w = 0, h = 0;
    TPDAUIEngineStyleFont turned = font;
    turned.orientation = 90;
    manager.GetTextExtent(w, h, turned, CDString("Hello"), -1, 0);
    EXPECT_EQ(w, 13);
    EXPECT_EQ(h, Width("Hello"));
    for (int orientation : {90, -90}) {
        SCOPED_TRACE(orientation);
        turned.orientation = orientation;
        // A 100 x 20 box about (50, 60) turns into the 20 x 100 box (40..60, 10..110).
        TRectIG r(0, 50, 100, 70);
        auto image = Draw([&](IDC& dc) {
            manager.DrawText(&dc, turned, TColorIG(0, 0, 0), nullptr, CDString("Hello"), r, 0, -1);
        }, 120, 120);
        const std::vector<int> columns = InkColumns(*image, 0, 120);
        ASSERT_FALSE(columns.empty());
        EXPECT_GE(columns.front(), 40);
        EXPECT_LT(columns.back(), 60);
        int first = -1, last = -1;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                if (image->GetPixel(x, y).R() < 128) {
                    if (first < 0)
                        first = y;
                    last = y;
                }
        EXPECT_GE(last - first, Width("Hello") - 4);
        // Reading down for 90 the text starts at the top; reading up for -90, at the bottom.
        if (orientation == 90) {
            EXPECT_LT(first, 20);
        } else {
            EXPECT_GT(last, 100);
        }
    }
}

TEST_F(TTFTest, SimplifiedCharactersAreDrawnWithoutTouchingTheCallersText)
{
    const DString text("\xC9t\xE9", 3, 1252);
    const std::string before = text.c_str();
    font.simplifyCharacters = true;
    TRectIG r(0, 0, 100, 20);
    auto simplified = Draw([&](IDC& dc) {
        manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, text, r, 0, -1);
    }, 100, 20);
    EXPECT_EQ(before, text.c_str());
    font.simplifyCharacters = false;
    auto plain = Draw([&](IDC& dc) {
        manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, CDString("Ete"), r, 0, -1);
    }, 100, 20);
    EXPECT_TRUE(golden::Matches(*simplified, "fonts/ttf_simplified"));
    EXPECT_EQ(InkColumns(*simplified, 0, 20), InkColumns(*plain, 0, 20));
}

// Small renderings of the script and style cases, checked against goldens.
TEST_F(TTFTest, GoldenRenderings)
{
    struct Line {
        std::u16string text;
        bool bold, italic, underline, shadowed, bordered, rich;
        int size, flags, height, maxLines;
        TColorIG colour;
    };
    const TColorIG black(0, 0, 0), blue(0, 60, 160);
    struct Golden {
        const char* name;
        bool rtl;
        int width;
        std::vector<Line> lines;
    } goldens[] = {
        {"fonts/ttf_latin", false, 220,
         {{u"The quick brown fox jumps", false, false, false, false, false, false, 14, 0, 18, -1, black},
          {u"Bold text, Ca and vo", true, false, false, false, false, false, 14, 0, 18, -1, black},
          {u"Italic falls back", false, true, true, false, false, false, 14, 0, 18, -1, blue},
          {u"Shadow", false, false, false, true, false, false, 16, 0, 20, -1, TColorIG(240, 240, 240)},
          {u"Border", false, false, false, false, true, false, 16, 0, 20, -1, TColorIG(255, 200, 0)}}},
        {"fonts/ttf_hebrew", false, 220,
         {{u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD", false, false, false, false, false, false, 16, 0, 22, -1, black},
          {u"Go \u05E9\u05DC\u05D5\u05DD end", false, false, false, false, false, false, 16, 0, 22, -1, black}}},
        {"fonts/ttf_arabic", true, 220,
         {{u"\u0644\u0627 \u0628\u064A\u062A \u0627\u0644\u0639\u0631\u0628\u064A\u0629", false, false, false, false, false, false, 16, 0x2, 24, -1, black},
          {u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645 \u0641\u064A \u0627\u0644\u0645\u062F\u064A\u0646\u0629", true, false, false, false, false, false, 16, 0x12, 48, -1, black}}},
        {"fonts/ttf_layout", false, 150,
         {{u"Word break over several short lines here", false, false, false, false, false, false, 12, 0x10, 40, -1, black},
          {u"An ellipsis ends this rather long text", false, false, false, false, false, false, 12, 0x40000, 16, -1, black},
          {u"Justified text spreads its blanks out to the edge of the box", false, false, false, false, false, false, 12, 0x800010, 42, -1, black},
          {u"Centred and right", false, false, false, false, false, false, 12, 0x1, 16, -1, black},
          {u"Two lines at most, then the dots cut the rest of this long text off", false, false, false, false, false, false, 12, 0x40010, 28, 2, black}}},
        {"fonts/ttf_rich", false, 220,
         {{u"Plain \\b;bold\\-b; \\color:#C00000;red\\color:reset; \\u;under\\-u;", false, false, false, false, false, true, 12, 0, 16, -1, black},
          {u"\\fontsize:20;Big\\fontsize:reset; small \\bgcolor:#FFFF00;marked\\bgcolor:reset; \\image:img|12|12;!", false, false, false, false, false, true, 12, 0x10, 26, -1, black},
          {u"\\image:float|30|20|left;Text beside a floating image wraps round it and goes on below", false, false, false, false, false, true, 12, 0x10, 70, -1, black},
          {u"\\right;a\\n;right", false, false, false, false, false, true, 12, 0x10, 30, -1, black}}},
    };
    for (const Golden& g : goldens) {
        SCOPED_TRACE(g.name);
        g_hook.rtl = g.rtl;
        const int width = g.width;
        int total = 0;
        for (const Line& l : g.lines)
            total += l.height;
        auto image = Draw([&](IDC& dc) {
            int top = 0;
            for (const Line& l : g.lines) {
                TPDAUIEngineStyleFont f = font;
                f.bold = l.bold;
                f.italic = l.italic;
                f.underline = l.underline;
                f.shadowed = l.shadowed;
                f.bordered = l.bordered;
                f.richText = l.rich;
                f.size = l.size;
                const DString text = DUString(l.text.c_str(), (int)l.text.size()).ToDString(65001);
                TRectIG r(4, top, width - 4, top + l.height);
                if (l.shadowed || l.bordered) {
                    dc.SetBrush(TColorIG(90, 90, 90));
                    dc.SetPen(TColorIG(90, 90, 90));
                    dc.Rectangle(r);
                }
                manager.DrawText(&dc, f, l.colour, nullptr, text, r, l.flags, l.maxLines);
                top += l.height;
            }
        }, width, total);
        EXPECT_TRUE(golden::Matches(*image, g.name));
    }
}

} // namespace
