// Layout modes and minimum sizes of TPDAUIEngineElementBox.
//
// Intermediate values are 64-bit and held within +-2^40, and every value
// stored into an element is brought back into the int range (TPDAUIEngineSaturate),
// so that a hostile skin (huge sizes, spans or flex values) cannot overflow;
// within ordinary sizes the arithmetic is exactly the 32-bit one.
#include <cmath>
#include <vector>

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPool.h"

namespace {

typedef TPDAUIEngineElement Element;
typedef TPDAUIEngineSaturate Sat;

// The layout pass's nesting depth (its number is the box's t_layoutPass_); and
// the box whose layout steps are running.
thread_local int t_passDepth = 0;
thread_local const TPDAUIEngineElementBox* t_placing = nullptr;

// Offered as the available width when a width is asked without a limit.
const int kUnlimited = 99999;

// A length set directly (without the child's SetBounds) is never negative.
int FitLength(double v)
{
    int n = Sat::Truncate(v);
    return n < 0 ? 0 : n;
}

struct Margins {
    long long l, t, r, b;
};

Margins MarginsOf(const Element* c)
{
    const TPDAUIEngineMargins& m = c->margins;
    return {m.GetLeft(), m.GetTop(), m.GetRight(), m.GetBottom()};
}

// A child's minimum size; dependent is set when the answer depended on the
// size offered (an element whose measure says nothing is taken to).
long long MinH(Element* c, long long available, bool* dependent = nullptr)
{
    Element::NoteMeasure(true);
    const int v = c->GetMinimumHeight(Sat::Clamp(available));
    if (dependent && Element::MeasureReadAvailable())
        *dependent = true;
    return v;
}

long long MinW(Element* c, long long available, bool* dependent = nullptr)
{
    Element::NoteMeasure(true);
    const int v = c->GetMinimumWidth(Sat::Clamp(available));
    if (dependent && Element::MeasureReadAvailable())
        *dependent = true;
    return v;
}

void Place(Element* c, long long l, long long t, long long w, long long h)
{
    c->SetBounds(Sat::Clamp(l), Sat::Clamp(t), Sat::Clamp(w), Sat::Clamp(h));
}

void MoveX(Element* c, long long d) { c->left = Sat::Clamp((long long)c->left + d); }
void MoveY(Element* c, long long d) { c->top = Sat::Clamp((long long)c->top + d); }

// The box's frame: W, H, border width and paddings, and the content size.
struct Frame {
    long long W, H, B, pL, pT, pR, pB, pI, innerW, innerH;
};

Frame FrameOf(const TPDAUIEngineElementBox* box)
{
    Frame f;
    f.W = box->width;
    f.H = box->height;
    f.B = box->borders[Element::StateNormal].width;
    f.pL = box->padding.left;
    f.pT = box->padding.top;
    f.pR = box->padding.right;
    f.pB = box->padding.bottom;
    f.pI = box->padding.inner;
    f.innerW = f.W - 2 * f.B - f.pL - f.pR;
    f.innerH = f.H - 2 * f.B - f.pT - f.pB;
    return f;
}

bool RightToLeft(const TPDAUIEngineElementBox* box)
{
    if (box->engine)
        return box->engine->skinSettings.rightToLeft != 0;
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s && s->rightToLeft;
}

// The children are measured and placed one after the other; on a page bigger
// than the cache each would be waited for in turn. The first two lines of an
// element hold what every measure and placement reads, a box's child list,
// mode and remembered sizes follow its element part.
void PrefetchChildren(const VectorP<Element>& children)
{
    for (int i = 0; i < children.Count(); ++i)
        TPDAUIEngineElementBox::PrefetchLinks(children[i], 128, 160);
}

// Cells of the Table layout: a skin may give 0 (or fewer), which counts as 1.
long long Cells(int n) { return n > 0 ? n : 1; }

} // namespace

bool TPDAUIEngineElementBox::IsVerticalFamily() const
{
    return layout == LayoutVertical || layout == LayoutVerticalInverted ||
           layout == LayoutVerticalSpaced;
}

bool TPDAUIEngineElementBox::IsHorizontalFamily() const
{
    return layout == LayoutHorizontal || layout == LayoutHorizontalInverted ||
           layout == LayoutHorizontalAutoLeftToRight || layout == LayoutHorizontalSpaced ||
           layout == LayoutHorizontalInvertedSpaced;
}

// ---- frame ----

