#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/StretchData.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const int kKeyTab = 9, kKeyEnter = 13, kKeyEscape = 27, kKeySpace = 32;
const int kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40;
const int kTextFlags = 0x40020;  // single line, word ellipsis
const int kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kBottom = 0x8;
const char kOverflowLabel[] = "AAA";  // the tool bar's "more" item

int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
bool IsTrue(const char* value) { return CDString(value) == "true"; }
int Scaled(double length) { return Clamp((long long)length); }

bool IsToolBar(const TPDAUIEngineElement* e) { return e && e->tag == "toolbar"; }
} // namespace

TPDAUIEngineElementMenuItem::TPDAUIEngineElementMenuItem()
{
    tag = "menuitem";
    isFocusable = 1;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_White;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    borders.Edit(StatePressed).width = 0;
    borders.Edit(StatePressed).style = TPDAUIEngineStyleBorder::StyleNone;
    pack = AlignCenter;
    align = AlignAuto;
    const int s = TPDAUIEngineUIScale::Truncate(GetUIScale());
    padding.left = padding.top = padding.right = padding.bottom = s;
    timerInterval = 50;
    foregrounds[StateDisabled] = TColorIG(TColoresIG::F_LtGray).color;
    if (const TPDAUIEngineSkinSettings* settings = TPDAUIEngineSkinSettings::Current())
        onCommandSound = settings->soundClick;
}

TPDAUIEngineElementMenuItem::~TPDAUIEngineElementMenuItem() = default;

TDibIG* TPDAUIEngineElementMenuItem::LookUp(const DString& name) const
{
    if (name.IsEmpty() || !page)
        return nullptr;
    return page->resources.GetImage(name.c_str(), false, false);
}

float TPDAUIEngineElementMenuItem::EffectiveImageScale() const
{
    return imageScale > 0.1f ? imageScale : GetUIScale();
}

int TPDAUIEngineElementMenuItem::EffectiveAlign() const
{
    if (align != AlignAuto)
        return align;
    const TPDAUIEngineSkinSettings* s = engine ? &engine->skinSettings : TPDAUIEngineSkinSettings::Current();
    return s && s->rightToLeft ? AlignEnd : AlignStart;
}

TPDAUIEngineElementMenu* TPDAUIEngineElementMenuItem::SubMenu() const
{
    return children.Count() ? dynamic_cast<TPDAUIEngineElementMenu*>(children[0]) : nullptr;
}

bool TPDAUIEngineElementMenuItem::IsSubMenuOpen()
{
    TPDAUIEngineElementMenu* sub = SubMenu();
    return sub && sub->IsOpenPopup();
}

// ---- loading and attributes ----

void TPDAUIEngineElementMenuItem::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool toolBar = false, check = true, image = true, text = true, repeat = false;
        int isChecked = 1;
        DString pressedName, disabledName;
        float scale = 0;
        *stream >> toolBar >> isChecked >> check >> image >> text >> pressedName >> disabledName >> repeat >> scale;
        // A short record leaves the item as it was; the caller sees the failed stream.
        if (!stream->Error()) {
            inToolBar = toolBar, checked = isChecked, showcheck = check, showImage = image, showLabel = text;
            imagePressedName = pressedName, imageDisabledName = disabledName;
            raiseMultipleCommandsWhenPressed = repeat;
            imageScale = std::isfinite(scale) ? scale : 0.0f;
        }
    }
    imagePressed = LookUp(imagePressedName);
    imageDisabled = LookUp(imageDisabledName);
    const TPDAUIEngineSkinSettings* s = engine ? &engine->skinSettings : nullptr;
    checkImage = s ? LookUp(s->commonImages[TPDAUIEngineSkinSettings::ImgCheck]) : nullptr;
    if (IsToolBar(parent))
        inToolBar = true;
}

