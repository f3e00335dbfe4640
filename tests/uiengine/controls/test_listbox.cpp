// The list box: attributes and their scales, the compiled record, layout and
// row placement, taps in the plain and kinetic modes, check zones, keys,
// EnsureItemVisible, owner draw, painting with stale selections, a list
// deleted by its own command, and a golden list page.
#include "label_button_fixture.h"

#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterLists.h"
#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace {
using namespace controls;
using List = TPDAUIEngineElementListBox;
using Item = TPDAUIEngineElementListBox::ListBoxItem;
using E = TPDAUIEngineElement;
using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

const int kRow = 12;  // Fixed font size 10: "A" is 10 high, plus 2

const int kEnter = 13, kSpace = 32, kPageUp = 33, kPageDown = 34, kLeft = 37, kUp = 38, kRight = 39,
          kDown = 40;

Bytes Saved(E& e) { return SavedRecord(e); }
bool Loaded(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, E& e, const Bytes& bytes)
{
    return LoadedRecord(engine, page, e, bytes);
}

class ListBoxTest : public ControlTest {
protected:
    // A 200 x 120 list at the page's top-left with n rows "Row <i>" in the
    // fixed font (rows 12 high), the three commands bound.
    List* MakeList(int n, const std::string& extra = "")
    {
        List* list = Add<List>(R"(<listbox left="0" top="0" width="200" height="120" onCommand="cmd" )"
                               R"(onSelectedIndexChangedCommand="sel" onSelectedCheckedUncheckedCommand="chk" )" +
                               extra + "/>");
        list->font.name = "Fixed";
        list->font.size = 10;
        list->font.CreateStockFont(nullptr);
        Fill(list, n);
        page.SetFocus(list, true);
        return list;
    }
    void Fill(List* list, int n)
    {
        list->RemoveAll();
        for (int i = 0; i < n; ++i) {
            DString label("Row ");
            label << i;
            list->items.Insert(Item(label, nullptr, nullptr), -1);
        }
        list->selectedIndex = n > 0 ? 0 : -1;
        Layout();
    }
    Names Take()
    {
        Names n = page.Names();
        page.raised.clear();
        return n;
    }
};

// ---- model and attributes ----

TEST_F(ListBoxTest, InsertCopiesItemsAndNegativeIndexAppends)
{
    List* list = MakeList(0);
    Item a(DString("a"), nullptr, nullptr);
    a.id = 7;
    a.extra = 3;
    a.mark = true;
    EXPECT_EQ(0, list->items.Insert(a, -1));
    EXPECT_EQ(0, list->items.Insert(Item(DString("b"), nullptr, nullptr), 0));
    a.label = "changed";
    ASSERT_EQ(2, list->items.Count());
    EXPECT_STREQ("b", list->items[0].label.c_str());
    EXPECT_STREQ("a", list->items[1].label.c_str());
    EXPECT_EQ(7, list->items[1].id);
    EXPECT_EQ(3, list->items[1].extra);
    EXPECT_TRUE(list->items[1].mark);
    EXPECT_EQ(-1, list->items.Insert(static_cast<const Item*>(nullptr), -1));
    Item defaults;
    EXPECT_EQ(-1, defaults.id);
    EXPECT_EQ(E::AlignAuto, defaults.align);
    EXPECT_TRUE(defaults.enabled && defaults.visible);

    list->items[1].visible = false;
    EXPECT_EQ(1, list->CountVisibleItems());
    list->selectedIndex = 1;
    list->RemoveAll();
    EXPECT_EQ(0, list->items.Count());
    EXPECT_EQ(1, list->selectedIndex);  // pages reset it
}

