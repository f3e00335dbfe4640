#include "uiengine/controls/TPDAUIEngineElementTextBox.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

enum {
    KeyBack = 8, KeyEnter = 13, KeyEscape = 27, KeyEnd = 0x23, KeyHome = 0x24, KeyLeft = 0x25,
    KeyUp = 0x26, KeyRight = 0x27, KeyDown = 0x28, KeyDelete = 0x2E, KeyC = 'C', KeyV = 'V', KeyX = 'X'
};
const int kVCenter = 0x4;
const int kUtf8 = 65001;

bool IsTrue(const char* value) { return CDString(value) == "true"; }

int ClampInt(long long v) { return (int)std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)); }

bool IsContinuation(char c) { return ((unsigned char)c & 0xC0) == 0x80; }

// The smallest i in [lo, hi] that passes a test false below some point and
// true from it on; hi + 1 when none passes.
template <class Test>
int FirstPassing(int lo, int hi, Test test)
{
    int a = lo, b = hi + 1;
    while (a < b) {
        const int mid = a + (b - a) / 2;
        if (test(mid))
            b = mid;
        else
            a = mid + 1;
    }
    return a;
}

} // namespace

TPDAUIEngineElementTextBox::TPDAUIEngineElementTextBox()
{
    tag = "textbox";
    pack = AlignCenter;
    align = AlignStart;
    isFocusable = 1;
    backgrounds.Edit(StateNormal).Parse("#FFFFFF", nullptr);
    const int scale = (int)GetUIScale();
    for (int state : {(int)StateFocus, (int)StateHover}) {
        borders.Edit(state).width = scale;
        borders.Edit(state).style = 2;
        borders.Edit(state).colour = TColorIG(0x646464u);
    }
    padding.left = padding.top = padding.right = padding.bottom = scale;
    timerInterval = 500;
}

TPDAUIEngineElementTextBox::~TPDAUIEngineElementTextBox()
{
    if (page && page->lastTextBox == this)
        page->lastTextBox = nullptr;
}

// ---- loading, attributes, records ----

void TPDAUIEngineElementTextBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                        TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        DString v, changed, cursor;
        bool svk = true, svkClick = true, append = false, numbers = false, ow = false, owSimple = false;
        bool always = false, upDown = false, asterisks = false;
        int maxLen = 0;
        *stream >> v >> changed >> svk >> svkClick >> append >> numbers >> maxLen >> ow >> owSimple >> cursor >>
            always >> upDown >> asterisks;
        if (!stream->Error()) {
            value = v;
            onCommandValueChanged = changed;
            showVirtualKeyboard = svk;
            showVirtualKeyboardOnlyOnClick = svkClick;
            onlyAllowAppend = append;
            onlyAcceptKeyCharNumbers = numbers;
            maxLength = maxLen;
            overwrite = ow;
            overwriteSimple = owSimple;
            onCommandCursorChanged = cursor;
            alwaysShowCursor = always;
            useUpDownKeysToUpdateNumericValue = upDown;
            showAsteriscs = asterisks;
        }
    }
    if (overwrite)
        caretPosition = 0;
    timerInterval = 750;
    if (onlyAllowAppend && !overwrite)
        selectionAnchor = -1;
    if (alwaysShowCursor)
        StartTimer();
    if (page)
        page->lastTextBox = nullptr;
    Normalize();
}

void TPDAUIEngineElementTextBox::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    s << value << onCommandValueChanged << showVirtualKeyboard << showVirtualKeyboardOnlyOnClick << onlyAllowAppend
      << onlyAcceptKeyCharNumbers << maxLength << overwrite << overwriteSimple << onCommandCursorChanged
      << alwaysShowCursor << useUpDownKeysToUpdateNumericValue << showAsteriscs;
}

void TPDAUIEngineElementTextBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    auto* o = dynamic_cast<TPDAUIEngineElementTextBox*>(other);
    if (!o || o == this)
        return;
    onCommandValueChanged = o->onCommandValueChanged;
    showVirtualKeyboard = o->showVirtualKeyboard;
    showVirtualKeyboardOnlyOnClick = o->showVirtualKeyboardOnlyOnClick;
    onlyAllowAppend = o->onlyAllowAppend;
    onlyAcceptKeyCharNumbers = o->onlyAcceptKeyCharNumbers;
    maxLength = o->maxLength;
    overwrite = o->overwrite;
    overwriteSimple = o->overwriteSimple;
    showAsteriscs = o->showAsteriscs;
}

