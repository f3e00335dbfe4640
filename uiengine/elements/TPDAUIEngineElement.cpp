#include "uiengine/elements/TPDAUIEngineElement.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "enginelib/draw/TColorIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementLabel.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementPool.h"

namespace {

typedef TPDAUIEngineSaturate Sat;

// Live elements, counted per thread: a page makes and drops thousands, and a
// locked add on every one costs more than the rest of a small element's
// construction. Only the owning thread writes its slot, so a plain load and
// store suffice; the count is the sum over the slots. An element may die on
// another thread than its maker's: the sum stays right. A thread's slot goes
// back to the list when it ends, count included, for the next thread.
struct LiveSlot {
    std::atomic<int> count{0};
    bool taken = false;
};

// Both kept for the life of the process: elements held by statics may die
// after every static of this file.
std::mutex& LiveSlotsMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::vector<LiveSlot*>& LiveSlots()
{
    static std::vector<LiveSlot*>* slots = new std::vector<LiveSlot*>;
    return *slots;
}

thread_local LiveSlot* t_liveSlot = nullptr;
thread_local bool t_liveSlotGone = false;
// Elements that die on a thread after its slot went back (thread end).
std::atomic<int> g_liveLate{0};

struct LiveSlotRelease {
    ~LiveSlotRelease()
    {
        std::lock_guard<std::mutex> guard(LiveSlotsMutex());
        t_liveSlot->taken = false;
        t_liveSlot = nullptr;
        t_liveSlotGone = true;
    }
};

// Once per thread: kept out of line so that the counting itself inlines.
// Throws nothing, so that an element's constructor needs no way out for it;
// null when no slot can be had (no memory), the count then goes to g_liveLate.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
LiveSlot* TakeLiveSlot() noexcept
{
    try {
        std::lock_guard<std::mutex> guard(LiveSlotsMutex());
        for (LiveSlot* slot : LiveSlots())
            if (!slot->taken) {
                t_liveSlot = slot;
                break;
            }
        if (!t_liveSlot) {
            LiveSlots().reserve(LiveSlots().size() + 1);
            LiveSlots().push_back(new LiveSlot());
            t_liveSlot = LiveSlots().back();
        }
        t_liveSlot->taken = true;
    } catch (...) {
        return nullptr;
    }
    thread_local LiveSlotRelease release;  // gives the slot back at thread end
    (void)release;
    return t_liveSlot;
}

inline void CountLive(int delta) noexcept
{
    LiveSlot* slot = t_liveSlot;
    if (!slot) {
        if (!t_liveSlotGone)
            slot = TakeLiveSlot();
        if (!slot) {
            g_liveLate.fetch_add(delta, std::memory_order_relaxed);
            return;
        }
    }
    slot->count.store(slot->count.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

thread_local bool t_measureReadAvailable = true;

const char* const kAlignWords[] = {"Start", "Center", "End", "Stretch", "Auto", "AutoInvert"};
const int kAlignWordCount = 6;

// Index of the word in the align/pack vocabulary, -1 when it is none of them.
int AlignFromWord(const char* value)
{
    for (int i = 0; i < kAlignWordCount; ++i)
        if (CDString(value) == kAlignWords[i])
            return i;
    return -1;
}

bool IsTrue(const char* value) { return CDString(value) == "true"; }

int ToInt(const char* value) { return CDString(value).atoi(); }

// The per-state suffixes of the colour attributes, with their state index.
struct StateName {
    const char* suffix;
    int state;
};
const StateName kForegroundStates[] = {
    {"Disabled", TPDAUIEngineElement::StateDisabled},
    {"Pressed", TPDAUIEngineElement::StatePressed},
    {"Focus", TPDAUIEngineElement::StateFocus},
    {"Hover", TPDAUIEngineElement::StateHover},
};

// A margin written "N" is in skin pixels (scaled); "N%" is a percentage of the
// screen, kept unscaled, and sets the side's flag. Without '%' the flag stays.
void ParseMargin(const char* value, int& margin, bool& percent)
{
    if (CDString(value).Contains("%")) {
        margin = ToInt(value);
        percent = true;
    } else {
        margin = TPDAUIEngineElement::Scale(ToInt(value));
    }
}

// A margin read back: skin pixels, or the percentage itself followed by '%'.
void WriteMargin(DString& out, int margin, bool percent, float scale)
{
    out << (float)margin / (percent ? 1.0f : scale);
    if (percent)
        out << "%";
}

} // namespace

TPDAUIEngineElement::TPDAUIEngineElement()
    : maximumHeight(Scale(5000)), maximumWidth(maximumHeight)  // the scale looked up once
{
    CountLive(1);
}

TPDAUIEngineElement::TPDAUIEngineElement(TForRecord)
    : maximumHeight(0), maximumWidth(0), font(TPDAUIEngineStyleFont::Unset)
{
    CountLive(1);
}

TPDAUIEngineElement::~TPDAUIEngineElement()
{
    // A page that is already gone (this element's own page part included) must
    // not be reached, not even by the engine's StopTimer.
    if (page && !TPDAUIEngineElementPage::IsLive(page))
        page = nullptr;
    // StopTimer, spelt out so that the usual case (no timer) costs no call.
    if (timerRunning && engine)
        engine->StopTimer(this);
    // A command still queued for this element must not be delivered to freed memory.
    TPDAUIEngineCommandQueue::PurgeTargetEverywhere(this);
    TPDAUIEngine::ElementDeleted(this);
    // Drop the page's references to this element so that none is left dangling;
    // a page that is already gone is left alone.
    if (page && page != this) {
        TPDAUIEngineElementPage* owner = GetPage();
        if (owner && owner != this && TPDAUIEngineElementPage::IsLive(owner)) {
            int index = owner->popups.IndexOf(this);
            if (index >= 0)
                owner->popups.Extract(index);
            if (owner->paintReference == this) owner->paintReference = nullptr;
            if (owner->pressedElement == this) owner->pressedElement = nullptr;
            if (owner->hoverElement == this) owner->hoverElement = nullptr;
            if (owner->keyDownElement == this) owner->keyDownElement = nullptr;
            if (owner->focusedElement == this) owner->focusedElement = nullptr;
            if (owner->lastTextBox == this) owner->lastTextBox = nullptr;
        }
    }
    engine = nullptr;
    page = nullptr;
    CountLive(-1);
}

void* TPDAUIEngineElement::operator new(size_t size) { return TPDAUIEngineElementPool::Allocate(size); }

void TPDAUIEngineElement::operator delete(void* block, size_t size) noexcept
{
    TPDAUIEngineElementPool::Free(block, size);
}

int TPDAUIEngineElement::GetLiveCount()
{
    std::lock_guard<std::mutex> guard(LiveSlotsMutex());
    int total = g_liveLate.load(std::memory_order_relaxed);
    for (const LiveSlot* slot : LiveSlots())
        total += slot->count.load(std::memory_order_relaxed);
    return total;
}

float TPDAUIEngineElement::GetUIScale() { return TPDAUIEngineSkinSettings::CurrentScale(); }

int TPDAUIEngineElement::Scale(int value)
{
    float scaled = (float)value * GetUIScale();
    if (!(scaled > (float)INT_MIN))
        return scaled != scaled ? 0 : INT_MIN;
    if (!(scaled < (float)INT_MAX))
        return INT_MAX;
    return (int)scaled;
}

// ---- loading and attributes ----

void TPDAUIEngineElement::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                 TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                 TFicheroITV* stream)
{
    engine = e;
    page = p;
    parent = par;
    if (engine)
        numericId = engine->elementCounter++ + 1001;
    if (stream) {
        // A record that cannot be read leaves the element as it was; the
        // caller sees the failed stream and drops the element.
        if (!LoadCompiled(*stream))
            return;
    } else {
        if (xmlNode)
            xmlNode->ForEachAttribute([this](const TPDAUIEngineXml::TAttribute& attribute) {
                SetAttribute(attribute.name.c_str(), attribute.value.c_str());
            });
        font.CreateStockFont(nullptr);
    }
    // Undo the scaling for skins that give these in screen pixels already.
    const float scale = avoidPaddingRescale || avoidMarginRescale ? GetUIScale() : 1.0f;
    if (scale > 1.0f) {
        if (avoidPaddingRescale) {
            padding.left = TPDAUIEngineUIScale::Divide(padding.left, scale);
            padding.top = TPDAUIEngineUIScale::Divide(padding.top, scale);
            padding.right = TPDAUIEngineUIScale::Divide(padding.right, scale);
            padding.bottom = TPDAUIEngineUIScale::Divide(padding.bottom, scale);
        }
        if (avoidMarginRescale) {
            if (!margins.leftPercent)
                margins.left = TPDAUIEngineUIScale::Divide(margins.left, scale);
            if (!margins.topPercent)
                margins.top = TPDAUIEngineUIScale::Divide(margins.top, scale);
            if (!margins.rightPercent)
                margins.right = TPDAUIEngineUIScale::Divide(margins.right, scale);
            if (!margins.bottomPercent)
                margins.bottom = TPDAUIEngineUIScale::Divide(margins.bottom, scale);
        }
    }
    if (!imageName.IsEmpty())
        image = page ? page->resources.GetImage(imageName.c_str(), false, false) : nullptr;
    ApplyThemeColours();
}

namespace {

// The rules' replacement of an element's colours, kept out of line: most skins
// have no colour rules, and its frame would cost every element's load.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void ReplaceThemeColours(const TPDAUIEngineTheme& theme, const TPDAUIEngineElementPage* page,
                         uint32_t (&foregrounds)[5],
                         TPDAUIEngineStateStyles<TPDAUIEngineStyleBorder>& borders,
                         TPDAUIEngineStateStyles<TPDAUIEngineStyleBackground>& backgrounds)
{
    const CDString pageName = page ? CDString(page->pageName) : CDString("");
    static const int kOrder[] = {TPDAUIEngineElement::StateNormal, TPDAUIEngineElement::StateHover,
                                 TPDAUIEngineElement::StateFocus, TPDAUIEngineElement::StateDisabled,
                                 TPDAUIEngineElement::StatePressed};
    for (int state : kOrder) {
        TColorIG colour(foregrounds[state]);
        theme.ReplaceColor(pageName, colour);
        foregrounds[state] = colour;
    }
    // Styles the element has not set of its own are only written when a rule
    // changes their colour.
    for (int state : kOrder) {
        TColorIG colour = borders[state].colour;
        theme.ReplaceColor(pageName, colour);
        if (colour.color != borders[state].colour.color)
            borders.Edit(state).colour = colour;
    }
    for (int state : kOrder) {
        if (backgrounds[state].kind != TPDAUIEngineStyleBackground::KindColor)
            continue;
        TColorIG colour = backgrounds[state].colour;
        theme.ReplaceColor(pageName, colour);
        if (colour.color != backgrounds[state].colour.color)
            backgrounds.Edit(state).colour = colour;
    }
}

} // namespace

