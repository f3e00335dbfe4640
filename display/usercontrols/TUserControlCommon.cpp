#include "display/usercontrols/TUserControlCommon.h"

#include "app/TOrbetaApp.h"

namespace usercontrols {

bool ReadField(TOrbetaApp* app, int field, TValCampo& v, bool a, bool b)
{
    v = TValCampo();
    if (!app)
        return false;
    if (app->engine.Retorna_Val_Campo_Global(field, v, a, b))
        return true;
    v = TValCampo();
    return false;
}

int FieldAsInteger(TOrbetaApp* app, int field, bool a, bool b)
{
    TValCampo v;
    ReadField(app, field, v, a, b);
    return v.AsInteger();
}

bool SetVisible(TPDAUIEngineElement* element, bool shown)
{
    if (!element)
        return false;
    const unsigned char wanted = shown ? 1 : 0;
    if (element->visible == wanted)
        return false;
    element->visible = wanted;
    return true;
}

} // namespace usercontrols