void TPDAUIEngineElementBox::SetBounds(int l, int t, int w, int h)
{
    TLayoutPass pass;
    const int oldHeight = height;
    TPDAUIEngineElement::SetBounds(l, t, w, h);
    // A Flow box measures its children against its own height.
    if (layout == LayoutFlow && height != oldHeight)
        ForgetMinimumSizes();
    // Placed by its parent box in the middle of the parent's layout, which may
    // place it again (flex, overflow, a second scroll pass): its own children
    // wait until the parent is done, so that a subtree is laid out once per
    // pass. The parent reads nothing of the subtree but this rectangle.
    if (parent && parent == t_placing) {
        layoutPending = 1;
        return;
    }
    LayoutChildren();
}

void TPDAUIEngineElementBox::LayoutChildren()
{
    TLayoutPass pass;
    TBoxScaleScope scope(this);
    layoutPending = 0;
    PrefetchChildren(children);
    const TPDAUIEngineElementBox* outer = t_placing;
    t_placing = this;
    switch (layout) {
    case LayoutVertical:
    case LayoutVerticalInverted:
    case LayoutVerticalSpaced:
        LayoutVerticalFamily();
        break;
    case LayoutHorizontal:
    case LayoutHorizontalInverted:
    case LayoutHorizontalAutoLeftToRight:
    case LayoutHorizontalSpaced:
    case LayoutHorizontalInvertedSpaced:
        LayoutHorizontalFamily();
        break;
    case LayoutFlow:
        LayoutFlowMode();
        break;
    case LayoutAbsolute:
        for (int i = 0; i < children.Count(); ++i) {
            Element* c = children[i];
            if (c->visible)
                c->SetBounds(c->left, c->top, c->width, c->height);
        }
        break;
    case LayoutStack:
    case LayoutStackInverted:
        LayoutStackMode();
        break;
    case LayoutVerticalScroll:
        LayoutVerticalScrollMode();
        break;
    case LayoutTable:
        LayoutTableMode();
        break;
    case LayoutCardVertical:
        LayoutCardVerticalMode();
        break;
    case LayoutCardHorizontal:
        LayoutCardHorizontalMode();
        break;
    case LayoutAuto:
        LayoutAutoMode();
        break;
    default:
        break;
    }
    t_placing = outer;
    // The children placed meanwhile lay out at their final rectangles.
    for (int i = 0; i < children.Count(); ++i)
        if (children[i]->layoutPending)
            static_cast<TPDAUIEngineElementBox*>(children[i])->LayoutChildren();
}

// ---- Vertical, VerticalInverted, VerticalSpaced ----