TEST_F(ListBoxTest, ItemLengthsFollowTheirScale)
{
    struct Case {
        float ui;
        std::vector<std::pair<std::string, std::string>> attributes;
        int minimumItemHeight;
        int paddingLeft;
    };
    const Case cases[] = {
        {2.0f, {{"listScale", "1.0"}, {"minimumItemHeight", "40"}}, 80, 0},
        {1.0f, {{"listScale", "1.0"}, {"minimumItemHeight", "40"}}, 40, 0},
        {1.0f, {{"minimumItemHeight", "40"}, {"listScale", "0.5"}}, 40, 0},
        {1.0f, {{"listScale", "0.5"}, {"minimumItemHeight", "40"}}, 20, 0},
        {1.25f, {{"listScale", "0.5"}, {"minimumItemHeight", "40"}, {"paddingItemLeft", "4"}}, 20, 5},
        {1.5f, {{"paddingItem", "4"}}, 0, 6},
    };
    for (const Case& c : cases) {
        engine.skinSettings.uiScale = c.ui;
        List list;
        for (const auto& a : c.attributes)
            list.SetAttribute(a.first.c_str(), a.second.c_str());
        EXPECT_EQ(c.minimumItemHeight, list.minimumItemHeight) << c.ui;
        EXPECT_EQ(c.paddingLeft, list.itemPadding.left) << c.ui;
    }
    engine.skinSettings.uiScale = 1.5f;
    List list;
    list.SetAttribute("paddingItem", "4");
    EXPECT_EQ(6, list.itemPadding.top);
    EXPECT_EQ(6, list.itemPadding.right);
    EXPECT_EQ(6, list.itemPadding.bottom);
    EXPECT_EQ(6, list.itemPadding.inner);
    engine.skinSettings.uiScale = 1.0f;
}

TEST_F(ListBoxTest, AttributesReachTheirOwnState)
{
    List list;
    list.SetAttribute("backgroundItem", "#102030");
    EXPECT_EQ(TColorIG(0x10, 0x20, 0x30), list.itemBackgrounds[List::TextNormal].colour);
    EXPECT_EQ(TColorIG(TColoresIG::F_Black), list.itemBackgrounds[List::TextFocus].colour);
    EXPECT_EQ(TColorIG(TColoresIG::F_Brown), list.itemBackgrounds[List::TextPressed].colour);
    EXPECT_EQ(TColorIG(TColoresIG::F_White), list.itemBackgrounds[List::TextStateCount].colour);

    list.SetAttribute("foregroundItemPressed", "#FF0000");
    EXPECT_EQ(TColorIG(255, 0, 0), list.itemForegrounds[List::TextPressed]);
    EXPECT_EQ(TColorIG(TColoresIG::F_White), list.itemForegrounds[List::TextFocus]);
    list.SetAttribute("foregroundItemDisabledDescription", "#00FF00");
    EXPECT_EQ(TColorIG(0, 255, 0), list.descriptionForegrounds[List::DescDisabled]);

    list.SetAttribute("scrollmode", "iscroll");
    EXPECT_EQ(TPDAUIEngineElementVScrollBar::ModeIScroll, list.scrollBar.configuredMode);
    list.SetAttribute("autoScroll", "false");  // no lower-case "scroll": not the bar's
    EXPECT_EQ(1, list.scrollBar.autoScroll);
    list.SetAttribute("scrollTrackVisible", "false");
    EXPECT_EQ(0, list.scrollBar.trackVisible);

    const int size = list.font.size;
    list.SetAttribute("fontItemDescriptionSize", "21");
    EXPECT_EQ(21, list.descriptionFont.size);
    EXPECT_EQ(size, list.font.size);
    list.SetAttribute("fontItemDescriptionBold", "true");
    EXPECT_TRUE(list.descriptionFont.bold);
    EXPECT_FALSE(list.font.bold);
}

