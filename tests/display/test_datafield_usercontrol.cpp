// The data-field user control: the field from the skin or from the compiled
// record, and what it builds and paints for it.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/TUserControlFactory.h"
#include "display/usercontrols/TUserControlPolivalentDataItem.h"
#include "enginelib/base/TFicheroITV.h"
#include "support/TestPaths.h"
#include "tests/display/test_datafield_support.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

using datafieldtest::Harness;
using Control = TUserControlPolivalentDataItem;

const char kTag[] = "usercontrol/usercontrolPolivalentDataItem";

// A control the application's factory makes, loaded in the frame from a skin node.
Control* FromSkin(Harness& h, const char* xml)
{
    TPDAUIEngineElement* e = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&h.app, kTag);
    auto* control = dynamic_cast<Control*>(e);
    if (!control) {
        delete e;
        return nullptr;
    }
    std::string text = xml;
    TPDAUIEngineXml node;
    EXPECT_TRUE(node.Parse(&text[0]));
    h.frame->AddChild(control, &node, nullptr);
    return control;
}

std::vector<char> Saved(TPDAUIEngineElement* e)
{
    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    TFicheroITV out;
    EXPECT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
    e->Save(out);
    EXPECT_TRUE(out.Cierra());
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// The element a record makes, loaded in the frame; null when it does not read.
TPDAUIEngineElement* FromRecord(Harness& h, std::vector<char>& bytes)
{
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineElement* e = TPDAUIEngineElement::CreateFromCompiled(h.app.ui, in);
    if (!e)
        return nullptr;
    h.frame->AddChild(e, nullptr, &in);
    return in.Error() ? nullptr : e;
}

std::string FirstTag(const Control* c) { return c->children.Count() ? c->children[0]->tag.c_str() : ""; }

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

TEST(DataFieldUserControl, TheFactoryMakesItWithItsTagAndNoBorder)
{
    Harness h;
    Control* c = FromSkin(h, "<usercontrol campo=\"41\"/>");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->tag, kTag);
    EXPECT_EQ(c->field, 41);
    EXPECT_EQ(c->GetAttribute("campo"), "41");
    EXPECT_EQ(c->borders[0].width, 0);
    EXPECT_EQ(c->app, &h.app);
    // Without "campo" the field stays as it was.
    Control* none = FromSkin(h, "<usercontrol/>");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->field, -1);
}

TEST(DataFieldUserControl, BuildsTheContentOfEachField)
{
    struct Row {
        int field;
        std::string firstChild;
        int count;
    };
    const Row rows[] = {
        {21, "autofitlabel", 1},
        {47, MadeOrLabel("usercontrolCompass"), 1},
        {66, "autofitlabel", 1},
        {339, "autofitlabel", 1},
        {373, "autofitlabel", 1},
        {98, "autofitlabel", 2},
        {2103, "autofitlabel", 2},
        {99, MadeOrLabel("usercontrolMaxVelocity"), 1},
        {352, "autofitlabel", 1},
        {313, "gadgetArrowGoto", 1},
        {314, "gadgetNextManuobre", 1},
        {372, "gadgetNextManuobre", 1},
        {318, MadeOrLabel("usercontrolMapInfoNext"), 1},
        {351, "autofitlabel", 1},
        {379, "autofitlabel", 1},
        {805, MadeOrLabel("usercontrolMapScale"), 1},
        {19, "autofitlabel", 1},
        {41, "autofitlabel", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field);
        Harness h;
        const std::string xml = "<usercontrol campo=\"" + std::to_string(row.field) + "\"/>";
        Control* c = FromSkin(h, xml.c_str());
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(FirstTag(c), row.firstChild);
        EXPECT_EQ(c->children.Count(), row.count);
        if (row.count == 2) {
            EXPECT_NE(dynamic_cast<TPDAUIEngineElementProgressBar*>(c->children[1]), nullptr);
        }
        if (row.field == 99 && row.firstChild != "autofitlabel") {
            EXPECT_EQ(c->children[0]->id, "usercontrolMaxVelocity");
        }
        if (row.field == 19) {
            auto* label = static_cast<TPDAUIEngineElementAutoFitLabel*>(c->children[0]);
            EXPECT_EQ(label->maxLines, -1);
            EXPECT_FALSE(label->autoCalculateMaxLines);
        }
    }
}

TEST(DataFieldUserControl, PaintsBatteryAsLabelAndBarAndPositionWithUnits)
{
    Harness h;
    h.Force(98, 87, "87", UnidadPorcentaje);
    h.Force(19, 0, "31TDF3051281034", UnidadNinguna);
    h.Force(66, 1, "track");
    Control* battery = FromSkin(h, "<usercontrol campo=\"98\"/>");
    Control* position = FromSkin(h, "<usercontrol campo=\"19\"/>");
    Control* track = FromSkin(h, "<usercontrol campo=\"66\"/>");
    battery->SetBounds(0, 0, 100, 60);
    datafieldtest::Render(battery);
    datafieldtest::Render(position);
    datafieldtest::Render(track);
    EXPECT_EQ(battery->children[0]->label, "87");
    EXPECT_EQ(battery->layoutRows, 2);
    EXPECT_EQ(static_cast<TPDAUIEngineElementProgressBar*>(battery->children[1])->value, 87);
    // The user control does not re-space the position: it is an ordinary field here.
    EXPECT_EQ(position->children[0]->label, "31TDF3051281034");
    // The track-profile field is left empty.
    EXPECT_EQ(track->children[0]->label, "");
}