void TPDAUIEngineElementTextBox::SetAttribute(const char* name, const char* v)
{
    CDString n(name);
    if (!v)
        v = "";
    if (n == "value") {
        value = v;
        Normalize();
    } else if (n == "showVirtualKeyboard")
        showVirtualKeyboard = IsTrue(v);
    else if (n == "showVirtualKeyboardOnlyOnClick")
        showVirtualKeyboardOnlyOnClick = IsTrue(v);
    else if (n == "onlyAllowAppend")
        onlyAllowAppend = IsTrue(v);
    else if (n == "onlyAcceptKeyCharNumbers")
        onlyAcceptKeyCharNumbers = IsTrue(v);
    else if (n == "overwrite")
        overwrite = IsTrue(v);
    else if (n == "overwriteSimple")
        overwriteSimple = IsTrue(v);
    else if (n == "onCommandValueChanged")
        onCommandValueChanged = v;
    else if (n == "maxLength")
        maxLength = atoi(v);
    else if (n == "onCommandCursorChanged")
        onCommandCursorChanged = v;
    else if (n == "alwaysShowCursor")
        alwaysShowCursor = IsTrue(v);
    else if (n == "useUpDownKeysToUpdateNumericValue")
        useUpDownKeysToUpdateNumericValue = IsTrue(v);
    else if (n == "showAsteriscs")
        showAsteriscs = IsTrue(v);
    else
        TPDAUIEngineElement::SetAttribute(name, v);
}

DString TPDAUIEngineElementTextBox::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "value")
        return value;
    if (n == "showVirtualKeyboard")
        out << showVirtualKeyboard;
    else if (n == "showVirtualKeyboardOnlyOnClick")
        out << showVirtualKeyboardOnlyOnClick;
    else if (n == "onlyAllowAppend")
        out << onlyAllowAppend;
    else if (n == "onlyAcceptKeyCharNumbers")
        out << onlyAcceptKeyCharNumbers;
    else if (n == "overwrite")
        out << overwrite;
    else if (n == "overwriteSimple")
        out << overwriteSimple;
    else if (n == "onCommandValueChanged")
        out = onCommandValueChanged;
    else if (n == "maxLength")
        out << maxLength;
    else if (n == "onCommandCursorChanged")
        out = onCommandCursorChanged;
    else if (n == "alwaysShowCursor")
        out << alwaysShowCursor;
    else if (n == "useUpDownKeysToUpdateNumericValue")
        out << useUpDownKeysToUpdateNumericValue;
    else if (n == "showAsteriscs")
        out << showAsteriscs;
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

// ---- byte positions ----

bool TPDAUIEngineElementTextBox::Utf8() const { return value.GetCodepage() == kUtf8; }

int TPDAUIEngineElementTextBox::CharStart(int i) const
{
    i = std::max(0, std::min(i, value.Length()));
    if (Utf8())
        while (i > 0 && i < value.Length() && IsContinuation(value[i]))
            --i;
    return i;
}

int TPDAUIEngineElementTextBox::NextChar(int i) const
{
    if (i >= value.Length())
        return value.Length();
    ++i;
    if (Utf8())
        while (i < value.Length() && IsContinuation(value[i]))
            ++i;
    return i;
}

int TPDAUIEngineElementTextBox::PreviousChar(int i) const
{
    if (i <= 0)
        return 0;
    return CharStart(i - 1);
}

void TPDAUIEngineElementTextBox::Normalize()
{
    caretPosition = CharStart(caretPosition);
    if (selectionAnchor >= 0)
        selectionAnchor = CharStart(selectionAnchor);
    firstVisible = CharStart(firstVisible);
    if (lastTypedIndex >= value.Length())
        lastTypedIndex = -1;
}

void TPDAUIEngineElementTextBox::DeleteSelection()
{
    if (selectionAnchor < 0)
        return;
    Normalize();
    const int from = std::min(selectionAnchor, caretPosition);
    const int to = std::max(selectionAnchor, caretPosition);
    value.Delete(from, to - from);
    caretPosition = from;
    selectionAnchor = -1;
    Normalize();
}

