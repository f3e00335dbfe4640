#include "app/TOrbetaApp.h"

#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/draw/TColorIG.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// Menus and tool bars built from the library's command trees.

namespace {

const int kSeparatorCommand = 10;
const int kRecentFilesCommand = 509;
const int k3DViewCommand = 269;
const int kCheckBoxCommand = 3015;
const int kTileSize = 16;
// Trees come from files the user's tool-bar edits write: sub-menus deeper than
// this are left empty rather than walked by ever deeper calls.
const int kMostDepth = 32;

// What a new item (or a sub-menu) takes over from its container when no
// template is given.
void CopyItemStyles(TPDAUIEngineElement* to, const TPDAUIEngineElement* from)
{
    to->font.size = from->font.size;
    to->margins = from->margins;
    to->padding = from->padding;
    for (int s = 0; s < 5; ++s) {
        to->backgrounds.Edit(s) = from->backgrounds[s];
        to->borders.Edit(s) = from->borders[s];
    }
}

// The images of a container's page, else the engine's.
TPDAUIEngineResources* ImagesOf(TPDAUIEngineElement* element, TPDAUIEngine* engine)
{
    if (element->page)
        return &element->page->resources;
    return engine ? &engine->resources : nullptr;
}

TDibIG* Find(TPDAUIEngineResources* images, const DString& name)
{
    return images && !name.IsEmpty() ? images->GetImage(name.c_str(), false, false) : nullptr;
}

DString CleanLabel(TLumorGPSEngineInterface& engine, const DString& text)
{
    DString label(text);
    engine.Sustituye_Id_Idioma(label);
    label.Elimina_Umpersand();
    label.Primera_Letra_Mayusculas();
    return label;
}

TItemComanda* CommandItemOf(TPDAUIEngineElementMenuItem* item)
{
    return reinterpret_cast<TItemComanda*>(item->userData);
}

// Inserts child into box at the front (in order, from *frontIndex on) or at the end.
void Place(TPDAUIEngineElementBox* box, TPDAUIEngineElement* child, bool atFront, int& frontIndex)
{
    if (atFront)
        box->InsertChild(child, frontIndex++, nullptr, nullptr);
    else
        box->InsertChild(child, -1, nullptr, nullptr);
}

// A visible separator right after another one (nothing visible between them)
// goes, and so does a separator left last.
void HideSpareSeparators(TPDAUIEngineElementBox* box)
{
    bool afterSeparator = false;
    TPDAUIEngineElement* lastVisible = nullptr;
    for (int i = 0; i < box->children.Count(); ++i) {
        TPDAUIEngineElement* child = box->children[i];
        if (!child->visible)
            continue;
        const bool separator = dynamic_cast<TPDAUIEngineElementSeparator*>(child) != nullptr;
        if (separator && afterSeparator) {
            child->visible = 0;
            continue;
        }
        afterSeparator = separator;
        lastVisible = child;
    }
    if (lastVisible && dynamic_cast<TPDAUIEngineElementSeparator*>(lastVisible))
        lastVisible->visible = 0;
}

TPDAUIEngineElementMenu* NewSubMenu(TPDAUIEngineElementMenuItem* item, const TPDAUIEngineElement* styles)
{
    auto* sub = new TPDAUIEngineElementMenu();
    sub->visible = 0;
    CopyItemStyles(sub, styles);
    for (int s = 0; s < 5; ++s)
        sub->foregrounds[s] = item->foregrounds[s];
    item->AddChild(sub, nullptr, nullptr);
    return sub;
}

} // namespace

