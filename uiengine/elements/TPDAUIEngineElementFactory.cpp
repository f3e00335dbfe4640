#include "uiengine/elements/TPDAUIEngineElementFactory.h"

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace {

template <class T>
TPDAUIEngineElement* Make()
{
    return new T();
}

struct TTagKind {
    const char* tag;
    TPDAUIEngineElement* (*make)();
};

// In the order of the skin language's tag table; element kinds join here as
// they are written.
const TTagKind kTagKinds[] = {
    {"box", &Make<TPDAUIEngineElementBox>},
    {"autohidebox", &Make<TPDAUIEngineElementAutoHideBox>},
};

} // namespace

TPDAUIEngineElement* TPDAUIEngineElementFactory::CreateElementByTag(TPDAUIEngine* engine,
                                                                    const char* tag)
{
    CDString name(tag);
    TPDAUIEngineElement* element = nullptr;
    for (const TTagKind& kind : kTagKinds)
        if (name == kind.tag) {
            element = kind.make();
            break;
        }
    if (!element && name.StartsWith("usercontrol") && engine && engine->callbacks.userControlFactory)
        element = engine->callbacks.userControlFactory(engine->callbacks.userData, name.c_str());
    if (!element)
        return nullptr;
    element->id = name;
    element->id << (engine ? ++engine->elementCounter : 0);
    return element;
}

TPDAUIEngineScrollBarBase* TPDAUIEngineElementFactory::CreateScrollBar() { return nullptr; }
