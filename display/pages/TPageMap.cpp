#include "display/pages/TPageMap.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/TOrbetaApp.h"
#include "app/TOrbetaAppCommands.h"
#include "app/TUserControlFactory.h"
#include "display/pages/TPageMapParts.h"
#include "enginelib/nav/TCampos.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TItemComanda.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

// A whole decimal number in the int range; false for anything else.
bool ParseInt(const std::string& text, int& out)
{
    size_t start = 0, end = text.size();
    while (start < end && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r'))
        --end;
    if (start == end)
        return false;
    const std::string digits = text.substr(start, end - start);
    errno = 0;
    char* stop = nullptr;
    const long long v = std::strtoll(digits.c_str(), &stop, 10);
    if (errno || !stop || *stop || v < INT_MIN || v > INT_MAX)
        return false;
    out = (int)v;
    return true;
}

// The mini-menu's command list: one for the program, released at exit.
TVectorComandas& MiniMenuCommands()
{
    static TVectorComandas commands;
    return commands;
}

bool SetVisible(TPDAUIEngineElement* e, bool on, bool& changed)
{
    if (!e)
        return false;
    const unsigned char v = on ? 1 : 0;
    if (e->visible != v) {
        e->visible = v;
        changed = true;
    }
    return true;
}

} // namespace

// ---- helpers without a page ----

