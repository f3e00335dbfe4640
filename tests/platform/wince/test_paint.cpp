// Painting: WM_PAINT presents the whole double buffer; the busy indicator;
// InvalidateElement; a fixture page shown, tapped by script and painted.
#include "host_fixture.h"

#include <filesystem>
#include <fstream>
#include <functional>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TDibIGformat.h"
#include "enginelib/draw/TSystemFonts.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace host {
namespace {

// A page painted in one colour.
class FilledPage : public LogPage {
public:
    FilledPage(TPDAUIEngine* e, const char* name, std::vector<std::string>* log, TColorIG fill)
        : LogPage(e, name, log), colour(fill)
    {
    }
    void Paint(IDC* dc, int x, int y) override
    {
        dc->SetBrush(colour);
        dc->SetPen(colour);
        dc->Rectangle(0, 0, engine->ScreenWidth(), engine->ScreenHeight());
    }
    TColorIG colour;
};

uint32_t Rgb(int r, int g, int b) { return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b); }

// A frame as an opaque 32-bit bitmap.
bool ToBitmap(const THeadlessBackend::Frame& frame, TDibIG& dib)
{
    if (!dib.Crea(frame.width, frame.height, 32))
        return false;
    for (int y = 0; y < frame.height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(dib.Row(y));
        for (int x = 0; x < frame.width; ++x)
            out[x] = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)] | 0xFF000000u;
    }
    dib.Touch();
    return true;
}

class PaintTest : public HostTest {
protected:
    // Sends WM_PAINT now, as the window system does for an invalid window.
    void PaintNow()
    {
        InvalidateRect(host->Window(), nullptr, FALSE);
        UpdateWindow(host->Window());
    }
    // Whether a paint is due, and how many were posted; clears both.
    void Pending(bool& due, int& posted)
    {
        MSG msg;
        due = PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE) != 0;
        ValidateRect(host->Window(), nullptr);
        posted = 0;
        while (posted < 5 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
            ++posted;
    }
    std::vector<std::string> log;
};

TEST_F(PaintTest, APaintPresentsTheWholeScreenOnlyWithPagesOpen)
{
    RecordingHost& h = Start();
    const size_t before = backend->FrameCount();
    PaintNow();
    EXPECT_EQ(before, backend->FrameCount());
    EXPECT_EQ(0, h.paints);

    FilledPage page(&h, "page", &log, TColorIG(0, 128, 255));
    h.OpenPage(&page);
    const size_t opened = backend->FrameCount();
    const int paints = h.paints;
    PaintNow();
    ASSERT_EQ(opened + 1, backend->FrameCount());
    const THeadlessBackend::Frame* f = backend->LastFrame();
    EXPECT_EQ(800, f->width);
    EXPECT_EQ(480, f->height);
    EXPECT_EQ((std::vector<LONG>{0, 0, 800, 480}),
              (std::vector<LONG>{f->area.left, f->area.top, f->area.right, f->area.bottom}));
    EXPECT_EQ(Rgb(0, 128, 255), f->Pixel(0, 0) & 0xFFFFFF);
    EXPECT_EQ(Rgb(0, 128, 255), f->Pixel(799, 479) & 0xFFFFFF);
    EXPECT_EQ(paints + 1, h.paints);
    h.paints = 0;

    // Invalidate: kinds 1 and 2 paint at once, others wait for the message;
    // nothing while painting is suspended.
    h.Invalidate(1);
    EXPECT_EQ(1, h.paints);
    h.Invalidate(2);
    EXPECT_EQ(2, h.paints);
    h.Invalidate(0);
    EXPECT_EQ(2, h.paints);
    bool due;
    int posted;
    Pending(due, posted);
    EXPECT_TRUE(due);
    h.paintSuppressed = 1;
    h.Invalidate(1);
    Pending(due, posted);
    EXPECT_FALSE(due);
    EXPECT_EQ(2, h.paints);
    h.paintSuppressed = 0;
    h.pages.RemoveAll();
}

