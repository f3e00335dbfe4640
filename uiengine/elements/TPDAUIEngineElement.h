#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/Geometry.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"
#include "uiengine/core/TPDAUIEngineStyleBorder.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineStateStyles.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

class IDC;
class TDibIG;
class TFicheroITV;
class TPDAUIEngine;
class TPDAUIEngineCommand;
class TPDAUIEngineElementPage;
class TPDAUIEngineXml;

// Base of every visual object of the UI engine: containers, pages, controls,
// gadgets and user controls. Holds what every element has in common and
// declares the virtual operations every element class shares, in a fixed order;
// subclasses append theirs after these.
//
// Coordinates: left and top are relative to the parent's origin. Pointer
// operations receive the point in the element's own coordinates; an element
// that passes a pointer event to its parent adds its own left and top.
class TPDAUIEngineElement {
public:
    // Index of the five per-state arrays.
    enum EState { StateNormal = 0, StatePressed = 1, StateDisabled = 2, StateFocus = 3, StateHover = 4 };
    // Values of pack and align.
    enum EAlign { AlignStart = 0, AlignCenter, AlignEnd, AlignStretch, AlignAuto, AlignAutoInvert };

    TPDAUIEngineElement();
    // For an element whose compiled record is read at once: what every record
    // sets (the font, the maximum sizes) is not looked up first only to be
    // overwritten. Until then the font has no family and no stock font.
    enum TForRecord { ForRecord };
    explicit TPDAUIEngineElement(TForRecord);
    TPDAUIEngineElement(const TPDAUIEngineElement&) = delete;
    // Elements come from a pool of their own (see TPDAUIEngineElementPool); the
    // destructor is virtual, so delete is given the whole object's size.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;
    TPDAUIEngineElement& operator=(const TPDAUIEngineElement&) = delete;

    // ---- virtual operations, in slot order ----