std::vector<int> TPageMap::MapPageFields(const char* layout)
{
    std::vector<int> fields;
    if (!layout)
        return fields;
    std::string first(layout);
    first = first.substr(0, first.find(';'));
    const size_t colon = first.find(':');
    if (colon != std::string::npos)
        first = first.substr(colon + 1);
    size_t start = 0;
    for (;;) {
        const size_t comma = first.find(',', start);
        int field = 0;
        if (ParseInt(first.substr(start, comma == std::string::npos ? std::string::npos : comma - start), field))
            fields.push_back(field);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

void TPageMap::ParseSliderState(const char* text, int count1, int count2, int& index1, int& index2)
{
    const std::string s = text ? text : "";
    const size_t bar = s.find('|');
    int a = 0, b = 0;
    if (!ParseInt(s.substr(0, bar), a))
        a = 0;
    if (bar == std::string::npos || !ParseInt(s.substr(bar + 1), b))
        b = 0;
    // A stored index may name a slide that no longer exists, or be garbled.
    index1 = count1 < 1 ? -1 : std::max(0, std::min(a, count1 - 1));
    index2 = count2 < 1 ? -1 : std::max(0, std::min(b, count2 - 1));
}

// ---- life ----

TPageMap::TPageMap(TOrbetaApp* app) : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app)
{
    timerInterval = kTimerInterval;
}

TPageMap::~TPageMap() = default;

namespace {

// Binds one element of the page by id. A required one that is missing, or of
// another kind, is the skin's fault: the message, then the program ends.
template <class T>
T* Bind(TPDAUIEngineElementBox* root, const char* id, bool required, bool& ok)
{
    TPDAUIEngineElement* e = root->FindElement(id, false);
    T* typed = dynamic_cast<T*>(e);
    if (!typed && required) {
        // The first one is reported: the program ends with it.
        if (ok && root->engine) {
            DString text("Element '");
            text << id << "' not found in xml.";
            root->engine->MessageBox(text.c_str(), root->engine->skinSettings.applicationName.c_str());
            root->engine->Terminate();
        }
        ok = false;
    }
    return typed;
}

// A user control the application cannot make yet is simply absent from the
// page; one it can make must be in the skin.
template <class T>
T* BindUserControl(TPDAUIEngineElementBox* root, const char* id, bool& ok)
{
    TPDAUIEngineElement* e = root->FindElement(id, false);
    if (e)
        return dynamic_cast<T*>(e);
    // Only the application's factory makes these.
    TPDAUIEngine* ui = root->engine;
    if (!ui || ui->callbacks.userControlFactory != &TUserControlFactory::FuncCreateUserControlElementByNameCallBack)
        return nullptr;
    DString tag("usercontrol/");
    tag << id;
    int count = 0;
    const TUserControlFactoryRow* rows = TUserControlFactory::Rows(count);
    for (int i = 0; i < count; ++i)
        if (tag == rows[i].tag && rows[i].make)
            return Bind<T>(root, id, true, ok);
    return nullptr;
}

} // namespace

void TPageMap::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                      TFicheroITV*)
{
    bound = false;
    gadgetVisor2D = gadgetNextManuobre = gadgetNextDistance = nullptr;
    dataFields_.clear();
    dataContainer_ = nullptr;
    LoadPage(e, nullptr, par, "pageMap");
    timerInterval = kTimerInterval;

    bool ok = true;
    btnZoomIn = Bind<TPDAUIEngineElementButton>(this, "btnZoomIn", true, ok);
    btnZoomOut = Bind<TPDAUIEngineElementButton>(this, "btnZoomOut", true, ok);
    btnShowPageRadars = Bind<TPDAUIEngineElement>(this, "btnShowPageRadars", true, ok);
    btn2D = Bind<TPDAUIEngineElement>(this, "btn2D", true, ok);
    btn3D = Bind<TPDAUIEngineElement>(this, "btn3D", true, ok);
    btn3DPlus = Bind<TPDAUIEngineElement>(this, "btn3DPlus", true, ok);
    btnTMCEventsOn = Bind<TPDAUIEngineElement>(this, "btnTMCEventsOn", true, ok);
    btnTMCEventsOff = Bind<TPDAUIEngineElement>(this, "btnTMCEventsOff", true, ok);
    btnAutoCenter = Bind<TPDAUIEngineElementButton>(this, "btnAutoCenter", true, ok);
    btnMute = Bind<TPDAUIEngineElementButton>(this, "btnMute", true, ok);
    lblTime = Bind<TPDAUIEngineElement>(this, "lblTime", false, ok);
    btnChangeView = Bind<TPDAUIEngineElementButton>(this, "btnChangeView", true, ok);
    ctmContextMenu = Bind<TPDAUIEngineElementMenu>(this, "ctmContextMenu", true, ok);
    boxGadgetVisor2D = Bind<TPDAUIEngineElementBox>(this, "boxGadgetVisor2D", true, ok);
    boxPolivalentDataTemplate = Bind<TPDAUIEngineElementBox>(this, "boxPolivalentDataTemplate", true, ok);
    boxPolivalentDataTemplateContainer = Bind<TPDAUIEngineElement>(this, "boxPolivalentDataTemplateContainer", true, ok);
    usercontrolMapInfoNext = BindUserControl<TPDAUIEngineElement>(this, "usercontrolMapInfoNext", ok);
    usercontrolMapInfoCurrent = BindUserControl<TPDAUIEngineElement>(this, "usercontrolMapInfoCurrent", ok);
    boxAutoHideMessage = Bind<TPDAUIEngineElementBox>(this, "boxAutoHideMessage", true, ok);
    lblAutoHideMessage = Bind<TPDAUIEngineElement>(this, "lblAutoHideMessage", true, ok);
    boxToolbarContainer = Bind<TPDAUIEngineElement>(this, "boxToolbarContainer", true, ok);
    btnChangeViewButtons = Bind<TPDAUIEngineElement>(this, "btnChangeViewButtons", true, ok);
    tlbMainToolBar = Bind<TPDAUIEngineElementBox>(this, "tlbMainToolBar", true, ok);
    tlbInferiorToolBar = Bind<TPDAUIEngineElementBox>(this, "tlbInferiorToolBar", true, ok);
    mniToolbarItemTemplate = Bind<TPDAUIEngineElement>(this, "mniToolbarItemTemplate", true, ok);
    mniToolbarInferiorItemTemplate = Bind<TPDAUIEngineElement>(this, "mniToolbarInferiorItemTemplate", true, ok);
    boxNavigationNextDistanceGadget = Bind<TPDAUIEngineElementBox>(this, "boxNavigationNextDistanceGadget", true, ok);
    boxNavigationNextDistance = Bind<TPDAUIEngineElement>(this, "boxNavigationNextDistance", true, ok);
    boxMainFotoView = Bind<TPDAUIEngineElementBox>(this, "boxMainFotoView", true, ok);
    boxNavigation = Bind<TPDAUIEngineElement>(this, "boxNavigation", true, ok);
    boxNextManuobreContainerHead = Bind<TPDAUIEngineElement>(this, "boxNextManuobreContainerHead", true, ok);
    boxMenu = Bind<TPDAUIEngineElement>(this, "boxMenu", true, ok);
    sliderBox = Bind<TPDAUIEngineElementSliderBox>(this, "sliderBox", true, ok);
    sliderBoxButtons = Bind<TPDAUIEngineElementSliderBox>(this, "sliderBoxButtons", true, ok);
    boxNextManuobre = Bind<TPDAUIEngineElementBox>(this, "boxNextManuobre", true, ok);
    boxNextManuobreContainer = Bind<TPDAUIEngineElement>(this, "boxNextManuobreContainer", true, ok);
    btnTrackStop = Bind<TPDAUIEngineElement>(this, "btnTrackStop", true, ok);
    btnTrackActivate = Bind<TPDAUIEngineElementButton>(this, "btnTrackActivate", true, ok);
    btnNavigationMenu = Bind<TPDAUIEngineElementButton>(this, "btnNavigationMenu", true, ok);
    usercontrolGraficas_2011B = BindUserControl<TPDAUIEngineElement>(this, "usercontrolGraficas_2011B", ok);
    imlFriends = Bind<TPDAUIEngineElement>(this, "imlFriends", false, ok);
    boxOrbetaAds = Bind<TPDAUIEngineElement>(this, "boxOrbetaAds", true, ok);
    if (!ok || !engine || !app)
        return;  // the program is ending; nothing here is used
    bound = true;

    ctmContextMenu->visible = 0;
    boxMainFotoView->visible = 0;
    boxNextManuobreContainer->visible = 0;
    if (usercontrolMapInfoNext)
        usercontrolMapInfoNext->visible = 0;

    TPageMapParts::AddGadgets(*this);

    TConfig* c = app->engine.config;
    if (c && c->mute)
        btnMute->pressed = 1;
    boxToolbarContainer->visible = Pointer() ? 1 : 0;

    SendSelf("loadToolbarButtons");
    SendSelf("loadPolivalentDataFields");
    RestoreSliderState();

    const char* menuImage = c && c->onRoad ? "pageMainButtonMenuIconOn" : "pageMainButtonMenuIcon";
    btnNavigationMenu->imageName = menuImage;
    btnNavigationMenu->image = resources.GetImage(menuImage, false, false);

    timerInterval = kTimerInterval;
    StartTimer();
    fullScreenFlag = c && c->fullScreen ? 1 : 0;
    boxOrbetaAds->visible = 0;
}

