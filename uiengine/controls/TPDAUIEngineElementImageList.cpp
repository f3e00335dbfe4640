#include "uiengine/controls/TPDAUIEngineElementImageList.h"

#include <cmath>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {
typedef TPDAUIEngineSaturate Sat;

int ParseInt(const char* value) { return Sat::Clamp(std::strtoll(value ? value : "", nullptr, 10)); }
} // namespace

TPDAUIEngineElementImageList::TPDAUIEngineElementImageList()
{
    tag = "imagelist";
    timerInterval = 50;
    pack = align = AlignCenter;
}

void TPDAUIEngineElementImageList::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                          TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementImageBox::OnLoad(e, p, par, xmlNode, stream);
    if (!stream)
        return;
    int index = 0;
    float scale = 0;
    *stream >> index >> scale;
    if (stream->Error())
        return;
    if (!std::isfinite(scale) || std::fabs(scale) >= 1e6f) {
        FailCompiled(*stream);  // never written
        return;
    }
    selectedIndex = index, imageScale = scale;
}

void TPDAUIEngineElementImageList::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (n == "selectedIndex")
        selectedIndex = ParseInt(value);
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else
        TPDAUIEngineElementImageBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementImageList::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "selectedIndex")
        out << selectedIndex;
    else if (n == "imageScale")
        out = TPDAUIEngineUIScale::Text(imageScale);
    else
        return TPDAUIEngineElementImageBox::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementImageList::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementImageBox::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementImageList*>(other))
        selectedIndex = o->selectedIndex, imageScale = o->imageScale;
}

void TPDAUIEngineElementImageList::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementImageBox::Save(stream);
    stream << selectedIndex << imageScale;
}

void TPDAUIEngineElementImageList::SetSelectedIndex(int index)
{
    if (index == selectedIndex)
        return;
    selectedIndex = index < 0 ? 0 : index;
    Invalidate();
}

int TPDAUIEngineElementImageList::GetMinimumHeight(int)
{
    return StripMinimum(true, imageScale);
}

int TPDAUIEngineElementImageList::GetMinimumWidth(int)
{
    return StripMinimum(false, imageScale);
}

void TPDAUIEngineElementImageList::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Sat::Add(x, left), oy = Sat::Add(y, top);
    const TRectIG r(ox, oy, Sat::Add(ox, width), Sat::Add(oy, height));
    backgrounds[StateNormal].Draw(dc, r);
    borders[StateNormal].Draw(dc, r);
    long long iw, ih;
    if (!ImageSize(iw, ih))
        return;
    // Frames are squares as high as the strip; an index outside it draws nothing.
    const long long w = ih, h = ih;
    if (selectedIndex < 0 || Sat::Mul(selectedIndex, w) >= iw)
        return;
    const double s = EffectiveScale(imageScale);
    const TRectIG c = ContentRect(*this, x, y);
    const long long cl = c.left, ct = c.top, cr = c.right, cb = c.bottom;
    long long r0 = Sat::Truncate((double)w * s + cl), b0 = Sat::Truncate((double)h * s + ct);
    const long long dx = (cr - cl) / 2 - (r0 - cl) / 2, dy = (cb - ct) / 2 - (b0 - ct) / 2;
    const TRectIG dst(Sat::Clamp(cl + dx), Sat::Clamp(ct + dy), Sat::Clamp(r0 + dx), Sat::Clamp(b0 + dy));
    const TRectIG src(Sat::Clamp(selectedIndex * w), 0, Sat::Clamp((selectedIndex + 1) * w), (int)h);
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    dc->StretchDIBits_Transparent(dst, src, image, key);
}
