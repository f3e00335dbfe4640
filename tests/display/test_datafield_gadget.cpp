// The data-field gadget: what it builds for each field, and what each paint
// writes into its label, bar and units.
#include <string>

#include "app/TUserControlFactory.h"
#include "display/gadgets/TGadgetArrowGoto.h"
#include "display/gadgets/TGadgetNextManuobre.h"
#include "display/gadgets/TGadgetPolivalentDataItem.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TUnidades.h"
#include "tests/display/test_datafield_support.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

namespace {

using datafieldtest::Harness;
using Gadget = TGadgetPolivalentDataItem;

// The tag the application's factory makes for a user-control name, or the
// auto-fit label the gadget falls back to while that class is not there.
std::string MadeOrLabel(const char* name)
{
    const std::string tag = std::string("usercontrol/") + name;
    int count = 0;
    const TUserControlFactoryRow* rows = TUserControlFactory::Rows(count);
    for (int i = 0; i < count; ++i)
        if (tag == rows[i].tag)
            return rows[i].make ? tag : "autofitlabel";
    return "?";
}

TPDAUIEngineElementAutoFitLabel* LabelOf(TPDAUIEngineElementBox* box)
{
    return box->children.Count() ? dynamic_cast<TPDAUIEngineElementAutoFitLabel*>(box->children[0]) : nullptr;
}

TEST(DataFieldGadget, BuildsTheContentOfEachField)
{
    struct Row {
        int field;
        bool big;
        std::string firstChild;
    };
    const Row rows[] = {
        {21, false, MadeOrLabel("usercontrolVelocity")},
        {21, true, MadeOrLabel("usercontrolVelocityBig")},
        {47, false, MadeOrLabel("usercontrolCompass")},
        {66, false, "usercontrol/usercontrolGraficas_2011B"},
        {339, false, "usercontrol/usercontrolGraficas_2011B"},
        {373, false, "usercontrol/usercontrolGraficas_2011B"},
        {98, true, MadeOrLabel("usercontrolBattery")},
        {98, false, "autofitlabel"},
        {99, false, MadeOrLabel("usercontrolMaxVelocity")},
        {352, false, MadeOrLabel("usercontrolMaxVelocity")},
        {313, false, "gadgetArrowGoto"},
        {314, false, "gadgetNextManuobre"},
        {319, false, "gadgetNextManuobre"},
        {372, false, "gadgetNextManuobre"},
        {351, false, MadeOrLabel("usercontrolDistNextRadar")},
        {379, false, MadeOrLabel("usercontrolSatellites")},
        {805, false, MadeOrLabel("usercontrolMapScale")},
        {1502, false, MadeOrLabel("usercontrolMapScale")},
        {1503, false, MadeOrLabel("usercontrolMapScale")},
        {2103, false, "autofitlabel"},
        {19, false, "autofitlabel"},
        {41, false, "autofitlabel"},
        {86, true, "autofitlabel"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        Harness h;
        auto* g = new Gadget(&h.app, row.field, row.big, 0);
        g->foregrounds[TPDAUIEngineElement::StateNormal] = 0x123456;
        h.Add(g);
        ASSERT_GE(g->children.Count(), 1);
        EXPECT_EQ(g->children[0]->tag.c_str(), row.firstChild);
        if (row.firstChild == "gadgetArrowGoto" || row.firstChild == "gadgetNextManuobre") {
            EXPECT_EQ(g->children[0]->flex, 1);
            EXPECT_EQ(g->children[0]->foregrounds[0], 0x123456u);
        }
        if (row.firstChild == "gadgetNextManuobre") {
            EXPECT_EQ(static_cast<TGadgetNextManuobre*>(g->children[0])->field, row.field);
        }
        if (row.firstChild == "autofitlabel") {
            EXPECT_EQ(g->children[0]->foregrounds[0], 0x123456u);
        }
        const bool labelAndBar = row.field == 2103;
        EXPECT_EQ(g->children.Count(), labelAndBar ? 2 : 1);
        EXPECT_EQ(g->layout, labelAndBar ? TPDAUIEngineElementBox::LayoutTable : TPDAUIEngineElementBox::LayoutVertical);
        EXPECT_EQ(g->borders[0].width, 1);
        EXPECT_EQ(g->borders[0].style, TPDAUIEngineStyleBorder::StyleSolid);
    }
}

TEST(DataFieldGadget, LabelsAreConfiguredForTheirField)
{
    Harness h;
    auto* plain = h.Add(new Gadget(&h.app, 41, false, 0));
    plain->font.size = 15;
    auto* position = h.Add(new Gadget(&h.app, 19, false, 0));
    auto* percent = h.Add(new Gadget(&h.app, 2103, false, 0));

    // Made before the font changed: the default row takes the box's size as its smallest.
    Harness h2;
    auto* sized = new Gadget(&h2.app, 41, false, 0);
    sized->font.size = 15;
    h2.Add(sized);
    EXPECT_EQ(LabelOf(sized)->minimumFontSize, 15);
    EXPECT_EQ(LabelOf(sized)->flex, 1);

    EXPECT_EQ(LabelOf(position)->maxLines, 2);
    EXPECT_TRUE(LabelOf(position)->autoCalculateMaxLines);

    auto* label = LabelOf(percent);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->minimumFontSize, 12);
    EXPECT_EQ(label->align, TPDAUIEngineElement::AlignCenter);
    auto* bar = dynamic_cast<TPDAUIEngineElementProgressBar*>(percent->children[1]);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value, 50);
    EXPECT_EQ(bar->imageName, "commonProgressBarFull");
    EXPECT_EQ(bar->backgrounds[0].kind, TPDAUIEngineStyleBackground::KindImage);
    EXPECT_NE(bar->backgrounds[0].image, nullptr);
    EXPECT_EQ(bar->maximumHeight, TPDAUIEngineElement::Scale(16));
    EXPECT_EQ(bar->margins.left, TPDAUIEngineElement::Scale(5));
    EXPECT_EQ(percent->layoutColumns, 1);
    EXPECT_EQ(percent->layoutRows, 2);
    (void)plain;
}