void TPageMap::OnTimer(int, int) { UpdateControls(); }

void TPageMap::OnMouseWheel(int x, int y, int delta)
{
    if (!bound || GetOuterPage()->popups.Count() > 0 || popups.Count() > 0)
        return;
    if (gadgetVisor2D) {
        // The gadget takes points in its own coordinates.
        const TRectIG own = GetScreenRect(), g = gadgetVisor2D->GetScreenRect();
        gadgetVisor2D->OnMouseWheel(x + own.left - g.left, y + own.top - g.top, delta);
    }
    UpdateControls();
}

void TPageMap::OnContextMenu(int, int, unsigned char* handled)
{
    if (!bound)
        return;
    if (btnZoomIn->pressed || btnZoomOut->pressed)
        return;
    if (handled)
        *handled = 1;
    SendSelf("showGadgetVisor2DContextMenu");
}

int TPageMap::RequiresOpenGL() { return app && app->engine.RequieresOpenGL() ? 1 : 0; }

// ---- small helpers ----

void TPageMap::SendSelf(const char* name)
{
    TPDAUIEngineCommand command(this, name);
    OnCommand(command);
}

bool TPageMap::Run(int id, int value)
{
    return app && app->ExecuteCommand(id, nullptr, value, nullptr, nullptr, -1, nullptr, nullptr);
}

bool TPageMap::RunWithReply(int id, const char* replyName, int value)
{
    if (!app)
        return false;
    TPDAUIEngineCommand reply(this, replyName);
    return app->ExecuteCommand(id, &reply, value, nullptr, nullptr, -1, nullptr, nullptr);
}

void TPageMap::CommandState(int n, bool& checked, bool& visible, bool& enabled)
{
    checked = false, visible = true, enabled = true;
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    if (!visor)
        return;
    int kind = 0;
    visor->EstadoComanda(n, kind, checked, visible, enabled, nullptr);
}

bool TPageMap::CommandChecked(int n)
{
    bool checked, visible, enabled;
    CommandState(n, checked, visible, enabled);
    return checked;
}

void TPageMap::Notice(const char* translationId)
{
    if (engine)
        ShowAutoHideMessage(engine->TranslateText(translationId));
}

void TPageMap::Relayout()
{
    ReapplyBounds();
    Invalidate();
}

bool TPageMap::Pointer() { return engine && (engine->HasHardwareMouse() || engine->HasHardwareMouseTouchScreen()); }

bool TPageMap::FleetNavigation()
{
    return app && app->engine.Navegacion_Activada() && app->engine.ControlFlota_EsActivo();
}

void TPageMap::ShowAutoHideMessage(const DString& text)
{
    if (!bound)
        return;
    lblAutoHideMessage->label = text;
    boxAutoHideMessage->visible = 1;
    // Shown again while showing: the second counts from now.
    boxAutoHideMessage->StopTimer();
    boxAutoHideMessage->StartTimer();
    Relayout();
}

// ---- slider state ----

void TPageMap::SaveSliderState()
{
    if (!bound || !app || !app->engine.config)
        return;
    DString text;
    text << sliderBox->layoutCardIndex << "|" << sliderBoxButtons->layoutCardIndex;
    app->engine.config->sliderState = text;
}

