// Feeds bytes to the list box and combo box record readers: the input is one
// record (mark, tag, fields). A record that loads must hold only values the
// writer can write, and the control must then lay out and take keys and
// presses with whatever selection the record gave it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/controls/RegisterLists.h"
#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace {

using List = TPDAUIEngineElementListBox;
using Bar = TPDAUIEngineElementVScrollBar;

void Check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void Exercise(List& list)
{
    Check(list.scrollBar.configuredMode >= Bar::ModeAuto &&
          list.scrollBar.configuredMode <= Bar::ModeDefaultSimpleTrackBar);
    Check(list.scrollBar.iscrollShadowMode >= Bar::ShadowNone && list.scrollBar.iscrollShadowMode <= Bar::ShadowWhite);
    for (int i = 0; i < 3; ++i)
        list.items.Insert(List::ListBoxItem(DString("row"), nullptr, nullptr), -1);
    list.SetBounds(0, 0, 120, 90);
    list.GetMinimumHeight(120);
    for (int key : {33, 34, 38, 40, 37, 39})
        list.OnKeyDown(key, nullptr, nullptr);
    for (int key : {13, 32})
        list.OnKeyUp(key, nullptr, 0);
    list.OnMouseDown(10, 10, 0, 0, 0);
    list.OnMouseUp(10, 10, 0, nullptr);
    list.EnsureItemVisible(list.selectedIndex);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool registered = false;
    if (!registered) {
        RegisterListElements(&TPDAUIEngineElementFactory::RegisterTag);
        registered = true;
    }
    static TPDAUIEngineSkinSettings settings;
    settings.uiScale = 1.25f;
    TPDAUIEngineSkinSettings::SetCurrent(&settings);

    // An exact-size copy, so any read past the stream is a read past the heap block.
    std::vector<uint8_t> body(data, data + size);
    TFicheroITVdatos in(body.data(), ITV_MODO_LECTURA, uint32_t(body.size()));
    if (TPDAUIEngineElement* made = TPDAUIEngineElement::CreateFromCompiled(nullptr, in)) {
        made->OnLoad(nullptr, nullptr, nullptr, nullptr, &in);
        if (!in.Error()) {
            if (auto* list = dynamic_cast<List*>(made))
                Exercise(*list);
            if (auto* combo = dynamic_cast<TPDAUIEngineElementComboBox*>(made)) {
                Check(combo->mode == TPDAUIEngineElementComboBox::ModeDefault ||
                      combo->mode == TPDAUIEngineElementComboBox::ModeWindow);
                combo->SetSelectedIndex(combo->GetSelectedIndex());
                Exercise(*combo->listBox);
            }
        }
        delete made;
    }
    TPDAUIEngineSkinSettings::SetCurrent(nullptr);
    return 0;
}
