#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

class TPDAUIEngineSkinSettings;
class TPDAUIEngineUncovered;

// What a scrolling box reads and drives of its vertical scroll bar: the three
// numbers and the two operations it calls. The scroll bar element derives
// from it; a box laid out "VerticalScroll" owns one.
class TPDAUIEngineScrollBarBase : public TPDAUIEngineElement {
public:
    // Whether (x, y), relative to the bar, is on the bar (false while hidden).
    virtual bool ContainsPoint(int x, int y) = 0;
    // Clamps the position and advances held-arrow and kinetic scrolling; the
    // owner calls it before it paints.
    virtual void UpdateKineticScroll() = 0;

    int contentHeight = 150;  // total height of what is scrolled
    int viewHeight = 50;      // visible height
    int position = 0;         // scroll offset, 0 .. content - view
    int step = 10;            // pixels per arrow or key press
    int mode = 0;             // mode in force after loading (2 simple, 4 iscroll)
};

// The container element ("box") and the base of every element that holds
// others. It owns its children, in order, and places them by one of seventeen
// layout modes whenever its rectangle is set; it paints its own state style and
// then its children, and routes hit tests to them. In the VerticalScroll mode it
// owns a scroll bar and clips and offsets its children by the scroll position.
class TPDAUIEngineElementBox : public TPDAUIEngineElement {
public:
    enum ELayout {
        LayoutVertical = 0,
        LayoutVerticalInverted = 1,
        LayoutHorizontal = 2,
        LayoutHorizontalInverted = 3,
        LayoutHorizontalAutoLeftToRight = 4,
        LayoutFlow = 5,
        LayoutAbsolute = 6,
        LayoutStack = 7,
        LayoutStackInverted = 8,
        LayoutVerticalScroll = 9,
        LayoutTable = 10,
        LayoutCardVertical = 11,
        LayoutCardHorizontal = 12,
        LayoutAuto = 13,
        LayoutHorizontalSpaced = 14,
        LayoutVerticalSpaced = 15,
        LayoutHorizontalInvertedSpaced = 16,
        LayoutCount = 17,
    };
    // Values of overflowY and underflowY: which child absorbs the difference.
    enum EFlexChild { FlexNone = 0, FlexLastChild = 1, FlexFirstChild = 2 };

    TPDAUIEngineElementBox();
    // A box whose compiled record is read at once (see the element's).
    explicit TPDAUIEngineElementBox(TForRecord);
    // Deletes the children and the scroll bar.
    ~TPDAUIEngineElementBox() override;

    // ---- element operations the box overrides ----

    // Attributes, then the children built by tag from the node's child nodes,
    // then (VerticalScroll) the scroll bar.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    // Stores the rectangle and lays the children out.
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    TPDAUIEngineElement* HitTest(int x, int y) override;
    TPDAUIEngineElement* FindByNumericId(int numericId) override;
    TPDAUIEngineElement* FindByClassName(const char* name) override;
    // Depth first, pre-order; with onlyActive an invisible or disabled child is
    // left out with its subtree. The scroll bar is not a child.
    void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    // In the VerticalScroll mode, moved up by the scroll position so that the
    // children's rectangles follow the scrolling.
    TRectIG GetScreenRect() override;
    TRectIG GetVisibleRect() override;
    void OnMouseWheel(int x, int y, int delta) override;
    // Enter and space press and release a box that has a command.
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    // Deletes the children, then unhooks the box.
    void Detach() override;
    // The configuration and layout settings, then clones of other's children.
    void CopyFrom(TPDAUIEngineElement* other) override;
    void AdjustFont() override;
    void TranslateLabel() override;
    int GetMemorySize() override;
    // The box's own paint (Box and AutoHideBox; other kinds say false).
    bool PaintsOpaque(IDC* dc) override;
    // Set, boxes paint their backgrounds whole even where children cover them
    // (the reference the skipping is checked against).
    static bool paintCoveredBackgrounds;
    // How many levels of boxes below it a box looks at for cover.
    static const int kCoverDepth = 8;
    // The element record, the container part (layout settings, the child count,
    // the scroll-bar block in VerticalScroll), then every child's record.
    void Save(TFicheroITV& stream) override;

