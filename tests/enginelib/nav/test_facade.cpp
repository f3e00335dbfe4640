// The facade: stage order, callbacks called with their user data first, and each
// request answered once (late and unsolicited answers kept, never acted on).
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TOpenFileNameLumor.h"

#include <gtest/gtest.h>

#include "nav_fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {
using Facade = TLumorGPSEngineInterface;
using enginelib::Recorder;

// What the last callback saw: its user data and a description of its arguments.
struct Seen {
    void* user = nullptr;
    std::string args;
    int answer = 0;
};
Seen g_seen;
std::function<void()> g_inside;  // runs inside a callback (a modal page answering)

void Note(void* user, const std::string& args)
{
    g_seen.user = user;
    g_seen.args = args;
    if (g_inside)
        g_inside();
}

void RegisterAll(Facade& f, void* user)
{
    f.SetCallbackMessageBox([](void* u, const DString& t, const DString& c, int fl, int s, TCallbackLumor*) {
        Note(u, std::string(t.c_str()) + "|" + c.c_str() + "|" + std::to_string(fl) + "|" + std::to_string(s));
        return g_seen.answer;
    }, user);
    f.SetCallbackProperties([](void* u, TElementoGPS*, int mode) { Note(u, std::to_string(mode)); return 1; }, user);
    f.SetCallbackListas([](void* u, TElementoGPS*, int fl, const TTipoObjetoGPS*, EFlagsContextMenuElemGPS m,
                           const DString& t) { Note(u, std::to_string(fl) + "|" + std::to_string(m) + "|" + t.c_str()); return 1; },
                        user);
    f.SetCallbackFileOpen([](void* u, TOpenFileNameLumor&) { Note(u, "file"); return 1; }, user);
    f.SetCallbackInputText([](void* u, const DString& t, const DString& m, const DString& i, int mode, bool b) {
        Note(u, std::string(t.c_str()) + "|" + m.c_str() + "|" + i.c_str() + "|" + std::to_string(mode) + "|" + std::to_string(b));
        return 1;
    }, user);
    f.SetCallbackAskRadio([](void* u, const DString& t, const DString&, Vector<DString>& o, int d, bool) {
        Note(u, std::string(t.c_str()) + "|" + std::to_string(o.Count()) + "|" + std::to_string(d));
        return 1;
    }, user);
    f.SetCallbackAskGeoCode([](void* u, const DString& t, int fl, const DString& x) {
        Note(u, std::string(t.c_str()) + "|" + std::to_string(fl) + "|" + x.c_str());
        return 1;
    }, user);
    f.SetCallbackActuScreen([](void* u) { Note(u, "actu"); }, user);
    f.SetCallbackInvalidate([](void* u, bool b) { Note(u, std::to_string(b)); }, user);
    f.SetCallbackQuit([](void* u) { Note(u, "quit"); }, user);
    f.SetCallbackDatosModif([](void* u, TElementoGPS* e, bool now) { Note(u, std::to_string(e != nullptr) + std::to_string(now)); }, user);
    f.SetCallbackUpdateGraph([](void* u) { Note(u, "graph"); }, user);
    f.SetCallbackClosePage([](void* u, int i) { Note(u, std::to_string(i)); }, user);
    f.SetCallbackActuChecks([](void* u) { Note(u, "checks"); }, user);
    f.SetCallbackObjetoSelecc([](void* u) { Note(u, "selected"); }, user);
    f.SetCallbackFotoViews([](void* u, TStringNomFitx&, const DString& t, int k) { Note(u, std::string(t.c_str()) + "|" + std::to_string(k)); return true; }, user);
    f.SetCallbackTextViews([](void* u, const DString& t, const DString& x, int k) { Note(u, std::string(t.c_str()) + "|" + x.c_str() + "|" + std::to_string(k)); return true; }, user);
    f.SetCallbackSkinChanged([](void* u) { Note(u, "skin"); }, user);
    f.SetCallbackLanguageChanged([](void* u) { Note(u, "language"); }, user);
    f.SetCallbackGetUIEngineMemoryUsed([](void* u) { Note(u, "memory"); return 77; }, user);
    f.SetCallBackCPU100mode([](void* u, bool b) { Note(u, std::to_string(b)); }, user);
    f.SetCallBackZoomToItModal([](void* u, bool& out) { Note(u, "zoom"); out = true; }, user);
    f.SetCallBackWakeUp([](void* u) { Note(u, "wake"); return true; }, user);
    f.SetCallBackChangeUITheme([](void* u, const DString& t) { Note(u, t.c_str()); }, user);
    f.SetCallBackEjecutaComanda([](void* u, TComandasLumorGPS id, const DString& a) { Note(u, std::to_string(id) + "|" + a.c_str()); }, user);
    f.SetCallBackEqueueAttachment([](void* u, TElementoGPS*, TStringNomFitx&, const DString& t, int n) { Note(u, std::string(t.c_str()) + "|" + std::to_string(n)); }, user);
    f.SetCallBack_IsAppVisible([](void* u) { Note(u, "visible"); return false; }, user);
}

class FacadeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_seen = Seen();
        g_inside = nullptr;
        navtest::InMemory(f);
    }
    void TearDown() override { g_inside = nullptr; }
    Facade f;
    int user = 0;
};

TEST_F(FacadeTest, StartUpCallsAreRecordedInOrderAndStagesAnswer)
{
    EXPECT_TRUE(Facade::Ejecuta_CmdLine(L"/skin default", L"ZODIDEDORIRIDADO"));
    EXPECT_EQ(std::wstring(L"/skin default"), Facade::commandLine);
    f.Inicializa0();
    int window = 0;
    f.Inicializa2_hWnd(&window, nullptr, &window);
    f.SetCallbackProcesosLentos(nullptr, nullptr, &user);
    DString error;
    EXPECT_TRUE(f.Inicializa1(error));
    EXPECT_TRUE(f.Inicializa2(error));
    RegisterAll(f, &user);
    f.Close(1);

    ASSERT_EQ(34u, f.recorder.calls.size());
    const std::vector<std::string> head(f.recorder.calls.begin(), f.recorder.calls.begin() + 8);
    EXPECT_EQ((std::vector<std::string>{"Ejecuta_CmdLine", "Inicializa0", "Inicializa2_hWnd",
                                        "SetCallbackProcesosLentos", "Inicializa1", "Inicializa2",
                                        "SetCallbackMessageBox", "SetCallbackProperties"}),
              head);
    EXPECT_EQ("SetCallBack_IsAppVisible", f.recorder.calls[32]);
    EXPECT_EQ("Close 1", f.recorder.calls[33]);
    EXPECT_EQ(&window, f.window);
    EXPECT_TRUE(f.recorder.log.empty()) << f.recorder.log[0];
    // The build the program checks against.
    EXPECT_EQ(2496, f.GetSizeofDatos());
    EXPECT_EQ(4664, f.GetSizeofVisor());
    EXPECT_EQ(80, f.GetSizeofEngineInterface());
    EXPECT_EQ(28, f.GetSizeofTempsUTC());
    EXPECT_EQ(20248, f.GetSizeofConfig());
    EXPECT_EQ(282, f.CalcMaskDefineC());
    EXPECT_STREQ("_Version__2.6.1", f.GetVersionAppDll());
}

TEST_F(FacadeTest, ForcedStageFailuresAndStagesOutOfOrder)
{
    f.failures.cmdLine = true;
    EXPECT_FALSE(Facade::Ejecuta_CmdLine(L"", L"ZODIDEDORIRIDADO"));
    f.failures.inicializa1 = "no maps";
    f.failures.inicializa2 = "no memory";
    DString error;
    f.Inicializa1(error);  // before Inicializa0 and the window
    EXPECT_FALSE(f.Inicializa1(error));
    EXPECT_STREQ("no maps", error.c_str());
    EXPECT_FALSE(f.Inicializa2(error));
    EXPECT_STREQ("no memory", error.c_str());
    ASSERT_EQ(2u, f.recorder.log.size());
    EXPECT_EQ("stage out of order: Inicializa1 after none", f.recorder.log[0]);
    EXPECT_EQ("stage out of order: Inicializa1 after Inicializa1", f.recorder.log[1]);
}