// Passes every colour through the first theme's colour rules for this page. A
// skin being compiled keeps its own colours.
void TPDAUIEngineElement::ApplyThemeColours()
{
    if (!engine || engine->skinCompiling)
        return;
    const TPDAUIEngineTheme& theme = engine->skinSettings.theme1;
    if (theme.colorRules.Count() == 0)
        return;  // nothing to replace: spare fifteen look-ups per element
    ReplaceThemeColours(theme, page, foregrounds, borders, backgrounds);
}

void TPDAUIEngineElement::SetAttributeInt(const char* name, int value)
{
    DString text(value);
    SetAttribute(name, text.c_str());
}

namespace {

// The skin attributes of the base element, by id. Names are exact; a name that is
// none of them but holds "font" goes to the font descriptor.
enum EAttribute {
    AttrId, AttrLeft, AttrTop, AttrWidth, AttrHeight,
    AttrPadding, AttrPaddingTop, AttrPaddingLeft, AttrPaddingRight, AttrPaddingBottom, AttrPaddingInner,
    AttrMargin, AttrMarginTop, AttrMarginLeft, AttrMarginRight, AttrMarginBottom,
    AttrBorder, AttrBorderState, AttrForeground, AttrForegroundState, AttrBackground, AttrBackgroundState,
    AttrShortcut, AttrVisible, AttrEnabled, AttrIsFocusable, AttrIsClickable,
    AttrMinimumHeight, AttrMinimumWidth, AttrMaximumHeight, AttrMaximumWidth,
    AttrFlex, AttrColspan, AttrRowspan, AttrAlign, AttrPack,
    AttrLabel, AttrOnCommand, AttrOnCommandSound, AttrOnContextMenuCommand, AttrTimerInterval,
    AttrImage, AttrClass, AttrAllowMouseDownAfterPopupClose, AttrAvoidPaddingRescale, AttrAvoidMarginRescale,
    AttrCatchMouseEventsAlways,
};

struct TNamedAttribute {
    const char* name;
    EAttribute id;
    int state;  // for the per-state borders, colours and backgrounds
};

const TNamedAttribute kAttributes[] = {
    {"id", AttrId, 0}, {"left", AttrLeft, 0}, {"top", AttrTop, 0}, {"width", AttrWidth, 0},
    {"height", AttrHeight, 0}, {"padding", AttrPadding, 0}, {"paddingTop", AttrPaddingTop, 0},
    {"paddingLeft", AttrPaddingLeft, 0}, {"paddingRight", AttrPaddingRight, 0},
    {"paddingBottom", AttrPaddingBottom, 0}, {"paddingInner", AttrPaddingInner, 0}, {"margin", AttrMargin, 0},
    {"marginTop", AttrMarginTop, 0}, {"marginLeft", AttrMarginLeft, 0}, {"marginRight", AttrMarginRight, 0},
    {"marginBottom", AttrMarginBottom, 0}, {"border", AttrBorder, 0},
    {"borderDisabled", AttrBorderState, TPDAUIEngineElement::StateDisabled},
    {"borderPressed", AttrBorderState, TPDAUIEngineElement::StatePressed},
    {"borderFocus", AttrBorderState, TPDAUIEngineElement::StateFocus},
    {"borderHover", AttrBorderState, TPDAUIEngineElement::StateHover}, {"foreground", AttrForeground, 0},
    {"foregroundDisabled", AttrForegroundState, TPDAUIEngineElement::StateDisabled},
    {"foregroundPressed", AttrForegroundState, TPDAUIEngineElement::StatePressed},
    {"foregroundFocus", AttrForegroundState, TPDAUIEngineElement::StateFocus},
    {"foregroundHover", AttrForegroundState, TPDAUIEngineElement::StateHover}, {"background", AttrBackground, 0},
    {"backgroundPressed", AttrBackgroundState, TPDAUIEngineElement::StatePressed},
    {"backgroundDisabled", AttrBackgroundState, TPDAUIEngineElement::StateDisabled},
    {"backgroundFocus", AttrBackgroundState, TPDAUIEngineElement::StateFocus},
    {"backgroundHover", AttrBackgroundState, TPDAUIEngineElement::StateHover}, {"shortcut", AttrShortcut, 0},
    {"visible", AttrVisible, 0}, {"enabled", AttrEnabled, 0}, {"isFocusable", AttrIsFocusable, 0},
    {"isClickable", AttrIsClickable, 0}, {"minimumHeight", AttrMinimumHeight, 0},
    {"minimumWidth", AttrMinimumWidth, 0}, {"maximumHeight", AttrMaximumHeight, 0},
    {"maximumWidth", AttrMaximumWidth, 0}, {"flex", AttrFlex, 0}, {"colspan", AttrColspan, 0},
    {"rowspan", AttrRowspan, 0}, {"align", AttrAlign, 0}, {"pack", AttrPack, 0}, {"label", AttrLabel, 0},
    {"onCommand", AttrOnCommand, 0}, {"onCommandSound", AttrOnCommandSound, 0},
    {"onContextMenuCommand", AttrOnContextMenuCommand, 0}, {"timerInterval", AttrTimerInterval, 0},
    {"image", AttrImage, 0}, {"class", AttrClass, 0},
    {"allowMouseDownAfterPopupClose", AttrAllowMouseDownAfterPopupClose, 0},
    {"avoidPaddingRescale", AttrAvoidPaddingRescale, 0}, {"avoidMarginRescale", AttrAvoidMarginRescale, 0},
    {"catchMouseEventsAlways", AttrCatchMouseEventsAlways, 0},
};

// The attribute of that exact name, or null: one look-up instead of a chain of
// comparisons, for every attribute of every element loaded.
const TNamedAttribute* FindAttribute(const char* name)
{
    static const std::unordered_map<std::string_view, const TNamedAttribute*> table = [] {
        std::unordered_map<std::string_view, const TNamedAttribute*> t;
        for (const TNamedAttribute& a : kAttributes)
            t.emplace(a.name, &a);
        return t;
    }();
    auto it = table.find(std::string_view(name));
    return it == table.end() ? nullptr : it->second;
}

} // namespace

