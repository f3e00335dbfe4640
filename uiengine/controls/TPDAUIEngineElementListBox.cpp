#include "uiengine/controls/TPDAUIEngineElementListBox.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

using Settings = TPDAUIEngineSkinSettings;
using Bar = TPDAUIEngineElementVScrollBar;

const int kKeyEnter = 13;
const int kKeySpace = 32;
const int kKeyPageUp = 33;
const int kKeyPageDown = 34;
const int kKeyLeft = 37;
const int kKeyUp = 38;
const int kKeyRight = 39;
const int kKeyDown = 40;

const int kMoveThreshold = 15;  // pixels, not scaled
const int kTapSlop = 10;        // pixels, not scaled

const int kTextRight = 0x2;
const int kTextVCenter = 0x4;
const int kTextWordBreak = 0x10;
const int kTextSingleLine = 0x20;
const int kTextWordEllipsis = 0x40000;

const char kDescriptionFontPrefix[] = "fontItemDescription";

bool IsTrue(const char* value) { return CDString(value) == "true"; }

int Sat(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

int Scaled(long long length, float scale) { return TPDAUIEngineUIScale::Truncate((float)length * scale); }

long long Max(long long a, long long b) { return a > b ? a : b; }

// floor(a / b) for b > 0.
long long FloorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

TRectIG R64(long long l, long long t, long long r, long long b)
{
    return TRectIG(Sat(l), Sat(t), Sat(r), Sat(b));
}

const char* const kColourNames[] = {"foregroundItem", "foregroundItemFocus", "foregroundItemHover",
                                    "foregroundItemPressed", "foregroundItemDisabled"};
const char* const kDescriptionNames[] = {"foregroundItemDescription", "foregroundItemFocusDescription",
                                         "foregroundItemHoverDescription",
                                         "foregroundItemDisabledDescription"};
const char* const kBackgroundNames[] = {"backgroundItem",         "backgroundItemFocus",
                                        "backgroundItemHover",    "backgroundItemPressed",
                                        "backgroundItemDisabled", "backgroundItemH",
                                        "backgroundItemFocusH",   "backgroundItemHoverH",
                                        "backgroundItemPressedH", "backgroundItemDisabledH"};
const char* const kBorderNames[] = {"borderItem", "borderItemFocus", "borderItemHover", "borderItemPressed",
                                    "borderItemDisabled"};

template <class T, int N>
int IndexOf(const T (&names)[N], const CDString& name)
{
    for (int i = 0; i < N; ++i)
        if (name == names[i])
            return i;
    return -1;
}

} // namespace

TPDAUIEngineElementListBox::ListBoxItem::ListBoxItem(const DString& text, TDibIG* picture, void* value)
    : image(picture), label(text), data(value)
{
}

TPDAUIEngineElementListBox::TPDAUIEngineElementListBox()
{
    tag = "listbox";
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_White;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    borders.Edit(StateFocus).style = TPDAUIEngineStyleBorder::StyleNone;
    align = AlignAuto;
    isFocusable = 1;
    // The skin names no list sound; the click sound fits a row tap.
    if (Settings* s = Settings::Current())
        onCommandSound = s->soundClick;
    scrollBar.autoScroll = 1;
    scrollBar.smooth = 0;

    itemForegrounds[TextNormal] = TColoresIG::F_Black;
    for (int i = TextFocus; i < TextStateCount; ++i)
        itemForegrounds[i] = TColoresIG::F_White;
    for (int i = 0; i < DescStateCount; ++i)
        descriptionForegrounds[i] = TColoresIG::F_Gray;
    const TColorIG backs[2 * TextStateCount] = {
        TColoresIG::F_Black, TColoresIG::F_Black, TColoresIG::F_Brown, TColoresIG::F_Brown, TColoresIG::F_Brown,
        TColoresIG::F_White, TColoresIG::F_Black, TColoresIG::F_Brown, TColoresIG::F_Brown, TColoresIG::F_Brown};
    for (int i = 0; i < 2 * TextStateCount; ++i) {
        itemBackgrounds[i].kind = TPDAUIEngineStyleBackground::KindColor;
        itemBackgrounds[i].colour = backs[i];
    }
    for (int i = 0; i < TextStateCount; ++i)
        itemBorders[i].style = TPDAUIEngineStyleBorder::StyleNone;
    descriptionFont = font;
}

TPDAUIEngineElementListBox::~TPDAUIEngineElementListBox()
{
}

// ---- loading, attributes, copies, records ----

void TPDAUIEngineElementListBox::LoadDefaultImages()
{
    TPDAUIEngineResources* store = page ? &page->resources : (engine ? &engine->resources : nullptr);
    Settings* settings = engine ? &engine->skinSettings : Settings::Current();
    if (!store || !settings)
        return;
    auto fetch = [&](TDibIG*& image, int which, const char* fallback) {
        if (image)
            return;
        const DString& name = settings->commonImages[which];
        image = store->GetImage(name.IsEmpty() ? fallback : name.c_str());
    };
    fetch(checkBoxImage, Settings::ImgCheckBox, "commonCheckBox");
    fetch(checkImage, Settings::ImgCheck, "commonCheck");
    fetch(moreItemsImage, Settings::ImgMoreItems, "commonMoreItems");
    fetch(moreItemsInverseImage, Settings::ImgMoreItemsInverse, "commonMoreItemsInverse");
    if (checkBoxImage)
        checkColumnWidth = Scaled(checkBoxImage->Width(), GetUIScale());
}

void TPDAUIEngineElementListBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                        TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        TFicheroITV& s = *stream;
        const float ui = GetUIScale();
        s >> selectedIndex >> ownerDraw >> showDescription >> showCheckBox >> showImage >> showLabel >>
            showLabelMultilines >> showHorizontal >> showCheckBoxAtRight >> itemWidth;
        itemWidth = Scaled(itemWidth, ui);
        for (int i = 0; i < TextStateCount; ++i) {
            unsigned long c = 0;
            s >> c;
            itemForegrounds[i] = TColorIG((uint32_t)c);
        }
        for (int i = 0; i < 2 * TextStateCount; ++i) {
            itemBackgrounds[i].ReadCompiled(s);
            itemBackgrounds[i].image = nullptr;
            if (!itemBackgrounds[i].imageName.IsEmpty() && page)
                itemBackgrounds[i].image = page->resources.GetImage(itemBackgrounds[i].imageName.c_str());
        }
        for (int i = 0; i < TextStateCount; ++i)
            itemBorders[i].ReadCompiled(s);
        for (int i = 0; i < DescStateCount; ++i) {
            unsigned long c = 0;
            s >> c;
            descriptionForegrounds[i] = TColorIG((uint32_t)c);
        }
        s >> onSelectedIndexChangedCommand >> onSelectedCheckedUncheckedCommand;
        bool track = false, smooth = false, autoScroll = false, floating = false;
        unsigned int timeout = 0;
        int step = 0, speed = 0, shadow = 0;
        s >> track >> timeout >> smooth >> step >> speed >> shadow >> autoScroll >> floating;
        scrollBar.margins.LoadCompiled(s);
        char barMode = 0;
        s >> raiseCommandOnMouseDown >> barMode;
        itemPadding.LoadCompiled(s);
        itemMargin.LoadCompiled(s);
        s >> minimumItemHeight >> minimumItemWidth >> focusSelectedItemAlways >>
            raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey >> listScale;
        minimumItemHeight = Scaled(minimumItemHeight, ui);
        minimumItemWidth = Scaled(minimumItemWidth, ui);
        TPDAUIEngineStyleFont description = descriptionFont;
        if (!s.Error() && description.ReadCompiled(s)) {
            description.size = TPDAUIEngineUIScale::Multiply(description.size, IDC::GetFontScreenScale(ui));
            description.CreateStockFont(nullptr);
            descriptionFont = description;
        }
        if (barMode < Bar::ModeAuto || barMode > Bar::ModeDefaultSimpleTrackBar ||
            shadow < Bar::ShadowNone || shadow > Bar::ShadowWhite)
            FailCompiled(s);
        if (!s.Error()) {
            scrollBar.trackVisible = track;
            scrollBar.timerInterval = (int)(timeout > INT_MAX ? INT_MAX : timeout);
            scrollBar.smooth = smooth;
            scrollBar.step = step;
            scrollBar.autoScrollPixelsPerSecond = speed;
            scrollBar.iscrollShadowMode = shadow;
            scrollBar.autoScroll = autoScroll;
            scrollBar.scrollShowFloating = floating;
            scrollBar.configuredMode = barMode;
        }
    }
    scrollBar.OnLoad(engine, page, this, nullptr, nullptr);
    LoadDefaultImages();
}

float TPDAUIEngineElementListBox::ItemScale()
{
    const float ui = GetUIScale();
    if (ui > 1.5f) {
        listScale = 0.0f;
        return ui;
    }
    return listScale != 0.0f ? listScale : ui;
}

void TPDAUIEngineElementListBox::SetAttribute(const char* name, const char* value)
{
    if (!name || !value) {
        TPDAUIEngineElement::SetAttribute(name, value);
        return;
    }
    const float scale = ItemScale();
    CDString n(name);
    CDString v(value);
    auto length = [&](float s) { return Scaled(v.atoi(), s); };
    const float ui = GetUIScale();
    TPDAUIEngineResources* store = page ? &page->resources : (engine ? &engine->resources : nullptr);
    int i;
    if (n == "listScale") {
        listScale = (float)std::strtod(value, nullptr);
    } else if ((i = IndexOf(kColourNames, n)) >= 0) {
        itemForegrounds[i].DecodeFromString(value);
    } else if ((i = IndexOf(kDescriptionNames, n)) >= 0) {
        descriptionForegrounds[i].DecodeFromString(value);
    } else if ((i = IndexOf(kBackgroundNames, n)) >= 0) {
        itemBackgrounds[i].Parse(DString(value), store);
    } else if ((i = IndexOf(kBorderNames, n)) >= 0) {
        itemBorders[i].Parse(DString(value));
    } else if (n == "scrollTrackVisible") {
        scrollBar.trackVisible = IsTrue(value);
    } else if (n == "showDescription") {
        showDescription = IsTrue(value);
    } else if (n == "showCheckBox") {
        showCheckBox = IsTrue(value);
    } else if (n == "showImage") {
        showImage = IsTrue(value);
    } else if (n == "showLabel") {
        showLabel = IsTrue(value);
    } else if (n == "showLabelMultilines") {
        showLabelMultilines = v.atoi();
    } else if (n == "onSelectedIndexChangedCommand") {
        onSelectedIndexChangedCommand = value;
    } else if (n == "onSelectedCheckedUncheckedCommand") {
        onSelectedCheckedUncheckedCommand = value;
    } else if (n == "paddingItem") {
        const int p = length(ui);
        itemPadding.left = itemPadding.top = itemPadding.right = itemPadding.bottom = itemPadding.inner = p;
    } else if (n == "paddingItemTop") {
        itemPadding.top = length(ui);
    } else if (n == "paddingItemLeft") {
        itemPadding.left = length(ui);
    } else if (n == "paddingItemRight") {
        itemPadding.right = length(ui);
    } else if (n == "paddingItemBottom") {
        itemPadding.bottom = length(ui);
    } else if (n == "paddingItemInner") {
        itemPadding.inner = length(ui);
    } else if (n == "marginItem") {
        const int m = length(ui);
        itemMargin.left = itemMargin.top = itemMargin.right = itemMargin.bottom = m;
    } else if (n == "marginItemTop") {
        itemMargin.top = length(ui);
    } else if (n == "marginItemLeft") {
        itemMargin.left = length(ui);
    } else if (n == "marginItemRight") {
        itemMargin.right = length(ui);
    } else if (n == "marginItemBottom") {
        itemMargin.bottom = length(ui);
    } else if (n == "raiseCommandOnMouseDown") {
        raiseCommandOnMouseDown = IsTrue(value);
    } else if (n == "minimumItemHeight") {
        minimumItemHeight = length(scale);
    } else if (n == "minimumItemWidth") {
        minimumItemWidth = length(scale);
    } else if (n == "focusSelectedItemAlways") {
        focusSelectedItemAlways = IsTrue(value);
    } else if (n == "raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey") {
        raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey = IsTrue(value);
    } else if (n == "showHorizontal") {
        showHorizontal = IsTrue(value);
    } else if (n == "showCheckBoxAtRight") {
        showCheckBoxAtRight = IsTrue(value);
    } else if (n == "itemWidth") {
        itemWidth = length(scale);
    } else if (n.Contains("scroll")) {
        scrollBar.SetAttribute(name, value);
    } else if (n.Contains(kDescriptionFontPrefix)) {
        const char* at = std::strstr(name, kDescriptionFontPrefix);
        descriptionFont.SetAttribute(at + sizeof kDescriptionFontPrefix - 1, value);
    } else {
        TPDAUIEngineElement::SetAttribute(name, value);
    }
}