TEST_F(ListBoxTest, CompiledRecordRoundTripsAndRescalesLengths)
{
    List* list = MakeList(0, R"(itemWidth="80" minimumItemHeight="30" showDescription="true" )"
                             R"(backgroundItemFocusH="#123456" borderItemPressed="Solid 2 #00FF00" )"
                             R"(paddingItemInner="3" marginItemTop="2" scrollmode="iscroll" )"
                             R"(scrollShowFloating="true" raiseCommandOnMouseDown="false" listScale="1.0" )"
                             R"(foregroundItemHoverDescription="#ABCDEF" fontItemDescriptionSize="9")");
    list->selectedIndex = 4;
    const Bytes bytes = Saved(*list);

    List copy;
    ASSERT_TRUE(Loaded(&engine, &page, copy, bytes));
    EXPECT_EQ(80, copy.itemWidth);
    EXPECT_EQ(30, copy.minimumItemHeight);
    EXPECT_EQ(4, copy.selectedIndex);
    EXPECT_TRUE(copy.showDescription);
    EXPECT_FALSE(copy.raiseCommandOnMouseDown);
    EXPECT_EQ(TColorIG(0x12, 0x34, 0x56), copy.itemBackgrounds[List::TextStateCount + List::TextFocus].colour);
    EXPECT_EQ(2, copy.itemBorders[List::TextPressed].width);
    EXPECT_EQ(3, copy.itemPadding.inner);
    EXPECT_EQ(2, copy.itemMargin.top);
    EXPECT_EQ(TPDAUIEngineElementVScrollBar::ModeIScroll, copy.scrollBar.configuredMode);
    EXPECT_EQ(1, copy.scrollBar.scrollShowFloating);
    EXPECT_EQ(TColorIG(0xAB, 0xCD, 0xEF), copy.descriptionForegrounds[List::DescHover]);
    EXPECT_EQ(9, copy.descriptionFont.size);
    EXPECT_EQ(bytes, Saved(copy));

    engine.skinSettings.uiScale = 1.25f;
    List scaled;
    EXPECT_TRUE(Loaded(&engine, &page, scaled, bytes));
    EXPECT_EQ(100, scaled.itemWidth);
    engine.skinSettings.uiScale = 1.0f;

    // Every cut of the record fails cleanly.
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        List partial;
        EXPECT_FALSE(Loaded(&engine, &page, partial, Bytes(bytes.begin(), bytes.begin() + cut))) << cut;
    }
}

TEST_F(ListBoxTest, CopyFromTakesStylesNotItems)
{
    List* a = MakeList(3, R"(showCheckBox="true" itemWidth="50" minimumItemWidth="40" paddingItemLeft="3")");
    a->ownerDraw = true;
    List b;
    b.CopyFrom(a);
    EXPECT_TRUE(b.showCheckBox);
    EXPECT_TRUE(b.ownerDraw);
    EXPECT_EQ(40, b.minimumItemWidth);
    EXPECT_EQ(3, b.itemPadding.left);
    EXPECT_EQ(80, b.itemWidth);
    EXPECT_EQ(0, b.items.Count());
    EXPECT_EQ(-1, b.selectedIndex);
}

// ---- layout ----

TEST_F(ListBoxTest, LayoutComputesRowsAndShowsTheBarOnlyWhenNeeded)
{
    struct Case {
        int items;
        std::string extra;
        int rowHeight;
        bool barShown;
        int minimumHeight;  // for an offered width of 200
    };
    const Case cases[] = {
        {5, "", kRow, false, 5 * kRow},
        {10, "", kRow, false, 10 * kRow},
        {11, "", kRow, true, 11 * kRow},
        {4, R"(showDescription="true")", 22, false, 4 * 22},
        {4, R"(minimumItemHeight="30" paddingInner="2")", 30, true, 4 * 32},
        {20, R"(minimumItemWidth="50")", kRow, false, 5 * kRow},  // 4 columns
        {3, R"(showHorizontal="true" padding="5")", 110, false, 120},
    };
    for (const Case& c : cases) {
        List* list = MakeList(c.items, c.extra);
        EXPECT_EQ(c.rowHeight, list->rowHeight) << c.extra << " " << c.items;
        EXPECT_EQ(c.barShown, list->scrollBar.visible != 0) << c.extra << " " << c.items;
        EXPECT_EQ(c.minimumHeight, list->GetMinimumHeight(200)) << c.extra << " " << c.items;
        page.RemoveChild(list);
    }
}

// ---- pointer ----

