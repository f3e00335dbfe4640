#include "uiengine/controls/TPDAUIEngineElementCanvas.h"

#include <climits>

#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

TRectIG ElementRect(const TPDAUIEngineElement& e, int x, int y)
{
    const int ox = Clamp((long long)x + e.left), oy = Clamp((long long)y + e.top);
    return TRectIG(ox, oy, Clamp((long long)ox + e.width), Clamp((long long)oy + e.height));
}
} // namespace

TPDAUIEngineElementCanvas::TPDAUIEngineElementCanvas() { tag = "canvas"; }

void TPDAUIEngineElementCanvas::Paint(IDC* dc, int x, int y)
{
    PaintStyle(dc, ElementRect(*this, x, y), GetState());
}

TPDAUIEngineElementSeparator::TPDAUIEngineElementSeparator()
{
    tag = "separator";
    align = AlignStart;
    pack = AlignCenter;
    minimumHeight = minimumWidth = TPDAUIEngineUIScale::Truncate(2 * GetUIScale());
    foregrounds[StateNormal] = 0xC1C1C1;
    margins.right = TPDAUIEngineUIScale::Truncate(GetUIScale());
}

void TPDAUIEngineElementSeparator::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                          TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    TPDAUIEngineStyleBackground& back = backgrounds.Edit(StateNormal);
    back = TPDAUIEngineStyleBackground();
    back.kind = TPDAUIEngineStyleBackground::KindImage;
    back.imageName = "commonSeparatorBackground";
    back.image = page ? page->resources.GetImage("commonSeparatorBackground", false, false) : nullptr;
}

void TPDAUIEngineElementSeparator::Paint(IDC* dc, int x, int y)
{
    const TRectIG r = ElementRect(*this, x, y);
    backgrounds[StateNormal].Draw(dc, r);
    borders[StateNormal].Draw(dc, r);
}
