#pragma once
#include "enginelib/draw/Geometry.h"

class IDC;
class TPDAUIEngineElement;

// What check boxes and radio buttons paint first: the state (disabled, else
// focused, else hovered, else normal; never pressed), its background and border
// in the element rectangle R, and the content rectangle Q inside the border and
// the paddings. Answers the state.
int PaintToggleFrame(TPDAUIEngineElement& element, IDC* dc, int x, int y, TRectIG& r, TRectIG& q);