// ---- geometry ----

TRectIG TPDAUIEngineElementTextBox::TextArea(int x, int y) const
{
    const long long b = borders[StateNormal].width;
    const long long l = (long long)x + left, t = (long long)y + top;
    return TRectIG(ClampInt(l + b + padding.left), ClampInt(t + b + padding.top),
                   ClampInt(l + width - b - padding.right), ClampInt(t + height - b - padding.bottom));
}

int TPDAUIEngineElementTextBox::Width(const char* bytes, int length)
{
    if (!engine || length <= 0)
        return 0;
    // An owned copy: a renderer may read the text up to its NUL.
    return engine->GetTextExtent(font, DString(bytes, length, value.GetCodepage()), 10000, 0).cx;
}

void TPDAUIEngineElementTextBox::UpdateScroll()
{
    const int oldCaret = caretPosition, oldAnchor = selectionAnchor, oldFirst = firstVisible;
    const int inner = std::max(0, TextArea(0, 0).Width() - 2);
    // Without a maximum length there is no last cell to hold the caret in.
    if (overwrite) {
        selectionAnchor = -1;
        if (maxLength > 0)
            caretPosition = std::max(0, std::min(caretPosition, maxLength - 1));
    }
    Normalize();
    const char* v = value.c_str();
    if (caretPosition < firstVisible) {
        firstVisible = caretPosition;
    } else {
        // Widths of value[i, caret) shrink as i grows: binary searches keep
        // long values from costing a measure per byte.
        auto from = [&](int i) { return Width(v + CharStart(i), caretPosition - CharStart(i)); };
        firstVisible = CharStart(FirstPassing(firstVisible, caretPosition, [&](int i) { return from(i) <= inner; }));
        if (firstVisible > 0 && caretPosition == value.Length()) {
            // Back while the piece stays narrower than the box, ending one
            // character after the last start tried.
            const int p = FirstPassing(0, firstVisible, [&](int i) { return from(i) < inner; });
            firstVisible = p == 0 ? 0 : NextChar(CharStart(p - 1));
        }
    }
    if (oldCaret != caretPosition || oldAnchor != selectionAnchor || oldFirst != firstVisible)
        RaiseIfSet(onCommandCursorChanged, true);
}

int TPDAUIEngineElementTextBox::GetCaretIndexAt(int x)
{
    const char* v = value.c_str();
    const long long shifted = (long long)x + Width(v, firstVisible);
    if (shifted < 0)
        return 0;
    const int n = value.Length();
    const int i = FirstPassing(0, n, [&](int j) { return Width(v, CharStart(j)) >= shifted; });
    if (i > n)
        return n;
    return CharStart(std::max(0, PreviousChar(CharStart(i))));
}

void TPDAUIEngineElementTextBox::SelectAll()
{
    if (value.IsEmpty())
        return;
    selectionAnchor = 0;
    caretPosition = value.Length();
}

DString TPDAUIEngineElementTextBox::GetSelectedText() const
{
    if (selectionAnchor < 0)
        return DString();
    const int n = value.Length();
    const int a = std::max(0, std::min(selectionAnchor, n)), c = std::max(0, std::min(caretPosition, n));
    const int from = std::min(a, c), to = std::max(a, c);
    return DString(value.c_str() + from, to - from, value.GetCodepage());
}

void TPDAUIEngineElementTextBox::RaiseIfSet(const DString& name, bool sound)
{
    if (!name.IsEmpty())
        RaiseCommand(name.c_str(), 0, 0, sound);
}

void TPDAUIEngineElementTextBox::FireCursorChanged() { RaiseIfSet(onCommandCursorChanged, true); }

// ---- size and painting ----

int TPDAUIEngineElementTextBox::GetMinimumHeight(int)
{
    if (!engine)
        return -1;
    long long h = (long long)engine->GetTextExtent(font, CDString("A"), 1024, 0).cy + padding.top +
                  padding.bottom + 2LL * borders[StateNormal].width;
    h = std::max<long long>(h, minimumHeight);
    return ClampInt(std::min<long long>(h, maximumHeight));
}