DString TPDAUIEngineElementListBox::GetAttribute(const char* name)
{
    return TPDAUIEngineElement::GetAttribute(name);
}

void TPDAUIEngineElementListBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementListBox* o = dynamic_cast<TPDAUIEngineElementListBox*>(other);
    if (!o || o == this)
        return;
    for (int i = 0; i < TextStateCount; ++i)
        itemForegrounds[i] = o->itemForegrounds[i];
    for (int i = 0; i < DescStateCount; ++i)
        descriptionForegrounds[i] = o->descriptionForegrounds[i];
    for (int i = 0; i < 2 * TextStateCount; ++i)
        itemBackgrounds[i] = o->itemBackgrounds[i];
    for (int i = 0; i < TextStateCount; ++i)
        itemBorders[i] = o->itemBorders[i];
    itemPadding = o->itemPadding;
    itemMargin = o->itemMargin;
    minimumItemHeight = o->minimumItemHeight;
    minimumItemWidth = o->minimumItemWidth;
    showDescription = o->showDescription;
    showLabelMultilines = o->showLabelMultilines;
    showImage = o->showImage;
    showLabel = o->showLabel;
    showCheckBox = o->showCheckBox;
    showHorizontal = o->showHorizontal;
    onSelectedIndexChangedCommand = o->onSelectedIndexChangedCommand;
    onSelectedCheckedUncheckedCommand = o->onSelectedCheckedUncheckedCommand;
    checkBoxImage = o->checkBoxImage;
    checkImage = o->checkImage;
    ownerDraw = o->ownerDraw;
    drawItemCallback = o->drawItemCallback;
    callbackData = o->callbackData;
    raiseCommandOnMouseDown = o->raiseCommandOnMouseDown;
    focusSelectedItemAlways = o->focusSelectedItemAlways;
    raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey =
        o->raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey;
    listScale = o->listScale;
    scrollBar.CopyFrom(&o->scrollBar);
}

void TPDAUIEngineElementListBox::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    s << selectedIndex << ownerDraw << showDescription << showCheckBox << showImage << showLabel
      << showLabelMultilines << showHorizontal << showCheckBoxAtRight << itemWidth;
    for (int i = 0; i < TextStateCount; ++i)
        s << (unsigned long)(uint32_t)itemForegrounds[i];
    for (int i = 0; i < 2 * TextStateCount; ++i)
        itemBackgrounds[i].WriteCompiled(s);
    for (int i = 0; i < TextStateCount; ++i)
        itemBorders[i].WriteCompiled(s);
    for (int i = 0; i < DescStateCount; ++i)
        s << (unsigned long)(uint32_t)descriptionForegrounds[i];
    s << onSelectedIndexChangedCommand << onSelectedCheckedUncheckedCommand;
    s << (bool)scrollBar.trackVisible << (unsigned int)scrollBar.timerInterval << (bool)scrollBar.smooth
      << scrollBar.step << scrollBar.autoScrollPixelsPerSecond << scrollBar.iscrollShadowMode
      << (bool)scrollBar.autoScroll << (bool)scrollBar.scrollShowFloating;
    scrollBar.margins.SaveCompiled(s);
    s << raiseCommandOnMouseDown << (char)scrollBar.configuredMode;
    itemPadding.SaveCompiled(s);
    itemMargin.SaveCompiled(s);
    s << minimumItemHeight << minimumItemWidth << focusSelectedItemAlways
      << raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey << listScale;
    descriptionFont.WriteCompiled(s);
}

TPDAUIEngineElement* TPDAUIEngineElementListBox::FindByNumericId(int id)
{
    if (id == numericId)
        return this;
    return scrollBar.FindByNumericId(id);
}

void TPDAUIEngineElementListBox::Detach()
{
    scrollBar.Detach();
    items.RemoveAll();
    TPDAUIEngineElement::Detach();
}

void TPDAUIEngineElementListBox::RemoveAll() { items.RemoveAll(); }

int TPDAUIEngineElementListBox::CountVisibleItems() const
{
    int n = 0;
    for (int i = 0; i < items.Count(); ++i)
        if (items[i].visible)
            ++n;
    return n;
}

// ---- geometry ----

TPDAUIEngineElementListBox::EMode TPDAUIEngineElementListBox::Mode() const
{
    if (showHorizontal)
        return ModeHorizontal;
    return minimumItemWidth > 0 ? ModeGrid : ModeVertical;
}

