#include "uiengine/controls/TPDAUIEngineElementComboBox.h"

#include <climits>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

using Settings = TPDAUIEngineSkinSettings;

const int kKeyEnter = 13;
const int kKeyEscape = 27;
const int kKeySpace = 32;
const int kKeyEnd = 35;
const int kKeyHome = 36;

const int kTextCenter = 0x1;
const int kTextRight = 0x2;
const int kTextSingleLineVCenter = 0x24;
const int kTextWordEllipsis = 0x40000;

const char kChoiceCommand[] = "selectedIndexChanged";
const int kVisibleChoices = 4;  // rows kept when the screen bottom cuts the list

bool IsTrue(const char* value) { return CDString(value) == "true"; }

int Sat(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

int Scaled(long long length, float scale) { return TPDAUIEngineUIScale::Truncate((float)length * scale); }

} // namespace

TPDAUIEngineElementComboBox::TPDAUIEngineElementComboBox() : listBox(new TPDAUIEngineElementListBox())
{
    tag = "combobox";
    pack = AlignCenter;
    align = AlignAuto;
    isFocusable = 1;
    borders.Edit(StateNormal).width = 1;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleSolid;
    borders.Edit(StateNormal).colour = TColorIG(255);
    const int p = Scaled(2, GetUIScale());
    padding.left = padding.top = padding.right = padding.bottom = p;
    padding.inner = 0;
    listBox->backgrounds.Edit(StateFocus) = listBox->backgrounds[StateNormal];
    listBox->borders.Edit(StateFocus) = listBox->borders[StateNormal];
    listBox->onCommand = kChoiceCommand;
}

TPDAUIEngineElementComboBox::~TPDAUIEngineElementComboBox()
{
    delete listBox;
}

// ---- loading, attributes, copies, records ----

void TPDAUIEngineElementComboBox::SetListFontSize(int size)
{
    listBox->font = font;
    listBox->font.size = size;
    listBox->font.CreateStockFont(nullptr);
}

void TPDAUIEngineElementComboBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    listBox->OnLoad(engine, page, this, nullptr, nullptr);
    if (stream) {
        DString shown, before;
        int selected = -1, itemWidth = 0, fontSize = 0, m = 0;
        bool showImage = true, hideImage = true;
        *stream >> shown >> selected >> showImage >> before >> itemWidth >> fontSize >> m >> hideImage;
        if (m != ModeDefault && m != ModeWindow)
            FailCompiled(*stream);
        if (!stream->Error()) {
            value = shown;
            listBox->selectedIndex = selected;
            listBox->showImage = showImage;
            beforeShowListCommand = before;
            listBox->minimumItemWidth = itemWidth;
            SetListFontSize(fontSize);
            mode = m;
            hideImageInSelectedItem = hideImage;
        }
    }
    listBox->font.CreateStockFont(nullptr);
    listBox->id = id;
    listBox->id << "__listbox";
    listBox->borders.Edit(StateNormal) = borders[StateNormal];
    listBox->borders.Edit(StateFocus) = borders[StateFocus];
    listBox->backgrounds.Edit(StateNormal) = backgrounds[StateNormal];
    Settings* settings = engine ? &engine->skinSettings : Settings::Current();
    TPDAUIEngineResources* store = page ? &page->resources : (engine ? &engine->resources : nullptr);
    if (settings && store) {
        const DString& down = settings->commonImages[Settings::ImgComboBoxDown];
        const DString& pressedName = settings->commonImages[Settings::ImgComboBoxDownPressed];
        arrowImage = store->GetImage(down.IsEmpty() ? "commonComboBoxDown" : down.c_str());
        arrowPressedImage = store->GetImage(pressedName.IsEmpty() ? "commonComboBoxDownPressed" : pressedName.c_str());
    }
}

void TPDAUIEngineElementComboBox::SetAttribute(const char* name, const char* v)
{
    if (!name || !v) {
        TPDAUIEngineElement::SetAttribute(name, v);
        return;
    }
    CDString n(name);
    if (n == "value")
        value = v;
    else if (n == "selectedindex")
        listBox->selectedIndex = CDString(v).atoi();
    else if (n == "showImage")
        listBox->showImage = IsTrue(v);
    else if (n == "hideImageInSelectedItem")
        hideImageInSelectedItem = IsTrue(v);
    else if (n == "beforeShowListCommand")
        beforeShowListCommand = v;
    else if (n == "minimumItemWidth")
        listBox->minimumItemWidth = CDString(v).atoi();
    else if (n == "fontListBoxSize")
        SetListFontSize(CDString(v).atoi());
    else if (n == "mode") {
        if (CDString(v) == "Default")
            mode = ModeDefault;
        else if (CDString(v) == "Window")
            mode = ModeWindow;
    } else
        TPDAUIEngineElement::SetAttribute(name, v);
}