    // Stops a running timer, drops queued commands aimed at this element, drops the links.
    virtual ~TPDAUIEngineElement();
    // Links, numeric id, then attributes from the XML node (or the compiled stream).
    virtual void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page,
                        TPDAUIEngineElement* parent, TPDAUIEngineXml* xmlNode, TFicheroITV* stream);
    // The size needed. Every class's measure ends with NoteMeasure, saying
    // whether the answer depended on the available size (boxes remember
    // answers that did not for the whole layout pass); an override that says
    // nothing is taken to depend on it.
    virtual int GetMinimumHeight(int availableWidth);
    virtual int GetMinimumWidth(int availableHeight);
    // Stores the rectangle; a negative width or height makes both 0.
    virtual void SetBounds(int left, int top, int width, int height);
    // Draws the element with its parent's origin at (x, y).
    virtual void Paint(IDC* dc, int x, int y) = 0;
    // This element when (x, y), in the parent's coordinates, is inside and it is clickable.
    virtual TPDAUIEngineElement* HitTest(int x, int y);
    virtual TPDAUIEngineElement* FindByNumericId(int numericId);
    virtual TPDAUIEngineElement* FindByClassName(const char* name);
    virtual TPDAUIEngineElement* NextSibling();
    virtual TPDAUIEngineElement* PreviousSibling();
    // Containers append their descendants (pre-order); the base appends nothing.
    virtual void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive);
    // Appends this element, then each ancestor outward.
    virtual void CollectAncestors(VectorP<TPDAUIEngineElement>& list);
    virtual void SetAttributeInt(const char* name, int value);
    virtual void SetAttribute(const char* name, const char* value);
    virtual DString GetAttribute(const char* name);
    virtual TRectIG GetScreenRect();
    virtual TRectIG GetVisibleRect();
    // The page, or the outer page when the page is nested in another page's element.
    virtual TPDAUIEngineElementPage* GetPage();
    virtual void OnHoverEnter(int x, int y, int flags);
    virtual void OnMouseDown(int x, int y, int kind, int a, int b);
    virtual void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b);
    virtual void OnMouseWheel(int x, int y, int delta);
    virtual void OnMouseUp(int x, int y, int kind, unsigned char* handled);
    virtual void OnHoverLeave(int x, int y, int flags);
    virtual void OnMouseDoubleClick(int x, int y, int a, int b);
    virtual void OnContextMenu(int x, int y, unsigned char* handled);
    // Keys: Windows virtual-key codes; handled and consumed are the caller's bytes
    // (either may be null). heldTime: ms the key was held.
    virtual void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed);
    virtual void OnKeyPress(int character, unsigned char* handled, unsigned char* consumed, int extra);
    virtual void OnKeyUp(int key, unsigned char* handled, int heldTime);
    virtual void Click();
    virtual void ReleaseClick();
    virtual void OnSetFocus(TPDAUIEngineElement* other);
    virtual void OnKillFocus(TPDAUIEngineElement* other);
    virtual bool OnDrop(int x, int y, const char* files, const char* text, unsigned char* handled);
    // Called by the engine's timer pass every timerInterval ms while the timer runs.
    virtual void OnTimer(int interval, int now);
    // Passes a named command to the parent.
    virtual void OnCommand(TPDAUIEngineCommand& command);
    // Unhooks from page, timer and engine; the parent link is kept.
    virtual void Detach();
    virtual void CopyFrom(TPDAUIEngineElement* other);
    // Builds a command from this element and bubbles it to the parent's OnCommand;
    // answers the handled byte the handlers left.
    virtual bool RaiseCommand(const char* name, int x, int y, bool playSound);
    // Queues "PDAUIEngineElement:<numeric id>:<name>" for this element; any thread.
    virtual void PostCommand(const char* name, int a, int b, intptr_t c);
    // Writes the compiled record: mark, tag, then the fields in a fixed order,
    // lengths in skin pixels. Containers append their part and their children.
    virtual void Save(TFicheroITV& stream);
    virtual void AdjustFont();
    virtual void ReapplyBounds();
    virtual void ScrollIntoView();
    virtual void TranslateLabel();
    virtual void EnsureId();
    virtual bool IsEffectivelyVisible();
    virtual bool IsAvailable();
    virtual int GetMemorySize();
    // The command the page receives when this element is closed as a pop-up
    // (a menu's onHideCommand); empty for none.
    virtual DString GetPopupHideCommand();
    // Whether Paint into dc leaves every pixel of the element's rectangle
    // opaque, whatever lay under it (where the target and the clip let
    // anything be drawn at all), so a container may leave out what it hides.
    // False when not known, the default: an element that says true must keep
    // to it for every state it paints in.
    virtual bool PaintsOpaque(IDC* dc);

    // ---- non-virtual operations ----

    // Asks the engine to repaint this element.
    void Invalidate();
    void StartTimer();
    void StopTimer();
    bool IsFocused();
    bool IsPopup();
    // A new element of this element's tag with its configuration (CopyFrom),
    // not loaded and without a parent; null when no element kind has the tag.
    TPDAUIEngineElement* Clone();
    // Index into the per-state arrays by precedence: disabled, pressed, focus, hover, normal.
    int GetState();
    // A state's background into r less its border, then the border into r.
    void PaintStyle(IDC* dc, const TRectIG& r, int state);

    // Elements alive in the process.
    static int GetLiveCount();
    // The UI scale of the skin settings in force (1.0 when no engine exists).
    static float GetUIScale();
    // value x UI scale in single precision, truncated toward zero.
    static int Scale(int value);

    // ---- compiled records (written by Save, read by OnLoad with a stream) ----

    // First byte of every element record.
    enum { CompiledMark = 42 };
    // The fewest bytes an element record can take (mark and tag included), so
    // a container can tell a child count that the stream cannot hold.
    enum { MinimumCompiledRecordSize = 347 };
    // Reads the mark and the tag of the next record and makes the element for
    // the tag (not loaded: the caller adds it, which loads it from the stream).
    // Null, with the stream failed, for a wrong mark, a truncated header or a
    // tag that no element kind has.
    static TPDAUIEngineElement* CreateFromCompiled(TPDAUIEngine* engine, TFicheroITV& stream);
    // Whether count records may follow: 0 <= count and count full records fit in
    // what is left. A false answer fails the stream.
    static bool CheckCompiledCount(TFicheroITV& stream, int count);
    // Puts the stream in its failed state, for a reader that met a value the
    // writer never writes; every later read then gives zeros.
    static void FailCompiled(TFicheroITV& stream);

    // The engine link reads and writes as a plain pointer. A thread posting
    // through the element reads it (and numericId) while the UI thread may load
    // or detach the element: both are atomic for that.
    class TEngineLink {
    public:
        TEngineLink() = default;
        TEngineLink(const TEngineLink&) = delete;
        TEngineLink& operator=(const TEngineLink& other) { return *this = (TPDAUIEngine*)other; }
        TEngineLink& operator=(TPDAUIEngine* engine)
        {
            link_.store(engine, std::memory_order_release);
            return *this;
        }
        operator TPDAUIEngine*() const { return link_.load(std::memory_order_acquire); }
        TPDAUIEngine* operator->() const { return *this; }

    private:
        std::atomic<TPDAUIEngine*> link_{nullptr};
    };

    // ---- members, in declaration order ----

    // What measuring and placing reads of every element comes first, so that
    // a layout pass over a big page touches the fewest cache lines of each;
    // closing a page reads the first line only.
    TPDAUIEngineElement* parent = nullptr;
    TEngineLink engine;
    TPDAUIEngineElementPage* page = nullptr;
    unsigned char visible = 1;
    unsigned char enabled = 1;
    // A box whose parent box set its rectangle during the parent's layout and
    // that lays out its own children when the parent has placed all of its.
    unsigned char layoutPending = 0;
    unsigned char isClickable = 1;
    // PostCommand, from any thread, reads and moves this and lastTick while
    // the UI thread's timer pass does the same.
    std::atomic<unsigned char> timerRunning{0};
    unsigned char isFocusable = 0;
    unsigned char hover = 0;
    unsigned char modified = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int minimumHeight = 0;
    int minimumWidth = 0;
    int maximumHeight;
    int maximumWidth;
    int flex = 0;
    int savedFocusId = 0;
    TPDAUIEngineStateStyles<TPDAUIEngineStyleBorder> borders;
    TPDAUIEngineMargins margins;
    TPDAUIEnginePadding padding;
    int pack = AlignStart;
    int align = AlignStart;
    int colspan = 1;
    int rowspan = 1;
    TDibIG* image = nullptr; // owned by the resource store
    TPDAUIEngineStyleFont font;
    DString label;

    std::atomic<int> numericId{0};
    std::atomic<int> lastTick{0};
    TPDAUIEngineStateStyles<TPDAUIEngineStyleBackground> backgrounds;
    // By state (EState order).
    uint32_t foregrounds[5] = {TColoresIG::F_Black, TColoresIG::F_Black, TColoresIG::F_Gray, TColoresIG::F_Black,
                               TColoresIG::F_Black};
    int timerInterval = 0;
    DString tag;
    DString id;
    TPDAUIEngineKeyAttribute shortcut;
    DString imageName;
    DString onCommand;
    DString onCommandSound;
    DString onContextMenuCommand;
    int pressed = 0;
    int timerStart = 0;
    unsigned char allowMouseDownAfterPopupClose = 1;
    unsigned char avoidPaddingRescale = 0;
    unsigned char avoidMarginRescale = 0;
    unsigned char catchMouseEventsAlways = 0;
    DString className;

    // Set by each GetMinimumHeight or GetMinimumWidth as it returns: whether
    // its answer depended on the available size it was given.
    static void NoteMeasure(bool readAvailable);
    static bool MeasureReadAvailable();
    // A measured size raised to minimum, then lowered to maximum (a negative
    // maximum is no maximum), in the int range.
    static int LimitSize(long long size, int minimum, int maximum);

protected:
    // Fields 3 to 38 of the compiled record (from the id on). The element
    // changes only when the whole record was read and is sound; otherwise it is
    // left as it was and the stream is failed.
    bool LoadCompiled(TFicheroITV& stream);

    // Elapsed value for a command raised or posted now: ms since the last tick
    // while the timer runs (the last tick then moves to now), else 0. Any thread;
    // clock is the engine link as the caller read it.
    int TakeElapsed(TPDAUIEngine* clock);
    // The theme's colour replacement, the last step of loading.
    void ApplyThemeColours();
};
