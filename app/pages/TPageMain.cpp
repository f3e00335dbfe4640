#include "app/pages/TPageMain.h"

#include "app/TOrbetaApp.h"

TPageMain::TPageMain(TOrbetaApp* app) : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app) {}