int TPDAUIEngineElementTextBox::GetMinimumWidth(int)
{
    if (!engine)
        return -1;
    long long w = (long long)engine->GetTextExtent(font, value, 0, 0).cx + padding.left + padding.right +
                  2LL * borders[StateNormal].width;
    w = std::max<long long>(w, minimumWidth);
    return ClampInt(std::min<long long>(w, maximumWidth));
}

void TPDAUIEngineElementTextBox::Paint(IDC* dc, int x, int y)
{
    if (!engine || !dc)
        return;
    int state = StateNormal;
    if (!enabled)
        state = StateDisabled;
    else if (IsFocused())
        state = StateFocus;
    else if (hover)
        state = StateHover;
    const long long l = (long long)x + left, t = (long long)y + top;
    const TRectIG r(ClampInt(l), ClampInt(t), ClampInt(l + width), ClampInt(t + height));
    TRectIG inner = r;
    borders[state].DeflateRect(inner);
    backgrounds[state].Draw(dc, inner);
    borders[state].Draw(dc, r);
    UpdateScroll();

    // The password form is what gets measured and drawn.
    const DString real = value;
    if (showAsteriscs) {
        for (int i = 0; i < value.Length(); ++i)
            if (i != lastTypedIndex)
                value[i] = '*';
    }
    if (onlyAllowAppend)
        caretPosition = value.Length();

    const TRectIG area = TextArea(x, y);
    const TColorIG colour(foregrounds[state]);
    const TColorIG background(backgrounds[StateNormal].colour);
    const bool hadClip = !dc->GetClipRect().IsEmpty();
    const TRectIG oldClip = dc->GetClipRect();
    TRectIG clip = area;
    if (hadClip)
        clip.IntersectWith(oldClip);
    dc->SelectClipRect(clip);
    const char* v = value.c_str();
    TRectIG textRect = area;
    engine->DrawText(dc, font, colour, nullptr, DString(v + firstVisible, value.Length() - firstVisible, value.GetCodepage()), textRect,
                     kVCenter, 0);

    if (enabled && HasSelection()) {
        const int from = std::max(std::min(selectionAnchor, caretPosition) - firstVisible, 0);
        const int to = std::max(std::max(selectionAnchor, caretPosition) - firstVisible, 0);
        if (to > from) {
            const char* shown = v + firstVisible;
            TRectIG sel(ClampInt((long long)area.left + Width(shown, from)), area.top,
                        std::min(area.right, ClampInt((long long)area.left + Width(shown, to))), area.bottom);
            dc->SetBrush(colour);
            dc->SetPen(colour);
            dc->Rectangle(sel);
            engine->DrawText(dc, font, background, nullptr, DString(shown + from, to - from, value.GetCodepage()), sel, kVCenter, 0);
        }
    }

    if (enabled && (IsFocused() || alwaysShowCursor) && engine->IsAppVisible()) {
        const int caretX = ClampInt((long long)area.left + Width(v, caretPosition) - Width(v, firstVisible));
        if (overwrite) {
            const int next = NextChar(caretPosition);
            const DString cell = caretPosition < value.Length() ? DString(v + caretPosition, next - caretPosition, value.GetCodepage())
                                                                : DString(" ");
            TRectIG box(caretX, area.top - 1, ClampInt((long long)caretX + engine->GetTextExtent(font, cell, 10000, 0).cx),
                        area.bottom);
            if (overwriteSimple) {
                dc->Rectangle(box.left + 1, box.bottom - 5, box.right, box.bottom - 3);
            } else {
                dc->SetBrush(colour);
                dc->SetPen(colour);
                dc->Rectangle(box);
                engine->DrawText(dc, font, background, nullptr, cell, box, kVCenter, 0);
            }
        } else if (caretVisible) {
            dc->SetBrush(colour);
            dc->SetPen(colour);
            dc->Rectangle(caretX + 1, area.top, caretX + 3, area.bottom - 1);
        }
    }
    if (hadClip)
        dc->SelectClipRect(oldClip);
    else
        dc->Fin_SelectClipRgn();
    value = real;
}

// ---- pointer ----

