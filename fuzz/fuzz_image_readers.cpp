// Image readers (PNG, JPEG, BMP, CBMP) on arbitrary bytes. Whatever loads must
// survive a CBMP round trip unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "enginelib/draw/TDibIGformat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int w = 0, h = 0;
    bool header = TDibIGformat::LeeCabeceraMem(data, size, &w, &h);
    TDibIGformat img;
    if (!img.LeeMem(data, size))
        return 0;
    // A readable image has a readable header that agrees with it.
    if (!header || w != img.Width() || h != img.Height())
        std::abort();
    if (int64_t(w) * h > 256 * 256)
        return 0;
    std::vector<uint8_t> cbmp;
    if (!TDibIGformat::EncodeCbmp(img, cbmp))
        std::abort();
    TDibIGformat back;
    if (!back.LeeMem(cbmp.data(), cbmp.size()) || back.Width() != w || back.Height() != h ||
        back.Tiene_Alphas() != img.Tiene_Alphas())
        std::abort();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (uint32_t(back.GetPixel(x, y)) != uint32_t(img.GetPixel(x, y)) ||
                back.GetAlpha(x, y) != img.GetAlpha(x, y))
                std::abort();
    return 0;
}
