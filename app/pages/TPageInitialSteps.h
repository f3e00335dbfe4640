#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPDAUIEngineElementLabel;

// The initial steps page ("pageInitialSteps"): runs the configured start-up
// steps (entries "name[:argument]" joined by ","), one at a time, before the
// user reaches the map. It stays invisible: each step opens a page or runs an
// engine command and advances when that reports back. When the list is done it
// is written back to the setting (with what the steps changed in it) and the
// page closes with 1.
class TPageInitialSteps : public TPDAUIEngineElementPage {
public:
    TPageInitialSteps(TOrbetaApp* app, const DString& stepsText);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    // The tree goes: so does the pointer into it.
    void Detach() override;
    // While a page opened for a step lies above: when it has gone without the
    // step's reply, the step is answered as refused.
    void OnTimer(int interval, int now) override;

    // The place the last-destination text names: "#HISTORIC" is the last place
    // geocoded; any other text is a file, with its "N>", "W>", "T>" and "R>"
    // markers, whose name with extension is the place's name.
    static DString PlaceName(TOrbetaApp* app, const DString& destination);
    // format with its first "%s" replaced by argument; every other character,
    // '%' included, is kept as it is (the format is translated text).
    static DString FormatOne(const DString& format, const DString& argument);
    // The part of an entry before its first ':'.
    static DString EntryName(const DString& entry);

    TOrbetaApp* app;
    TPDAUIEngineElementLabel* lblTitle = nullptr;
    Vector<DString> steps{10, 10};
    int currentStep = -1;

private:
    // Builds a command of that name for this page and handles it at once;
    // answers whether a handler took it.
    bool SendSelf(const DString& name);
    // Runs the step an entry names; false when it names no step.
    bool RunEntry(const DString& entry);
    // Runs the next step; from inside a step it is queued, so a list of steps
    // that all advance at once runs in a loop, not in ever deeper calls.
    void NextStep();
    void RunNextStep();
    void PreviousStep();
    void GotoStep(const DString& target);
    // The step commands; false for a name that is no step.
    bool RunStep(TPDAUIEngineCommand& command);
    void Finish();
    void Log(const char* line);
    // A step that waits for reply: Await before starting it; after, a reply that
    // never came is answered as refused once nothing lies over this page (at
    // once, or when the page opened for the step has gone without answering),
    // so the sequence cannot stall.
    void Await(const char* replyName);
    void AnswerIfUnanswered(TPDAUIEngineCommand& reply);
    void RunCommandStep(int id, const char* replyName, const DString& text);
    // A step whose page is not built yet: logged, then its reply as a cancel.
    void PageNotAvailable(const char* pageClass, const DString& reply);

    bool stepping_ = false;
    bool nextPending_ = false;
    DString awaitedReply_;
    bool replied_ = false;
    // The reply awaited from a page opened above this one.
    bool waitingAbove_ = false;
    TPDAUIEngineCommand pendingReply_;
};
