#pragma once

class TOrbetaApp;
class TPDAUIEngineElement;

// The UI engine's factory for "usercontrol..." tags: the set of user controls a
// skin may use is fixed here. userData is the application object.
//
// A new, unloaded user control owned by the caller, or null for a tag that is
// not in the table, a control not built yet, or a failed allocation.
TPDAUIEngineElement* FuncCreateUserControlElementByNameCallBack(void* userData, const char* tag);

// One row of the table: the tag (compared exactly, case included), the class it
// makes and its maker (null until the class exists: the tag then answers null
// with a log line).
struct TUserControlFactoryRow {
    const char* tag;
    const char* className;
    TPDAUIEngineElement* (*make)(TOrbetaApp* app);
    // Writes "FuncCreateUserControlElementByNameCallBack <name>" to the library's
    // log before the control is made.
    bool logCreation;
};

// The table in the order tags are compared; count set to its length.
const TUserControlFactoryRow* UserControlFactoryRows(int& count);