void TPDAUIEngineElementTextBox::OnMouseDown(int x, int, int kind, int, int)
{
    if (!enabled || kind != 0)
        return;
    const int ax = x - (borders[StateNormal].width + padding.left);
    if (onlyAllowAppend)
        caretPosition = value.Length();
    else if (overwrite && maxLength > 0)
        caretPosition = std::max(0, std::min(GetCaretIndexAt(ax), maxLength - 1));
    else
        caretPosition = GetCaretIndexAt(ax);
    Normalize();
    if (modified) {
        selectionAnchor = -1;
        UpdateScroll();
        FireCursorChanged();
        Invalidate();
        caretVisible = true;
    }
    pressed = 1;
}

void TPDAUIEngineElementTextBox::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (!enabled || !pressed || !modified)
        return;
    if (flags == 0) {
        if (onlyAllowAppend) {
            selectionAnchor = -1;
            caretPosition = value.Length();
        } else if (!overwrite) {
            if (selectionAnchor < 0)
                selectionAnchor = caretPosition;
            caretPosition = GetCaretIndexAt(x - (borders[StateNormal].width + padding.left));
        }
        if (handled)
            *handled = 1;
        UpdateScroll();
        FireCursorChanged();
        Invalidate();
    }
    (void)y;
    (void)a;
    (void)b;
}

void TPDAUIEngineElementTextBox::OnMouseUp(int x, int y, int kind, unsigned char*)
{
    if (!enabled || kind != 0)
        return;
    pressed = 0;
    caretVisible = true;
    modified = 1;
    if (page)
        page->modified = 1;
    if (x < 0 || y < 0 || x > width || y > height)
        return;
    Invalidate();
    if (engine && showVirtualKeyboard && !engine->HasHardwareKeyboard())
        engine->ShowInputPanel(this);
}

// ---- keys ----

void TPDAUIEngineElementTextBox::Refresh(unsigned char* handled)
{
    UpdateScroll();
    FireCursorChanged();
    Invalidate();
    if (handled)
        *handled = 1;
}

