#pragma once
#include "uiengine/core/TPDAUIEngineAnimations.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineResources.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// Root element of every screen. The engine's page stack holds pages; a page
// keeps the state that the engine's page protocol and input routing read and
// write (result, closing, loaded, modal, transition, pressed, hover and focused
// elements, pop-up stack, running element timers), the keyboard focus of its
// tree, and its property animations. Every application page derives from it.
// As a box it owns its element tree and lays it out on the screen.
class TPDAUIEngineElementPage : public TPDAUIEngineElementBox {
public:
    // Values of transition.
    enum EPageTransition { TransitionNone = 0, TransitionSlide = 1, TransitionFade = 2 };

    explicit TPDAUIEngineElementPage(TPDAUIEngine* engine);
    ~TPDAUIEngineElementPage() override;

    // ---- element operations the page overrides ----
    // Resets the per-load state, snapshots the skin settings, loads the tree.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void Detach() override;
    bool RaiseCommand(const char* name, int x, int y, bool playSound) override;
    // Only marks the page for layout; the next Paint lays it out.
    void ReapplyBounds() override;
    // The box's answer, but false while the next Paint lays the page out or
    // steps animations first. A page kind that paints otherwise overrides it.
    bool PaintsOpaque(IDC* dc) override;
    // The compiled page: the box's record, the page flags, the transition and
    // the trailer "_".
    void Save(TFicheroITV& stream) override;
    int GetMemorySize() override;

    // ---- the page's own virtual operations, in slot order ----

    // Rebuilds the page from its skin page (nothing but the landscape copy when
    // reloading is suppressed).
    virtual void Reload();
    // Sets reload requested and invalidates the page.
    virtual void RequestReload();
    // Builds the tree from the skin page of that name: the compiled page when
    // there is one, else the XML page with its user controls grafted and the
    // stylesheet applied. A page with neither (or an empty XML file) shows
    // "Error loading ..." and ends the program. unused is not read; parent goes
    // to OnLoad.
    virtual void LoadPage(TPDAUIEngine* engine, void* unused, TPDAUIEngineElement* parent,
                          const char* name);
    // Called by SetFocus after the focus has moved.
    virtual void OnFocusChanged(TPDAUIEngineElement* element);
    // > 0 asks the engine to paint through OpenGL, < 0 forbids it.
    virtual int RequiresOpenGL();
    virtual bool IsAnimating();
    virtual void SetAnimating(bool animating);

    // ---- non-virtual operations ----

    // result = the given byte, closing = 1, invalidate; the engine removes the
    // page at its next timer pass.
    void Close(unsigned char result);
    // Places the page on the screen: full screen, or centred by a maximum size
    // below 2048, or inset by margins.
    void Layout();
    bool IsTopPage();
    // Writes the compiled page to a new file (a skin is compiled in skin-compiling
    // mode at UI scale 1.0); false when the file cannot be written.
    bool WriteCompiled(const char* fileName);
    // True when the skin settings changed since the page was built (skin, theme,
    // orientation, language while on top, scale by more than 0.5).
    bool NeedsReload();

    // Focus and pop-ups.
    void SetFocus(TPDAUIEngineElement* element, bool force);
    void FocusNext();
    void FocusPrevious();
    void FocusUp();
    void FocusDown();
    void PushPopup(TPDAUIEngineElement* element);
    void ClosePopup(TPDAUIEngineElement* element);
    void CloseAllPopups();

    // Whether page points to a page that is alive (constructed and not yet destroyed).
    static bool IsLive(const TPDAUIEngineElementPage* page);

    // The page whose focus and pop-ups this page uses: itself, or for a page
    // nested in an element of another page, that page (outward).
    TPDAUIEngineElementPage* GetOuterPage();

    // ---- members, in declaration order ----

    DString skinNameAtLoad;
    unsigned char landscapeAtLoad = 0;
    int languageAtLoad = 0;
    float uiScaleAtLoad = 1.0f;
    DString themeAtLoad;
    DString loadedFile;
    TPDAUIEngineResources resources;       // the page's own images, emptied by Detach
    TPDAUIEngineElement* paintReference = nullptr; // cleared by every paint of the page
    TPDAUIEngineElement* pressedElement = nullptr;
    TPDAUIEngineElement* hoverElement = nullptr;
    TPDAUIEngineElement* keyDownElement = nullptr;
    TPDAUIEngineElement* focusedElement = nullptr;
    TPDAUIEngineElement* lastTextBox = nullptr;
    VectorP<TPDAUIEngineElement> popups;   // not owning, oldest first
    Vector<int> runningTimers;             // numeric ids of elements whose timer runs
    unsigned char loaded = 0;
    unsigned char result = 0;
    unsigned char closing = 0;
    unsigned char reloadRequested = 0;
    unsigned char fullScreen = 1;
    unsigned char modal = 0;
    unsigned char avoidChangeFocus = 0;
    unsigned char avoidPreviousPageBackgroundEffect = 0;
    int lastPaintTime = 0;
    TPDAUIEngineCommand replyCommand;       // empty name: no reply
    DString pageName;
    unsigned char busyWithInput = 0;
    unsigned char forcePortrait = 0;
    unsigned char forceLandscape = 0;
    TPDAUIEnginePageAnimationsManager animations;
    unsigned char animating = 0;
    unsigned char focusToFirstVisibleElementOnLoad = 0;
    unsigned char reloadSuppressed = 0;
    unsigned char keepAfterClose = 0;
    unsigned char needsLayout = 0;
    int transition = TransitionNone;
    TDibIG* transitionImage = nullptr;     // not owned; drawn instead of the page while set
    TRectIG transitionSource;
    TRectIG transitionDestination;
    int transitionAlpha = 0;

protected:
    // Reads a compiled page record (mark and tag included). A record that ends
    // early, or without its trailer, is reported; the page keeps what was read.
    void LoadCompiledPage(TPDAUIEngineElement* parent, TFicheroITV& stream);

    // Stops the timers of the page and of its tree and unlinks the tree's
    // elements from the page, so that elements deleted after the page's own
    // members (by a container base) leave the page alone. The destructor calls
    // it; a subclass that overrides CollectDescendants calls it in its own.
    void UnlinkTree();

private:
    // LoadPage's two forms: the compiled page (false when there is none), and
    // the XML page, whose absence ends the program after a message.
    bool LoadCompiledForm(TPDAUIEngine* engine, TPDAUIEngineElement* parent, const char* name);
    void LoadXmlForm(TPDAUIEngine* engine, TPDAUIEngineElement* parent, const char* name);

    // The moves behind FocusNext and FocusPrevious; force passes avoidChangeFocus
    // (Tab moves the focus even where the arrows may not).
    void MoveNext(bool force);
    void MovePrevious(bool force);
    bool FocusLastAboveFirst(VectorP<TPDAUIEngineElement>& list, bool force);
};
