#include "uiengine/controls/RegisterMenu.h"

#include "uiengine/controls/TPDAUIEngineElementMenu.h"

namespace {

TPDAUIEngineElement* MakeMenu()
{
    return new TPDAUIEngineElementMenu();
}

} // namespace

void RegisterMenuElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("menu", &MakeMenu);
}