    // ---- the box's own virtual operations, in slot order ----

    // Appends the child (at the front in VerticalInverted) and loads it as a
    // child of this box, under boxScale when set. The box owns it from now on.
    virtual void AddChild(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode, TFicheroITV* stream);
    // Inserts the child before index (negative: at the end) and, when the box
    // has its engine, loads it.
    virtual void InsertChild(TPDAUIEngineElement* child, int index, TPDAUIEngineXml* xmlNode,
                             TFicheroITV* stream);
    // Detaches and deletes a child of this box; other elements are ignored.
    virtual void RemoveChild(TPDAUIEngineElement* child);
    // This box or the first descendant with that id. When none has it and
    // reportMissing is set, the skin is broken: a message, then the program ends.
    virtual TPDAUIEngineElement* FindElement(const char* id, bool reportMissing);

    // ---- non-virtual ----

    // Detaches every child in order, then deletes them all.
    void RemoveAllChildren();
    int CountVisibleChildren();
    // Index in the child vector, -1 when absent.
    int IndexOfChild(TPDAUIEngineElement* child);
    // Position among the visible children, -1 when absent or invisible.
    int VisibleIndexOfChild(TPDAUIEngineElement* child);
    // The scroll bar in force: the owned one while the layout is VerticalScroll.
    TPDAUIEngineScrollBarBase* GetScrollBar();
    // Minimum sizes of boxes are remembered while one layout pass (the outermost
    // SetBounds, GetMinimumHeight or GetMinimumWidth) runs; this forgets them
    // all, for a change made during a pass that a minimum size depends on.
    static void ForgetMinimumSizes() { ++t_layoutPass_; }
    // Asks for the memory a walk over the tree reads of the element ahead of
    // use: its first bytes and, for a box, the bytes of the box part (the
    // child list, the mode, the scale, the remembered minimum sizes and the
    // scroll bar come first in it). A hint only, harmless for any element.
    static void PrefetchLinks(const TPDAUIEngineElement* element, size_t firstBytes, size_t boxBytes);

private:
    // The number of the layout pass this thread is in: remembered minimum sizes
    // belong to one number. Here, so that forgetting them costs no call.
    static inline thread_local unsigned long long t_layoutPass_ = 1;
    // One minimum size remembered: the pass it belongs to and what it was asked with.
    struct TMinimumMemo {
        unsigned long long pass = 0;
        float scale = 0.0f;
        int available = 0;
        int ownHeight = 0;  // Flow measures against its own height
        int value = 0;
    };
    enum { kMemos = 2 };
    // The last answers of one measure, the oldest replaced first; one cache
    // line with the mode and the scale.
    struct TMinimumMemos {
        TMinimumMemo items[kMemos];
        unsigned char dependent[kMemos] = {};  // the answer holds for its available size only
        unsigned char next = 0;
    };

public:
    // ---- members, in declaration order ----

    // What a walk over the tree and a layout pass read of every box comes
    // first, the child list at the very start (see PrefetchLinks), then what
    // a measure reads.
    VectorP<TPDAUIEngineElement> children{0, 10, true};  // owning; leaves allocate nothing
    int layout = LayoutVertical;
    // When not 0, the UI scale in force while this box loads, lays out and
    // paints its children.
    float boxScale = 0.0f;

private:
    TMinimumMemos heightMemos_;
    TMinimumMemos widthMemos_;

public:
    TPDAUIEngineScrollBarBase* scrollBar = nullptr;        // owned
    int overflowY = FlexNone;
    int underflowY = FlexNone;
    int layoutColumns = 4;
    int layoutRows = 4;
    int layoutCardIndex = 0;
    int layoutTableSkipCells = 0;
    unsigned char layoutTableOnCellOverflowYResizeCell = 0;
    // VerticalScroll: the children keep their full width under the shown bar.
    unsigned char overlay = 0;
    unsigned char selected = 0;  // painted with the focus style
    unsigned char drawInInvertOrder = 0;

protected:
    // Whether the box's paint (its state's style, then its children where
    // Paint puts them) leaves its rectangle opaque.
    bool BoxPaintsOpaque(IDC* dc);
    // Save with the children, except those leaveOut (when given) answers true
    // for; the child count counts only those written.
    void SaveContainer(TFicheroITV& stream, bool (*leaveOut)(TPDAUIEngineElement*));
    // The container part of a compiled record and the children after it; on
    // a damaged stream the child being read is removed and reading stops.
    void LoadCompiledContainer(TFicheroITV& stream);
    // Its parts that most boxes have none of: the scroll-bar block (false when
    // it fails the stream) and the children.
    bool LoadCompiledScrollBar(TFicheroITV& stream);
    void LoadCompiledChildren(TFicheroITV& stream, int count);
    // The children and the scroll bar of a box loaded from XML, or made by code
    // (no XML node).
    void LoadNotCompiled(TPDAUIEngineXml* xmlNode);

