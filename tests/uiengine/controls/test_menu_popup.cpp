// A menu shown on a headless page: clamped to the screen, pushed as a pop-up,
// closed by Escape with its hide command sent to the page.
#include "label_button_fixture.h"

#include <fstream>
#include <iterator>

#include "enginelib/base/TFicheroITV.h"

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

TEST_F(MenuPopupTest, CompiledRecordRoundTripsAndAShortOneChangesNothing)
{
    ASSERT_NE(nullptr, menu);
    menu->SetAttribute("onHideCommand", "bye");
    menu->SetAttribute("showImages", "false");
    menu->SetAttribute("mode", "Window");
    testpaths::TempDir dir;
    const std::string path = dir / "menu.bin";
    TFicheroITV f;
    ASSERT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
    menu->Save(f);
    ASSERT_TRUE(f.Cierra());
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    struct Case {
        const char* name;
        size_t cut;  // bytes left off the end
        bool sound;
    };
    const Case cases[] = {{"whole", 0, true}, {"mode cut", 2, false}, {"all menu fields cut", 9, false}};
    for (const auto& c : cases) {
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)(bytes.size() - c.cut));
        char mark = 0;
        DString tag;
        in >> mark >> tag;
        TPDAUIEngineElementMenu back;
        back.OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        EXPECT_EQ(c.sound, !in.Error() && in.Restantes() == 0) << c.name;
        EXPECT_STREQ(c.sound ? "bye" : "", back.onHideCommand.c_str()) << c.name;
        EXPECT_EQ(c.sound ? TPDAUIEngineElementMenu::Window : TPDAUIEngineElementMenu::Default, back.mode) << c.name;
        EXPECT_EQ(!c.sound, back.showImages) << c.name;
    }
}

} // namespace
} // namespace controls