void TPDAUIEngineElement::SetAttribute(const char* name, const char* value)
{
    if (!name)
        name = "";
    if (!value)
        value = "";
    // Remembered minimum sizes may depend on what changes here.
    TPDAUIEngineElementBox::ForgetMinimumSizes();
    const TNamedAttribute* attribute = FindAttribute(name);
    if (!attribute) {
        // "fontSize" reaches the descriptor as "Size", "font" alone as "".
        if (CDString(name).Contains("font"))
            font.SetAttribute(name + 4, value);
        return;
    }
    const int state = attribute->state;
    switch (attribute->id) {
    case AttrId: id = value; break;
    case AttrLeft: left = Scale(ToInt(value)); break;
    case AttrTop: top = Scale(ToInt(value)); break;
    case AttrWidth: width = Scale(ToInt(value)); break;
    case AttrHeight: height = Scale(ToInt(value)); break;
    case AttrPadding: {
        int v = Scale(ToInt(value));
        padding.left = padding.top = padding.right = padding.bottom = padding.inner = v;
        break;
    }
    case AttrPaddingTop: padding.top = Scale(ToInt(value)); break;
    case AttrPaddingLeft: padding.left = Scale(ToInt(value)); break;
    case AttrPaddingRight: padding.right = Scale(ToInt(value)); break;
    case AttrPaddingBottom: padding.bottom = Scale(ToInt(value)); break;
    case AttrPaddingInner: padding.inner = Scale(ToInt(value)); break;
    case AttrMargin:
        if (CDString(value).Contains("%")) {
            margins.left = margins.top = margins.right = margins.bottom = ToInt(value);
            margins.leftPercent = margins.topPercent = margins.rightPercent = margins.bottomPercent = true;
        } else {
            margins.left = margins.top = margins.right = margins.bottom = Scale(ToInt(value));
        }
        break;
    case AttrMarginTop: ParseMargin(value, margins.top, margins.topPercent); break;
    case AttrMarginLeft: ParseMargin(value, margins.left, margins.leftPercent); break;
    case AttrMarginRight: ParseMargin(value, margins.right, margins.rightPercent); break;
    case AttrMarginBottom: ParseMargin(value, margins.bottom, margins.bottomPercent); break;
    case AttrBorder:
        borders.Edit(StateNormal).Parse(value);
        for (int i = 1; i < 5; ++i)
            borders.Edit(i) = borders[StateNormal];
        break;
    case AttrBorderState: borders.Edit(state).Parse(value); break;
    case AttrForeground: {
        TColorIG colour(foregrounds[StateNormal]);
        colour.DecodeFromString(value);
        for (uint32_t& f : foregrounds)
            f = colour;
        break;
    }
    case AttrForegroundState: {
        TColorIG colour(foregrounds[state]);
        colour.DecodeFromString(value);
        foregrounds[state] = colour;
        break;
    }
    case AttrBackground:
        backgrounds.Edit(StateNormal).Parse(value, page ? &page->resources : nullptr);
        for (int i = 1; i < 5; ++i)
            backgrounds.Edit(i) = backgrounds[StateNormal];
        break;
    case AttrBackgroundState: backgrounds.Edit(state).Parse(value, page ? &page->resources : nullptr); break;
    case AttrShortcut: shortcut.Parse(value); break;
    case AttrVisible: visible = IsTrue(value); break;
    case AttrEnabled: enabled = IsTrue(value); break;
    case AttrIsFocusable: isFocusable = IsTrue(value); break;
    case AttrIsClickable: isClickable = IsTrue(value); break;
    case AttrMinimumHeight: minimumHeight = Scale(ToInt(value)); break;
    case AttrMinimumWidth: minimumWidth = Scale(ToInt(value)); break;
    case AttrMaximumHeight: maximumHeight = Scale(ToInt(value)); break;
    case AttrMaximumWidth: maximumWidth = Scale(ToInt(value)); break;
    case AttrFlex: flex = ToInt(value); break;
    case AttrColspan: colspan = ToInt(value); break;
    case AttrRowspan: rowspan = ToInt(value); break;
    case AttrAlign:
    case AttrPack: {
        int word = AlignFromWord(value);
        if (word >= 0)
            (attribute->id == AttrAlign ? align : pack) = word;
        break;
    }
    case AttrLabel: label = value; break;
    case AttrOnCommand: onCommand = value; break;
    case AttrOnCommandSound: onCommandSound = value; break;
    case AttrOnContextMenuCommand: onContextMenuCommand = value; break;
    case AttrTimerInterval: timerInterval = ToInt(value); break;
    case AttrImage: imageName = value; break;
    case AttrClass: className = value; break;
    case AttrAllowMouseDownAfterPopupClose: allowMouseDownAfterPopupClose = IsTrue(value); break;
    case AttrAvoidPaddingRescale: avoidPaddingRescale = IsTrue(value); break;
    case AttrAvoidMarginRescale: avoidMarginRescale = IsTrue(value); break;
    case AttrCatchMouseEventsAlways: catchMouseEventsAlways = IsTrue(value); break;
    }
}