void TPageMap::SetDataFieldFlagFromSlider()
{
    const int i = sliderBox->layoutCardIndex;
    TPDAUIEngineElement* slide = i >= 0 && i < sliderBox->children.Count() ? sliderBox->children[i] : nullptr;
    dataFieldContainerFlag = !(slide && slide->id == "boxHidePolivalentDataTemplateContainer") ? 1 : 0;
}

void TPageMap::RestoreSliderState()
{
    if (!bound)
        return;
    const char* text = app && app->engine.config ? app->engine.config->sliderState.c_str() : "";
    int first = -1, second = -1;
    ParseSliderState(text, sliderBox->children.Count(), sliderBoxButtons->children.Count(), first, second);
    if (first >= 0)
        sliderBox->layoutCardIndex = first;
    if (second >= 0)
        sliderBoxButtons->layoutCardIndex = second;
    if (first > 0 && sliderBox->children[first] == usercontrolGraficas_2011B && usercontrolGraficas_2011B &&
        !usercontrolGraficas_2011B->IsAvailable())
        sliderBox->ShowNext();
    if (engine && std::strstr(engine->skinSettings.themeList.c_str(), "Morvex") && sliderBox->children.Count() > 1)
        sliderBox->layoutCardIndex = 1;
    if (engine && engine->skinSettings.landscape)
        SetDataFieldFlagFromSlider();
    else
        dataFieldContainerFlag = 1;
}

// ---- UpdateControls ----

int TPageMap::CountVisibleSlides(int& currentOrdinal)
{
    int count = 0;
    currentOrdinal = 0;
    for (int i = 0; i < sliderBox->children.Count(); ++i) {
        if (!sliderBox->children[i]->visible)
            continue;
        if (i < sliderBox->layoutCardIndex)
            ++currentOrdinal;
        ++count;
    }
    currentOrdinal += 1;
    return count;
}

