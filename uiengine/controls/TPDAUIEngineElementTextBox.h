#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

// The single-line text editor of the skin language ("textbox"): a value with a
// caret and a selection counted in bytes, horizontal scrolling, insert and
// overwrite modes, a numeric mode, a length limit, password display and the
// clipboard keys. Changes collect in changePending and become one "onCommand"
// at Enter or when the box loses the focus.
//
// Every edit keeps the caret and the anchor inside the value and, in UTF-8
// text, on the first byte of a character.
class TPDAUIEngineElementTextBox : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementTextBox();
    ~TPDAUIEngineElementTextBox() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyPress(int character, unsigned char* handled, unsigned char* consumed, int extra) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void OnSetFocus(TPDAUIEngineElement* other) override;
    void OnKillFocus(TPDAUIEngineElement* other) override;
    bool OnDrop(int x, int y, const char* files, const char* text, unsigned char* handled) override;
    void OnTimer(int interval, int now) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Inserts text at the caret (replacing a selection); no length or
    // numeric rule applies.
    void InsertText(const char* text);
    void SelectAll();
    DString GetSelectedText() const;
    void UpdateScroll();
    // The caret index nearest x, measured from the text area's left.
    int GetCaretIndexAt(int x);
    void FireCursorChanged();

    // ---- members, in declaration order ----

    DString value;
    bool caretVisible = false;
    int caretPosition = 0;
    int selectionAnchor = -1;
    int firstVisible = 0;
    int maxLength = 0;
    bool changePending = false;
    bool onlyAllowAppend = false;
    bool onlyAcceptKeyCharNumbers = false;
    bool overwrite = false;
    bool overwriteSimple = false;
    DString onCommandValueChanged;
    DString onCommandCursorChanged;
    bool useUpDownKeysToUpdateNumericValue = false;
    bool showVirtualKeyboard = true;
    bool showVirtualKeyboardOnlyOnClick = true;
    bool alwaysShowCursor = false;
    bool showAsteriscs = false;
    int lastTypedIndex = -1;

private:
    TRectIG TextArea(int x, int y) const;
    int Width(const char* bytes, int length);
    bool Utf8() const;
    // The start of the character holding byte index i (i clipped to the value).
    int CharStart(int i) const;
    int NextChar(int i) const;
    int PreviousChar(int i) const;
    // Caret and anchor back inside the value, on character starts.
    void Normalize();
    bool HasSelection() const { return selectionAnchor >= 0 && selectionAnchor != caretPosition; }
    void DeleteSelection();
    bool Accepts(int character) const;
    void TypeCharacter(int character);
    void StepNumber(int delta);
    void Refresh(unsigned char* handled);
    void RaiseIfSet(const DString& name, bool sound);
};
