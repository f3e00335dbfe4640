#pragma once
#include <cstdint>

class DString;
class TPDAUIEngineElement;

// The application's callbacks into the engine's world. Each receives the
// application user data first. A null pointer is skipped; the engine then uses
// the neutral answer noted beside it.

// translate: rewrites text in place. TranslateText passes mode 1 on a copy;
// TranslateLanguageIds passes mode 0 on the caller's text and answers the result.
typedef int (*FuncSustituyeIdIdiomaCallBack)(void* userData, DString* text, int mode);
// play sound: full path of the sound file and the caller's flag.
typedef void (*FuncPlaySoundCallBack)(void* userData, const char* path, int flag);
typedef void (*FuncSetSoundVolumeCallBack)(void* userData, int value1, int value2);
typedef int (*FuncGetSoundVolumeCallBack)(void* userData, int value1, int value2);  // null: 0
typedef int (*FuncGetSoundMuteCallBack)(void* userData);                           // null: 0
typedef void (*FuncSetSoundMuteCallBack)(void* userData, int value1, int value2);
// skin changed: the engine itself never calls it.
typedef void (*FuncSkinChangedCallBack)(void* userData, int value1, int value2);
// wake up: non-zero swallows the event. The keys manager passes 0 as press data.
typedef int (*FuncWakeUpCallBack)(void* userData, intptr_t pressData);
// quit cleanup: called by ShowPageModal when its loop ended because of quit.
typedef void (*FuncPlatformHookCallBack)(void* userData);
// text input for an element: non-zero when handled.
typedef int (*FuncInputBoxCallBack)(void* userData, TPDAUIEngineElement* element);
// combo-box input and context menu: values passed through, the answer goes back.
typedef int (*FuncInputComboBoxCallBack)(void* userData, TPDAUIEngineElement* comboBox,
                                         intptr_t value);
typedef int (*FuncShowContextMenuCallBack)(void* userData, TPDAUIEngineElement* menu, int x,
                                           int y);
typedef void (*FuncSetBrightnessCallBack)(void* userData, int value1, int value2);
typedef int (*FuncGetBrightnessCallBack)(void* userData, int value1, int value2);  // null: 0
// user-control factory: a new unloaded element for a "usercontrol..." tag, or null.
typedef TPDAUIEngineElement* (*FuncCreateUserControlElementByNameCallBack)(void* userData,
                                                                           const char* tag);
// UI command: commands no page took. The engine passes an empty second text and a
// scratch handled byte; neither is read back.
typedef void (*FuncUICommandCallBack)(void* userData, const char* command, const char* second,
                                      int elapsed, uint8_t* handled, intptr_t data);
// input blocked: pointer releases (x, y) and blocked key definitions (0, 0).
typedef void (*FuncShowBlockerCallBack)(void* userData, int x, int y);
typedef void (*FuncSaveWindowGeometryCallBack)(void* userData, int screenMode, int x, int y,
                                               int width, int height);
typedef void (*FuncOrientationChangedCallBack)(void* userData, int angle, int value);

// The block the application fills once, before the skin is loaded. There is no
// setter: the application writes the members directly.
struct TPDAUIEngineCallbacks {
    void* userData = nullptr;
    FuncSustituyeIdIdiomaCallBack translate = nullptr;
    FuncPlaySoundCallBack playSound = nullptr;
    FuncSetSoundVolumeCallBack setSoundVolume = nullptr;
    FuncGetSoundVolumeCallBack getSoundVolume = nullptr;
    FuncGetSoundMuteCallBack getSoundMute = nullptr;
    FuncSetSoundMuteCallBack setSoundMute = nullptr;
    FuncSkinChangedCallBack skinChanged = nullptr;
    FuncWakeUpCallBack wakeUp = nullptr;
    FuncPlatformHookCallBack quitCleanup = nullptr;
    FuncInputBoxCallBack textInput = nullptr;
    FuncInputComboBoxCallBack comboBoxInput = nullptr;
    FuncShowContextMenuCallBack contextMenu = nullptr;
    FuncSetBrightnessCallBack setBrightness = nullptr;
    FuncGetBrightnessCallBack getBrightness = nullptr;
    FuncCreateUserControlElementByNameCallBack userControlFactory = nullptr;
    FuncUICommandCallBack uiCommand = nullptr;
    FuncShowBlockerCallBack inputBlocked = nullptr;
    FuncSaveWindowGeometryCallBack windowGeometry = nullptr;
    FuncOrientationChangedCallBack orientation = nullptr;
};