void TPageMap::UpdateControls()
{
    if (!bound || !app || !engine)
        return;
    TConfig* c = app->engine.config;
    if (!c)
        return;
    bool changed = false;
    const bool pointer = Pointer();
    const bool fleet = FleetNavigation();
    bool checked, visible, enabled;

    // 1
    btnZoomIn->raiseMultipleCommandsWhenPressed = btnZoomOut->raiseMultipleCommandsWhenPressed = c->zoomRepeat;
    CommandState(101, checked, visible, enabled);
    btnZoomIn->enabled = enabled ? 1 : 0;
    CommandState(102, checked, visible, enabled);
    btnZoomOut->enabled = enabled ? 1 : 0;
    SetVisible(btnZoomIn, pointer && !c->hideZoomButtons, changed);
    SetVisible(btnZoomOut, pointer && !c->hideZoomButtons, changed);
    // 2
    SetVisible(btnShowPageRadars, false, changed);
    // 3
    const int mode3D = app->engine.Get3DMode();
    SetVisible(btn2D, mode3D == 0, changed);
    SetVisible(btn3D, mode3D == 1, changed);
    SetVisible(btn3DPlus, mode3D == 2, changed);
    // 4
    if (pointer) {
        CommandState(2512, checked, visible, enabled);
        btnAutoCenter->pressed = checked ? 1 : 0;
        btnAutoCenter->enabled = enabled ? 1 : 0;
        SetVisible(btnAutoCenter, visible, changed);
    } else {
        SetVisible(btnAutoCenter, false, changed);
    }
    // 5: blocking the screen at speed
    if (c->blockingSpeed > 0.0f) {
        TValCampo speedValue;
        int speed = 0;
        if (app->engine.Retorna_Val_Campo_Global(21, speedValue, false, false))
            speed = speedValue.AsInteger();
        const int limit = (int)c->blockingSpeed.GetValor();
        const DString blocker = engine->TranslateText("{H301}");
        DString& remembered = TOrbetaAppCommands::BlockerText(*engine);
        if (speed > 0 && speed >= limit && !engine->inputBlocked) {
            const DString text = engine->TranslateText("{R232}");
            const DString last = engine->TranslateText("{R204}");
            app->ExecuteCommand(551, nullptr, 0, text.c_str(), blocker.c_str(), 0, nullptr, last.c_str());
            remembered = blocker;
        } else if (engine->inputBlocked && remembered == blocker) {
            Run(547, -1);
        }
    }
    // 6
    const bool panel = c->showNavigationPanel || fleet;
    SetVisible(boxNavigationNextDistance, panel, changed);
    SetVisible(usercontrolMapInfoNext, panel && !fullScreenFlag, changed);
    SetVisible(boxMenu, !panel, changed);
    // 7
    const bool nextManoeuvre = !fullScreenFlag && panel;
    SetVisible(boxNextManuobre, nextManoeuvre, changed);
    SetVisible(boxNextManuobreContainer, nextManoeuvre, changed);
    SetVisible(boxNextManuobreContainerHead, boxNextManuobre->visible && dataFieldContainerFlag, changed);
    // 8: the search is bounded by the slide count
    const int slides = sliderBox->children.Count();
    if (c->sliderMode == 1 && slides >= 3) {
        for (int n = 0; n < slides && sliderBox->layoutCardIndex != 1 && sliderBox->layoutCardIndex != 2; ++n)
            sliderBox->ShowNext();
    } else if (c->sliderMode == 2 && slides >= 2) {
        for (int n = 0; n < slides && sliderBox->layoutCardIndex != 1; ++n)
            sliderBox->ShowNext();
    }
    // 9
    if (engine->skinSettings.landscape)
        SetDataFieldFlagFromSlider();
    // 10
    SetVisible(usercontrolGraficas_2011B, c->rtngMode != 3, changed);
    if (imlFriends) {
        TValCampo friends;
        SetVisible(imlFriends, app->engine.Retorna_Val_Campo_Global(391, friends, false, false), changed);
    }
    // 11
    SetVisible(sliderBox, !fullScreenFlag, changed);
    SetVisible(boxPolivalentDataTemplate, !fullScreenFlag, changed);
    SetVisible(boxPolivalentDataTemplateContainer, dataFieldContainerFlag, changed);
    SetVisible(btnTMCEventsOn, false, changed);
    SetVisible(btnTMCEventsOff, false, changed);
    if (lblTime) {
        TValCampo time;
        app->engine.Retorna_Val_Campo_Global(86, time, false, false);
        lblTime->label = time.texto;
    }
    SetVisible(btnMute, true, changed);
    // 12
    int ordinal = 0;
    const int visibleSlides = CountVisibleSlides(ordinal);
    DString counter;
    counter << ordinal << "/" << visibleSlides;
    btnChangeView->label = counter;
    // 13
    if (fullScreenFlag) {
        SetVisible(boxNavigation, false, changed);
        SetVisible(btnChangeView, false, changed);
    } else {
        SetVisible(btnChangeView, true, changed);
        SetVisible(boxNavigation, true, changed);
        SetVisible(btnNavigationMenu, !c->hideMenuButton, changed);
    }
    // 14
    CommandState(708, checked, visible, enabled);
    SetVisible(btnTrackStop, visible, changed);
    CommandState(202, checked, visible, enabled);
    btnTrackActivate->pressed = checked ? 1 : 0;
    SetVisible(btnTrackActivate, visible, changed);
    // 15
    if (c->miniMenu) {
        SetVisible(boxNavigation, false, changed);
        SetVisible(boxPolivalentDataTemplate, false, changed);
        SetVisible(btnChangeView, false, changed);
        SetVisible(imlFriends, false, changed);
    }
    // 16
    UpdateGadgetFullScreen();
    app->PeriodicScreenUpdate();
    // 17
    SetVisible(tlbMainToolBar, !c->hideMainToolbar, changed);
    SetVisible(btnChangeViewButtons, !c->hideMainToolbar, changed);
    bool menuChanged = false;
    app->RefreshMenuItems(tlbMainToolBar, menuChanged);
    changed = changed || menuChanged;
    menuChanged = false;
    app->RefreshMenuItems(tlbInferiorToolBar, menuChanged);
    changed = changed || menuChanged;
    // 18
    if (changed)
        ReapplyBounds();
    if (app->engine.IsOkToRepaint())
        Invalidate();
}

void TPageMap::UpdateGadgetFullScreen() { TPageMapParts::SetGadgetFullScreen(*this, fullScreenFlag != 0); }

// ---- tool bars ----

