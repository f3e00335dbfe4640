#pragma once

#include "enginelib/base/DString.h"

class TFicheroITV;

// Skin pixels and screen pixels. Skins give sizes at UI scale 1.0; the screen
// value is the skin value times the UI scale in single precision, truncated
// toward zero. Results are saturated to the int range, and a scale that is not
// positive counts as 1.0.
struct TPDAUIEngineUIScale {
    // Truncated toward zero and saturated (NaN gives 0).
    static int Truncate(float value);
    static int Multiply(int value, float scale);
    static int Divide(int value, float scale);
    // The compiled forms keep a length in one signed byte: the value divided by
    // the scale, held to -128..127 so that a large length stays large.
    static int DivideToByte(int value, float scale);
    // An image-scale attribute: finite and below a million, else 0 (no scale of
    // its own), so that no skin value can overflow the sizes it multiplies.
    static float Parse(const char* text);
    // The scale as text that reads back as the same float.
    static DString Text(float value);
};

// Element margins in screen pixels, or in percent of the screen (width for left
// and right, height for top and bottom) where the side's flag is set.
class TPDAUIEngineMargins {
public:
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool leftPercent = false;
    bool topPercent = false;
    bool rightPercent = false;
    bool bottomPercent = false;

    void Clear();
    // Values to 0; the percent flags stay.
    void ClearValues();

    // Resolved in screen pixels: a percentage is of the live engine's screen
    // (the skin settings' size; 0 when no engine is live), truncated toward zero.
    int GetLeft() const;
    int GetTop() const;
    int GetRight() const;
    int GetBottom() const;

    // Four signed bytes (unscaled; percentages as they are), then four flags.
    void LoadCompiled(TFicheroITV& stream);
    void SaveCompiled(TFicheroITV& stream) const;
};

// Element paddings in screen pixels; inner is the space containers put between
// their children.
class TPDAUIEnginePadding {
public:
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int inner = 0;

    void Clear();
    // Adds delta to all five values.
    void Offset(int delta);

    // Five signed bytes, unscaled.
    void LoadCompiled(TFicheroITV& stream);
    void SaveCompiled(TFicheroITV& stream) const;
};

// Keyboard shortcut, written as parts joined by '+': "CTRL", "ALT", "SHIFT",
// a key name ("VK_F1"), a decimal key code or a character.
class TPDAUIEngineKeyAttribute {
public:
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    int keyCode = 0;
    DString keyName;

    // Keeps the name and sets flags and code from it. Nothing is reset first:
    // parts only set, and a later key part overrides an earlier one.
    void Parse(const DString& name);

    // The name as a string; reading parses it again.
    void LoadCompiled(TFicheroITV& stream);
    void SaveCompiled(TFicheroITV& stream) const;
};