TEST_F(FacadeTest, EveryCallbackGetsItsUserDataFirst)
{
    RegisterAll(f, &user);
    TMonitorProc* monitor = nullptr;
    TStringNomFitx file("a.jpg");
    TOpenFileNameLumor fileRequest;
    Vector<DString> options;
    options.Add(DString("a"));
    options.Add(DString("b"));
    bool cancel = false;
    g_seen.answer = 6;
    struct Case {
        const char* name;
        std::function<void()> invoke;
        const char* args;
    } cases[] = {
        {"message box", [&] { EXPECT_EQ(6, f.InvokeMessageBox("Replace?", "Save", 4, 0, nullptr)); }, "Replace?|Save|4|0"},
        {"properties", [&] { f.InvokeProperties(nullptr, 3); }, "3"},
        {"lists", [&] { f.InvokeListas(nullptr, 5, nullptr, 2, "Title"); }, "5|2|Title"},
        {"file open", [&] { f.InvokeFileOpen(fileRequest); }, "file"},
        {"input text", [&] { f.InvokeInputText("T", "M", "I", 2, true); }, "T|M|I|2|1"},
        {"ask radio", [&] { f.InvokeAskRadio("R", "M", options, 1, false); }, "R|2|1"},
        {"ask geocode", [&] { f.InvokeAskGeoCode("G", 0x18, "x"); }, "G|24|x"},
        {"actu screen", [&] { f.InvokeActuScreen(); }, "actu"},
        {"invalidate", [&] { f.InvokeInvalidate(true); }, "1"},
        {"quit", [&] { f.InvokeQuit(); }, "quit"},
        {"data modified", [&] { f.InvokeDatosModif(nullptr, true); }, "01"},
        {"graph", [&] { f.InvokeUpdateGraph(); }, "graph"},
        {"close page", [&] { f.InvokeClosePage(-1); }, "-1"},
        {"checks", [&] { f.InvokeActuChecks(); }, "checks"},
        {"selected", [&] { f.InvokeObjetoSelecc(); }, "selected"},
        {"photo", [&] { EXPECT_TRUE(f.InvokeFotoViews(file, "P", 1)); }, "P|1"},
        {"text", [&] { EXPECT_TRUE(f.InvokeTextViews("T", "body", 4)); }, "T|body|4"},
        {"skin", [&] { f.InvokeSkinChanged(); }, "skin"},
        {"language", [&] { f.InvokeLanguageChanged(); }, "language"},
        {"memory", [&] { EXPECT_EQ(77, f.InvokeGetUIEngineMemoryUsed()); }, "memory"},
        {"cpu", [&] { f.InvokeCPU100mode(true); }, "1"},
        {"zoom", [&] { EXPECT_TRUE(f.InvokeZoomToItModal()); }, "zoom"},
        {"wake", [&] { EXPECT_TRUE(f.InvokeWakeUp()); }, "wake"},
        {"theme", [&] { f.InvokeChangeUITheme("night"); }, "night"},
        {"command", [&] { f.InvokeEjecutaComanda(545, "user!@pass"); }, "545|user!@pass"},
        {"attachment", [&] { f.InvokeEqueueAttachment(nullptr, file, "note", 2); }, "note|2"},
        {"visible", [&] { EXPECT_FALSE(f.InvokeIsAppVisible()); }, "visible"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_seen.user = nullptr;
        g_seen.args.clear();
        c.invoke();
        EXPECT_EQ(&user, g_seen.user);
        EXPECT_EQ(c.args, g_seen.args);
    }
    (void)monitor;
    (void)cancel;
}

TEST_F(FacadeTest, CallbacksOutsideTheirLifetimeDoNothing)
{
    // Nothing registered: requests answer 0 and open nothing; visibility defaults to true.
    EXPECT_EQ(0, f.InvokeMessageBox("x", "y", 0, 0, nullptr));
    EXPECT_EQ(0, f.InvokeInputText("", "", "", 0, false));
    EXPECT_TRUE(f.InvokeIsAppVisible());
    EXPECT_TRUE(f.recorder.requests.empty());
    // After Close the program is never called again.
    RegisterAll(f, &user);
    f.Close(0);
    f.InvokeQuit();
    f.InvokeClosePage(2);
    EXPECT_EQ(0, f.InvokeProperties(nullptr, 1));
    EXPECT_EQ(nullptr, g_seen.user);
}

TEST_F(FacadeTest, EachRequestIsAnsweredOnceLateAndUnsolicitedAnswersAreKept)
{
    RegisterAll(f, &user);
    Vector<DString> options;
    TOpenFileNameLumor fileRequest;
    TElementoGPS* element = reinterpret_cast<TElementoGPS*>(&options);  // only compared, never read
    bool keepOpen = true;
    struct Case {
        const char* name;
        std::function<void()> raise, answer;
        const char* line;  // the answer's record, without its verdict
    } cases[] = {
        {"message box", [&] { f.InvokeMessageBox("m", "c", 0x1000, 0, nullptr); }, [&] { f.EndMessageBox(6); },
         "EndMessageBox 6"},
        {"properties", [&] { f.InvokeProperties(element, 0); }, [&] { f.EndProperties(element, 1); },
         "EndProperties 1"},
        {"lists", [&] { f.InvokeListas(element, 0, nullptr, 0, ""); },
         [&] { f.EndLists(element, 1, nullptr, keepOpen); }, "EndLists 1"},
        {"file open", [&] { f.InvokeFileOpen(fileRequest); }, [&] { f.EndFileOpen(1, "a.gpx", 2); },
         "EndFileOpen 1 a.gpx 2"},
        {"input text", [&] { f.InvokeInputText("", "", "", 0, false); }, [&] { f.EndInputText(1, "Home"); },
         "EndInputText 1 Home"},
        {"ask radio", [&] { f.InvokeAskRadio("", "", options, 0, false); }, [&] { f.EndAskRadio(1, 2); },
         "EndAskRadio 1 2"},
        {"ask geocode", [&] { f.InvokeAskGeoCode("", 0, ""); }, [&] { f.EndAskGeoCode(1); },
         "EndAskGeoCode 1"},
    };
    g_seen.answer = 0;  // the message box is modeless: it answers later
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.recorder.endAnswers.clear();
        c.answer();  // nothing asked yet
        c.raise();
        ASSERT_EQ(1u, f.recorder.Unanswered().size());
        const int id = f.recorder.Unanswered()[0];
        c.answer();
        c.answer();  // a second answer changes nothing
        EXPECT_TRUE(f.recorder.Unanswered().empty());
        EXPECT_EQ((std::vector<std::string>{std::string(c.line) + ": unsolicited", std::string(c.line) + ": answer",
                                            std::string(c.line) + ": late"}),
                  f.recorder.endAnswers);
        EXPECT_FALSE(f.recorder.ExpectOneAnswer(id));  // answered twice
        EXPECT_EQ(std::string(c.line).substr(std::string(c.line).find(' ') + 1, 1),
                  std::to_string(f.recorder.Find(id)->code));  // the first answer stands
    }
    EXPECT_FALSE(keepOpen);  // the library closes the data tree unless told otherwise
}