void TPageMap::LoadToolbarButtons()
{
    if (!bound || !app)
        return;
    TConfig* c = app->engine.config;
    // An open overflow sub-menu closes with its items; the tool bar keeps no
    // mark to open it again.
    if (auto* bar = dynamic_cast<TPDAUIEngineElementToolBar*>(tlbMainToolBar))
        bar->RemoveAllItems();
    else
        tlbMainToolBar->RemoveAllChildren();

    TVectorComandas* tree = nullptr;
    if (c && c->onRoad)
        tree = app->engine.trees[4];
    else if (c && c->rtngMode == 3)
        tree = app->engine.trees[6];
    else
        tree = app->engine.trees[5];
    app->FillCommandButtons(tlbMainToolBar, mniToolbarItemTemplate, tree, 0, "menuItemClicked", 0, 0, 0, false);
    btnChangeViewButtons->visible = tree && tree->Count() > 0 ? 1 : 0;

    if (c && c->miniMenu) {
        tlbInferiorToolBar->visible = 1;
        TVectorComandas& mini = MiniMenuCommands();
        mini.RemoveAll();
        struct {
            int command;
            const char* parameter;
            const char* name;
        } const rows[] = {{3007, nullptr, "miniMenuCommand3007"},
                          {2480, "/start", "miniMenuCommand2480"},
                          {193, nullptr, "miniMenuCommand193"},
                          {202, nullptr, "miniMenuCommand202"},
                          {12, nullptr, "miniMenuCommand12"}};
        for (const auto& row : rows)
            mini.Anyade_Comanda(row.command, false, row.name, row.parameter, nullptr, -1, false);
        if (auto* bar = dynamic_cast<TPDAUIEngineElementToolBar*>(tlbInferiorToolBar))
            bar->RemoveAllItems();
        else
            tlbInferiorToolBar->RemoveAllChildren();
        app->FillCommandButtons(tlbInferiorToolBar, mniToolbarInferiorItemTemplate, &mini, 0, "menuItemClicked", 0, 0,
                                0, false);
        boxNavigation->visible = 0;
        boxPolivalentDataTemplate->visible = 0;
        btnChangeView->visible = 0;
    } else {
        tlbInferiorToolBar->visible = 0;
    }
    Relayout();
}

// ---- the data-field strip ----

void TPageMap::LoadPolivalentDataFields()
{
    if (!bound || !app || !app->engine.config)
        return;
    TConfig* c = app->engine.config;
    const DString& layout =
        c->PolivalentDataLayoutUseAlternate ? c->PolivalentDataLayoutAlternate.GetValor() : c->PolivalentDataLayoutPrimary.GetValor();
    const std::vector<int> fields = MapPageFields(layout.c_str());

    dataFields_.clear();
    dataContainer_ = nullptr;
    while (boxPolivalentDataTemplate->children.Count() > 1)
        boxPolivalentDataTemplate->RemoveChild(boxPolivalentDataTemplate->children[1]);
    TPDAUIEngineElement* found = boxPolivalentDataTemplate->FindElement("boxPolivalentDataContainer", false);
    auto* container = dynamic_cast<TPDAUIEngineElementBox*>(found);
    // A skin without the container or its item template gets no strip.
    if (!container || !container->FindElement("boxPolivalentDataItemTemplate", false)) {
        Relayout();
        return;
    }
    auto* clone = dynamic_cast<TPDAUIEngineElementBox*>(container->Clone());
    if (!clone) {
        Relayout();
        return;
    }
    auto* itemTemplate = dynamic_cast<TPDAUIEngineElementBox*>(clone->FindElement("boxPolivalentDataItemTemplate", false));
    boxPolivalentDataTemplate->AddChild(clone, nullptr, nullptr);
    container->visible = 0;
    clone->visible = 1;
    const int n = (int)fields.size();
    clone->layout = TPDAUIEngineElementBox::LayoutTable;
    if (engine->skinSettings.landscape) {
        clone->layoutColumns = 1;
        clone->layoutRows = std::max(1, n);
    } else {
        clone->layoutColumns = std::max(1, n);
        clone->layoutRows = 1;
    }
    if (!itemTemplate) {
        Relayout();
        return;
    }
    dataContainer_ = clone;
    for (int field : fields) {
        auto* item = dynamic_cast<TPDAUIEngineElementBox*>(itemTemplate->Clone());
        if (!item)
            continue;
        clone->AddChild(item, nullptr, nullptr);
        item->visible = 1;
        TPDAUIEngineElement* title = item->FindElement("lblPolivalentDataItemTitle", false);
        if (title)
            title->label = Nombre_Campo(field, n < 3 ? 1 : 2);
        TPDAUIEngineElement* gadget = TPageMapParts::PlaceDataField(*this, item, field);
        item->onContextMenuCommand = "showGadgetPolivalentDataFieldContextMenu";
        if (gadget) {
            gadget->onContextMenuCommand = "showGadgetPolivalentDataFieldContextMenu";
            dataFields_.push_back({gadget, field});
        }
        if (field == 47) {
            if (title)
                title->visible = 0;
            if (TPDAUIEngineElement* units = item->FindElement("lblUnits", false))
                units->visible = 0;
            if (gadget) {
                gadget->margins.left = 2, gadget->margins.top = 3;
                gadget->margins.right = 0, gadget->margins.bottom = 0;
            }
        }
    }
    clone->RemoveChild(itemTemplate);
    Relayout();
}

// ---- context menus ----