DString TPDAUIEngineElement::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    float scale = GetUIScale();
    if (!(scale > 0.0f))
        scale = 1.0f;
    auto bytes = [&out](unsigned char flag) { out << (flag != 0); };
    if (n == "id") {
        out = id;
    } else if (n == "left") {
        out << (float)left / scale;
    } else if (n == "top") {
        out << (float)top / scale;
    } else if (n == "width") {
        out << (float)width / scale;
    } else if (n == "height") {
        out << (float)height / scale;
    } else if (n == "padding") {
        const TPDAUIEnginePadding& p = padding;
        if (p.left == p.top && p.left == p.right && p.left == p.bottom && p.left == p.inner)
            out << (float)p.left / scale;
        else
            out << 0;
    } else if (n == "paddingTop") {
        out << (float)padding.top / scale;
    } else if (n == "paddingLeft") {
        out << (float)padding.left / scale;
    } else if (n == "paddingRight") {
        out << (float)padding.right / scale;
    } else if (n == "paddingBottom") {
        out << (float)padding.bottom / scale;
    } else if (n == "paddingInner") {
        out << (float)padding.inner / scale;
    } else if (n == "margin") {
        const TPDAUIEngineMargins& m = margins;
        if (m.left == m.top && m.left == m.right && m.left == m.bottom)
            out << (float)m.left / (m.leftPercent ? 1.0f : scale);
        else
            out << 0;
        if (m.leftPercent)
            out << "%";
    } else if (n == "marginTop") {
        WriteMargin(out, margins.top, margins.topPercent, scale);
    } else if (n == "marginLeft") {
        WriteMargin(out, margins.left, margins.leftPercent, scale);
    } else if (n == "marginRight") {
        WriteMargin(out, margins.right, margins.rightPercent, scale);
    } else if (n == "marginBottom") {
        WriteMargin(out, margins.bottom, margins.bottomPercent, scale);
    } else if (n == "foreground") {
        out << (unsigned int)foregrounds[StateNormal];
    } else if (n.StartsWith("foreground")) {
        for (const StateName& s : kForegroundStates)
            if (n == (DString("foreground") << s.suffix))
                out << (unsigned int)foregrounds[s.state];
    } else if (n == "visible") {
        bytes(visible);
    } else if (n == "enabled") {
        bytes(enabled);
    } else if (n == "isFocusable") {
        bytes(isFocusable);
    } else if (n == "isClickable") {
        bytes(isClickable);
    } else if (n == "minimumHeight") {
        out << minimumHeight;
    } else if (n == "minimumWidth") {
        out << minimumWidth;
    } else if (n == "maximumHeight") {
        out << maximumHeight;
    } else if (n == "maximumWidth") {
        out << maximumWidth;
    } else if (n == "flex") {
        out << flex;
    } else if (n == "colspan") {
        out << colspan;
    } else if (n == "rowspan") {
        out << rowspan;
    } else if (n == "align" || n == "pack") {
        int v = n == "align" ? align : pack;
        if (v >= 0 && v < kAlignWordCount)
            out = kAlignWords[v];
    } else if (n == "label") {
        out = label;
    } else if (n == "onCommand") {
        out = onCommand;
    } else if (n == "onCommandSound") {
        out = onCommandSound;
    } else if (n == "onContextMenuCommand") {
        out = onContextMenuCommand;
    } else if (n == "timerInterval") {
        out << (unsigned int)timerInterval;
    } else if (n.StartsWith("font")) {
        // The read names follow the descriptor's fields ("fontUppercase"), not
        // all of the setter's suffixes.
        const TPDAUIEngineStyleFont& f = font;
        if (n == "fontBold") out << f.bold;
        else if (n == "fontItalic") out << f.italic;
        else if (n == "fontUnderline") out << f.underline;
        else if (n == "fontUppercase") out << f.upperCase;
        else if (n == "fontLowercase") out << f.lowerCase;
        else if (n == "fontSimplifyCharacters") out << f.simplifyCharacters;
        else if (n == "fontBordered") out << f.bordered;
        else if (n == "fontShadowed") out << f.shadowed;
        else if (n == "fontRichText") out << f.richText;
        else if (n == "fontPaddingEllipsis") out << (short)f.paddingEllipsis;
        else if (n == "fontOrientation") out << (short)f.orientation;
        else if (n == "fontName") out = f.name;
        else if (n == "fontSize") out << (float)f.size / scale;
    } else if (n == "imageName") {
        out = imageName;
    } else if (n == "className") {
        out = className;
    } else if (n == "allowMouseDownAfterPopupClose") {
        bytes(allowMouseDownAfterPopupClose);
    } else if (n == "avoidPaddingRescale") {
        bytes(avoidPaddingRescale);
    } else if (n == "avoidMarginRescale") {
        bytes(avoidMarginRescale);
    } else if (n == "catchMouseEventsAlways") {
        bytes(catchMouseEventsAlways);
    }
    return out;
}

