#pragma once
#include <string>
#include <vector>

#include "enginelib/nav/TConfigRecent.h"
#include "enginelib/nav/TvarConfig.h"

// The library's configuration: typed settings by role, each with its default, kept
// in "enginelib.cfg" in the application-data folder as "key=value" lines (UTF-8).
// A file that does not read whole leaves every setting at its default: a setting
// is never half-loaded.
class TConfig {
    // First: the settings below add themselves to it as they are built.
    std::vector<TvarConfig*> variables_;
    bool modified_ = false;

public:
    // dataFolder: the application-data folder, which the folder settings default into.
    explicit TConfig(const std::string& dataFolder = "");
    TConfig(const TConfig&) = delete;
    TConfig& operator=(const TConfig&) = delete;

    static const char* FileName() { return "enginelib.cfg"; }

    // Every setting, in declaration order.
    const std::vector<TvarConfig*>& Variables() const { return variables_; }
    TvarConfig* Find(const char* key) const;

    // Reads path; on a missing file keeps the defaults and answers true. On a file
    // that does not read, every setting goes back to its default, error names the
    // file and the line, and the answer is false. Unknown keys are skipped.
    bool Load(const std::string& path, std::string& error);
    // The settings whose values differ from their defaults, and the recent lists.
    bool Save(const std::string& path, std::string& error) const;
    void ResetAll();
    // Creates the data folders the settings name (screenshots, font copies).
    void Crea_Carpetas(bool create);
    bool IsModified() const { return modified_; }

    // ---- start-up, window, display and sound ----
    TintConfig screenMode{this, "screenMode", 2};
    TintConfig fixedWidth{this, "fixedWidth", 0};
    TintConfig fixedHeight{this, "fixedHeight", 0};
    TintConfig fixedLeft{this, "fixedLeft", -1};
    TintConfig fixedTop{this, "fixedTop", -1};
    TintConfig keyboardKind{this, "keyboardKind", 0};
    TstringConfig windowGeometry{this, "windowGeometry", ""};
    TfloatConfig uiScale{this, "uiScale", 1.0f};
    TintConfig screenWidth{this, "screenWidth", 0};
    TintConfig screenHeight{this, "screenHeight", 0};
    TintConfig keyboardType{this, "keyboardType", 1};
    TboolConfig soundsEnabled{this, "soundsEnabled", true};
    TintConfig appSettingA{this, "appSettingA", -1};
    TintConfig appSettingB{this, "appSettingB", -1};
    TstringConfig fontCopyFolder{this, "fontCopyFolder", ""};
    TstringConfig folders{this, "folders", ""};
    TstringConfig skinName{this, "skinName", ""};
    TintConfig languageId{this, "languageId", 0};
    TintConfig languageIdPrevious{this, "languageIdPrevious", 0};
    TintConfig rotation{this, "rotation", 0};
    TboolConfig rotationSaveEnabled{this, "rotationSaveEnabled", true};
    TboolConfig rotationFollowDevice{this, "rotationFollowDevice", true};
    TintConfig backlight{this, "backlight", 80};
    TintConfig volume{this, "volume", 70};
    TboolConfig openGL{this, "openGL", false};
    TboolConfig copyPaste{this, "copyPaste", true};
    TintConfig touchCalibrationGuard{this, "touchCalibrationGuard", 0};

    // ---- themes, day and night, power ----
    TboolConfig nightColours{this, "nightColours", false};
    TboolConfig autoDayNight{this, "autoDayNight", false};
    TstringConfig routeThemes{this, "routeThemes", "road|roadAlt"};
    TintConfig alternativeTheme{this, "alternativeTheme", 0};
    TintConfigRtngMode rtngMode{this, "rtngMode", 0};
    TintConfig staticNavigation{this, "staticNavigation", 0};
    TboolConfig fixedPower{this, "fixedPower", false};
    TboolConfig powerAlarm{this, "powerAlarm", false};
    TintConfig autonomyThreshold{this, "autonomyThreshold", -1};
    TboolConfig exitLaunch{this, "exitLaunch", false};
    TboolConfig screenshotNotify{this, "screenshotNotify", false};
    TintConfig routingMapFlag{this, "routingMapFlag", 1};

