// The resource store over the skin folder chain: text files, compiled pages,
// images with their landscape variants, themes, cells and handles.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/WholeFileCache.h"
#include "skin_fixture.h"
#include "test_engine_doubles.h"
#include "uiengine/core/TPDAUIEngineXml.h"

using namespace skinfixture;

namespace {

class StoreTest : public ::testing::Test {
protected:
    StoreTest()
    {
        engine.skinsFolder = dir.path().c_str();
        settings().skinName = "night";
        settings().defaultSkinName = "default";
        settings().landscape = 0;
    }

    TPDAUIEngineSkinSettings& settings() { return engine.skinSettings; }
    TPDAUIEngineResources& store() { return engine.resources; }

    // Loads both themes from a "themes" text.
    void Themes(const std::string& text, const char* theme1, const char* theme2)
    {
        std::string buffer = text;
        TPDAUIEngineXml themes;
        ASSERT_TRUE(themes.Parse(&buffer[0]));
        DString t1(theme1), t2(theme2);
        settings().theme1.Load(&themes, t1, "");
        settings().theme2.Load(&themes, t2, "");
    }

    testpaths::TempDir dir;
    SkinEngine engine;
};

// ---- Text files ----------------------------------------------------------------------------

TEST(StoreTextFiles, LandscapeSkinDefaultThenBase)
{
    // Where copies of "pageMenu.xml" lie; each holds its own place as text.
    const char* const all[] = {"night/pageMenuLandscape.xml", "night/pageMenu.xml",
                               "default/pageMenuLandscape.xml", "default/pageMenu.xml",
                               "base/pageMenuLandscape.xml", "base/pageMenu.xml"};
    struct Case {
        const char* skin;
        bool landscape;
        int firstPresent;  // copies from this index of `all` on exist
        const char* read;  // null: none
    } cases[] = {
        {"night", false, 0, "night/pageMenu.xml"},
        {"night", true, 0, "night/pageMenuLandscape.xml"},
        {"night", true, 1, "night/pageMenu.xml"},
        {"night", true, 2, "default/pageMenuLandscape.xml"},
        {"night", false, 2, "default/pageMenu.xml"},
        {"night", true, 3, "default/pageMenu.xml"},
        {"night", true, 4, "base/pageMenuLandscape.xml"},
        {"night", false, 4, "base/pageMenu.xml"},
        {"night", true, 5, "base/pageMenu.xml"},
        {"night", true, 6, nullptr},
        {"default", true, 2, "default/pageMenuLandscape.xml"},
        {"default", false, 3, "default/pageMenu.xml"},
        {"default", true, 4, "base/pageMenuLandscape.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.skin) + (c.landscape ? " landscape " : " portrait ") +
                     std::to_string(c.firstPresent));
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.skinName = c.skin;
        engine.skinSettings.landscape = c.landscape;
        for (int i = c.firstPresent; i < 6; ++i)
            WriteText(dir / all[i], all[i]);
        DString text("stale"), file("pageMenu.xml");
        const bool ok = engine.resources.ReadSkinTextFile(text, file);
        EXPECT_EQ(c.read != nullptr, ok);
        if (!c.read) {
            EXPECT_TRUE(text.IsEmpty());
            EXPECT_STREQ("pageMenu.xml", file.c_str());
            continue;
        }
        EXPECT_STREQ(c.read, text.c_str());
        std::string expected = dir.path() + "\\" + c.read;
        expected.replace(expected.rfind('/'), 1, "\\");
        EXPECT_EQ(expected, file.c_str());
    }
}

TEST_F(StoreTest, FullPathsAreReadAsTheyStand)
{
    WriteText(dir / "elsewhere/notes.txt", "outside");
    WriteText(dir / "night/notes.txt", "in the skin");
    DString text, file((dir / "elsewhere/notes.txt").c_str());
    ASSERT_TRUE(store().ReadSkinTextFile(text, file));
    EXPECT_STREQ("outside", text.c_str());

    // A full path that does not exist is not looked for in the skins.
    file = (dir / "elsewhere/missing.txt").c_str();
    EXPECT_FALSE(store().ReadSkinTextFile(text, file));
    EXPECT_TRUE(text.IsEmpty());
}

// A text file is kept between reads once it has settled; a rewrite of the
// same length, a removal or a copy appearing earlier in the chain is still
// seen at the next read. The times are set far back, so every version is kept.
TEST_F(StoreTest, KeptTextFilesAreReadAgainOnceChanged)
{
    const std::string night = dir / "night/usercontrolClock.xml";
    const std::string fallback = dir / "default/usercontrolClock.xml";
    auto setTime = [](const std::string& path, long seconds) {
        struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
    };
    WriteText(fallback, "default");
    setTime(fallback, 1000000);
    struct Step {
        const char* what;
        std::function<void()> change;
        const char* text;  // null: not found
    } steps[] = {
        {"the default skin's copy", [] {}, "default"},
        {"read again unchanged", [] {}, "default"},
        {"rewritten, same length", [&] {
             WriteText(fallback, "DEFAULT");
             setTime(fallback, 1000100);
         }, "DEFAULT"},
        {"a copy in the skin itself", [&] {
             WriteText(night, "night");
             setTime(night, 1000000);
         }, "night"},
        {"that copy removed", [&] { std::remove(night.c_str()); }, "DEFAULT"},
        {"none left", [&] { std::remove(fallback.c_str()); }, nullptr},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        for (int round = 0; round < 2; ++round) {
            DString text, file("usercontrolClock.xml");
            EXPECT_EQ(step.text != nullptr, store().ReadSkinTextFile(text, file));
            EXPECT_STREQ(step.text ? step.text : "", text.c_str());
        }
    }
}

// ---- Compiled pages ------------------------------------------------------------------------

TEST(StoreCompiledPages, LandscapeSkinThenDefaultButNeverBase)
{
    const char* const all[] = {"night/pageMenuLandscape.cpage", "night/pageMenu.cpage",
                               "default/pageMenuLandscape.cpage", "default/pageMenu.cpage"};
    struct Case {
        bool landscape;
        int firstPresent;
        int opened;  // index into `all`, -1 none
    } cases[] = {
        {false, 0, 1}, {true, 0, 0}, {true, 1, 1}, {true, 2, 2},
        {false, 2, 3}, {true, 3, 3}, {true, 4, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.landscape) + " " + std::to_string(c.firstPresent));
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.skinName = "night";
        engine.skinSettings.landscape = c.landscape;
        // Each page is a typed record naming its place.
        for (int i = c.firstPresent; i < 4; ++i) {
            WriteText(dir / all[i], "");
            TFicheroITV out;
            ASSERT_TRUE(out.Abre((dir / all[i]).c_str(), ITV_MODO_CREACION));
            out << (char)42 << all[i] << 7;
            ASSERT_TRUE(out.Cierra());
        }
        WriteText(dir / "base/pageMenu.cpage", "base");
        DString page("pageMenu");
        std::unique_ptr<TFicheroITV> file(engine.resources.OpenCompiledPage(page));
        // Reading the page whole finds the same file.
        DString wholePage("pageMenu");
        std::unique_ptr<unsigned char[]> whole;
        uint32_t size = 0, length = 0;
        const bool read = engine.resources.ReadCompiledPage(wholePage, whole, size, length);
        EXPECT_EQ(c.opened >= 0, read);
        EXPECT_STREQ(page.c_str(), wholePage.c_str());
        if (read) {
            TFicheroITVdatos in(whole.get(), ITV_MODO_LECTURA, length);
            char mark = 0;
            DString place;
            in >> mark >> place;
            EXPECT_EQ(size, length);
            EXPECT_STREQ(all[c.opened], place.c_str());
        }
        // The kept copy is the same file, found the same way.
        DString keptPage("pageMenu");
        std::shared_ptr<const TWholeFile> kept = engine.resources.ReadCompiledPageKept(keptPage);
        EXPECT_EQ(read, kept != nullptr);
        EXPECT_STREQ(wholePage.c_str(), keptPage.c_str());
        if (kept && read) {
            EXPECT_EQ(length, kept->length);
            EXPECT_EQ(0, std::memcmp(whole.get(), kept->data.get(), length));
        }
        if (c.opened < 0) {
            EXPECT_EQ(nullptr, file);
            EXPECT_STREQ("pageMenu", page.c_str());
            continue;
        }
        ASSERT_NE(nullptr, file);
        char mark = 0;
        DString place;
        int seven = 0;
        *file >> mark >> place >> seven;
        EXPECT_FALSE(file->Error());
        EXPECT_EQ(42, mark);
        EXPECT_STREQ(all[c.opened], place.c_str());
        EXPECT_EQ(7, seven);
        std::string expected = dir.path() + "\\" + all[c.opened];
        expected.replace(expected.rfind('/'), 1, "\\");
        EXPECT_EQ(expected, page.c_str());
    }
}

