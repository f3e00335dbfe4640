#pragma once

class TOrbetaApp;
class TPDAUIEngineElement;

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

// The UI engine's factory for "usercontrol..." tags: the set of user controls a
// skin may use is fixed here.
class TUserControlFactory {
public:
    // The application-callback block's user-control factory; userData is the
    // application object. A new, unloaded user control owned by the caller, or
    // null for a tag that is not in the table, a control not built yet, or a
    // failed allocation.
    static TPDAUIEngineElement* FuncCreateUserControlElementByNameCallBack(void* userData, const char* tag);

    // The table in the order tags are compared; count set to its length.
    static const TUserControlFactoryRow* Rows(int& count);
};