int TPDAUIEngineElementListBox::EffectiveAlign() const
{
    if (align != AlignAuto)
        return align;
    const Settings* s = engine ? &engine->skinSettings : Settings::Current();
    return s && s->rightToLeft ? AlignEnd : AlignStart;
}

TPDAUIEngineElementListBox::TContent TPDAUIEngineElementListBox::Content() const
{
    const long long b = borders[StateNormal].width;
    return {b + padding.left, b + padding.top, (long long)width - b - padding.right,
            (long long)height - b - padding.bottom};
}

int TPDAUIEngineElementListBox::Pitch() const { return Sat((long long)rowHeight + padding.inner); }

int TPDAUIEngineElementListBox::GetRowPitch() { return Pitch(); }

int TPDAUIEngineElementListBox::Columns() const
{
    if (Mode() != ModeGrid)
        return 1;
    const TContent c = Content();
    long long w = c.right - c.left;
    if (scrollShownAfterLayout_)
        w -= scrollBar.width;
    const long long cell = (long long)minimumItemWidth + padding.inner;
    if (cell <= 0)
        return 1;
    return Sat(Max(1, FloorDiv(w, cell)));
}

int TPDAUIEngineElementListBox::RowsFor(int visibleCount, int columns) const
{
    if (columns <= 1)
        return visibleCount;
    return (int)(((long long)visibleCount + columns - 1) / columns);
}

int TPDAUIEngineElementListBox::RowsPerView() const
{
    const int pitch = Pitch();
    if (pitch <= 0)
        return 0;
    const long long view = (long long)height - 2LL * borders[StateNormal].width - padding.top - padding.bottom;
    return Sat(FloorDiv(view, pitch));
}

void TPDAUIEngineElementListBox::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElement::SetBounds(l, t, w, h);
    const TContent c = Content();
    if (Mode() == ModeHorizontal) {
        rowHeight = Sat(Max(minimumHeight, c.bottom - c.top));
        scrollBar.visible = 0;
        scrollShownAfterLayout_ = false;
        return;
    }
    const long long textHeight = engine ? engine->GetTextExtent(font, CDString("A")).cy : 0;
    rowHeight = Sat(Max(minimumItemHeight, (long long)itemMargin.top + itemMargin.bottom + itemPadding.top +
                                               itemPadding.bottom + 2 + textHeight * (showDescription ? 2 : 1)));

    const long long border = borders[StateNormal].width;
    const long long barWidth = scrollBar.minimumWidth;
    scrollBar.SetBounds(Sat((long long)width - barWidth - border - scrollBar.margins.right),
                        Sat((long long)scrollBar.margins.top + padding.top + border), Sat(barWidth),
                        Sat((long long)height - 2 * border - padding.top - padding.bottom - scrollBar.margins.top -
                            scrollBar.margins.bottom));

    const long long rows = RowsFor(CountVisibleItems(), Columns());
    const long long content = rows * Pitch();
    scrollBar.contentHeight = Sat(content);
    scrollBar.viewHeight = Sat(c.bottom - c.top);
    if (!scrollBar.smooth)
        scrollBar.step = Pitch();
    scrollBar.visible = content >= 1 && content - scrollBar.viewHeight >= 1;
    scrollShownAfterLayout_ = scrollBar.visible != 0;
}

int TPDAUIEngineElementListBox::GetMinimumHeight(int availableWidth)
{
    const long long vertical = 2LL * borders[StateNormal].width + padding.top + padding.bottom;
    long long h;
    if (Mode() == ModeHorizontal) {
        h = (long long)rowHeight + vertical;
    } else {
        int columns = 1;
        const long long cell = (long long)minimumItemWidth + padding.inner;
        if (Mode() == ModeGrid && cell > 0)
            columns = Sat(Max(1, FloorDiv((long long)availableWidth - padding.left - padding.right, cell)));
        h = (long long)RowsFor(CountVisibleItems(), columns) * Pitch() + vertical;
    }
    if (h > maximumHeight)
        h = maximumHeight;
    if (h < minimumHeight)
        h = minimumHeight;
    return Sat(h);
}

long long TPDAUIEngineElementListBox::CellWidth(int columns, bool paint) const
{
    const TContent c = Content();
    long long s = 0;
    if (ScrollShown()) {
        if (!paint)
            s = scrollBar.width;
        else if (!scrollBar.scrollShowFloating)
            s = (long long)scrollBar.width + padding.right;
    }
    const long long w = c.right - c.left - (long long)padding.inner * (columns - 1) - s;
    return columns > 0 ? w / columns : w;
}

TRectIG TPDAUIEngineElementListBox::RowRect(int i, int v, int columns, long long cellWidth) const
{
    const TContent c = Content();
    if (Mode() == ModeHorizontal) {
        const long long l = c.left + (long long)i * ((long long)itemWidth + padding.inner) + itemMargin.left;
        return R64(l, c.top + itemMargin.top, l + itemWidth - itemMargin.left - itemMargin.right,
                   c.bottom - itemMargin.bottom);
    }
    const long long col = v % columns;
    const long long row = v / columns;
    const long long l = c.left + col * (cellWidth + padding.inner) + itemMargin.left;
    const long long t = c.top + row * Pitch() + itemMargin.top - ScrollPosition();
    return R64(l, t, l + cellWidth - itemMargin.right, t + rowHeight - itemMargin.top - itemMargin.bottom);
}

