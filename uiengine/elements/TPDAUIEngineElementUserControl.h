#pragma once
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// Base of every user control: a box whose content is defined in a skin file of
// its own, named after its tag ("usercontrol/usercontrolCompass" reads
// "usercontrolCompass", compiled or ".xml"). A page's instance node gives the
// control's place and its own attributes; the definition's are applied over
// them and its children come after the instance's. The application's user
// controls derive from it and set their tags "usercontrol/" + name.
class TPDAUIEngineElementUserControl : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementUserControl();
    ~TPDAUIEngineElementUserControl() override;

    // The instance's data, then, unless it is already in the node or record,
    // the definition; a definition that exists in neither form ends the program.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    // The box's record, then the expanded flag.
    void Save(TFicheroITV& stream) override;

    // ---- the user control's own virtual operation ----

    // Loads the compiled definition of that name into this control through its
    // OnLoad; nothing when there is none.
    virtual void LoadCompiled(TPDAUIEngine* engine, TPDAUIEngineElementPage* page,
                              TPDAUIEngineElement* parent, const char* name);

    // ---- members ----

    // The definition is in the control (loaded, or grafted by the page loader).
    unsigned char expanded = 0;

private:
    // The definition's name: the tag after its first "/".
    DString DefinitionName() const;
    // The compiled definition into this control; false when there is none or it
    // is damaged (what it added is then taken out again).
    bool LoadCompiledDefinition(const DString& name);
    bool LoadXmlDefinition(const DString& name);
};