DString TPDAUIEngineElementComboBox::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "value")
        out = value;
    else if (n == "selectedindex")
        out << listBox->selectedIndex;
    else if (n == "showImage")
        out = listBox->showImage ? "true" : "false";
    else if (n == "hideImageInSelectedItem")
        out = hideImageInSelectedItem ? "true" : "false";
    else if (n == "beforeShowListCommand")
        out = beforeShowListCommand;
    else if (n == "minimumItemWidth")
        out << listBox->minimumItemWidth;
    else if (n == "fontListBoxSize")
        out << listBox->font.size;
    else if (n == "mode")
        out = mode == ModeWindow ? "Window" : "Default";
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementComboBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementComboBox* o = dynamic_cast<TPDAUIEngineElementComboBox*>(other);
    if (!o || o == this)
        return;
    listBox->CopyFrom(o->listBox);
    hideImageInSelectedItem = o->hideImageInSelectedItem;
    mode = o->mode;
}

void TPDAUIEngineElementComboBox::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    s << value << listBox->selectedIndex << listBox->showImage << beforeShowListCommand
      << listBox->minimumItemWidth << (int)listBox->font.size << mode << hideImageInSelectedItem;
}

TPDAUIEngineElement* TPDAUIEngineElementComboBox::FindByNumericId(int id)
{
    if (id == numericId)
        return this;
    return listBox->FindByNumericId(id);
}

void TPDAUIEngineElementComboBox::Detach()
{
    listBox->Detach();
    TPDAUIEngineElement::Detach();
}

// ---- the choices ----

int TPDAUIEngineElementComboBox::GetSelectedIndex() const { return listBox->selectedIndex; }

void TPDAUIEngineElementComboBox::SetSelectedIndex(int i)
{
    // Below -1 names no item either: taken as none.
    if (i >= listBox->items.Count())
        return;
    if (i < 0) {
        listBox->selectedIndex = -1;
        value = "";
        return;
    }
    listBox->selectedIndex = i;
    value = listBox->items[i].label;
}

bool TPDAUIEngineElementComboBox::IsListOpen()
{
    TPDAUIEngineElementPage* p = GetPage();
    TPDAUIEngineElementPage* outer = p ? p->GetOuterPage() : nullptr;
    return outer && outer->popups.IndexOf(listBox) >= 0;
}

int TPDAUIEngineElementComboBox::ShowList()
{
    if (!beforeShowListCommand.IsEmpty()) {
        if (IsListOpen())
            return 0;
        TPDAUIEngineAliveGuards::Guard guard(alive_);
        const bool accepted = RaiseCommand(beforeShowListCommand.c_str(), 0, 0, false);
        if (!guard.alive || !accepted)
            return 0;
    }
    if (mode == ModeWindow)
        return engine ? engine->InputComboBox(this) : 0;

    TPDAUIEngineElementPage* p = GetPage();
    if (!p)
        return 0;
    const TRectIG r = GetVisibleRect();
    listBox->SetBounds(r.left, Sat((long long)r.bottom + 1), r.Width(), 100);
    long long h = listBox->GetMinimumHeight(r.Width());
    listBox->SetBounds(r.left, Sat((long long)r.bottom + 1), r.Width(), Sat(h));
    const Settings* settings = engine ? &engine->skinSettings : Settings::Current();
    const long long screen = settings ? settings->screenHeight : 0;
    const long long pitch = listBox->GetRowPitch();
    if (settings && r.bottom + h > screen) {
        if (pitch > 0)
            while (h > 0 && r.bottom + h > screen)
                h -= pitch;
        const long long rows = listBox->items.Count() < kVisibleChoices ? listBox->items.Count() : kVisibleChoices;
        if (h < rows * pitch) {
            h = rows * pitch + 2LL * listBox->borders[StateNormal].width + listBox->padding.top +
                listBox->padding.bottom;
            listBox->SetBounds(r.left, Sat(screen - h + 1), r.Width(), Sat(h));
        } else {
            listBox->SetBounds(r.left, Sat((long long)r.bottom + 1), r.Width(), Sat(h < 0 ? 0 : h));
        }
    }
    listBox->EnsureItemVisible(listBox->selectedIndex);
    p->PushPopup(listBox);
    p->SetFocus(listBox, true);
    return 1;
}

