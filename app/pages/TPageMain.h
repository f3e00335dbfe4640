#pragma once
#include <set>
#include <string>

#include "enginelib/base/Vector.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPageMap;

// The main page ("pageMain"): the bottom of the page stack for the whole run;
// the program's message loop runs in its modal loop. Its skin page places
// iframes, which it fills with the map page and the data tree page by their
// inner page names; it runs the start-up chain of pages (advice, initial
// steps) and passes every command it does not handle on to the map page.
class TPageMain : public TPDAUIEngineElementPage {
public:
    explicit TPageMain(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    // Loads the page again in place, without the "load" event.
    void Reload() override;
    bool IsAnimating() override;
    int RequiresOpenGL() override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnMouseWheel(int x, int y, int delta) override;
    // The tree goes with its iframes and the pages in them.
    void Detach() override;

    // The map page while an iframe still holds it, else null (and forgotten).
    TPageMap* LiveMapPage();
    // The library reports changed command states.
    void RefreshMap();
    // Gives the embedded pages the iframe's shape (landscape or portrait) while
    // this page is alone on the stack.
    void LayoutIFrames();

    TOrbetaApp* app;
    VectorP<TPDAUIEngineElementIFrame> iframes{10, 10, false};  // the element tree owns them
    // The map page, once its iframe holds one (the iframe owns it); null again
    // once that iframe no longer holds it.
    TPageMap* mapPage = nullptr;

private:
    // Builds a command of that name for this page and handles it at once.
    void SendSelf(const char* name);
    // A command for the map page; without one it stays unhandled and is logged.
    void PassToMapPage(TPDAUIEngineCommand& command);
    void OpenInnerPage(TPDAUIEngineElementIFrame* frame);
    void Log(const DString& line);

    TPDAUIEngineElementIFrame* mapFrame_ = nullptr;
    bool forwarding_ = false;  // a key or wheel turn is with the map page
    // Names of commands already logged as having no map page: a message arriving
    // every second is written once. Bounded.
    std::set<std::string> loggedCommands_;
};
