#include "app/TOrbetaAppDialogs.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/TDibIGformat.h"
#include "enginelib/nav/TMonitorProc.h"
#include "enginelib/nav/TOpenFileNameLumor.h"
#include "pages/dialogs/TPageMessageBox.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

// ---- rules ----

bool TOrbetaAppDialogs::AskRadioLongForm(const DString& message, int optionCount)
{
    return message.Length() > 50 || optionCount > 4;
}

bool TOrbetaAppDialogs::IsSmallImage(const char* path)
{
    int width = 100, height = 100;
    if (!path || !TDibIGformat::Lee_Cabecera_File(path, &width, &height))
        width = height = 100;
    return width < 65 && std::abs(height) < 65;
}

const char* TOrbetaAppDialogs::GeoCodePicker(int flags, const DString& text, int* purpose)
{
    int p = 0;
    const char* page = nullptr;
    if (flags & 0x1) {
        page = "TPageMenuAddress", p = 2;
    } else if (flags & 0x2) {
        page = "TPageMenuPOIS", p = (flags & 0x10) ? 3 : 1;
    } else if (flags & 0x4) {
        page = "TPageChooseLocation", p = 1;
    } else if (!(flags & 0x8)) {
        if (flags & 0x10)
            page = "TPageMenuAddress", p = 5;
    } else if (!(flags & 0x10)) {
        page = "TPageMenuPOISByName", p = 1;
    } else {
        page = text == "Noms de lieux NMX.vmap" ? "TPageMenuPOISPlaceNames" : "TPageMenuPOISByName", p = 3;
    }
    if (purpose)
        *purpose = p;
    return page;
}

// ---- requests ----

namespace {

// A page of a later part of the program: the request is logged and answered
// as that page answers when cancelled.
void NotAvailable(TOrbetaApp& app, const char* request, const std::string& page)
{
    const std::string line = std::string(request) + ": " + page + " is not available";
    app.engine.Log(line.c_str(), false);
}

// The close-command record a cancelled page would deliver to the page beneath.
void DeliverRefused(TOrbetaApp& app, TPDAUIEngineCommand reply)
{
    TPDAUIEngineElementPage* top = app.uiEngine ? app.uiEngine->GetTopPage() : nullptr;
    if (!top || reply.name.IsEmpty())
        return;
    reply.result = 0;
    reply.handled = 1;
    top->OnCommand(reply);
}

} // namespace

int TOrbetaApp::ShowProgress(TMonitorProc& monitor, const DString& message, const DString& variableMessage,
                             bool& cancel, int mode, int flag)
{
    if (!uiEngine)
        return 0;
    TPDAUIEngineElementPage* top = uiEngine->GetTopPage();
    if (uiEngine->GetPageCount() == 1 && top->pageName.Strcmpi("pageSplash") == 0) {
        if (TPDAUIEngineElement* status = top->FindElement("lblStatus", false)) {
            status->label = message;
            status->Invalidate();
        }
        // The library finishes the work on its own thread; the splash only shows
        // that the program is alive. A quit ends the wait.
        while (!monitor.Terminado() && !uiEngine->quit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            uiEngine->Invalidate(1);
        }
        return 0;
    }
    switch (mode) {
    case ModoProcesoOpen:
        NotAvailable(*this, "ShowProgress", "TPageLoading");
        uiEngine->Invalidate(1);
        break;
    case ModoProcesoRefresh:
    case ModoProcesoClose:
        // Without a loading page on top there is nothing to refresh or close.
        uiEngine->Invalidate(1);
        break;
    case ModoProcesoModal:
        // Shown modally only where the platform runs a modal loop.
        if (uiEngine->modalLoopAvailable)
            NotAvailable(*this, "ShowProgress", "TPageLoading");
        break;
    default:
        break;
    }
    return 0;
}

int TOrbetaApp::ShowMessageBox(const DString& message, const DString& title, int flags, int seconds,
                               TCallbackLumor* callback, const char* closeCommand, const char* yesCommand,
                               const char* yesArgument, const char* cancelCommand, const char* cancelArgument)
{
    const bool modeless = (flags & 0x1000) != 0;
    if (!uiEngine) {
        // Nothing can show it yet: the request is answered as cancelled.
        if (modeless)
            engine.EndMessageBox(TPageMessageBox::AnswerCancel);
        return modeless ? 0 : TPageMessageBox::AnswerCancel;
    }
    TPageMessageBox* box = new TPageMessageBox(this, seconds);
    box->title = title;
    box->message = message;
    box->SetRequestFlags(flags);
    if (callback)
        box->callback = *callback;
    const auto text = [](const char* t) { return t ? t : ""; };
    box->replyCommand.name = text(closeCommand);
    box->yesCommand = text(yesCommand);
    box->yesArgument = text(yesArgument);
    box->cancelCommand = text(cancelCommand);
    box->cancelArgument = text(cancelArgument);
    if (modeless) {
        uiEngine->OpenPage(box);
        return 0;
    }
    uiEngine->ShowPageModal(box);
    const int answer = box->resultCode;
    delete box;
    return answer;
}

