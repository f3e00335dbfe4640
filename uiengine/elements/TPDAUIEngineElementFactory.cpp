#include "uiengine/elements/TPDAUIEngineElementFactory.h"

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementRepeater.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"
#include "uiengine/elements/TPDAUIEngineElementSplitter.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

template <class T>
TPDAUIEngineElement* Make()
{
    return new T();
}

struct TTagKind {
    const char* tag;
    TPDAUIEngineElement* (*make)();
    int length;
};

// The table's tags with their lengths, so that a tag is compared without
// measuring every entry.
template <int N>
constexpr TTagKind Kind(const char (&tag)[N], TPDAUIEngineElement* (*make)())
{
    return {tag, make, N - 1};
}

// In the order of the skin language's tag table; element kinds join here as
// they are written.
const TTagKind kTagKinds[] = {
    Kind("box", &Make<TPDAUIEngineElementBox>),
    Kind("autohidebox", &Make<TPDAUIEngineElementAutoHideBox>),
    Kind("iframe", &Make<TPDAUIEngineElementIFrame>),
    Kind("vscrollbar", &Make<TPDAUIEngineElementVScrollBar>),
    Kind("repeater", &Make<TPDAUIEngineElementRepeater>),
    Kind("repeateritem", &Make<TPDAUIEngineElementRepeaterItem>),
    Kind("sliderbox", &Make<TPDAUIEngineElementSliderBox>),
    Kind("splitter", &Make<TPDAUIEngineElementSplitter>),
};

struct TRegisteredTag {
    std::string tag;
    FuncMakeElement make;
};

std::mutex registeredLock;

std::vector<TRegisteredTag>& RegisteredTags()
{
    static std::vector<TRegisteredTag> tags;
    return tags;
}

FuncMakeElement FindRegistered(const CDString& name)
{
    std::lock_guard<std::mutex> lock(registeredLock);
    for (const TRegisteredTag& kind : RegisteredTags())
        if (name == kind.tag.c_str())
            return kind.make;
    return nullptr;
}

} // namespace

void TPDAUIEngineElementFactory::RegisterTag(const char* tag, FuncMakeElement make)
{
    if (!tag || !make)
        return;
    std::lock_guard<std::mutex> lock(registeredLock);
    for (TRegisteredTag& kind : RegisteredTags())
        if (kind.tag == tag) {
            kind.make = make;
            return;
        }
    RegisteredTags().push_back({tag, make});
}

TPDAUIEngineElement* TPDAUIEngineElementFactory::CreateElementByTag(TPDAUIEngine* engine,
                                                                    const char* tag, bool defaultId)
{
    return CreateElementByName(engine, CDString(tag), defaultId);
}

TPDAUIEngineElement* TPDAUIEngineElementFactory::CreateElementByName(TPDAUIEngine* engine, const CDString& name,
                                                                     bool defaultId)
{
    TPDAUIEngineElement* element = nullptr;
    for (const TTagKind& kind : kTagKinds)
        if (name.Length() == kind.length && std::memcmp(name.c_str(), kind.tag, (size_t)kind.length) == 0) {
            element = kind.make();
            break;
        }
    if (!element)
        if (FuncMakeElement make = FindRegistered(name))
            element = make();
    if (!element && name.StartsWith("usercontrol") && engine && engine->callbacks.userControlFactory)
        element = engine->callbacks.userControlFactory(engine->callbacks.userData, name.c_str());
    if (!element)
        return nullptr;
    const int number = engine ? ++engine->elementCounter : 0;
    if (defaultId) {
        element->id = name;
        element->id << number;
    }
    return element;
}

TPDAUIEngineElement* TPDAUIEngineElementFactory::CreateFromCompiledHeader(TPDAUIEngine* engine,
                                                                          TFicheroITV& stream, bool defaultId)
{
    // Over memory, a short tag is read in place: no string is made for it.
    char shortTag[64];
    CDString childTag;
    DString longTag;
    uint32_t length = 0;
    const unsigned char* block = stream.BloqueRestante(length);
    uint32_t tagLength = UINT32_MAX;
    if (block && length >= 5)
        tagLength = TFicheroITV::DecodeU32(block + 1);
    if (tagLength < sizeof(shortTag) && tagLength <= length - 5) {
        if ((char)block[0] != TPDAUIEngineElement::CompiledMark) {
            TPDAUIEngineElement::FailCompiled(stream);
            return nullptr;
        }
        // The tag ends at its first NUL, as a tag read into a string would;
        // tags are a few bytes, too short to be worth a library call.
        uint32_t n = 0;
        for (; n < tagLength && block[5 + n]; ++n)
            shortTag[n] = (char)block[5 + n];
        shortTag[n] = '\0';
        stream.Avanza(5 + tagLength);
        childTag = CDString(shortTag, (int)n, CodePage::Default());
    } else {
        char mark = 0;
        stream >> mark >> longTag;
        if (stream.Error() || mark != TPDAUIEngineElement::CompiledMark) {
            TPDAUIEngineElement::FailCompiled(stream);
            return nullptr;
        }
        childTag = CDString(longTag.c_str());
    }
    TPDAUIEngineElement* element = CreateElementByName(engine, childTag, defaultId);
    if (!element)
        TPDAUIEngineElement::FailCompiled(stream);  // the rest of the stream would be out of step
    return element;
}

TPDAUIEngineScrollBarBase* TPDAUIEngineElementFactory::CreateScrollBar()
{
    return new TPDAUIEngineElementVScrollBar();
}