void TPageMap::ShowMapContextMenu()
{
    TConfig* c = app ? app->engine.config : nullptr;
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    if (!bound || !c || !visor || !c->mapContextMenu)
        return;
    visor->SetFocus_Objeto_Coords(visor->cursor);
    ctmContextMenu->RemoveAllChildren();  // the old items point into the list
    contextMenuCommands.RemoveAll();
    app->engine.GetContextMenuMapa(contextMenuCommands, (EFlagsContextMenuElemGPS)1, visor->current);
    if (contextMenuCommands.Count() == 0)
        return;
    app->FillCommandButtons(ctmContextMenu, nullptr, &contextMenuCommands, 0, "menuItemClicked", 0, 0, 0, false);
    visor->PauseMovingMapCentering(true);
    ctmContextMenu->Popup(visor->cursor.x, visor->cursor.y, "showGadgetVisor2DContextMenuEnd");
}

TPDAUIEngineElement* TPageMap::FirstDataFieldGadget(TPDAUIEngineElement* from)
{
    for (const auto& entry : dataFields_)
        if (entry.first == from)
            return from;
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(from);
    if (!box)
        return nullptr;
    VectorP<TPDAUIEngineElement> all(10, 10, false);
    box->CollectDescendants(all, false);
    for (int i = 0; i < all.Count(); ++i)
        for (const auto& entry : dataFields_)
            if (entry.first == all[i])
                return all[i];
    return nullptr;
}

int TPageMap::DataFieldSlot(TPDAUIEngineElement* gadget)
{
    for (TPDAUIEngineElement* e = gadget; e && e != this; e = e->parent)
        if (e->parent == dataContainer_ && dataContainer_)
            return dataContainer_->IndexOfChild(e);
    return -1;
}

int TPageMap::DataFieldOf(TPDAUIEngineElement* gadget)
{
    for (const auto& entry : dataFields_)
        if (entry.first == gadget)
            return entry.second;
    return -1;
}

void TPageMap::ShowDataFieldContextMenu(TPDAUIEngineCommand& command)
{
    if (!bound || !app || !engine || !engine->flagMemberB)
        return;
    TPDAUIEngineElement* gadget = FirstDataFieldGadget(command.target);
    if (!gadget)
        return;
    const int slot = DataFieldSlot(gadget);
    const int field = DataFieldOf(gadget);
    ctmContextMenu->RemoveAllChildren();
    contextMenuCommands.RemoveAll();
    app->engine.GetContextMenuPolivData(contextMenuCommands, field);
    app->FillCommandButtons(ctmContextMenu, nullptr, &contextMenuCommands, 0, "menuItemClicked", slot + 1, field, 0,
                            false);
    if (app->engine.visor)
        app->engine.visor->PauseMovingMapCentering(true);
    ctmContextMenu->Popup(command.value1, command.value2, "showGadgetPolivalentDataFieldContextMenuEnd");
}

// ---- menu items ----

void TPageMap::MenuItemClicked(TPDAUIEngineCommand& command)
{
    auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(command.target);
    TItemComanda* commandItem = item ? reinterpret_cast<TItemComanda*>(item->userData) : nullptr;
    if (!commandItem || !app)
        return;
    TPDAUIEngineCommand reply(this, "menuItemClickedEnd", (intptr_t)commandItem);
    DString first;
    if (item->userValue1)
        first << item->userValue1;
    app->ExecuteCommand(commandItem->Comanda(), &reply, -1, commandItem->Parametro().c_str(),
                        first.IsEmpty() ? nullptr : first.c_str(), item->userValue2, nullptr, nullptr);
}

void TPageMap::MenuItemClickedEnd(TPDAUIEngineCommand& command)
{
    auto* item = reinterpret_cast<TItemComanda*>(command.data);
    if (!item || !command.result || !engine || !app)
        return;
    if (engine->quit) {
        Close(1);
        return;
    }
    if (item->Comanda() == 506) {
        TVisor_LumorGPSPocket* visor = app->engine.visor;
        if (visor && visor->PuedeSalir(1, 506)) {
            app->engine.RegistraGPS2("----> SHUTDOWN TPageMap::OnCommand menuItemClickedEnd", 1);
            engine->RequestQuit();
            Close(1);
        }
        return;
    }
    UpdateControls();
    if (NeedsReload())
        ReloadSoon();
    Invalidate();
}

// ---- other commands ----

void TPageMap::ChangeMovingMapArrows()
{
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    if (!bound || !visor)
        return;
    GetOuterPage()->CloseAllPopups();
    if (CommandChecked(130)) {
        if (gadgetVisor2D) {
            const TRectIG g = gadgetVisor2D->GetScreenRect();
            const int x = visor->cursor.x - g.left, y = visor->cursor.y - g.top;
            unsigned char handled = 0;
            gadgetVisor2D->OnMouseDown(x, y, 0, 0, 0);
            gadgetVisor2D->OnMouseUp(x, y, 0, &handled);
        }
    } else {
        visor->EjecutaComanda(visor->current, 0, "", 130);
        Invalidate();
    }
}

