// The container part of the compiled record: written by Box::Save after the
// element's fields, read by Box::OnLoad with a stream.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace {

// Boxes nest in a record as deep as the writer's tree was; a hostile record
// must not be able to exhaust the stack.
const int kMaxCompiledDepth = 256;
thread_local int g_compiledDepth = 0;  // per thread: loads on two threads do not add up

// Held while a box reads its children.
class TDepthGuard {
public:
    TDepthGuard() { ++g_compiledDepth; }
    ~TDepthGuard() { --g_compiledDepth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;
};

// A box scale the writer can have written: none, or a plausible UI scale.
bool SoundBoxScale(float v) { return v == 0.0f || (std::isfinite(v) && v >= 0.1f && v <= 10.0f); }

// The scroll-bar block: the settings of the box's own bar.
struct TScrollBlock {
    bool trackVisible = true;
    unsigned int timeout = 40;
    bool autoScroll = true;
    bool smooth = true;
    int pixelsPerSecond = 60;
    bool avoidMarginRescale = false;
    int shadowMode = TPDAUIEngineElementVScrollBar::ShadowNone;
    int mode = TPDAUIEngineElementVScrollBar::ModeAuto;
    TPDAUIEngineMargins margins;

    void From(const TPDAUIEngineElementVScrollBar& bar)
    {
        trackVisible = bar.trackVisible != 0;
        timeout = (unsigned int)bar.timerInterval;
        autoScroll = bar.autoScroll != 0;
        smooth = bar.smooth != 0;
        pixelsPerSecond = bar.autoScrollPixelsPerSecond;
        avoidMarginRescale = bar.avoidMarginRescale != 0;
        shadowMode = bar.iscrollShadowMode;
        // The mode as configured: the one in force depends on the machine.
        mode = bar.configuredMode;
        margins = bar.margins;
    }

    void To(TPDAUIEngineElementVScrollBar& bar) const
    {
        bar.trackVisible = trackVisible;
        bar.timerInterval = (int)timeout;
        bar.autoScroll = autoScroll;
        bar.smooth = smooth;
        bar.autoScrollPixelsPerSecond = pixelsPerSecond;
        bar.avoidMarginRescale = avoidMarginRescale;
        bar.iscrollShadowMode = shadowMode;
        bar.configuredMode = mode;
        bar.margins = margins;
    }

    void Write(TFicheroITV& s, float scale) const
    {
        s << trackVisible << timeout << autoScroll << smooth << pixelsPerSecond << avoidMarginRescale
          << shadowMode << mode;
        // Loading divides these again when the bar asks for it (above scale 1).
        TPDAUIEngineMargins stored = margins;
        if (scale > 1.0f && avoidMarginRescale) {
            auto rescale = [scale](int& v) { v = TPDAUIEngineUIScale::Multiply(v, scale); };
            if (!stored.leftPercent) rescale(stored.left);
            if (!stored.topPercent) rescale(stored.top);
            if (!stored.rightPercent) rescale(stored.right);
            if (!stored.bottomPercent) rescale(stored.bottom);
        }
        stored.SaveCompiled(s);
    }

    bool Read(TFicheroITV& s)
    {
        s >> trackVisible >> timeout >> autoScroll >> smooth >> pixelsPerSecond >> avoidMarginRescale
          >> shadowMode >> mode;
        margins.LoadCompiled(s);
        return !s.Error() && shadowMode >= TPDAUIEngineElementVScrollBar::ShadowNone &&
               shadowMode <= TPDAUIEngineElementVScrollBar::ShadowWhite &&
               mode >= TPDAUIEngineElementVScrollBar::ModeAuto &&
               mode <= TPDAUIEngineElementVScrollBar::ModeDefaultSimpleTrackBar;
    }
};

// The settings at the front of the container part, before the scroll-bar block.
// Left unset until read: a failed read's values are never used.
struct TContainerHead {
    int mode, columns, rows, cardIndex, skipCells;
    bool resize, over, invert;
    int overflow, underflow;
    float scale;
    int count;

    enum : uint32_t { kBytes = 5 * 4 + 3 + 2 * 4 + 4 + 4 };

    // Over memory the values are taken straight from the block, as the
    // stream's own reads would take them; false when the stream fails.
    bool Read(TFicheroITV& s)
    {
        uint32_t length = 0;
        const unsigned char* p = s.BloqueRestante(length);
        if (!p || length < kBytes)
            return ReadFromStream(s);
        for (int* v : {&mode, &columns, &rows, &cardIndex, &skipCells}) {
            *v = (int)TFicheroITV::DecodeU32(p);
            p += 4;
        }
        resize = p[0] != 0;
        over = p[1] != 0;
        invert = p[2] != 0;
        p += 3;
        overflow = (int)TFicheroITV::DecodeU32(p);
        underflow = (int)TFicheroITV::DecodeU32(p + 4);
        const uint32_t bits = TFicheroITV::DecodeU32(p + 8);
        std::memcpy(&scale, &bits, 4);
        count = (int)TFicheroITV::DecodeU32(p + 12);
        s.Avanza(kBytes);
        return true;
    }

