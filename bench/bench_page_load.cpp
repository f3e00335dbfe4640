// Page loading: LoadPage of a 200-element page from its XML form (parse, user
// controls grafted, stylesheet, elements built by tag) against its compiled
// form (records parsed from memory; the file kept from the last load while it
// is unchanged, or read whole each time: "Unkept"), a 500-element page loaded and
// laid out from either form, and one paint of the 200-element page at 800 x 480.
// The pages use the test fixture skin's images and user control.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "enginelib/base/WholeFileCache.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

namespace fs = std::filesystem;

namespace {

const char kSkin[] = "fixture";
const char kPage[] = "pageBench";
const char kPage500[] = "pageBench500";

// An engine without a window: nothing is shown, nothing waits.
class BenchEngine : public QuietEngine {
public:
    explicit BenchEngine(const std::string& skins)
    {
        OnResize(0, 0, 800, 480);
        skinsFolder = skins.c_str();
        DString name(kSkin), error;
        loaded = LoadSkin(name, "", "", "", error);
        callbacks.userControlFactory = &MakeUserControl;
    }
    void MessageBox(const char*, const char*) override { failed = true; }

    static TPDAUIEngineElement* MakeUserControl(void*, const char* tag)
    {
        auto* control = new TPDAUIEngineElementUserControl();
        control->tag = tag;
        return control;
    }

    bool loaded = false;
    bool failed = false;
};

// total elements (at least 180): a header, a 10 x 8 grid, ten columns of boxes
// with a user control each (three elements), and a scrolling list of the rest.
std::string BenchPageXml(const char* name, int total)
{
    std::ostringstream x;
    int n = 1;  // the page
    x << "<page id=\"" << name << "\" background=\"#183050\" padding=\"4\" paddingInner=\"2\">\n";
    x << " <box id=\"boxTop\" layout=\"Horizontal\" minimumHeight=\"40\" background=\"=fixtureFrame(0 0 6 6)\" "
         "padding=\"6\" paddingInner=\"4\">\n";
    ++n;
    for (int i = 0; i < 8; ++i, ++n)
        x << "  <box id=\"boxTop" << i << "\" flex=\"1\" background=\"" << (i % 2 ? "!fixtureTile" : "#F8A800")
          << "\"/>\n";
    x << " </box>\n";
    x << " <box id=\"boxBody\" layout=\"Horizontal\" flex=\"1\" paddingInner=\"2\">\n";
    x << "  <box id=\"boxGrid\" layout=\"Table\" layoutColumns=\"10\" layoutRows=\"8\" flex=\"2\" paddingInner=\"1\">\n";
    n += 2;
    for (int i = 0; i < 80; ++i, ++n)
        x << "   <box id=\"boxCell" << i << "\" background=\"#" << (i % 3 ? "3060C0" : "C06030")
          << "\" border=\"Solid 1 #000000\"/>\n";
    x << "  </box>\n";
    x << "  <box id=\"boxColumns\" layout=\"HorizontalSpaced\" flex=\"2\">\n";
    ++n;
    for (int c = 0; c < 10; ++c) {
        x << "   <box id=\"boxColumn" << c << "\" layout=\"Vertical\" minimumWidth=\"30\" paddingInner=\"2\">\n";
        ++n;
        for (int r = 0; r < 3; ++r, ++n)
            x << "    <box id=\"boxColumn" << c << "_" << r << "\" minimumHeight=\"20\" background=\"#"
              << (r % 2 ? "F0F0F0" : "60C060") << "\"/>\n";
        x << "    <usercontrol type=\"usercontrolClock\" id=\"ucClock" << c << "\" minimumHeight=\"30\"/>\n";
        n += 3;
        x << "   </box>\n";
    }
    x << "  </box>\n";
    x << "  <box id=\"boxList\" layout=\"VerticalScroll\" flex=\"1\" scrollmode=\"iscroll\">\n";
    ++n;
    for (; n < total; ++n)
        x << "   <box id=\"boxRow" << n << "\" minimumHeight=\"24\" background=\"#C0C8D0\"/>\n";
    x << "  </box>\n";
    x << " </box>\n";
    x << "</page>\n";
    return x.str();
}

// Two skins folders: one with the XML page, one with only its compiled form.
class Skins {
public:
    Skins()
    {
        const fs::path fixture = fs::path(ORBETA_SOURCE_DIR) / "tests/fixtures/skins" / kSkin;
        root = fs::temp_directory_path() / ("orbeta_bench_page_load_" + std::to_string(getpid()));
        for (const char* form : {"xml", "compiled"}) {
            const fs::path folder = root / form / kSkin;
            fs::create_directories(folder);
            for (const auto& entry : fs::directory_iterator(fixture)) {
                const bool page = entry.path().extension() == ".xml" && entry.path().filename() != "skin.xml";
                if (!page || std::string(form) == "xml")
                    fs::copy_file(entry.path(), folder / entry.path().filename());
            }
        }
        elements = Make(kPage, 200);
        elements500 = Make(kPage500, 500);
        ok = elements > 0 && elements500 > 0;
        // As an installed skin: its files and folders were last changed long
        // ago, so their listings and its compiled pages are kept rather than
        // read again at every load.
        const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
        for (const char* form : {"xml", "compiled"}) {
            for (const auto& entry : fs::directory_iterator(root / form / kSkin))
                fs::last_write_time(entry.path(), longAgo);
            fs::last_write_time(root / form / kSkin, longAgo);
            fs::last_write_time(root / form, longAgo);
        }
    }
    ~Skins() { fs::remove_all(root); }
    std::string Xml() const { return (root / "xml").string(); }
    std::string Compiled() const { return (root / "compiled").string(); }

