#pragma once
#include "app/TOrbetaApp.h"

// The plain functions the application hands to the navigation library and to the
// UI engine's callback block. Each takes the application object as its user data.

void FuncProcesosLentosCallBack(void* app, TMonitorProc& monitor, const DString& message,
                                const DString& variableMessage, bool& cancel, EModoProcesosLentos mode, bool flag);
int FuncMessageBoxCallBack(void* app, const DString& text, const DString& caption, int flags, int seconds,
                           TCallbackLumor* callback);
// The language id and the right-to-left flag into the UI engine's skin settings.
void FuncLanguageChangedCallBack(void* app);

// Registers the library's callbacks, in the order the library is given them.
void RegisterEngineCallbacks(TOrbetaApp& app);
// Fills the UI engine's application-callback block.
void FillUIEngineCallbacks(TOrbetaApp& app);

// What the library answers for a wake-up click: true when the screen was off
// (the click only wakes it and goes no further).
bool AppWakeUpClick(TOrbetaApp& app);

// The application's sound and backlight settings, served by the platform.
void AppSetSoundVolume(int percent);
int AppGetSoundVolume();
bool AppGetSoundMute();
void AppSetSoundMute(bool on);
void AppSetBrightness(int percent);
int AppGetBrightness();