TEST_F(ListBoxTest, PlainTapSelectsOnPressAndCommandsOnRelease)
{
    List* list = MakeList(5, R"(onCommandSound="click")");
    engine.Press(50, 2 * kRow + 5);
    EXPECT_EQ(2, list->selectedIndex);
    EXPECT_EQ(Names{"sel"}, Take());
    EXPECT_EQ(Names{}, engine.sounds);
    engine.Release(50, 2 * kRow + 5);
    EXPECT_EQ(Names{"cmd"}, Take());
    EXPECT_EQ(Names{"click"}, engine.sounds);

    // A release on another row raises nothing.
    engine.Press(50, 3 * kRow + 5);
    engine.Release(50, 1 * kRow + 5);
    EXPECT_EQ(Names{"sel"}, Take());
    EXPECT_EQ(3, list->selectedIndex);

    // A disabled row takes no press.
    list->items[4].enabled = false;
    engine.Press(50, 4 * kRow + 5);
    engine.Release(50, 4 * kRow + 5);
    EXPECT_EQ(Names{}, Take());
    EXPECT_EQ(3, list->selectedIndex);

    list->raiseCommandOnMouseDown = false;
    engine.Tap(50, 5);
    EXPECT_EQ(Names{"sel"}, Take());
    engine.Key(kEnter);
    EXPECT_EQ(Names{"cmd"}, Take());
}

TEST_F(ListBoxTest, KineticTapSelectsOnReleaseAndDragsSelectNothing)
{
    List* list = MakeList(50, R"(scrollmode="iscroll")");
    ASSERT_TRUE(list->scrollBar.visible);
    list->selectedIndex = -1;

    engine.Press(50, 3 * kRow + 5);
    EXPECT_EQ(-1, list->selectedIndex);
    EXPECT_EQ(Names{}, Take());
    engine.Advance(40);
    engine.Release(50, 3 * kRow + 5);
    EXPECT_EQ(3, list->selectedIndex);
    EXPECT_EQ((Names{"sel", "cmd"}), Take());

    // A drag of 10 pixels or more selects nothing.
    engine.Press(50, 6 * kRow + 5);
    engine.Advance(30);
    engine.Move(50, 6 * kRow + 9);
    engine.Advance(30);
    engine.Move(50, 6 * kRow - 6);
    engine.Advance(30);
    engine.Release(50, 6 * kRow - 6);
    EXPECT_EQ(3, list->selectedIndex);
    EXPECT_EQ(Names{}, Take());
}

TEST_F(ListBoxTest, FlingScrollsTheRowsAndSelectsNothing)
{
    List* list = MakeList(200, R"(scrollmode="iscroll")");
    engine.Press(60, 110);
    for (int y = 100; y >= 20; y -= 20) {
        engine.Advance(10);
        engine.Move(60, y);
    }
    engine.Release(60, 20);
    EXPECT_EQ(Names{}, Take());
    const int atRelease = list->scrollBar.position;
    EXPECT_GT(atRelease, 0);
    int last = atRelease;
    for (int frame = 0; frame < 100; ++frame) {
        engine.Advance(16);
        engine.Frame();
        EXPECT_GE(list->scrollBar.position, last);
        last = list->scrollBar.position;
    }
    EXPECT_GT(last, atRelease);
    EXPECT_LE(last, list->scrollBar.contentHeight - list->scrollBar.viewHeight);
    EXPECT_EQ(0, list->selectedIndex);
}

TEST_F(ListBoxTest, CheckZonesFollowTheAlignment)
{
    struct Case {
        const char* align;
        int x;
        bool checkRow;
        std::string raised;
    };
    // checkColumnWidth 22 (no image), inner 0, no paddings; the End zone
    // also keeps one indent step (6) clear.
    const Case cases[] = {
        {"Start", 5, true, "chk"},  {"Start", 22, true, "chk"}, {"Start", 23, true, "cmd"},
        {"Start", 5, false, "cmd"}, {"Auto", 22, true, "chk"},  {"End", 171, true, "cmd"},
        {"End", 172, true, "chk"},  {"End", 5, true, "cmd"},    {"Center", 5, true, "cmd"},
    };
    for (const Case& c : cases) {
        List* list = MakeList(3, std::string("align=\"") + c.align + "\"");
        list->items[1].showCheckBox = c.checkRow;
        list->selectedIndex = 1;
        engine.Frame();
        engine.Press(c.x, kRow + 5);
        Take();
        engine.Release(c.x, kRow + 5);
        EXPECT_EQ(Names{c.raised}, Take()) << c.align << " " << c.x;
        EXPECT_FALSE(list->items[1].checked);  // the page toggles it
        page.RemoveChild(list);
    }
}

