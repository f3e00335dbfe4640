#include "uiengine/controls/RegisterImageBoxes.h"

#include "uiengine/controls/TPDAUIEngineElementImageAnimatedBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"
#include "uiengine/controls/TPDAUIEngineElementImageZoomeableBox.h"

namespace {
template <class T>
TPDAUIEngineElement* Make()
{
    return new T();
}
} // namespace

void RegisterImageBoxElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("imagebox", &Make<TPDAUIEngineElementImageBox>);
    registerTag("imageanimatedbox", &Make<TPDAUIEngineElementImageAnimatedBox>);
    registerTag("imagelist", &Make<TPDAUIEngineElementImageList>);
    registerTag("imagezoomeablebox", &Make<TPDAUIEngineElementImageZoomeableBox>);
}
