#pragma once
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;

// The application's icon helper; it paints count badges (a red disc with the
// number in white) for the controls that show unread counts.
class TAppIcon {
public:
    static TAppIcon* GetThis();
    void Pinta_IconoBadgeNumber(IDC& dc, TRectIG rect, const char* text, TColorIG colour);
};
