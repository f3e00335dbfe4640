#include "display/gadgets/TGadgetPolivalentDataItem.h"

#include <new>

#include "uiengine/core/TPDAUIEngineSaturate.h"

#include "app/TOrbetaApp.h"
#include "app/TUserControlFactory.h"
#include "display/gadgets/TGadgetArrowGoto.h"
#include "display/gadgets/TGadgetNextManuobre.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "enginelib/draw/TColorIG.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TUnidades.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// Fields whose content draws itself: the paint leaves them alone.
bool DrawsItself(int field, bool bigVariant)
{
    switch (field) {
    case 21: case 47: case 66: case 99: case 313: case 314: case 318: case 319: case 339: case 351:
    case 352: case 372: case 805: case 1502: case 1503:
    // A graph control and the satellites control: not labels to write into.
    case 373: case 379:
        return true;
    case 98:
        return bigVariant;
    default:
        return false;
    }
}

void OwnColour(TPDAUIEngineElement* child, const TPDAUIEngineElement* box)
{
    child->foregrounds[TPDAUIEngineElement::StateNormal] = box->foregrounds[TPDAUIEngineElement::StateNormal];
}

void LogGraph(TOrbetaApp* app, const char* what)
{
    if (!app)
        return;
    DString line("TGadgetPolivalentDataItem::OnLoad campo==");
    line << what;
    app->engine.RegistraGPS2(line.c_str(), 1);
}

TPDAUIEngineElementBox* AsBox(TPDAUIEngineElement* e) { return dynamic_cast<TPDAUIEngineElementBox*>(e); }

// The units label beside a data field: in its parent, else in the parent's parent.
TPDAUIEngineElement* FindUnitsLabel(TPDAUIEngineElement* box)
{
    TPDAUIEngineElement* parent = box->parent;
    if (TPDAUIEngineElementBox* p = AsBox(parent)) {
        if (TPDAUIEngineElement* e = p->FindElement("lblPolivalentDataItemUnits", false))
            return e;
        if (TPDAUIEngineElement* e = p->FindElement("lblUnits", false))
            return e;
    }
    if (parent)
        if (TPDAUIEngineElementBox* g = AsBox(parent->parent))
            return g->FindElement("lblUnits", false);
    return nullptr;
}

} // namespace

TGadgetPolivalentDataItem::TGadgetPolivalentDataItem(TOrbetaApp* application, int f, bool big, int titleId)
    : app(application), field(f), bigVariant(big), titleLabelId(titleId)
{
    tag = "gadgetPolivalentDataItem";
    borders.Edit(StateNormal).width = 1;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleSolid;
}

TGadgetPolivalentDataItem::~TGadgetPolivalentDataItem() = default;

TPDAUIEngineElement* TGadgetPolivalentDataItem::MakeUserControl(TOrbetaApp* app, const char* name)
{
    // Without the application there is no control to make (skin tools, fuzzing).
    if (!app)
        return nullptr;
    DString tagText("usercontrol/");
    tagText << name;
    return TUserControlFactory::FuncCreateUserControlElementByNameCallBack(app, tagText.c_str());
}

void TGadgetPolivalentDataItem::FreeSize(TPDAUIEngineElement* child)
{
    child->minimumHeight = 0;
    child->minimumWidth = 0;
    child->flex = 1;
}

TPDAUIEngineElementAutoFitLabel* TGadgetPolivalentDataItem::AddDefaultLabel(TPDAUIEngineElementBox* box)
{
    auto* label = new TPDAUIEngineElementAutoFitLabel();
    label->label = "";
    OwnColour(label, box);
    label->font = box->font;
    label->minimumFontSize = box->font.size;
    label->flex = 1;
    box->AddChild(label, nullptr, nullptr);
    return label;
}