// ---- geometry ----

int TPDAUIEngineElement::LimitSize(long long size, int minimum, int maximum)
{
    if (size < minimum)
        size = minimum;
    if (maximum >= 0 && size > maximum)
        size = maximum;
    return TPDAUIEngineSaturate::Clamp(size);
}

void TPDAUIEngineElement::NoteMeasure(bool readAvailable) { t_measureReadAvailable = readAvailable; }

bool TPDAUIEngineElement::MeasureReadAvailable() { return t_measureReadAvailable; }

int TPDAUIEngineElement::GetMinimumHeight(int availableWidth)
{
    NoteMeasure(false);
    return LimitSize((long long)padding.top + 2LL * borders[StateNormal].width + padding.bottom,
                     minimumHeight, maximumHeight);
}

int TPDAUIEngineElement::GetMinimumWidth(int availableHeight)
{
    NoteMeasure(false);
    return LimitSize((long long)padding.left + 2LL * borders[StateNormal].width + padding.right,
                     minimumWidth, maximumWidth);
}

void TPDAUIEngineElement::SetBounds(int l, int t, int w, int h)
{
    left = l;
    top = t;
    if (w < 0 || h < 0)
        w = h = 0;
    width = w;
    height = h;
}

void TPDAUIEngineElement::ReapplyBounds() { SetBounds(left, top, width, height); }

