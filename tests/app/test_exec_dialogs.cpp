// The library's dialog requests: message-box flags to type and modality, the
// answers each request gives the library, the option question's long form, the
// small-image rule, the place pickers by flags and the progress modes.
#include <atomic>
#include <cstdio>
#include <thread>

#include "app/TOrbetaAppDialogs.h"
#include "enginelib/draw/TDibIGformat.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TMonitorProc.h"
#include "enginelib/nav/TOpenFileNameLumor.h"
#include "exec_test_app.h"
#include "support/TestEngine.h"

namespace {
using namespace exectest;

// The library's callbacks of the requests, as the start-up registers them.
void RegisterRequests(ExecApp& app)
{
    app.engine.SetCallbackMessageBox(
        [](void* u, const DString& text, const DString& caption, int flags, int seconds, TCallbackLumor* cb) {
            return static_cast<TOrbetaApp*>(u)->ShowMessageBox(text, caption, flags, seconds, cb, "", "", "", "",
                                                                "");
        },
        &app);
    app.engine.SetCallbackInputText(
        [](void* u, const DString& t, const DString& m, const DString& i, int mode, bool flag) {
            return static_cast<TOrbetaApp*>(u)->InputText(t, m, i, mode, flag);
        },
        &app);
    app.engine.SetCallbackAskRadio(
        [](void* u, const DString& t, const DString& m, Vector<DString>& o, int d, bool flag) {
            return static_cast<TOrbetaApp*>(u)->AskRadio(t, m, o, d, flag);
        },
        &app);
    app.engine.SetCallbackAskGeoCode(
        [](void* u, const DString& t, int flags, const DString& text) {
            return static_cast<TOrbetaApp*>(u)->AskGeoCode(t, flags, text);
        },
        &app);
    app.engine.SetCallbackFileOpen(
        [](void* u, TOpenFileNameLumor& r) { return static_cast<TOrbetaApp*>(u)->ShowFileOpen(r); }, &app);
    app.engine.SetCallbackListas(
        [](void* u, TElementoGPS* e, int flags, const TTipoObjetoGPS* types, EFlagsContextMenuElemGPS m,
           const DString& title) { return static_cast<TOrbetaApp*>(u)->ShowLists(e, flags, types, m, title); },
        &app);
    app.engine.SetCallbackProperties(
        [](void* u, TElementoGPS* e, int mode) { return static_cast<TOrbetaApp*>(u)->ShowProperties(e, mode, nullptr); },
        &app);
    app.engine.recorder.endAnswers.clear();
}

// Sends a command to the top page, from inside the modal loop.
void Answer(TestEngine& engine, void* name)
{
    TPDAUIEngineCommand c(nullptr, static_cast<const char*>(name));
    engine.GetTopPage()->OnCommand(c);
}

TEST(ExecDialogs, MessageBoxFlagsGiveTypeModalityAndOneAnswer)
{
    struct Case {
        int flags;
        const char* press;  // the button pressed (null: none)
        int type;
        int returned;
        const char* endAnswer;  // the End call the library sees (null: none)
    };
    const Case cases[] = {
        {0, "yes", TPageMessageBox::TypeInformation, 6, nullptr},
        {1, "no", TPageMessageBox::TypeYesNo, 7, nullptr},
        {2, "yes", TPageMessageBox::TypeYesNo, 6, nullptr},
        {3, "cancel", TPageMessageBox::TypeYesNoCancel, 2, nullptr},
        {4, "no", TPageMessageBox::TypeYesNo, 7, nullptr},
        {4, "yes", TPageMessageBox::TypeYesNo, 6, nullptr},
        {5, "yes", TPageMessageBox::TypeYesNo, 6, nullptr},
        {6, "yes", TPageMessageBox::TypeInformation, 6, nullptr},
        {15, "yes", TPageMessageBox::TypeInformation, 6, nullptr},
        {0x1004, "yes", TPageMessageBox::TypeYesNo, 0, "EndMessageBox 6: answer"},
        {0x1003, "cancel", TPageMessageBox::TypeYesNoCancel, 0, "EndMessageBox 2: answer"},
        {0x1000, "yes", TPageMessageBox::TypeInformation, 0, "EndMessageBox 6: answer"},
        // Closed from outside: the box still gives the library its answer, once.
        {0x1004, nullptr, TPageMessageBox::TypeYesNo, 0, "EndMessageBox 2: answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        ExecApp app;
        RegisterRequests(app);
        RecMain main(&app);
        app.ui->OpenPage(&main);
        int seenType = -1;
        static int* typeOut;
        typeOut = &seenType;
        const bool modeless = c.flags & 0x1000;
        if (!modeless) {
            app.ui->ScriptCall(app.ui->Now() + 200, [](TestEngine& e, void*) {
                *typeOut = static_cast<TPageMessageBox*>(e.GetTopPage())->type;
            });
            app.ui->ScriptCall(app.ui->Now() + 300, &Answer, const_cast<char*>(c.press));
        }
        const int returned = app.engine.InvokeMessageBox("Text", "Title", c.flags, 0, nullptr);
        EXPECT_EQ(c.returned, returned);
        if (modeless) {
            TPageMessageBox* box = app.TopBox();
            ASSERT_NE(nullptr, box);
            seenType = box->type;
            EXPECT_TRUE(app.engine.recorder.endAnswers.empty());
            if (c.press) {
                Answer(*app.ui, const_cast<char*>(c.press));
                Answer(*app.ui, const_cast<char*>(c.press));  // a second press while closing
            } else {
                app.ui->ClosePagesUntilFirst();
            }
            app.ui->Advance(200);
            EXPECT_EQ(1, app.ui->GetPageCount());
        }
        EXPECT_EQ(c.type, seenType);
        if (c.endAnswer) {
            ASSERT_EQ(1u, app.engine.recorder.endAnswers.size());
            EXPECT_EQ(c.endAnswer, app.engine.recorder.endAnswers[0]);
        } else {
            EXPECT_TRUE(app.engine.recorder.endAnswers.empty());
        }
        EXPECT_TRUE(app.engine.recorder.Unanswered().empty());
        app.ui->pages.RemoveAllEqual(&main);
    }
}

TEST(ExecDialogs, MessageBoxCarriesItsTextsAndCallbackRecord)
{
    ExecApp app;
    RecPage page(app.ui);
    page.takes = {"onYes"};
    app.ui->OpenPage(&page);
    static TCallbackLumor* notified;
    static intptr_t code;
    notified = nullptr;
    TCallbackLumor record;
    record.w2 = 11, record.w3 = 22;
    record.fn = [](TCallbackLumor* r) { notified = r, code = r->code; };
    EXPECT_EQ(0, app.ShowMessageBox("Message", "Title", 0x1004, 0, &record, "boxEnd", "onYes", "yesArg", "onCancel",
                                    "cancelArg"));
    TPageMessageBox* box = app.TopBox();
    ASSERT_NE(nullptr, box);
    EXPECT_STREQ("Message", box->message.c_str());
    EXPECT_STREQ("Title", box->title.c_str());
    EXPECT_STREQ("boxEnd", box->replyCommand.name.c_str());
    EXPECT_STREQ("yesArg", box->yesArgument.c_str());
    EXPECT_STREQ("cancelArg", box->cancelArgument.c_str());
    EXPECT_EQ(22, box->callback.w3);

    Answer(*app.ui, const_cast<char*>("yes"));
    EXPECT_EQ(&box->callback, notified);
    EXPECT_EQ(6, code);
    EXPECT_EQ(0, record.code);  // the page answers through its own copy
    app.ui->Advance(200);
    EXPECT_EQ((std::vector<std::string>{"onYes", "boxEnd"}), page.Names());
    EXPECT_EQ(1, page.got.back().result);
    app.Forget();
}

TEST(ExecDialogs, RequestsWithoutTheirPageAnswerTheLibraryOnceAsCancelled)
{
    ExecApp app;
    RegisterRequests(app);
    TLumorGPSEngineInterface& lib = app.engine;
    Vector<DString> options;
    options.Add(DString("a"));
    lib.InvokeInputText("Title", "Message", "initial", 0, false);
    lib.InvokeAskRadio("Title", "Message", options, 0, false);
    lib.InvokeAskGeoCode("Title", 0x1, "");
    lib.InvokeAskGeoCode("Title", 0x8 | 0x10, "Noms de lieux NMX.vmap");
    lib.InvokeAskGeoCode("Title", 0, "");  // flags that select no picker
    TOpenFileNameLumor request;
    request.typeIndex = 1;
    lib.InvokeFileOpen(request);
    TElementoGPS folder("folder");
    lib.InvokeListas(&folder, 0, nullptr, 0, "List");
    lib.InvokeListas(&folder, 0x80, nullptr, 0, "Tree");
    lib.InvokeProperties(&folder, 0);
    const std::vector<std::string> expected = {
        "EndInputText 0 initial: answer", "EndAskRadio 0 0: answer",  "EndAskGeoCode 0: answer",
        "EndAskGeoCode 0: answer",        "EndAskGeoCode 0: answer",  "EndFileOpen 0  1: answer",
        "EndLists 0: answer",             "EndLists 0: answer",       "EndProperties 0: answer",
    };
    EXPECT_EQ(expected, lib.recorder.endAnswers);
    EXPECT_TRUE(lib.recorder.Unanswered().empty());
    EXPECT_TRUE(app.Logged("AskGeoCode: TPageMenuAddress purpose 2 is not available"));
    EXPECT_TRUE(app.Logged("AskGeoCode: TPageMenuPOISPlaceNames purpose 3 is not available"));
    EXPECT_TRUE(app.Logged("ShowLists: TPageArbolDeDatos is not available"));

    // A waiting file request is answered in the record itself.
    TOpenFileNameLumor waiting;
    waiting.modal = 1;
    waiting.result = 1;
    app.ShowFileOpen(waiting);
    EXPECT_EQ(0, waiting.result);
    EXPECT_EQ(expected.size(), lib.recorder.endAnswers.size());
}

TEST(ExecDialogs, RequestsOfPagesGetTheirReplyRefused)
{
    ExecApp app;
    RecPage page(app.ui);
    app.ui->OpenPage(&page);
    TPDAUIEngineCommand reply(&page, "coordinatesEnd");
    app.InputGeoCode("Title", "Message", "1.5", 0, &reply, 0);
    ASSERT_EQ(1u, page.got.size());
    EXPECT_EQ("coordinatesEnd", page.got[0].name);
    EXPECT_EQ(0, page.got[0].result);
    EXPECT_TRUE(app.engine.recorder.endAnswers.empty());
    app.Forget();
}

TEST(ExecDialogs, OptionQuestionLongForm)
{
    struct Case {
        int messageLength;
        int options;
        bool longForm;
    };
    const Case cases[] = {{50, 4, false}, {51, 4, true}, {50, 5, true}, {0, 0, false}, {200, 1, true}};
    for (const Case& c : cases) {
        const DString message(std::string(c.messageLength, 'x').c_str());
        EXPECT_EQ(c.longForm, TOrbetaAppDialogs::AskRadioLongForm(message, c.options))
            << c.messageLength << " " << c.options;
    }
}

TEST(ExecDialogs, SmallImagesGoToTheMapAndOthersToTheViewer)
{
    testpaths::TempDir dir;
    struct Case {
        int width, height;
        int kind;
        const char* page;
    };
    const Case cases[] = {
        {64, 64, 1, "TPageMap"}, {65, 64, 1, "TPageImageViewer"}, {64, 65, 2, "TPageImageViewer"},
        {64, 64, 3, "TPageImageViewer"}, {10, 10, 2, "TPageMap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " kind " + std::to_string(c.kind));
        const std::string path = dir / ("i" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".png");
        TDibIG image;
        ASSERT_TRUE(image.Crea(c.width, c.height, 16));
        ASSERT_TRUE(TDibIGformat::Guarda(image, path.c_str()));
        ExecApp app;
        TStringNomFitx file(path.c_str());
        app.FotoViews(file, "Photo", c.kind);
        EXPECT_TRUE(app.Logged(std::string("FotoViews: ") + c.page + " is not available"));
    }
    // A file that does not read counts as large.
    EXPECT_FALSE(TOrbetaAppDialogs::IsSmallImage((dir / "missing.png").c_str()));
    EXPECT_FALSE(TOrbetaAppDialogs::IsSmallImage(nullptr));
}

TEST(ExecDialogs, PlacePickerByFlags)
{
    struct Case {
        int flags;
        const char* text;
        const char* page;
        int purpose;
    };
    const Case cases[] = {
        {0x1, "", "TPageMenuAddress", 2},
        {0x1 | 0x2, "", "TPageMenuAddress", 2},
        {0x2, "", "TPageMenuPOIS", 1},
        {0x2 | 0x10, "", "TPageMenuPOIS", 3},
        {0x4, "", "TPageChooseLocation", 1},
        {0x10, "", "TPageMenuAddress", 5},
        {0, "", nullptr, 0},
        {0x8, "demo.poi", "TPageMenuPOISByName", 1},
        {0x18, "Noms de lieux NMX.vmap", "TPageMenuPOISPlaceNames", 3},
        {0x18, "demo.poi", "TPageMenuPOISByName", 3},
    };
    for (const Case& c : cases) {
        int purpose = -1;
        const char* page = TOrbetaAppDialogs::GeoCodePicker(c.flags, c.text, &purpose);
        EXPECT_STREQ(c.page, page) << c.flags;
        EXPECT_EQ(c.purpose, purpose) << c.flags;
    }
}

// A monitor that finishes after a number of polls.
class CountingMonitor : public TMonitorProc {
public:
    explicit CountingMonitor(int polls) : left(polls) {}
    bool Terminado() const override { return --left < 0; }
    mutable int left;
};

class SplashPage : public RecPage {
public:
    explicit SplashPage(TPDAUIEngine* e) : RecPage(e, "pagesplash") {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par, TPDAUIEngineXml* x,
                TFicheroITV* s) override
    {
        status = new TPDAUIEngineElementPage(e);  // any element with an id
        status->id = "lblStatus";
        AddChild(status, nullptr, nullptr);
    }
    TPDAUIEngineElement* status = nullptr;
};

TEST(ExecDialogs, ProgressOnTheSplashWaitsForTheLibraryAndRepaints)
{
    ExecApp app;
    SplashPage splash(app.ui);
    app.ui->OpenPage(&splash);
    CountingMonitor monitor(3);
    bool cancel = false;
    const int paintsBefore = app.ui->invalidations;
    EXPECT_EQ(0, app.ShowProgress(monitor, "Loading map", "", cancel, ModoProcesoOpen, 0));
    EXPECT_STREQ("Loading map", splash.status->label.c_str());
    EXPECT_EQ(3, app.ui->invalidations - paintsBefore);
    EXPECT_FALSE(app.Logged("TPageLoading"));

    // Finished by the library's own thread.
    TMonitorProc worker;
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        worker.Termina();
    });
    app.ShowProgress(worker, "Indexing", "", cancel, ModoProcesoModal, 0);
    t.join();
    EXPECT_TRUE(worker.Terminado());
    app.Forget();
}

TEST(ExecDialogs, ProgressModesAwayFromTheSplash)
{
    struct Case {
        int mode;
        bool logsLoadingPage;
        bool repaints;
    };
    const Case cases[] = {{ModoProcesoModal, true, false},
                          {-1, false, false},  // the modal form without a modal loop
                          {ModoProcesoOpen, true, true},
                          {ModoProcesoRefresh, false, true},
                          {ModoProcesoClose, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ExecApp app;
        RecMain main(&app);
        app.ui->OpenPage(&main);
        TMonitorProc monitor;  // never finishes: nothing may wait for it here
        bool cancel = false;
        app.ui->modalLoopAvailable = c.mode < 0 ? 0 : 1;
        const int before = app.ui->invalidations;
        EXPECT_EQ(0, app.ShowProgress(monitor, "Working", "", cancel, c.mode < 0 ? ModoProcesoModal : c.mode, 0));
        EXPECT_EQ(c.logsLoadingPage, app.Logged("ShowProgress: TPageLoading is not available"));
        EXPECT_EQ(c.repaints, app.ui->invalidations > before);
        EXPECT_FALSE(cancel);
        app.Forget();
    }
}

} // namespace
