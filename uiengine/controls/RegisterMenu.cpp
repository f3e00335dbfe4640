#include "uiengine/controls/RegisterMenu.h"

#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"

namespace {

TPDAUIEngineElement* MakeMenu()
{
    return new TPDAUIEngineElementMenu();
}

TPDAUIEngineElement* MakeToolBar()
{
    return new TPDAUIEngineElementToolBar();
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
    registerTag("toolbar", &MakeToolBar);
}
