#include "uiengine/controls/RegisterMenu.h"

#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"

namespace {

TPDAUIEngineElement* MakeMenu()
{
    return new TPDAUIEngineElementMenu();
}

TPDAUIEngineElement* MakeMenuItem()
{
    return new TPDAUIEngineElementMenuItem();
}

} // namespace

void RegisterMenuElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("menu", &MakeMenu);
    registerTag("menuitem", &MakeMenuItem);
}
