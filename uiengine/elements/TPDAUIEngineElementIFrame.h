#pragma once
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// A box ("iframe") that shows one page of its own inside its rectangle: the
// page that owns the IFrame opens the inner page into it (the engine's OpenPage
// with the IFrame as parent). When the inner page closes, the IFrame's next
// paint removes and deletes it and passes the page's reply command up from the
// IFrame, with the page's result in the command's result byte.
class TPDAUIEngineElementIFrame : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementIFrame();
    ~TPDAUIEngineElementIFrame() override;

    // The box's load; from a stream then innerPageName.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // The box's paint, then the removal of an inner page that has closed.
    void Paint(IDC* dc, int x, int y) override;
    // The box's answer: the inner page is a child like any other.
    bool PaintsOpaque(IDC* dc) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    // Deletes the inner page without passing its reply up.
    void Detach() override;
    // The box's record with its children but an inner page (pages are made by
    // the application, so no reader could build one), then innerPageName.
    void Save(TFicheroITV& stream) override;
    // Removes what the IFrame held first: it holds one child at most.
    void AddChild(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void InsertChild(TPDAUIEngineElement* child, int index, TPDAUIEngineXml* xmlNode,
                     TFicheroITV* stream) override;
    // For the inner page: its reply goes up while it is still the child, then
    // it is deleted (unless the reply's handler removed it already, which then
    // sends no second reply). The page's pointer references and focus are
    // cleared in any case.
    void RemoveChild(TPDAUIEngineElement* child) override;

    // ---- the IFrame's own virtual operation ----

    // RemoveChild of the first child until none is left.
    virtual void RemoveAllChildren();

    // ---- members, in declaration order ----

    TPDAUIEngineElementPage* innerPage = nullptr;  // the child, when it is a page
    DString innerPageName;

private:
    // Clears the page's pointer-routing references and its focus.
    static void ClearRouting(TPDAUIEngineElementPage* page);

    // The inner page whose reply RemoveChild is sending; cleared by whatever
    // removes that page meanwhile.
    TPDAUIEngineElementPage* replying_ = nullptr;
};
