#include "display/usercontrols/TUserControlMapInfoNext.h"

#include <algorithm>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlCommon.h"
#include "display/usercontrols/TUserControlSignpost.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"

namespace {
const int kRefreshMs = 1000;
const int kWordBreak = 16;
const int kShowAttachmentsCommand = 150;

using usercontrols::SetVisible;
} // namespace

TUserControlMapInfoNext::TUserControlMapInfoNext(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolMapInfoNext";
    if (app && app->engine.config)
        configuredLines = app->engine.config->mapInfoNextLines;
}

TUserControlMapInfoNext::~TUserControlMapInfoNext() {}

void TUserControlMapInfoNext::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                     TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblText = FindElement("lblText", true);
    usercontrolSignpost = dynamic_cast<TUserControlSignpost*>(FindElement("usercontrolSignpost", false));
    btnShowAttachments = FindElement("btnShowAttachments", true);
    imbMore = FindElement("imbMore", true);
    imbLess = FindElement("imbLess", true);
    boxMoreLess = FindElement("boxMoreLess", true);
    for (TPDAUIEngineElement* child :
         {lblText, (TPDAUIEngineElement*)usercontrolSignpost, btnShowAttachments, imbMore, imbLess, boxMoreLess})
        if (child)
            child->visible = 0;
    if (singleLine)
        backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    if (boxMoreLess)
        boxMoreLess->pack = engine && engine->skinSettings.rightToLeft ? AlignStart : AlignEnd;
    Empty();
}

void TUserControlMapInfoNext::Paint(IDC* dc, int x, int y)
{
    const int now = engine ? engine->GetTickCount() : 0;
    // Wrap-safe: the tick difference as unsigned.
    if (!refreshed || (unsigned)(now - lastRefresh) > (unsigned)kRefreshMs) {
        refreshed = true;
        lastRefresh = now;
        UpdateContent();
    }
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}

int TUserControlMapInfoNext::LabelContentWidth()
{
    if (!lblText)
        return 0;
    // A label hidden at the last layout has no width yet: measured text
    // would wrap at every word.
    if (!lblText->visible) {
        lblText->visible = 1;
        ReapplyBounds();
    }
    return std::max(0, lblText->width - lblText->padding.left - lblText->padding.right -
                           2 * lblText->borders[StateNormal].width);
}

void TUserControlMapInfoNext::SetMaxLines(TPDAUIEngineElement* label, int lines)
{
    if (auto* l = dynamic_cast<TPDAUIEngineElementLabel*>(label))
        l->maxLines = lines;
    else if (auto* f = dynamic_cast<TPDAUIEngineElementAutoFitLabel*>(label))
        f->maxLines = lines;
}

void TUserControlMapInfoNext::UpdateContent()
{
    if (!app)
        return;
    TValCampo v;
    app->engine.Retorna_Val_Campo_Global(318, v, false, false);
    if (!v.texto.IsEmpty()) {
        NextManoeuvre(v.texto);
    } else {
        app->engine.Retorna_Val_Campo_Global(308, v, false, false);
        if (!v.texto.IsEmpty())
            FieldText(v.texto);
        else
            Empty();
    }
    const bool more = !singleLine && shownLines < neededLines;
    SetVisible(imbMore, more);
    SetVisible(imbLess, false);
    const bool boxChanged = SetVisible(boxMoreLess, more);
    if (mode != layoutMode || shownLines != layoutLines || boxChanged) {
        layoutMode = mode;
        layoutLines = shownLines;
        if (usercontrolSignpost)
            usercontrolSignpost->lineCount = shownLines;
        if (parent)
            parent->ReapplyBounds();
        // A parent that keeps this control's rectangle does not lay it out
        // again: children shown since then still need their places.
        ReapplyBounds();
    }
}

void TUserControlMapInfoNext::Empty()
{
    mode = ModeEmpty;
    if (lblText) {
        lblText->label.Empty();
        lblText->visible = 1;
    }
    SetVisible(btnShowAttachments, false);
    SetVisible(usercontrolSignpost, false);
    lineLimit = shownLines = neededLines = 1;
}

void TUserControlMapInfoNext::ApplyLineRule(int previousMode)
{
    lineLimit = std::max(1, configuredLines);
    if (expanded)
        shownLines = std::min(neededLines, lineLimit);
    if (previousMode != ModeNextManoeuvre)
        shownLines = lineLimit;
    shownLines = std::min(shownLines, neededLines);
    if (singleLine)
        shownLines = neededLines;
    shownLines = std::max(1, shownLines);
}

