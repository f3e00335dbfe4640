#include "display/usercontrols/TUserControlPolivalentDataItem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "app/TOrbetaApp.h"
#include "display/gadgets/TGadgetArrowGoto.h"
#include "display/gadgets/TGadgetNextManuobre.h"
#include "display/gadgets/TGadgetPolivalentDataItem.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

using Gadget = TGadgetPolivalentDataItem;

void OwnColour(TPDAUIEngineElement* child, const TPDAUIEngineElement* box)
{
    child->foregrounds[TPDAUIEngineElement::StateNormal] = box->foregrounds[TPDAUIEngineElement::StateNormal];
}

} // namespace

TUserControlPolivalentDataItem::TUserControlPolivalentDataItem(TOrbetaApp* application) : app(application)
{
    tag = "usercontrol/usercontrolPolivalentDataItem";
    borders.Edit(StateNormal).width = 0;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
}

TUserControlPolivalentDataItem::~TUserControlPolivalentDataItem() = default;

bool TUserControlPolivalentDataItem::DrawsItself() const
{
    switch (field) {
    case 47: case 66: case 99: case 313: case 314: case 318: case 319: case 339: case 372: case 805: case 1502:
    case 1503:
        return true;
    default:
        return false;
    }
}

void TUserControlPolivalentDataItem::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        if (stream->Error())
            return;
        int32_t stored = -1;
        *stream >> stored;
        if (stream->Error())
            return;
        field = stored;
    } else if (xmlNode) {
        field = xmlNode->GetAttributeInt("campo", field, 1.0f);
    }
    if (engine && engine->skinCompiling)
        return;
    BuildContent();
}

void TUserControlPolivalentDataItem::BuildContent()
{
    contentStart = children.Count();
    TPDAUIEngineElement* control = nullptr;
    bool built = false;
    labelFallback = false;
    switch (field) {
    case 47:
        control = Gadget::MakeUserControl(app, "usercontrolCompass");
        if (control) {
            OwnColour(control, this);
            Gadget::FreeSize(control);
        }
        break;
    case 98:
    case 2103:
        Gadget::AddLabelAndBar(this);
        built = true;
        break;
    case 99:
        control = Gadget::MakeUserControl(app, "usercontrolMaxVelocity");
        if (control) {
            control->id = "usercontrolMaxVelocity";
            Gadget::FreeSize(control);
        }
        break;
    case 313:
        control = new TGadgetArrowGoto(app);
        control->flex = 1;
        OwnColour(control, this);
        break;
    case 314:
    case 319:
    case 372:
        control = new TGadgetNextManuobre(app, field);
        control->flex = 1;
        OwnColour(control, this);
        break;
    case 318:
        control = Gadget::MakeUserControl(app, "usercontrolMapInfoNext");
        if (auto* next = dynamic_cast<TUserControlMapInfoNext*>(control))
            next->singleLine = true;
        if (control) {
            control->font.SetAttribute("Size", "16");
            control->font.bold = true;
            control->flex = 1;
            OwnColour(control, this);
            control->backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
            control->backgrounds.Edit(StateNormal).alpha = 1;
        }
        break;
    case 805:
    case 1502:
    case 1503:
        control = Gadget::MakeUserControl(app, "usercontrolMapScale");
        if (control)
            control->flex = 0;
        break;
    case 19: {
        auto* label = new TPDAUIEngineElementAutoFitLabel();
        label->label = "";
        OwnColour(label, this);
        label->font = font;
        label->flex = 1;
        AddChild(label, nullptr, nullptr);
        built = true;
        break;
    }
    default:
        break;
    }
    if (control) {
        AddChild(control, nullptr, nullptr);
        built = true;
    }
    if (!built) {
        Gadget::AddDefaultLabel(this);
        labelFallback = DrawsItself() && field != 66 && field != 339;
    }
    savedBackgroundKind = backgrounds[StateNormal].kind;
    savedBackgroundColour = backgrounds[StateNormal].colour;
}

void TUserControlPolivalentDataItem::Paint(IDC* dc, int x, int y)
{
    if (app) {
        TValCampo value;
        value.texto = "";
        app->engine.Retorna_Val_Campo_Global(field, value, false, false);
        Gadget::EPaintKind kind = Gadget::PaintLabel;
        if (DrawsItself() && !labelFallback)
            kind = Gadget::PaintNothing;
        else if (field == 98 || field == 2103)
            kind = Gadget::PaintLabelAndBar;
        Gadget::Refresh(this, app, kind, value);
    }
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}

void TUserControlPolivalentDataItem::OnContextMenu(int x, int y, unsigned char* handled)
{
    if (onContextMenuCommand.IsEmpty())
        return;
    const TRectIG screen = GetScreenRect();
    RaiseCommand(onContextMenuCommand.c_str(), TPDAUIEngineSaturate::Add(x, screen.left),
                 TPDAUIEngineSaturate::Add(y, screen.top), true);
    if (handled)
        *handled = 1;
}

void TUserControlPolivalentDataItem::SetAttribute(const char* name, const char* value)
{
    if (name && CDString(name) == "campo") {
        // A whole number; anything else keeps the field.
        if (!value)
            return;
        errno = 0;
        char* end = nullptr;
        const long n = std::strtol(value, &end, 10);
        if (end != value && errno == 0 && n >= INT_MIN && n <= INT_MAX)
            field = (int32_t)n;
        return;
    }
    TPDAUIEngineElementUserControl::SetAttribute(name, value);
}

DString TUserControlPolivalentDataItem::GetAttribute(const char* name)
{
    if (name && CDString(name) == "campo") {
        DString out;
        out << (int)field;
        return out;
    }
    return TPDAUIEngineElementUserControl::GetAttribute(name);
}

void TUserControlPolivalentDataItem::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementUserControl::CopyFrom(other);
    if (auto* o = dynamic_cast<TUserControlPolivalentDataItem*>(other)) {
        field = o->field;
        flag = o->flag;
        // The copy makes its own content when it is loaded.
        while (children.Count() > o->contentStart && children.Count() > 0)
            RemoveChild(children[children.Count() - 1]);
    }
}

void TUserControlPolivalentDataItem::Save(TFicheroITV& stream)
{
    SaveContainer(stream, [](TPDAUIEngineElement* child) {
        auto* owner = dynamic_cast<TUserControlPolivalentDataItem*>(child->parent);
        return owner && owner->IndexOfChild(child) >= owner->contentStart;
    });
    stream << (expanded != 0);
    stream << field;
}