TEST(DataFieldGadget, MapInfoNextSitsInAScrollingBoxWhenTheControlExists)
{
    Harness h;
    auto* g = h.Add(new Gadget(&h.app, 318, false, 0));
    ASSERT_EQ(g->children.Count(), 1);
    if (MadeOrLabel("usercontrolMapInfoNext") == "autofitlabel") {
        EXPECT_EQ(g->children[0]->tag, "autofitlabel");
        return;
    }
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(g->children[0]);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->layout, TPDAUIEngineElementBox::LayoutVerticalScroll);
    ASSERT_EQ(box->children.Count(), 1);
    EXPECT_EQ(box->children[0]->tag, "usercontrol/usercontrolMapInfoNext");
}

TEST(DataFieldGadget, ProfileFieldsGetTheirGraphViewAndSource)
{
    Harness h;
    TGraficas_2011B* shared = h.app.engine.graph;
    ASSERT_NE(shared, nullptr);
    auto graphOf = [&](int field, int titleId) {
        auto* g = h.Add(new Gadget(&h.app, field, false, titleId));
        return dynamic_cast<TUserControlGraficas_2011B*>(g->children[0]);
    };
    auto* track = graphOf(66, 77);
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->viewMode, 1);
    EXPECT_EQ(track->Graph(), shared);
    EXPECT_EQ(track->titleLabelId, 77);
    EXPECT_FALSE(track->hasSource);

    auto* route = graphOf(339, 77);
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->viewMode, 0);
    EXPECT_NE(route->Graph(), shared);  // a graph of its own
    EXPECT_EQ(route->titleLabelId, 0);

    // The shared graph's first object, or none while the graph is empty.
    TTrackRutaBase* first = shared->GetFirstObject();
    auto* graphs = graphOf(373, 5);
    ASSERT_NE(graphs, nullptr);
    EXPECT_EQ(graphs->hasSource, first != nullptr);
    EXPECT_EQ(graphs->Graph(), shared);
    EXPECT_EQ(graphs->titleLabelId, 5);
    shared->SetFirstObject(nullptr);
    ASSERT_EQ(shared->GetFirstObject(), nullptr);
    auto* empty = graphOf(373, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->hasSource);
}

TEST(DataFieldGadget, GraphFieldsWriteTheirLogLine)
{
    Harness h;
    h.app.engine.recorder.log.clear();
    h.Add(new Gadget(&h.app, 373, false, 0));
    EXPECT_TRUE(h.app.Logged("TGadgetPolivalentDataItem::OnLoad campo==CAMPOGPS_altimetria_graphs"));
    h.Add(new Gadget(&h.app, 66, false, 0));
    EXPECT_TRUE(h.app.Logged("TGadgetPolivalentDataItem::OnLoad campo==CAMPOGPS_altimetria_track"));
}

// ---- painting ----

