// Every tag of the skin language builds its own class once the controls are
// registered; the comparison is case-sensitive.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/TestEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"
#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageAnimatedBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"
#include "uiengine/controls/TPDAUIEngineElementImageZoomeableBox.h"
#include "uiengine/controls/TPDAUIEngineElementKeyboardBox.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"
#include "uiengine/controls/TPDAUIEngineElementSliderLabel.h"
#include "uiengine/controls/TPDAUIEngineElementTabBox.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"
#include "uiengine/controls/TPDAUIEngineElementTrackBar.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementRepeater.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"
#include "uiengine/elements/TPDAUIEngineElementSplitter.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace {

template <class T>
bool Is(TPDAUIEngineElement* e)
{
    // The exact class: a subclass of T made for another tag would not do.
    return e && typeid(*e) == typeid(T);
}

TEST(FactoryTags, EveryTagOfTheSkinLanguageBuildsItsClass)
{
    RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
    TestEngine engine;
    struct Case {
        const char* tag;
        std::function<bool(TPDAUIEngineElement*)> is;
    } cases[] = {
        {"box", Is<TPDAUIEngineElementBox>},
        {"label", Is<TPDAUIEngineElementLabel>},
        {"button", Is<TPDAUIEngineElementButton>},
        {"checkbox", Is<TPDAUIEngineElementCheckBox>},
        {"radiobutton", Is<TPDAUIEngineElementRadioButton>},
        {"separator", Is<TPDAUIEngineElementSeparator>},
        {"progressbar", Is<TPDAUIEngineElementProgressBar>},
        {"trackbar", Is<TPDAUIEngineElementTrackBar>},
        {"canvas", Is<TPDAUIEngineElementCanvas>},
        {"toolbar", Is<TPDAUIEngineElementToolBar>},
        {"menu", Is<TPDAUIEngineElementMenu>},
        {"menuitem", Is<TPDAUIEngineElementMenuItem>},
        {"imagebox", Is<TPDAUIEngineElementImageBox>},
        {"imagezoomeablebox", Is<TPDAUIEngineElementImageZoomeableBox>},
        {"imagelist", Is<TPDAUIEngineElementImageList>},
        {"listbox", Is<TPDAUIEngineElementListBox>},
        {"repeater", Is<TPDAUIEngineElementRepeater>},
        {"repeateritem", Is<TPDAUIEngineElementRepeaterItem>},
        {"vscrollbar", Is<TPDAUIEngineElementVScrollBar>},
        {"textbox", Is<TPDAUIEngineElementTextBox>},
        {"combobox", Is<TPDAUIEngineElementComboBox>},
        {"imageanimatedbox", Is<TPDAUIEngineElementImageAnimatedBox>},
        {"autohidebox", Is<TPDAUIEngineElementAutoHideBox>},
        {"keyboardbox", Is<TPDAUIEngineElementKeyboardBox>},
        {"sliderbox", Is<TPDAUIEngineElementSliderBox>},
        {"sliderlabel", Is<TPDAUIEngineElementSliderLabel>},
        {"autofitlabel", Is<TPDAUIEngineElementAutoFitLabel>},
        {"iframe", Is<TPDAUIEngineElementIFrame>},
        {"tabbox", Is<TPDAUIEngineElementTabBox>},
        {"tabboxbuttons", Is<TPDAUIEngineElementTabBoxButtons>},
        {"tabboxbutton", Is<TPDAUIEngineElementTabBoxButton>},
        {"tabboxpages", Is<TPDAUIEngineElementTabBoxPages>},
        {"tabboxpage", Is<TPDAUIEngineElementTabBoxPage>},
        {"splitter", Is<TPDAUIEngineElementSplitter>},
        {"anchor", Is<TPDAUIEngineElementAnchor>},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TPDAUIEngineElement> e(TPDAUIEngineElementFactory::CreateElementByTag(&engine, c.tag));
        EXPECT_TRUE(c.is(e.get())) << c.tag;
        std::unique_ptr<TPDAUIEngineElement> upper(
            TPDAUIEngineElementFactory::CreateElementByTag(&engine, (std::string(1, char(c.tag[0] - 32)) + (c.tag + 1)).c_str()));
        EXPECT_EQ(nullptr, upper.get()) << c.tag;
    }
    std::unique_ptr<TPDAUIEngineElement> page(TPDAUIEngineElementFactory::CreateElementByTag(&engine, "page"));
    EXPECT_EQ(nullptr, page.get());
}

}  // namespace
