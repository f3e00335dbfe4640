#include "display/pages/TPageTrackGraph.h"

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "enginelib/nav/TUnidades.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kInteractiveView = 2;
}

TPageTrackGraph::TPageTrackGraph(TOrbetaApp* app, TTrackRutaBase* source)
    : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app), source(source)
{
}

void TPageTrackGraph::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                             TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageTrackGraph");
    lblTitle = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblTitle", true));
    boxContainer = dynamic_cast<TPDAUIEngineElementBox*>(FindElement("boxContainer", true));
    if (boxContainer) {
        graph = new TUserControlGraficas_2011B(app, source, kInteractiveView, 0, nullptr);
        graph->flex = 1;
        boxContainer->AddChild(graph, nullptr, nullptr);
        boxContainer->ReapplyBounds();
    }
    if (lblTitle && engine) {
        DString title = engine->TranslateText("{I41}");
        title << " (" << TUnidades::Nombre_Mag(1) << "/" << TUnidades::Nombre_Mag(2) << ")";
        lblTitle->label = title;
    }
}

void TPageTrackGraph::Detach()
{
    // The page deletes its tree.
    lblTitle = nullptr;
    boxContainer = nullptr;
    graph = nullptr;
    TPDAUIEngineElementPage::Detach();
}

void TPageTrackGraph::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "load")
        return;
    if (command.name == "cancel") {
        Close(0);
        return;
    }
    command.handled = 0;
}