// ---- keys ----

TEST_F(ListBoxTest, KeysMoveTheSelection)
{
    struct Case {
        int start;
        int key;
        int selected;
        Names raised;
    };
    // 30 rows, 10 in view; rows 5 and 6 disabled, row 7 hidden.
    const Case cases[] = {
        {0, kDown, 1, {"sel"}},
        {4, kDown, 8, {"sel"}},
        {8, kUp, 4, {"sel"}},
        {29, kDown, 29, {}},
        {0, kPageDown, 10, {"sel"}},
        {20, kPageDown, 29, {"sel"}},
        {-1, kPageDown, -1, {"sel"}},
        {15, kPageUp, 4, {"sel"}},  // nine rows up lands on disabled 5
        {-1, kPageUp, 0, {"sel"}},
        {57, kPageDown, 29, {"sel"}},  // stale selections are taken back in range
        {57, kUp, 29, {"sel"}},
        {-9, kDown, 0, {"sel"}},
        {2, kLeft, 2, {}},
    };
    for (const Case& c : cases) {
        List* list = MakeList(30);
        list->items[5].enabled = list->items[6].enabled = false;
        list->items[7].visible = false;
        list->selectedIndex = c.start;
        engine.Key(c.key);
        EXPECT_EQ(c.selected, list->selectedIndex) << c.start << " key " << c.key;
        EXPECT_EQ(c.raised, Take()) << c.start << " key " << c.key;
        page.RemoveChild(list);
    }
}

TEST_F(ListBoxTest, GridMovesByCellsAndRows)
{
    List* list = MakeList(20, R"(minimumItemWidth="50")");  // 4 columns
    list->selectedIndex = 5;
    engine.Key(kRight);
    EXPECT_EQ(6, list->selectedIndex);
    engine.Key(kDown);
    EXPECT_EQ(10, list->selectedIndex);
    engine.Key(kLeft);
    EXPECT_EQ(9, list->selectedIndex);
    engine.Key(kUp);
    EXPECT_EQ(5, list->selectedIndex);
    EXPECT_EQ((Names{"sel", "sel", "sel", "sel"}), Take());
}

TEST_F(ListBoxTest, ReleasingKeysRaisesCommands)
{
    List* list = MakeList(3);
    list->items[1].showCheckBox = true;
    list->items[2].enabled = false;
    struct Case {
        int selected;
        int key;
        bool byKey;
        Names raised;
    };
    const Case cases[] = {
        {0, kSpace, false, {"cmd"}}, {1, kSpace, false, {"chk"}},  {2, kSpace, false, {"cmd"}},
        {0, kEnter, false, {"cmd"}}, {1, kEnter, false, {"cmd"}},  {1, kEnter, true, {"chk"}},
        {2, kEnter, false, {}},      {-1, kEnter, false, {}},      {9, kSpace, false, {}},
    };
    for (const Case& c : cases) {
        list->selectedIndex = c.selected;
        list->raiseSelectedCheckedUncheckedCommandWhenUncheckedByKey = c.byKey;
        engine.Key(c.key);
        EXPECT_EQ(c.raised, Take()) << c.selected << " key " << c.key;
        EXPECT_EQ(0, list->pressed);
    }
}

// ---- scrolling into view ----

