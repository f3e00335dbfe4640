#include "pages/dialogs/TPageMessageBox.h"

#include "app/TOrbetaApp.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {

const char* const kIcons[] = {"commonInformation", "commonWarning",  "commonError",      "commonQuestion",
                              "commonQuestion",    "commonQuestion", "commonInformation"};

void Show(TPDAUIEngineElement* e, bool shown)
{
    if (e)
        e->visible = shown ? 1 : 0;
}

} // namespace

TPageMessageBox::TPageMessageBox(TOrbetaApp* app, int seconds)
    : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app), secondsLeft(seconds), secondsAtStart(seconds)
{
}

TPageMessageBox::~TPageMessageBox()
{
    if (!modalFlag && type != TypeQuit && !answeredLibrary_ && app) {
        answeredLibrary_ = true;
        app->engine.EndMessageBox(AnswerCancel);
    }
}

void TPageMessageBox::SetRequestFlags(int flags)
{
    switch (flags & 0xF) {
    case 0:
        type = TypeInformation;
        break;
    case 1:
    case 2:
    case 4:
    case 5:
        type = TypeYesNo;
        break;
    case 3:
        type = TypeYesNoCancel;
        break;
    default:
        break;
    }
    modalFlag = (flags & 0x1000) ? 0 : 1;
}

void TPageMessageBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* pg, TPDAUIEngineElement* par,
                             TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    LoadPage(e, nullptr, par, "pageMessageBox");
    imgIcon = FindElement("imgIcon", true);
    lblTitle = FindElement("lblTitle", true);
    boxBody = FindElement("boxBody", true);
    boxMessage = FindElement("boxMessage", true);
    boxImage = FindElement("boxImage", true);
    lblText = FindElement("lblText", true);
    lblSubText = FindElement("lblSubText", true);
    lblSeconds = FindElement("lblSeconds", true);
    btnYes = FindElement("btnYes", true);
    btnNo = FindElement("btnNo", true);
    btnCancel = FindElement("btnCancel", true);

    if (lblText)
        lblText->label = message;
    if (type < TypeInformation || type > TypeWait)
        return;
    if (imgIcon) {
        imgIcon->imageName = kIcons[type];
        imgIcon->image = resources.GetImage(kIcons[type], false, false);
    }
    const bool shortCountdown = secondsAtStart != 0 && secondsAtStart <= 5;
    Show(btnYes, type != TypeWait && !(type == TypeInformation && shortCountdown));
    Show(btnNo, type >= TypeYesNo && type <= TypeQuit);
    Show(btnCancel, type == TypeYesNoCancel);
    Show(lblSubText, false);
    Show(lblSeconds, secondsAtStart > 3);
    if (lblTitle) {
        lblTitle->label = title;
        if (title.IsEmpty() && engine)
            lblTitle->label = engine->TranslateText("{E1}");
    }
}

void TPageMessageBox::ShowSeconds()
{
    if (!lblSeconds)
        return;
    DString text;
    if (secondsAtStart > 3 && app)
        app->engine.FormateaTiempo(secondsLeft, false, secondsLeft > 60, true, text);
    lblSeconds->label = text;
}

void TPageMessageBox::OnTimer(int interval, int now)
{
    --secondsLeft;
    if (secondsLeft > 0) {
        ShowSeconds();
        Invalidate();
        return;
    }
    StopTimer();
    resultCode = AnswerCancel;
    PassCommand(cancelCommand, cancelArgument);
    Close(0);
}

void TPageMessageBox::PassCommand(const DString& name, const DString& argument)
{
    TPDAUIEngine* e = engine;
    if (!e)
        return;
    const int index = e->GetPageCount() - 2;
    TPDAUIEngineElementPage* beneath = index >= 0 ? e->GetPage(index) : nullptr;
    if (!beneath)
        return;
    TPDAUIEngineCommand reply(nullptr, name.c_str());
    beneath->OnCommand(reply);
    const TPDAUIEngineCallbacks& cb = e->callbacks;
    if (!reply.handled && cb.uiCommand)
        cb.uiCommand(cb.userData, name.c_str(), argument.c_str(), 0, &reply.handled, 0);
}

void TPageMessageBox::NotifyCallback()
{
    if (!callback.fn)
        return;
    callback.code = resultCode;
    callback.fn(&callback);
}

void TPageMessageBox::Close(int result)
{
    if (!modalFlag && type != TypeQuit && !answeredLibrary_ && app) {
        answeredLibrary_ = true;
        app->engine.EndMessageBox(resultCode);
    }
    StopTimer();
    TPDAUIEngineElementPage::Close((unsigned char)result);
}

void TPageMessageBox::OnCommand(TPDAUIEngineCommand& command)
{
    const DString& n = command.name;
    // One answer per box: a second press while the page is leaving is ignored.
    if (closing && (n == "yes" || n == "no" || n == "cancel"))
        return;
    if (n == "load") {
        Layout();
        ShowSeconds();
        if (secondsLeft != 0) {
            timerInterval = 1000;
            StartTimer();
        }
    } else if (n == "yes") {
        resultCode = AnswerYes;
        if (!yesCommand.IsEmpty())
            PassCommand(yesCommand, yesArgument);
        if (type == TypeWarning) {
            NotifyCallback();
            Close(0);
        } else if (commandNumber != -1) {
            if (app)
                app->ExecuteCommand(commandNumber, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
            NotifyCallback();
            Close(1);
        } else if (type == TypeQuit) {
            TPDAUIEngineCommand save(nullptr, "showPageInputSaveFiles");
            OnCommand(save);
        } else {
            NotifyCallback();
            Close(1);
        }
    } else if (n == "no") {
        resultCode = AnswerNo;
        NotifyCallback();
        Close(0);
    } else if (n == "cancel") {
        resultCode = AnswerCancel;
        PassCommand(cancelCommand, cancelArgument);
        NotifyCallback();
        Close(0);
    } else if (n == "showPageInputSaveFiles") {
        // The save-modified-data page is not part of the program yet: it answers
        // at once as if it had been cancelled.
        if (app)
            app->engine.Log("pageInputSaveFiles is not available", false);
        TPDAUIEngineCommand end(this, "showPageInputSaveFilesEnd");
        end.result = 0;
        OnCommand(end);
    } else if (n == "showPageInputSaveFilesEnd") {
        NotifyCallback();
        Close(1);
    } else {
        command.handled = 0;
    }
}
