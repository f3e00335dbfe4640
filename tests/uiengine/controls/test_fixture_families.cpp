// The fixture skin's pages of check controls and of container boxes, driven by
// scripted input as an application page would be, and their golden pictures.
#include <memory>
#include <string>
#include <vector>

#include "label_button_fixture.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterChecks.h"
#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/controls/RegisterTabBox.h"
#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"
#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"
#include "uiengine/controls/TPDAUIEngineElementTabBox.h"
#include "uiengine/controls/TPDAUIEngineElementTrackBar.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {
using namespace controls;

class FixturePage : public TPDAUIEngineElementPage {
public:
    FixturePage(TPDAUIEngine* e, const char* name) : TPDAUIEngineElementPage(e), name_(name) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, name_);
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (!c.name.IsEmpty() && c.name != "load")
            raised.push_back(c.name.c_str());
    }
    std::vector<std::string> raised;

private:
    const char* name_;
};

class FamilyPageTest : public ::testing::Test {
protected:
    FamilyPageTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterCheckElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterTabBoxElements(&TPDAUIEngineElementFactory::RegisterTag);
        engine.skinsFolder = testpaths::Fixture("skins").c_str();
    }
    ~FamilyPageTest() override { engine.pages.RemoveAll(); }

    FixturePage* Open(const char* name)
    {
        DString skin("fixture"), error;
        EXPECT_TRUE(engine.LoadSkin(skin, "", "", "", error)) << error.c_str();
        // The fixture skin embeds no font: its pages write with the default skin's.
        EXPECT_TRUE(engine.AddFont((testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf").c_str()));
        owned.reset(new FixturePage(&engine, name));
        engine.OpenPage(owned.get());
        engine.Advance(500);
        return owned.get();
    }
    template <class T>
    T* Find(const char* id)
    {
        T* e = dynamic_cast<T*>(owned->FindElement(id, false));
        EXPECT_NE(nullptr, e) << id;
        return e;
    }
    TPointIG Centre(const char* id)
    {
        const TRectIG r = owned->FindElement(id, false)->GetScreenRect();
        return TPointIG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Tap(const char* id)
    {
        const TPointIG p = Centre(id);
        engine.Tap(p.x, p.y);
        engine.Advance(100);
    }

    ControlEngine engine;
    std::unique_ptr<FixturePage> owned;
};

TEST_F(FamilyPageTest, ChecksPageTogglesGroupsAndDragsTheTrackBar)
{
    FixturePage* page = Open("pageChecks");
    auto* sound = Find<TPDAUIEngineElementCheckBox>("chkSound");
    auto* km = Find<TPDAUIEngineElementRadioButton>("rdoKm");
    auto* miles = Find<TPDAUIEngineElementRadioButton>("rdoMiles");
    auto* volume = Find<TPDAUIEngineElementTrackBar>("trkVolume");
    ASSERT_TRUE(sound && km && miles && volume);
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/page_checks", 8, 60));

    Tap("chkSound");
    EXPECT_FALSE(sound->checked);
    Tap("rdoMiles");
    EXPECT_TRUE(miles->checked);
    EXPECT_FALSE(km->checked);
    Tap("rdoMiles");  // a checked radio button stays checked
    EXPECT_TRUE(miles->checked);

    // Dragging the thumb to the bar's right end sets the maximum.
    const TRectIG bar = volume->GetScreenRect();
    const int thumbX = bar.left + (bar.right - bar.left) * volume->value / 100;
    const int y = (bar.top + bar.bottom) / 2;
    engine.Press(thumbX, y);
    for (int x = thumbX; x <= bar.right + 20; x += 10) {
        engine.Advance(20);
        engine.Move(x, y);
    }
    engine.Release(bar.right + 20, y);
    engine.Advance(100);
    EXPECT_EQ(100, volume->value);
    EXPECT_NE(page->raised.end(), std::find(page->raised.begin(), page->raised.end(), "volume"));
    EXPECT_EQ("sound", page->raised.front());
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/page_checks_changed", 8, 60));
}

TEST_F(FamilyPageTest, BoxesPageSwitchesTabsDragsTheSplitterAndSlides)
{
    FixturePage* page = Open("pageBoxes");
    auto* tabs = Find<TPDAUIEngineElementTabBox>("tabMain");
    auto* left = page->FindElement("boxLeft", false);
    auto* slider = Find<TPDAUIEngineElementSliderBox>("sldNews");
    auto* route = page->FindElement("tbpRoute", false);
    auto* map = page->FindElement("tbpMap", false);
    auto* mapLabel = page->FindElement("lblMap", false);
    ASSERT_TRUE(tabs && left && slider && route && map && mapLabel);
    EXPECT_TRUE(route->visible);
    EXPECT_FALSE(map->visible);
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/page_boxes", 8, 60));

    Tap("tbbMap");
    EXPECT_FALSE(route->visible);
    EXPECT_TRUE(map->visible);
    EXPECT_GT(mapLabel->width, 0);  // the shown page is laid out

    const int before = left->width;
    const TPointIG grip = Centre("splMain");
    engine.Press(grip.x, grip.y);
    for (int dx = 10; dx <= 40; dx += 10) {
        engine.Advance(20);
        engine.Move(grip.x + dx, grip.y);
    }
    engine.Release(grip.x + 40, grip.y);
    engine.Advance(100);
    EXPECT_EQ(before + 40, left->width);
    EXPECT_NE(page->raised.end(), std::find(page->raised.begin(), page->raised.end(), "split"));

    // The slider moves to its second child over the virtual clock.
    slider->ShowNext();
    EXPECT_TRUE(slider->InTransition());
    for (int ms = 0; ms < 2000 && slider->InTransition(); ms += 50) {
        engine.Advance(50);
        engine.Frame();  // the slide moves as it is painted
    }
    EXPECT_FALSE(slider->InTransition());
    EXPECT_EQ(1, slider->layoutCardIndex);
    EXPECT_TRUE(golden::Matches(engine.Frame(), "controls/page_boxes_changed", 8, 60));
}

}  // namespace