void TGadgetPolivalentDataItem::AddLabelAndBar(TPDAUIEngineElementBox* box)
{
    box->margins = TPDAUIEngineMargins();
    auto* label = new TPDAUIEngineElementAutoFitLabel();
    OwnColour(label, box);
    label->align = AlignCenter;
    label->flex = 1;
    label->font = box->font;
    label->minimumFontSize = 12;
    label->padding.left = 2;
    label->padding.right = 2;
    box->AddChild(label, nullptr, nullptr);

    auto* bar = new TPDAUIEngineElementProgressBar();
    bar->value = 50;
    bar->flex = 1;
    TPDAUIEngineStyleBackground& back = bar->backgrounds.Edit(StateNormal);
    back.kind = TPDAUIEngineStyleBackground::KindImage;
    back.imageName = "commonProgressBar";
    if (box->page)
        back.image = box->page->resources.GetImage("commonProgressBar", false, false);
    else if (box->engine)
        back.image = box->engine->resources.GetImage("commonProgressBar", false, false);
    bar->imageName = "commonProgressBarFull";
    const float scale = GetUIScale();
    bar->maximumHeight = TPDAUIEngineUIScale::Truncate(16 * scale);
    const int m = TPDAUIEngineUIScale::Truncate(5 * scale);
    bar->margins.left = bar->margins.top = bar->margins.right = bar->margins.bottom = m;
    box->AddChild(bar, nullptr, nullptr);

    box->layout = LayoutTable;
    box->layoutColumns = 1;
    box->layoutRows = 2;
}

DString TGadgetPolivalentDataItem::RespacePosition(const DString& text)
{
    const int n = text.Length();
    if (n < 11)
        return text;
    // Characters 0-2, 3-4, 5-9 and 10-98: zone and band, square, easting, northing.
    const char* s = text.c_str();
    DString out;
    out.Append(s, 3);
    out << " ";
    out.Append(s + 3, 2);
    out << " ";
    out.Append(s + 5, 5);
    out << " ";
    out.Append(s + 10, n - 10 < 89 ? n - 10 : 89);
    return out;
}

int TGadgetPolivalentDataItem::CoordinateFormat(TOrbetaApp* app)
{
    if (!app || !app->engine.config)
        return 0;
    app->engine.config->coordFormat.ReadVal2();
    return app->engine.config->coordFormat.GetValor();
}

void TGadgetPolivalentDataItem::Refresh(TPDAUIEngineElementBox* box, TOrbetaApp* app, EPaintKind kind,
                                        const TValCampo& v)
{
    if (kind == PaintNothing || box->children.Count() == 0)
        return;
    const TColorIG colour = v.alarma ? TColorIG(TColoresIG::F_LtRed) : TColorIG(box->foregrounds[StateNormal]);
    // Only the label this box built is written into.
    auto* label = dynamic_cast<TPDAUIEngineElementAutoFitLabel*>(box->children[0]);
    if (!label)
        return;

    if (kind == PaintLabelAndBar) {
        label->label = v.texto;
        label->foregrounds[StateNormal] = colour;
        auto* bar = box->children.Count() > 1 ? dynamic_cast<TPDAUIEngineElementProgressBar*>(box->children[1])
                                              : nullptr;
        if (!bar)
            return;
        bar->value = v.AsInteger();
        const int rows = box->height >= kBarMinimumHeight && v.valor > 0 ? 2 : 1;
        bar->visible = rows == 2;
        if (rows != box->layoutRows) {
            box->layoutRows = rows;
            box->ReapplyBounds();
        }
        return;
    }
    if (kind == PaintPosition) {
        label->label = CoordinateFormat(app) == kGridReferenceFormat ? RespacePosition(v.texto) : v.texto;
        return;
    }

    label->label = v.texto;
    label->foregrounds[StateNormal] = colour;
    if (label->maxLines == -1)
        label->maxLines = 2;
    const DString units = TUnidades::Nombre_Unidad(v.unidades, false);
    if (TPDAUIEngineElement* unitsLabel = FindUnitsLabel(box)) {
        if (!(unitsLabel->label == units)) {
            unitsLabel->label = units;
            if (box->parent)
                box->parent->ReapplyBounds();
        }
    } else if (!units.IsEmpty()) {
        DString text(v.texto);
        text << " " << units;
        label->label = text;
    }
}

TGadgetPolivalentDataItem::EPaintKind TGadgetPolivalentDataItem::PaintKindOfField() const
{
    if (DrawsItself(field, bigVariant))
        return PaintNothing;
    if (field == 2103)
        return PaintLabelAndBar;
    if (field == 19)
        return PaintPosition;
    return PaintLabel;
}

