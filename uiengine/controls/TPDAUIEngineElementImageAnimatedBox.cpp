#include "uiengine/controls/TPDAUIEngineElementImageAnimatedBox.h"

#include <algorithm>
#include <climits>
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

const int kFrameInterval = 1500;

int ParseInt(const char* value) { return Sat::Clamp(std::strtoll(value ? value : "", nullptr, 10)); }
} // namespace

TPDAUIEngineElementImageAnimatedBox::TPDAUIEngineElementImageAnimatedBox()
{
    tag = "imageanimatedbox";
    timerInterval = 50;
    pack = align = AlignCenter;
}

void TPDAUIEngineElementImageAnimatedBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                                 TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                                 TFicheroITV* stream)
{
    TPDAUIEngineElementImageBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool again = false;
        int count = 2;
        float scale = 0;
        *stream >> again >> count >> scale;
        if (!stream->Error()) {
            if (!std::isfinite(scale) || std::fabs(scale) >= 1e6f)
                FailCompiled(*stream);  // never written
            else
                repeat = again, frames = count, imageScale = scale;
        }
    }
    timerInterval = kFrameInterval;
}

void TPDAUIEngineElementImageAnimatedBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (n == "repeat")
        repeat = CDString(value) == "true";
    else if (n == "frames")
        frames = ParseInt(value);
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else
        TPDAUIEngineElementImageBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementImageAnimatedBox::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "repeat")
        out = repeat ? "true" : "false";
    else if (n == "frames")
        out << frames;
    else if (n == "imageScale")
        out = TPDAUIEngineUIScale::Text(imageScale);
    else
        return TPDAUIEngineElementImageBox::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementImageAnimatedBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementImageBox::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementImageAnimatedBox*>(other))
        repeat = o->repeat, frames = o->frames, imageScale = o->imageScale;
}

void TPDAUIEngineElementImageAnimatedBox::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementImageBox::Save(stream);
    stream << repeat << frames << imageScale;
}

int TPDAUIEngineElementImageAnimatedBox::GetMinimumHeight(int)
{
    return StripMinimum(true, imageScale);
}

int TPDAUIEngineElementImageAnimatedBox::GetMinimumWidth(int)
{
    return StripMinimum(false, imageScale);
}

void TPDAUIEngineElementImageAnimatedBox::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Sat::Add(x, left), oy = Sat::Add(y, top);
    PaintStyle(dc, TRectIG(ox, oy, Sat::Add(ox, width), Sat::Add(oy, height)), GetState());
    long long iw, ih;
    if (!ImageSize(iw, ih))
        return;
    const double us = GetUIScale();
    const long long m = std::min<long long>(Sat::Truncate(maximumHeight / us), ih);
    const long long t = std::min<long long>(Sat::Truncate(maximumWidth / us), ih);
    // Frames are t wide, one pixel in; a frame beyond the strip draws nothing.
    const long long frame = std::max(0, currentFrame);
    const long long sl = Sat::Mul(t, frame) + 1, sr = Sat::Mul(t, frame + 1) + 1;
    if (m > 0 && t > 0 && sl < iw) {
        const TRectIG c = ContentRect(*this, x, y);
        long long l = c.left, r = c.right;
        if (pack == AlignCenter) {
            l = Sat::Truncate((double)(((long long)c.left + c.right) / 2) - (double)(m / 2) * us);
            r = Sat::Truncate((double)m * us + l);
        }
        const TRectIG dst(Sat::Clamp(l - 1), Sat::Clamp((long long)c.top - 1), Sat::Clamp(r - 1),
                          Sat::Clamp((long long)c.bottom - 1));
        // The IDC cuts a last frame that reaches past the strip, and its destination with it.
        const TRectIG src(Sat::Clamp(sl), 0, Sat::Clamp(sr), (int)m);
        const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
        dc->StretchDIBits_Transparent(dst, src, image, key);
    }
    if (!timerRunning && timerInterval != 0)
        StartTimer();
}

void TPDAUIEngineElementImageAnimatedBox::OnTimer(int, int)
{
    // A count below 1 is taken as 1, and a frame past the count starts over.
    const int count = std::max(1, frames);
    currentFrame = currentFrame < 0 || currentFrame >= count - 1 ? 0 : currentFrame + 1;
    Invalidate();
}
