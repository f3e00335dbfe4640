#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// The on-screen keyboard ("keyboardbox"): a box that builds its own keys, a
// grid of character keys for the current view and a row of special keys
// (view change, space, capitals, left, right, back). A view is a marker
// ('@' letters, '#' digits, '!' symbols) followed by its keys; a blank is a
// gap. Key presses reach the page as "key" followed by the character code, or
// as "space", "back", "left" and "right". Pages send it "refreshkeys" (a
// repaint after they set the keys' states), "back" and "unkey".
//
// Keys taken out by a rebuild are kept until no command is running, so a key
// whose own command rebuilds the keyboard is not deleted under its feet.
class TPDAUIEngineElementKeyboardBox : public TPDAUIEngineElementBox {
public:
    // The views used when nobody sets others, joined by "|".
    static const char* const kDefaultViews;

    TPDAUIEngineElementKeyboardBox();
    ~TPDAUIEngineElementKeyboardBox() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    void Save(TFicheroITV& stream) override;

    void SetViews(const char* text);
    void BuildView(int index);
    void ShowLetterView();
    void ShowNumbersView();
    void ShowSymbolsView();
    // The next letter view after the current one, wrapping.
    void NextLetterView();
    // The numbers view, or back to the letters from it.
    void ToggleNumbersView();
    void SetAllowedCharacters(const char* text);
    void Rebuild();

    bool showBackKey = true;
    DString allowedCharacters = "*";
    VectorP<DString> views{10, 10, true};
    char viewMarker = '@';
    int currentView = 0;
    bool showCapitalLettersAsDefault = true;
    // Letter layouts kept by SetViews: 0 alphabetical, 1 QWERTY, 2 AZERTY,
    // anything else keeps every view.
    int keyboardType = -1;
    bool landscape = true;

    TPDAUIEngineElementBox* keysBox = nullptr;
    TPDAUIEngineElementBox* specialKeysBox = nullptr;
    TPDAUIEngineElementButton* changeViewKey = nullptr;
    TPDAUIEngineElementButton* spaceKey = nullptr;
    TPDAUIEngineElementButton* capitalKey = nullptr;
    TPDAUIEngineElementButton* backKey = nullptr;
    TPDAUIEngineElementButton* leftKey = nullptr;
    TPDAUIEngineElementButton* rightKey = nullptr;
    TPDAUIEngineElementButton templateKey;

private:
    TPDAUIEngineElementButton* MakeSpecialKey(const char* label, const char* command, int minimumWidth);
    // The character keys of the current view, in the grid or in its rows.
    void CollectKeys(VectorP<TPDAUIEngineElement>& keys);
    void RetireKeys();
    // A focused key that became disabled hands the focus to an enabled
    // neighbour, else the page moves it back.
    void MoveFocusOffDisabledKey();
    void FreeRetired();
    int LastView(char marker) const;
    bool Allowed(int code) const;

    VectorP<TPDAUIEngineElement> retired_{10, 10, true};
    int commandDepth_ = 0;
};
