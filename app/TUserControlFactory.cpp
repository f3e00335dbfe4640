#include "app/TUserControlFactory.h"

#include <cstring>
#include <new>

#include "app/TOrbetaApp.h"
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

// Makers of the next-manoeuvre, position, signpost, lane, scale and status controls.
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
    {"usercontrol/usercontrolMaxVelocity", "TUserControlMaxVelocity", nullptr, false},
    {"usercontrol/usercontrolMapInfoNext", "TUserControlMapInfoNext", &MakeMapInfoNext, false},
    {"usercontrol/usercontrolCompass", "TUserControlCompass", nullptr, false},
    {"usercontrol/usercontrolFriends", "TUserControlFriends", nullptr, false},
    {"usercontrol/usercontrolMapInfoCurrent", "TUserControlMapInfoCurrent", &MakeMapInfoCurrent, false},
    {"usercontrol/usercontrolPolivalentDataItem", "TUserControlPolivalentDataItem", nullptr, false},
    {"usercontrol/usercontrolSatellites", "TUserControlSatellites", nullptr, false},
    {"usercontrol/usercontrolBattery", "TUserControlBattery", nullptr, false},
    {"usercontrol/usercontrolGraficas_2011B", "TUserControlGraficas_2011B", nullptr, true},
    {"usercontrol/usercontrolDistNextRadar", "TUserControlDistNextRadar", nullptr, false},
    {"usercontrol/usercontrolFriendChat", "TUserControlFriendChat", nullptr, false},
    {"usercontrol/usercontrolVelocity", "TUserControlVelocity", nullptr, false},
    {"usercontrol/usercontrolVelocityBig", "TUserControlVelocityBig", nullptr, false},
    {"usercontrol/usercontrolMapStatus", "TUserControlMapStatus", &MakeMapStatus, false},
    {"usercontrol/usercontrolMapScaleOrStatus", "TUserControlMapScaleOrStatus", &MakeMapScaleOrStatus, false},
    {"usercontrol/usercontrolLanes", "TUserControlLanes", &MakeLanes, false},
    {"usercontrol/usercontrolRadarBar", "TUserControlRadarBar", nullptr, false},
    {"usercontrol/usercontrolSignpost", "TUserControlSignpost", &MakeSignpost, false},
    {"usercontrol/usercontrolOrbetaAds", "TUserControlOrbetaAds", nullptr, false},
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