void TPDAUIEngineElementBox::LayoutVerticalFamily()
{
    const Frame f = FrameOf(this);
    const int count = children.Count();
    int a = align;
    if (a == AlignAuto)
        a = RightToLeft(this) ? AlignEnd : AlignStart;

    long long y = f.B + f.pT;
    int n = 0;
    long long flexSum = 0;
    Element* firstVisible = nullptr;
    Element* lastVisible = nullptr;
    for (int i = 0; i < count; ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        ++n;
        if (!firstVisible)
            firstVisible = c;
        lastVisible = c;
        const Margins m = MarginsOf(c);
        const long long h = MinH(c, f.innerW - m.l - m.r);
        switch (a) {
        case AlignStretch:
            Place(c, f.B + f.pL + m.l, y + m.t, f.innerW - m.l - m.r, h);
            break;
        case AlignStart:
            Place(c, f.B + f.pL + m.l, y + m.t, MinW(c, h), h);
            break;
        case AlignCenter: {
            const long long w = MinW(c, h);
            Place(c, f.innerW / 2 - w / 2 + f.B + f.pL + m.l, y + m.t, w, h);
            break;
        }
        case AlignEnd: {
            const long long w = MinW(c, h);
            Place(c, f.W - f.B - f.pR - w + m.l, y + m.t, w, h);
            break;
        }
        default:
            break;  // AutoInvert: left where it is
        }
        y = Sat::Wide(y + c->height + m.t + m.b + f.pI);
        flexSum = Sat::Wide(flexSum + c->flex);
    }
    const long long free = f.H - f.B - f.pB - (y - f.pI);

    // Without flex, overflowY or underflowY may give the difference to one child.
    Element* target = nullptr;
    if (flexSum == 0) {
        const int rule = free < 0 ? overflowY : (free > 0 ? underflowY : FlexNone);
        if (rule == FlexFirstChild || rule == FlexLastChild) {
            target = rule == FlexFirstChild ? firstVisible : lastVisible;
            flexSum = 1;
        }
    }

    // Grow (or shrink) the weighted children; later children follow. Flex
    // values that cancel out give no share to divide.
    if (free != 0 && flexSum != 0) {
        long long used = 0;
        long long lowest = 0;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const long long k = c == target ? 1 : c->flex;
            if (k == 0)
                continue;
            const long long change = Sat::Mul(free / flexSum, k);
            if (c->minimumHeight < 1 || c->minimumHeight <= (long long)c->height + change) {
                used += k;
                Place(c, c->left, c->top, c->width, (long long)c->height + change);
                for (int j = count - 1; j > i; --j) {
                    Element* d = children[j];
                    if (!d->visible || d->IsPopup())
                        continue;
                    MoveY(d, change);
                    const long long bottom = (long long)d->top + d->height + d->margins.GetBottom();
                    if (bottom > lowest)
                        lowest = bottom;
                }
            }
        }
        // A child that refused to shrink pushed the others past the bottom:
        // take that much back from the weighted children that can give it.
        if (f.H > 0 && lowest > f.H - f.pB && used != 0) {
            const long long unit2 = (lowest + f.pB - f.H) / used;
            for (int i = 0; i < count; ++i) {
                Element* c = children[i];
                if (!c->visible)
                    continue;
                const long long k = c == target ? 1 : c->flex;
                if (k == 0 || c->minimumHeight == c->height)
                    continue;
                const long long change = Sat::Mul(unit2, k);
                Place(c, c->left, c->top, c->width, (long long)c->height - change);
                for (int j = count - 1; j > i; --j) {
                    Element* d = children[j];
                    if (d->visible && !d->IsPopup())
                        MoveY(d, -change);
                }
            }
        }
    }

    if (flexSum == 0) {
        const long long shift = pack == AlignEnd ? free : (pack == AlignCenter ? free / 2 : 0);
        if (shift != 0)
            for (int i = 0; i < count; ++i)
                if (children[i]->visible)
                    MoveY(children[i], shift);
    }

    if (layout == LayoutVerticalSpaced && n > 1 && flexSum == 0) {
        const float gap = free < 0 ? (float)free / (float)n : (float)free / (float)(n - 1);
        const float cell = gap < 0 ? (float)f.innerH / (float)n : 0.0f;
        const long long undo = pack == AlignEnd ? free : (pack == AlignCenter ? free / 2 : 0);
        bool first = true;
        long long end = 0;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            if (!first)
                c->top = Sat::Truncate((float)m.t + (float)end + gap);
            end = (long long)c->top + c->height + m.b;
            MoveY(c, -undo);
            if (cell != 0.0f) {
                c->height = FitLength(cell - (float)m.t - (float)m.b);
                ForgetMinimumSizes();  // set directly: a Flow box inside measures by it
            }
            first = false;
        }
        lastVisible->top = Sat::Clamp(f.H - lastVisible->height - f.pB);
    }
}

// ---- Horizontal, HorizontalInverted, HorizontalAutoLeftToRight, spaced ----

