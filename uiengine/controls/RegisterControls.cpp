#include "uiengine/controls/RegisterControls.h"

#include "uiengine/controls/RegisterChecks.h"
#include "uiengine/controls/RegisterImageBoxes.h"
#include "uiengine/controls/RegisterLists.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/RegisterTabBox.h"
#include "uiengine/controls/RegisterTextBoxAndKeyboard.h"

void RegisterControlElements(FuncRegisterElementTag registerTag)
{
    RegisterLabelAndButtonElements(registerTag);
    RegisterListElements(registerTag);
    RegisterTextBoxAndKeyboardElements(registerTag);
    RegisterMenuElements(registerTag);
    RegisterCheckElements(registerTag);
    RegisterTabBoxElements(registerTag);
    RegisterImageBoxElements(registerTag);
}
