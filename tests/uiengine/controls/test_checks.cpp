// Check boxes and radio buttons: toggles, the check-column-only release, radio
// groups per box, keys, the compiled record and a golden picture.
#include "label_button_fixture.h"

#include <fstream>
#include <iterator>

#include "enginelib/base/TFicheroITV.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterChecks.h"
#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"
#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using Check = TPDAUIEngineElementCheckBox;
using Radio = TPDAUIEngineElementRadioButton;

class ChecksTest : public ControlTest {
protected:
    ChecksTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterCheckElements(&TPDAUIEngineElementFactory::RegisterTag);
    }
    std::vector<std::string> Names() const { return page.Names(); }
};

TEST_F(ChecksTest, ACheckBoxTogglesOnEachClickAndOnKeys)
{
    Check* c = Add<Check>("<checkbox id=\"c\" left=\"10\" top=\"10\" width=\"200\" height=\"30\" label=\"Sound\" "
                          "onCommand=\"sound\"/>");
    engine.Tap(100, 25);
    engine.Advance(50);
    EXPECT_TRUE(c->checked);
    engine.Tap(100, 25);
    engine.Advance(50);
    EXPECT_FALSE(c->checked);
    EXPECT_EQ((std::vector<std::string>{"sound", "sound"}), Names());
    // A release outside does nothing but repaint.
    c->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(1, c->pressed);
    c->OnMouseUp(500, 5, 0, nullptr);
    EXPECT_FALSE(c->checked);
    EXPECT_EQ(0, c->pressed);
    // Enter and space press and toggle; a disabled box ignores them.
    unsigned char handled = 0, consumed = 0;
    c->OnKeyDown(32, &handled, &consumed);
    EXPECT_EQ(1, handled);
    c->OnKeyUp(32, &handled, 0);
    EXPECT_TRUE(c->checked);
    c->enabled = 0;
    c->OnMouseDown(5, 5, 0, 0, 0);
    c->OnMouseUp(5, 5, 0, nullptr);
    EXPECT_TRUE(c->checked);
}

TEST_F(ChecksTest, OnlyTheCheckColumnUnchecks)
{
    Check* c = Add<Check>("<checkbox id=\"c\" left=\"0\" top=\"0\" width=\"300\" height=\"30\" label=\"Keep\" "
                          "onlyUncheckOnImageClick=\"true\" checked=\"true\" onCommand=\"keep\" align=\"Start\"/>");
    c->GetMinimumHeight(300);  // computes the check column
    const int column = c->checkColumnWidth + c->padding.inner + c->padding.left;
    c->OnMouseDown(200, 10, 0, 0, 0);
    c->OnMouseUp(200, 10, 0, nullptr);  // on the label: stays checked
    EXPECT_TRUE(c->checked);
    c->OnMouseDown(column, 10, 0, 0, 0);
    c->OnMouseUp(column, 10, 0, nullptr);  // just inside the column
    EXPECT_FALSE(c->checked);
    c->OnMouseDown(200, 10, 0, 0, 0);
    c->OnMouseUp(200, 10, 0, nullptr);  // unchecked: anywhere toggles
    EXPECT_TRUE(c->checked);
    EXPECT_EQ((std::vector<std::string>{"keep", "keep"}), Names());
}

TEST_F(ChecksTest, RadioButtonsAreExclusiveWithinTheirBox)
{
    auto* group = Add<TPDAUIEngineElementBox>(
        "<box id=\"g\" left=\"0\" top=\"0\" width=\"300\" height=\"100\" layout=\"Vertical\">"
        "<radiobutton id=\"r1\" label=\"One\" checked=\"true\" onCommand=\"r1\"/>"
        "<radiobutton id=\"r2\" label=\"Two\" onCommand=\"r2\"/>"
        "<radiobutton id=\"r3\" label=\"Three\" onCommand=\"r3\"/></box>");
    auto* other = Add<Radio>("<radiobutton id=\"o\" left=\"0\" top=\"200\" width=\"300\" height=\"30\" label=\"Other\" "
                             "checked=\"true\" onCommand=\"o\"/>");
    auto radio = [&](const char* id) { return dynamic_cast<Radio*>(group->FindElement(id, false)); };
    radio("r2")->Select();
    EXPECT_FALSE(radio("r1")->checked);
    EXPECT_TRUE(radio("r2")->checked);
    EXPECT_FALSE(radio("r3")->checked);
    EXPECT_TRUE(other->checked);  // another box's button keeps its state
    EXPECT_EQ(std::vector<std::string>{"r2"}, Names());
    // Releasing on the checked one raises again; Enter on it does nothing.
    radio("r2")->OnMouseUp(5, 5, 0, nullptr);
    unsigned char handled = 0, consumed = 0;
    radio("r2")->OnKeyDown(13, &handled, &consumed);
    EXPECT_EQ((std::vector<std::string>{"r2", "r2"}), Names());
    // A tap on the third through the page.
    page.Layout();
    const TRectIG r = radio("r3")->GetScreenRect();
    engine.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    engine.Advance(50);
    EXPECT_TRUE(radio("r3")->checked);
    EXPECT_FALSE(radio("r2")->checked);
}