void TPDAUIEngineElementBox::LayoutHorizontalFamily()
{
    const Frame f = FrameOf(this);
    const int count = children.Count();
    int p = pack;
    if (p == AlignAuto)
        p = RightToLeft(this) ? AlignEnd : AlignStart;

    long long x = f.B + f.pL;
    const long long y0 = f.B + f.pT;
    int n = 0;
    long long flexSum = 0;
    for (int i = 0; i < count; ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        ++n;
        const Margins m = MarginsOf(c);
        const long long w = MinW(c, f.innerH - m.t - m.b);
        switch (align) {
        case AlignStretch:
            Place(c, x + m.l, y0 + m.t, w, f.innerH - m.t - m.b);
            break;
        case AlignStart:
            Place(c, x + m.l, y0 + m.t, w, MinH(c, w));
            break;
        case AlignCenter: {
            const long long h = MinH(c, w);
            Place(c, x + m.l, f.innerH / 2 - h / 2 + y0 + m.t, w, h);
            break;
        }
        case AlignEnd: {
            const long long h = MinH(c, w);
            Place(c, x + m.l, f.H - f.B - f.pB - h + m.t, w, h);
            break;
        }
        default:
            break;  // Auto, AutoInvert: left where it is
        }
        x = Sat::Wide(x + m.l + m.r + c->width + f.pI);
        flexSum = Sat::Wide(flexSum + c->flex);
    }
    const long long free = f.W - f.B - f.pR - (x - f.pI);

    if (free != 0 && flexSum != 0) {
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible || c->flex == 0)
                continue;
            const long long change = Sat::Mul(free / flexSum, c->flex);
            Place(c, c->left, c->top, (long long)c->width + change, c->height);
            for (int j = i + 1; j < count; ++j)
                MoveX(children[j], change);
        }
    }

    if (flexSum == 0) {
        const long long shift = p == AlignEnd ? free : (p == AlignCenter ? free / 2 : 0);
        if (shift != 0)
            for (int i = 0; i < count; ++i)
                if (children[i]->visible)
                    MoveX(children[i], shift);
    }

    if (layout == LayoutHorizontalAutoLeftToRight && RightToLeft(this)) {
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (c->visible)
                c->left = Sat::Clamp(f.W - c->width - c->left);
        }
    }

    const bool spaced = layout == LayoutHorizontalSpaced || layout == LayoutHorizontalInvertedSpaced;
    if (spaced && n > 1 && flexSum == 0) {
        const float gap = free < 0 ? (float)free / (float)n : (float)free / (float)(n - 1);
        const float cell = gap < 0 ? (float)f.innerW / (float)n : 0.0f;
        const long long undo = p == AlignEnd ? free : (p == AlignCenter ? free / 2 : 0);
        float pos = -1.0f;  // no position taken yet; also the previous child's end
        bool first = true;
        Element* lastVisible = nullptr;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            lastVisible = c;
            const Margins m = MarginsOf(c);
            if (c->flex != 0) {
                // Only flex values that cancel out get here; such a child stays.
                pos = (float)((long long)c->left + c->width + m.r);
                continue;
            }
            if (cell != 0.0f) {
                if (pos == -1.0f)
                    pos = (float)f.pL;
                c->width = FitLength(cell - (float)m.r - (float)m.l);
                c->left = Sat::Truncate((float)m.l + pos);
                pos += cell;
            } else {
                if (!first)
                    c->left = Sat::Truncate((float)m.l + pos + gap);
                const long long end = (long long)c->left + c->width + m.r;
                MoveX(c, -undo);
                pos = (float)end;
            }
            first = false;
        }
        lastVisible->left = Sat::Clamp(f.W - lastVisible->width - f.pR);
    }

    const bool inverted = layout == LayoutHorizontalInverted || layout == LayoutHorizontalInvertedSpaced;
    if (inverted && n > 1) {
        // Mirror within the span the children occupy.
        const long long kNone = 999999;
        long long first = kNone;
        long long last = 0;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            if (first == kNone)
                first = c->left;
            last = (long long)c->left + c->width;
        }
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (c->visible)
                c->left = Sat::Clamp(first + last - c->width - c->left);
        }
    }
}

// ---- Flow ----

void TPDAUIEngineElementBox::LayoutFlowMode()
{
    const Frame f = FrameOf(this);
    const int count = children.Count();
    long long x = f.pL;
    long long y = f.pT;
    long long rowH = 0;
    int rowStart = 0;

    // Pack and align the children of a finished row, [from, to).
    auto closeRow = [&](int from, int to) {
        if (pack == AlignEnd || pack == AlignCenter) {
            const long long spare = f.W - f.pR - f.pL - x;
            if (spare > 0)
                for (int j = from; j < to; ++j)
                    if (children[j]->visible)
                        MoveX(children[j], pack == AlignEnd ? spare : spare / 2);
        }
        if (align == AlignEnd || align == AlignCenter)
            for (int j = from; j < to; ++j) {
                Element* d = children[j];
                const long long room = rowH - d->height;
                MoveY(d, align == AlignEnd ? room : room / 2);
            }
    };

    for (int i = 0; i < count; ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        const long long w = MinW(c, f.innerH - m.t - m.b);
        const long long h = MinH(c, f.innerW - m.l - m.r);
        if (x + m.l + w + m.r < f.W - f.pR || rowH == 0) {
            Place(c, x + m.l, y + m.t, w, h);
        } else {
            closeRow(rowStart, i);
            x = f.pL;
            y = Sat::Wide(y + f.pI + rowH);
            Place(c, x + m.l, y + m.t, w, h);
            rowH = 0;
            rowStart = i;
        }
        const long long taken = (long long)c->height + m.t + m.b;
        if (taken > rowH)
            rowH = taken;
        x = Sat::Wide(x + c->width + m.l + m.r + f.pI);
    }
    closeRow(rowStart, count);
}