    // Kept out of line: a file stream is rare, and its reads would widen the
    // frame of every box's load.
#if defined(__GNUC__) || defined(__clang__)
    __attribute__((noinline))
#endif
    bool ReadFromStream(TFicheroITV& s)
    {
        s >> mode >> columns >> rows >> cardIndex >> skipCells >> resize >> over >> invert;
        s >> overflow >> underflow >> scale >> count;
        return !s.Error();
    }
};

} // namespace

void TPDAUIEngineElementBox::Save(TFicheroITV& stream) { SaveContainer(stream, nullptr); }

void TPDAUIEngineElementBox::SaveContainer(TFicheroITV& s, bool (*leaveOut)(TPDAUIEngineElement*))
{
    TPDAUIEngineElement::Save(s);
    int count = 0;
    for (int i = 0; i < children.Count(); ++i)
        if (!leaveOut || !leaveOut(children[i]))
            ++count;
    s << layout << layoutColumns << layoutRows << layoutCardIndex << layoutTableSkipCells;
    s << (layoutTableOnCellOverflowYResizeCell != 0) << (overlay != 0) << (drawInInvertOrder != 0);
    s << overflowY << underflowY << boxScale << count;
    if (layout == LayoutVerticalScroll) {
        TScrollBlock block;
        if (auto* bar = dynamic_cast<TPDAUIEngineElementVScrollBar*>(scrollBar))
            block.From(*bar);
        block.Write(s, GetUIScale());
    }
    // The children were loaded under the box scale; they are stored under it
    // too, so that reading them under it again gives the same sizes.
    TBoxScaleScope scope(this);
    for (int i = 0; i < children.Count(); ++i)
        if (!leaveOut || !leaveOut(children[i]))
            children[i]->Save(s);
}

void TPDAUIEngineElementBox::LoadCompiledContainer(TFicheroITV& s)
{
    // A box nested one deeper than allowed fails before it reads anything.
    if (s.Error() || g_compiledDepth >= kMaxCompiledDepth) {
        FailCompiled(s);
        return;
    }
    TContainerHead head;
    // Each range starts at 0: one unsigned comparison checks both ends.
    static_assert(FlexNone == 0, "flex values start at 0");
    if (!head.Read(s) || (unsigned)head.mode >= (unsigned)LayoutCount ||
        (unsigned)head.overflow > (unsigned)FlexFirstChild || (unsigned)head.underflow > (unsigned)FlexFirstChild ||
        !SoundBoxScale(head.scale)) {
        FailCompiled(s);
        return;
    }
    // The children of a VerticalInverted box were stored already reversed.
    layout = head.mode == LayoutVerticalInverted ? LayoutVertical : head.mode;
    layoutColumns = head.columns;
    layoutRows = head.rows;
    layoutCardIndex = head.cardIndex;
    layoutTableSkipCells = head.skipCells;
    layoutTableOnCellOverflowYResizeCell = head.resize;
    overlay = head.over;
    drawInInvertOrder = head.invert;
    overflowY = head.overflow;
    underflowY = head.underflow;
    // Large screens draw at their own scale (a box without one keeps none).
    boxScale = head.scale;
    if ((head.scale != 0.0f || std::signbit(head.scale)) && GetUIScale() > 1.5f)
        boxScale = 0.0f;

    if (layout == LayoutVerticalScroll && !LoadCompiledScrollBar(s))
        return;
    // Most boxes are leaves: they are done here, with no child to nest.
    if (head.count != 0)
        LoadCompiledChildren(s, head.count);
}

bool TPDAUIEngineElementBox::LoadCompiledScrollBar(TFicheroITV& s)
{
    TScrollBlock block;
    if (!block.Read(s)) {
        FailCompiled(s);
        return false;
    }
    TPDAUIEngineScrollBarBase* made = TPDAUIEngineElementFactory::CreateScrollBar();
    if (auto* bar = dynamic_cast<TPDAUIEngineElementVScrollBar*>(made)) {
        if (scrollBar) {
            scrollBar->Detach();
            delete scrollBar;
        }
        scrollBar = bar;
        block.To(*bar);
        bar->OnLoad(engine, page, this, nullptr, nullptr);
    } else {
        delete made;
    }
    return true;
}

void TPDAUIEngineElementBox::LoadCompiledChildren(TFicheroITV& s, int count)
{
    TDepthGuard depth;
    if (!CheckCompiledCount(s, count))
        return;
    for (int i = 0; i < count; ++i) {
        // The child's record gives its id: no default one is formatted first. A
        // child whose record fails is taken out again, id unseen.
        TPDAUIEngineElement* child = TPDAUIEngineElementFactory::CreateFromCompiledHeader(engine, s, false, true);
        if (!child)
            return;
        // Read children are appended (the layout is never VerticalInverted here),
        // so the slot tells whether the box took it without a search.
        const int at = children.Count();
        AddChild(child, nullptr, &s);
        if (children.Count() <= at || children[at] != child) {
            // The box could not take it (and deleted it): the rest is out of step.
            FailCompiled(s);
            return;
        }
        if (s.Error()) {
            RemoveChild(child);
            return;
        }
    }
}
