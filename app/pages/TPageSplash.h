#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;

// The splash page: shown modally by the first start-up stage; its timer runs the
// second stage.
class TPageSplash : public TPDAUIEngineElementPage {
public:
    explicit TPageSplash(TOrbetaApp* app);

    TOrbetaApp* app;
};
