#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"

class TPDAUIEngine;

// The command executor's UI-engine callback, and its texts and rules that need
// no application object.
class TOrbetaAppCommands {
public:
    // The UI engine's application callback for commands that no page took (the
    // UI-command slot of its callback block): engine command strings and the
    // named UI commands. app is the TOrbetaApp; value and data are the command
    // record's integer and data.
    static void FuncUICommandCallBack(void* app, const char* command, const char* second, int value,
                                      uint8_t* handled, intptr_t data);

    // "LumorEngCommand:" <decimal id> ["," <argument, which may hold commas>]
    static constexpr const char* kPrefix = "LumorEngCommand:";
    static constexpr int kPrefixLength = 16;
    static constexpr const char* kCapturedImagePrefix = "ProcessCapturedImage:";
    static constexpr int kCapturedImagePrefixLength = 21;

    // For an engine command string: its id (0 when the number text is not a
    // decimal number in the int range) and its argument text. False for any
    // other text.
    static bool ParseCommandString(const char* text, int* id, DString* argument);
    // The command string for id and text (no comma for an empty text).
    static DString MakeCommandString(int id, const char* text);

    // The ids that still run while the UI engine blocks input.
    static bool RunsWhileInputBlocked(int id);

    // Removes every slot holding exactly field from a data-field layout (pages
    // split by ';', each an optional "header:" then fields split by ','); a page
    // that loses its last field gets the empty field list 86. False when the
    // layout held no such field (it is then unchanged).
    static bool RemoveDataField(DString& layout, int field);

    // format with its first "%s" replaced by argument; every other character,
    // '%' included, is copied as it stands (translations are not trusted as
    // printf formats).
    static DString FormatOneString(const char* format, const char* argument);

    // The first "screenshot-<N>.png" (N = 1, 2 ...) that does not exist in folder;
    // empty when the folder is empty or no name is free.
    static DString FreeScreenshotPath(const char* folder);

    // UI engine state the executor and the blocker pages share (members the
    // engine itself gives no role).
    static uint8_t& ScreenBlocked(TPDAUIEngine& engine);
    static DString& BlockerText(TPDAUIEngine& engine);
    static uint8_t& BroadcastInProgress(TPDAUIEngine& engine);
};