int TOrbetaApp::ShowProperties(TElementoGPS* element, int mode, TPDAUIEngineCommand* reply)
{
    NotAvailable(*this, "ShowProperties", "TPageProperties");
    if (reply)
        DeliverRefused(*this, *reply);
    else
        engine.EndProperties(element, 0);
    return 0;
}

int TOrbetaApp::ShowLists(TElementoGPS* element, int flags, const TTipoObjetoGPS* types, int contextMenuFlags,
                          const DString& title)
{
    bool keepOpen = false;
    if (element && ((flags & 0x80) || !(flags & 0x40)))
        NotAvailable(*this, "ShowLists", (flags & 0x80) ? "TPageArbolDeDatos" : "TPageListas");
    // Every way out gives the library its one final answer.
    engine.EndLists(element, 0, nullptr, keepOpen);
    return 0;
}

int TOrbetaApp::ShowFileOpen(TOpenFileNameLumor& request)
{
    NotAvailable(*this, "ShowFileOpen", "TPageFileOpen");
    if (request.modal) {
        request.result = 0;
        return 0;
    }
    engine.EndFileOpen(0, "", request.typeIndex);
    return 0;
}

int TOrbetaApp::InputGeoCode(const DString& title, const DString& message, const DString& initial, int mode,
                             TPDAUIEngineCommand* reply, int flag)
{
    NotAvailable(*this, "InputGeoCode", "TPageInputBox");
    if (reply)
        DeliverRefused(*this, *reply);
    return 0;
}

int TOrbetaApp::InputTextForObject(const DString& title, const DString& message, TPDAUIEngineElement* textBox,
                                   int mode, int flag)
{
    // The text box keeps its text, as after a cancelled input.
    NotAvailable(*this, "InputTextForObject", "TPageInputBox");
    return 0;
}

int TOrbetaApp::InputText(const DString& title, const DString& message, const DString& initial, int mode, int flag)
{
    NotAvailable(*this, "InputText", "TPageInputBox");
    engine.EndInputText(0, initial.c_str());
    return 0;
}

int TOrbetaApp::AskRadio(const DString& title, const DString& message, Vector<DString>& options, int defaultIndex,
                         int flag)
{
    const bool longForm = TOrbetaAppDialogs::AskRadioLongForm(message, options.Count());
    NotAvailable(*this, "AskRadio", longForm ? "TPageInputOptionsBox (long form)" : "TPageInputOptionsBox");
    engine.EndAskRadio(0, 0);
    return 0;
}

int TOrbetaApp::InputComboBox(int value, TPDAUIEngineElement* comboBox)
{
    NotAvailable(*this, "InputComboBox", "TPageInputComboBox");
    if (comboBox)
        DeliverRefused(*this, TPDAUIEngineCommand(comboBox, comboBox->onCommand.c_str()));
    return 0;
}

int TOrbetaApp::ShowContextMenu(TPDAUIEngineElement* menu)
{
    NotAvailable(*this, "ShowContextMenu", "TPageContextMenu");
    if (menu)
        DeliverRefused(*this, TPDAUIEngineCommand(nullptr, menu->GetPopupHideCommand().c_str()));
    return 0;
}

int TOrbetaApp::FotoViews(TStringNomFitx& file, const DString& title, int kind)
{
    if (kind == 0) {
        // No image viewer can be open; the map's photo view comes with the map page.
        NotAvailable(*this, "FotoViews", "TPageMap");
        return 0;
    }
    if (kind != 3 && TOrbetaAppDialogs::IsSmallImage(file.c_str()))
        NotAvailable(*this, "FotoViews", "TPageMap");
    else
        NotAvailable(*this, "FotoViews", "TPageImageViewer");
    return 0;
}

int TOrbetaApp::TextViews(const DString& text, const DString& title, int kind)
{
    // Below 1 closes the text viewers: none can be open.
    if (kind >= 1)
        NotAvailable(*this, "TextViews", "TPageTextViewer");
    return 0;
}

int TOrbetaApp::QueueAttachment(TElementoGPS* element, TStringNomFitx& file, const DString& text, int n)
{
    if ((n > 0 && TOrbetaAppDialogs::IsSmallImage(file.c_str())) || n < 1) {
        NotAvailable(*this, "QueueAttachment", "TPageMap");
        return 0;
    }
    NotAvailable(*this, "QueueAttachment", "TPageAttachmentViewer");
    return 0;
}

int TOrbetaApp::AskGeoCode(const DString& title, int flags, const DString& text)
{
    int purpose = 0;
    if (const char* page = TOrbetaAppDialogs::GeoCodePicker(flags, text, &purpose))
        NotAvailable(*this, "AskGeoCode", std::string(page) + " purpose " + std::to_string(purpose));
    engine.EndAskGeoCode(0);
    return 0;
}