void TPDAUIEngineElementTextBox::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!enabled) {
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    if (onlyAllowAppend)
        selectionAnchor = -1;
    Normalize();
    const bool ctrl = engine && engine->keysManager.ctrl;
    const bool shift = engine && engine->keysManager.shift;
    const int n = value.Length();
    // Shift keeps (or starts) the selection, anything else drops it.
    auto Extend = [&](bool extend) {
        if (!extend)
            selectionAnchor = -1;
        else if (selectionAnchor < 0)
            selectionAnchor = caretPosition;
    };
    auto valueChanged = [&]() {
        caretVisible = true;
        changePending = true;
        RaiseIfSet(onCommandValueChanged, false);
        FireCursorChanged();
        Invalidate();
        if (handled)
            *handled = 1;
    };
    switch (key) {
    case KeyBack:
        if (onlyAllowAppend)
            caretPosition = n;
        if (HasSelection()) {
            DeleteSelection();
        } else if (caretPosition > 0) {
            const int from = PreviousChar(caretPosition);
            value.Delete(from, caretPosition - from);
            caretPosition = from;
            selectionAnchor = -1;
            UpdateScroll();
        }
        valueChanged();
        return;
    case KeyDelete:
        if (HasSelection()) {
            DeleteSelection();
        } else if (caretPosition < n) {
            value.Delete(caretPosition, NextChar(caretPosition) - caretPosition);
            selectionAnchor = -1;
            UpdateScroll();
        }
        valueChanged();
        return;
    case KeyEnd:
    case KeyHome:
        Extend(shift);
        caretPosition = key == KeyEnd || onlyAllowAppend ? n : 0;
        caretVisible = true;
        Refresh(handled);
        return;
    case KeyLeft:
        if (ctrl) {
            Extend(shift);
            int i = caretPosition;
            if (i > 0 && value[i - 1] == ' ')
                --i;
            while (i > 0 && value[i - 1] != ' ')
                --i;
            caretPosition = CharStart(i);
        } else if (shift) {
            Extend(true);
            caretPosition = PreviousChar(caretPosition);
        } else if (overwrite && selectionAnchor < 0 && caretPosition == 0) {
            FireCursorChanged();
            TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
            return;
        } else {
            selectionAnchor = -1;
            caretPosition = PreviousChar(caretPosition);
        }
        caretVisible = true;
        Refresh(handled);
        return;
    case KeyRight:
        if (ctrl) {
            Extend(shift);
            int i = caretPosition;
            if (i < n && value[i] == ' ')
                ++i;
            while (i < n && value[i] != ' ')
                ++i;
            if (i < n)
                ++i;
            caretPosition = CharStart(i);
        } else if (shift) {
            Extend(true);
            caretPosition = NextChar(caretPosition);
        } else if (overwrite && n == caretPosition + 1 && maxLength == caretPosition + 1) {
            FireCursorChanged();
            TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
            return;
        } else {
            selectionAnchor = -1;
            caretPosition = NextChar(caretPosition);
        }
        caretVisible = true;
        Refresh(handled);
        return;
    case KeyUp:
    case KeyDown:
        if (!useUpDownKeysToUpdateNumericValue)
            break;
        StepNumber(key == KeyUp ? 1 : -1);
        RaiseIfSet(onCommandValueChanged, false);
        FireCursorChanged();
        Invalidate();
        if (handled)
            *handled = 1;
        return;
    case KeyEnter:
        if (handled)
            *handled = 1;
        return;
    default:
        break;
    }
    if (ctrl && key == KeyX) {
        // Cut keeps what it takes on the clipboard.
        if (HasSelection()) {
            if (engine)
                engine->SetClipboardText(GetSelectedText().c_str());
            DeleteSelection();
            changePending = true;
            caretVisible = true;
        }
        RaiseIfSet(onCommandValueChanged, false);
        FireCursorChanged();
        Invalidate();
        if (handled)
            *handled = 1;
        return;
    }
    if (ctrl && key == KeyC) {
        if (engine)
            engine->SetClipboardText(GetSelectedText().c_str());
        if (handled)
            *handled = 1;
        if (consumed)
            *consumed = 1;
        return;
    }
    if (ctrl && key == KeyV) {
        const DString clip = engine ? engine->GetClipboardText() : DString();
        if (HasSelection())
            DeleteSelection();
        selectionAnchor = -1;
        value.Insert(caretPosition, clip.c_str(), clip.Length());
        caretPosition += clip.Length();
        UpdateScroll();
        RaiseIfSet(onCommandValueChanged, false);
        FireCursorChanged();
        changePending = true;
        if (handled)
            *handled = 1;
        if (consumed)
            *consumed = 1;
        Invalidate();
        return;
    }
    TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElementTextBox::StepNumber(int delta)
{
    const long long next = (long long)atoi(value.c_str()) + delta;
    DString text;
    text << ClampInt(next);
    if (overwrite)
        while (text.Length() < maxLength)
            text.Insert(0, "0");
    text.SetCodepage(value.GetCodepage());
    value = text;
    Normalize();
}

bool TPDAUIEngineElementTextBox::Accepts(int c) const
{
    if (onlyAcceptKeyCharNumbers) {
        const bool separator = c == ',' || c == '.';
        const bool ok = (c >= '0' && c <= '9') ||
                        (separator && !value.Contains(",") && !value.Contains(".")) ||
                        (c == '-' && caretPosition == 0);
        if (!ok)
            return false;
    } else if (c <= 29) {
        return false;
    }
    return overwrite || maxLength == 0 || value.Length() < maxLength;
}

void TPDAUIEngineElementTextBox::TypeCharacter(int c)
{
    changePending = true;
    DString typed;
    typed.SetCodepage(value.GetCodepage());
    typed.Lee_Unicode((unsigned int)c);
    Normalize();
    if (HasSelection()) {
        DeleteSelection();
        value.Insert(caretPosition, typed.c_str(), typed.Length());
    } else if (caretPosition >= value.Length()) {
        selectionAnchor = -1;
        value.Append(typed.c_str(), typed.Length());
        caretPosition = value.Length() - typed.Length();
    } else if (overwrite) {
        while (value.Length() < maxLength)
            value << ' ';
        value.Delete(caretPosition, NextChar(caretPosition) - caretPosition);
        value.Insert(caretPosition, typed.c_str(), typed.Length());
    } else {
        value.Insert(caretPosition, typed.c_str(), typed.Length());
    }
    caretPosition += typed.Length();
    if (overwrite && caretPosition < maxLength)
        while (value.Length() < maxLength)
            value << ' ';
    lastTypedIndex = caretPosition - 1;
    RaiseIfSet(onCommandValueChanged, false);
    UpdateScroll();
}

void TPDAUIEngineElementTextBox::OnKeyPress(int c, unsigned char* handled, unsigned char* consumed, int extra)
{
    if (!enabled) {
        TPDAUIEngineElement::OnKeyPress(c, handled, consumed, extra);
        return;
    }
    if (c == KeyEnter) {
        changePending = false;
        if (!engine || engine->HasHardwareKeyboard() || !showVirtualKeyboard)
            RaiseIfSet(onCommand, false);
        else if (showVirtualKeyboardOnlyOnClick)
            engine->ShowInputPanel(this);
        if (handled)
            *handled = 1;
        return;
    }
    if (c == KeyEscape) {
        if (handled)
            *handled = 1;
        return;
    }
    StopTimer();
    if (Accepts(c))
        TypeCharacter(c);
    if (handled)
        *handled = 1;
    if (onlyAllowAppend) {
        selectionAnchor = -1;
        caretPosition = value.Length();
    }
    FireCursorChanged();
    StartTimer();
    caretVisible = true;
    Invalidate();
}

void TPDAUIEngineElementTextBox::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (key == KeyEnter && enabled && engine && !engine->HasHardwareKeyboard() && showVirtualKeyboard) {
        changePending = false;
        if (showVirtualKeyboardOnlyOnClick)
            engine->ShowInputPanel(this);
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
}

// ---- focus, timer, drops ----

void TPDAUIEngineElementTextBox::OnSetFocus(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::OnSetFocus(other);
    if (enabled) {
        if (onlyAllowAppend) {
            selectionAnchor = -1;
            caretPosition = value.Length();
            FireCursorChanged();
        } else if (!overwrite) {
            caretPosition = value.Length();
        }
        caretVisible = true;
        if (!alwaysShowCursor)
            StartTimer();
    }
    Invalidate();
}

void TPDAUIEngineElementTextBox::OnKillFocus(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::OnKillFocus(other);
    bool raise = false;
    if (enabled) {
        if (!alwaysShowCursor)
            StopTimer();
        const bool keeps = other && other->enabled &&
                           (dynamic_cast<TPDAUIEngineElementTextBox*>(other) ||
                            dynamic_cast<TPDAUIEngineElementButton*>(other));
        if (!keeps && engine)
            engine->HideInputPanel();
        if (showAsteriscs)
            lastTypedIndex = -1;
        Invalidate();
        if (changePending) {
            changePending = false;
            raise = true;
        }
    }
    modified = 0;
    if (page) {
        page->modified = 0;
        page->lastTextBox = this;
    }
    caretVisible = false;
    // Last: the command may close the page and this box with it.
    if (raise)
        RaiseIfSet(onCommand, false);
}

void TPDAUIEngineElementTextBox::OnTimer(int, int)
{
    if (!enabled) {
        StopTimer();
        return;
    }
    caretVisible = pressed || !caretVisible;
    if (!caretVisible)
        lastTypedIndex = -1;
    Invalidate();
}

bool TPDAUIEngineElementTextBox::OnDrop(int, int, const char*, const char* text, unsigned char* handled)
{
    if (handled && *handled)
        return true;
    value = text ? text : "";
    Normalize();
    FireCursorChanged();
    changePending = true;
    Invalidate();
    return true;
}

void TPDAUIEngineElementTextBox::InsertText(const char* text)
{
    if (onlyAllowAppend) {
        selectionAnchor = -1;
        caretPosition = value.Length();
    } else if (HasSelection()) {
        DeleteSelection();
    }
    selectionAnchor = -1;
    Normalize();
    const CDString t(text ? text : "");
    value.Insert(caretPosition, t.c_str(), t.Length());
    caretPosition += t.Length();
    UpdateScroll();
    RaiseIfSet(onCommandValueChanged, false);
    FireCursorChanged();
    changePending = true;
    Invalidate();
}