TEST_F(ListBoxTest, EnsureItemVisiblePlacesTheRow)
{
    struct Case {
        int from;
        int item;
        int position;
    };
    // 30 rows of 12 in a 120 view: content 360, the end at 240.
    const Case cases[] = {
        {0, 5, 0},       {0, 12, 3 * kRow}, {0, 29, 240}, {240, 29, 240}, {240, 3, 3 * kRow},
        {100, 0, 0},     {0, 40, 0},        {0, -3, 0},   {0, 20, 11 * kRow},
    };
    List* list = MakeList(30);
    for (const Case& c : cases) {
        list->scrollBar.position = c.from;
        list->EnsureItemVisible(c.item);
        EXPECT_EQ(c.position, list->scrollBar.position) << c.from << " " << c.item;
    }
}

// ---- painting ----

TEST_F(ListBoxTest, PaintDrawsOnlyRowsInViewWithTheirStyles)
{
    List* list = MakeList(30, R"(foregroundItem="#010101" foregroundItemFocus="#020202")");
    list->selectedIndex = 2;
    engine.fixed->draws.clear();
    engine.Frame();
    std::vector<FixedFont::Draw> rows;
    for (const FixedFont::Draw& d : engine.fixed->draws)
        if (d.text.rfind("Row ", 0) == 0)
            rows.push_back(d);
    ASSERT_EQ(10u, rows.size());
    EXPECT_EQ("Row 0", rows[0].text);
    EXPECT_EQ(TColorIG(1, 1, 1), rows[0].colour);
    EXPECT_EQ(TColorIG(2, 2, 2), rows[2].colour);
    EXPECT_EQ(2 * kRow, rows[2].rect.top);
    EXPECT_EQ(0x20 | 0x4 | 0x40000, rows[2].flags);
}

TEST_F(ListBoxTest, StaleSelectionsPaintAndTakeInputSafely)
{
    List* list = MakeList(3);
    for (int stale : {3, 1000, -2, -1000}) {
        list->selectedIndex = stale;
        engine.Frame();
        for (int key : {kUp, kDown, kPageUp, kPageDown, kLeft, kRight, kEnter, kSpace})
            engine.Key(key);
        engine.Tap(190, 100);
    }
    list->RemoveAll();
    list->selectedIndex = 2;
    Layout();
    engine.Frame();
    engine.Key(kPageDown);
    engine.Key(kSpace);
    engine.Tap(20, 5);
}

std::vector<std::vector<int>> gDraws;
int RecordDraw(void* data, IDC*, int l, int t, int r, int b, int part, int index, int selected, int showLabel)
{
    gDraws.push_back({l, t, r, b, part, index, selected, showLabel});
    return *static_cast<int*>(data);
}

TEST_F(ListBoxTest, OwnerDrawCallsTheCallbacksPerRow)
{
    List* list = MakeList(3, R"(showDescription="true")");
    int answer = 1;
    list->drawDescriptionCallback = &RecordDraw;
    list->callbackData = &answer;
    list->selectedIndex = 1;
    gDraws.clear();
    engine.fixed->draws.clear();
    engine.Frame();
    ASSERT_EQ(3u, gDraws.size());
    EXPECT_EQ((std::vector<int>{0, 11, 200, 22, 1, 0, 0, 1}), gDraws[0]);
    EXPECT_EQ(1, gDraws[1][6]);
    ASSERT_EQ(3u, engine.fixed->draws.size());  // the labels: the callback drew the descriptions
    EXPECT_EQ("Row 0", engine.fixed->draws[0].text);

    list->ownerDraw = true;
    list->drawItemCallback = &RecordDraw;
    gDraws.clear();
    engine.Frame();
    ASSERT_EQ(3u, gDraws.size());
    EXPECT_EQ((std::vector<int>{0, 22, 200, 44, 0, 1, 1, 1}), gDraws[1]);
}

// ---- life cycle ----

TEST_F(ListBoxTest, AListDeletedByItsOwnCommandIsNotTouchedAfterwards)
{
    for (const char* command : {"sel", "cmd", "chk"}) {
        List* list = MakeList(4, R"(align="start")");
        list->items[1].showCheckBox = true;
        list->selectedIndex = command == std::string("sel") ? 0 : 1;
        page.onCommand = [&, command](TPDAUIEngineCommand& c) {
            if (c.name == command && list) {
                page.RemoveChild(list);
                list = nullptr;
            }
        };
        engine.Press(command == std::string("chk") ? 5 : 60, kRow + 5);
        engine.Release(command == std::string("chk") ? 5 : 60, kRow + 5);
        EXPECT_EQ(nullptr, list) << command;
        page.onCommand = nullptr;
        if (list)
            page.RemoveChild(list);
    }
}

TEST_F(ListBoxTest, RegistersItsTag)
{
    static std::vector<std::string> tags;
    tags.clear();
    RegisterListElements([](const char* tag, FuncMakeElement make) {
        tags.push_back(tag);
        E* e = make();
        EXPECT_STREQ(tag, e->tag.c_str());
        delete e;
    });
    RegisterListElements(nullptr);
    EXPECT_EQ((Names{"listbox", "combobox"}), tags);
}

TEST_F(ListBoxTest, GoldenListPage)
{
    page.backgrounds.Edit(E::StateNormal).Parse("#E8ECF0", nullptr);
    List* list = Add<List>(R"(<listbox left="10" top="10" width="180" height="100" border="Solid 1 #606060" )"
                           R"(backgroundItem="#FFFFFF" backgroundItemFocus="#3060C0" foregroundItem="#202020" )"
                           R"(paddingItemLeft="4" paddingInner="1" showDescription="true" )"
                           R"(foregroundItemDescription="#808080"/>)");
    for (int i = 0; i < 6; ++i) {
        DString label("Item ");
        label << i;
        Item item(label, nullptr, nullptr);
        item.description = "details";
        list->items.Insert(item, -1);
    }
    list->selectedIndex = 1;
    Layout();
    TDibIG shot;
    const TDibIG& frame = engine.Frame();
    ASSERT_TRUE(shot.Crea(200, 120, 16));
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            shot.SetPixel(x, y, frame.GetPixel(x, y));
    EXPECT_TRUE(golden::Matches(shot, "controls/listbox", 8, 40));
}

} // namespace

namespace {
using namespace controls;

// The fixture skin's list page, loaded through the element factory, its
// lists filled as an application page fills them.
class ListsPage : public TPDAUIEngineElementPage {
public:
    explicit ListsPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, "pageLists");
        auto* combo = dynamic_cast<TPDAUIEngineElementComboBox*>(FindElement("cmbChoice", false));
        ASSERT_NE(nullptr, combo);
        combo->listBox->minimumItemHeight = 24;
        for (const char* id : {"lstRows", "lstGrid", "lstStrip", "cmbChoice__listbox"}) {
            auto* list = id[0] == 'c' ? combo->listBox
                                      : dynamic_cast<TPDAUIEngineElementListBox*>(FindElement(id, false));
            ASSERT_NE(nullptr, list) << id;
            for (int i = 0; i < 100; ++i) {
                DString label("Entry ");
                label << i;
                list->items.Insert(TPDAUIEngineElementListBox::ListBoxItem(label, nullptr, nullptr), -1);
            }
            list->selectedIndex = 0;
        }
        Layout();
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name.IsEmpty() || c.name == "load")
            return;
        raised.push_back(c.name.c_str());
        if (c.name == "comboOpening")
            c.handled = 1;
        auto* list = dynamic_cast<TPDAUIEngineElementListBox*>(c.target);
        if (c.name == "rowChecked" && list && list->IsValidIndex(list->selectedIndex))
            list->items[list->selectedIndex].checked = !list->items[list->selectedIndex].checked;
    }
    TPDAUIEngineElementListBox* List(const char* id)
    {
        return dynamic_cast<TPDAUIEngineElementListBox*>(FindElement(id, false));
    }
    std::vector<std::string> raised;
};

