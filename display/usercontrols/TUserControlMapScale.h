#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// The map's scale bar with its distance text ("usercontrol/usercontrolMapScale"),
// right-aligned in its box, as the library measures it for the map's zoom.
class TUserControlMapScale : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlMapScale(TOrbetaApp* app);
    ~TUserControlMapScale() override;

    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;

    // The checker colour of the bar beside the foreground.
    static const unsigned kDark = 0x282828;

    TOrbetaApp* app;
};