// ---- Images --------------------------------------------------------------------------------

TEST(StoreImages, LandscapeVariantsAndTheDefaultSkin)
{
    // Which files exist and which one an image name loads from, told by colour.
    const TColorIG nightPlain(255, 0, 0), nightLand(0, 255, 0), defPlain(0, 0, 255),
        defLand(255, 255, 0);
    struct Case {
        const char* what;
        bool landscape;
        std::vector<std::string> files;  // among the four below
        TColorIG expected;
        bool found;
    } cases[] = {
        {"portrait", false, {"nP", "nL", "dP", "dL"}, nightPlain, true},
        {"landscape", true, {"nP", "nL", "dP", "dL"}, nightLand, true},
        // The default skin's landscape variant comes before the skin's plain image.
        {"default landscape first", true, {"nP", "dP", "dL"}, defLand, true},
        {"skin plain", true, {"nP", "dP"}, nightPlain, true},
        {"default plain", true, {"dP"}, defPlain, true},
        {"default plain portrait", false, {"dP", "dL"}, defPlain, true},
        {"none", true, {}, TColorIG(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.skinName = "night";
        engine.skinSettings.landscape = c.landscape;
        for (const std::string& f : c.files) {
            if (f == "nP") WriteImage(dir / "night/arrow.png", 4, 4, nightPlain);
            if (f == "nL") WriteImage(dir / "night/arrowLandscape.png", 4, 4, nightLand);
            if (f == "dP") WriteImage(dir / "default/arrow.png", 4, 4, defPlain);
            if (f == "dL") WriteImage(dir / "default/arrowLandscape.png", 4, 4, defLand);
        }
        TDibIG* image = engine.resources.GetImage("arrow");
        ASSERT_EQ(c.found, image != nullptr);
        if (image) {
            EXPECT_EQ(Stored(c.expected), image->GetPixel(1, 1));
        }
        EXPECT_EQ(c.found ? 1 : 0, engine.resources.GetCount());
    }
}

// Later asks for an image see every change of the skin folders and of the
// settings since the last one, whether the folders are being written now or
// were last changed long ago (when their listings are kept).
TEST(StoreImages, LaterAsksSeeFilesComeAndGo)
{
    const TColorIG nightPlain(255, 0, 0), nightLand(0, 255, 0), defPlain(0, 0, 255), defLand(255, 255, 0);
    for (bool aged : {false, true}) {
        SCOPED_TRACE(aged ? "folders changed long ago" : "folders changed now");
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.skinName = "night";
        engine.skinSettings.landscape = 1;
        auto write = [&](const char* file, TColorIG colour) { WriteImage(dir / file, 4, 4, colour); };
        auto remove = [&](const char* file) { ASSERT_EQ(0, std::remove((dir / file).c_str())); };
        struct Step {
            const char* what;
            std::function<void()> change;
            TColorIG expected;
        } steps[] = {
            {"default plain only", [&] { write("default/arrow.png", defPlain); }, defPlain},
            {"skin plain added", [&] { write("night/arrow.png", nightPlain); }, nightPlain},
            {"default landscape added", [&] { write("default/arrowLandscape.png", defLand); }, defLand},
            {"skin landscape added", [&] { write("night/arrowLandscape.png", nightLand); }, nightLand},
            {"skin landscape removed", [&] { remove("night/arrowLandscape.png"); }, defLand},
            {"portrait", [&] { engine.skinSettings.landscape = 0; }, nightPlain},
            {"skin plain removed", [&] { remove("night/arrow.png"); }, defPlain},
            {"landscape again", [&] { engine.skinSettings.landscape = 1; }, defLand},
            {"another skin", [&] { engine.skinSettings.skinName = "day"; }, defLand},
        };
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            step.change();
            if (aged)
                for (const char* folder : {"night", "default"}) {
                    const struct timespec times[2] = {{1000000, 0}, {1000000, 0}};
                    utimensat(AT_FDCWD, (dir / folder).c_str(), times, 0);
                }
            for (int ask = 0; ask < 2; ++ask) {
                engine.resources.Clear();
                TDibIG* image = engine.resources.GetImage("arrow");
                ASSERT_NE(nullptr, image);
                EXPECT_EQ(Stored(step.expected), image->GetPixel(1, 1));
            }
        }
    }
}

// A name asked again and again while its folders are unchanged is answered
// from how it was found (its folders are watched); every change of a file, a
// setting or the device root is seen at the next ask all the same, for
// images and compiled pages alike.
TEST(StoreImages, RepeatedAsksSeeEveryChangeAtTheNextAsk)
{
    namespace fs = std::filesystem;
    testpaths::TempDir dir;
    const std::string savedRoot = Path::DeviceRoot();
    Path::SetDeviceRoot(dir / "one");
    SkinEngine engine;
    engine.skinsFolder = "\\skins";
    engine.skinSettings.skinName = "night";
    engine.skinSettings.defaultSkinName = "default";
    engine.skinSettings.landscape = 1;
    auto at = [&](const std::string& file) { return dir / ("one/skins/" + file); };
    // An image and a page that tell where they come from: widths and texts
    // tell the files apart; a rewrite keeps the size but not the pixels.
    auto put = [&](const std::string& where, int width, TColorIG colour, const std::string& page) {
        WriteImage(where + ".png", width, 2, colour);
        WriteText(where + ".cpage", page);
    };
    auto remove = [&](const std::string& where) {
        fs::remove(where + ".png");
        fs::remove(where + ".cpage");
    };
    const TColorIG red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255);
    put(at("night/arrow"), 1, red, "night 1");
    put(at("default/arrow"), 2, red, "default 2");
    put(dir / "two/skins/night/arrow", 8, red, "two 8");
    struct Step {
        const char* what;
        std::function<void()> change;
        int width;
        TColorIG colour;
        const char* page;
    } steps[] = {
        {"as made", [] {}, 1, red, "night 1"},
        {"rewritten in place", [&] { put(at("night/arrow"), 1, blue, "night 9"); }, 1, blue, "night 9"},
        {"replaced",
         [&] {
             put(at("night/new"), 3, green, "night 3");
             for (const char* ext : {".png", ".cpage"})
                 fs::rename(at("night/new") + ext, at("night/arrow") + ext);
         },
         3, green, "night 3"},
        {"landscape variant added", [&] { put(at("night/arrowLandscape"), 4, red, "night 4"); }, 4, red, "night 4"},
        {"landscape variant removed", [&] { remove(at("night/arrowLandscape")); }, 3, green, "night 3"},
        // A page of the skin goes before the default skin's landscape variant.
        {"default landscape variant added", [&] { put(at("default/arrowLandscape"), 5, red, "default 5"); }, 5, red,
         "night 3"},
        {"portrait", [&] { engine.skinSettings.landscape = 0; }, 3, green, "night 3"},
        {"removed", [&] { remove(at("night/arrow")); }, 2, red, "default 2"},
        {"none left", [&] { remove(at("default/arrow")); }, 0, red, nullptr},
        {"made again",
         [&] {
             put(at("night/arrow"), 6, red, "night 6");
             put(at("default/arrow"), 2, red, "default 2");
         },
         6, red, "night 6"},
        {"kept files dropped", [] { TWholeFileCache::Shared().Clear(); }, 6, red, "night 6"},
        {"another skin", [&] { engine.skinSettings.skinName = "day"; }, 2, red, "default 2"},
        {"the skin again", [&] { engine.skinSettings.skinName = "night"; }, 6, red, "night 6"},
        {"device root moved", [&] { Path::SetDeviceRoot(dir / "two"); }, 8, red, "two 8"},
        {"device root back", [&] { Path::SetDeviceRoot(dir / "one"); }, 6, red, "night 6"},
    };
    long aged = 1000000;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        // Files written now made as if long ago (as installed), so that pages
        // are kept; each step at another time, as a file's versions would be.
        // The rest are left alone: a step that changes no file changes nothing
        // the folder watch sees.
        ++aged;
        for (const char* folder : {"one/skins/night", "one/skins/default", "two/skins/night"})
            for (const auto& entry : fs::directory_iterator(dir / folder)) {
                struct stat st;
                if (::stat(entry.path().c_str(), &st) != 0 || st.st_mtime < 2000000)
                    continue;
                const struct timespec times[2] = {{aged, 0}, {aged, 0}};
                utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
            }
        for (int ask = 0; ask < 3; ++ask) {
            SCOPED_TRACE(ask);
            Path::LookupBatch lookups;
            engine.resources.SetLookupBatch(&lookups);
            engine.resources.Clear();
            TDibIG* image = engine.resources.GetImage("arrow");
            DString pageName("arrow");
            std::shared_ptr<const TWholeFile> page = engine.resources.ReadCompiledPageKept(pageName);
            engine.resources.SetLookupBatch(nullptr);
            if (!step.page) {  // nothing anywhere
                EXPECT_EQ(nullptr, image);
                EXPECT_EQ(nullptr, page);
                continue;
            }
            ASSERT_NE(nullptr, image);
            EXPECT_EQ(step.width, image->Width());
            EXPECT_EQ(Stored(step.colour), image->GetPixel(0, 0));
            ASSERT_NE(nullptr, page);
            EXPECT_EQ(step.page, std::string(reinterpret_cast<const char*>(page->data.get()), page->length));
        }
    }
    Path::SetDeviceRoot(savedRoot);
}

