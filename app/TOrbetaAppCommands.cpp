#include "app/TOrbetaAppCommands.h"

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "app/pages/TPageMain.h"
#include "display/pages/TPageMap.h"
#include "display/pages/TPageTrackGraph.h"
#include "display/pages/TPageVolume.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "pages/dialogs/TPageMessageBox.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// ---- texts and rules ----

bool TOrbetaAppCommands::ParseCommandString(const char* text, int* id, DString* argument)
{
    if (!text || std::string(text, strnlen(text, kPrefixLength)) != kPrefix)
        return false;
    const char* rest = text + kPrefixLength;
    const char* comma = rest;
    while (*comma && *comma != ',')
        ++comma;
    // The number: optional sign and decimal digits, nothing else, in the int range.
    long long value = 0;
    const char* p = rest;
    bool negative = false;
    if (p < comma && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    bool number = p < comma;
    for (; p < comma && number; ++p) {
        if (*p < '0' || *p > '9')
            number = false;
        else if ((value = value * 10 + (*p - '0')) > (long long)INT_MAX + 1)
            number = false;
    }
    if (negative)
        value = -value;
    if (!number || value > INT_MAX || value < INT_MIN)
        value = 0;
    if (id)
        *id = (int)value;
    if (argument)
        *argument = *comma ? DString(comma + 1) : DString();
    return true;
}

DString TOrbetaAppCommands::MakeCommandString(int id, const char* text)
{
    DString s(kPrefix);
    s << id;
    if (text && *text)
        s << "," << text;
    return s;
}

bool TOrbetaAppCommands::RunsWhileInputBlocked(int id)
{
    return id == 548 || id == 549 || id == 551 || id == 577 || id == 3221;
}

bool TOrbetaAppCommands::RemoveDataField(DString& layout, int field)
{
    const std::string text = layout.c_str();
    const std::string wanted = std::to_string(field);
    std::string out;
    bool removed = false;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(';', start);
        const std::string page = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t colon = page.find(':');
        const std::string header = colon == std::string::npos ? "" : page.substr(0, colon + 1);
        const std::string list = colon == std::string::npos ? page : page.substr(colon + 1);
        std::vector<std::string> kept;
        bool pageLost = false;
        for (size_t f = 0;;) {
            const size_t comma = list.find(',', f);
            const std::string slot = list.substr(f, comma == std::string::npos ? std::string::npos : comma - f);
            if (slot == wanted)
                pageLost = true;
            else
                kept.push_back(slot);
            if (comma == std::string::npos)
                break;
            f = comma + 1;
        }
        if (pageLost) {
            removed = true;
            std::string joined = kept.empty() ? "86" : "";
            for (size_t k = 0; k < kept.size(); ++k)
                joined += (k ? "," : "") + kept[k];
            out += header + joined;
        } else {
            out += page;
        }
        if (end == std::string::npos)
            break;
        out += ";";
        start = end + 1;
    }
    if (removed)
        layout = out.c_str();
    return removed;
}

DString TOrbetaAppCommands::FormatOneString(const char* format, const char* argument)
{
    DString out;
    if (!format)
        return out;
    const char* at = std::strstr(format, "%s");
    if (!at)
        return DString(format);
    out.Append(format, (int)(at - format));
    out << (argument ? argument : "") << (at + 2);
    return out;
}

DString TOrbetaAppCommands::FreeScreenshotPath(const char* folder)
{
    if (!folder || !*folder)
        return DString();
    std::string base = folder;
    if (base.back() != '/' && base.back() != '\\')
        base += "/";
    for (int n = 1; n < 100000; ++n) {
        const std::string path = base + "screenshot-" + std::to_string(n) + ".png";
        if (!TFitxUtils::Verifica_Existencia_Archivo(path.c_str()))
            return DString(path.c_str());
    }
    return DString();
}

uint8_t& TOrbetaAppCommands::ScreenBlocked(TPDAUIEngine& engine) { return engine.flagMemberD; }
DString& TOrbetaAppCommands::BlockerText(TPDAUIEngine& engine) { return engine.textMember; }
uint8_t& TOrbetaAppCommands::BroadcastInProgress(TPDAUIEngine& engine) { return engine.flagMemberC; }

