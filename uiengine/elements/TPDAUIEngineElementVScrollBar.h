#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

class TPDAUIEngineElementVScrollBar;

// What a list offers the scroll bars that drive it: its own embedded bar and
// its row pitch. The list box implements it; a scroll bar bound by "forId"
// copies the three scroll numbers to and from the embedded bar, and a bar whose
// owner is a list steps and snaps by rows.
class TPDAUIEngineScrollList {
public:
    virtual ~TPDAUIEngineScrollList() = default;
    // The list's own scroll bar once it is set up, else null.
    virtual TPDAUIEngineElementVScrollBar* GetListScrollBar() = 0;
    // Height of one row plus the inner padding.
    virtual int GetRowPitch() = 0;
};

// The vertical scroll bar ("vscrollbar"): owned by VerticalScroll boxes,
// embedded in list boxes, or placed by a skin and bound to a list box by id.
// It keeps the content height, the view height and the position, and drives
// them in one of six modes: a classic bar with arrows, track and thumb
// ("default"), a plain track ("simple"), a track with large arrows
// ("simpleupdown"), drag-and-flick kinetic scrolling ("iscroll"), large arrows
// only ("images") and a fixed-thumb variant of the classic bar
// ("defaultSimpleTrackBar"). "auto" becomes simpleupdown on devices with a
// pointer and simple otherwise.
//
// The owner forwards pointer events with coordinates relative to the bar,
// reads the position to offset what it scrolls, and calls UpdateKineticScroll
// before it paints. A flick animates while the page reports itself animating:
// each paint moves the position by the time elapsed since the last one.
// Images are the stock scroll images named in the skin settings.
class TPDAUIEngineElementVScrollBar : public TPDAUIEngineScrollBarBase {
public:
    enum EScrollMode {
        ModeAuto = 0,
        ModeDefault = 1,
        ModeSimple = 2,
        ModeSimpleUpDown = 3,
        ModeIScroll = 4,
        ModeImages = 5,
        ModeDefaultSimpleTrackBar = 6,
    };
    enum EShadowMode { ShadowNone = 0, ShadowBlack = 1, ShadowWhite = 2 };
    enum EFlickKind { FlickNone = 0, FlickSnap = 1, FlickPage = 2, FlickLong = 3 };

    TPDAUIEngineElementVScrollBar();

    // ---- element operations ----

    // Element load, the scroll fields of a compiled stream, then the mode
    // set-up: the mode in force, the stock images, the width and focusability.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    // The element's rectangle moved down by the position, undoing the owner's
    // scroll offset: the bar stays put while the content moves.
    TRectIG GetScreenRect() override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnMouseWheel(int x, int y, int delta) override;
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    // Up and down step the position; every key then goes on to the parent
    // unless something marked it handled.
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // ---- operations the owner calls ----

    // Whether (x, y), relative to the bar, is on the bar in its mode (an
    // iscroll bar also answers for the large arrows left of it).
    bool ContainsPoint(int x, int y) override;
    // Clamps the position, then advances held arrows and a running flick.
    void UpdateKineticScroll() override;
    // Copy the three numbers from / to the list box named by forId; nothing
    // without forId or such a list.
    void PullFromListBox();
    void PushToListBox();

    // ---- members, in declaration order ----

    TDibIG* upImage = nullptr;  // images belong to the resource stores
    TDibIG* upPressedImage = nullptr;
    TDibIG* upLargeImage = nullptr;
    TDibIG* upLargePressedImage = nullptr;
    TDibIG* downImage = nullptr;
    TDibIG* downPressedImage = nullptr;
    TDibIG* downLargeImage = nullptr;
    TDibIG* downLargePressedImage = nullptr;
    TDibIG* innerImage = nullptr;        // nine-slice fill of the track
    TDibIG* trackHeaderImage = nullptr;  // top cap of the thumb
    TDibIG* trackImage = nullptr;        // grip; the whole thumb in iscroll
    TDibIG* trackFooterImage = nullptr;  // bottom cap of the thumb
    TDibIG* trackBackImage = nullptr;    // thumb fill; iscroll: the thumb column
    TDibIG* trackSimpleImage = nullptr;  // simpleupdown's thumb
    TDibIG* borderImage = nullptr;       // iscroll shadow strips
    unsigned char upHeld = 0;
    unsigned char downHeld = 0;
    unsigned char thumbHeld = 0;
    // contentHeight, viewHeight, position and step: see the base.
    int startPosition = 0;  // at the arrow press or the start of a thumb drag
    int pressY = 0;
    int scrollTick = 0;     // engine ms of the last pointer move or kinetic step
    int pressTime = 0;
    unsigned char trackVisible = 1;
    unsigned char autoScroll = 0;  // held arrows scroll continuously
    unsigned char smooth = 1;      // arrows move by step; else item by item
    int configuredMode = ModeAuto;
    // mode (in force after loading): see the base.
    DString forId;
    int autoScrollPixelsPerSecond = 60;
    int iscrollShadowMode = ShadowNone;
    unsigned char scrollShowFloating = 0;  // kept and compiled only
    float lastY = 0.0f;
    float velocity = 0.0f;  // x 0.0001 x UI scale = pixels per ms
    int moveCount = 0;
    int flickKind = FlickNone;
    int positionAtPress = 0;
    int flickTarget = 0;
    unsigned char draggingContent = 0;   // a content drag went beyond 15 px
    unsigned char pressStoppedFlick = 0;
    unsigned char draggingThumb = 0;

private:
    int Now();
    // The highest position: content - view (negative when everything shows).
    long long MaxPosition() const;
    // v within 0 .. content - view.
    int Clamped(long long v) const;
    void InvalidateOwner();
    TPDAUIEngineScrollList* OwnerList();
    TPDAUIEngineElementVScrollBar* BoundListBar();
    TDibIG* StockImage(int which);
    void LoadModeImages(int mode);
    bool HasRange() const { return contentHeight > 0 && contentHeight > viewHeight; }

    // Classic arrows: dir -1 up, +1 down.
    void ArrowPress(int dir);
    // The previous (dir -1) or next item's position for item-by-item moves.
    int ItemPosition(int dir);
    // The position for a thumb at p when smooth scrolling is off.
    int SnapPosition(int p);
    // Track length and thumb length of the drag formulas.
    void DragTrack(long long& L, long long& T);
    // Position for a thumb dragged to y (the classic and iscroll formula).
    long long DragPosition(int y);
    void ContinuousScroll();
    void StepFlick(int now);
    void ResetPress(int now);
    void ReleaseIScroll(int x, int y);
    void EndFlick();

    // Painting.
    void DrawImage(IDC* dc, const TDibIG* image, const TRectIG& dst);
    void DrawImagePart(IDC* dc, const TDibIG* image, const TRectIG& dst, const TRectIG& src);
    // Top and bottom of the thumb on a track of length L from t0; false when
    // there is nothing to place (no content).
    bool PlaceThumb(long long L, long long t0, long long& tt, long long& tb, long long lessOne);
    void DrawThumbPieces(IDC* dc, int il, int ir, long long tt, long long tb);
    void PaintDefault(IDC* dc, const TRectIG& inner, int W);
    void PaintSimple(IDC* dc, const TRectIG& inner);
    void PaintSimpleUpDown(IDC* dc, const TRectIG& inner);
    void PaintImages(IDC* dc, const TRectIG& inner);
    void PaintIScroll(IDC* dc, const TRectIG& inner, int X, int Y, int W, int H);
    void PaintDefaultSimpleTrackBar(IDC* dc, const TRectIG& inner);
    void DrawInner(IDC* dc, const TRectIG& track);
};