TPDAUIEngineElement* TPDAUIEngineElement::HitTest(int x, int y)
{
    if (x >= left && x < (long long)left + width && y >= top && y < (long long)top + height && isClickable)
        return this;
    return nullptr;
}

TPDAUIEngineElement* TPDAUIEngineElement::FindByNumericId(int n)
{
    return numericId == n ? this : nullptr;
}

TPDAUIEngineElement* TPDAUIEngineElement::FindByClassName(const char* name)
{
    return className == CDString(name) ? this : nullptr;
}

// Siblings live in a box's child vector; an element whose parent is not a box
// has none.
TPDAUIEngineElement* TPDAUIEngineElement::NextSibling()
{
    TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    if (!box)
        return nullptr;
    int index = box->IndexOfChild(this);
    if (index < 0 || index + 1 >= box->children.Count())
        return nullptr;
    return box->children[index + 1];
}

TPDAUIEngineElement* TPDAUIEngineElement::PreviousSibling()
{
    TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    if (!box)
        return nullptr;
    int index = box->IndexOfChild(this);
    if (index < 1)
        return nullptr;
    return box->children[index - 1];
}

void TPDAUIEngineElement::CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive) {}

void TPDAUIEngineElement::CollectAncestors(VectorP<TPDAUIEngineElement>& list)
{
    list.Add(this);
    if (parent)
        parent->CollectAncestors(list);
}

TRectIG TPDAUIEngineElement::GetScreenRect()
{
    TRectIG r(left, top, TPDAUIEngineSaturate::Add(left, width), TPDAUIEngineSaturate::Add(top, height));
    if (!parent || IsPopup())
        return r;
    TRectIG p = parent->GetScreenRect();
    r.Offset(p.left, p.top);
    return r;
}

TRectIG TPDAUIEngineElement::GetVisibleRect()
{
    TRectIG r(left, top, TPDAUIEngineSaturate::Add(left, width), TPDAUIEngineSaturate::Add(top, height));
    if (!parent || IsPopup())
        return r;
    TRectIG p = parent->GetVisibleRect();
    r.Offset(p.left, p.top);
    return r;
}

TPDAUIEngineElementPage* TPDAUIEngineElement::GetPage()
{
    if (page && page->parent)
        return page->parent->page;
    return page;
}

// ---- input ----

void TPDAUIEngineElement::OnHoverEnter(int x, int y, int flags)
{
    if (enabled && isFocusable) {
        hover = 1;
        Invalidate();
    } else if (parent) {
        parent->OnHoverEnter(x, y, flags);
    }
}

void TPDAUIEngineElement::OnHoverLeave(int x, int y, int flags)
{
    if ((enabled && isFocusable) || hover) {
        hover = 0;
        Invalidate();
    } else if (parent) {
        parent->OnHoverLeave(x, y, flags);
    }
}

void TPDAUIEngineElement::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (isFocusable) {
        TPDAUIEngineElementPage* p = GetPage();
        if (p && p->focusedElement != this)
            p->SetFocus(this, false);
    }
    if (!onCommand.IsEmpty() && kind == 0) {
        pressed = 1;
        Invalidate();
        return;
    }
    if (parent)
        parent->OnMouseDown(Sat::Add(x, left), Sat::Add(y, top), kind, a, b);
}

void TPDAUIEngineElement::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (parent)
        parent->OnMouseMove(Sat::Add(x, left), Sat::Add(y, top), flags, handled, a, b);
}

void TPDAUIEngineElement::OnMouseWheel(int x, int y, int delta)
{
    if (parent)
        parent->OnMouseWheel(Sat::Add(x, left), Sat::Add(y, top), delta);
}

