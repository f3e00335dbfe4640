// A menu shown on a headless page: clamped to the screen, pushed as a pop-up,
// closed by Escape with its hide command sent to the page.
#include "label_button_fixture.h"

#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {

class MenuPopupTest : public ControlTest {
protected:
    MenuPopupTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
        menu = Add<TPDAUIEngineElementMenu>(
            "<menu id=\"m\"><label label=\"Open\"/><label label=\"Close\"/></menu>");
    }

    bool Shown() const
    {
        for (int i = 0; i < page.popups.Count(); ++i)
            if (page.popups[i] == menu)
                return true;
        return false;
    }

    TPDAUIEngineElementMenu* menu = nullptr;
};

TEST_F(MenuPopupTest, ShownNearTheCornerStaysOnScreenAndEscapeClosesIt)
{
    ASSERT_NE(nullptr, menu);
    menu->Popup(795, 475, DString("menuHidden"));
    ASSERT_TRUE(Shown());
    EXPECT_GT(menu->width, 0);
    EXPECT_GT(menu->height, 0);
    EXPECT_GE(menu->left, 0);
    EXPECT_GE(menu->top, 0);
    EXPECT_LE(menu->left + menu->width, 800);
    EXPECT_LE(menu->top + menu->height, 480);

    unsigned char handled = 0;
    menu->OnKeyUp(27, &handled, 0);
    EXPECT_EQ(1, handled);
    EXPECT_FALSE(Shown());
    engine.Advance(100);
    bool hidden = false;
    for (const auto& r : page.raised)
        hidden = hidden || r.name == "menuHidden";
    EXPECT_TRUE(hidden);
}

TEST_F(MenuPopupTest, WindowModeIsNotPushedAsAPopup)
{
    ASSERT_NE(nullptr, menu);
    menu->SetAttribute("mode", "Window");
    menu->Popup(10, 10, DString("gone"));
    EXPECT_FALSE(Shown());
    EXPECT_STREQ("gone", menu->onHideCommand.c_str());
}

} // namespace
} // namespace controls
