#pragma once
// Gives the IFrames of a loaded page their inner pages, as the application does.
#include <functional>

#include "enginelib/base/Vector.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// Opens make(frame) into each of the first `most` IFrames of page, skipping
// IFrames inside another one: an IFrame drops whatever it held when its page
// arrives, those included. A null answer leaves the frame empty.
inline void OpenInnerPages(TPDAUIEngine* engine, TPDAUIEngineElementPage* page,
                           const std::function<TPDAUIEngineElementPage*(TPDAUIEngineElementIFrame*)>& make,
                           int most)
{
    VectorP<TPDAUIEngineElement> all(20, 0, false);
    page->CollectDescendants(all, false);
    VectorP<TPDAUIEngineElementIFrame> frames(4, 0, false);
    for (int i = 0; i < all.Count() && frames.Count() < most; ++i) {
        auto* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(all[i]);
        if (!frame || frame->GetPage() != page)
            continue;
        bool nested = false;
        for (TPDAUIEngineElement* up = frame->parent; up && up != page && !nested; up = up->parent)
            nested = dynamic_cast<TPDAUIEngineElementIFrame*>(up) != nullptr;
        if (!nested)
            frames.Add(frame);
    }
    for (int i = 0; i < frames.Count(); ++i)
        if (TPDAUIEngineElementPage* inner = make(frames[i]))
            engine->OpenPage(inner, frames[i]);
}
