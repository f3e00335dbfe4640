// Theme lists from a fuzzed "skin.xml": load every theme named in it and run its
// image rules over a small bitmap, and its colour rules over a colour.
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineTheme.h"
#include "uiengine/core/TPDAUIEngineXml.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> buffer(data, data + size);
    buffer.push_back('\0');

    TPDAUIEngineXml root;
    root.Parse(buffer.data());

    // A second skin's themes merged into the first, as skins inherit them.
    TPDAUIEngineXml merged;
    std::vector<char> again(data, data + size);
    again.push_back('\0');
    merged.Parse(again.data());
    TPDAUIEngineTheme::ReadThemeList(&merged, &root);

    for (int i = 0; i < merged.children.Count() && i < 8; ++i) {
        TPDAUIEngineTheme theme;
        DString name = merged.children[i]->GetAttribute("name", "");
        theme.Load(&merged, name, CDString("default"));

        TDibIG image;
        if (image.Crea(5, 3, 16, true, true)) {
            theme.ApplyImageRules(CDString("commonButton"), &image);
            theme.ApplyImageRules(CDString("pageMapLandscape"), &image);
        }
        TColorIG colour(0x00336699);
        theme.ReplaceColor(CDString("pageMain"), colour);
    }
    return 0;
}