TPDAUIEngineElement* TOrbetaApp::FillCommandButtons(TPDAUIEngineElement* container, TPDAUIEngineElement* templ,
                                                    TVectorComandas* tree, int depth, const char* commandName,
                                                    int a, int b, int c, bool atFront)
{
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(container);
    if (!box || !tree)
        return container;
    TVisor_LumorGPSPocket* visor = engine.visor;
    TPDAUIEngineResources* images = ImagesOf(box, uiEngine);
    int frontIndex = 0;

    for (int i = 0; i < tree->Count(); ++i) {
        TItemComanda* command = tree->Get(i);
        if (!command)
            continue;
        const int number = command->Comanda();
        if (number == kSeparatorCommand) {
            auto* separator = new TPDAUIEngineElementSeparator();
            for (int s = 0; s < 5; ++s)
                separator->foregrounds[s] = box->foregrounds[TPDAUIEngineElement::StateNormal];
            Place(box, separator, atFront, frontIndex);
            continue;
        }

        TPDAUIEngineElementMenuItem* item = nullptr;
        if (templ) {
            TPDAUIEngineElement* clone = templ->Clone();
            item = dynamic_cast<TPDAUIEngineElementMenuItem*>(clone);
            if (!item) {
                delete clone;  // a template of another kind makes no item
                continue;
            }
            item->visible = 1;
        } else {
            item = new TPDAUIEngineElementMenuItem();
            CopyItemStyles(item, box);
            if (box->layout == TPDAUIEngineElementBox::LayoutHorizontal) {
                // In a row, the items take the row's height.
                item->minimumHeight = box->minimumHeight;
                item->maximumHeight = box->maximumHeight;
            }
        }
        item->label = CleanLabel(engine, command->Nombre());
        item->onCommand = commandName ? commandName : "";
        item->userData = reinterpret_cast<intptr_t>(command);
        item->userValue1 = a;
        item->userValue2 = b;
        item->userValue3 = c;
        item->raiseMultipleCommandsWhenPressed = engine.ComandaRepetitiva(number);

        DString normal, pressed, disabled;
        const bool withImage = item->label != "AAA";
        if (withImage) {
            if (!command->Icono().IsEmpty()) {
                normal = command->Icono();
            } else {
                normal = "commonCommand";
                normal << number;
            }
            pressed = normal;
            pressed << "Pressed";
            disabled = normal;
            disabled << "Disabled";
        }
        item->imagePressedName.Empty();
        item->imageDisabledName.Empty();
        TDibIG* image = withImage ? Find(images, normal) : nullptr;
        if (image) {
            item->imagePressedName = pressed;
            item->imageDisabledName = disabled;
        }
        Place(box, item, atFront, frontIndex);  // loading resolves the pressed and disabled images

        if (withImage) {
            if (image) {
                item->imageName = normal;
            } else {
                const int tile = engine.IDiconComanda(number, false, false);
                if (tile != -1 && images)
                    image = images->GetImageCell("toolbar_lumor_ob", tile, kTileSize, kTileSize);
                if (image) {
                    item->imageName = "toolbar_lumor_ob[";
                    item->imageName << tile << "," << kTileSize << "," << kTileSize << "]";
                } else if (number == kCheckBoxCommand) {
                    item->imageName = "commonCheckBoxSmall";
                    image = Find(images, item->imageName);
                }
            }
            item->image = image;
        }

        if (number == kRecentFilesCommand)
            NewSubMenu(item, box);

        int kind = 0;
        bool checked = false, visible = true, enabled = true;
        if (visor)
            visor->EstadoComanda(number, kind, checked, visible, enabled, nullptr);
        item->checked = checked ? 1 : 0;
        item->visible = visible ? 1 : 0;
        item->enabled = enabled ? 1 : 0;

        TVectorComandas* subTree = command->SubMenu();
        if (subTree && !subTree->IsEmpty() && depth < kMostDepth) {
            TPDAUIEngineElementMenu* sub = NewSubMenu(item, box);
            if (item->label == "Debug") {
                // Debug entries stand out: yellow on dark red.
                for (int s = 0; s < 5; ++s) {
                    sub->backgrounds.Edit(s) = TPDAUIEngineStyleBackground();
                    sub->backgrounds.Edit(s).kind = TPDAUIEngineStyleBackground::KindColor;
                    sub->backgrounds.Edit(s).colour = TColorIG(0x60, 0x08, 0x08);
                    sub->foregrounds[s] = TColorIG(0xFF, 0xE0, 0x40).color;
                }
            }
            FillCommandButtons(sub, nullptr, subTree, depth + 1, commandName, 0, 0, 0, atFront);
        }
    }
    HideSpareSeparators(box);
    return container;
}

void TOrbetaApp::RefreshMenuItems(TPDAUIEngineElement* menu, bool& changed)
{
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(menu);
    if (!box)
        return;
    TVisor_LumorGPSPocket* visor = engine.visor;
    for (int i = 0; i < box->children.Count(); ++i) {
        auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(box->children[i]);
        TItemComanda* command = item ? CommandItemOf(item) : nullptr;
        if (!command)
            continue;
        const int number = command->Comanda();
        int kind = 0;
        bool checked = false, visible = true, enabled = true;
        if (visor)
            visor->EstadoComanda(number, kind, checked, visible, enabled, command->Parametro().c_str());
        if ((item->visible != 0) != visible)
            changed = true;
        if (command->Invertido())
            checked = !checked;
        item->checked = checked ? 1 : 0;
        item->visible = visible ? 1 : 0;
        item->enabled = enabled ? 1 : 0;

        TPDAUIEngineElementMenu* sub = item->SubMenu();
        if (number == kRecentFilesCommand) {
            if (!sub)
                continue;
            sub->RemoveAllChildren();
            if (!engine.config)
                continue;
            TConfigRecent& recents = engine.config->recentFiles;
            recents.ReadRecents();
            for (int r = 0; r < recents.Count(); ++r) {
                const DString entry = recents.Get(r);
                if (entry.IsEmpty())
                    continue;
                DString text("&");
                text << (r + 1) << " " << TStringNomFitx(entry).nom_fitx_ext();
                auto* recent = new TPDAUIEngineElementMenuItem();
                CopyItemStyles(recent, sub);
                for (int s = 0; s < 5; ++s)
                    recent->foregrounds[s] = sub->foregrounds[s];
                recent->label = CleanLabel(engine, text);
                recent->onCommand = "openRecentFile";
                recent->onCommand << r;
                sub->InsertChild(recent, -1, nullptr, nullptr);
            }
        } else if (number == k3DViewCommand) {
            const int mode = engine.Get3DMode();
            if (mode == 1 || mode == 2) {
                item->imagePressedName = "commonCommand269";
                item->imagePressedName << (mode == 1 ? "Pressed" : "Pressed2");
                item->imagePressed = Find(ImagesOf(item, uiEngine), item->imagePressedName);
            }
        } else if (sub) {
            RefreshMenuItems(sub, changed);
        }
    }
}