int TPDAUIEngineElementListBox::ItemAt(int x, int y, bool enabledOnly, bool release) const
{
    if (Mode() == ModeHorizontal) {
        const long long cell = (long long)itemWidth + padding.inner;
        for (int i = items.Count() - 1; i >= 0; --i) {
            if (!items[i].visible || (enabledOnly && release && !items[i].enabled))
                continue;
            if (x >= i * cell && x <= (i + 1) * cell)
                return i;
        }
        return -1;
    }
    const int columns = Columns();
    const long long cellWidth = CellWidth(columns, false);
    int found = -1;
    const long long skip = RowsAbove(y) * columns;
    // The last row that contains the point wins, as when testing from the end.
    for (int i = 0, v = 0; i < items.Count(); ++i) {
        const ListBoxItem& item = items[i];
        if (!item.visible)
            continue;
        if (v < skip) {
            ++v;
            continue;
        }
        const TRectIG r = RowRect(i, v++, columns, cellWidth);
        if (r.top > y)
            break;
        if (enabledOnly && !item.enabled)
            continue;
        const long long right = (long long)r.left + cellWidth + (release ? padding.inner : 0);
        if (x >= r.left && x < right && y >= r.top && y < r.bottom)
            found = i;
    }
    return found;
}

long long TPDAUIEngineElementListBox::RowsAbove(long long y) const
{
    const long long pitch = Pitch();
    // A row taller than its pitch may reach down into the next one: skip none.
    if (Mode() == ModeHorizontal || pitch <= 0 || rowHeight > pitch)
        return 0;
    const long long rows = FloorDiv(y - Content().top + ScrollPosition(), pitch) - 1;
    return rows > 0 ? rows : 0;
}

int TPDAUIEngineElementListBox::VisiblePosition(int i) const
{
    if (!IsValidIndex(i) || !items[i].visible)
        return -1;
    int v = 0;
    for (int k = 0; k < i; ++k)
        if (items[k].visible)
            ++v;
    return v;
}

bool TPDAUIEngineElementListBox::InScrollBar(int x, int y)
{
    return ScrollShown() && scrollBar.ContainsPoint(Sat((long long)x - scrollBar.left),
                                                    Sat((long long)y - scrollBar.top));
}

void TPDAUIEngineElementListBox::EnsureItemVisible(int i)
{
    if (!IsValidIndex(i) || !items[i].visible || Mode() == ModeHorizontal) {
        scrollBar.position = 0;
        return;
    }
    const int columns = Mode() == ModeGrid ? Columns() : 1;
    const long long rows = RowsFor(CountVisibleItems(), columns);
    const long long perView = RowsPerView();
    const long long pitch = Pitch();
    if (rows <= perView || pitch <= 0) {
        scrollBar.position = 0;
        return;
    }
    const long long v = VisiblePosition(i);
    const long long row = v / columns;
    const long long rowTop = row * pitch + borders[StateNormal].width + padding.top + itemMargin.top;
    long long pos = scrollBar.position;
    auto atBottom = [&] {
        const long long k = v - perView * columns + 1;
        return (k > 0 ? (k + columns - 1) / columns : -((-k) / columns)) * pitch;
    };
    if (rowTop < pos)
        pos = row * pitch;
    else if (rowTop > pos + scrollBar.viewHeight - rowHeight)
        pos = atBottom();
    if (rows >= perView && rows * pitch < pos + perView * pitch)
        pos = atBottom();
    if (i == items.Count() - 1)
        pos = (long long)scrollBar.contentHeight + padding.top + padding.bottom + itemMargin.bottom - height;
    if (i == 0)
        pos = 0;
    const long long most = Max(0, (long long)scrollBar.contentHeight - scrollBar.viewHeight);
    if (pos > most)
        pos = most;
    if (pos < 0)
        pos = 0;
    scrollBar.position = Sat(pos);
}

// ---- painting ----

void TPDAUIEngineElementListBox::Paint(IDC* dc, int x, int y)
{
    const long long ox = (long long)x + left;
    const long long oy = (long long)y + top;
    const int state = !enabled ? StateDisabled : (IsFocused() ? StateFocus : StateNormal);
    const TRectIG r = R64(ox, oy, ox + width, oy + height);
    TRectIG inner = r;
    borders[state].DeflateRect(inner);
    backgrounds[state].Draw(dc, inner);
    borders[state].Draw(dc, r);

    if (ScrollShown())
        scrollBar.UpdateKineticScroll();
    else
        scrollBar.position = 0;
    indentStep = (int)(rowHeight * 0.5);
    focusSelectedItemAlways = true;

    const TContent c = Content();
    const TRectIG content = R64(ox + c.left, oy + c.top, ox + c.right, oy + c.bottom);
    const TRectIG outer = dc ? dc->GetClipRect() : TRectIG();
    const bool hadClip = !outer.IsEmpty();
    if (dc) {
        TRectIG clip = content;
        if (hadClip)
            clip.IntersectWith(outer);
        dc->SelectClipRect(clip);
    }

    const int alignment = EffectiveAlign();
    const int columns = Columns();
    const long long cellWidth = CellWidth(columns, true);
    const bool strip = Mode() == ModeHorizontal;
    const long long skip = strip ? 0 : RowsAbove(c.top) * columns;
    for (int i = 0, v = 0; i < items.Count(); ++i) {
        if (!items[i].visible)
            continue;
        if (v < skip) {
            ++v;
            continue;
        }
        TRectIG row = RowRect(i, v++, columns, cellWidth);
        row.Offset(Sat(ox), Sat(oy));
        if (row.top >= content.bottom) {
            if (strip)
                continue;
            break;
        }
        if (row.bottom <= content.top)
            continue;
        PaintItem(dc, i, row, alignment);
    }

    if (dc) {
        if (hadClip)
            dc->SelectClipRect(outer);
        else
            dc->Fin_SelectClipRgn();
    }
    if (ScrollShown())
        scrollBar.Paint(dc, Sat(ox), Sat(oy));
}

