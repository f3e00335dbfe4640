#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/controls/TPDAUIEngineAliveGuards.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;

// The push button of the skin language ("button"): an image per state
// (normal, pressed, focus, disabled), text, or both side by side ("mix"), and
// three ways of pressing:
//   plain   pressed while the pointer or Enter/space is down; "onCommand" on a
//           release inside the button;
//   sticky  ("autoPress") every press toggles the pressed state and every
//           release raises "onCommand";
//   repeat  ("raiseMultipleCommandsWhenPressed") "onCommand" on every tick of
//           the element timer while held, once at the release when no tick
//           came, then "onMultipleCommandEnd".
// Images belong to the page's image store; the button keeps pointers.
class TPDAUIEngineElementButton : public TPDAUIEngineElement {
public:
    // Focusable, bold, centred, 50 ms timer, paddings 2/4/2/4 scaled, the
    // skin's button sound.
    TPDAUIEngineElementButton();
    ~TPDAUIEngineElementButton() override;

    // The element's loading, the button's compiled fields, then its images.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    // Moves are neither handled nor passed on.
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    // Drops the pressed state (without a repaint) and a repeat.
    void OnHoverLeave(int x, int y, int flags) override;
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    // Enter and space press (down) and click (up) the button.
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyPress(int character, unsigned char* handled, unsigned char* consumed, int extra) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    // A press at (0, 0); ReleaseClick releases it there (inside).
    void Click() override;
    void ReleaseClick() override;
    // Repeat mode: raises "onCommand" (or ends the repeat of a disabled button).
    void OnTimer(int interval, int now) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // The scale images are drawn at: imageScale when above 0.1, else the UI scale.
    float EffectiveImageScale() const;

    // ---- members, in declaration order ----

    DString imagePressedName;
    TDibIG* imagePressed = nullptr;   // not owned
    DString imageFocusName;
    TDibIG* imageFocus = nullptr;     // not owned
    DString imageDisabledName;
    TDibIG* imageDisabled = nullptr;  // not owned
    DString onMultipleCommandEnd;
    bool autoPress = false;
    bool raiseMultipleCommandsWhenPressed = false;
    bool repeatRaised = false;        // a tick of the current press raised "onCommand"
    bool wordEllipsis = false;
    float imageScale = 0.0f;
    bool mix = false;

private:
    // "align" with Auto resolved for the skin's direction.
    int EffectiveAlign() const;
    // The image named, from the page's store; null without a page.
    TDibIG* LookUp(const DString& name) const;
    // An image attribute: an empty name keeps the image in hand.
    void SetImage(DString& name, TDibIG*& image, const char* value);
    TPDAUIEngineAliveGuards alive_;
};