TEST(ListBoxSkinPage, ScriptedInputOnTheFixturePage)
{
    RegisterListElements(&TPDAUIEngineElementFactory::RegisterTag);
    ControlEngine engine;
    engine.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(engine.LoadSkin(name, "", "", "", error)) << error.c_str();
    engine.keysEnabled = 1;
    std::unique_ptr<ListsPage> owned(new ListsPage(&engine));
    ListsPage* page = owned.get();
    engine.OpenPage(page);
    engine.Advance(1000);
    TPDAUIEngineElementListBox* rows = page->List("lstRows");
    ASSERT_NE(nullptr, rows);
    const TRectIG r = rows->GetScreenRect();
    ASSERT_EQ(20, rows->rowHeight);
    ASSERT_TRUE(rows->scrollBar.visible) << rows->height << " " << rows->scrollBar.contentHeight << " " << rows->scrollBar.viewHeight;

    // A tap on the third row's label: selected on the release, then chosen.
    engine.Tap(r.left + 100, r.top + 2 * 20 + 10);
    EXPECT_EQ(2, rows->selectedIndex);
    EXPECT_EQ((std::vector<std::string>{"rowSelected", "rowChosen"}), page->raised);
    page->raised.clear();

    // A tap in its check column checks it through the page.
    engine.Tap(r.left + 5, r.top + 2 * 20 + 10);
    EXPECT_TRUE(rows->items[2].checked);
    EXPECT_EQ((std::vector<std::string>{"rowSelected", "rowChecked"}), page->raised);
    page->raised.clear();

    // A fling scrolls without choosing anything.
    engine.Press(r.left + 100, r.top + 180);
    for (int y = 160; y >= 40; y -= 30) {
        engine.Advance(10);
        engine.Move(r.left + 100, r.top + y);
    }
    engine.Release(r.left + 100, r.top + 40);
    for (int frame = 0; frame < 60; ++frame) {
        engine.Advance(16);
        engine.Frame();
    }
    EXPECT_GT(rows->scrollBar.position, 150);
    EXPECT_EQ(std::vector<std::string>{}, page->raised);

    // Arrow keys move the selection and bring it into view.
    page->SetFocus(rows, true);
    engine.Key(0x28);
    engine.Key(0x28);
    EXPECT_EQ(4, rows->selectedIndex);
    EXPECT_EQ(3 * 20, rows->scrollBar.position);  // row 3 came to the top, row 4 shows below it
    engine.Key(0x26);
    EXPECT_EQ(3, rows->selectedIndex);
    EXPECT_EQ((std::vector<std::string>{"rowSelected", "rowSelected", "rowSelected"}), page->raised);
    page->raised.clear();

    // The grid and the strip select by their cells.
    TPDAUIEngineElementListBox* grid = page->List("lstGrid");
    const TRectIG g = grid->GetScreenRect();
    engine.Tap(g.left + 150, g.top + 40);
    EXPECT_EQ(grid->Columns() + 1, grid->selectedIndex);
    TPDAUIEngineElementListBox* strip = page->List("lstStrip");
    const TRectIG s = strip->GetScreenRect();
    engine.Tap(s.left + 130, s.top + 10);
    EXPECT_EQ(2, strip->selectedIndex);
    EXPECT_EQ((std::vector<std::string>{"cellSelected", "stripSelected"}), page->raised);
    page->raised.clear();

    // The combo box opens its list under itself; a tap on a row chooses it.
    auto* combo = dynamic_cast<TPDAUIEngineElementComboBox*>(page->FindElement("cmbChoice", false));
    const TRectIG c = combo->GetScreenRect();
    engine.Tap(c.left + 20, c.top + 10);
    ASSERT_TRUE(combo->IsListOpen());
    const TRectIG l = combo->listBox->GetScreenRect();
    EXPECT_EQ(c.bottom + 1, l.top);
    engine.Tap(l.left + 20, l.top + combo->listBox->GetRowPitch() + 5);
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_EQ(1, combo->GetSelectedIndex());
    EXPECT_EQ((std::vector<std::string>{"comboOpening", "comboChosen"}), page->raised);
    EXPECT_STREQ("Entry 0", combo->value.c_str());
    engine.pages.RemoveAll();
}

} // namespace
