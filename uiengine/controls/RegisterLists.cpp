#include "uiengine/controls/RegisterLists.h"

#include "uiengine/controls/TPDAUIEngineElementListBox.h"

namespace {

TPDAUIEngineElement* MakeListBox() { return new TPDAUIEngineElementListBox(); }

} // namespace

void RegisterListElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("listbox", &MakeListBox);
}
