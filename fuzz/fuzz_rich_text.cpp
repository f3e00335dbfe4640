// Rich text from a fuzzed label: measured, counted in lines and drawn with the
// default skin's DejaVu Sans, inline and floating images included. The first
// bytes choose the flags, the width, the line limit and the text direction.
#include "enginelib/base/DString.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

#include <cstdint>
#include <string>

namespace {

bool g_rtl = false;

void Settings(void*, int& increment, uint8_t& rtl, int& incrementRTL)
{
    increment = 0;
    rtl = g_rtl;
    incrementRTL = 0;
}

TDibIG* Image(void* context, const char* name)
{
    return name && name[0] == 'i' ? static_cast<TDibIG*>(context) : nullptr;
}

struct World {
    TDibIG image;
    TDibIG screen;
    QuietEngine engine;  // the font manager's owner, as in the program
    TPDAUIEngineFontManager& manager = engine.fontManager;
    World()
    {
        image.Crea(30, 20, 16);
        image.Fill(TColorIG(0, 0, 255));
        screen.Crea(160, 120, 16);
        manager.SetImageLoader(&Image, &image);
        manager.AddFont((std::string(ORBETA_SOURCE_DIR) + "/skins/default/DejaVuSans.ttf").c_str(), "/tmp");
        TPDAUIEngineFontRendererTTF::SetFontSettingsHook(&Settings, nullptr);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static World world;
    if (size < 4 || size > 4096 || world.manager.Count() == 0)
        return 0;
    static const int kFlags[] = {0x10, 0x40000, 0x40010, 0x800010, 0x11, 0x12, 0x14, 0x18};
    const int flags = kFlags[data[0] & 7] | (data[0] & 0x8 ? 0x800000 : 0);
    g_rtl = (data[0] & 0x10) != 0;
    const int width = (int)data[1] - 2;  // -2 .. 253: no limit, zero and narrow boxes
    const int maxLines = (int)(data[2] & 7) - 1;
    TPDAUIEngineStyleFont font;
    font.name = world.manager.Get(0)->family;
    font.size = 6 + (data[3] & 31);
    font.bold = data[3] & 0x20;
    font.richText = data[3] & 0x40;
    font.bordered = data[3] & 0x80;
    font.orientation = data[2] & 0x8 ? 90 : 0;
    font.paddingEllipsis = data[2] >> 4;
    const DString text(reinterpret_cast<const char*>(data + 4), (int)size - 4, 65001);

    int w = 0, h = 0;
    world.manager.GetTextExtent(w, h, font, text, width, flags);
    world.manager.GetLinesHeight(font, text, maxLines, width);
    IDC dc;
    if (dc.BeginPaintDib(&world.screen)) {
        TRectIG rect(2, 2, 2 + (width < 0 ? 150 : width), 118);
        world.manager.DrawText(&dc, font, TColorIG(0, 0, 0), nullptr, text, rect, flags, maxLines);
        dc.EndPaintDib();
    }
    return 0;
}