void TUserControlMapInfoNext::NextManoeuvre(const DString& text)
{
    const int previousMode = mode;
    mode = ModeNextManoeuvre;
    if (text[0] == ':') {
        if (lblText && engine) {
            lblText->label = text.SubString(1);
            const int textHeight = engine->GetTextExtent(lblText->font, lblText->label, LabelContentWidth(), kWordBreak).cy;
            // One line measured on a sample: the text itself may be empty.
            const int lineHeight = std::max(1, engine->GetTextExtent(lblText->font, "Ag", 0, 0).cy);
            neededLines = std::max(1, textHeight / lineHeight);
        } else {
            neededLines = 1;
        }
        ApplyLineRule(previousMode);
        if (lblText) {
            lblText->visible = 1;
            SetMaxLines(lblText, shownLines);
        }
        SetVisible(usercontrolSignpost, false);
    } else {
        if (lblText && text != lblText->label) {
            lblText->label = text;
            if (usercontrolSignpost) {
                const int laidOut =
                    usercontrolSignpost->Prepare(text, lblText->font, lblText->foregrounds[StateNormal]);
                neededLines = std::max(1, laidOut / std::max(1, lblText->font.size + usercontrolSignpost->padding.inner));
            } else {
                neededLines = 1;
            }
        }
        neededLines = std::max(1, neededLines);
        ApplyLineRule(previousMode);
        SetVisible(lblText, false);
        SetVisible(usercontrolSignpost, true);
        if (usercontrolSignpost) {
            usercontrolSignpost->label = text;
            usercontrolSignpost->lineCount = shownLines;
        }
    }
    UpdateAttachments();
}

void TUserControlMapInfoNext::FieldText(const DString& text)
{
    mode = ModeFieldText;
    if (lblText) {
        lblText->label = text;
        const int textWidth = engine ? engine->GetTextExtent(lblText->font, text, 0, 0).cx : 0;
        int lines = 1;
        if (textWidth >= LabelContentWidth() || singleLine) {
            neededLines = 2;
            lines = shownLines > 1 || singleLine ? 2 : 1;
        } else {
            neededLines = 1;
        }
        shownLines = lines;
        lblText->visible = 1;
        SetMaxLines(lblText, lines);
    }
    SetVisible(btnShowAttachments, false);
    SetVisible(usercontrolSignpost, false);
}

TElementoGPS* TUserControlMapInfoNext::ObjectWithAttachments(TOrbetaApp* app, int field)
{
    if (!app)
        return nullptr;
    TValCampo v;
    if (!app->engine.Retorna_Val_Campo_Global(field, v, false, false) || !v.objeto)
        return nullptr;
    auto* object = static_cast<TElementoGPS*>(v.objeto);
    TValCampo attachments;
    return object->Retorna_Val_Campo(742, attachments) && attachments.valor != 0 ? object : nullptr;
}

void TUserControlMapInfoNext::UpdateAttachments()
{
    const bool hidden = app->engine.config && app->engine.config->hideAttachments;
    const bool show = ObjectWithAttachments(app, 380) && !hidden;
    if (SetVisible(btnShowAttachments, show))
        ReapplyBounds();
}

void TUserControlMapInfoNext::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    // A command of the control's own is its handling of the tap; the lines
    // change only for a tap nothing else took.
    if (!onCommand.IsEmpty()) {
        TPDAUIEngineElementUserControl::OnMouseUp(x, y, kind, handled);
        return;
    }
    if ((handled && *handled) || !enabled || kind != 0 || singleLine)
        return;
    if (shownLines == lineLimit) {
        if (lineLimit >= neededLines) {
            shownLines = 1;
            expanded = false;
        } else if (mode != ModeNextManoeuvre) {
            shownLines = neededLines;
            expanded = true;
        } else {
            // The full text would open in the text viewer, which this program
            // does not have yet.
            DString line("TPageTextViewer (");
            line << viewerTitle << ") is not available";
            if (app)
                app->engine.Log(line.c_str(), false);
            shownLines = 1;
            expanded = false;
        }
    } else if (shownLines != neededLines) {
        shownLines = lineLimit;
        expanded = true;
    } else {
        shownLines = 1;
        expanded = false;
    }
    Invalidate();
    UpdateContent();
}

void TUserControlMapInfoNext::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "showAttachments") {
        TElementoGPS* object = ObjectWithAttachments(app, 380);
        if (object && app->engine.visor) {
            app->engine.visor->SetObjetoSeleccionado(object, -1);
            app->engine.visor->EjecutaComanda(object, -1, "-2", (TComandasLumorGPS)kShowAttachmentsCommand);
        }
        return;
    }
    TPDAUIEngineElementUserControl::OnCommand(command);
}