// ---- the UI-command callback ----

void TOrbetaAppCommands::FuncUICommandCallBack(void* user, const char* command, const char* second, int value, uint8_t* handled,
                                               intptr_t data)
{
    TOrbetaApp* app = static_cast<TOrbetaApp*>(user);
    if (!app || !command)
        return;
    int id = 0;
    DString argument;
    if (!TOrbetaAppCommands::ParseCommandString(command, &id, &argument)) {
        const std::string name = command;
        TPDAUIEngine* ui = app->uiEngine;
        if (name == "lumorEngine_datosModificados") {
            app->BroadcastDataModified(reinterpret_cast<TElementoGPS*>(data));
        } else if (name == "lumorEngine_loadGraphData") {
            app->LoadGraphData();
        } else if (name == "lumorEngine_closePagesUntilFirst") {
            if (ui)
                ui->ClosePagesUntilFirst();
        } else if (name == "lumorEngine_closeLastPage") {
            if (ui)
                ui->CloseLastPage();
        } else if (name.compare(0, TOrbetaAppCommands::kCapturedImagePrefixLength,
                                TOrbetaAppCommands::kCapturedImagePrefix) == 0) {
            if (app->engine.visor)
                app->engine.visor->EndImagePicker(command + TOrbetaAppCommands::kCapturedImagePrefixLength);
        } else if (handled) {
            *handled = 0;
        }
        return;
    }
    // A reply command passed with its argument apart (a box's yes command and
    // yes argument) carries it in the second text.
    if (argument.IsEmpty() && second && *second && !std::strchr(command, ','))
        argument = second;
    if (app->uiEngine && app->uiEngine->inputBlocked && !TOrbetaAppCommands::RunsWhileInputBlocked(id))
        return;
    app->ExecuteCommand(id, nullptr, value, argument.c_str(), nullptr, 0, nullptr, nullptr);
    if (handled)
        *handled = 1;
}

// ---- posting and broadcasts ----

void TOrbetaApp::PostEngineCommand(int id, const char* text)
{
    if (!uiEngine)
        return;
    const DString name = TOrbetaAppCommands::MakeCommandString(id, text);
    uiEngine->PostCommand(TPDAUIEngineCommand(nullptr, name.c_str()));
}

void TOrbetaApp::BroadcastDataModified(TElementoGPS* element)
{
    if (!uiEngine)
        return;
    uint8_t& busy = TOrbetaAppCommands::BroadcastInProgress(*uiEngine);
    busy = 1;
    if (const wchar_t* views = engine.GetCountryKeyboard()) {
        DString layouts, one;
        for (const wchar_t* c = views; *c; ++c) {
            one.Lee_Unicode((unsigned int)*c);
            layouts << one;
        }
        uiEngine->keyboardLayouts = layouts;
    }
    // By index, bounds read again each turn: a page may close or open pages.
    for (int i = 0; i < uiEngine->GetPageCount(); ++i) {
        TPDAUIEngineCommand c(nullptr, "lumorEngine_datosModificados", reinterpret_cast<intptr_t>(element));
        if (TPDAUIEngineElementPage* page = uiEngine->GetPage(i))
            page->OnCommand(c);
    }
    busy = 0;
}

void TOrbetaApp::LoadGraphData()
{
    if (!uiEngine)
        return;
    static const char* const kGraphPages[] = {"pageMain", "pageMap", "pageCharts", "pagePolivalentData",
                                              "pageTrackGraph"};
    for (int i = 0; i < uiEngine->GetPageCount(); ++i) {
        TPDAUIEngineElementPage* page = uiEngine->GetPage(i);
        if (!page)
            continue;
        for (const char* name : kGraphPages) {
            if (page->pageName.Strcmpi(name) == 0) {
                TPDAUIEngineCommand c(nullptr, "lumorEngine_loadGraphData");
                page->OnCommand(c);
                break;
            }
        }
    }
}

