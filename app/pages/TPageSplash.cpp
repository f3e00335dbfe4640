#include "app/pages/TPageSplash.h"

#include "app/TOrbetaApp.h"

TPageSplash::TPageSplash(TOrbetaApp* app) : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app) {}
