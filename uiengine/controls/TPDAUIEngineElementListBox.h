#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/TColorIG.h"
#include "uiengine/controls/TPDAUIEngineAliveGuards.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

class TDibIG;

// Paints one part of a row for an owner-drawn list: (callbackData, dc, left,
// top, right, bottom, part (0 label area, 1 description area), item index,
// selected, the list's showLabel). A nonzero answer means it drew the part.
typedef int (*FuncDrawListItem)(void* callbackData, IDC* dc, int left, int top, int right, int bottom,
                                int part, int index, int selected, int showLabel);

// The scrolling list of the skin language ("listbox"). Pages fill `items` in
// code; the skin styles the rows. Rows are drawn in one column, in a grid of
// cells ("minimumItemWidth" above 0) or in one horizontal strip
// ("showHorizontal"), each with an optional image, check box, label,
// description and more-items marker. An embedded scroll bar (not a child)
// scrolls the rows; in its "iscroll" mode the whole list drags and flicks and
// a row is selected on the release of a tap rather than on the press.
//
// The list never toggles `checked`: it raises "onSelectedCheckedUncheckedCommand"
// and the page flips the flag. Every selected index it reads is range-checked,
// since pages write `selectedIndex` directly and RemoveAll leaves it as it was.
class TPDAUIEngineElementListBox : public TPDAUIEngineElement, public TPDAUIEngineScrollList {
public:
    class ListBoxItem {
    public:
        ListBoxItem() = default;
        ListBoxItem(const DString& label, TDibIG* image, void* data);

        bool checked = false;
        TDibIG* image = nullptr;  // the resource store's
        int32_t extra = 0;
        DString label;
        DString description;
        bool enabled = true;
        bool visible = true;
        void* data = nullptr;
        int32_t id = -1;
        int32_t indent = 0;
        bool mark = false;
        bool showImage = false;
        bool showCheckBox = false;
        bool showDescription = false;
        bool moreItems = false;
        int32_t align = AlignAuto;
    };

    TPDAUIEngineElementListBox();
    ~TPDAUIEngineElementListBox() override;

    // ---- element operations ----

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    // Computes rowHeight, places the scroll bar and gives it the heights.
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    TPDAUIEngineElement* FindByNumericId(int numericId) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseWheel(int x, int y, int delta) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void Detach() override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // ---- the scroll bars' view of the list ----

    TPDAUIEngineElementVScrollBar* GetListScrollBar() override { return &scrollBar; }
    int GetRowPitch() override;

    // ---- operations pages call ----

    // Deletes every item; selectedIndex stays as it was.
    void RemoveAll();
    int CountVisibleItems() const;
    // Scrolls so that item i shows.
    void EnsureItemVisible(int i);
    // Cells per row: 1 but in grid mode.
    int Columns() const;
    // Whether i names an item.
    bool IsValidIndex(int i) const { return i >= 0 && i < items.Count(); }

    // The scale item lengths of the next attribute are read at.
    float ItemScale();

    // ---- members, in declaration order ----

