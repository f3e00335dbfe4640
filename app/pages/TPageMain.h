#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;

// The main page: the program's message loop runs in its modal loop; it hosts the
// map and data-tree pages in iframes.
class TPageMain : public TPDAUIEngineElementPage {
public:
    explicit TPageMain(TOrbetaApp* app);

    TOrbetaApp* app;
};