// ---- Stack, StackInverted ----

void TPDAUIEngineElementBox::LayoutStackMode()
{
    const Frame f = FrameOf(this);
    for (int i = 0; i < children.Count(); ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        Place(c, f.B + f.pL + m.l, f.B + f.pT + m.t, f.innerW - m.l - m.r, f.innerH - m.t - m.b);
    }
}

// ---- VerticalScroll ----

long long TPDAUIEngineElementBox::StackVertically(long long reduce, Element* flexChild, long long delta)
{
    const Frame f = FrameOf(this);
    long long y = f.B + f.pT;
    for (int i = 0; i < children.Count(); ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        const long long w = f.innerW - reduce - m.l - m.r;
        long long h = MinH(c, w);
        if (c == flexChild)
            h += delta;
        Place(c, f.B + f.pL + m.l, y + m.t, w, h);
        y = Sat::Wide(y + m.t + m.b + c->height + f.pI);
    }
    return y;
}

void TPDAUIEngineElementBox::LayoutVerticalScrollMode()
{
    const Frame f = FrameOf(this);
    long long y = StackVertically(0, nullptr, 0);
    TPDAUIEngineScrollBarBase* bar = scrollBar;
    if (y > f.H && bar) {
        const Margins sm = MarginsOf(bar);
        const TPDAUIEngineStyleBorder& border = borders[StateNormal];
        Place(bar, f.W - sm.r - border.GetRightWidth() - bar->minimumWidth, sm.t + border.GetTopWidth(),
              bar->minimumWidth,
              f.H - sm.t - sm.b - border.GetTopWidth() - border.GetBottomWidth());
        bar->contentHeight = Sat::Clamp(y - f.pI - f.pT);
        bar->viewHeight = Sat::Clamp(f.H - 2 * f.B - f.pB - f.pT);
        bar->step = 10;
        bar->visible = 1;
        bar->isFocusable = bar->mode == 2 && children.Count() < 2;
        if (!overlay) {
            // The children make room for the bar.
            y = StackVertically(bar->width, nullptr, 0);
            bar->contentHeight = Sat::Clamp(y - f.pI - f.pT);
            bar->viewHeight = Sat::Clamp(f.H - 2 * f.B - f.pB - f.pT);
        }
        return;
    }
    if (bar)
        bar->visible = 0;
    if (underflowY == FlexFirstChild || underflowY == FlexLastChild) {
        Element* target = nullptr;
        for (int i = 0; i < children.Count(); ++i)
            if (children[i]->visible) {
                target = children[i];
                if (underflowY == FlexFirstChild)
                    break;
            }
        if (target)
            StackVertically(0, target, f.H - f.B - f.pB - y);
    }
}

// ---- Table ----

void TPDAUIEngineElementBox::LayoutTableMode()
{
    const Frame f = FrameOf(this);
    const long long cols = Cells(layoutColumns);
    const long long rows = Cells(layoutRows);
    const bool resize = layoutTableOnCellOverflowYResizeCell != 0;
    const long long cellW = Sat::Wide((long long)std::floor(
        (double)((float)(f.W - 2 * f.B - Sat::Mul(cols - 1, f.pI) - f.pL - f.pR) / (float)cols)));
    const long long availH = f.H - 2 * f.B - Sat::Mul(rows - 1, f.pI) - f.pT - f.pB;
    const long long cellH = Sat::Wide((long long)std::floor((double)((float)availH / (float)rows)));

    long long x = f.B + f.pL;
    long long y = f.B + f.pT;
    long long row = 0;
    long long col = 0;
    if (layoutTableSkipCells > 0) {
        row = layoutTableSkipCells / cols;
        col = layoutTableSkipCells % cols;
        y = Sat::Wide(y + Sat::Mul(f.pI + cellH, row));
        x = Sat::Wide(x + Sat::Mul(f.pI + cellW, col));
    }
    long long rowMax = 0;
    for (int i = 0; i < children.Count(); ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        const long long colspan = c->colspan;
        const long long rowspan = c->rowspan;
        // The first row takes what the rounding of the cell height left over.
        long long ch = row == 0 ? availH - Sat::Mul(rows - 1, cellH) : cellH;
        if (resize) {
            const long long need = MinH(c, Sat::Mul(colspan, cellW) - m.r - m.l);
            if (need > ch)
                ch = need;
            if (ch > rowMax)
                rowMax = ch;
        }
        Place(c, x + m.l, y + m.t, Sat::Mul(colspan, cellW) - m.r - m.l,
              Sat::Mul(ch, rowspan) + Sat::Mul(rowspan - 1, f.pI) - m.b - m.t);
        col = Sat::Wide(col + colspan);
        x = Sat::Wide(x + Sat::Mul(cellW, colspan) + f.pI);
        if (col >= cols) {
            // The child that ends the row decides how far the next row starts.
            x = f.B + f.pL;
            if (!resize)
                rowMax = ch;
            y = Sat::Wide(y + Sat::Mul(f.pI + rowMax, rowspan));
            row = Sat::Wide(row + rowspan);
            col = 0;
            rowMax = 0;
        }
    }
    if (row == 0 && col < cols && (align == AlignCenter || align == AlignEnd)) {
        long long shift = Sat::Mul(cols - col, cellW);
        if (align == AlignCenter)
            shift /= 2;
        for (int i = 0; i < children.Count(); ++i)
            if (children[i]->visible)
                MoveX(children[i], shift);
    }
}

