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

// For a kind that leaves to its record what every record sets.
template <class T>
TPDAUIEngineElement* MakeForRecord()
{
    return new T(TPDAUIEngineElement::ForRecord);
}

struct TTagKind {
    const char* tag;
    TPDAUIEngineElement* (*make)();
    int length;
    TPDAUIEngineElement* (*makeForRecord)();  // an element read from its record at once
    uint64_t words[2];                        // the tag's bytes, little-endian, zero past its end
};

// Bytes from..from+8 of a tag of n bytes as a little-endian word, zero past its end.
constexpr uint64_t TagWord(const char* tag, int n, int from)
{
    uint64_t word = 0;
    for (int i = 0; i < 8 && from + i < n; ++i)
        word |= (uint64_t)(unsigned char)tag[from + i] << (8 * i);
    return word;
}

// The table's tags with their lengths, so that a tag is compared without
// measuring every entry.
template <int N>
constexpr TTagKind Kind(const char (&tag)[N], TPDAUIEngineElement* (*make)(),
                        TPDAUIEngineElement* (*makeForRecord)() = nullptr)
{
    static_assert(N - 1 <= 16, "a built-in tag is compared as two words");
    return {tag, make, N - 1, makeForRecord ? makeForRecord : make,
            {TagWord(tag, N - 1, 0), TagWord(tag, N - 1, 8)}};
}

// In the order of the skin language's tag table; element kinds join here as
// they are written.
const TTagKind kTagKinds[] = {
    Kind("box", &Make<TPDAUIEngineElementBox>, &MakeForRecord<TPDAUIEngineElementBox>),
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

// A record's tag of length bytes at from (room bytes readable there) into to,
// NUL-terminated; it ends at its first NUL, as a tag read into a string would.
// Gives its length. Most tags are a few bytes, too short to be worth a library
// call: one that fits in 16 with 16 to read is searched a word at a time.
uint32_t ShortTag(const unsigned char* from, uint32_t length, uint32_t room, char* to)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (length <= 16 && room >= 16) {
        uint64_t words[2];
        std::memcpy(words, from, 16);
        std::memcpy(to, words, 16);
        uint32_t n = 16;
        for (int i = 0; i < 2; ++i) {
            // The lowest flagged byte is the first NUL; flags above it may be false.
            const uint64_t nul = (words[i] - 0x0101010101010101ull) & ~words[i] & 0x8080808080808080ull;
            if (nul) {
                n = 8 * (uint32_t)i + (uint32_t)__builtin_ctzll(nul) / 8;
                break;
            }
        }
        if (n > length)
            n = length;
        to[n] = '\0';
        return n;
    }
#endif
    // Longer tags (a user control's, which names its type) are searched by the library.
    const void* nul = std::memchr(from, 0, length);
    const uint32_t n = nul ? (uint32_t)(static_cast<const unsigned char*>(nul) - from) : length;
    std::memcpy(to, from, n);
    to[n] = '\0';
    return n;
}

// The id an element has until its own is read: its tag and its number.
void GiveDefaultId(TPDAUIEngineElement* element, const CDString& name, int number)
{
    element->id = name;
    element->id << number;
}

// A new element numbered (and its default id given) as the factory's are.
TPDAUIEngineElement* Numbered(TPDAUIEngine* engine, TPDAUIEngineElement* element, const CDString& name,
                              bool defaultId)
{
    if (!element)
        return nullptr;
    const int number = engine ? ++engine->elementCounter : 0;
    if (defaultId)
        GiveDefaultId(element, name, number);
    return element;
}

// An element of the kind name gives, numbered (and its default id given) as the
// factory's are; forRecord makes one whose compiled record is read at once.
TPDAUIEngineElement* MakeByName(TPDAUIEngine* engine, const CDString& name, bool defaultId, bool forRecord)
{
    TPDAUIEngineElement* element = nullptr;
    for (const TTagKind& kind : kTagKinds)
        if (name.Length() == kind.length && std::memcmp(name.c_str(), kind.tag, (size_t)kind.length) == 0) {
            element = forRecord ? kind.makeForRecord() : kind.make();
            break;
        }
    if (!element)
        if (FuncMakeElement make = FindRegistered(name))
            element = make();
    if (!element && name.StartsWith("usercontrol") && engine && engine->callbacks.userControlFactory)
        element = engine->callbacks.userControlFactory(engine->callbacks.userData, name.c_str());
    return Numbered(engine, element, name, defaultId);
}

