// Feeds bytes to the compiled-element reader: the input is one record (mark,
// tag, fields). A tag the factory knows is made and loaded as a container would;
// otherwise the whole input is read as the fields of a plain element. A record
// that loads must hold only values the writer can write; one that fails must
// leave the element as constructed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void CheckSound(TPDAUIEngineElement& e)
{
    Check(e.pack >= 0 && e.pack <= 5 && e.align >= 0 && e.align <= 5);
    for (int i = 0; i < 5; ++i) {
        Check(e.borders[i].style >= 0 && e.borders[i].style <= 15);
        Check(e.backgrounds[i].kind >= 0 && e.backgrounds[i].kind <= 13);
    }
    Check(e.visible <= 1 && e.enabled <= 1);
    Check(e.flex >= 0 && e.flex <= 255 && e.colspan >= 0 && e.colspan <= 255);
}

void CheckUntouched(TPDAUIEngineElement& e)
{
    Check(e.id.IsEmpty() && e.left == 0 && e.width == 0 && e.label.IsEmpty());
    Check(e.visible == 1 && e.colspan == 1 && e.imageName.IsEmpty() && e.className.IsEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Read at a scale that does not divide evenly, as a 1.5 screen would.
    static TPDAUIEngineSkinSettings settings;
    settings.uiScale = 1.5f;
    TPDAUIEngineSkinSettings::SetCurrent(&settings);

    // An exact-size copy, so any read past the stream is a read past the heap block.
    std::vector<uint8_t> body(data, data + size);
    const uint32_t len = uint32_t(body.size());

    TFicheroITVdatos in(body.data(), ITV_MODO_LECTURA, len);
    if (TPDAUIEngineElement* made = TPDAUIEngineElement::CreateFromCompiled(nullptr, in)) {
        made->OnLoad(nullptr, nullptr, nullptr, nullptr, &in);
        if (!in.Error())
            CheckSound(*made);
        delete made;
    } else {
        Check(in.Error());
    }

    TFicheroITVdatos fields(body.data(), ITV_MODO_LECTURA, len);
    Leaf leaf;
    leaf.OnLoad(nullptr, nullptr, nullptr, nullptr, &fields);
    if (fields.Error())
        CheckUntouched(leaf);
    else
        CheckSound(leaf);

    TPDAUIEngineSkinSettings::SetCurrent(nullptr);
    return 0;
}
