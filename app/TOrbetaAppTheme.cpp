#include "app/TOrbetaApp.h"

// Skin theme, splash image and display settings: being written.
bool TOrbetaApp::ApplySkinTheme() { return false; }
int TOrbetaApp::ChangeUITheme(const DString&) { return 1; }
int TOrbetaApp::ActuScreen() { return 1; }
DString& TOrbetaApp::GetSplashImagePath(DString& path)
{
    path = "";
    return path;
}
void TOrbetaApp::ApplyDisplaySettings() {}
