// All seven controls on one page under random drive times, field values and
// taps: nothing crashes, and the controls keep their invariants.
#include <random>

#include "display/usercontrols/TUserControlLanes.h"
#include "display/usercontrols/TUserControlMapInfoCurrent.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "display/usercontrols/TUserControlMapScaleOrStatus.h"
#include "enginelib/nav/TBaliza.h"
#include "test_mapinfo_fixture.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {
using namespace mapinfotest;

const char kPage[] =
    "<page id=\"pageMapInfoTest\" layout=\"Absolute\" background=\"#204060\">"
    "<usercontrol type=\"usercontrolMapInfoNext\" id=\"next\" left=\"0\" top=\"0\" width=\"400\" height=\"100\"/>"
    "<usercontrol type=\"usercontrolMapInfoCurrent\" id=\"current\" left=\"0\" top=\"420\" width=\"400\" "
    "height=\"48\"/>"
    "<usercontrol type=\"usercontrolLanes\" id=\"lanes\" left=\"0\" top=\"110\" width=\"400\" height=\"40\"/>"
    "<usercontrol type=\"usercontrolSignpost\" id=\"signpost\" left=\"420\" top=\"0\" width=\"360\" "
    "height=\"120\"/>"
    "<usercontrol type=\"usercontrolMapScale\" id=\"scale\" left=\"600\" top=\"300\" width=\"180\" height=\"40\"/>"
    "<usercontrol type=\"usercontrolMapStatus\" id=\"status\" left=\"600\" top=\"350\" width=\"180\" height=\"50\"/>"
    "<usercontrol type=\"usercontrolMapScaleOrStatus\" id=\"both\" left=\"600\" top=\"410\" width=\"180\" "
    "height=\"60\"/>"
    "</page>";

const char* const kLaneTexts[] = {"", "#", "#a1B", "A1b1c1d1e1F", "(((((((((((((", "zzzzzzzzzzzzzzzz", "#g1a1a1a1C1C",
                                  "\xff\x01#a"};
const char* const kManoeuvres[] = {"", ":", "::", ":Go", "[M7]", "<14", "[", "\n\n\n\n\n", "<14> A\n[B12] B\nC\nD\nE\nF"};

class MapInfoRandom : public MapInfoTest {};

TEST_F(MapInfoRandom, RandomTimesFieldsAndTapsKeepEveryControlSound)
{
    page = new XmlPage(app.ui, kPage);
    app.ui->OpenPage(page);
    auto* next = dynamic_cast<TUserControlMapInfoNext*>(page->FindElement("next", false));
    auto* lanes = dynamic_cast<TUserControlLanes*>(page->FindElement("lanes", false));
    auto* both = dynamic_cast<TUserControlMapScaleOrStatus*>(page->FindElement("both", false));
    ASSERT_NE(next, nullptr);
    ASSERT_NE(lanes, nullptr);
    ASSERT_NE(both, nullptr);
    ASSERT_NE(page->FindElement("current", false), nullptr);
    TBaliza waypoint("Random", TDemoRoute::Point{0, 0}, true);

    std::mt19937 random(18);
    const double period = TDemoRoute::Get().Period();
    for (int step = 0; step < 400; ++step) {
        app.engine.fields.forced.clear();
        app.At(std::uniform_real_distribution<double>(0, period * 1.2)(random));
        switch (random() % 6) {
        case 0:
            Force(364, kLaneTexts[random() % (sizeof kLaneTexts / sizeof *kLaneTexts)]);
            Force(300, "", std::uniform_real_distribution<double>(-10, 2000)(random));
            break;
        case 1:
            Force(318, kManoeuvres[random() % (sizeof kManoeuvres / sizeof *kManoeuvres)]);
            break;
        case 2:
            Force(374, "Random", 0, random() % 2 ? &waypoint : nullptr);
            Force(330, "", (double)((int)(random() % 12) - 3));
            break;
        case 3:
            Force(2205, "", (double)(random() % 64));
            Force(2103, "x", (double)(random() % 120));
            break;
        default:
            break;
        }
        if (random() % 3 == 0)
            app.engine.visor->zoomLevel = random() % TVisor_LumorGPS_Comun::kZoomLevels;
        if (random() % 4 == 0)
            app.ui->Tap(random() % 800, random() % 480);
        app.ui->Advance(random() % 1500);
        app.ui->Frame();
        ASSERT_GE(next->shownLines, 1);
        ASSERT_LE(both->boxSliderBox->layoutCardIndex, 1);
        if (lanes->shown) {
            TValCampo distance;
            app.engine.Retorna_Val_Campo_Global(300, distance, true, false);
            ASSERT_TRUE(distance.valor >= 0.0001 && distance.valor <= 1000.0);
        }
    }
}

} // namespace