// ---- the executor ----

namespace {

// The executor's rows and what they share, kept out of the application's
// declaration.
struct TOrbetaAppExecutor {
    TOrbetaApp& app;
    TPDAUIEngine& ui;

    TVisor_LumorGPSPocket* Visor() const { return app.engine.visor; }
    TConfig* Config() const { return app.engine.config; }
    DString Tr(const char* text) const { return ui.TranslateText(text); }

    // The library's side of a command: the viewer runs it on its current object.
    bool RunOnViewer(int id, const char* text)
    {
        TVisor_LumorGPSPocket* v = Visor();
        return v && v->EjecutaComanda(v->current, 0, text, id) != 0;
    }

    // The reply goes where its source will see it: the source itself when on top;
    // for a source lower in the stack, the page just above it (at once when that
    // page has a close-command of its own, else when that page closes); any
    // other source, the top page.
    void Reply(TPDAUIEngineCommand* reply, bool result)
    {
        if (!reply)
            return;
        TPDAUIEngineElementPage* top = ui.GetTopPage();
        if (!top)
            return;
        TPDAUIEngineElementPage* source = dynamic_cast<TPDAUIEngineElementPage*>(reply->target);
        if (source && source == top) {
            reply->result = result ? 1 : 0;
            top->OnCommand(*reply);
            return;
        }
        if (source && ui.IsOnStack(source)) {
            int index = 0;
            while (ui.GetPage(index) != source)
                ++index;
            TPDAUIEngineElementPage* above = ui.GetPage(index + 1);
            if (!above->replyCommand.name.IsEmpty()) {
                reply->result = result ? 1 : 0;
                above->OnCommand(*reply);
            } else {
                above->replyCommand = *reply;
                above->replyCommand.target = above;
            }
            return;
        }
        reply->result = result ? 1 : 0;
        top->OnCommand(*reply);
    }

    // A page of a later part of the program: the command is refused as that page
    // would refuse it, and the log says so.
    bool NotAvailable(int id, const char* pageClass, TPDAUIEngineCommand* reply)
    {
        std::string line = "command " + std::to_string(id) + ": " + pageClass + " is not available";
        app.engine.Log(line.c_str(), false);
        Reply(reply, false);
        return false;
    }

    TPageMessageBox* Box(int type, const DString& title, const DString& text, int seconds = 0)
    {
        TPageMessageBox* box = new TPageMessageBox(&app, seconds);
        box->type = type;
        box->title = title;
        box->message = text;
        return box;
    }
    void Open(TPageMessageBox* box) { ui.OpenPage(box); }

    // The map-loading failure: the library's map text 105.
    bool NoMap(int type)
    {
        Open(Box(type, DString(), app.engine.Get_Idioma_Movingmap(105)));
        return false;
    }

    // Asks whether to set a home place; yes runs 367.
    void NoHomeQuestion(TPDAUIEngineCommand* reply)
    {
        TPageMessageBox* box = Box(TPageMessageBox::TypeYesNo, DString(), app.engine.Get_Idioma_Movingmap(202));
        if (reply)
            box->replyCommand = *reply;
        box->commandNumber = 367;
        Open(box);
    }

    // A yes/no box whose yes posts the same command again with "force".
    void ForceQuestion(int id, const DString& text)
    {
        TPageMessageBox* box = Box(TPageMessageBox::TypeYesNo, app.engine.Get_Idioma_GPS(1), text);
        box->yesCommand = TOrbetaAppCommands::MakeCommandString(id, nullptr);
        box->yesArgument = "force";
        Open(box);
    }

    void Alarm()
    {
        app.engine.WakeUpClick();
        ui.PlaySound("soundMessageBox");
    }

    bool MenuRoute(int id)
    {
        const int count = ui.GetPageCount();
        TPDAUIEngineElementPage* top = ui.GetTopPage();
        if (count == 1 && dynamic_cast<TPageMain*>(top)) {
            NotAvailable(id, "TPageMenu", nullptr);
        } else if (top) {
            unsigned char handled = 1;
            top->OnContextMenu(0, 0, &handled);
        }
        return true;
    }

