// Buttons made from skin XML through the element factory, in a table box, walked
// with the arrow keys and pressed with Enter.
#include "label_button_fixture.h"

#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {

constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kEnter = 13;

class ButtonGridTest : public ControlTest {
protected:
    ButtonGridTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        engine.keysEnabled = 1;
        // Three columns, two rows: b0 b1 b2 / b3 b4 b5.
        std::string xml = "<box id=\"grid\" layout=\"Table\" layoutColumns=\"3\" layoutRows=\"2\" "
                          "width=\"300\" height=\"100\">";
        for (int i = 0; i < 6; ++i)
            xml += "<button id=\"b" + std::to_string(i) + "\" onCommand=\"press" + std::to_string(i) +
                   "\" text=\"" + std::to_string(i) + "\"/>";
        xml += "</box>";
        grid = Add<TPDAUIEngineElementBox>(xml);
    }

    std::string Focused() const { return page.focusedElement ? page.focusedElement->id.c_str() : ""; }

    TPDAUIEngineElementBox* grid = nullptr;
};

TEST_F(ButtonGridTest, TheFactoryMakesButtonsFromTheirTag)
{
    ASSERT_EQ(6, grid->children.Count());
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(nullptr, dynamic_cast<TPDAUIEngineElementButton*>(grid->children[i])) << i;
}

TEST_F(ButtonGridTest, ArrowKeysWalkTheGridByCellsAndRows)
{
    page.SetFocus(grid->FindElement("b0", false), false);
    struct Step {
        int key;
        const char* expected;
    } steps[] = {
        {kRight, "b1"}, {kRight, "b2"}, {kDown, "b5"}, {kLeft, "b4"},
        {kUp, "b1"},    {kLeft, "b0"},  {kDown, "b3"}, {kRight, "b4"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(::testing::Message() << "key " << s.key);
        engine.Key(s.key);
        EXPECT_EQ(s.expected, Focused());
    }
}

TEST_F(ButtonGridTest, EnterPressesTheFocusedButton)
{
    page.SetFocus(grid->FindElement("b4", false), false);
    engine.Key(kEnter);
    EXPECT_EQ(std::vector<std::string>{"press4"}, page.Names());
}

} // namespace
} // namespace controls