void TPDAUIEngineElementListBox::PaintItem(IDC* dc, int index, const TRectIG& row, int alignment)
{
    const ListBoxItem& item = items[index];
    const bool selected = index == selectedIndex;
    int st;
    int desc;
    if (selected) {
        st = pressed ? TextPressed : TextFocus;
        desc = DescFocus;
    } else if (item.enabled) {
        st = TextNormal;
        desc = DescNormal;
    } else {
        st = TextDisabled;
        desc = DescDisabled;
    }
    const int h = Mode() == ModeVertical ? 0 : TextStateCount;
    itemBackgrounds[h + st].Draw(dc, row);
    TRectIG framed = row;
    framed.Inflate(itemBorders[st].width, itemBorders[st].width);
    itemBorders[st].Draw(dc, framed);

    const bool start = alignment == AlignStart;
    const bool end = alignment == AlignEnd;
    long long cl = (long long)row.left + itemPadding.left;
    long long ct = (long long)row.top + itemPadding.top;
    long long cr = (long long)row.right - itemPadding.right;
    long long cb = (long long)row.bottom - itemPadding.bottom;
    if (item.indent > 0) {
        const long long shift = (long long)item.indent * indentStep;
        if (start)
            cl += shift;
        else if (end)
            cr -= shift;
    }
    const float ui = GetUIScale();
    const TColorIG key = engine ? engine->skinSettings.transparentColor
                                : (Settings::Current() ? Settings::Current()->transparentColor
                                                       : TColorIG(TColoresIG::F_Magenta));
    auto draw = [&](const TDibIG* picture, long long l, long long t, long long w, long long hh) {
        if (dc && picture)
            dc->StretchDIBits_Transparent(R64(l, t, l + w, t + hh),
                                          TRectIG(0, 0, picture->Width(), std::abs(picture->Height())), picture,
                                          key);
    };
    auto width = [&](const TDibIG* p) { return (long long)Scaled(p->Width(), ui); };
    auto height = [&](const TDibIG* p) { return (long long)Scaled(std::abs(p->Height()), ui); };

    if (showCheckBox || item.showCheckBox) {
        const bool right = showCheckBoxAtRight || end;
        for (const TDibIG* p : {checkBoxImage, item.checked ? checkImage : nullptr}) {
            if (!p)
                continue;
            const long long w = width(p), hh = height(p);
            draw(p, right ? cr - w : cl, ct + (cb - ct - hh) / 2, w, hh);
        }
        if (const TDibIG* taken = item.checked ? checkImage : checkBoxImage) {
            if (right)
                cr -= width(taken) + itemPadding.inner;
            else
                cl += width(taken) + itemPadding.inner;
        }
    }

    if ((showImage || item.showImage) && !ownerDraw && item.image) {
        const TDibIG* p = item.image;
        const long long w = width(p), hh = height(p);
        if (!showLabel) {
            const long long l = cl + (cr - cl - w) / 2, t = ct + (cb - ct - hh) / 2;
            TRectIG target = R64(l, t, l + w, t + hh);
            target.IntersectWith(R64(cl, ct, cr, cb));
            if (dc && !target.IsEmpty())
                dc->StretchDIBits_Transparent(target, TRectIG(0, 0, p->Width(), std::abs(p->Height())), p, key);
        } else if (start || end) {
            const bool leftSide = start != imageOnOtherSide;
            if (leftSide) {
                long long t = ct + 1, dw = w, dh = hh;
                if (hh > cb - ct) {
                    dh = cb - t;
                    dw = hh > 0 ? w * Max(0, dh) / hh : 0;
                } else if (!showDescription) {
                    t = ct + (cb - ct - hh) / 2;
                }
                draw(p, cl, t, dw, Max(0, dh));
                cl += dw + itemPadding.inner;
            } else {
                draw(p, cr - w, ct, w, hh);
                cr -= w + itemPadding.inner;
            }
        }
    }

    if (item.moreItems && moreItemsImage) {
        if (start) {
            const long long w = width(moreItemsImage), hh = height(moreItemsImage);
            draw(moreItemsImage, cr - w, ct + (cb - ct - hh) / 2, w, hh);
            cr -= w;
        } else if (end && moreItemsInverseImage) {
            const long long w = width(moreItemsInverseImage), hh = height(moreItemsInverseImage);
            draw(moreItemsInverseImage, cl, ct + (cb - ct - hh) / 2, w, hh);
            cl += w;
        }
    }

    TRectIG text = R64(cl, ct, cr, cb);
    if (ownerDraw) {
        if (drawItemCallback)
            drawItemCallback(callbackData, dc, text.left, text.top, text.right, text.bottom, 0, index, selected,
                             showLabel);
        return;
    }
    if (!showLabel || !engine)
        return;
    const int rightFlag = end || item.align == AlignEnd ? kTextRight : 0;
    const int oneLine = kTextSingleLine | kTextVCenter | kTextWordEllipsis | rightFlag;
    const TColorIG colour = itemForegrounds[st];
    if (showDescription || item.showDescription) {
        const int middle = Sat(ct + (cb - ct) / 2);
        TRectIG upper(text.left, text.top, text.right, middle);
        TRectIG lower(text.left, middle, text.right, text.bottom);
        engine->DrawText(dc, font, colour, nullptr, item.label, upper, oneLine, 0);
        const int drew = drawDescriptionCallback
                             ? drawDescriptionCallback(callbackData, dc, lower.left, lower.top, lower.right,
                                                       lower.bottom, 1, index, selected, showLabel)
                             : 0;
        if (!drew)
            engine->DrawText(dc, descriptionFont, descriptionForegrounds[desc], nullptr, item.description, lower,
                             oneLine, 0);
    } else if (showLabelMultilines < 1) {
        engine->DrawText(dc, font, colour, nullptr, item.label, text, oneLine, 0);
    } else {
        engine->DrawText(dc, font, colour, nullptr, item.label, text,
                         kTextWordBreak | kTextVCenter | kTextWordEllipsis | rightFlag, showLabelMultilines);
    }
}

// ---- input ----

bool TPDAUIEngineElementListBox::Raise(const DString& name, int x, int y, bool sound)
{
    if (name.IsEmpty())
        return true;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    RaiseCommand(name.c_str(), x, y, sound);
    return guard.alive;
}

void TPDAUIEngineElementListBox::RepaintNow()
{
    if (engine)
        engine->Invalidate(1);
}