void TPDAUIEngineElementMenuItem::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "checked")
        checked = IsTrue(value) ? 1 : 0;
    else if (n == "showcheck")
        showcheck = IsTrue(value);
    else if (n == "showImage")
        showImage = IsTrue(value);
    else if (n == "showLabel")
        showLabel = IsTrue(value);
    else if (n == "raiseMultipleCommandsWhenPressed")
        raiseMultipleCommandsWhenPressed = IsTrue(value);
    else if (n == "imagePressed")
        imagePressedName = value, imagePressed = LookUp(imagePressedName);
    else if (n == "imageDisabled")
        imageDisabledName = value, imageDisabled = LookUp(imageDisabledName);
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementMenuItem::GetAttribute(const char* name)
{
    CDString n(name);
    auto flag = [](bool b) { return DString(b ? "true" : "false"); };
    if (n == "checked")
        return flag(checked != 0);
    if (n == "showcheck")
        return flag(showcheck);
    if (n == "showImage")
        return flag(showImage);
    if (n == "showLabel")
        return flag(showLabel);
    if (n == "raiseMultipleCommandsWhenPressed")
        return flag(raiseMultipleCommandsWhenPressed);
    if (n == "imageScale")
        return TPDAUIEngineUIScale::Text(imageScale);
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementMenuItem::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementBox::CopyFrom(other);
    auto* o = dynamic_cast<TPDAUIEngineElementMenuItem*>(other);
    if (!o)
        return;
    inToolBar = o->inToolBar;
    pressed = o->pressed;
    checked = o->checked;
    showcheck = o->showcheck;
    showImage = o->showImage;
    imagePressedName = o->imagePressedName;
    imagePressed = o->imagePressed;
    raiseMultipleCommandsWhenPressed = o->raiseMultipleCommandsWhenPressed;
    imageScale = o->imageScale;
}

void TPDAUIEngineElementMenuItem::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementBox::Save(stream);
    stream << inToolBar << checked << showcheck << showImage << showLabel << imagePressedName << imageDisabledName
           << raiseMultipleCommandsWhenPressed << imageScale;
}

// ---- sizes ----

int TPDAUIEngineElementMenuItem::GetMinimumHeight(int availableWidth)
{
    const long long b = borders[StateNormal].width;
    long long h = engine ? engine->GetTextExtent(font, label, 10000, 0).cy : 0;
    if (image)
        h = std::max<long long>(h, (long long)(std::abs(image->Height()) * EffectiveImageScale()));
    h += (long long)padding.top + padding.bottom + 2 * b;
    h = std::max<long long>(h, minimumHeight);
    if (maximumHeight >= 0)
        h = std::min<long long>(h, maximumHeight);
    return Clamp(h);
}

int TPDAUIEngineElementMenuItem::GetMinimumWidth(int availableHeight)
{
    const long long b = borders[StateNormal].width;
    const float s = EffectiveImageScale();
    long long w;
    if (label.IsEmpty() || !showLabel) {
        w = (image ? (long long)(image->Width() * s) : 0) + padding.left + padding.right + 2 * b;
    } else if (label == kOverflowLabel) {
        const long long a = engine ? engine->GetTextExtent(font, DString("A"), 0, 0).cx : 0;
        w = (long long)(a + padding.left + 2 * b + padding.right + 4.0 * GetUIScale());
    } else {
        w = engine ? engine->GetTextExtent(font, label, 10000, 0).cx : 0;
        if (showImage && image)
            w += (long long)(image->Width() * s) + padding.inner;
        if (SubMenu())
            w += (long long)(8 * GetUIScale());
        w += (long long)padding.left + padding.right + 2 * b;
        if (!inToolBar)
            w += 8;
    }
    w = std::max<long long>(w, minimumWidth);
    if (maximumWidth >= 0)
        w = std::min<long long>(w, maximumWidth);
    return Clamp(w);
}

TPDAUIEngineElement* TPDAUIEngineElementMenuItem::HitTest(int x, int y)
{
    return TPDAUIEngineElement::HitTest(x, y);
}

// ---- painting ----

