#pragma once
#include <cstdint>

#include "uiengine/elements/TPDAUIEngineElementBox.h"

class TOrbetaApp;
class TPDAUIEngineElementAutoFitLabel;
class TValCampo;

// One data field of the library shown in a box that pages make in code: a
// dedicated control or gadget for fields that draw themselves, a label with a
// progress bar for percentages, or a label that fits its text, chosen by the
// field when loaded. Every paint reads the field again.
class TGadgetPolivalentDataItem : public TPDAUIEngineElementBox {
public:
    // A solid border one pixel wide in the normal state.
    TGadgetPolivalentDataItem(TOrbetaApp* app, int field, bool bigVariant, int titleLabelId);
    ~TGadgetPolivalentDataItem() override;

    // The box's loading, then the content for the field.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // The field read again into the label (and bar, and units), then the box.
    void Paint(IDC* dc, int x, int y) override;
    // Raises "onContextMenuCommand" when there is one; otherwise leaves the
    // event unhandled here.
    void OnContextMenu(int x, int y, unsigned char* handled) override;

    // ---- what the gadget and the user control share ----

    // Which way a field is painted.
    enum EPaintKind { PaintNothing, PaintLabelAndBar, PaintPosition, PaintLabel };
    // The coordinate-format setting that re-spaces the position text.
    static constexpr int kGridReferenceFormat = 32;
    // Below this height (pixels) the bar never shows.
    static constexpr int kBarMinimumHeight = 32;

    // A new unloaded user control of the application's factory for the tag's
    // name ("usercontrolVelocity"); null when the class is not there.
    static TPDAUIEngineElement* MakeUserControl(TOrbetaApp* app, const char* name);
    // Minimum sizes 0 and flex 1.
    static void FreeSize(TPDAUIEngineElement* child);
    // The label that fits its text: empty, the box's colour and font (the
    // smallest size being the box's), filling the box. Appended.
    static TPDAUIEngineElementAutoFitLabel* AddDefaultLabel(TPDAUIEngineElementBox* box);
    // The label over a progress bar in a table of one column and two rows. Appended.
    static void AddLabelAndBar(TPDAUIEngineElementBox* box);
    // A position text at least 11 characters long as "ccc cc ccccc rest"; shorter
    // texts unchanged.
    static DString RespacePosition(const DString& text);
    // One paint's refresh of the box's content from the field's value.
    static void Refresh(TPDAUIEngineElementBox* box, TOrbetaApp* app, EPaintKind kind, const TValCampo& value);
    // The library's coordinate format (read on first use).
    static int CoordinateFormat(TOrbetaApp* app);

    // ---- members ----

    TOrbetaApp* app;
    int32_t field;
    // Callers that build data-field pages clear it.
    unsigned char flag = 1;
    // The large speed control for 21 and the battery control for 98.
    bool bigVariant;
    // Handed to the graph control of the altitude profiles.
    int titleLabelId;
    // The normal-state background as loaded (kind and colour).
    int savedBackgroundKind = 0;
    uint32_t savedBackgroundColour = 0;

    // Which way this field is painted.
    EPaintKind PaintKindOfField() const;
    // The field's own control could not be made: its value is shown in the label.
    bool labelFallback = false;
};
