#include "uiengine/controls/RegisterTabBox.h"

#include "uiengine/controls/TPDAUIEngineElementTabBox.h"

namespace {
template <class T>
TPDAUIEngineElement* Make()
{
    return new T();
}
} // namespace

void RegisterTabBoxElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("tabbox", &Make<TPDAUIEngineElementTabBox>);
    registerTag("tabboxbuttons", &Make<TPDAUIEngineElementTabBoxButtons>);
    registerTag("tabboxbutton", &Make<TPDAUIEngineElementTabBoxButton>);
    registerTag("tabboxpages", &Make<TPDAUIEngineElementTabBoxPages>);
    registerTag("tabboxpage", &Make<TPDAUIEngineElementTabBoxPage>);
}
