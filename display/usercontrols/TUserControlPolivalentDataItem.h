#pragma once
#include <cstdint>

#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// The data-field box as a user control a skin places
// ("usercontrol/usercontrolPolivalentDataItem", the field in "campo"). Its
// content is made at run time, never while skins are compiled.
class TUserControlPolivalentDataItem : public TPDAUIEngineElementUserControl {
public:
    // No border in the normal state.
    explicit TUserControlPolivalentDataItem(TOrbetaApp* app);
    ~TUserControlPolivalentDataItem() override;

    // The user control's loading, then the field (after the record when
    // compiled), then the content for it.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    // As the data-field gadget's.
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    // The user control's record, then the field as a 32-bit integer.
    void Save(TFicheroITV& stream) override;

    TOrbetaApp* app;
    int32_t field = -1;
    unsigned char flag = 1;
    int savedBackgroundKind = 0;
    uint32_t savedBackgroundColour = 0;
    // The field's own control could not be made: its value is shown in the label.
    bool labelFallback = false;
    // Children from this index on are the content made at run time: records
    // and copies leave them out, so that loading again does not double them.
    int contentStart = INT32_MAX;

private:
    void BuildContent();
    bool DrawsItself() const;
};