// Engines (or one engine over time) whose settings differ in one thing each
// find the file those settings lead to, asked in turn, however often: how a
// name was found under one set of settings never answers for another. Widths
// tell the files apart.
TEST(StoreImages, HowANameWasFoundHoldsOnlyForTheSameSettings)
{
    testpaths::TempDir one, two;
    WriteImage(one / "night/arrow.png", 1, 1, TColorIG(255, 0, 0));
    WriteImage(one / "night/arrowLandscape.png", 2, 2, TColorIG(255, 0, 0));
    WriteImage(one / "night/arrow.bmp", 3, 3, TColorIG(255, 0, 0));
    WriteImage(one / "default/arrow.png", 4, 4, TColorIG(255, 0, 0));
    WriteImage(one / "other/arrow.png", 5, 5, TColorIG(255, 0, 0));
    WriteImage(two / "night/arrow.png", 6, 6, TColorIG(255, 0, 0));
    for (const char* skin : {"s1", "s2", "s3", "s4", "s5", "s6"})
        WriteImage(one / (std::string(skin) + "/arrow.png"), 7 + (skin[1] - '1'), 1, TColorIG(255, 0, 0));
    struct Settings {
        std::string folder, skin, defaultSkin, extension;
        bool landscape;
        int width;
    };
    const Settings plain{one.path(), "night", "default", "png", false, 1};
    auto but = [&](std::function<void(Settings&)> change, int width) {
        Settings s = plain;
        change(s);
        s.width = width;
        return s;
    };
    auto apply = [](SkinEngine& e, const Settings& s) {
        e.skinsFolder = s.folder.c_str();
        e.skinSettings.skinName = s.skin.c_str();
        e.skinSettings.defaultSkinName = s.defaultSkin.c_str();
        e.skinSettings.bitmapExtension = s.extension.c_str();
        e.skinSettings.landscape = s.landscape;
    };
    struct Case {
        const char* what;
        std::vector<Settings> settings;  // asked in turn, twice round
    } cases[] = {
        {"skins folder", {plain, but([&](Settings& s) { s.folder = two.path(); }, 6)}},
        {"skin", {plain, but([](Settings& s) { s.skin = "missing"; }, 4)}},
        {"default skin",
         {but([](Settings& s) { s.skin = "missing"; }, 4),
          but([](Settings& s) { s.skin = "missing";
                  s.defaultSkin = "other"; }, 5)}},
        {"extension", {plain, but([](Settings& s) { s.extension = "bmp"; }, 3)}},
        {"orientation", {plain, but([](Settings& s) { s.landscape = true; }, 2)}},
        {"more skins than are kept for one name",
         {but([](Settings& s) { s.skin = "s1"; }, 7), but([](Settings& s) { s.skin = "s2"; }, 8),
          but([](Settings& s) { s.skin = "s3"; }, 9), but([](Settings& s) { s.skin = "s4"; }, 10),
          but([](Settings& s) { s.skin = "s5"; }, 11), but([](Settings& s) { s.skin = "s6"; }, 12)}},
    };
    // Test engines share one clock: the last made goes first.
    struct Engines : std::vector<std::unique_ptr<SkinEngine>> {
        ~Engines()
        {
            while (!empty())
                pop_back();
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Engines engines;
        for (const Settings& s : c.settings) {
            engines.push_back(std::make_unique<SkinEngine>());
            apply(*engines.back(), s);
        }
        for (int round = 0; round < 2; ++round)
            for (size_t i = 0; i < engines.size(); ++i) {
                SCOPED_TRACE(i);
                RecPage page(engines[i].get(), "page");
                TDibIG* image = page.resources.GetImage("arrow");
                ASSERT_NE(nullptr, image);
                EXPECT_EQ(c.settings[i].width, image->Width());
            }
        // One engine whose settings change back and forth finds the same.
        SkinEngine& e = *engines[0];
        for (int round = 0; round < 2; ++round)
            for (const Settings& s : c.settings) {
                apply(e, s);
                RecPage page(&e, "page");
                TDibIG* image = page.resources.GetImage("arrow");
                ASSERT_NE(nullptr, image);
                EXPECT_EQ(s.width, image->Width());
            }
    }
}

// Within one load the store looks at each folder once (its lookup batch); the
// next load sees every change made since, to the files or to the skin folder
// itself, even for files and folders last changed long ago (whose listings,
// decoded images and page bytes are kept).
TEST_F(StoreTest, EachLoadSeesImagesAndPagesAsTheyAreNow)
{
    namespace fs = std::filesystem;
    const TColorIG red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), grey(128, 128, 128);
    auto age = [&](const std::string& path) {
        const struct timespec times[2] = {{1000000, 0}, {1000000, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    };
    auto skin = [&](const std::string& folder, TColorIG colour, const char* page) {
        WriteImage(dir / (folder + "/arrow.png"), 4, 4, colour);
        WriteText(dir / (folder + "/pageMenu.cpage"), page);
    };
    skin("default", grey, "default page");
    skin("night", red, "night page");
    struct Step {
        const char* what;
        std::function<void()> change;
        TColorIG colour;
        const char* page;
    } steps[] = {
        {"as made", [] {}, red, "night page"},
        {"image rewritten", [&] { WriteImage(dir / "night/arrow.png", 4, 4, blue); }, blue, "night page"},
        {"image and page replaced",
         [&] {
             skin("new", green, "new page");
             fs::rename(dir / "new/arrow.png", dir / "night/arrow.png");
             fs::rename(dir / "new/pageMenu.cpage", dir / "night/pageMenu.cpage");
         },
         green, "new page"},
        {"skin folder replaced",
         [&] {
             fs::rename(dir / "night", dir / "away");
             skin("night", blue, "other page");
         },
         blue, "other page"},
        {"skin folder moved back",
         [&] {
             fs::remove_all(dir / "night");
             fs::rename(dir / "away", dir / "night");
         },
         green, "new page"},
        {"image and page removed",
         [&] {
             fs::remove(dir / "night/arrow.png");
             fs::remove(dir / "night/pageMenu.cpage");
         },
         grey, "default page"},
        {"skin folder removed", [&] { fs::remove_all(dir / "night"); }, grey, "default page"},
        {"skin folder made again", [&] { skin("night", red, "night page"); }, red, "night page"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        for (const char* folder : {"default", "night"})
            if (fs::exists(dir / folder)) {
                for (const auto& entry : fs::directory_iterator(dir / folder))
                    age(entry.path().string());
                age(dir / folder);
            }
        for (int load = 0; load < 2; ++load) {
            Path::LookupBatch lookups;
            store().SetLookupBatch(&lookups);
            store().Clear();
            TDibIG* image = store().GetImage("arrow");
            DString pageName("pageMenu");
            std::shared_ptr<const TWholeFile> page = store().ReadCompiledPageKept(pageName);
            store().SetLookupBatch(nullptr);
            ASSERT_NE(nullptr, image);
            EXPECT_EQ(Stored(step.colour), image->GetPixel(1, 1));
            ASSERT_NE(nullptr, page);
            EXPECT_EQ(step.page, std::string(reinterpret_cast<const char*>(page->data.get()), page->length));
        }
    }
}

TEST_F(StoreTest, ExtensionsAndFullPaths)
{
    WriteImage(dir / "night/arrow.bmp", 3, 3, TColorIG(255, 0, 0));  // any format by content
    WriteImage(dir / "night/arrow.png", 4, 4, TColorIG(0, 255, 0));
    WriteImage(dir / "night/icons/star.png", 5, 5, TColorIG(0, 0, 255));
    WriteImage(dir / "elsewhere/photo.png", 6, 6, TColorIG(9, 9, 9));
    WriteImage(dir / "elsewhere/photoLandscape.png", 7, 7, TColorIG(9, 9, 9));

    EXPECT_EQ(4, store().GetImage("arrow")->Width());
    EXPECT_EQ(3, store().GetImage("arrow.bmp")->Width());
    EXPECT_EQ(5, store().GetImage("icons\\star")->Width());
    settings().bitmapExtension = "bmp";
    EXPECT_EQ(4, store().GetImage("arrow")->Width());  // cached under its name
    store().Clear();
    EXPECT_EQ(3, store().GetImage("arrow")->Width());

    const std::string photo = dir / "elsewhere/photo";
    settings().bitmapExtension = "png";
    EXPECT_EQ(6, store().GetImage(photo.c_str())->Width());
    store().Clear();
    settings().landscape = 1;
    EXPECT_EQ(7, store().GetImage(photo.c_str())->Width());
}

// Which file a name finds in landscape, for images and text files: names in
// the skin and device paths ("\\..." under the device root) try their
// landscape variant first; a Linux path does for images and is read as it
// stands for text files.
TEST(StoreLandscape, EveryKindOfNameAndItsVariant)
{
    struct Case {
        const char* what;
        bool image;
        std::string name;  // "<dir>" stands for the test folder
        const char* plain;
        const char* variant;
        bool variantInLandscape;
    } cases[] = {
        {"image in the skin", true, "photo", "night/photo.png", "night/photoLandscape.png", true},
        {"image device path", true, "\\elsewhere\\photo", "elsewhere/photo.png", "elsewhere/photoLandscape.png",
         true},
        {"image device path with extension", true, "\\elsewhere\\photo.png", "elsewhere/photo.png",
         "elsewhere/photoLandscape.png", true},
        {"image linux path", true, "<dir>/elsewhere/photo", "elsewhere/photo.png", "elsewhere/photoLandscape.png",
         true},
        {"text in the skin", false, "notes.txt", "night/notes.txt", "night/notesLandscape.txt", true},
        {"text device path", false, "\\elsewhere\\notes.txt", "elsewhere/notes.txt",
         "elsewhere/notesLandscape.txt", true},
        {"text linux path", false, "<dir>/elsewhere/notes.txt", "elsewhere/notes.txt",
         "elsewhere/notesLandscape.txt", false},
    };
    const std::string savedRoot = Path::DeviceRoot();
    for (const Case& c : cases) {
        for (const bool landscape : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (landscape ? " landscape" : " portrait"));
            testpaths::TempDir dir;
            Path::SetDeviceRoot(dir.path());
            SkinEngine engine;
            engine.skinsFolder = dir.path().c_str();
            engine.skinSettings.skinName = "night";
            engine.skinSettings.landscape = landscape;
            std::string name = c.name;
            if (name.compare(0, 5, "<dir>") == 0)
                name = dir.path() + name.substr(5);
            const bool variant = landscape && c.variantInLandscape;
            if (c.image) {
                WriteImage(dir / c.plain, 6, 6, TColorIG(9, 9, 9));
                WriteImage(dir / c.variant, 7, 7, TColorIG(9, 9, 9));
                TDibIG* image = engine.resources.GetImage(name.c_str());
                ASSERT_NE(nullptr, image);
                EXPECT_EQ(variant ? 7 : 6, image->Width());
            } else {
                WriteText(dir / c.plain, "plain");
                WriteText(dir / c.variant, "variant");
                DString text, file(name.c_str());
                ASSERT_TRUE(engine.resources.ReadSkinTextFile(text, file));
                EXPECT_STREQ(variant ? "variant" : "plain", text.c_str());
            }
        }
    }
    Path::SetDeviceRoot(savedRoot);
}

TEST_F(StoreTest, HandlesNameImagesInMemoryAndNothingElse)
{
    TDibIG image;
    image.Crea(2, 2, 16);
    const DString name = store().RegisterImage(&image);
    EXPECT_TRUE(name.StartsWith("0x"));
    EXPECT_EQ(&image, store().GetImage(name.c_str()));
    EXPECT_EQ(&image, store().GetImage(name.c_str(), true, true));
    EXPECT_EQ(0, store().GetCount());  // nothing cached
    EXPECT_EQ(name, store().RegisterImage(&image));  // once per image

    // Only this store's table answers; an address never does.
    RecPage page(&engine, "pageA");
    EXPECT_EQ(nullptr, page.resources.GetImage(name.c_str()));
    char address[32];
    snprintf(address, sizeof address, "0x%llx", (unsigned long long)(uintptr_t)&image);
    EXPECT_EQ(nullptr, store().GetImage(address));
    EXPECT_EQ(nullptr, store().GetImage("0x0"));
    EXPECT_EQ(nullptr, store().GetImage("0xFFFFFFFFFFFFFFFF1"));

    store().UnregisterImage(&image);
    EXPECT_EQ(nullptr, store().GetImage(name.c_str()));
    // A name that only begins like a handle is an ordinary image name.
    WriteImage(dir / "night/0xygen.png", 3, 3, TColorIG(1, 2, 3));
    EXPECT_NE(nullptr, store().GetImage("0xygen"));
}

// ---- Themes --------------------------------------------------------------------------------

TEST_F(StoreTest, ThemeTwoTakesWhatThemeOneLeaves)
{
    const std::string themes =
        "<themes>"
        "<theme name=\"one\"><themerule type=\"image\" image=\"arrow\" filters=\"invert\"/></theme>"
        "<theme name=\"two\"><themerule type=\"image\" image=\"*\" filters=\"grayscale\"/></theme>"
        "</themes>";
    const TColorIG red(255, 0, 0);
    WriteImage(dir / "night/arrow.png", 4, 4, red);
    WriteImage(dir / "night/arrowLandscape.png", 4, 4, red);
    WriteImage(dir / "night/other.png", 4, 4, red);
    enum Result { Red, Inverted, Grey };
    struct Case {
        const char* what;
        const char* image;
        bool landscape;
        const char* excluded;  // from theme 1
        bool compiling;
        Result result;
    } cases[] = {
        {"theme 1 rule", "arrow", false, nullptr, false, Inverted},
        {"landscape file, same rule", "arrow", true, nullptr, false, Inverted},
        {"no theme 1 rule", "other", false, nullptr, false, Grey},
        {"excluded from theme 1", "arrow", false, "arrow", false, Grey},
        {"skin compiling", "arrow", false, nullptr, true, Red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store().Clear();
        settings().landscape = c.landscape;
        engine.skinCompiling = c.compiling;
        Themes(themes, "one", "two");
        settings().theme1.excludedImages.RemoveAll();
        if (c.excluded)
            settings().theme1.excludedImages.Add(DString(c.excluded));
        TDibIG* image = store().GetImage(c.image);
        ASSERT_NE(nullptr, image);
        const TColorIG p = image->GetPixel(2, 2);
        switch (c.result) {
        case Red:
            EXPECT_EQ(Stored(red), p);
            break;
        case Inverted:
            EXPECT_EQ(Stored(TColorIG(0, 255, 255)), p);
            break;
        case Grey:
            EXPECT_TRUE(p.R() > 0 && p.R() < 200 && (p.R() >> 3) == (p.B() >> 3)) << p.R() << " " << p.B();
            break;
        }
    }
}

// ---- Cells ---------------------------------------------------------------------------------

// Exclusions change without the themes being loaded again: every ask sees
// each theme's exclusions as they are now, never pixels themed otherwise that
// an earlier ask left in the shared cache.
TEST_F(StoreTest, ExclusionsTakeEffectAtTheNextAsk)
{
    Themes("<themes>"
           "<theme name=\"one\"><themerule type=\"image\" image=\"arrow\" filters=\"invert\"/></theme>"
           "<theme name=\"two\"><themerule type=\"image\" image=\"*\" filters=\"grayscale\"/></theme>"
           "</themes>",
           "one", "two");
    const TColorIG red(255, 0, 0);
    WriteImage(dir / "night/arrow.png", 4, 4, red);
    WriteImage(dir / "night/other.png", 4, 4, red);
    enum Result { Red, Inverted, Grey };
    struct Step {
        const char* image;
        const char* fromOne;  // excluded from theme 1
        const char* fromTwo;  // excluded from theme 2
        Result result;
    } steps[] = {
        {"arrow", nullptr, nullptr, Inverted}, {"arrow", "arrow", nullptr, Grey},
        {"arrow", "arrow", "arrow", Red},      {"arrow", nullptr, nullptr, Inverted},
        {"other", nullptr, nullptr, Grey},     {"other", nullptr, "other", Red},
        {"other", nullptr, nullptr, Grey},     {"arrow", "arrow", nullptr, Grey},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.image) + " " + (step.fromOne ? "1" : "-") + (step.fromTwo ? "2" : "-"));
        settings().theme1.excludedImages.RemoveAll();
        settings().theme2.excludedImages.RemoveAll();
        if (step.fromOne)
            settings().theme1.excludedImages.Add(DString(step.fromOne));
        if (step.fromTwo)
            settings().theme2.excludedImages.Add(DString(step.fromTwo));
        store().Clear();
        TDibIG* image = store().GetImage(step.image);
        ASSERT_NE(nullptr, image);
        const TColorIG p = image->GetPixel(2, 2);
        if (step.result == Red)
            EXPECT_EQ(Stored(red), p);
        else if (step.result == Inverted)
            EXPECT_EQ(Stored(TColorIG(0, 255, 255)), p);
        else
            EXPECT_TRUE(p.R() > 0 && p.R() < 200 && (p.R() >> 3) == (p.B() >> 3)) << p.R() << " " << p.B();
    }
}

TEST_F(StoreTest, CellsOfAStripAreCutOnceAndKept)
{
    WriteImage(dir / "night/strip.png", 32, 8, TColorIG(0, 0, 0));
    TDibIG* cell = store().GetImage("strip[2,8,8]");
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(8, cell->Width());
    EXPECT_EQ(8, cell->AbsHeight());
    EXPECT_EQ(128, cell->GetPixel(0, 0).R() & 0xF8);  // the third cell's marker
    EXPECT_EQ(2, store().GetCount());                 // the strip and the cell
    EXPECT_EQ(cell, store().GetImage("strip[2,8,8]"));
    EXPECT_EQ(cell, store().GetImage("strip_2"));
    EXPECT_EQ(cell, store().GetImageCell("strip", 2, 8, 8));
    EXPECT_EQ(2, store().GetCount());
    // The strip itself, asked without cells, is the whole image.
    EXPECT_EQ(nullptr, store().GetImage("strip[2,8,8]", true));  // no such file
    EXPECT_EQ(32, store().GetImage("strip")->Width());

    struct Case {
        const char* name;
        bool inside;
    } cases[] = {
        {"strip[3,8,8]", true},   {"strip[4,8,8]", false}, {"strip[1,32,8]", false},
        {"strip[0,8,9]", false},  {"strip[0,0,8]", false}, {"strip[0,8,0]", false},
        {"strip[-1,8,8]", false}, {"strip[0,-8,8]", false}, {"strip[1,2147483647,8]", false},
        {"strip[]", false},       {"missing[0,8,8]", false},
        {"strip[0,32,8]", true},  // cached as strip_0 whatever the size asked later
        {"strip[0,8,9]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.inside, store().GetImage(c.name) != nullptr);
    }
}

// How a cell name is read: "name[index,width,height]", the words between
// commas (empty ones skipped) read as numbers up to ']' or the end.
TEST_F(StoreTest, CellNamesInEveryWrittenForm)
{
    WriteImage(dir / "night/strip.png", 32, 8, TColorIG(0, 0, 0));
    struct Case {
        const char* name;
        int index, width, height;  // the cell it must be; index -1: none
    } cases[] = {
        {"strip[1,8,8]", 1, 8, 8},        {"strip[,,2,,8,8,]", 2, 8, 8},
        {"strip[ 3, 8 ,4]", 3, 8, 4},     {"strip[+1,16,8]", 1, 16, 8},
        {"strip[2,8,8", 2, 8, 8},         {"strip[2,8,8]tail", 2, 8, 8},
        {"strip[1,8,8,99]", 1, 8, 8},     {"strip[1x,8y,8z]", 1, 8, 8},
        {"strip[1,8]", -1, 0, 0},         {"strip[1]", -1, 0, 0},
        {"strip[", -1, 0, 0},             {"strip[,,,]", -1, 0, 0},
        {"strip[x,8,8]", 0, 8, 8},        {"strip[99999999999,8,8]", -1, 0, 0},
        {"strip[1,8,8]]", 1, 8, 8},       {"strip[[1,8,8]", 0, 8, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store().Clear();  // a cell is kept by its index alone
        TDibIG* cell = store().GetImage(c.name);
        if (c.index < 0) {
            EXPECT_EQ(nullptr, cell);
            continue;
        }
        ASSERT_NE(nullptr, cell);
        EXPECT_EQ(c.width, cell->Width());
        EXPECT_EQ(c.height, cell->AbsHeight());
        EXPECT_EQ(8 * c.index * c.width, cell->GetPixel(0, 0).R() & 0xF8);  // the marker at its left
        EXPECT_EQ(cell, store().GetImage(("strip_" + std::to_string(c.index)).c_str()));
    }
}

TEST_F(StoreTest, PageStoresSendCommonImagesToTheEngineStore)
{
    WriteImage(dir / "night/commonStrip.png", 16, 8, TColorIG(0, 0, 0));
    WriteImage(dir / "night/local.png", 4, 4, TColorIG(0, 0, 0));
    RecPage page(&engine, "pageA");
    TDibIG* cell = page.resources.GetImage("commonStrip[1,8,8]");
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(0, page.resources.GetCount());
    EXPECT_EQ(2, store().GetCount());
    EXPECT_EQ(cell, store().GetImage("commonStrip[1,8,8]"));
    ASSERT_NE(nullptr, page.resources.GetImage("local"));
    EXPECT_EQ(1, page.resources.GetCount());
    EXPECT_EQ(2, store().GetCount());
    // A cell cut here from a common strip is kept here, but its name still
    // belongs to the engine store, which has no such file.
    ASSERT_NE(nullptr, page.resources.GetImageCell("commonStrip", 0, 8, 8));
    EXPECT_EQ(2, page.resources.GetCount());
    EXPECT_EQ(nullptr, page.resources.GetImage("commonStrip_0"));
    EXPECT_EQ(page.resources.GetImage("local"), page.resources.GetImage("local"));
}

// ---- Sharing between stores ----------------------------------------------------------------

// Pages naming the same image share one decoded image, also across page loads;
// a new version of the file or of the themes gives a new one, and an image
// stays valid for a store as long as the store keeps it.
TEST_F(StoreTest, DecodedImagesAreSharedByFileAndThemes)
{
    const std::string themes =
        "<themes><theme name=\"plain\"/>"
        "<theme name=\"dark\"><themerule type=\"image\" image=\"*\" filters=\"invert\"/></theme>"
        "</themes>";
    const TColorIG red(255, 0, 0), cyan(0, 255, 255);
    struct Case {
        const char* what;
        std::function<void()> change;
        int width;
        TColorIG colour;
    } cases[] = {
        {"file rewritten", [&] { WriteImage(dir / "night/arrow.png", 9, 9, red); }, 9, red},
        {"themes loaded again", [&] { Themes(themes, "dark", "plain"); }, 8, cyan},
        {"excluded from theme one",
         [&] {
             Themes(themes, "dark", "plain");
             settings().theme1.excludedImages.Add(DString("arrow"));
         },
         8, red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteImage(dir / "night/arrow.png", 8, 8, red);
        Themes(themes, "plain", "plain");
        settings().theme1.excludedImages.RemoveAll();
        auto a = std::make_unique<RecPage>(&engine, "pageA");
        RecPage b(&engine, "pageB");
        TDibIG* shared = a->resources.GetImage("arrow");
        ASSERT_NE(nullptr, shared);
        EXPECT_EQ(shared, b.resources.GetImage("arrow"));
        // Gone with the first page, kept for the second; a later page shares it too.
        a.reset();
        EXPECT_EQ(Stored(red), shared->GetPixel(1, 1));
        b.resources.Clear();
        RecPage later(&engine, "pageC");
        EXPECT_EQ(shared, later.resources.GetImage("arrow"));

        c.change();
        RecPage changed(&engine, "pageD");
        TDibIG* fresh = changed.resources.GetImage("arrow");
        ASSERT_NE(nullptr, fresh);
        EXPECT_NE(shared, fresh);
        EXPECT_EQ(c.width, fresh->Width());
        EXPECT_EQ(Stored(c.colour), fresh->GetPixel(1, 1));
        EXPECT_EQ(Stored(red), shared->GetPixel(1, 1));  // the earlier page keeps its pixels
        EXPECT_EQ(8, shared->Width());
    }
}

// Themes without image rules do the same to every image: whatever else they
// hold, in whatever engine, loaded however often, they share decoded images.
// An image rule or an exclusion makes an image of its own.
TEST_F(StoreTest, ThemesWithoutImageRulesShareDecodedImages)
{
    const std::string themes =
        "<themes><theme name=\"plain\"/>"
        "<theme name=\"colours\"><themerule type=\"color\" color=\"#FF0000\" replaceby=\"#00FF00\"/></theme>"
        "<theme name=\"dark\"><themerule type=\"image\" image=\"*\" filters=\"invert\"/></theme>"
        "</themes>";
    const TColorIG red(255, 0, 0), cyan(0, 255, 255);
    WriteImage(dir / "night/arrow.png", 8, 8, red);
    Themes(themes, "plain", "plain");
    RecPage first(&engine, "pageA");
    TDibIG* shared = first.resources.GetImage("arrow");
    ASSERT_NE(nullptr, shared);
    struct Case {
        const char* what;
        const char* theme1;  // null: none loaded
        const char* theme2;
        bool excluded;
        bool same;
        TColorIG colour;
    } cases[] = {
        {"no themes loaded", nullptr, nullptr, false, true, red},
        {"the same themes", "plain", "plain", false, true, red},
        {"colour rules only", "colours", "plain", false, true, red},
        {"an image rule in theme two", "plain", "dark", false, false, cyan},
        {"excluded from a theme without rules", "plain", "plain", true, false, red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SkinEngine other;
        other.skinsFolder = engine.skinsFolder;
        other.skinSettings.skinName = settings().skinName;
        other.skinSettings.defaultSkinName = settings().defaultSkinName;
        other.skinSettings.landscape = 0;
        if (c.theme1) {
            std::string buffer = themes;
            TPDAUIEngineXml xml;
            ASSERT_TRUE(xml.Parse(&buffer[0]));
            DString t1(c.theme1), t2(c.theme2);
            other.skinSettings.theme1.Load(&xml, t1, "");
            other.skinSettings.theme2.Load(&xml, t2, "");
        }
        if (c.excluded)
            other.skinSettings.theme1.excludedImages.Add(DString("arrow"));
        RecPage page(&other, "pageB");
        TDibIG* image = page.resources.GetImage("arrow");
        ASSERT_NE(nullptr, image);
        EXPECT_EQ(c.same, image == shared);
        EXPECT_EQ(Stored(c.colour), image->GetPixel(1, 1));
    }
}

// A reload puts new pixels into the store's object; later lookups of the
// file never get the reloaded object's old key.
TEST_F(StoreTest, ReloadedImagesLeaveTheSharedCache)
{
    WriteImage(dir / "night/arrow.png", 8, 8, TColorIG(255, 0, 0));
    RecPage a(&engine, "pageA");
    TDibIG* image = a.resources.GetImage("arrow");
    ASSERT_NE(nullptr, image);
    WriteImage(dir / "night/other.png", 8, 8, TColorIG(0, 0, 255));
    std::filesystem::rename(dir / "night/other.png", dir / "night/arrow.png");
    EXPECT_EQ(image, a.resources.GetImage("arrow", false, true));
    EXPECT_EQ(Stored(TColorIG(0, 0, 255)), image->GetPixel(1, 1));
    RecPage b(&engine, "pageB");
    TDibIG* again = b.resources.GetImage("arrow");
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(Stored(TColorIG(0, 0, 255)), again->GetPixel(1, 1));
}

// ---- Reloading -----------------------------------------------------------------------------

TEST_F(StoreTest, ReloadAfterAThemeChangeKeepsObjectsAndChangesPixels)
{
    const std::string themes =
        "<themes><theme name=\"plain\"/>"
        "<theme name=\"dark\"><themerule type=\"image\" image=\"*\" filters=\"invert\"/></theme>"
        "</themes>";
    WriteImage(dir / "night/arrow.png", 8, 8, TColorIG(255, 0, 0));
    WriteImage(dir / "night/strip.png", 16, 8, TColorIG(0, 0, 0));
    WriteImage(dir / "night/gone.png", 8, 8, TColorIG(0, 0, 255));
    Themes(themes, "plain", "plain");
    TDibIG* arrow = store().GetImage("arrow");
    TDibIG* cell = store().GetImage("strip[1,8,8]");
    TDibIG* gone = store().GetImage("gone");
    ASSERT_TRUE(arrow && cell && gone);
    const uint64_t version = arrow->Version();
    std::filesystem::remove(dir / "night/gone.png");

    Themes(themes, "dark", "dark");
    store().ReloadCachedImages();
    EXPECT_EQ(4, store().GetCount());
    EXPECT_EQ(arrow, store().GetImage("arrow"));
    EXPECT_EQ(cell, store().GetImage("strip[1,8,8]"));
    EXPECT_NE(version, arrow->Version());
    EXPECT_EQ(Stored(TColorIG(0, 255, 255)), arrow->GetPixel(4, 4));
    EXPECT_EQ(Stored(TColorIG(255, 255, 255)), cell->GetPixel(4, 4));
    // Its file gone, an image keeps its pixels (and a reload of it answers nothing).
    EXPECT_EQ(gone, store().GetImage("gone"));
    EXPECT_EQ(Stored(TColorIG(0, 0, 255)), gone->GetPixel(4, 4));
    EXPECT_EQ(nullptr, store().GetImage("gone", false, true));
    EXPECT_EQ(Stored(TColorIG(0, 0, 255)), gone->GetPixel(4, 4));

    // A reload of one cell reads its strip again.
    Themes(themes, "plain", "plain");
    EXPECT_EQ(cell, store().GetImage("strip[1,8,8]", false, true));
    EXPECT_EQ(Stored(TColorIG(0, 0, 0)), cell->GetPixel(4, 4));
    EXPECT_EQ(Stored(TColorIG(0, 255, 255)), arrow->GetPixel(4, 4));  // not asked again
}

TEST_F(StoreTest, MemoryAndClear)
{
    WriteImage(dir / "night/arrow.png", 10, 10, TColorIG(1, 2, 3));
    ASSERT_NE(nullptr, store().GetImage("arrow"));
    TDibIG* arrow = store().GetImage("arrow");
    EXPECT_EQ(arrow->GetMemoryUsed() + 6, store().GetMemoryUsed());
    store().Clear();
    EXPECT_EQ(0, store().GetCount());
    EXPECT_EQ(0u, store().GetMemoryUsed());
}

} // namespace
