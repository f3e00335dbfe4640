// Loads any bytes as a skin XML page the way an application page loads one: the
// bytes are the file "pageFuzz.xml" of a copy of the fixture skin, loaded by
// name, so user controls are grafted, the stylesheet applied and the elements
// built by tag (boxes, IFrames, scroll bars, user controls, labels, buttons).
// The page is then laid out, painted at 800 x 480, tapped and closed.
#include <cstddef>
#include <cstdint>

#include "FuzzSkinFolder.h"
#include "SkinFuzzEngine.h"

namespace {

const char kSkin[] = "<skin version=\"440\"><defaultSkinName value=\"fixture\"/>"
                     "<screenPageTransitionsEnabled value=\"false\"/></skin>";
const char kInner[] = "<page id=\"pageInner\" background=\"#40A060\" padding=\"3\">"
                      "<label id=\"lblInner\" text=\"Inner\" flex=\"1\"/></page>";

struct Setup {
    Setup() : engine(PrepareFolder(folder))
    {
        DString name("fixture"), error;
        if (!engine.LoadSkin(name, "", "", "", error))
            __builtin_trap();
        engine.AddFont(folder.Path("fixture/DejaVuSans.ttf").c_str());
        engine.AddFont(folder.Path("fixture/DejaVuSans-Bold.ttf").c_str());
    }
    static const std::string& PrepareFolder(const FuzzSkinFolder& f)
    {
        f.CopyFixture("fixture");
        f.Write("fixture/skin.xml", kSkin, sizeof kSkin - 1);
        f.Write("fixture/pageInner.xml", kInner, sizeof kInner - 1);
        return f.path();
    }

    FuzzSkinFolder folder;
    SkinFuzzEngine engine;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    setup.folder.Write("fixture/pageFuzz.xml", data, size);
    SkinFuzzEngine::Page page(&setup.engine, "pageFuzz");
    setup.engine.Exercise(page, "pageInner");
    return 0;
}