TEST(DataFieldGadget, ValueAndUnitsGoWhereTheSkinHasRoomForThem)
{
    {   // No units label anywhere: the units follow the value.
        Harness h;
        h.Force(41, 312, "312", UnidadMetros);
        auto* g = h.Add(new Gadget(&h.app, 41, false, 0));
        datafieldtest::Render(g);
        EXPECT_EQ(LabelOf(g)->label, "312 m");
        EXPECT_EQ(LabelOf(g)->maxLines, 2);
    }
    {   // A field without units shows its bare text.
        Harness h;
        h.Force(86, 10.5, "10:30", UnidadNinguna);
        auto* g = h.Add(new Gadget(&h.app, 86, false, 0));
        datafieldtest::Render(g);
        EXPECT_EQ(LabelOf(g)->label, "10:30");
    }
    {   // A units label beside the gadget takes the units; "lblPolivalentDataItemUnits" first.
        Harness h;
        auto* other = h.AddLabel(h.frame, "lblUnits", "x");
        auto* units = h.AddLabel(h.frame, "lblPolivalentDataItemUnits", "old");
        h.Force(21, 87, "87", UnidadKmh);
        auto* g = h.Add(new Gadget(&h.app, 41, false, 0));
        h.Force(41, 87, "87", UnidadKmh);
        datafieldtest::Render(g);
        EXPECT_EQ(LabelOf(g)->label, "87");
        EXPECT_EQ(units->label, TUnidades::Nombre_Unidad(UnidadKmh, false));
        EXPECT_EQ(other->label, "x");
    }
    {   // A units label in the grandparent (a field box inside a styled frame).
        Harness h;
        auto* units = h.AddLabel(h.outer, "lblUnits", "");
        h.Force(41, 3.4, "3.4", UnidadKm);
        auto* g = h.Add(new Gadget(&h.app, 41, false, 0));
        datafieldtest::Render(g);
        EXPECT_EQ(LabelOf(g)->label, "3.4");
        EXPECT_EQ(units->label, "km");
    }
}

TEST(DataFieldGadget, AnAlarmPaintsTheValueLightRedAndLeavesTheUnitsLabel)
{
    Harness h;
    auto* units = h.AddLabel(h.frame, "lblUnits");
    units->foregrounds[0] = 0x00AA00;
    auto* g = new Gadget(&h.app, 41, false, 0);
    g->foregrounds[0] = 0x202020;
    h.Add(g);
    h.Force(41, 140, "140", UnidadKmh, true);
    datafieldtest::Render(g);
    EXPECT_EQ(LabelOf(g)->foregrounds[0], (uint32_t)TColoresIG::F_LtRed);
    EXPECT_EQ(units->foregrounds[0], 0x00AA00u);
    h.Force(41, 40, "40", UnidadKmh, false);
    datafieldtest::Render(g);
    EXPECT_EQ(LabelOf(g)->foregrounds[0], 0x202020u);
}

TEST(DataFieldGadget, TheBarShowsOnlyForAPositiveValueInATallEnoughBox)
{
    struct Row {
        int height;
        double value;
        int rows;
    };
    const Row rows[] = {{31, 40, 1}, {32, 40, 2}, {60, 0, 1}, {60, -5, 1}, {60, 0.5, 2}, {20, 100, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.height << " px, " << row.value);
        Harness h;
        auto* g = h.Add(new Gadget(&h.app, 2103, false, 0));
        g->SetBounds(0, 0, 120, row.height);
        h.Force(2103, row.value, "42", UnidadPorcentaje);
        datafieldtest::Render(g);
        auto* bar = static_cast<TPDAUIEngineElementProgressBar*>(g->children[1]);
        EXPECT_EQ(g->layoutRows, row.rows);
        EXPECT_EQ(bar->visible, row.rows == 2 ? 1 : 0);
        EXPECT_EQ(bar->value, (int)row.value);
        EXPECT_EQ(LabelOf(g)->label, "42");
    }
}

TEST(DataFieldGadget, TheLayoutIsRedoneOnlyWhenTheRowCountChanges)
{
    Harness h;
    auto* g = h.Add(new Gadget(&h.app, 2103, false, 0));
    g->SetBounds(0, 0, 120, 80);
    h.Force(2103, 50, "50");
    datafieldtest::Render(g);
    ASSERT_EQ(g->layoutRows, 2);
    auto* label = g->children[0];
    EXPECT_LT(label->height, 80);
    // Moved by hand: a paint that keeps two rows leaves the layout alone.
    label->SetBounds(label->left, label->top, label->width, 7);
    datafieldtest::Render(g);
    EXPECT_EQ(label->height, 7);
    h.Force(2103, 0, "0");
    datafieldtest::Render(g);
    EXPECT_EQ(g->layoutRows, 1);
    EXPECT_GT(label->height, 7);
}

