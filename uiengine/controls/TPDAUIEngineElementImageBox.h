#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// An image box ("imagebox"): the element's image scaled into its content area,
// keeping its aspect or filling as much of the area as it can, placed by pack
// and align. A release anywhere raises "onCommand" when the box is enabled.
class TPDAUIEngineElementImageBox : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementImageBox();

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // The rectangle inside the normal border and the paddings, with the
    // element's parent origin at (x, y).
    static TRectIG ContentRect(const TPDAUIEngineElement& e, int x, int y);
    // The scale images are drawn at: scale when above 0.1, else the UI scale.
    static float EffectiveScale(float scale);

    bool maintainAspect = false;
    bool maximizeImageSize = false;
    bool avoidAutoCalculateMinimumSize = false;
    float imageScale = 0.0f;

protected:
    // The image's width and height, false without a usable image.
    bool ImageSize(long long& w, long long& h) const;
    // The minimum height (or width) of a strip box: paddings, borders and the
    // square frame at scale.
    int StripMinimum(bool vertical, float scale);
};
