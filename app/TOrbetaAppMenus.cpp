#include "app/TOrbetaApp.h"

// Menu items from command trees: being written.
TPDAUIEngineElement* TOrbetaApp::FillCommandButtons(TPDAUIEngineElement* container, TPDAUIEngineElement*,
                                                    TVectorComandas*, int, const char*, int, int, int, bool)
{
    return container;
}
void TOrbetaApp::RefreshMenuItems(TPDAUIEngineElement*, bool&) {}