void TGadgetPolivalentDataItem::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                       TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);

    TPDAUIEngineElement* control = nullptr;
    bool contentBuilt = false;
    labelFallback = false;
    switch (field) {
    case 21:
        control = MakeUserControl(app, bigVariant ? "usercontrolVelocityBig" : "usercontrolVelocity");
        if (control)
            FreeSize(control);
        break;
    case 47:
        control = MakeUserControl(app, "usercontrolCompass");
        if (control) {
            OwnColour(control, this);
            FreeSize(control);
        }
        break;
    case 66:
        // The track profile on the shared graph, interactive.
        LogGraph(app, "CAMPOGPS_altimetria_track");
        if (app)
            control = new TUserControlGraficas_2011B(app, nullptr, 1, titleLabelId, app->engine.graph);
        break;
    case 339:
        // The route profile on a graph of its own, a still picture.
        LogGraph(app, "CAMPOGPS_altimetria_ruta");
        if (app)
            control = new TUserControlGraficas_2011B(app, nullptr, 0, 0, nullptr);
        break;
    case 373:
        // What the shared graph shows first (none while it is empty).
        LogGraph(app, "CAMPOGPS_altimetria_graphs");
        if (app) {
            TTrackRutaBase* first = app->engine.graph ? app->engine.graph->GetFirstObject() : nullptr;
            control = new TUserControlGraficas_2011B(app, first, 1, titleLabelId, app->engine.graph);
        }
        break;
    case 98:
        if (bigVariant) {
            control = MakeUserControl(app, "usercontrolBattery");
            if (control) {
                control->id = "usercontrolBattery";
                control->minimumHeight = 0;
                control->minimumWidth = 0;
                control->maximumHeight = 99999;
                control->maximumWidth = 9999;
            }
        }
        break;
    case 99:
    case 352:
        control = MakeUserControl(app, "usercontrolMaxVelocity");
        if (auto* sign = dynamic_cast<TUserControlMaxVelocity*>(control))
            sign->limitField = field;
        if (control)
            FreeSize(control);
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
        control = MakeUserControl(app, "usercontrolMapInfoNext");
        if (auto* next = dynamic_cast<TUserControlMapInfoNext*>(control))
            next->singleLine = true;
        if (control) {
            control->font.SetAttribute("Size", "16");
            control->font.bold = true;
            control->flex = 1;
            OwnColour(control, this);
            control->backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
            control->backgrounds.Edit(StateNormal).alpha = 1;
            auto* scroller = new TPDAUIEngineElementBox();
            scroller->layout = LayoutVerticalScroll;
            scroller->flex = 1;
            AddChild(scroller, nullptr, nullptr);
            scroller->AddChild(control, nullptr, nullptr);
            control = nullptr;
            contentBuilt = true;
        }
        break;
    case 351:
        control = MakeUserControl(app, "usercontrolDistNextRadar");
        if (control) {
            OwnColour(control, this);
            FreeSize(control);
        }
        break;
    case 379:
        control = MakeUserControl(app, "usercontrolSatellites");
        if (control)
            control->id = "usercontrolSatellites";
        break;
    case 805:
    case 1502:
    case 1503:
        control = MakeUserControl(app, "usercontrolMapScale");
        if (control)
            control->flex = 0;
        break;
    case 2103:
        AddLabelAndBar(this);
        contentBuilt = true;
        break;
    case 19: {
        auto* label = new TPDAUIEngineElementAutoFitLabel();
        label->label = "";
        OwnColour(label, this);
        label->font = font;
        label->maxLines = 2;
        label->autoCalculateMaxLines = true;
        label->flex = 1;
        AddChild(label, nullptr, nullptr);
        contentBuilt = true;
        break;
    }
    default:
        break;
    }
    if (control) {
        AddChild(control, nullptr, nullptr);
        contentBuilt = true;
    }
    if (!contentBuilt) {
        // Other fields, and dedicated controls the application cannot make.
        AddDefaultLabel(this);
        labelFallback = DrawsItself(field, bigVariant) && field != 66 && field != 339 && field != 373;
    }
    savedBackgroundKind = backgrounds[StateNormal].kind;
    savedBackgroundColour = backgrounds[StateNormal].colour;
}

void TGadgetPolivalentDataItem::Paint(IDC* dc, int x, int y)
{
    if (app) {
        TValCampo value;
        value.texto = "";
        app->engine.Retorna_Val_Campo_Global(field, value, false, false);
        Refresh(this, app, labelFallback ? PaintLabel : PaintKindOfField(), value);
    }
    TPDAUIEngineElementBox::Paint(dc, x, y);
}

void TGadgetPolivalentDataItem::OnContextMenu(int x, int y, unsigned char* handled)
{
    if (onContextMenuCommand.IsEmpty())
        return;
    const TRectIG screen = GetScreenRect();
    RaiseCommand(onContextMenuCommand.c_str(), TPDAUIEngineSaturate::Add(x, screen.left),
                 TPDAUIEngineSaturate::Add(y, screen.top), true);
    if (handled)
        *handled = 1;
}