TEST(DataFieldGadget, PositionIsReSpacedInGridReferenceFormat)
{
    struct Row {
        int format;
        const char* text;
        const char* shown;
    };
    const Row rows[] = {
        {32, "31TDF3051281034", "31T DF 30512 81034"},
        {32, "31TDF305128", "31T DF 30512 8"},
        {32, "31TDF30512", "31TDF30512"},  // too short: as it is
        {32, "", ""},
        {0, "31TDF3051281034", "31TDF3051281034"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        Harness h;
        h.app.engine.config->coordFormat = row.format;
        h.Force(19, 0, row.text, UnidadMetros);
        auto* g = h.Add(new Gadget(&h.app, 19, false, 0));
        datafieldtest::Render(g);
        EXPECT_EQ(LabelOf(g)->label, row.shown);  // no units either
    }
    EXPECT_EQ(Gadget::RespacePosition(DString(std::string(120, '7').c_str())).Length(), 3 + 2 + 5 + 89 + 3);
}

TEST(DataFieldGadget, ContentThatIsNotALabelIsNeverWrittenAsOne)
{
    Harness h;
    h.Force(379, 8, "8/12");
    h.Force(373, 1, "x", UnidadMetros);
    auto* graphs = h.Add(new Gadget(&h.app, 373, false, 0));
    auto* satellites = h.Add(new Gadget(&h.app, 379, true, 0));
    EXPECT_EQ(graphs->PaintKindOfField(), Gadget::PaintNothing);
    EXPECT_EQ(satellites->PaintKindOfField(), Gadget::PaintNothing);
    datafieldtest::Render(graphs);
    datafieldtest::Render(satellites);
    EXPECT_EQ(graphs->children[0]->label, "");
    if (!LabelOf(satellites)) {  // the satellites control: left as it was
        EXPECT_EQ(satellites->children[0]->label, "");
    }

    // A plain label or a box in first place takes no value text.
    TValCampo v;
    v.texto = "99";
    v.unidades = UnidadKmh;
    auto* box = h.Add(new TPDAUIEngineElementBox());
    auto* plain = h.AddLabel(box, "lblPlain", "kept");
    plain->maxLines = -1;
    Gadget::Refresh(box, &h.app, Gadget::PaintLabel, v);
    Gadget::Refresh(box, &h.app, Gadget::PaintLabelAndBar, v);
    Gadget::Refresh(box, &h.app, Gadget::PaintPosition, v);
    EXPECT_EQ(plain->label, "kept");
    EXPECT_EQ(plain->maxLines, -1);
    auto* empty = h.Add(new TPDAUIEngineElementBox());
    Gadget::Refresh(empty, &h.app, Gadget::PaintLabel, v);  // no child at all
}

TEST(DataFieldGadget, AMissingDedicatedControlShowsTheValueInItsLabel)
{
    if (MadeOrLabel("usercontrolVelocity") != "autofitlabel")
        GTEST_SKIP() << "the speed control exists";
    Harness h;
    h.Force(21, 87, "87", UnidadKmh);
    auto* g = h.Add(new Gadget(&h.app, 21, false, 0));
    datafieldtest::Render(g);
    EXPECT_EQ(LabelOf(g)->label, "87 km/h");
}

TEST(DataFieldGadget, ContextMenuRaisesTheSkinsCommandOnly)
{
    Harness h;
    auto* g = h.Add(new Gadget(&h.app, 41, false, 0));
    h.outer->SetBounds(10, 20, 200, 100);
    h.frame->SetBounds(0, 0, 200, 100);
    unsigned char handled = 0;
    g->OnContextMenu(3, 4, &handled);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(h.page.contextMenus, 0);  // not passed on
    g->onContextMenuCommand = "fieldMenu";
    g->OnContextMenu(3, 4, &handled);
    EXPECT_EQ(handled, 1);
    ASSERT_FALSE(h.page.got.empty());
    EXPECT_EQ(h.page.got.back().name, "fieldMenu");
}

} // namespace

namespace {

// The speed-limit sign follows the field it was made for; the next-manoeuvre
// text of field 318 keeps to one line in the gadget and in the user control.
TEST(DataFieldGadget, MadeControlsTakeTheirFieldsSettings)
{
    for (int field : {99, 352}) {
        SCOPED_TRACE(field);
        Harness h;
        auto* g = h.Add(new Gadget(&h.app, field, false, 0));
        ASSERT_GE(g->children.Count(), 1);
        auto* sign = dynamic_cast<TUserControlMaxVelocity*>(g->children[0]);
        ASSERT_NE(sign, nullptr);
        EXPECT_EQ(sign->limitField, field);
    }
    Harness h;
    auto* g = h.Add(new Gadget(&h.app, 318, false, 0));
    ASSERT_EQ(g->children.Count(), 1);
    auto* scroller = dynamic_cast<TPDAUIEngineElementBox*>(g->children[0]);  // the scrolling box holds it
    ASSERT_NE(scroller, nullptr);
    ASSERT_GE(scroller->children.Count(), 1);
    auto* next = dynamic_cast<TUserControlMapInfoNext*>(scroller->children[0]);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->singleLine);
}

} // namespace