TEST_F(FacadeTest, ModalAnswersAndAnswersForTheRightElement)
{
    RegisterAll(f, &user);
    // A modal box answers by its result; the page's own End from inside the
    // callback completes the same request and the result does not count again.
    TCallbackLumor callback;
    g_seen.answer = 7;
    f.InvokeMessageBox("m", "c", 3, 0, &callback);
    ASSERT_EQ(1u, f.recorder.requests.size());
    EXPECT_TRUE(f.recorder.ExpectOneAnswer(f.recorder.requests[0].id));
    EXPECT_EQ(7, callback.code);
    g_inside = [&] { f.EndMessageBox(2); };
    f.InvokeMessageBox("m", "c", 3, 0, &callback);
    EXPECT_TRUE(f.recorder.ExpectOneAnswer(f.recorder.requests[1].id));
    EXPECT_EQ(2, f.recorder.requests[1].code);
    g_inside = nullptr;

    // Two modeless boxes are answered oldest first.
    g_seen.answer = 0;
    f.InvokeMessageBox("first", "c", 0x1000, 0, nullptr);
    f.InvokeMessageBox("second", "c", 0x1000, 0, nullptr);
    f.EndMessageBox(6);
    EXPECT_EQ(6, f.recorder.requests[2].code);
    EXPECT_EQ(0, f.recorder.requests[3].answers);

    // Properties answers go to the request of their element only.
    int a = 0, b = 0;
    auto* ea = reinterpret_cast<TElementoGPS*>(&a);
    auto* eb = reinterpret_cast<TElementoGPS*>(&b);
    f.InvokeProperties(ea, 0);
    f.EndProperties(eb, 1);
    EXPECT_EQ("EndProperties 1: unsolicited", f.recorder.endAnswers.back());
    f.EndProperties(ea, 2);
    EXPECT_EQ("EndProperties 2: answer", f.recorder.endAnswers.back());
}

} // namespace
