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

// The settings at the front of the container part, before the scroll-bar
// block: mode, columns, rows, card index, skipped cells (4 bytes each), three
// flags (1 byte each), overflow, underflow, scale and child count (4 bytes each).
const uint32_t kHeadBytes = 5 * 4 + 3 + 2 * 4 + 4 + 4;

// A file stream's head, read whole into room (a stream's values are these
// bytes, little-endian). Kept out of line: a file stream is rare, and its read
// would widen the frame of every box's load.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
const unsigned char* ReadHeadFromStream(TFicheroITV& s, unsigned char* room)
{
    return s.Lee(room, kHeadBytes) == kHeadBytes && !s.Error() ? room : nullptr;
}

// The head's bytes, taken where they lie over memory and the stream moved past
// them; null when the stream fails.
inline const unsigned char* HeadBytes(TFicheroITV& s, unsigned char* room)
{
    uint32_t length = 0;
    const unsigned char* p = s.BloqueRestante(length);
    if (!p || length < kHeadBytes)
        return ReadHeadFromStream(s, room);
    s.Avanza(kHeadBytes);
    return p;
}

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
    // The values are decoded where they lie, checked, and only then stored.
    unsigned char room[kHeadBytes];
    const unsigned char* p = HeadBytes(s, room);
    if (!p) {
        FailCompiled(s);
        return;
    }
    const uint32_t mode = TFicheroITV::DecodeU32(p);
    const uint32_t overflow = TFicheroITV::DecodeU32(p + 23);
    const uint32_t underflow = TFicheroITV::DecodeU32(p + 27);
    const uint32_t bits = TFicheroITV::DecodeU32(p + 31);
    float scale;
    std::memcpy(&scale, &bits, 4);
    // Each range starts at 0: one unsigned comparison checks both ends.
    static_assert(FlexNone == 0, "flex values start at 0");
    if (mode >= (uint32_t)LayoutCount || overflow > (uint32_t)FlexFirstChild ||
        underflow > (uint32_t)FlexFirstChild || !SoundBoxScale(scale)) {
        FailCompiled(s);
        return;
    }
    // The children of a VerticalInverted box were stored already reversed.
    layout = mode == LayoutVerticalInverted ? LayoutVertical : (int)mode;
    layoutColumns = (int)TFicheroITV::DecodeU32(p + 4);
    layoutRows = (int)TFicheroITV::DecodeU32(p + 8);
    layoutCardIndex = (int)TFicheroITV::DecodeU32(p + 12);
    layoutTableSkipCells = (int)TFicheroITV::DecodeU32(p + 16);
    layoutTableOnCellOverflowYResizeCell = p[20] != 0;
    overlay = p[21] != 0;
    drawInInvertOrder = p[22] != 0;
    overflowY = (int)overflow;
    underflowY = (int)underflow;
    const int count = (int)TFicheroITV::DecodeU32(p + 35);
    // Large screens draw at their own scale (a box without one keeps none).
    boxScale = scale;
    if ((scale != 0.0f || std::signbit(scale)) && GetUIScale() > 1.5f)
        boxScale = 0.0f;

    if (layout == LayoutVerticalScroll && !LoadCompiledScrollBar(s))
        return;
    // Most boxes are leaves: they are done here, with no child to nest.
    if (count != 0)
        LoadCompiledChildren(s, count);
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