TEST_F(PaintTest, InvalidateElementOnlyForTheTopPage)
{
    RecordingHost& h = Start();
    FilledPage bottom(&h, "bottom", &log, TColorIG(0, 0, 0));
    FilledPage top(&h, "top", &log, TColorIG(0, 0, 0));
    h.OpenPage(&bottom);
    h.OpenPage(&top);
    auto* inTop = new TPDAUIEngineElementBox;
    top.AddChild(inTop, nullptr, nullptr);
    auto* inBottom = new TPDAUIEngineElementBox;
    bottom.AddChild(inBottom, nullptr, nullptr);
    bool due;
    int posted;

    Pending(due, posted);
    top.paintReference = inTop;
    h.InvalidateElement(inTop);
    Pending(due, posted);
    EXPECT_TRUE(due);
    EXPECT_EQ(0, posted);
    EXPECT_EQ(nullptr, top.paintReference);

    for (TPDAUIEngineElement* e : {(TPDAUIEngineElement*)inBottom, (TPDAUIEngineElement*)nullptr}) {
        h.InvalidateElement(e);
        Pending(due, posted);
        EXPECT_FALSE(due);
    }

    // A closing top page also gets a paint posted.
    top.closing = 1;
    h.InvalidateElement(&top);
    Pending(due, posted);
    EXPECT_EQ(1, posted);
    top.closing = 0;

    // Nothing while painting is suspended.
    h.paintSuppressed = 1;
    h.InvalidateElement(inTop);
    Pending(due, posted);
    EXPECT_FALSE(due);
    h.paintSuppressed = 0;
    h.pages.RemoveAll();
}

TEST_F(PaintTest, ClockTickAndContinuousRedrawInvalidate)
{
    RecordingHost& h = Start();
    FilledPage page(&h, "page", &log, TColorIG(0, 0, 0));
    h.OpenPage(&page);
    bool due;
    int posted;
    Pending(due, posted);
    h.OnClockTick();
    Pending(due, posted);
    EXPECT_TRUE(due);
    h.painting = 1;
    h.OnClockTick();
    Pending(due, posted);
    EXPECT_FALSE(due);
    h.painting = 0;
    EXPECT_EQ(1, h.SetCPU100Mode(1));
    EXPECT_EQ(1, h.continuousRedraw);
    Pending(due, posted);
    EXPECT_TRUE(due);
    EXPECT_EQ(1, h.SetCPU100Mode(0));
    EXPECT_EQ(0, h.continuousRedraw);
    Pending(due, posted);
    EXPECT_FALSE(due);
    h.pages.RemoveAll();
}

TEST_F(PaintTest, TheBusyIndicatorIsTheSandClockInTheMiddle)
{
    RecordingHost& h = Start();
    FilledPage page(&h, "page", &log, TColorIG(0, 0, 0));
    h.OpenPage(&page);
    PaintNow();

    // No sand clock in the skin: a busy paint draws nothing.
    size_t frames = backend->FrameCount();
    const int paints = h.paints;
    h.OnClockTick(true);
    EXPECT_EQ(frames, backend->FrameCount());
    EXPECT_EQ(paints, h.paints);
    EXPECT_EQ(0, h.busyPainting);

    // A skin with one: the 48 x 48 square in the middle of the last frame.
    testpaths::TempDir skins;
    std::filesystem::create_directories(skins / "sand");
    {
        std::ofstream xml(skins / "sand/skin.xml");
        xml << "<skin version=\"440\"><defaultSkinName value=\"sand\"/></skin>";
    }
    TDibIG clock;
    ASSERT_TRUE(clock.Crea(8, 8, 24));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = clock.Row(y) + 3 * x;
            p[0] = 0, p[1] = 200, p[2] = 250;  // blue, green, red
        }
    clock.Touch();
    ASSERT_TRUE(TDibIGformat::Guarda(clock, (skins / "sand/commonSandClock.png").c_str()));
    h.skinsFolder = skins.path().c_str();
    DString name("sand"), error;
    ASSERT_TRUE(h.LoadSkin(name, "", "", "", error)) << error.c_str();

    frames = backend->FrameCount();
    h.OnClockTick(true);
    ASSERT_EQ(frames + 1, backend->FrameCount());
    EXPECT_EQ(paints, h.paints);  // the pages were not painted
    EXPECT_EQ(0, h.busyPainting);
    const THeadlessBackend::Frame* f = backend->LastFrame();
    const uint32_t sand = Rgb(250, 200, 0) & 0xF8FCF8;
    EXPECT_EQ(sand, f->Pixel(400, 240) & 0xF8FCF8);
    EXPECT_EQ(sand, f->Pixel(376 + 1, 216 + 1) & 0xF8FCF8);
    EXPECT_EQ(sand, f->Pixel(423 - 1, 263 - 1) & 0xF8FCF8);
    EXPECT_EQ(0u, f->Pixel(375, 240) & 0xFFFFFF);
    EXPECT_EQ(0u, f->Pixel(424, 240) & 0xFFFFFF);
    EXPECT_EQ(0u, f->Pixel(400, 215) & 0xFFFFFF);
    EXPECT_EQ(0u, f->Pixel(400, 264) & 0xFFFFFF);
    h.pages.RemoveAll();
}