    // Writes the page's XML and compiles it as the skin compiler does
    // (skin-compiling mode, scale 1.0); its element count, or 0 on failure.
    int Make(const char* name, int total)
    {
        std::ofstream((root / "xml" / kSkin / (std::string(name) + ".xml")).string()) << BenchPageXml(name, total);
        BenchEngine engine(Xml());
        engine.skinCompiling = 1;
        TPDAUIEngineElementPage page(&engine);
        page.LoadPage(&engine, nullptr, nullptr, name);
        const fs::path out = root / "compiled" / kSkin / (std::string(name) + ".cpage");
        const bool written = engine.loaded && !engine.failed && page.WriteCompiled(out.string().c_str());
        return written ? Count(&page) : 0;
    }

    static int Count(TPDAUIEngineElement* e)
    {
        int n = 1;
        if (auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e))
            for (int i = 0; i < box->children.Count(); ++i)
                n += Count(box->children[i]);
        return n;
    }

    fs::path root;
    int elements = 0;
    int elements500 = 0;
    bool ok = false;
};

Skins& TheSkins()
{
    static Skins skins;
    return skins;
}

void LoadPage(benchmark::State& state, const std::string& skins, bool keepFiles = true)
{
    if (!TheSkins().ok) {
        state.SkipWithError("the bench skin could not be made");
        return;
    }
    BenchEngine engine(skins);
    for (auto _ : state) {
        if (!keepFiles)
            TWholeFileCache::Shared().Clear();
        TPDAUIEngineElementPage page(&engine);
        page.LoadPage(&engine, nullptr, nullptr, kPage);
        benchmark::DoNotOptimize(page.children.Count());
    }
    if (engine.failed)
        state.SkipWithError("the page did not load");
    state.counters["elements"] = TheSkins().elements;
    state.SetItemsProcessed(state.iterations() * TheSkins().elements);
}

void BM_LoadPage_Xml(benchmark::State& state) { LoadPage(state, TheSkins().Xml()); }
BENCHMARK(BM_LoadPage_Xml)->Unit(benchmark::kMicrosecond);

void BM_LoadPage_Compiled(benchmark::State& state) { LoadPage(state, TheSkins().Compiled()); }
BENCHMARK(BM_LoadPage_Compiled)->Unit(benchmark::kMicrosecond);

void BM_LoadPage_CompiledUnkept(benchmark::State& state) { LoadPage(state, TheSkins().Compiled(), false); }
BENCHMARK(BM_LoadPage_CompiledUnkept)->Unit(benchmark::kMicrosecond);

// The 500-element page built and placed on the screen (every box laid out).
void LoadAndLayOut(benchmark::State& state, const std::string& skins)
{
    if (!TheSkins().ok) {
        state.SkipWithError("the bench skin could not be made");
        return;
    }
    BenchEngine engine(skins);
    for (auto _ : state) {
        TPDAUIEngineElementPage page(&engine);
        page.LoadPage(&engine, nullptr, nullptr, kPage500);
        page.Layout();
        benchmark::DoNotOptimize(page.children.Count());
    }
    if (engine.failed)
        state.SkipWithError("the page did not load");
    state.counters["elements"] = TheSkins().elements500;
    state.SetItemsProcessed(state.iterations() * TheSkins().elements500);
}

void BM_LoadLayoutPage500_Xml(benchmark::State& state) { LoadAndLayOut(state, TheSkins().Xml()); }
BENCHMARK(BM_LoadLayoutPage500_Xml)->Unit(benchmark::kMicrosecond);

void BM_LoadLayoutPage500_Compiled(benchmark::State& state) { LoadAndLayOut(state, TheSkins().Compiled()); }
BENCHMARK(BM_LoadLayoutPage500_Compiled)->Unit(benchmark::kMicrosecond);

// An application page: it loads its skin page when the engine opens it.
class BenchPage : public TPDAUIEngineElementPage {
public:
    using TPDAUIEngineElementPage::TPDAUIEngineElementPage;
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* parent, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, parent, kPage);
    }
};

// The page laid out once, then painted (its background, boxes, borders and images).
void BM_PaintPage_800x480(benchmark::State& state)
{
    if (!TheSkins().ok) {
        state.SkipWithError("the bench skin could not be made");
        return;
    }
    BenchEngine engine(TheSkins().Compiled());
    BenchPage page(&engine);
    engine.OpenPage(&page);
    engine.PaintPages();
    for (auto _ : state)
        engine.PaintPages();
    engine.pages.RemoveAll();
}
BENCHMARK(BM_PaintPage_800x480)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