TEST(DataFieldUserControl, TheFieldTravelsInTheCompiledRecord)
{
    Harness h;
    Control* c = FromSkin(h, "<usercontrol campo=\"2103\"/>");
    ASSERT_NE(c, nullptr);
    std::vector<char> bytes = Saved(c);
    // The record ends with the field as a 32-bit little-endian integer.
    ASSERT_GE(bytes.size(), 4u);
    const unsigned char* tail = reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - 4);
    EXPECT_EQ(tail[0] | tail[1] << 8 | tail[2] << 16 | tail[3] << 24, 2103);

    auto* loaded = dynamic_cast<Control*>(FromRecord(h, bytes));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->field, 2103);
    // The content made at run time is not in the record: loading makes it once.
    EXPECT_EQ(loaded->children.Count(), c->children.Count());
    EXPECT_EQ(FirstTag(loaded), "autofitlabel");

    // A record cut inside the field does not read.
    std::vector<char> cut(bytes.begin(), bytes.end() - 2);
    EXPECT_EQ(FromRecord(h, cut), nullptr);
}

TEST(DataFieldUserControl, CompilingSkinsBuildsNoContent)
{
    Harness h;
    h.app.ui->skinCompiling = 1;
    Control* c = FromSkin(h, "<usercontrol campo=\"41\"/>");
    h.app.ui->skinCompiling = 0;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->children.Count(), 0);
    EXPECT_EQ(c->field, 41);
    std::vector<char> bytes = Saved(c);
    auto* loaded = dynamic_cast<Control*>(FromRecord(h, bytes));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->field, 41);
    EXPECT_EQ(FirstTag(loaded), "autofitlabel");
    h.Force(41, 5, "5", UnidadMetros);
    datafieldtest::Render(loaded);
    EXPECT_EQ(loaded->children[0]->label, "5 m");
}

TEST(DataFieldUserControl, ACloneMakesItsOwnContentOnce)
{
    Harness h;
    Control* c = FromSkin(h, "<usercontrol campo=\"41\"/>");
    ASSERT_NE(c, nullptr);
    TPDAUIEngineElement* copy = c->Clone();
    ASSERT_NE(copy, nullptr);
    h.frame->AddChild(copy, nullptr, nullptr);
    auto* clone = dynamic_cast<Control*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->field, 41);
    EXPECT_EQ(clone->children.Count(), c->children.Count());
}

TEST(DataFieldUserControl, ACompiledPageOfDataFieldsReadsBack)
{
    Harness h;
    std::string xml =
        "<page id=\"pageDataFields\" layout=\"Horizontal\">"
        "<usercontrol type=\"usercontrolPolivalentDataItem\" id=\"ucA\" campo=\"41\"/>"
        "<box><usercontrol type=\"usercontrolPolivalentDataItem\" id=\"ucB\" campo=\"2103\"/></box>"
        "<usercontrol type=\"usercontrolPolivalentDataItem\" id=\"ucC\" campo=\"314\"/>"
        "</page>";
    TPDAUIEngineXml node;
    ASSERT_TRUE(node.Parse(&xml[0]));
    h.app.ui->skinCompiling = 1;
    TPDAUIEngineElementPage source(h.app.ui);
    source.OnLoad(h.app.ui, nullptr, nullptr, &node, nullptr);
    testpaths::TempDir dir;
    const std::string file = dir / "pageDataFields.cpage";
    ASSERT_TRUE(source.WriteCompiled(file.c_str()));
    h.app.ui->skinCompiling = 0;
    source.Detach();

    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TFicheroITVdatos stream(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineElementPage compiled(h.app.ui);
    compiled.OnLoad(h.app.ui, nullptr, nullptr, nullptr, &stream);
    ASSERT_FALSE(stream.Error());
    EXPECT_EQ(0u, stream.Restantes());
    const char* ids[] = {"ucA", "ucB", "ucC"};
    const int fields[] = {41, 2103, 314};
    const char* first[] = {"autofitlabel", "autofitlabel", "gadgetNextManuobre"};
    for (int i = 0; i < 3; ++i) {
        auto* c = dynamic_cast<Control*>(compiled.FindElement(ids[i], false));
        ASSERT_NE(c, nullptr) << ids[i];
        EXPECT_EQ(c->field, fields[i]);
        EXPECT_EQ(FirstTag(c), first[i]);
    }
    compiled.Detach();
}

} // namespace
