#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/nav/TLumorGPSTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;

// The one page that tells the user something or asks yes or no: an icon, a
// title, a text, up to three buttons and an optional countdown. Its answer
// (6 yes, 7 no, 2 cancel or time-out) goes out as the result of a modal call,
// through the library's EndMessageBox, through a library callback record, as
// reply commands to the page beneath and through the close-command record.
class TPageMessageBox : public TPDAUIEngineElementPage {
public:
    // Types: 0 information, 1 warning, 2 error, 3 yes/no, 4 yes/no/cancel,
    // 5 the quit question (yes opens the save-modified-data page), 6 no buttons.
    enum { TypeInformation = 0, TypeWarning, TypeError, TypeYesNo, TypeYesNoCancel, TypeQuit, TypeWait };
    enum { AnswerYes = 6, AnswerNo = 7, AnswerCancel = 2 };

    // seconds: the countdown (0 = none).
    TPageMessageBox(TOrbetaApp* app, int seconds);
    // A box opened for a library request that never answered (closed from outside)
    // answers it now as cancelled.
    ~TPageMessageBox() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnTimer(int interval, int now) override;
    void OnCommand(TPDAUIEngineCommand& command) override;

    // Answers the library first when the box was opened modelessly for it, then
    // closes the page (1 accepted, 0 refused).
    virtual void Close(int result);

    // Fills the type and modality from a library request's flags: the low four
    // bits are the button code (0 OK; 1, 2, 4, 5 yes/no; 3 yes/no/cancel; others
    // keep the type), 0x1000 answers later through EndMessageBox.
    void SetRequestFlags(int flags);

    TOrbetaApp* app;
    TPDAUIEngineElement* imgIcon = nullptr;
    TPDAUIEngineElement* lblTitle = nullptr;
    TPDAUIEngineElement* boxBody = nullptr;
    TPDAUIEngineElement* boxMessage = nullptr;
    TPDAUIEngineElement* boxImage = nullptr;
    TPDAUIEngineElement* lblText = nullptr;
    TPDAUIEngineElement* lblSubText = nullptr;
    TPDAUIEngineElement* lblSeconds = nullptr;
    TPDAUIEngineElement* btnYes = nullptr;
    TPDAUIEngineElement* btnNo = nullptr;
    TPDAUIEngineElement* btnCancel = nullptr;
    int type = TypeInformation;
    DString title;
    DString message;
    int resultCode = 0;
    int secondsLeft = 0;
    int secondsAtStart = 0;
    // Set: the opener waits and reads the answer; clear: the answer goes to the
    // library through EndMessageBox. Boxes that pages and the executor open do not
    // answer a library request, so only the request path clears it.
    unsigned char modalFlag = 1;
    int commandNumber = -1;
    DString yesCommand;
    DString yesArgument;
    DString cancelCommand;
    DString cancelArgument;
    TCallbackLumor callback;

private:
    // Gives a reply command to the page beneath the top, falling back to the
    // application's UI-command callback when that page does not take it.
    void PassCommand(const DString& name, const DString& argument);
    void NotifyCallback();
    void ShowSeconds();

    bool answeredLibrary_ = false;
};