void TPDAUIEngineElement::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    TPDAUIEngineElementPage* p = GetPage();
    if (!onCommand.IsEmpty() && kind == 0 && p && p->popups.IsEmpty()) {
        pressed = 0;
        Invalidate();
        // The bottom edge counts as inside, the right edge does not.
        if (x >= 0 && x < width && y >= 0 && y <= height && enabled)
            RaiseCommand(onCommand.c_str(), Sat::Add(x, left), Sat::Add(y, top), true);
        return;
    }
    if (parent)
        parent->OnMouseUp(Sat::Add(x, left), Sat::Add(y, top), kind, handled);
}

void TPDAUIEngineElement::OnMouseDoubleClick(int x, int y, int a, int b)
{
    if (parent)
        parent->OnMouseDoubleClick(Sat::Add(x, left), Sat::Add(y, top), a, b);
}

void TPDAUIEngineElement::OnContextMenu(int x, int y, unsigned char* handled)
{
    if (!onContextMenuCommand.IsEmpty()) {
        TRectIG screen = GetScreenRect();
        RaiseCommand(onContextMenuCommand.c_str(), Sat::Add(x, screen.left), Sat::Add(y, screen.top), true);
        if (handled)
            *handled = 1;
        return;
    }
    if (parent)
        parent->OnContextMenu(Sat::Add(x, left), Sat::Add(y, top), handled);
}

void TPDAUIEngineElement::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (parent)
        parent->OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElement::OnKeyPress(int character, unsigned char* handled, unsigned char* consumed,
                                     int extra)
{
    if (parent)
        parent->OnKeyPress(character, handled, consumed, extra);
}

void TPDAUIEngineElement::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (parent)
        parent->OnKeyUp(key, handled, heldTime);
}

bool TPDAUIEngineElement::OnDrop(int x, int y, const char* files, const char* text,
                                 unsigned char* handled)
{
    return parent ? parent->OnDrop(x, y, files, text, handled) : false;
}

void TPDAUIEngineElement::Click()
{
    pressed = 1;
    RaiseCommand(onCommand.c_str(), 0, 0, false);
}

void TPDAUIEngineElement::ReleaseClick() { pressed = 0; }

void TPDAUIEngineElement::OnSetFocus(TPDAUIEngineElement* other) { Invalidate(); }

void TPDAUIEngineElement::OnKillFocus(TPDAUIEngineElement* other) { Invalidate(); }

void TPDAUIEngineElement::OnTimer(int interval, int now) {}

// ---- commands ----

void TPDAUIEngineElement::OnCommand(TPDAUIEngineCommand& command)
{
    if (parent && !command.name.IsEmpty())
        parent->OnCommand(command);
}

int TPDAUIEngineElement::TakeElapsed(TPDAUIEngine* clock)
{
    if (!timerRunning || !clock)
        return 0;
    // The tick is read and moved in one step: a post on another thread or the
    // timer pass may move it meanwhile. The clock is read again after each lost
    // race, so now never lies before the tick it replaces.
    int previous = lastTick.load();
    int now;
    do {
        now = clock->GetTickCount();
    } while (!lastTick.compare_exchange_weak(previous, now));
    return (int)((uint32_t)now - (uint32_t)previous);
}

bool TPDAUIEngineElement::RaiseCommand(const char* name, int x, int y, bool playSound)
{
    if (!parent)
        return true;
    TPDAUIEngineCommand command(this, name, x, y);
    command.handled = 0;
    command.elapsed = TakeElapsed(engine);
    if (playSound && !onCommandSound.IsEmpty() && engine)
        engine->PlaySound(onCommandSound.c_str(), 1);
    parent->OnCommand(command);
    return command.handled != 0;
}

void TPDAUIEngineElement::PostCommand(const char* name, int a, int b, intptr_t c)
{
    // The link is read once: the UI thread may detach the element meanwhile.
    TPDAUIEngine* target = engine;
    if (!target)
        return;
    TPDAUIEngineCommand command(this, TPDAUIEngineCommand::MakeElementCommandName(numericId, name).c_str(),
                                a, b);
    command.data = c;
    command.elapsed = TakeElapsed(target);
    target->PostCommand(command);
}

// ---- unhooking, copying, misc ----

void TPDAUIEngineElement::Detach()
{
    TPDAUIEngineElementPage* p = GetPage();
    // A pop-up going away closes every pop-up of its page (the stack does not
    // own them, so nothing is deleted).
    if (p && p->popups.IndexOf(this) >= 0)
        p->popups.RemoveAll();
    StopTimer();
    if (p) {
        if (p->paintReference == this) p->paintReference = nullptr;
        if (p->pressedElement == this) p->pressedElement = nullptr;
        if (p->hoverElement == this) p->hoverElement = nullptr;
        if (p->keyDownElement == this) p->keyDownElement = nullptr;
        if (p->focusedElement == this) p->focusedElement = nullptr;
        if (p->lastTextBox == this) p->lastTextBox = nullptr;
    }
    page = nullptr;
    engine = nullptr;
}

