#include "app/pages/TPageInitialSteps.h"

#include <cstring>

#include "app/TOrbetaApp.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kGotoMostCharacters = 999;
const int kLastGeocodedPlace = 4;
const int kCategoriesFilterCommand = 561;
const int kNavigateToCommand = 2480;
const int kYesNoModeless = 4097;
const int kWatchMs = 200;

const char kGotoStep[] = "gotoStep:";
const char kLanguage[] = "stepShowPageIdioma:";
const char kLanguageEnd[] = "stepShowPageIdiomaEnd:";
const char kNavigateTo[] = "stepNavigateTo:";
const char kVideo[] = "stepShowVideo:";
} // namespace

TPageInitialSteps::TPageInitialSteps(TOrbetaApp* app, const DString& stepsText)
    : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app)
{
    stepsText.Separa_En_Palabras(",", steps);
    if (app && app->engine.config)
        app->engine.config->continueOrNewNavigation = stepsText.Contains("stepShowContinueOrNewNavigation");
}

void TPageInitialSteps::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                               TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageInitialSteps");
    lblTitle = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblTitle", true));
}

void TPageInitialSteps::Detach()
{
    lblTitle = nullptr;
    TPDAUIEngineElementPage::Detach();
}

DString TPageInitialSteps::EntryName(const DString& entry)
{
    const int colon = entry.strchr(':');
    return colon < 0 ? entry : entry.SubString(0, colon);
}

DString TPageInitialSteps::FormatOne(const DString& format, const DString& argument)
{
    DString out(format);
    const int at = out.strstr("%s");
    if (at >= 0) {
        out.Delete(at, 2);
        out.Insert(at, argument.c_str(), argument.Length());
    }
    return out;
}

DString TPageInitialSteps::PlaceName(TOrbetaApp* app, const DString& destination)
{
    DString name;
    if (destination == "#HISTORIC") {
        TGeoCode place;
        if (app && app->engine.GetGeocode(place, kLastGeocodedPlace))
            place.A_StrCurt(name);
        return name;
    }
    DString text(destination);
    for (const char* marker : {"N>", "W>", "T>", "R>"})
        text.Sustituye(marker, "");
    const int cut = text.strchr('>');
    const TStringNomFitx file(cut < 0 ? text : text.SubString(0, cut));
    return file.nom_fitx_ext();
}

void TPageInitialSteps::Log(const char* line)
{
    if (app)
        app->engine.Log(line, false);
}

bool TPageInitialSteps::SendSelf(const DString& name)
{
    TPDAUIEngineCommand command(this, name.c_str());
    OnCommand(command);
    return command.handled != 0;
}

bool TPageInitialSteps::RunEntry(const DString& entry)
{
    // Only steps: an entry naming a navigation command ("previousStep") would
    // call itself without end.
    TPDAUIEngineCommand command(this, entry.c_str());
    return RunStep(command);
}

void TPageInitialSteps::NextStep()
{
    if (stepping_) {
        nextPending_ = true;
        return;
    }
    stepping_ = true;
    do {
        nextPending_ = false;
        RunNextStep();
    } while (nextPending_ && !closing);
    stepping_ = false;
}

void TPageInitialSteps::RunNextStep()
{
    if (closing)
        return;
    ++currentStep;
    if (currentStep >= steps.Count()) {
        Finish();
        return;
    }
    const DString entry = steps[currentStep];
    if (!RunEntry(entry))
        nextPending_ = true;
}

void TPageInitialSteps::Finish()
{
    if (closing)
        return;
    DString joined;
    for (int i = 0; i < steps.Count(); ++i) {
        if (i)
            joined << ",";
        joined << steps[i];
    }
    if (app && app->engine.config)
        app->engine.config->initialSteps = joined;
    Close(1);
}

void TPageInitialSteps::PreviousStep()
{
    if (steps.Count() == 0) {
        NextStep();
        return;
    }
    // Clamped after both moves: a video first in the list must not take the
    // index below the list.
    currentStep = currentStep - 1 < 0 ? 0 : currentStep - 1;
    if (currentStep >= steps.Count())
        currentStep = steps.Count() - 1;
    if (steps[currentStep].StartsWith(kVideo) && currentStep > 0)
        --currentStep;
    const DString entry = steps[currentStep];
    if (!RunEntry(entry)) {
        // Nothing to go back to: the sequence ends.
        currentStep = steps.Count() - 1;
        NextStep();
    }
}

void TPageInitialSteps::GotoStep(const DString& target)
{
    const DString text = target.SubString(0, kGotoMostCharacters);
    const DString name = EntryName(text);
    for (int i = 0; i < steps.Count(); ++i)
        if (EntryName(steps[i]) == name) {
            currentStep = i;
            break;
        }
    if (!RunEntry(text))
        NextStep();  // no step of that name: go on rather than wait for nothing
}

void TPageInitialSteps::OnCommand(TPDAUIEngineCommand& command)
{
    // The list was written back when the page closed: a late command (a reply,
    // "previousStep") must not move the step or edit the list after that.
    if (closing) {
        command.handled = 0;
        return;
    }
    const DString& name = command.name;
    if (name == "load") {
        visible = 0;
        if (currentStep == -1)
            NextStep();
    } else if (name == "nextStep") {
        NextStep();
    } else if (name == "previousStep") {
        PreviousStep();
    } else if (name.StartsWith(kGotoStep)) {
        GotoStep(name.SubString((int)strlen(kGotoStep)));
    } else if (!RunStep(command)) {
        command.handled = 0;
    }
}