    // For its life, the UI scale is the box's boxScale (when set and the skin
    // is not being compiled).
    class TBoxScaleScope {
    public:
        explicit TBoxScaleScope(const TPDAUIEngineElementBox* box);
        ~TBoxScaleScope();
        TBoxScaleScope(const TBoxScaleScope&) = delete;
        TBoxScaleScope& operator=(const TBoxScaleScope&) = delete;

    private:
        TPDAUIEngineSkinSettings* settings_ = nullptr;
        float saved_ = 0.0f;
    };

private:
    // AddChild's way for all but an appended child with room for it and no box
    // scale to set.
    void AddChildGeneral(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode, TFicheroITV* stream);
    // The state whose style the box paints in.
    int PaintState();
    // Takes from rest what the visible children, painted from (ox, oy), cover
    // opaquely (scrolled ones only inside content). False when their places
    // are not known before they paint, or rest gave up.
    bool SubtractChildCover(IDC* dc, int ox, int oy, const TRectIG& content, TPDAUIEngineUncovered& rest);
    // The background into rect, less what the children will paint over.
    void PaintBackground(IDC* dc, const TPDAUIEngineStyleBackground& back, const TRectIG& rect, int ox, int oy,
                         const TRectIG& content);
    // The layout steps of the mode; children whose rectangle was set meanwhile
    // then lay out their own children.
    void LayoutChildren();
    // For its life a layout pass is open (passes nest; the outermost one counts).
    class TLayoutPass {
    public:
        TLayoutPass();
        ~TLayoutPass();
        TLayoutPass(const TLayoutPass&) = delete;
        TLayoutPass& operator=(const TLayoutPass&) = delete;
    };
    // The index of the remembered value for (available, the scale in force),
    // or -1; an answer that did not depend on the available size serves any.
    int Recall(const TMinimumMemos& memos, int available, float scale) const;
    void Remember(TMinimumMemos& memos, int available, float scale, bool dependent, int value);

    unsigned char unlinkedChildren_ = 0;  // InsertChild without an engine happened

    // Layout of the children by mode; the box's own rectangle is already stored.
    void LayoutVerticalFamily();
    void LayoutHorizontalFamily();
    void LayoutFlowMode();
    void LayoutStackMode();
    void LayoutVerticalScrollMode();
    void LayoutTableMode();
    void LayoutCardVerticalMode();
    void LayoutCardHorizontalMode();
    void LayoutAutoMode();
    // One top-to-bottom pass of VerticalScroll with the widths reduced by
    // reduce; flexChild (when given) is taller by delta. Answers the running y.
    long long StackVertically(long long reduce, TPDAUIEngineElement* flexChild, long long delta);
    // The children's part of the minimum sizes; dependent is set when it
    // depends on the available size.
    int ContentMinimumHeight(int availableWidth, bool& dependent);
    int ContentMinimumWidth(int availableHeight, bool& dependent);
    void CreateScrollBar(TPDAUIEngineXml* xmlNode);
    // Whether child is already one of this box's children.
    bool IsOwnChild(TPDAUIEngineElement* child);
    bool IsVerticalFamily() const;
    bool IsHorizontalFamily() const;
};

// A box that hides itself one second after code shows it and starts its timer.
class TPDAUIEngineElementAutoHideBox : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementAutoHideBox();
    void OnTimer(int interval, int now) override;
};
