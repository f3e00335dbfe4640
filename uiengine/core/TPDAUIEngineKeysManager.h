#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

class TPDAUIEngine;
class TPDAUIEngineXml;

// The engine's hardware-key handling: key replacements, rotation of the arrow
// keys, records of held keys, key definitions fired from events and timer passes,
// and the keys that reach the top page's elements.
//
// The tables come from the key map ("ObKeys.cxml", default "ObKeys_D.cxml"):
//   <keysDefinitions>
//       <keyReplace from="13" to="32" comments=""/>
//       <keyDefinition key="27" key2="0" when="press" onlyInPages="*" break="true"
//                      command="..." comments="" editable="false" title="" commandAux=""/>
//   </keysDefinitions>
// Only direct children of the root are read; the root's name is not checked.
class TPDAUIEngineKeysManager {
public:
    // Timing modes of a definition ("when" in the key map).
    enum When { Press = 0, Pressed = 1, ShortPressed = 2, LongPressed = 3, Unpress = 4,
                TwoKeysPress = 5 };
    // State of a held-key record.
    enum State { StateNew = 0, StateHeld = 1, StateReleased = 4 };

    // Milliseconds after the press from which "pressed" repeats, and the limit
    // between a short and a long press.
    enum { PressedDelayMs = 150, LongPressMs = 650 };

    struct TKeyReplace {
        int from = 0;
        int to = 0;
        DString comments;
    };

    struct TKeyDefinition {
        int key = 0;
        int key2 = 0;       // the second key of "twokeyspress"
        int when = Unpress;
        DString onlyInPages = "*";  // "*" or page ids each followed by a comma
        DString command;            // empty: never fires
        DString commandAux;         // passed only to the application's command callback
        bool breakAfter = false;    // "break": no later definition is examined
        bool editable = false;
        DString comments;
        DString title;
    };

    struct TKeyPressed {
        int key = 0;          // after replacement and rotation
        int pressTime = 0;    // engine tick at the key down
        int lastFireTime = 0; // engine tick of the last firing; 0: none yet
        int state = StateNew;
        uint8_t consumed = 0; // a consumed press sends no character or key up to elements
        // The check that met this record new or released; only that check fires
        // the definitions of those moments (0: none yet).
        uint32_t examinedBy = 0;
    };

    explicit TPDAUIEngineKeysManager(TPDAUIEngine* engine);
    ~TPDAUIEngineKeysManager() = default;
    TPDAUIEngineKeysManager(const TPDAUIEngineKeysManager&) = delete;
    TPDAUIEngineKeysManager& operator=(const TPDAUIEngineKeysManager&) = delete;

    // Reads the key map at path, replacing both tables. False only when the file
    // cannot be read (the tables are then unchanged); text that is not valid XML
    // gives whatever part of it could be read.
    bool LoadKeys(const DString& path);
    // Writes both tables to the file of that name in the application-data folder
    // (any folder in fileName is replaced). False when it cannot be written.
    bool SaveKeys(const DString& fileName);

    // The engine's key entry points; the key is replaced and rotated in place.
    bool OnKeyDown(int& key);
    bool OnKeyChar(int& character);
    bool OnKeyUp(int& key);
    // The held-key check; true when a definition fired.
    bool CheckPressedKeys();

    // The first replacement of key, then the rotation of the arrow keys.
    void RemapKey(int& key) const;
    // The first record of a held key, or null.
    TKeyPressed* FindPressed(int key);
    bool IsPressed(int key) { return FindPressed(key) != nullptr; }

    // "press" ... "twokeyspress" to their codes; any other text is Unpress.
    static int WhenFromText(const char* text);
    // The text of a code; null outside 0 to 5.
    static const char* WhenToText(int when);

    TPDAUIEngine* engine;
    Vector<TKeyReplace> replacements;
    Vector<TKeyDefinition> definitions;
    Vector<TKeyPressed> pressedKeys;  // oldest first
    uint8_t ctrl = 0;
    uint8_t alt = 0;
    uint8_t shift = 0;

private:
    bool Triggers(const TKeyDefinition& def, const TKeyPressed& rec, uint32_t now, uint32_t check);
    bool HasPressedDefinition(int key) const;
    bool AppliesToTopPage(const TKeyDefinition& def) const;
    bool SetModifier(int key, uint8_t value);
    void ReadTables(const TPDAUIEngineXml& root);

    uint32_t checkSerial_ = 0;  // numbers the held-key checks, nested ones included
};