    Vector<ListBoxItem> items;
    TPDAUIEngineElementVScrollBar scrollBar;
    int rowHeight = 22;
    int itemWidth = 80;
    int indentStep = 22;
    int checkColumnWidth = 22;
    int selectedIndex = -1;
    // Row text colours, then description colours.
    enum ETextState { TextNormal = 0, TextFocus, TextHover, TextPressed, TextDisabled, TextStateCount };
    enum EDescriptionState { DescNormal = 0, DescFocus, DescHover, DescDisabled, DescStateCount };
    TColorIG itemForegrounds[TextStateCount];
    TColorIG descriptionForegrounds[DescStateCount];
    // Row backgrounds: the five states, then the same five for grid and strip ("H").
    TPDAUIEngineStyleBackground itemBackgrounds[2 * TextStateCount];
    TPDAUIEngineStyleBorder itemBorders[TextStateCount];
    TPDAUIEnginePadding itemPadding;
    TPDAUIEnginePadding itemMargin;  // inner unused
    int minimumItemHeight = 0;
    int minimumItemWidth = 0;
    bool pressedOnScrollBar = false;
    bool showDescription = false;
    int showLabelMultilines = -1;
    bool showImage = true;
    bool showCheckBox = false;
    bool showHorizontal = false;
    bool showLabel = true;
    bool showCheckBoxAtRight = false;
    DString onSelectedIndexChangedCommand;
    DString onSelectedCheckedUncheckedCommand;
    TDibIG* checkBoxImage = nullptr;  // the resource store's
    TDibIG* checkImage = nullptr;
    TDibIG* moreItemsImage = nullptr;
    TDibIG* moreItemsInverseImage = nullptr;
    bool ownerDraw = false;
    FuncDrawListItem drawItemCallback = nullptr;
    FuncDrawListItem drawDescriptionCallback = nullptr;
    void* callbackData = nullptr;
    bool raiseCommandOnMouseDown = true;
    bool focusSelectedItemAlways = true;
    bool raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey = false;
    bool imageOnOtherSide = false;
    float listScale = 0.0f;
    TPDAUIEngineStyleFont descriptionFont;
    bool listPressed = false;
    bool moved = false;
    int pressX = 0;
    int pressY = 0;

private:
    enum EMode { ModeVertical, ModeGrid, ModeHorizontal };
    struct TContent {
        long long left, top, right, bottom;
    };

    EMode Mode() const;
    int EffectiveAlign() const;
    TContent Content() const;
    int Pitch() const;
    int RowsFor(int visibleCount, int columns) const;
    // Rows that fit the view whole.
    int RowsPerView() const;
    bool Kinetic() const { return scrollBar.mode == TPDAUIEngineElementVScrollBar::ModeIScroll; }
    bool ScrollShown() const { return scrollBar.visible != 0; }
    int ScrollPosition() const { return ScrollShown() ? scrollBar.position : 0; }
    // The cell width for painting (paint) or hit tests.
    long long CellWidth(int columns, bool paint) const;
    // The row rectangle of the item at visible position v (index i in the strip).
    TRectIG RowRect(int i, int v, int columns, long long cellWidth) const;
    // The item under (x, y): enabledOnly skips disabled rows outside the
    // strip; release widens the hit by "paddingInner". -1 for none.
    int ItemAt(int x, int y, bool enabledOnly, bool release) const;
    bool IsCheckRow(const ListBoxItem& item) const;
    bool InCheckZone(const ListBoxItem& item, int x, int y) const;
    bool InScrollBar(int x, int y);
    // Raises a command unless its name is empty; false when the list is gone.
    bool Raise(const DString& name, int x, int y, bool sound);
    void RepaintNow();
    bool PopupsOpen() const;
    // The first enabled visible item from i stepping by dir, within bounds; -1 for none.
    int FindSelectable(int i, int dir, int stopAt) const;
    int KeyStart() const;
    // Selects i by a key: scrolls it into view and raises the change; false
    // when the list is gone.
    bool SelectByKey(int i);
    // Moves the page's focus; false when that deleted the list.
    bool MoveFocus(void (TPDAUIEngineElementPage::*move)());
    void KeyPage(int dir);
    void KeyRow(int dir, unsigned char* handled);
    void KeyColumn(int dir, unsigned char* handled);
    void LoadDefaultImages();
    // Whole rows that end above y (element coordinates), which painting and
    // hit tests need not place.
    long long RowsAbove(long long y) const;
    // The visible position of item i (-1 when it is not visible).
    int VisiblePosition(int i) const;
    void PaintItem(IDC* dc, int index, const TRectIG& row, int alignment);
    TPDAUIEngineAliveGuards alive_;
    bool scrollShownAfterLayout_ = false;
};