void TPDAUIEngineElementMenuItem::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    const bool subOpen = IsSubMenuOpen();
    // Style and text colour by state.
    int style = StateNormal, ink = StateNormal;
    if (!enabled) {
        style = ink = StateDisabled;
    } else if (inToolBar) {
        if (subOpen || checked)
            style = StatePressed, ink = StatePressed;
        else if (pressed)
            style = StatePressed, ink = StateNormal;
        else if (hover)
            style = ink = StateHover;
    } else {
        if (pressed || subOpen || checked)
            style = ink = StatePressed;
        else if (IsFocused())
            style = ink = StateFocus;
        else if (hover)
            style = ink = StateHover;
    }
    backgrounds[style].Draw(dc, r);
    borders[style].Draw(dc, r);
    const TColorIG colour(foregrounds[ink]);
    const long long b = borders[StateNormal].width;
    const TRectIG q(Clamp(r.left + b + padding.left), Clamp(r.top + b + padding.top),
                    Clamp(r.right - b - padding.right), Clamp(r.bottom - b - padding.bottom));
    const float s = EffectiveImageScale();
    const int alignment = EffectiveAlign();
    const bool overflowItem = label == kOverflowLabel;

    // The label, after the image when both show.
    TRectIG text = q;
    if (showImage && image) {
        const int iw = Scaled(image->Width() * s) + padding.inner;
        if (alignment == AlignEnd)
            text.right = Clamp((long long)text.right - iw);
        else
            text.left = Clamp((long long)text.left + iw);
    }
    if (!overflowItem && showLabel && engine && !label.IsEmpty()) {
        int flags = kTextFlags;
        if (alignment == AlignCenter)
            flags |= kCenter;
        else if (alignment == AlignEnd)
            flags |= kRight;
        if (pack == AlignCenter)
            flags |= kVCenter;
        else if (pack == AlignEnd)
            flags |= kBottom;
        TRectIG t = text;
        engine->DrawText(dc, font, colour, nullptr, label, t, flags, -1);
    }
    dc->SetBrush(colour);
    dc->SetPen(colour, 1);
    if (overflowItem && !image) {
        // An arrow instead of a label: left at the right of the screen, else up or down.
        const int bx = Scaled(q.left + s), by = Scaled(q.top + 2 * s);
        const int bw = Scaled(8 * s), bh = Scaled(4 * s);
        TPointIG tri[3];
        if (x > 200) {
            tri[0] = TPointIG(bx + bw, by - 2), tri[1] = TPointIG(bx + bw, by + bh + 2), tri[2] = TPointIG(bx, by + bh / 2);
        } else if (y >= 50) {
            tri[0] = TPointIG(bx, by + bh), tri[1] = TPointIG(bx + bw, by + bh), tri[2] = TPointIG(bx + bw / 2, by);
        } else {
            tri[0] = TPointIG(bx, by), tri[1] = TPointIG(bx + bw, by), tri[2] = TPointIG(bx + bw / 2, by + bh);
        }
        dc->Polygon(tri, 3);
    }
    if (!inToolBar && SubMenu()) {
        // The sub-menu arrow near the right edge.
        const int ax = Scaled(r.right - 8 * s), aw = Scaled(4 * s), ah = Scaled(8 * s);
        const int ay = (q.top + q.bottom) / 2 - ah / 2;
        TPointIG tri[3] = {TPointIG(ax, ay), TPointIG(ax, ay + ah), TPointIG(ax + aw, ay + ah / 2)};
        dc->Polygon(tri, 3);
    }
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    if (showcheck && checked && checkImage) {
        const TRectIG src(0, 0, checkImage->Width(), std::abs(checkImage->Height()));
        TRectIG dst;
        if (showImage && !image) {
            long long dx = 0;
            if (alignment == AlignEnd && !label.IsEmpty())
                dx = (long long)text.Width() + (long long)(4 * s);
            dst = TRectIG(Clamp(r.left + dx), r.top, Clamp((long long)r.left + r.Height() + dx), r.bottom);
        } else {
            dst = TRectIG(Clamp((long long)q.right - checkImage->Width()), r.top, q.right, r.bottom);
        }
        dc->StretchDIBits_Transparent(dst, src, checkImage, key);
    }
    if (showImage && image) {
        const TDibIG* picture = image;
        std::unique_ptr<TDibIG> faded;
        if (enabled) {
            if (imagePressed && ((inToolBar && subOpen) || checked || pressed))
                picture = imagePressed;
        } else if (imageDisabled) {
            picture = imageDisabled;
        }
        const double iw = picture->Width() * s, ih = std::abs(picture->Height()) * s;
        double px = r.left + b, py = r.top + b;
        if (showLabel) {
            py += r.Height() / 2.0 - ih / 2;
        } else {
            px += width / 2.0 - iw / 2;
            py += height / 2.0 - ih / 2 - 1;
        }
        if (alignment == AlignEnd && !label.IsEmpty() && showLabel)
            px += text.Width() + 4 * s;
        const TRectIG dst(Scaled(px), Scaled(py), Scaled(px + iw), Scaled(py + ih));
        const TRectIG src(0, 0, picture->Width(), std::abs(picture->Height()));
        if (!enabled && !imageDisabled) {
            TAdvStetchDIBitsData half;
            half.modo = TAdvStetchDIBitsData::ModeKeyColour;
            half.alpha = 128;
            dc->StretchDIBits_Adv(dst, src, picture, half);
        } else {
            dc->StretchDIBits_Transparent(dst, src, picture, key);
        }
    }
}

