#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "uiengine/controls/TPDAUIEngineElementMenu.h"

namespace {

struct ClampCase {
    const char* name;
    int x, y, w, h, screenW, screenH;
    int left, top;
};

TEST(MenuPopup, ClampsToTheScreen)
{
    const ClampCase cases[] = {
        {"fits", 10, 20, 50, 40, 320, 240, 10, 20},
        {"past right edge", 300, 20, 50, 40, 320, 240, 270, 20},
        {"past bottom edge", 10, 230, 50, 40, 320, 240, 10, 200},
        {"past both edges", 319, 239, 50, 40, 320, 240, 270, 200},
        {"wider than screen", 5, 5, 400, 40, 320, 240, 0, 5},
        {"taller than screen", 5, 5, 50, 300, 320, 240, 5, 0},
        {"negative point", -30, -7, 50, 40, 320, 240, 0, 0},
        {"exactly at the edge", 270, 200, 50, 40, 320, 240, 270, 200},
        {"point near INT_MAX", INT_MAX - 1, INT_MAX - 1, 50, 40, 320, 240, 270, 200},
    };
    for (const auto& c : cases) {
        int l = -1, t = -1;
        TPDAUIEngineElementMenu::ClampToScreen(c.x, c.y, c.w, c.h, c.screenW, c.screenH, &l, &t);
        EXPECT_EQ(l, c.left) << c.name;
        EXPECT_EQ(t, c.top) << c.name;
    }
}

TEST(MenuAttributes, SetAndGet)
{
    struct Case {
        const char* name;
        const char* value;
        const char* expected;  // what GetAttribute then answers
    };
    const Case cases[] = {
        {"showImages", "false", "false"},
        {"showImages", "true", "true"},
        {"showImages", "yes", "false"},  // only "true" is true
        {"mode", "Window", "Window"},
        {"mode", "Default", "Default"},
    };
    for (const auto& c : cases) {
        TPDAUIEngineElementMenu menu;
        menu.SetAttribute(c.name, c.value);
        EXPECT_EQ(std::string(menu.GetAttribute(c.name).c_str()), c.expected) << c.name << "=" << c.value;
    }

    TPDAUIEngineElementMenu menu;
    menu.SetAttribute("mode", "Window");
    menu.SetAttribute("mode", "Sideways");  // unknown text leaves the mode alone
    EXPECT_EQ(menu.mode, TPDAUIEngineElementMenu::Window);
    menu.SetAttribute("onHideCommand", "hidden");
    EXPECT_STREQ(menu.onHideCommand.c_str(), "hidden");
}

TEST(MenuKeys, NavigationKeysStayInTheMenu)
{
    const int swallowedDown[] = {9, 37, 38, 39, 40};
    for (int key : swallowedDown) {
        TPDAUIEngineElementMenu menu;
        unsigned char handled = 0, consumed = 0;
        menu.OnKeyDown(key, &handled, &consumed);
        EXPECT_EQ(handled, 1) << key;
    }
    const int swallowedUp[] = {13, 32};
    for (int key : swallowedUp) {
        TPDAUIEngineElementMenu menu;
        unsigned char handled = 0;
        menu.OnKeyUp(key, &handled, 0);
        EXPECT_EQ(handled, 1) << key;
    }
    // Escape on a menu that is not shown is left to the box.
    TPDAUIEngineElementMenu menu;
    EXPECT_FALSE(menu.IsOpenPopup());
}

TEST(MenuCopy, CopiesTheHideCommand)
{
    TPDAUIEngineElementMenu a, b;
    a.onHideCommand = "closeIt";
    b.CopyFrom(&a);
    EXPECT_STREQ(b.onHideCommand.c_str(), "closeIt");
}

} // namespace
