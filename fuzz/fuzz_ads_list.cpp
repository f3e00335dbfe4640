// The library's banner list as its file gives it: every banner taken has a
// name and an image, no more are taken than the limit, and the reader is
// linear in the input.
#include <cstddef>
#include <cstdint>

#include "enginelib/nav/InAppAdsController.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Vector<AdsData> list(10, 2);
    int rejected = -1;
    const bool ok = InAppAdsController::ParseBannerList(reinterpret_cast<const char*>(data), size, list, &rejected);
    if (ok != (list.Count() > 0) || rejected < 0 || list.Count() > InAppAdsController::kMaxBanners)
        __builtin_trap();
    for (int i = 0; i < list.Count(); ++i) {
        const AdsData& b = list[i];
        if (b.name.IsEmpty() || b.image.IsEmpty() || b.name.Length() > InAppAdsController::kMaxLineLength)
            __builtin_trap();
    }
    return 0;
}