// ---- input ----

bool TPDAUIEngineElementMenuItem::CloseAndRaise(bool sound)
{
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    if (TPDAUIEngineElementPage* p = GetPage())
        p->CloseAllPopups();
    if (!guard.alive)
        return false;
    RaiseCommand(onCommand.c_str(), 0, 0, sound);
    return guard.alive;
}

void TPDAUIEngineElementMenuItem::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (!enabled)
        return;
    if (raiseMultipleCommandsWhenPressed) {
        repeatRaised = false;
        if (timerRunning)
            return;
        pressed = 1;
        StartTimer();
        Invalidate();
        return;
    }
    pressed = 1;
    if (engine && !onCommandSound.IsEmpty())
        engine->PlaySound(onCommandSound.c_str());
    Invalidate();
}

void TPDAUIEngineElementMenuItem::OnTimer(int interval, int now)
{
    if (!raiseMultipleCommandsWhenPressed || !enabled)
        return;
    repeatRaised = true;
    RaiseCommand(onCommand.c_str(), 0, 0, false);
}

void TPDAUIEngineElementMenuItem::Release(int x, int y)
{
    if (!enabled)
        return;
    pressed = 0;
    if (raiseMultipleCommandsWhenPressed) {
        StopTimer();
        TPDAUIEngineAliveGuards::Guard guard(alive_);
        if (!repeatRaised)
            RaiseCommand(onCommand.c_str(), 0, 0, true);
        if (guard.alive)
            Invalidate();
        return;
    }
    if (x < 0 || x > width || y < 0 || y > height) {
        Invalidate();
        return;
    }
    const bool justClosed = engine && engine->popupClosingPress;
    if (SubMenu() && (!inToolBar || !justClosed)) {
        OpenSubMenu(y);
        Invalidate();
        return;
    }
    if (CloseAndRaise(false))
        Invalidate();
}

void TPDAUIEngineElementMenuItem::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    Release(x, y);
}

