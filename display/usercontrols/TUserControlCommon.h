#pragma once
#include <cstdint>

#include "enginelib/nav/TValCampo.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

class TOrbetaApp;

// What every live-data user control does the same way: find the children its
// definition must hold, and read the library's data fields.
namespace usercontrols {

// The display's alarm colour (0x00BBGGRR: red).
const uint32_t AlarmColour = 0x1402FD;

// The descendant of box with that id, as a T. A missing id is a broken skin
// (the box reports it and the program ends); a child of another class is
// treated as missing, so the caller only ever gets null or the right class.
template <class T>
T* FindRequired(TPDAUIEngineElementBox* box, const char* id)
{
    if (!box)
        return nullptr;
    return dynamic_cast<T*>(box->FindElement(id, true));
}

// The same without the report: null when absent or of another class.
template <class T>
T* FindOptional(TPDAUIEngineElementBox* box, const char* id)
{
    if (!box)
        return nullptr;
    return dynamic_cast<T*>(box->FindElement(id, false));
}

// Reads a field through the facade; false (v cleared) without an application
// or when the library has nothing for it now.
bool ReadField(TOrbetaApp* app, int field, TValCampo& v, bool a = false, bool b = false);

// A field's value truncated toward zero; 0 when it cannot be read.
int FieldAsInteger(TOrbetaApp* app, int field, bool a = false, bool b = false);

// Sets an element's visibility; answers whether it changed.
bool SetVisible(TPDAUIEngineElement* element, bool shown);

} // namespace usercontrols