void TPDAUIEngineElement::CopyFrom(TPDAUIEngineElement* other)
{
    if (!other || other == this)
        return;
    id = other->id;
    engine = other->engine;
    page = other->page;
    left = other->left;
    top = other->top;
    width = other->width;
    height = other->height;
    minimumHeight = other->minimumHeight;
    minimumWidth = other->minimumWidth;
    maximumHeight = other->maximumHeight;
    maximumWidth = other->maximumWidth;
    flex = other->flex;
    colspan = other->colspan;
    rowspan = other->rowspan;
    pack = other->pack;
    align = other->align;
    visible = other->visible;
    enabled = other->enabled;
    label = other->label;
    onCommand = other->onCommand;
    onCommandSound = other->onCommandSound;
    onContextMenuCommand = other->onContextMenuCommand;
    timerInterval = other->timerInterval;
    image = other->image;
    imageName = other->imageName;
    isFocusable = other->isFocusable;
    isClickable = other->isClickable;
    padding = other->padding;
    margins = other->margins;
    for (int i = 0; i < 5; ++i)
        foregrounds[i] = other->foregrounds[i];
    backgrounds = other->backgrounds;
    borders = other->borders;
    font = other->font;
    shortcut = other->shortcut;
    className = other->className;
    allowMouseDownAfterPopupClose = other->allowMouseDownAfterPopupClose;
    avoidPaddingRescale = other->avoidPaddingRescale;
    avoidMarginRescale = other->avoidMarginRescale;
    catchMouseEventsAlways = other->catchMouseEventsAlways;
}

void TPDAUIEngineElement::AdjustFont()
{
    if (engine)
        engine->AdjustFont(font);
}

// Scrolls every VerticalScroll box above this element just enough to show it
// (nothing moves when it is already in view), so that a tap on a focusable
// element of a scrolled list does not throw the list about.
void TPDAUIEngineElement::ScrollIntoView()
{
    // The element's span in the coordinates of the current ancestor's content.
    long long y = top;
    const long long h = height;
    TPDAUIEngineElement* current = this;
    for (TPDAUIEngineElement* p = parent; p; current = p, p = p->parent) {
        TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(p);
        TPDAUIEngineScrollBarBase* bar = box ? box->GetScrollBar() : nullptr;
        long long shown = 0;
        if (bar && bar != current) {
            if (!bar->visible) {
                bar->position = 0;
            } else {
                const long long b = box->borders[StateNormal].width;
                const long long first = b + box->padding.top;  // where content shows
                long long pos = bar->position;
                if (y - pos < first)
                    pos = y - first;
                else if (y + h - pos > first + bar->viewHeight)
                    pos = y + h - first - bar->viewHeight;
                long long most = (long long)bar->contentHeight - bar->viewHeight;
                if (pos > most)
                    pos = most;
                if (pos < 0)
                    pos = 0;
                if (pos != bar->position) {
                    bar->position = (int)pos;
                    box->Invalidate();
                }
                shown = bar->position;
            }
        }
        y = y - shown + p->top;
    }
}

void TPDAUIEngineElement::TranslateLabel() { TranslateOwnLabel(*this); }

void TPDAUIEngineElement::EnsureId()
{
    if (id.IsEmpty()) {
        id = "uniqueId";
        id << numericId;
    }
}

bool TPDAUIEngineElement::IsEffectivelyVisible()
{
    if (!visible)
        return false;
    // A card box shows only its card child, whatever the others' flags say.
    TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    if (box && (box->layout == TPDAUIEngineElementBox::LayoutCardVertical ||
                box->layout == TPDAUIEngineElementBox::LayoutCardHorizontal))
        return box->IndexOfChild(this) == box->layoutCardIndex;
    return parent ? parent->IsEffectivelyVisible() : true;
}

bool TPDAUIEngineElement::IsAvailable() { return true; }

int TPDAUIEngineElement::GetMemorySize() { return (int)sizeof(TPDAUIEngineElement); }

DString TPDAUIEngineElement::GetPopupHideCommand() { return DString(); }

// ---- non-virtual ----

void TPDAUIEngineElement::Invalidate()
{
    if (engine)
        engine->InvalidateElement(this);
}

void TPDAUIEngineElement::StartTimer()
{
    if (!timerRunning && engine)
        engine->StartTimer(this);
}

void TPDAUIEngineElement::StopTimer()
{
    if (timerRunning && engine)
        engine->StopTimer(this);
}

bool TPDAUIEngineElement::IsFocused()
{
    TPDAUIEngineElementPage* p = GetPage();
    return p && p->focusedElement == this;
}

TPDAUIEngineElement* TPDAUIEngineElement::Clone()
{
    TPDAUIEngineElement* copy = TPDAUIEngineElementFactory::CreateElementByTag(engine, tag.c_str());
    if (copy)
        copy->CopyFrom(this);
    return copy;
}

bool TPDAUIEngineElement::IsPopup()
{
    TPDAUIEngineElementPage* p = GetPage();
    return p && p->popups.IndexOf(this) >= 0;
}

void TPDAUIEngineElement::PaintStyle(IDC* dc, const TRectIG& r, int state)
{
    TRectIG inner = r;
    borders[state].DeflateRect(inner);
    backgrounds[state].Draw(dc, inner);
    borders[state].Draw(dc, r);
}

bool TPDAUIEngineElement::PaintsOpaque(IDC*) { return false; }

int TPDAUIEngineElement::GetState()
{
    if (!enabled)
        return StateDisabled;
    if (pressed)
        return StatePressed;
    if (IsFocused())
        return StateFocus;
    if (hover)
        return StateHover;
    return StateNormal;
}