void TPageMap::ShowMenu()
{
    // The command menus are pages of the menu part of the program.
    const DString& skin = engine ? engine->skinSettings.skinName : DString();
    const char* page = std::strstr(skin.c_str(), "zeduva") ? "TPageMenuZeduva" : std::strstr(skin.c_str(), "android") ? "TPageMenuRaw"
                                                                                                : "TPageMenu";
    if (app) {
        std::string line = std::string("TPageMap: ") + page + " is not available";
        app->engine.Log(line.c_str(), false);
    }
}

void TPageMap::WindowClose(TPDAUIEngineCommand& command)
{
    if (!app || !engine)
        return;
    if (command.value1 != 1) {
        Run(172, -1);
        return;
    }
    uint8_t& screenOff = TOrbetaAppCommands::ScreenBlocked(*engine);
    if (screenOff && engine->GetPageCount() > 0) {
        engine->inputBlocked = 0;
        screenOff = 0;
        engine->Invalidate(1);
        app->engine.SetVideoPower(1, 0);
    } else if (!engine->inputBlocked) {
        if (!app->engine.SetVideoPowerOnIfOff())
            Run(506, -1);
    } else {
        Run(548, -1);
    }
}

void TPageMap::ShowMainPhotoView(const DString& imageName, const DString& text, int textLength, bool speedSign)
{
    if (!bound)
        return;
    if (textLength < 1) {
        boxMainFotoView->visible = 0;
        boxMainFotoView->RemoveAllChildren();
        Relayout();
        return;
    }
    boxMainFotoView->visible = fullScreenFlag ? 0 : 1;
    boxMainFotoView->RemoveAllChildren();
    const float scale = engine ? engine->skinSettings.uiScale : 1.0f;

    TPDAUIEngineElementLabel* label = nullptr;
    if (!text.IsEmpty()) {
        DString flat(text);
        for (int i = 0; i < flat.Length(); ++i)
            if (flat[i] == '\n' || flat[i] == '\r')
                flat[i] = ' ';
        label = new TPDAUIEngineElementLabel();
        boxMainFotoView->AddChild(label, nullptr, nullptr);
        label->label = flat;
        label->font = boxMainFotoView->font;
        for (int s = 0; s < 5; ++s)
            label->foregrounds[s] = boxMainFotoView->foregrounds[s];
        if (speedSign) {
            TPDAUIEngineStyleBackground& back = label->backgrounds.Edit(StateNormal);
            back.kind = TPDAUIEngineStyleBackground::KindCentredScaled;
            back.imageName = "pageMainMaxVelocity2";
            back.image = resources.GetImage("pageMainMaxVelocity2", false, false);
            if (back.image) {
                label->minimumWidth = (int)(back.image->Width() * scale);
                label->minimumHeight = (int)(back.image->AbsHeight() * scale);
            }
            label->padding.left = (int)(10 * scale);
            label->padding.top = (int)(8 * scale);
            label->padding.right = (int)(8 * scale);
            label->padding.bottom = (int)(8 * scale);
        } else {
            label->SetAttribute("wordBreak", "false");
            label->flex = 1;
        }
    }
    auto* picture = new TPDAUIEngineElementImageBox();
    boxMainFotoView->AddChild(picture, nullptr, nullptr);
    picture->imageName = imageName;
    picture->image = imageName.IsEmpty() ? nullptr : resources.GetImage(imageName.c_str(), false, false);
    const int border = boxMainFotoView->borders[StateNormal].width;
    if (boxMainFotoView->maximumWidth >= 0)
        picture->maximumWidth = std::max(0, boxMainFotoView->maximumWidth - 2 * border - boxMainFotoView->padding.left -
                                                boxMainFotoView->padding.right);
    if (boxMainFotoView->maximumHeight >= 0)
        picture->maximumHeight = std::max(0, boxMainFotoView->maximumHeight - 2 * border - boxMainFotoView->padding.top -
                                                 boxMainFotoView->padding.bottom);
    picture->imageScale = 1.0f;
    picture->pack = picture->align = AlignCenter;
    if (speedSign) {
        picture->flex = 1;
        if (label)
            label->flex = 2;
        boxMainFotoView->layout = LayoutHorizontalInvertedSpaced;
        boxMainFotoView->AddChild(new TPDAUIEngineElementLabel(), nullptr, nullptr);
        boxMainFotoView->InsertChild(new TPDAUIEngineElementLabel(), 0, nullptr, nullptr);
    } else {
        boxMainFotoView->pack = AlignStart;
        boxMainFotoView->layout = LayoutHorizontalInverted;
    }
    Relayout();
}