void TPDAUIEngineElementComboBox::CloseList()
{
    TPDAUIEngineElementPage* p = GetPage();
    if (!p)
        return;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    p->CloseAllPopups();
    if (guard.alive)
        p->SetFocus(this, true);
}

void TPDAUIEngineElementComboBox::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.target != listBox) {
        TPDAUIEngineElement::OnCommand(command);
        return;
    }
    if (command.name != kChoiceCommand)
        return;
    command.handled = 1;
    TPDAUIEngineElementPage* p = GetPage();
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    if (p) {
        p->SetFocus(this, true);
        if (!guard.alive)
            return;
        p->CloseAllPopups();
        if (!guard.alive)
            return;
    }
    if (!onCommand.IsEmpty())
        RaiseCommand(onCommand.c_str(), 0, 0, false);
}

int TPDAUIEngineElementComboBox::PaintItem(IDC*, int, int, int, int, int, int, int) { return 0; }

// ---- geometry and painting ----

int TPDAUIEngineElementComboBox::EffectiveAlign() const
{
    if (align != AlignAuto)
        return align;
    const Settings* s = engine ? &engine->skinSettings : Settings::Current();
    return s && s->rightToLeft ? AlignEnd : AlignStart;
}

int TPDAUIEngineElementComboBox::GetMinimumHeight(int)
{
    const long long text = engine ? engine->GetTextExtent(font, CDString("A")).cy : 0;
    long long h = (long long)padding.top + padding.bottom + 2LL * borders[StateNormal].width + text;
    if (h < minimumHeight)
        h = minimumHeight;
    if (h > maximumHeight)
        h = maximumHeight;
    return Sat(h);
}

int TPDAUIEngineElementComboBox::GetMinimumWidth(int)
{
    const long long text = engine ? engine->GetTextExtent(font, value).cx : 0;
    long long w = (long long)padding.left + padding.right + 2LL * borders[StateNormal].width + text;
    if (w < minimumWidth)
        w = minimumWidth;
    if (w > maximumWidth)
        w = maximumWidth;
    return Sat(w);
}

void TPDAUIEngineElementComboBox::SetBounds(int l, int t, int w, int h)
{
    listBox->padding = padding;
    listBox->borders.Edit(StateNormal) = borders[StateNormal];
    TPDAUIEngineElement::SetBounds(l, t, w, h);
}