// ---- CardVertical, CardHorizontal ----

void TPDAUIEngineElementBox::LayoutCardVerticalMode()
{
    const Frame f = FrameOf(this);
    if (layoutCardIndex > children.Count() - 1) {
        layoutCardIndex = children.Count() - 1;
        ForgetMinimumSizes();  // the card measured is another one now
    }
    for (int i = 0; i < children.Count(); ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        const long long h = f.innerH - m.b - m.t;
        const long long w = c->flex == 0 ? MinW(c, h) : f.innerW - m.l - m.r;
        Place(c, f.B + f.pL + m.l, f.B + f.pT + m.t, w, h);
        const long long spare = f.innerW - m.l - m.r - w;
        if (pack == AlignEnd)
            MoveX(c, spare);
        else if (pack == AlignCenter)
            MoveX(c, spare / 2);
    }
}

void TPDAUIEngineElementBox::LayoutCardHorizontalMode()
{
    const Frame f = FrameOf(this);
    if (layoutCardIndex > children.Count() - 1) {
        layoutCardIndex = children.Count() - 1;
        ForgetMinimumSizes();  // the card measured is another one now
    }
    if (layoutCardIndex < 0 || layoutCardIndex >= children.Count())
        return;
    Element* c = children[layoutCardIndex];
    if (!c->visible)
        return;
    const Margins m = MarginsOf(c);
    const long long w = f.innerW - m.l - m.r;
    const long long h = c->flex == 0 ? MinH(c, w) : f.innerH - m.t - m.b;
    const long long l = f.B + f.pL + m.l;
    switch (align) {
    case AlignStretch:
        Place(c, l, f.B + f.pT + m.t, w, f.innerH - m.t - m.b);
        break;
    case AlignStart:
        Place(c, l, f.B + f.pT + m.t, w, h);
        break;
    case AlignCenter:
        Place(c, l, f.B + f.pT + m.t + (f.innerH - m.t - m.b - h) / 2, w, h);
        break;
    case AlignEnd:
        Place(c, l, f.H - f.B - f.pB - h - m.t, w, h);
        break;
    default:
        break;
    }
}

// ---- Auto ----

void TPDAUIEngineElementBox::LayoutAutoMode()
{
    const Frame f = FrameOf(this);
    const int count = children.Count();
    int cols = 3, rows = 3;
    if (count == 1)
        cols = 1, rows = 1;
    else if (count == 2)
        cols = 1, rows = 2;
    else if (count == 3 || count == 4)
        cols = 2, rows = 2;
    else if (count == 5 || count == 6)
        cols = 2, rows = 3;
    layoutColumns = cols;
    layoutRows = rows;

    const double cellW = (double)(f.W - 2 * f.B - (cols - 1) * f.pI - f.pL - f.pR) / cols;
    const double cellH = (double)(f.H - 2 * f.B - (rows - 1) * f.pI - f.pT - f.pB) / rows;
    double x = (double)(f.B + f.pL);
    double y = (double)(f.B + f.pT);
    int col = 0;
    for (int i = 0; i < count; ++i) {
        Element* c = children[i];
        if (!c->visible)
            continue;
        const Margins m = MarginsOf(c);
        if (i == count - 1) {
            // The last child takes the rest of its row (its margins not taken off).
            c->SetBounds(Sat::Truncate(m.l + x), Sat::Truncate(m.t + y),
                         Sat::Truncate((double)(f.W - 2 * f.B - f.pR - f.pL) - x + f.pR),
                         Sat::Truncate(cellH - m.t - m.b));
            continue;
        }
        c->SetBounds(Sat::Truncate(m.l + x), Sat::Truncate(m.t + y), Sat::Truncate(cellW - m.l - m.r), Sat::Truncate(cellH - m.t - m.b));
        x += cellW + f.pI;
        if (++col == cols) {
            x = (double)(f.B + f.pL);
            y += cellH + f.pI;
            col = 0;
        }
    }
}