bool TPDAUIEngineElementListBox::PopupsOpen() const
{
    TPDAUIEngineElementPage* p = const_cast<TPDAUIEngineElementListBox*>(this)->GetPage();
    return p && !p->popups.IsEmpty();
}

bool TPDAUIEngineElementListBox::IsCheckRow(const ListBoxItem& item) const
{
    return showCheckBox || item.showCheckBox || item.checked;
}

bool TPDAUIEngineElementListBox::InCheckZone(const ListBoxItem& item, int x, int y) const
{
    const int alignment = EffectiveAlign();
    if (alignment != AlignStart && alignment != AlignEnd)
        return false;
    const long long reach = (long long)checkColumnWidth + itemPadding.inner;
    if (Mode() == ModeHorizontal) {
        if (alignment == AlignStart)
            return y <= padding.top + (long long)item.indent * indentStep + itemPadding.top + reach;
        return y >= (long long)height - padding.bottom - ((long long)item.indent + 1) * indentStep -
                        itemPadding.bottom - reach;
    }
    if (alignment == AlignStart)
        return x <= padding.left + (long long)item.indent * indentStep + itemPadding.left + reach;
    return x >= (long long)width - padding.right - ((long long)item.indent + 1) * indentStep - itemPadding.right -
                    reach;
}

void TPDAUIEngineElementListBox::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (kind == 0) {
        if (InScrollBar(x, y) || (ScrollShown() && Kinetic())) {
            pressedOnScrollBar = InScrollBar(x, y);
            scrollBar.OnMouseDown(Sat((long long)x - scrollBar.left), y, kind, a, b);
        } else {
            const int hit = ItemAt(x, y, Mode() != ModeHorizontal, false);
            if (hit >= 0) {
                selectedIndex = hit;
                if (!Raise(onSelectedIndexChangedCommand, 0, 0, false))
                    return;
                pressed = 1;
                Invalidate();
            }
        }
    }
    pressX = x;
    pressY = y;
    listPressed = true;
    moved = false;
}

void TPDAUIEngineElementListBox::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (Mode() != ModeHorizontal && (InScrollBar(x, y) || pressedOnScrollBar || (ScrollShown() && Kinetic())))
        scrollBar.OnMouseMove(Sat((long long)x - scrollBar.left), y, flags, handled, a, b);
    if (listPressed && (std::abs((long long)x - pressX) > kMoveThreshold ||
                        std::abs((long long)y - pressY) > kMoveThreshold))
        moved = true;
}

void TPDAUIEngineElementListBox::OnMouseWheel(int x, int y, int delta)
{
    scrollBar.OnMouseWheel(Sat((long long)x - scrollBar.left), y, delta);
}

void TPDAUIEngineElementListBox::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    pressed = 0;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    const int barX = Sat((long long)x - scrollBar.left);
    const bool kinetic = Kinetic();
    auto finish = [&] {
        listPressed = false;
        pressedOnScrollBar = false;
    };
    if (kind != 0) {
        finish();
        return;
    }
    if (!kinetic && (InScrollBar(x, y) || pressedOnScrollBar)) {
        // A thumb drag that leaves the bar still ends on the bar.
        scrollBar.OnMouseUp(barX, y, kind, handled);
        RepaintNow();
        if (guard.alive)
            finish();
        return;
    }
    if (kinetic) {
        if (!scrollBar.draggingContent && !scrollBar.pressStoppedFlick && !moved &&
            std::abs((long long)y - scrollBar.pressY) < kTapSlop) {
            const int hit = ItemAt(x, y, true, true);
            if (hit >= 0) {
                selectedIndex = hit;
                if (!Raise(onSelectedIndexChangedCommand, 0, 0, false))
                    return;
            }
        }
        if (InScrollBar(x, y)) {
            scrollBar.OnMouseUp(barX, y, kind, handled);
            return;
        }
    }
    const int hit = ItemAt(x, y, false, true);
    if (hit >= 0 && hit == selectedIndex && items[hit].enabled &&
        !(ScrollShown() && kinetic && scrollBar.draggingContent)) {
        if (Mode() != ModeHorizontal) {
            RepaintNow();
            if (!guard.alive)
                return;
        }
        const ListBoxItem& item = items[hit];
        if (IsCheckRow(item) && InCheckZone(item, x, y) && !onSelectedCheckedUncheckedCommand.IsEmpty()) {
            if (!Raise(onSelectedCheckedUncheckedCommand, 0, 0, false))
                return;
        } else if (raiseCommandOnMouseDown) {
            const TRectIG screen = GetScreenRect();
            if (!Raise(onCommand, Sat((long long)x + screen.left), Sat((long long)y + screen.top), true))
                return;
        }
    }
    if (kinetic)
        scrollBar.OnMouseUp(barX, y, kind, handled);
    RepaintNow();
    if (guard.alive)
        finish();
}

void TPDAUIEngineElementListBox::OnContextMenu(int x, int y, unsigned char* handled)
{
    if (InScrollBar(x, y)) {
        scrollBar.OnContextMenu(Sat((long long)x - scrollBar.left), y, handled);
        return;
    }
    if (x != 0 && y != 0) {
        const int hit = ItemAt(x, y, Mode() != ModeHorizontal, false);
        if (hit >= 0)
            selectedIndex = hit;
    }
    if (Kinetic() && (scrollBar.pressed || scrollBar.upHeld || scrollBar.downHeld)) {
        unsigned char ignored = 0;
        scrollBar.OnMouseUp(-1, -1, 0, &ignored);
    }
    unsigned char local = 0;
    unsigned char* h = handled ? handled : &local;
    const unsigned char before = *h;
    *h = 0;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    TPDAUIEngineElement::OnContextMenu(x, y, h);
    if (guard.alive && *h)
        pressed = 0;
    *h = *h || before;
}

