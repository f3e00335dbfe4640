#include "app/TUserControlFactory.h"

#include <cstring>
#include <new>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlPolivalentDataItem.h"
#include "display/usercontrols/TUserControlCompass.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "display/usercontrols/TUserControlOrbetaAds.h"
#include "display/usercontrols/TUserControlBattery.h"
#include "display/usercontrols/TUserControlDistNextRadar.h"
#include "display/usercontrols/TUserControlFriendChat.h"
#include "display/usercontrols/TUserControlFriends.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "display/usercontrols/TUserControlRadarBar.h"
#include "display/usercontrols/TUserControlSatellites.h"
#include "display/usercontrols/TUserControlVelocity.h"
#include "display/usercontrols/TUserControlLanes.h"
#include "display/usercontrols/TUserControlMapInfoCurrent.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "display/usercontrols/TUserControlMapScale.h"
#include "display/usercontrols/TUserControlMapScaleOrStatus.h"
#include "display/usercontrols/TUserControlMapStatus.h"
#include "display/usercontrols/TUserControlSignpost.h"
#include "enginelib/base/LibraryLog.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

TPDAUIEngineElement* MakePolivalentDataItem(TOrbetaApp* app) { return new TUserControlPolivalentDataItem(app); }
TPDAUIEngineElement* MakeCompass(TOrbetaApp* app) { return new TUserControlCompass(app); }
TPDAUIEngineElement* MakeGraficas_2011B(TOrbetaApp* app) { return new TUserControlGraficas_2011B(app); }
TPDAUIEngineElement* MakeOrbetaAds(TOrbetaApp* app) { return new TUserControlOrbetaAds(app); }
// Battery, satellites, friends, speed, speed limit and speed cameras.
TPDAUIEngineElement* MakeBattery(TOrbetaApp* app) { return new TUserControlBattery(app); }
TPDAUIEngineElement* MakeSatellites(TOrbetaApp* app) { return new TUserControlSatellites(app); }
TPDAUIEngineElement* MakeFriends(TOrbetaApp* app) { return new TUserControlFriends(app); }
TPDAUIEngineElement* MakeFriendChat(TOrbetaApp* app) { return new TUserControlFriendChat(app); }
TPDAUIEngineElement* MakeVelocity(TOrbetaApp* app) { return new TUserControlVelocity(app); }
TPDAUIEngineElement* MakeVelocityBig(TOrbetaApp* app) { return new TUserControlVelocityBig(app); }
TPDAUIEngineElement* MakeMaxVelocity(TOrbetaApp* app) { return new TUserControlMaxVelocity(app); }
TPDAUIEngineElement* MakeDistNextRadar(TOrbetaApp* app) { return new TUserControlDistNextRadar(app); }
TPDAUIEngineElement* MakeRadarBar(TOrbetaApp* app) { return new TUserControlRadarBar(app); }
// Next manoeuvre, position, signpost, lanes, map scale and status.
TPDAUIEngineElement* MakeMapScale(TOrbetaApp* app) { return new TUserControlMapScale(app); }
TPDAUIEngineElement* MakeMapInfoNext(TOrbetaApp* app) { return new TUserControlMapInfoNext(app); }
TPDAUIEngineElement* MakeMapInfoCurrent(TOrbetaApp* app) { return new TUserControlMapInfoCurrent(app); }
TPDAUIEngineElement* MakeMapStatus(TOrbetaApp* app) { return new TUserControlMapStatus(app); }
TPDAUIEngineElement* MakeMapScaleOrStatus(TOrbetaApp* app) { return new TUserControlMapScaleOrStatus(app); }
TPDAUIEngineElement* MakeLanes(TOrbetaApp* app) { return new TUserControlLanes(app); }
TPDAUIEngineElement* MakeSignpost(TOrbetaApp* app) { return new TUserControlSignpost(app); }

// Every row's class belongs to the map and live-data display; each row gets its
// maker when its class is written.
const TUserControlFactoryRow kRows[] = {
    {"usercontrol/usercontrolMapScale", "TUserControlMapScale", &MakeMapScale, false},
    {"usercontrol/usercontrolMaxVelocity", "TUserControlMaxVelocity", &MakeMaxVelocity, false},
    {"usercontrol/usercontrolMapInfoNext", "TUserControlMapInfoNext", &MakeMapInfoNext, false},
    {"usercontrol/usercontrolCompass", "TUserControlCompass", MakeCompass, false},
    {"usercontrol/usercontrolFriends", "TUserControlFriends", &MakeFriends, false},
    {"usercontrol/usercontrolMapInfoCurrent", "TUserControlMapInfoCurrent", &MakeMapInfoCurrent, false},
    {"usercontrol/usercontrolPolivalentDataItem", "TUserControlPolivalentDataItem", MakePolivalentDataItem, false},
    {"usercontrol/usercontrolSatellites", "TUserControlSatellites", &MakeSatellites, false},
    {"usercontrol/usercontrolBattery", "TUserControlBattery", &MakeBattery, false},
    {"usercontrol/usercontrolGraficas_2011B", "TUserControlGraficas_2011B", MakeGraficas_2011B, true},
    {"usercontrol/usercontrolDistNextRadar", "TUserControlDistNextRadar", &MakeDistNextRadar, false},
    {"usercontrol/usercontrolFriendChat", "TUserControlFriendChat", &MakeFriendChat, false},
    {"usercontrol/usercontrolVelocity", "TUserControlVelocity", &MakeVelocity, false},
    {"usercontrol/usercontrolVelocityBig", "TUserControlVelocityBig", &MakeVelocityBig, false},
    {"usercontrol/usercontrolMapStatus", "TUserControlMapStatus", &MakeMapStatus, false},
    {"usercontrol/usercontrolMapScaleOrStatus", "TUserControlMapScaleOrStatus", &MakeMapScaleOrStatus, false},
    {"usercontrol/usercontrolLanes", "TUserControlLanes", &MakeLanes, false},
    {"usercontrol/usercontrolRadarBar", "TUserControlRadarBar", &MakeRadarBar, false},
    {"usercontrol/usercontrolSignpost", "TUserControlSignpost", &MakeSignpost, false},
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