void TPDAUIEngineElementMenuItem::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    auto mark = [&] {
        if (handled)
            *handled = 1;
    };
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    switch (key) {
    case kKeyEnter:
    case kKeySpace:
        mark();
        Release(0, 0);
        return;
    case kKeyEscape: {
        auto* menu = dynamic_cast<TPDAUIEngineElementMenu*>(parent);
        if (menu && menu->IsOpenPopup())
            mark();
        return;
    }
    case kKeyUp:
    case kKeyDown: {
        mark();
        if (!box)
            return;
        const int step = key == kKeyUp ? -1 : 1;
        for (int i = box->IndexOfChild(this) + step; i >= 0 && i < box->children.Count(); i += step) {
            TPDAUIEngineElement* c = box->children[i];
            if (c->isFocusable && c->visible && c->enabled) {
                if (TPDAUIEngineElementPage* p = GetPage())
                    p->SetFocus(c, true);
                break;
            }
        }
        return;
    }
    case kKeyTab:
    case kKeyLeft:
    case kKeyRight:
        mark();
        return;
    default:
        TPDAUIEngineElementBox::OnKeyDown(key, handled, consumed);
    }
}

void TPDAUIEngineElementMenuItem::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (key == kKeyEnter || key == kKeySpace) {
        if (handled)
            *handled = 1;
        return;
    }
    if (key == kKeyEscape) {
        auto* menu = dynamic_cast<TPDAUIEngineElementMenu*>(parent);
        if (menu && menu->IsOpenPopup()) {
            if (TPDAUIEngineElementPage* p = GetPage())
                p->ClosePopup(menu);
        }
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElementBox::OnKeyUp(key, handled, heldTime);
}

// ---- the sub-menu ----

void TPDAUIEngineElementMenuItem::OpenSubMenu(int y)
{
    TPDAUIEngineElementMenu* sub = SubMenu();
    TPDAUIEngineElementPage* p = GetPage();
    if (!sub || !p) {
        CloseAndRaise(false);
        return;
    }
    const TRectIG P = p->GetScreenRect();
    const TRectIG I = GetScreenRect();
    sub->layout = LayoutVertical;
    const long long h = sub->GetMinimumHeight(1024);
    const long long w = sub->GetMinimumWidth(Clamp(h));
    long long l = (long long)I.left - 2, t = (long long)I.top + sub->margins.top + 2;
    long long rr = l + w, bb = (long long)I.top + 2 + h;
    sub->layout = LayoutVerticalScroll;
    if (!inToolBar) {
        l = (long long)I.right - 2;
        rr = (long long)I.right + w - 4;
    } else if (y > 49) {
        const long long height = bb - t;
        bb = (long long)I.top + 1;
        t = bb - height;
    } else {
        l += 2, rr += 2;
        t += height - 3, bb += height - 3;
    }
    // Keep it on the page.
    if (bb > P.bottom) {
        t -= bb - (P.bottom - 1);
        bb = P.bottom - 1;
    }
    if (rr > P.right) {
        l -= rr - (P.right - 1);
        rr = P.right - 1;
    }
    if (l < 0)
        l = 0;
    if (t < 30) {
        // Moved down whole, so that nothing of it is cut.
        bb += 30 - t;
        t = 30;
    }
    rr = std::min<long long>(rr, P.right);
    bb = std::min<long long>(bb, P.bottom);
    bb = std::min<long long>(bb, (long long)P.bottom - 22);
    if (bb < t)
        bb = t;
    sub->SetBounds(Clamp(l), Clamp(t), Clamp(rr - l), Clamp(bb - t));
    // The chain of menus up to the tool bar or the root stays open beneath it.
    std::vector<TPDAUIEngineElementMenu*> chain;
    for (TPDAUIEngineElement* e = sub; e; e = e->parent) {
        if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(e))
            if (item->inToolBar)
                break;
        if (auto* menu = dynamic_cast<TPDAUIEngineElementMenu*>(e))
            if (!IsToolBar(menu))
                chain.push_back(menu);
    }
    bool actionable = false;
    for (int i = 0; i < sub->children.Count(); ++i) {
        TPDAUIEngineElement* c = sub->children[i];
        actionable = actionable || (c->enabled && c->tag != "separator");
    }
    sub->isFocusable = (children.Count() > 1 || actionable) ? 0 : 1;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    p->CloseAllPopups();
    if (!guard.alive)
        return;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        p->PushPopup(*it);
    sub->visible = 1;
    sub->Invalidate();
}