int TPDAUIEngineElementListBox::FindSelectable(int i, int dir, int stopAt) const
{
    for (; dir < 0 ? i >= stopAt : i <= stopAt; i += dir)
        if (IsValidIndex(i) && items[i].enabled && items[i].visible)
            return i;
    return -1;
}

void TPDAUIEngineElementListBox::KeyPage(int dir)
{
    const int count = items.Count();
    if (rowHeight > 0 && count > 0) {
        const long long n = (long long)Columns() * (RowsPerView() - 1);
        int sel = selectedIndex;
        if (sel >= count)
            sel = count - 1;
        if (dir < 0) {
            if (sel < 0)
                sel = 0;
            int i = sel;
            for (long long passed = 0; passed < n && i > 0;) {
                --i;
                if (items[i].visible) {
                    ++passed;
                    if (items[i].enabled)
                        sel = i;
                }
            }
            const int found = FindSelectable(i, -1, 1);
            if (found >= 0)
                sel = found;
            if (sel < 0)
                sel = 0;
        } else if (sel >= 0) {
            int i = sel;
            for (long long passed = 0; passed < n && i < count - 1;) {
                ++i;
                if (items[i].visible) {
                    ++passed;
                    if (items[i].enabled)
                        sel = i;
                }
            }
            const int found = FindSelectable(i, 1, count - 1);
            if (found >= 0)
                sel = found;
            if (sel >= count)
                sel = count - 1;
        } else {
            sel = -1;
        }
        selectedIndex = sel;
        EnsureItemVisible(selectedIndex);
        if (!Raise(onSelectedIndexChangedCommand, 0, 0, false))
            return;
    }
    Invalidate();
}

int TPDAUIEngineElementListBox::KeyStart() const
{
    // A stale selection starts from just outside the items.
    const int count = items.Count();
    return selectedIndex < -1 ? -1 : (selectedIndex > count ? count : selectedIndex);
}

bool TPDAUIEngineElementListBox::SelectByKey(int i)
{
    selectedIndex = i;
    EnsureItemVisible(i);
    return Raise(onSelectedIndexChangedCommand, 0, 0, false);
}

bool TPDAUIEngineElementListBox::MoveFocus(void (TPDAUIEngineElementPage::*move)())
{
    TPDAUIEngineElementPage* p = GetPage();
    if (!p)
        return true;
    TPDAUIEngineAliveGuards::Guard guard(alive_);
    (p->*move)();
    return guard.alive;
}

void TPDAUIEngineElementListBox::KeyRow(int dir, unsigned char* handled)
{
    if (handled)
        *handled = 1;
    const int count = items.Count();
    const int edge = dir < 0 ? 0 : count - 1;
    if (selectedIndex != edge || PopupsOpen()) {
        int i = KeyStart();
        const int columns = Columns();
        for (int passed = 0; passed < columns;) {
            i += dir;
            if (i < 0 || i >= count)
                break;
            if (items[i].visible)
                ++passed;
        }
        const int found = FindSelectable(i, dir, edge);
        if (found >= 0 && !SelectByKey(found))
            return;
    } else if (!MoveFocus(dir < 0 ? &TPDAUIEngineElementPage::FocusUp : &TPDAUIEngineElementPage::FocusDown)) {
        return;
    }
    Invalidate();
}

void TPDAUIEngineElementListBox::KeyColumn(int dir, unsigned char* handled)
{
    if (IsPopup()) {
        if (handled)
            *handled = 1;
        return;
    }
    if (Columns() < 2) {
        TPDAUIEngineElement::OnKeyDown(dir < 0 ? kKeyLeft : kKeyRight, handled, nullptr);
        return;
    }
    if (handled)
        *handled = 1;
    const int found = FindSelectable(KeyStart() + dir, dir, dir < 0 ? 0 : items.Count() - 1);
    if (found >= 0) {
        if (!SelectByKey(found))
            return;
    } else if (!PopupsOpen() &&
               !MoveFocus(dir < 0 ? &TPDAUIEngineElementPage::FocusPrevious : &TPDAUIEngineElementPage::FocusNext)) {
        return;
    }
    Invalidate();
}

void TPDAUIEngineElementListBox::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!enabled) {
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    switch (key) {
    case kKeyEnter:
        pressed = 1;
        Invalidate();
        if (handled)
            *handled = 1;
        return;
    case kKeyPageUp:
    case kKeyPageDown:
        if (handled)
            *handled = 1;
        KeyPage(key == kKeyPageUp ? -1 : 1);
        return;
    case kKeyUp:
    case kKeyDown:
        KeyRow(key == kKeyUp ? -1 : 1, handled);
        return;
    case kKeyLeft:
    case kKeyRight:
        KeyColumn(key == kKeyLeft ? -1 : 1, handled);
        return;
    default:
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
    }
}

void TPDAUIEngineElementListBox::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (key != kKeyEnter && key != kKeySpace) {
        TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
        return;
    }
    if (!IsValidIndex(selectedIndex)) {
        if (!pressed) {
            TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
            return;
        }
        pressed = 0;
        Invalidate();
        if (handled)
            *handled = 1;
        return;
    }
    if (handled)
        *handled = 1;
    const ListBoxItem& item = items[selectedIndex];
    const bool checkCommand = !onSelectedCheckedUncheckedCommand.IsEmpty();
    if (key == kKeySpace) {
        if ((item.showCheckBox || item.checked) && checkCommand && item.enabled)
            Raise(onSelectedCheckedUncheckedCommand, 0, 0, false);
        else
            Raise(onCommand, 0, 0, true);
        return;
    }
    pressed = 0;
    if (item.enabled) {
        bool alive;
        if (IsCheckRow(item) && checkCommand && raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey)
            alive = Raise(onSelectedCheckedUncheckedCommand, 0, 0, false);
        else
            alive = Raise(onCommand, 0, 0, true);
        if (!alive)
            return;
    }
    Invalidate();
}