// ---- minimum sizes ----

// ---- remembered minimum sizes ----
//
// Every level of a layout asks its children's minimum sizes, and a box's
// minimum size asks its own children's: without memory a pass costs far more
// than linear time in the depth. Within one pass nothing a minimum size reads
// changes, except where the layout itself says so (ForgetMinimumSizes).


TPDAUIEngineElementBox::TLayoutPass::TLayoutPass()
{
    if (t_passDepth++ == 0)
        ++t_layoutPass_;
}

TPDAUIEngineElementBox::TLayoutPass::~TLayoutPass()
{
    if (--t_passDepth == 0)
        ++t_layoutPass_;
}

int TPDAUIEngineElementBox::Recall(const TMinimumMemos& memos, int available, float scale) const
{
    const int ownHeight = layout == LayoutFlow ? height : 0;
    for (int i = 0; i < kMemos; ++i) {
        const TMinimumMemo& m = memos.items[i];
        if (m.pass == t_layoutPass_ && (!memos.dependent[i] || m.available == available) && m.scale == scale &&
            m.ownHeight == ownHeight)
            return i;
    }
    return -1;
}

void TPDAUIEngineElementBox::Remember(TMinimumMemos& memos, int available, float scale, bool dependent,
                                      int value)
{
    const int i = memos.next;
    memos.next = (unsigned char)((i + 1) % kMemos);
    TMinimumMemo& m = memos.items[i];
    m.pass = t_layoutPass_;
    m.scale = scale;
    m.available = available;
    memos.dependent[i] = dependent;
    m.ownHeight = layout == LayoutFlow ? height : 0;
    m.value = value;
}

// ---- minimum sizes ----

int TPDAUIEngineElementBox::GetMinimumHeight(int availableWidth)
{
    TLayoutPass pass;
    TBoxScaleScope scope(this);
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    const int known = Recall(heightMemos_, availableWidth, scale);
    if (known >= 0) {
        NoteMeasure(heightMemos_.dependent[known] != 0);
        return heightMemos_.items[known].value;
    }
    bool dependent = false;
    const TPDAUIEngineStyleBorder& border = borders[StateNormal];
    const int value = LimitSize((long long)border.GetTopWidth() + border.GetBottomWidth() + padding.top +
                                    padding.bottom + ContentMinimumHeight(availableWidth, dependent),
                                minimumHeight, maximumHeight);
    Remember(heightMemos_, availableWidth, scale, dependent, value);
    NoteMeasure(dependent);
    return value;
}

int TPDAUIEngineElementBox::GetMinimumWidth(int availableHeight)
{
    TLayoutPass pass;
    TBoxScaleScope scope(this);
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    const int known = Recall(widthMemos_, availableHeight, scale);
    if (known >= 0) {
        NoteMeasure(widthMemos_.dependent[known] != 0);
        return widthMemos_.items[known].value;
    }
    bool dependent = false;
    const int value = LimitSize((long long)padding.left + 2LL * borders[StateNormal].width + padding.right +
                                    ContentMinimumWidth(availableHeight, dependent),
                                minimumWidth, maximumWidth);
    Remember(widthMemos_, availableHeight, scale, dependent, value);
    NoteMeasure(dependent);
    return value;
}