TEST_F(ChecksTest, CompiledRecordsRoundTrip)
{
    Check* c = Add<Check>("<checkbox id=\"c\" label=\"A\" checked=\"true\" wordBreak=\"false\" wordEllipsis=\"true\" "
                          "onlyUncheckOnImageClick=\"true\" imageScale=\"1.5\" maxLines=\"2\" imageCheck=\"tick\"/>");
    Radio* r = Add<Radio>("<radiobutton id=\"r\" label=\"B\" checked=\"true\" imageScale=\"2\" wordBreak=\"true\" "
                          "maxLines=\"3\"/>");
    testpaths::TempDir dir;
    auto bytesOf = [&](TPDAUIEngineElement* e) {
        const std::string path = dir / "e.bin";
        TFicheroITV f;
        EXPECT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
        e->Save(f);
        EXPECT_TRUE(f.Cierra());
        std::ifstream file(path, std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    const std::vector<char> cb = bytesOf(c), rb = bytesOf(r);
    {
        TFicheroITVdatos in(cb.data(), ITV_MODO_LECTURA, (uint32_t)cb.size());
        char mark = 0;
        DString tag;
        in >> mark >> tag;
        Check back;
        back.OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        EXPECT_FALSE(in.Error());
        EXPECT_TRUE(back.checked);
        EXPECT_FALSE(back.wordBreak);
        EXPECT_TRUE(back.wordEllipsis);
        EXPECT_TRUE(back.onlyUncheckOnImageClick);
        EXPECT_FLOAT_EQ(1.5f, back.imageScale);
        EXPECT_EQ(2, back.maxLines);
        EXPECT_STREQ("tick", back.imageCheckName.c_str());
    }
    {
        TFicheroITVdatos in(rb.data(), ITV_MODO_LECTURA, (uint32_t)rb.size() - 2);  // cut short
        char mark = 0;
        DString tag;
        in >> mark >> tag;
        Radio back;
        back.OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        EXPECT_TRUE(in.Error());
        EXPECT_FALSE(back.checked);  // a short record changes nothing
        EXPECT_EQ(-1, back.maxLines);
    }
}

TEST_F(ChecksTest, GoldenChecksAndRadios)
{
    Add<Check>("<checkbox id=\"c1\" left=\"4\" top=\"4\" width=\"180\" height=\"28\" label=\"Checked\" checked=\"true\" "
               "image=\"\"/>");
    Add<Check>("<checkbox id=\"c2\" left=\"4\" top=\"36\" width=\"180\" height=\"28\" label=\"Not checked\" image=\"\"/>");
    Add<Radio>("<radiobutton id=\"r1\" left=\"4\" top=\"68\" width=\"180\" height=\"24\" label=\"Chosen\" "
               "checked=\"true\"/>");
    Add<Radio>("<radiobutton id=\"r2\" left=\"4\" top=\"96\" width=\"180\" height=\"24\" label=\"Other\"/>");
    Layout();
    const TDibIG& frame = engine.Frame();
    TDibIG shot;
    ASSERT_TRUE(shot.Crea(200, 124, 16));
    for (int y = 0; y < 124; ++y)
        for (int x = 0; x < 200; ++x)
            shot.SetPixel(x, y, frame.GetPixel(x, y));
    EXPECT_TRUE(golden::Matches(shot, "controls/checks", 8, 40));
}

} // namespace
} // namespace controls
