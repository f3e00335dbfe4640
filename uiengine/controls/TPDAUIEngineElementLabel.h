#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

// The text element of the skin language ("label"): wrapping, ellipsis,
// mirrored alignment, a line limit, an optional image beside the text, font
// shrinking to fit its box and a focus target for clicks ("for").
class TPDAUIEngineElementLabel : public TPDAUIEngineElement {
public:
    // Pack Center, align Auto, inner padding the UI scale.
    TPDAUIEngineElementLabel();
    ~TPDAUIEngineElementLabel() override;

    // The element's loading, then the label's own compiled fields; in a
    // right-to-left skin a label aligned Auto gets its side paddings exchanged.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // Text height at the width offered (capped by maxLines); finds the fitted
    // font size when the label shrinks its font. -1 without an engine.
    int GetMinimumHeight(int availableWidth) override;
    // Unwrapped text width, an image counting as a square of the font size.
    int GetMinimumWidth(int availableHeight) override;
    // Stores the rectangle; a label that shrinks its font finds the size at
    // which the text fits the new box.
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    // Focuses the "for" target, or raises onCommand.
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    // Enter raises onCommand.
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Horizontal alignment with Auto and AutoInvert resolved for the skin's
    // direction: AlignStart (left), AlignCenter, AlignEnd (right) or AlignStretch (justify).
    int EffectiveAlign() const;
    // DrawText flags for a horizontal alignment (0 left .. 3 justify) with the
    // label's pack, word break and ellipsis.
    int TextFlags(int alignment) const;

    // ---- members, in declaration order ----

    bool wordBreak = false;
    bool wordEllipsis = false;
    bool wordReverse = false;   // exchanges left and right alignment of the text
    bool imageReverse = false;  // image on the side away from the text's alignment
    DString forTarget;          // id focused by a click ("for")
    bool showImage = true;
    int maxLines = -1;          // -1: no limit
    bool resizeFontToEnsureAllTextFits = false;
    int fittedFontSize = 0;     // the size font shrinking found; 0: none

protected:
    // The label as drawn: in capitals or small letters as the font asks.
    DString DisplayText() const;
    // The element's rectangle with its origin at (x, y), and the part of it
    // where text goes (less the border and the paddings).
    TRectIG ElementRect(int x, int y) const;
    TRectIG TextArea(const TRectIG& elementRect) const;
    // Draws the state's background and border over the element rectangle.
    void PaintFrame(IDC* dc, const TRectIG& elementRect, int state);
    // The skin's colour key for images.
    TColorIG TransparentColor() const;
};

// A focusable label ("anchor") that is underlined while hovered. Its href is
// kept and saved but not acted on.
class TPDAUIEngineElementAnchor : public TPDAUIEngineElementLabel {
public:
    // Focusable; normal and hover text in blue.
    TPDAUIEngineElementAnchor();
    ~TPDAUIEngineElementAnchor() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    DString href;
};