// The table's kind whose tag is the length bytes at from (room bytes readable
// there), if any. The tags are a few letters: compared in place, without a
// string made for them; with 16 bytes to read, as two words.
const TTagKind* BuiltInKind(const unsigned char* from, uint32_t length, uint32_t room)
{
    if (length > 16)
        return nullptr;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (room >= 16) {
        uint64_t words[2];
        std::memcpy(words, from, 16);
        const uint64_t low = length >= 8 ? ~0ull : (1ull << (8 * length)) - 1;
        const uint64_t high = length >= 16 ? ~0ull : length <= 8 ? 0 : (1ull << (8 * (length - 8))) - 1;
        words[0] &= low;
        words[1] &= high;
        for (const TTagKind& kind : kTagKinds)
            if ((uint32_t)kind.length == length && kind.words[0] == words[0] && kind.words[1] == words[1])
                return &kind;
        return nullptr;
    }
#endif
    for (const TTagKind& kind : kTagKinds) {
        if ((uint32_t)kind.length != length)
            continue;
        int i = 0;
        while (i < kind.length && from[i] == (unsigned char)kind.tag[i])
            ++i;
        if (i == kind.length)
            return &kind;
    }
    return nullptr;
}

// The element a record's tag names; a tag no kind answers to fails the stream,
// whose rest would be out of step.
TPDAUIEngineElement* FromCompiledTag(TPDAUIEngine* engine, TFicheroITV& stream, const CDString& tag,
                                     bool defaultId, bool loadedAtOnce)
{
    TPDAUIEngineElement* element = MakeByName(engine, tag, defaultId, loadedAtOnce);
    if (!element)
        TPDAUIEngineElement::FailCompiled(stream);
    return element;
}

// A record's header read in full: a tag of any length, or one the table does not
// hold (registered kinds, user controls). Kept apart: its tag buffer would
// widen the common path's frame.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
TPDAUIEngineElement* FromCompiledHeader(TPDAUIEngine* engine, TFicheroITV& stream, bool defaultId,
                                        bool loadedAtOnce)
{
    // Over memory, a short tag is read in place: no string is made for it.
    uint32_t length = 0;
    const unsigned char* block = stream.BloqueRestante(length);
    uint32_t tagLength = UINT32_MAX;
    if (block && length >= 5)
        tagLength = TFicheroITV::DecodeU32(block + 1);
    char shortTag[64];
    if (tagLength < sizeof(shortTag) && tagLength <= length - 5) {
        if ((char)block[0] != TPDAUIEngineElement::CompiledMark) {
            TPDAUIEngineElement::FailCompiled(stream);
            return nullptr;
        }
        const uint32_t n = ShortTag(block + 5, tagLength, length - 5, shortTag);
        stream.Avanza(5 + tagLength);
        return FromCompiledTag(engine, stream, CDString(shortTag, (int)n, CodePage::Default()), defaultId, loadedAtOnce);
    }
    char mark = 0;
    DString longTag;
    stream >> mark >> longTag;
    if (stream.Error() || mark != TPDAUIEngineElement::CompiledMark) {
        TPDAUIEngineElement::FailCompiled(stream);
        return nullptr;
    }
    return FromCompiledTag(engine, stream, CDString(longTag.c_str()), defaultId, loadedAtOnce);
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
    return MakeByName(engine, name, defaultId, false);
}

TPDAUIEngineElement* TPDAUIEngineElementFactory::CreateFromCompiledHeader(TPDAUIEngine* engine,
                                                                          TFicheroITV& stream, bool defaultId,
                                                                          bool loadedAtOnce)
{
    // Nearly every record is of a built-in kind: over memory its tag is matched
    // where it lies. Any other header is read in full, from the same place.
    uint32_t length = 0;
    const unsigned char* block = stream.BloqueRestante(length);
    if (block && length >= 5 && (char)block[0] == TPDAUIEngineElement::CompiledMark) {
        const uint32_t tagLength = TFicheroITV::DecodeU32(block + 1);
        if (tagLength <= length - 5)
            if (const TTagKind* kind = BuiltInKind(block + 5, tagLength, length - 5)) {
                stream.Avanza(5 + tagLength);
                TPDAUIEngineElement* element = loadedAtOnce ? kind->makeForRecord() : kind->make();
                if (!element) {
                    TPDAUIEngineElement::FailCompiled(stream);
                    return nullptr;
                }
                return Numbered(engine, element, CDString(kind->tag, kind->length, CodePage::Default()), defaultId);
            }
    }
    return FromCompiledHeader(engine, stream, defaultId, loadedAtOnce);
}

TPDAUIEngineScrollBarBase* TPDAUIEngineElementFactory::CreateScrollBar()
{
    return new TPDAUIEngineElementVScrollBar();
}