    bool Screenshot()
    {
        TConfig* c = Config();
        std::string folders = c ? c->folders.c_str() : "";
        folders = folders.substr(0, folders.find(';'));
        DString path = TOrbetaAppCommands::FreeScreenshotPath(folders.c_str());
        if (path.IsEmpty() || !ui.SaveScreenshot(path.c_str()))
            path.Empty();
        if (c && c->screenshotNotify)
            RunOnViewer(205, path.c_str());
        if (!path.IsEmpty())
            Open(Box(TPageMessageBox::TypeInformation, DString(), Tr("{R209}"), 1));
        return !path.IsEmpty();
    }

    void RemoveField(int field)
    {
        TConfig* c = Config();
        if (!c)
            return;
        TstringConfig& layout =
            c->PolivalentDataLayoutUseAlternate ? c->PolivalentDataLayoutAlternate : c->PolivalentDataLayoutPrimary;
        DString text = layout.GetValor();
        if (TOrbetaAppCommands::RemoveDataField(text, field))
            layout = text;
    }

    // Route-dependent themes follow the routing profile commands.
    bool LibraryRoute(int id, TPDAUIEngineCommand* reply, const char* text)
    {
        TConfig* c = Config();
        const bool profile = id == 2506 || id == 2507 || id == 2510 || id == 2511;
        const DString themesBefore = c ? c->routeThemes.GetValor() : DString();
        if (profile && c && c->rtngMode != 3 && c->alternativeTheme && id == 2507)
            app.ExecuteCommand(276, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
        const bool result = RunOnViewer(id, text);
        if (profile && c && c->routeThemes.GetValor() != themesBefore)
            app.ExecuteCommand(169, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
        Reply(reply, result);
        return result;
    }

    bool Execute(int id, TPDAUIEngineCommand* reply, int number, const char* text, const char* extra, int value,
                 TPDAUIEngineElementPage* parent, const char* text3);
};

} // namespace

bool TOrbetaApp::ExecuteCommand(int id, TPDAUIEngineCommand* reply, int number, const char* text, const char* extra,
                                int value, TPDAUIEngineElementPage* parent, const char* text3)
{
    if (!uiEngine)
        return false;
    if (engine.visor && !engine.visor->PreCommandLog(id, text))
        return false;
    TOrbetaAppExecutor executor{*this, *uiEngine};
    return executor.Execute(id, reply, number, text, extra, value, parent, text3);
}

bool TOrbetaAppExecutor::Execute(int id, TPDAUIEngineCommand* reply, int number, const char* text,
                                 const char* extra, int value, TPDAUIEngineElementPage* parent, const char* text3)
{
    const std::string arg = text ? text : "";
    TConfig* c = Config();
    TVisor_LumorGPSPocket* visor = Visor();
    TLumorGPSEngineInterface& lib = app.engine;
    switch (id) {
    case 11:
        if (TPDAUIEngineElementPage* top = ui.GetTopPage()) {
            TPDAUIEngineCommand cancel(nullptr, "cancel");
            top->OnCommand(cancel);
        }
        return true;
    case 12:
    case 3001:
    case 3007:
        return MenuRoute(id);
    case 115:
        if (TPageMap* map = app.mainPage ? app.mainPage->LiveMapPage() : nullptr) {
            TPDAUIEngineCommand change(map, "changeView");
            map->OnCommand(change);
        }
        return false;
    case 123:
    case 157:
        return NotAvailable(id, "TPageShowInMap", nullptr);
    case 126:
        return NotAvailable(id, "TPageArbolDeDatos", reply);
    case 128: {
        const int mode = c && c->screenMode == 3 ? 1 : 3;
        ui.SetScreenMode(mode, 0);
        if (c)
            c->screenMode = mode;
        Reply(reply, true);
        return false;
    }
    case 129:
    case 276: {
        TPageMessageBox* box = Box(TPageMessageBox::TypeWait, Tr("{E1}"), Tr("{E283}"));
        Open(box);
        ui.Invalidate(1);
        lib.ClearRasterCache();
        const int staticBefore = c ? (int)c->staticNavigation : 0;
        const bool result = RunOnViewer(id, nullptr);
        if (c) {
            int rotation = c->rotation, current = -1;
            ui.SetScreenOrientation(rotation, current);
            if (c->staticNavigation != staticBefore)
                lib.SetStaticNavigation(c->staticNavigation != 0);
        }
        if (ui.IsOnStack(box))
            box->Close(1);
        Reply(reply, result);
        return result;
    }
    case 136:
        if (TPageMain* main = dynamic_cast<TPageMain*>(ui.GetPage(0))) {
            TPDAUIEngineCommand c2(nullptr, "showFullScreenSoft");
            main->OnCommand(c2);
        }
        Reply(reply, false);
        return false;
    case 147:
        return NotAvailable(id, "TPageMenuSkinManager", reply);
    case 151:
    case 354:
    case 451:
    case 751:
    case 851:
        if (!visor || !visor->current)
            return false;
        return NotAvailable(id, "TPageProperties", reply);
    case 169:
        return app.ApplySkinTheme();
    case 183: {
        if (arg != "force") {
            ForceQuestion(183, Tr("{H296}"));
            return false;
        }
        int result = 0;
        if (ui.CanCalibrateTouchScreen()) {
            const int kept = c ? (int)c->touchCalibrationGuard : 0;
            if (c)
                c->touchCalibrationGuard = 0;
            result = ui.TouchCalibrate();
            lib.WakeUpClick();
            if (c)
                c->touchCalibrationGuard = kept;
        }
        Reply(reply, result != 0);
        return result != 0;
    }
    case 184: {
        int orientation = -1, current = -1;
        // Only an orientation the screen took is kept.
        if (ui.SetScreenOrientation(orientation, current) && c)
            c->rotation = orientation;
        return false;
    }
    case 185:
    case 271: {
        TGeoCode home;
        if (!lib.GetHomeGeocode(home)) {
            NoHomeQuestion(reply);
            return false;
        }
        if (id == 185)
            return NotAvailable(id, "TPageShowInMap", nullptr);
        const bool result = RunOnViewer(271, text);
        Reply(reply, result);
        return result;
    }
    case 187:
    case 562:
    case 596: {
        const char* role = id == 187 ? "brightness" : id == 562 ? "audio" : "autonomy";
        DString error;
        TElementoGPS* element = visor ? visor->GetConfigManager(error, id, role) : nullptr;
        if (element)
            return app.ShowProperties(element, 2, reply) != 0;
        ui.MessageBox(error.c_str(), lib.Get_Idioma_GPS(1).c_str());
        return false;
    }
    case 188:
        return NotAvailable(id, "TPageWhereIAm", reply);
    case 193:
        NotAvailable(id, "TPagePolivalentData", reply);
        return true;
    case 194:
        if (c)
            ui.SetScreenScale(c->uiScale);
        return false;
    case 197:
        if (c)
            ui.appSettingA = c->appSettingA;
        return false;
    case 198: {
        DString file("roadbookAlarm_");
        file << lib.NomCurtIdioma2() << ".txt";
        DString body;
        ui.resources.ReadSkinTextFile(body, file);
        if (body.IsEmpty()) {
            DString fallback("roadbookAlarm_en.txt");
            ui.resources.ReadSkinTextFile(body, fallback);
        }
        TValCampo field;
        lib.Retorna_Val_Campo_Global(19, field, true, true);
        body << "\n" << Tr("{H180}") << ":" << "\n" << field.texto;
        Open(Box(TPageMessageBox::TypeInformation, Tr("{E1}"), body));
        return false;
    }
    case 199:
        return NotAvailable(id, "TPageChooseLanguage", reply);
    case 205: {
        if (!visor || !RunOnViewer(205, nullptr) || !visor->current)
            return false;
        const DString name = visor->current->GetNombre();
        const DString format = Tr("{R212}");
        Open(Box(TPageMessageBox::TypeInformation, DString(),
                 TOrbetaAppCommands::FormatOneString(format.c_str(), name.c_str()), 1));
        return true;
    }
    case 230:
        return NotAvailable(id, "TPagePolivalentDataSelector", reply);
    case 232:
        return NotAvailable(id, "TPageSatellites", reply);
    case 240:
        RemoveField(value);
        app.BroadcastDataModified(nullptr);
        Reply(reply, true);
        return true;
    case 247:
        return NotAvailable(id, "TPageListas", reply);
    case 272:
    case 278:
        if (!lib.Carga_Mapa_Vectorial_Routing(3, nullptr))
            return NoMap(TPageMessageBox::TypeWarning);
        return NotAvailable(id, "TPageMenuAddress", reply);
    case 273:
        return NotAvailable(id, "TPageMenuHistoric", reply);
    case 274:
        return NotAvailable(id, "TPageMenuMyDestinations", reply);
    case 275:
    case 279:
        return NotAvailable(id, "TPageMenuChooseWithMap", reply);
    case 312:
        if (!lib.Carga_Mapa_Vectorial_Routing(0, nullptr))
            return NoMap(TPageMessageBox::TypeInformation);
        return RunOnViewer(312, text);
    case 367:
    case 2519:
        return NotAvailable(id, "TPageMenuMyDestinationsManager", reply);
    case 405:
    case 702:
    case 802:
    case 2302:
        return NotAvailable(id, "TPageArbolDeDatos", reply);
    case 501:
    case 561:
    case 1013: {
        DString error;
        TElementoGPS* element = visor ? visor->GetConfigManager(error, id, text) : nullptr;
        if (element) {
            NotAvailable(id, "TPageProperties", reply);
            return true;
        }
        Open(Box(TPageMessageBox::TypeInformation, DString(), error));
        return false;
    }
    case 502:
    case 503:
        return NotAvailable(id, "TPageInputSaveFiles", reply);
    case 506: {
        TPageMessageBox* top = dynamic_cast<TPageMessageBox*>(ui.GetTopPage());
        if ((top && top->type == TPageMessageBox::TypeQuit) || ui.inputBlocked ||
            TOrbetaAppCommands::ScreenBlocked(ui))
            return false;
        Open(Box(TPageMessageBox::TypeQuit, DString(), lib.Get_Idioma_GPS(2)));
        return false;
    }
    case 508:
        return NotAvailable(id, "TPageToolbarButtonsSelector", reply);
    case 545:
        return NotAvailable(id, "TPageLoginPasswordInputBox", reply);
    case 546:
        return NotAvailable(id, "TPageKeysSelector", reply);
    case 547:
        if (TOrbetaAppCommands::ScreenBlocked(ui))
            return app.ExecuteCommand(549, reply, number, text, extra, value, parent, text3);
        if (ui.inputBlocked)
            return app.ExecuteCommand(551, reply, number, text, extra, value, parent, text3);
        return false;
    case 548:
    case 549:
    case 551:
        return NotAvailable(id, "TPageBlocker", reply);
    case 550:
        return Screenshot();
    case 564:
        ui.SetScreenMode(4, 0);
        Reply(reply, true);
        return false;
    case 577:
        return NotAvailable(id, "TPageUIEngineStatus", reply);
    case 595:
    case 612:
        if (arg != "force") {
            ForceQuestion(id, lib.Get_Idioma_GPS(243));
            return false;
        }
        if (id == 595)
            RunOnViewer(595, nullptr);
        lib.ResetMenus();
        ui.ClosePagesUntilFirst();
        if (TPageMain* main = dynamic_cast<TPageMain*>(ui.GetPage(0))) {
            TPDAUIEngineCommand modified(nullptr, "lumorEngine_datosModificados");
            main->OnCommand(modified);
        }
        Open(Box(TPageMessageBox::TypeInformation, lib.Get_Idioma_GPS(1), lib.Get_Idioma_GPS(317)));
        return false;
    case 600:
        return NotAvailable(id, "TPageStatus", reply);
    case 671:
        Alarm();
        return NotAvailable(id, "TPageBatteryLow", reply);
    case 672: {
        if (!c || !c->powerAlarm || c->fixedPower)
            return false;
        Alarm();
        TPageMessageBox* box = Box(TPageMessageBox::TypeInformation, lib.Get_Idioma_GPS(1), lib.Get_Idioma_GPS(260),
                                   1800);
        box->cancelCommand = TOrbetaAppCommands::MakeCommandString(675, nullptr);
        Open(box);
        return false;
    }
    case 673:
    case 674: {
        if (id == 674 && c && c->fixedPower)
            return false;
        Alarm();
        TPageMessageBox* box = Box(TPageMessageBox::TypeInformation, lib.Get_Idioma_GPS(1),
                                   lib.Get_Idioma_GPS(id == 673 ? 268 : 270), 10);
        box->replyCommand.name = TOrbetaAppCommands::MakeCommandString(675, nullptr);
        Open(box);
        return false;
    }
    case 675:
        if (visor && visor->PuedeSalir(1, 3))
            ui.RequestQuit();
        return false;
    case 680:
        Alarm();
        Open(Box(TPageMessageBox::TypeInformation, DString("AC unplugged"), lib.Get_Idioma_Menu(357)));
        return false;
    case 755:
    case 865: {
        TTrackRutaBase* track = visor ? dynamic_cast<TTrackRutaBase*>(visor->current) : nullptr;
        if (!track)
            return false;
        TPageTrackGraph* page = new TPageTrackGraph(&app, track);
        if (reply)
            page->replyCommand = *reply;
        ui.OpenPage(page);
        return false;
    }
    case 807:
        if (c && c->routingMapFlag == 1 && !lib.Carga_Mapa_Vectorial_Routing(1, nullptr)) {
            NoMap(TPageMessageBox::TypeWarning);
            return true;
        }
        NotAvailable(id, "TPageRouteSimulator", reply);
        return true;
    case 870:
        return NotAvailable(id, "TPageListas", reply);
    case 1101:
        NotAvailable(id, "TPageMenuMyDestinationsManagerNew", nullptr);
        return MenuRoute(id);
    case 1504:
        return NotAvailable(id, "TPageHelpAbout", reply);
    case 2434:
    case 2435: {
        // The keys go on raising the volume page already on top.
        TPageVolume* volume = dynamic_cast<TPageVolume*>(ui.GetTopPage());
        if (!volume || volume->closing) {
            volume = new TPageVolume(&app, true);
            ui.OpenPage(volume);
        }
        if (id == 2434)
            volume->VolumeUp();
        else
            volume->VolumeDown();
        return true;
    }
    case 2463:
        return NotAvailable(id, "TPageMenuPOIS", reply);
    case 2464:
        return NotAvailable(id, "TPagePolivalentDataSelectorField", reply);
    case 2465:
        lib.PrepareItinerary();
        if (!lib.Carga_Mapa_Vectorial_Routing(3, nullptr))
            return NoMap(TPageMessageBox::TypeWarning);
        return NotAvailable(id, "TPageMenuItinerary", reply);
    case 2470:
        return NotAvailable(id, "TPageMenuGotoByCourseAndDistance", reply);
    case 2486:
        if (visor)
            visor->Operacion2486(4, 0);
        return false;
    case 2508:
        if (!lib.Carga_Mapa_Vectorial_Routing(2, text))
            return NoMap(TPageMessageBox::TypeInformation);
        return NotAvailable(id, "TPageMenuPOIS", reply);
    case 2522:
    case 2540:
    case 2541:
        return false;
    case 2528:
        if (!lib.Carga_Mapa_Vectorial_Routing(4, text))
            return NoMap(TPageMessageBox::TypeInformation);
        return NotAvailable(id, arg == "Noms de lieux NMX.vmap" ? "TPageMenuPOISPlaceNames" : "TPageMenuPOISByName",
                            reply);
    case 2611:
        lib.SD_Changed(extra && std::atoi(extra) == 32772);
        app.BroadcastDataModified(nullptr);
        return false;
    default:
        return LibraryRoute(id, reply, text);
    }
}
