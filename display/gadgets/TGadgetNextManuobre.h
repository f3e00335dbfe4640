#pragma once
#include <memory>

#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;
class TGadgetArrowGoto;
class TOrbetaApp;

// The picture of a manoeuvre that a data field carries (314, 319, 372): small
// in the top-right corner with the arrow to the target over the element, or
// fitted to the element, as the library's manoeuvre-style setting and the
// picture's size choose. Made in code only.
class TGadgetNextManuobre : public TPDAUIEngineElement {
public:
    // No paddings, at least 64 x 64, content centred both ways.
    TGadgetNextManuobre(TOrbetaApp* app, int field);
    ~TGadgetNextManuobre() override;

    // The element's loading, then the arrow's with this gadget as its parent,
    // then the library's flag.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // The arrow covers the same rectangle.
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;

    // Pictures wider than this are always fitted when the value is not negative.
    static constexpr int kSmallPictureMaxWidth = 47;

    // Where a picture goes in the fitted style, inside content (width W,
    // height H above 0); empty when it does not go anywhere.
    TRectIG FittedRect(const TRectIG& content, const TDibIG& picture) const;
    // Whether this paint uses the small picture with the arrow.
    static bool SmallStyle(int styleSetting, double value, const TDibIG* picture);

    TOrbetaApp* app;
    std::unique_ptr<TGadgetArrowGoto> arrow;  // destroyed before the gadget
    int field;
    // The negation of the library's next-manoeuvre flag; kept, not drawn from.
    bool flag = true;
};