    // ---- map page and live display ----
    TboolConfig fullScreen{this, "fullScreen", false};
    TboolConfig onRoad{this, "onRoad", true};
    TboolConfig zoomRepeat{this, "zoomRepeat", true};
    TboolConfig hideZoomButtons{this, "hideZoomButtons", false};
    TfloatConfig blockingSpeed{this, "blockingSpeed", 0.0f};
    TboolConfig showNavigationPanel{this, "showNavigationPanel", true};
    TintConfig sliderMode{this, "sliderMode", 0};
    TboolConfig hideMenuButton{this, "hideMenuButton", false};
    TboolConfig miniMenu{this, "miniMenu", false};
    TboolConfig hideMainToolbar{this, "hideMainToolbar", false};
    TboolConfig PolivalentDataLayoutUseAlternate{this, "PolivalentDataLayoutUseAlternate", false};
    TstringConfig PolivalentDataLayoutPrimary{
        this, "PolivalentDataLayoutPrimary",
        "Map:21,300,86;Trip_1:21,47,98,41,306,86,351,330;Nav_2:318,314,300,306,352,364,351;"
        "Radar_3:351,319,21,352,47;Profile_4:66,339,21,41"};
    TstringConfig PolivalentDataLayoutAlternate{this, "PolivalentDataLayoutAlternate", "Map:21,86;Trip_1:21,47"};
    TintConfig PolivalentDataCurrentPage{this, "PolivalentDataCurrentPage", 0};
    TstringConfig sliderState{this, "sliderState", "0|0"};
    TboolConfig mute{this, "mute", false};
    TintConfig nextManoeuvreAction{this, "nextManoeuvreAction", 0};
    TboolConfig mapContextMenu{this, "mapContextMenu", true};
    TboolConfig statusPageDisabled{this, "statusPageDisabled", false};
    TboolConfig doubleClick{this, "doubleClick", true};
    TintConfig coordFormat{this, "coordFormat", 32};
    TboolConfig nextManoeuvreFlag{this, "nextManoeuvreFlag", false};
    TintConfig manoeuvreStyle{this, "manoeuvreStyle", 1};
    TboolConfig batteryDisplayHidden{this, "batteryDisplayHidden", false};
    TintConfig mapInfoNextLines{this, "mapInfoNextLines", 2};
    TboolConfig hideAttachments{this, "hideAttachments", false};
    TboolConfig showFileName{this, "showFileName", false};
    TboolConfig showLanes{this, "showLanes", true};
    TboolConfig bigSpeedSign{this, "bigSpeedSign", false};
    TintConfig speedAlertMode{this, "speedAlertMode", 4};
    TintConfigRtng mapScale{this, "mapScale", 1};
    TboolConfig hideBatteryBox{this, "hideBatteryBox", false};
    TboolConfig hideReceiverSettings{this, "hideReceiverSettings", false};
    TboolConfig hideBrightness{this, "hideBrightness", false};
    TboolConfig hideTrackBox{this, "hideTrackBox", false};
    TboolConfig altSignalMode{this, "altSignalMode", false};
    TintConfig endPropertiesOnCancel{this, "endPropertiesOnCancel", 0};

    // ---- menus, lists, destinations and dialogs ----
    TintConfigRtng menuListMode{this, "menuListMode", 0};
    TintConfigRtng gotoKeepsAddressPage{this, "gotoKeepsAddressPage", 0};
    TboolConfig hideQuit{this, "hideQuit", false};
    TstringConfig dataTreeFilter{this, "dataTreeFilter", ""};
    TboolConfig childrenQueryA{this, "childrenQueryA", false};
    TboolConfig childrenQueryB{this, "childrenQueryB", true};
    TboolConfig playOnSelect{this, "playOnSelect", false};
    TboolConfig expandOnSelect{this, "expandOnSelect", true};
    TboolConfig trackCategories{this, "trackCategories", true};
    TboolConfig showAdvice{this, "showAdvice", false};
    TstringConfig initialSteps{this, "initialSteps", ""};
    TboolConfig continueOrNewNavigation{this, "continueOrNewNavigation", false};
    TstringConfig lastDestination{this, "lastDestination", "#HISTORIC"};
    TstringConfig secondDestination{this, "secondDestination", ""};
    TintConfig okSetting{this, "okSetting", 0};
    TintConfig unitSettings{this, "unitSettings", 0};
    TstringConfig storedLoginNimbox{this, "storedLogin.Nimbox", ""};
    TstringConfig dataFieldChooser{this, "dataFieldChooser", "21,47,86"};

    // ---- recent lists ----
    TConfigRecent recentFiles{9};
    TConfigRecent recentCities{10};

private:
    friend class TvarConfig;
    void Add(TvarConfig* v) { variables_.push_back(v); }
    void MarkModified() { modified_ = true; }
};
