// LoadSkin of a skin folder made from the input, then a page of that skin
// loaded, painted and tapped, and the skin loaded again with its themes swapped
// (cached images read again through the other theme). The input holds the
// files one after another, each ended by a NUL byte:
//   fuzz/skin.xml, fuzz/styles.css, default/skin.xml, base/styles.css,
//   fuzz/pageFuzz.xml, and the theme 1 name, theme 2 name and theme option
//   on three lines.
// A file the input does not reach is missing. The fuzz skin also holds the
// fixture skin's images, user control and the DejaVu fonts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSkinFolder.h"
#include "SkinFuzzEngine.h"

namespace {

const char* const kFiles[] = {"fuzz/skin.xml", "fuzz/styles.css", "default/skin.xml", "base/styles.css",
                              "fuzz/pageFuzz.xml"};
const int kFileCount = sizeof kFiles / sizeof kFiles[0];

struct Setup {
    Setup() { folder.CopyFixture("fuzz"); }
    FuzzSkinFolder folder;
};

std::vector<std::string> Split(const uint8_t* data, size_t size, char separator, size_t most)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= size && parts.size() < most) {
        size_t end = start;
        while (end < size && data[end] != (uint8_t)separator)
            ++end;
        if (end == size && start == size)
            break;
        parts.emplace_back((const char*)data + start, end - start);
        start = end + 1;
    }
    return parts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    const std::vector<std::string> parts = Split(data, size, '\0', kFileCount + 1);
    for (int i = 0; i < kFileCount; ++i)
        if (i < (int)parts.size())
            setup.folder.Write(kFiles[i], parts[i].data(), parts[i].size());
        else
            setup.folder.Remove(kFiles[i]);
    std::vector<std::string> themes;
    if ((int)parts.size() > kFileCount)
        themes = Split((const uint8_t*)parts[kFileCount].data(), parts[kFileCount].size(), '\n', 3);
    themes.resize(3);

    SkinFuzzEngine engine(setup.folder.path());
    DString name("fuzz"), error;
    if (!engine.LoadSkin(name, themes[0].c_str(), themes[1].c_str(), themes[2].c_str(), error)) {
        if (error.IsEmpty())
            __builtin_trap();  // a refusal always says why
        return 0;
    }
    {
        SkinFuzzEngine::Page page(&engine, "pageFuzz");
        engine.Exercise(page, "pageFuzz");
    }
    name = "fuzz";
    if (engine.LoadSkin(name, themes[1].c_str(), themes[0].c_str(), themes[2].c_str(), error)) {
        SkinFuzzEngine::Page page(&engine, "pageFuzz");
        engine.Exercise(page, "pageFuzz");
    }
    return 0;
}