void TPDAUIEngineElementComboBox::Paint(IDC* dc, int x, int y)
{
    const long long ox = (long long)x + left;
    const long long oy = (long long)y + top;
    const bool open = IsListOpen();
    int state;
    if (!enabled)
        state = StateDisabled;
    else if (pressed || open)
        state = StatePressed;
    else if (IsFocused())
        state = StateFocus;
    else if (hover)
        state = StateHover;
    else
        state = StateNormal;
    const TRectIG r(Sat(ox), Sat(oy), Sat(ox + width), Sat(oy + height));
    const long long b = borders[state].width;
    backgrounds[state].Draw(dc, TRectIG(Sat(r.left + b), Sat(r.top + b), Sat(r.right - b), Sat(r.bottom - b)));
    borders[state].Draw(dc, r);

    const int alignment = EffectiveAlign();
    const long long bw = borders[StateNormal].width;
    long long tl = r.left + bw + padding.left, tt = r.top + bw + padding.top;
    long long tr = r.right - bw - padding.right, tb = r.bottom - bw - padding.bottom;
    if (alignment == AlignEnd) {
        tl += (long long)padding.right - padding.left;
        tr += (long long)padding.right - padding.left;
    }
    const float ui = GetUIScale();
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);

    if (listBox->showImage && !hideImageInSelectedItem) {
        const int sel = listBox->selectedIndex;
        const TDibIG* picture = listBox->IsValidIndex(sel) && listBox->items[sel].image ? listBox->items[sel].image
                                                                                          : image;
        if (picture) {
            const long long w = Scaled(picture->Width(), ui), h = Scaled(std::abs(picture->Height()), ui);
            const long long k = (tb - tt - h) / 2;
            long long il = alignment == AlignEnd ? tr - k - w : tl + k;
            long long it = tt + k, ir = il + w, ib = it + h;
            if (k < 0) {
                il -= k;
                it -= k;
                ir += k;
                ib += k;
            }
            if (dc && ir > il && ib > it)
                dc->StretchDIBits_Transparent(TRectIG(Sat(il), Sat(it), Sat(ir), Sat(ib)),
                                              TRectIG(0, 0, picture->Width(), std::abs(picture->Height())), picture,
                                              key);
            if (alignment == AlignEnd)
                tr = il - padding.inner;
            else
                tl = ir + padding.inner;
        }
    }
    if (arrowImage) {
        const long long room = Scaled(arrowImage->Width(), ui) + padding.inner;
        if (alignment == AlignEnd)
            tl += room;
        else
            tr -= room;
    }
    if (engine) {
        int flags = kTextSingleLineVCenter | kTextWordEllipsis;
        if (alignment == AlignCenter)
            flags |= kTextCenter;
        else if (alignment == AlignEnd)
            flags |= kTextRight;
        TRectIG text(Sat(tl), Sat(tt), Sat(tr), Sat(tb));
        engine->DrawText(dc, font, TColorIG(foregrounds[state]), nullptr, value, text, flags, 0);
    }
    const TDibIG* arrow = (pressed || open) ? arrowPressedImage : arrowImage;
    if (enabled && arrow && dc) {
        const long long w = arrow->Width(), h = std::abs(arrow->Height());
        const long long al = alignment == AlignEnd
                                 ? r.left + padding.left
                                 : TPDAUIEngineUIScale::Truncate((float)(r.right - w - padding.right) - ui * 4.0f);
        const long long at = r.top + ((long long)height - h) / 2;
        dc->StretchDIBits_Transparent(TRectIG(Sat(al), Sat(at), Sat(al + w), Sat(at + h)),
                                      TRectIG(0, 0, arrow->Width(), std::abs(arrow->Height())), arrow, key);
    }
}

// ---- input ----

void TPDAUIEngineElementComboBox::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (!enabled || kind != 0)
        return;
    pressed = 1;
    if (TPDAUIEngineElementPage* p = GetPage())
        p->SetFocus(this, false);
    Invalidate();
    if (mode == ModeDefault)
        ShowList();
}

void TPDAUIEngineElementComboBox::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (!enabled || kind != 0)
        return;
    pressed = 0;
    Invalidate();
    if (mode == ModeWindow && x >= 0 && x <= width && y >= 0 && y <= height)
        ShowList();
}

void TPDAUIEngineElementComboBox::OnMouseWheel(int x, int y, int delta)
{
    TPDAUIEngineElementPage* p = GetPage();
    if (mode == ModeDefault && p && !p->GetOuterPage()->popups.IsEmpty()) {
        listBox->OnMouseWheel(x, y, delta);
        return;
    }
    TPDAUIEngineElement::OnMouseWheel(x, y, delta);
}

void TPDAUIEngineElementComboBox::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!enabled) {
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    switch (key) {
    case kKeyEnter:
    case kKeySpace:
        pressed = 1;
        break;
    case kKeyEscape:
        if (!IsListOpen()) {
            TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
            return;
        }
        pressed = 1;
        break;
    case kKeyEnd:
        SetSelectedIndex(listBox->items.Count() - 1);
        break;
    case kKeyHome:
        if (listBox->items.Count() > 0)
            SetSelectedIndex(0);
        break;
    default:
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    Invalidate();
    if (handled)
        *handled = 1;
}

void TPDAUIEngineElementComboBox::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (!enabled) {
        TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
        return;
    }
    if (key == kKeyEnter || key == kKeySpace) {
        if (handled)
            *handled = 1;
        pressed = 0;
        Invalidate();
        ShowList();
        return;
    }
    if (key == kKeyEscape && IsListOpen()) {
        if (handled)
            *handled = 1;
        pressed = 0;
        Invalidate();
        if (mode == ModeDefault)
            CloseList();
        return;
    }
    TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
}
