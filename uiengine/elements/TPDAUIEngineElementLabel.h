#pragma once
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// An element's own label through the engine's translation, when it has a page.
// Inline: the walk after every page load reaches each element of the page.
inline void TranslateOwnLabel(TPDAUIEngineElement& element)
{
    TPDAUIEngineElementPage* p = element.GetPage();
    TPDAUIEngine* e = element.engine;
    if (!e && p)
        e = p->engine;
    if (p && e)
        element.label = e->TranslateText(element.label.c_str());
}
