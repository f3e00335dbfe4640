// Feeds bytes to the compiled-page reader, as LoadPage hands it a ".cpage"
// file read into memory. Whether the record is whole or ends early, the page
// must hold only trees the writer can write, and lay them out and let them go
// without harm.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"
#include "display/usercontrols/TUserControlPolivalentDataItem.h"

namespace {

// An engine without a window whose skin folder holds nothing, so that the
// names in a record find no files.
class FuzzEngine : public QuietEngine {
public:
    FuzzEngine()
    {
        skinsFolder = "/nonexistent/orbeta-fuzz/skins";
        skinSettings.skinName = "fuzz";
        skinSettings.defaultSkinName = "fuzz";
        skinSettings.uiScale = 1.5f;  // a scale that does not divide evenly
        callbacks.userControlFactory = &MakeUserControl;
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
    }

    static TPDAUIEngineElement* MakeUserControl(void*, const char* tag)
    {
        if (tag && std::strcmp(tag, "usercontrol/usercontrolPolivalentDataItem") == 0)
            return new TUserControlPolivalentDataItem(nullptr);
        auto* control = new TPDAUIEngineElementUserControl();
        control->tag = tag;
        return control;
    }
};

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void CheckSound(TPDAUIEngineElement* e, int depth)
{
    Check(depth <= 300);
    Check(e->visible <= 1 && e->enabled <= 1);
    if (auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e)) {
        Check(box->layout >= 0 && box->layout < TPDAUIEngineElementBox::LayoutCount &&
              box->layout != TPDAUIEngineElementBox::LayoutVerticalInverted);
        Check(box->overflowY >= 0 && box->overflowY <= 2 && box->underflowY >= 0 && box->underflowY <= 2);
        Check(box->boxScale == 0.0f || (box->boxScale >= 0.1f && box->boxScale <= 10.0f));
        for (int i = 0; i < box->children.Count(); ++i) {
            Check(box->children[i]->parent == box);
            CheckSound(box->children[i], depth + 1);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzEngine* engine = new FuzzEngine();

    // An exact-size copy, so any read past the stream is a read past the heap block.
    std::vector<uint8_t> body(data, data + size);
    TFicheroITVdatos in(body.data(), ITV_MODO_LECTURA, uint32_t(body.size()));
    TPDAUIEngineElementPage page(engine);
    page.OnLoad(engine, nullptr, nullptr, nullptr, &in);
    CheckSound(&page, 0);
    page.Layout();
    page.Detach();
    return 0;
}