int TPDAUIEngineElementBox::ContentMinimumHeight(int available, bool& dependent)
{
    PrefetchChildren(children);
    const Frame f = FrameOf(this);
    const long long w = available;
    const int count = children.Count();
    long long content = 0;

    if (IsHorizontalFamily()) {
        // Each child is measured at its own width plus all the room left over.
        std::vector<long long> widths(count > 0 ? count : 0, 0);
        long long rest = w - 2 * f.B - f.pR - f.pL;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            widths[i] = c->minimumWidth >= 1 ? c->minimumWidth : MinW(c, kUnlimited);
            rest = Sat::Wide(rest - widths[i]);
        }
        bool any = false;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            const long long h = m.t + MinH(c, widths[i] + rest, &dependent) + m.b;
            if (!any || h > content)
                content = h;
            any = true;
        }
        return Sat::Clamp(content);
    }
    if (IsVerticalFamily()) {
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            content = Sat::Wide(content + m.t + MinH(c, w - m.l - m.r - f.pR - f.pL, &dependent) + m.b + f.pI);
        }
        return Sat::Clamp(content);
    }
    switch (layout) {
    case LayoutFlow: {
        dependent = true;  // rows break by the width offered
        long long x = f.pL;
        long long y = f.pT;
        long long rowH = 0;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            const long long cw = MinW(c, f.H - 2 * f.B - m.b - m.t - f.pB - f.pT);
            const long long ch = MinH(c, w - 2 * f.B - m.r - m.l - f.pR - f.pL);
            if (w - f.pR <= x + m.l + cw + m.r && rowH != 0) {
                x = f.pL;
                y = Sat::Wide(y + f.pI + rowH);
                rowH = 0;
            }
            if (m.t + ch + m.b > rowH)
                rowH = m.t + ch + m.b;
            x = Sat::Wide(x + m.l + m.r + f.pI + cw);
        }
        return Sat::Clamp(y - f.pT + rowH);
    }
    case LayoutTable: {
        if (!layoutTableOnCellOverflowYResizeCell)
            return 0;
        dependent = true;  // cells are a share of the width offered
        const long long cols = Cells(layoutColumns);
        const long long cellW = Sat::Wide(
            (long long)std::floor((double)((float)(w - 2 * f.B - Sat::Mul(cols - 1, f.pI) - f.pR - f.pL) /
                                           (float)cols)));
        long long col = layoutTableSkipCells > 0 ? layoutTableSkipCells % cols : 0;
        long long total = 0;
        long long rowMax = 0;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            const long long h = MinH(c, Sat::Mul(c->colspan, cellW) - m.r - m.l);
            if (h > rowMax)
                rowMax = h;
            col = Sat::Wide(col + c->colspan);
            if (col >= cols) {
                col = 0;
                total = Sat::Wide(total + Sat::Mul(f.pI + rowMax, c->rowspan));
                rowMax = 0;
            }
        }
        return Sat::Clamp(rowMax < 1 ? total - f.pI : total + rowMax);
    }
    case LayoutCardVertical:
    case LayoutCardHorizontal: {
        if (layoutCardIndex < 0 || layoutCardIndex >= count)
            return 0;
        Element* c = children[layoutCardIndex];
        if (!c->visible)
            return 0;
        const Margins m = MarginsOf(c);
        return Sat::Clamp(m.t + MinH(c, w, &dependent) + m.b);
    }
    default:
        return 0;  // Absolute, Stack, StackInverted, VerticalScroll, Auto
    }
}

int TPDAUIEngineElementBox::ContentMinimumWidth(int available, bool& dependent)
{
    PrefetchChildren(children);
    const int count = children.Count();
    long long content = 0;
    const long long pI = padding.inner;
    if (IsHorizontalFamily() || layout == LayoutCardHorizontal) {
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            content = Sat::Wide(content + m.l + MinW(c, available, &dependent) + m.r + pI);
        }
        return Sat::Clamp(content);
    }
    if (IsVerticalFamily()) {
        bool any = false;
        for (int i = 0; i < count; ++i) {
            Element* c = children[i];
            if (!c->visible)
                continue;
            const Margins m = MarginsOf(c);
            const long long w = m.l + MinW(c, available, &dependent) + m.r;
            if (!any || w > content)
                content = w;
            any = true;
        }
        return Sat::Clamp(content);
    }
    if (layout == LayoutCardVertical) {
        if (layoutCardIndex < 0 || layoutCardIndex >= count)
            return 0;
        Element* c = children[layoutCardIndex];
        if (!c->visible)
            return 0;
        const Margins m = MarginsOf(c);
        return Sat::Clamp(m.l + MinW(c, available, &dependent) + m.r);
    }
    return 0;
}
