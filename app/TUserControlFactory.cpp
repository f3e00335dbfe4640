#include "app/TUserControlFactory.h"

#include <cstring>
#include <new>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlPolivalentDataItem.h"
#include "display/usercontrols/TUserControlCompass.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "display/usercontrols/TUserControlOrbetaAds.h"
#include "enginelib/base/LibraryLog.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

TPDAUIEngineElement* MakePolivalentDataItem(TOrbetaApp* app) { return new TUserControlPolivalentDataItem(app); }
TPDAUIEngineElement* MakeCompass(TOrbetaApp* app) { return new TUserControlCompass(app); }
TPDAUIEngineElement* MakeGraficas_2011B(TOrbetaApp* app) { return new TUserControlGraficas_2011B(app); }
TPDAUIEngineElement* MakeOrbetaAds(TOrbetaApp* app) { return new TUserControlOrbetaAds(app); }

// Every row's class belongs to the map and live-data display; each row gets its
// maker when its class is written.
const TUserControlFactoryRow kRows[] = {
    {"usercontrol/usercontrolMapScale", "TUserControlMapScale", nullptr, false},
    {"usercontrol/usercontrolMaxVelocity", "TUserControlMaxVelocity", nullptr, false},
    {"usercontrol/usercontrolMapInfoNext", "TUserControlMapInfoNext", nullptr, false},
    {"usercontrol/usercontrolCompass", "TUserControlCompass", MakeCompass, false},
    {"usercontrol/usercontrolFriends", "TUserControlFriends", nullptr, false},
    {"usercontrol/usercontrolMapInfoCurrent", "TUserControlMapInfoCurrent", nullptr, false},
    {"usercontrol/usercontrolPolivalentDataItem", "TUserControlPolivalentDataItem", MakePolivalentDataItem, false},
    {"usercontrol/usercontrolSatellites", "TUserControlSatellites", nullptr, false},
    {"usercontrol/usercontrolBattery", "TUserControlBattery", nullptr, false},
    {"usercontrol/usercontrolGraficas_2011B", "TUserControlGraficas_2011B", MakeGraficas_2011B, true},
    {"usercontrol/usercontrolDistNextRadar", "TUserControlDistNextRadar", nullptr, false},
    {"usercontrol/usercontrolFriendChat", "TUserControlFriendChat", nullptr, false},
    {"usercontrol/usercontrolVelocity", "TUserControlVelocity", nullptr, false},
    {"usercontrol/usercontrolVelocityBig", "TUserControlVelocityBig", nullptr, false},
    {"usercontrol/usercontrolMapStatus", "TUserControlMapStatus", nullptr, false},
    {"usercontrol/usercontrolMapScaleOrStatus", "TUserControlMapScaleOrStatus", nullptr, false},
    {"usercontrol/usercontrolLanes", "TUserControlLanes", nullptr, false},
    {"usercontrol/usercontrolRadarBar", "TUserControlRadarBar", nullptr, false},
    {"usercontrol/usercontrolSignpost", "TUserControlSignpost", nullptr, false},
    {"usercontrol/usercontrolOrbetaAds", "TUserControlOrbetaAds", &MakeOrbetaAds, false},
};

const char kPrefix[] = "usercontrol/";

void Log(TOrbetaApp* app, const DString& line, bool registra)
{
    if (!app)
        LibraryLog(line.c_str());
    else if (registra)
        app->engine.RegistraGPS2(line.c_str(), 1);
    else
        app->engine.Log(line.c_str(), false);
}

} // namespace

const TUserControlFactoryRow* TUserControlFactory::Rows(int& count)
{
    count = (int)(sizeof(kRows) / sizeof(kRows[0]));
    return kRows;
}

TPDAUIEngineElement* TUserControlFactory::FuncCreateUserControlElementByNameCallBack(void* userData, const char* tag)
{
    if (!tag)
        return nullptr;
    auto* app = static_cast<TOrbetaApp*>(userData);
    for (const TUserControlFactoryRow& row : kRows) {
        if (std::strcmp(row.tag, tag) != 0)
            continue;
        if (row.logCreation) {
            DString line("FuncCreateUserControlElementByNameCallBack ");
            line << (row.tag + sizeof(kPrefix) - 1);
            Log(app, line, true);
        }
        if (!row.make) {
            DString line("user control ");
            line << tag << " (" << row.className << ") is not available";
            Log(app, line, false);
            return nullptr;
        }
        try {
            return row.make(app);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return nullptr;
}