// The fixture skin's menu page as an application page drives it; next() is
// told every command, after the page acted on it.
class MenusPage : public TPDAUIEngineElementPage {
public:
    explicit MenusPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, "pageMenus");
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name.IsEmpty() || c.name == "load")
            return;
        if (c.name == "menu") {
            dynamic_cast<TPDAUIEngineElementMenu*>(FindElement("mnuMain", false))->Popup(600, 300, DString("menuHidden"));
        } else if (c.name == "nightColours") {
            auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(FindElement("mniNight", false));
            item->checked = !item->checked;
        } else if (c.name == "zoomIn") {
            Close(1);
        }
        next(c.name.c_str());
    }
    std::function<void(const std::string&)> next;
};

TEST_F(PaintTest, AFixturePageTappedByScriptIsPaintedAsItsGoldenImage)
{
    RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
    TSystemFontsFreeType fonts;
    TSystemFonts* previousFonts = TSystemFonts::SetInstance(&fonts);
    testpaths::TempDir temp;

    RecordingHost& h = Start();
    h.passThrough = true;
    h.tempFolder = temp.path().c_str();
    h.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(h.LoadSkin(name, "", "", "", error)) << error.c_str();
    // Fonts after the skin: loading a skin starts its fonts afresh.
    const std::string skin = testpaths::SourceDir() + "/skins/default/";
    ASSERT_TRUE(h.AddFont((skin + "DejaVuSans.ttf").c_str()));

    auto* page = new MenusPage(&h);
    // Taps go where the element lies when the tap is scripted (the menu's
    // items are placed once it has opened).
    auto tap = [&](const char* id) {
        h.Invalidate(1);
        TPDAUIEngineElement* e = page->FindElement(id, false);
        ASSERT_NE(nullptr, e) << id;
        const TRectIG r = e->GetScreenRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        backend->After(300).PointerDown(x, y).After(50).PointerUp(x, y);
    };
    std::vector<std::string> raised;
    THeadlessBackend::Frame shot;
    int menus = 0;
    page->next = [&](const std::string& command) {
        raised.push_back(command);
        if (command == "menu" && ++menus == 1) {
            tap("mniNight");
        } else if (command == "nightColours") {
            tap("tbMenu");
        } else if (command == "menu") {
            h.Invalidate(1);
            shot = *backend->LastFrame();
            tap("mniQuit");
        } else if (command == "quit") {
            tap("tbZoomIn");
        }
    };
    h.OpenPage(page);
    tap("tbMenu");
    h.RunModalLoop(0);

    EXPECT_EQ(0, h.GetPageCount());
    EXPECT_EQ(0, h.quit);
    const std::vector<std::string> expected = {"menu", "menuHidden", "nightColours", "menu",
                                               "menuHidden", "quit", "zoomIn"};
    EXPECT_EQ(expected, raised);
    // The menu open the second time, "Night colours" checked, as presented.
    TDibIG image;
    ASSERT_TRUE(ToBitmap(shot, image));
    EXPECT_TRUE(golden::Matches(image, "platform/host_menus_page", 8, 40));

    TSystemFonts::SetInstance(previousFonts);
}

} // namespace
} // namespace host
