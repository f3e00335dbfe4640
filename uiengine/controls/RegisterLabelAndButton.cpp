#include "uiengine/controls/RegisterLabelAndButton.h"

#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementSliderLabel.h"

namespace {

template <class T>
TPDAUIEngineElement* Make()
{
    return new T();
}

} // namespace

void RegisterLabelAndButtonElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("label", &Make<TPDAUIEngineElementLabel>);
    registerTag("button", &Make<TPDAUIEngineElementButton>);
    registerTag("sliderlabel", &Make<TPDAUIEngineElementSliderLabel>);
    registerTag("autofitlabel", &Make<TPDAUIEngineElementAutoFitLabel>);
    registerTag("anchor", &Make<TPDAUIEngineElementAnchor>);
}