void TPageInitialSteps::Await(const char* replyName)
{
    awaitedReply_ = replyName;
    replied_ = false;
}

void TPageInitialSteps::AnswerIfUnanswered(TPDAUIEngineCommand& reply)
{
    const bool answered = replied_;
    replied_ = false;
    if (answered || closing || !engine) {
        awaitedReply_.Empty();
        return;
    }
    if (engine->GetTopPage() != this) {
        // A page was opened for the step: its reply comes when it closes.
        pendingReply_ = reply;
        waitingAbove_ = true;
        timerInterval = kWatchMs;
        StartTimer();
        return;
    }
    // No answer came and no page was opened for it: refused.
    awaitedReply_.Empty();
    reply.result = 0;
    OnCommand(reply);
}

void TPageInitialSteps::OnTimer(int, int)
{
    if (!waitingAbove_ || closing || !engine || engine->GetTopPage() != this)
        return;
    StopTimer();
    waitingAbove_ = false;
    awaitedReply_.Empty();
    TPDAUIEngineCommand reply = pendingReply_;
    reply.result = 0;
    OnCommand(reply);
}

void TPageInitialSteps::RunCommandStep(int id, const char* replyName, const DString& text)
{
    TPDAUIEngineCommand reply(this, replyName);
    Await(replyName);
    if (app)
        app->ExecuteCommand(id, &reply, -1, text.c_str(), nullptr, -1, this, nullptr);
    AnswerIfUnanswered(reply);
}

void TPageInitialSteps::PageNotAvailable(const char* pageClass, const DString& reply)
{
    DString line("TPageInitialSteps: page ");
    line << pageClass << " is not available";
    Log(line.c_str());
    // Answered as if the page had been cancelled.
    TPDAUIEngineCommand command(this, reply.c_str());
    command.result = 0;
    OnCommand(command);
}

bool TPageInitialSteps::RunStep(TPDAUIEngineCommand& command)
{
    const DString& name = command.name;
    TConfig* config = app ? app->engine.config : nullptr;
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    if (!awaitedReply_.IsEmpty() && name == awaitedReply_) {
        replied_ = true;
        if (waitingAbove_) {
            waitingAbove_ = false;
            awaitedReply_.Empty();
            StopTimer();
        }
    }

    if (name == "stepShowSplash") {
        PageNotAvailable("TPageHelpAbout", "stepShowSplashEnd");
    } else if (name == "stepShowSplashEnd" || name == "stepShowSelectCategoriesFilterEnd") {
        NextStep();
    } else if (name.StartsWith(kLanguage)) {
        const DString mode = name.SubString((int)strlen(kLanguage));
        if (mode == "never") {
            NextStep();
        } else {
            DString reply(kLanguageEnd);
            reply << mode;
            PageNotAvailable("TPageChooseLanguage", reply);
        }
    } else if (name.StartsWith(kLanguageEnd)) {
        const DString mode = name.SubString((int)strlen(kLanguageEnd));
        if (mode == "first" && currentStep >= 0 && currentStep < steps.Count()) {
            steps[currentStep] = kLanguage;
            steps[currentStep] << "never";
        } else if (mode == "always" && config) {
            config->languageIdPrevious = config->languageId.GetValor();
        }
        NextStep();
    } else if (name == "stepShowContinueOrNewNavigation") {
        const DString last = config ? config->lastDestination.GetValor() : DString();
        if (last.IsEmpty()) {
            NextStep();
            return true;
        }
        DString format("{R197}");
        app->engine.Sustituye_Id_Idioma(format);
        const DString text = FormatOne(format, PlaceName(app, last));
        const char* replyName = "stepShowContinueOrNewNavigationEnd";
        TPDAUIEngineCommand reply(this, replyName);
        Await(replyName);
        app->ShowMessageBox(text, DString(), kYesNoModeless, 0, nullptr, replyName, nullptr, nullptr, nullptr,
                            nullptr);
        AnswerIfUnanswered(reply);
    } else if (name == "stepShowContinueOrNewNavigationEnd") {
        if (command.result) {
            SendSelf("gotoStep:stepNavigateTo:previous");
        } else {
            if (config)
                config->lastDestination = "";
            NextStep();
        }
    } else if (name == "stepWaitForDefaultData") {
        if (visor)
            visor->WaitForRemoteDataDownloaded();
        NextStep();
    } else if (name == "stepShowSelectCategoriesFilter") {
        RunCommandStep(kCategoriesFilterCommand, "stepShowSelectCategoriesFilterEnd", "catfilters");
    } else if (name.StartsWith(kNavigateTo)) {
        DString destination;
        if (config)
            destination = name.SubString((int)strlen(kNavigateTo)) == "previous" ? config->lastDestination.GetValor()
                                                                                  : config->secondDestination.GetValor();
        if (destination.IsEmpty())
            NextStep();
        else
            RunCommandStep(kNavigateToCommand, "stepNavigateToEnd", destination);
    } else if (name == "stepNavigateToEnd") {
        // The data tree (a page of the menus) closed without a choice: back one step.
        auto* from = dynamic_cast<TPDAUIEngineElementPage*>(command.target);
        if (from && from != this && from->pageName == "pagearboldedatos" && command.result == 0)
            PreviousStep();
        else
            NextStep();
    } else if (name.StartsWith(kVideo)) {
        if (visor)
            visor->Ejecuta_Adjunto(name.SubString((int)strlen(kVideo)).c_str());
        NextStep();
    } else {
        return false;
    }
    return true;
}
