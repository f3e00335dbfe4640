#include "uiengine/controls/RegisterLists.h"

#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"

namespace {

TPDAUIEngineElement* MakeListBox() { return new TPDAUIEngineElementListBox(); }
TPDAUIEngineElement* MakeComboBox() { return new TPDAUIEngineElementComboBox(); }

} // namespace

void RegisterListElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("listbox", &MakeListBox);
    registerTag("combobox", &MakeComboBox);
}
