#pragma once
#include <cstddef>
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TColorIG.h"
#include "uiengine/core/TPDAUIEngineCallbacks.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineDownloadManager.h"
#include "uiengine/core/TPDAUIEngineKeysManager.h"
#include "uiengine/core/TPDAUIEngineResources.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

class TDibIG;
class TPDAUIEngineElement;
class TPDAUIEngineElementPage;
class TPDAUIEngineStyleFont;

// The one UI engine object: page stack, double-buffered painting, input routing,
// element timers, the posted-command queue and the application callback block.
// Abstract: the platform layer fills the operations that need a window.
//
// Everything runs on the UI thread except PostCommand.
class TPDAUIEngine {
public:
    TPDAUIEngine();
    virtual ~TPDAUIEngine();
    TPDAUIEngine(const TPDAUIEngine&) = delete;
    TPDAUIEngine& operator=(const TPDAUIEngine&) = delete;

    // ---- Page stack ----------------------------------------------------------
    // Opens the page above the others and runs the modal loop until it has
    // closed; answers its result. The caller deletes the page afterwards.
    virtual int ShowPageModal(TPDAUIEngineElementPage* page, bool replaceSame = false);
    // With a parent element the page is embedded in it (no stack change);
    // without, it is pushed on the stack. Answers the page's result byte.
    virtual int OpenPage(TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent = nullptr,
                         bool replaceSame = false);
    // Removes the top page (only the top page), delivers its reply command.
    // False when the page is not on top, is busy with input, or the stack is empty.
    virtual bool ClosePage(TPDAUIEngineElementPage* page, bool deletePage);
    // Removes closing pages from the top (start of every timer pass).
    virtual void CloseFinishedPages();
    // Asks every page above the bottom one to close with result 0.
    virtual void ClosePagesUntilFirst();
    // With two pages or more, asks the top page to close with result 0.
    virtual void CloseLastPage();

    // ---- Painting --------------------------------------------------------------
    virtual void Paint();
    virtual void PaintPages();
    virtual void OnPageLoaded(TPDAUIEngineElementPage* page) {}

    // ---- Platform ----------------------------------------------------------------
    // Runs the message loop until at most pageCount pages remain or quit is set.
    virtual void RunModalLoop(int pageCount) = 0;
    // A modal message box; returns when the user has dismissed it.
    virtual void MessageBox(const char* text, const char* caption) = 0;
    // Mode 1 or 2: repaint at once (unless inside Paint); other modes only mark.
    virtual void Invalidate(int mode) = 0;
    virtual void InvalidateElement(TPDAUIEngineElement* element) = 0;

    // ---- Run state ---------------------------------------------------------------
    virtual void RequestQuit();
    // Sets the quit flag; the platform's override ends the process.
    virtual void Terminate();
    virtual bool IsAppVisible() { return appVisible != 0; }

    // Milliseconds since the engine was built (wrap-safe).
    virtual int GetTickCount();

    // ---- Element timers ----------------------------------------------------------
    virtual void StartTimer(TPDAUIEngineElement* element);
    virtual void ProcessTimers();
    virtual void StopTimer(TPDAUIEngineElement* element);

    // ---- Sound ---------------------------------------------------------------------
    virtual int GetSoundVolume(int value1 = 0, int value2 = 0);
    virtual void SetSoundVolume(int value1, int value2 = 0);
    virtual int GetSoundMute();
    virtual void SetSoundMute(int value1, int value2 = 0);
    virtual void PlaySound(const char* name, int flag = 0);

    virtual void RegisterNativeMessage(int message, const char* command,
                                       TPDAUIEngineElement* target) {}
    virtual void UnregisterNativeMessage(int message, TPDAUIEngineElement* target) {}

    // ---- Input panel and application dialogs -------------------------------------
    virtual int ShowInputPanel(TPDAUIEngineElement* element, int value = 0);
    virtual void HideInputPanel() { sipShown = 0; }
    virtual int InputComboBox(TPDAUIEngineElement* comboBox, intptr_t value = 0);
    virtual int ShowContextMenu(TPDAUIEngineElement* menu, int x, int y);

    // ---- Capabilities (platform) -----------------------------------------------------
    virtual bool HasHardwareKeyboard() = 0;
    virtual int HasHardwareKeyboardMultiplexed() = 0;
    // The platform's own input panel; non-zero when it handled the request.
    virtual int InputPanelHandler(TPDAUIEngineElement* element, int value) = 0;
    virtual int HasHardwareMouse() = 0;
    virtual int HasHardwareMouseTouchScreen() = 0;
    virtual int HasHardwareMouseTouchScreenDouble() = 0;

    // The on-screen input panel was shown (panelHeight px taken) or hidden.
    virtual void OnSipChanged(bool shown, int panelHeight);
    virtual int TouchCalibrate() { return 0; }
    virtual int CanCalibrateTouchScreen() { return 0; }
    // requested: a display orientation code (-1: the next supported one), given
    // back as the one set or tried; current: the orientation before the change.
    virtual bool SetScreenOrientation(int& requested, int& current) { return false; }
    virtual int NotifyOrientationChanged(int angle, int value) { return 0; }

    // Writes the double buffer to an image file.
    virtual bool SaveScreenshot(const char* fileName);
    virtual int GetBrightness(int value1 = 0, int value2 = 0);
    virtual void SetBrightness(int value1, int value2 = 0);
    virtual void SetScreenMode(int mode, int value) = 0;
    virtual void SetScreenScale(float scale) {}
    virtual void SaveWindowGeometry();
    virtual void InstallClockCallback();
    virtual void OnClockTick() {}

    // ---- Skin -----------------------------------------------------------------------------
    // Loads a skin with its two themes; option names the theme taken for unknown theme
    // names. False with the message in errorText.
    virtual bool LoadSkin(DString& skinName, const CDString& theme1, const CDString& theme2,
                          const CDString& option, DString& errorText)
    {
        return skinSettings.LoadSkin(*this, skinName, theme1, theme2, option, errorText);
    }

    // ---- Fonts (forwarded to the font manager) -----------------------------------------
    virtual bool AddFont(const char* path);
    virtual void AdjustFont(TPDAUIEngineStyleFont& font);
    virtual TSizeIG GetTextExtent(const TPDAUIEngineStyleFont& font, const CDString& text,
                                  int maxWidth = 0, int flags = 0);
    // A font size at which the text fits the rectangle.
    virtual int MeasureText(const TPDAUIEngineStyleFont& font, const CDString& text,
                            const TRectIG& rect, int flags, int maxLines);
    virtual int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                         const TColorIG* background, const CDString& text, TRectIG& rect,
                         int flags, int maxLines = 0);
    virtual int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text,
                               int lineCount, int width);
    virtual TDibIG* GetGlyph(const char* family, int code, int size, TRectIG& source,
                             int& advance, int& top);
    virtual void ClearFonts();
    // Hands the drawing context's own text calls to the font manager (on) or
    // takes them back (off).
    virtual void SetFontFunctionCallbacks(bool on);

    // ---- Clipboard (platform) ---------------------------------------------------------
    virtual void SetClipboardText(const char* text) {}
    virtual DString GetClipboardText() { return DString(); }

    // ---- Translation ---------------------------------------------------------------------
    // A copy of text with its translation ids replaced.
    virtual DString TranslateText(const char* text);
    // Replaces the translation ids of text in place; the callback's answer.
    virtual int TranslateLanguageIds(DString& text);

    // ---- Input from the platform ------------------------------------------------------
    // Press kinds: 0 primary, 1 secondary, 15 middle.
    // extra1 and extra2 pass through to the element handlers.
    virtual void OnPointerDown(int x, int y, int kind, int extra1 = 0, int extra2 = 0);
    virtual void OnPointerMove(int x, int y, int flags, int extra1 = 0, int extra2 = 0);
    virtual void OnPointerUp(int x, int y, int kind);
    virtual void OnDoubleClick(int x, int y, int value1, int value2);
    virtual void OnMouseWheel(int x, int y, int delta);
    virtual void OnResize(int x, int y, int width, int height);
    virtual bool OnKeyDown(int key);
    virtual bool OnChar(int character);
    virtual bool OnKeyUp(int key);

    virtual int GetMemoryUsed();
    virtual bool UseOpenGL();
    virtual int SetCPU100Mode(int on) { return 0; }

    // ---- Posted commands (any thread may post) ------------------------------------------
    virtual int PostCommand(const TPDAUIEngineCommand& command);
    virtual void DispatchPostedCommands();
    virtual bool PopCommand(TPDAUIEngineCommand& out);

    // ---- Helpers (not virtual) ------------------------------------------------------------
    int GetPageCount() const { return pages.Count(); }
    TPDAUIEngineElementPage* GetTopPage() const;
    TPDAUIEngineElementPage* GetPage(int index) const;
    // Whether page is on the stack.
    bool IsOnStack(const TPDAUIEngineElementPage* page) const;
    IDC* GetDC() { return &dc; }
    int ScreenWidth() const { return skinSettings.screenWidth; }
    int ScreenHeight() const { return skinSettings.screenHeight; }
    // Image lookup for the font manager: the top page's store, then the engine's.
    TDibIG* FindImage(const char* name);
    // The font the drawing context's own text calls use: the top page's.
    TPDAUIEngineStyleFont PageFont(TPDAUIEngineElementPage* page) const;

    // ---- Members, in order ----------------------------------------------------------------
    TPDAUIEngineSkinSettings skinSettings;
    TPDAUIEngineFontManager fontManager;
    TPDAUIEngineKeysManager keysManager;
    DString skinsFolder;
    DString soundsFolder;
    DString tempFolder;
    uint8_t quit = 0;
    uint32_t startTick;
    int appSettingA = -1;
    int integerMemberA = -1;
    int screenMode = 1;
    uint8_t soundsEnabled = 1;
    int lastPaintTime = 0;
    int lastTimerPass = 0;
    int integerMemberB = 0;
    int fixedScreenWidth = 0;
    int fixedScreenHeight = 0;
    int fixedScreenLeft = -1;  // -1: wherever the window is
    int fixedScreenTop = -1;
    int screenKind = 0;
    DString keyboardLayouts;
    uint8_t skinCompiling = 0;
    uint8_t flagMemberA = 0;
    uint8_t flagMemberB = 0;
    uint8_t popupClosingPress = 0;
    VectorP<TPDAUIEngineElementPage> pages;  // bottom first; not owning
    // Pages opened inside an element of another page; their element timers run
    // right after those of the stack page that holds them. Not owning; entries
    // of pages that have gone are dropped at the next timer pass.
    VectorP<TPDAUIEngineElementPage> nestedPages{4, 4, false};
    int elementCounter = 0;
    uint8_t flagMemberC = 0;
    uint8_t inputBlocked = 0;
    uint8_t flagMemberD = 0;
    DString textMember;
    int scrollOriginY = 0;
    uint8_t flagMemberE = 1;
    uint8_t painting = 0;
    uint8_t paintSuppressed = 0;
    IDCdir dc;
    int paintCounter = 0;
    TPDAUIEngineResources resources;
    TPDAUIEngineDownloadManager downloadManager;
    VectorI<TPointIG> pointerTrail;
    uint8_t trailDrawing = 0;
    TPDAUIEngineCommandQueue postedCommands;  // holds its own lock
    int longPressTime = 600;
    uint8_t appVisible = 1;
    uint8_t sipSizeLocked = 0;
    uint8_t sipOrientationLocked = 0;
    uint8_t sipShown = 0;
    uint8_t sipSpare = 0;
    uint8_t pointerDown = 0;
    uint8_t moved = 0;
    int lastPointerX = 0;
    int lastPointerY = 0;
    int pressX = 0;
    int pressY = 0;
    int pressKind = 0;
    int pressTime = 0;
    int lastProcessTimers = 0;
    int integerMemberE = -1;
    uint8_t contextMenuOnSecondaryPress = 1;
    uint8_t keysEnabled = 0;
    uint8_t longPressIndicator = 0;
    uint8_t longPressArmed = 0;
    int indicatorTime = 0;
    TPDAUIEngineCallbacks callbacks;  // application user data, then the 19 callbacks
    int integerMemberF = 0;
    // Set by a platform whose modal loop can show pages modally.
    uint8_t modalLoopAvailable = 0;
    // The platform paints the busy indicator instead of the pages.
    uint8_t busyPainting = 0;
    uint8_t appHasFocus = 1;
    // Set by the map page's zoom commands while a zoom button is held: the map
    // gadget lets the viewer draw fast, then clears it after each paint.
    uint8_t mapRepaint = 0;

    // Every element calls ElementDeleted as it dies, so that a platform keeping
    // element pointers (its native message map) drops them. One hook, UI thread.
    typedef void (*ElementDeletedHook)(TPDAUIEngineElement* element);
    static void SetElementDeletedHook(ElementDeletedHook hook);
    // Inline: every element of every closing page passes here, nearly always
    // with no hook set.
    static void ElementDeleted(TPDAUIEngineElement* element)
    {
        if (elementDeletedHook_ && element)
            elementDeletedHook_(element);
    }

    // The default on-screen keyboard layouts, joined by '|'.
    static const char* DefaultKeyboardLayouts();

protected:
    // replaceSame: whether older shows the same subject as newer (the property and
    // show-in-map pages of the application). The application's engine answers;
    // the base knows no such pages.
    virtual bool PageShowsSameSubject(TPDAUIEngineElementPage* older,
                                      TPDAUIEngineElementPage* newer);

    // Kinetic scroll boxes and text boxes, as the pointer routing sees them.
    // The scroll bar of element when it is a box laid out "VerticalScroll", else null.
    virtual TPDAUIEngineElement* VerticalScrollBarOf(TPDAUIEngineElement* element);
    // The bar's scrolling mode (4: "iscroll").
    virtual int ScrollBarMode(TPDAUIEngineElement* bar);
    // Whether the bar's last press dragged the content or stopped a flick.
    virtual bool ScrollBarTookGesture(TPDAUIEngineElement* bar);
    // Whether element is a box or list whose shown scroll bar has an arrow held.
    virtual bool ScrollArrowHeld(TPDAUIEngineElement* element);
    // Whether element is a text box (the input panel stays up for those).
    virtual bool IsTextBox(TPDAUIEngineElement* element);

private:
    static ElementDeletedHook elementDeletedHook_;

    struct ScrollBox {
        TPDAUIEngineElement* box = nullptr;
        TPDAUIEngineElement* bar = nullptr;
    };
    ScrollBox FindScrollBox(TPDAUIEngineElement* start, bool needIScroll);
    ScrollBox ScrollSearchStart(TPDAUIEngineElement* pressed, bool orDisabled);

    // Signed difference of two engine ticks, right across the wrap of the count.
    static int TickDiff(int later, int earlier) { return (int)((uint32_t)later - (uint32_t)earlier); }
    // Whether the engine deletes this page when it leaves the stack.
    static bool EngineOwnsPage(const TPDAUIEngineElementPage* page);
    void ClosePagesAboveForQuit(TPDAUIEngineElementPage* page);
    void RunOpenTransition(TPDAUIEngineElementPage* page);
    void RunCloseTransition(TPDAUIEngineElementPage* page);
    // Paints page alone into a new 32-bit screen image, over background (copied
    // and dimmed first) when given; gives the image as 24 bits.
    bool PaintPageInto(TPDAUIEngineElementPage* page, TDibIG& image, const TDibIG* background);
    // The back buffer at the screen size.
    void EnsureBackBuffer();
    void DrawTransitionImage(TPDAUIEngineElementPage* page);
    void DrawDim();
    void AddTrailPoint(int x, int y);
    void CheckLongPress(int now);
    // One page's element timers in one timer pass.
    void RunPageTimers(TPDAUIEngineElementPage* page, int pass);
    bool BelongsToEngine(TPDAUIEngineElement* element) const;
    void DeliverReply(TPDAUIEngineElementPage* closed);

    uint8_t inResize_ = 0;
    uint8_t transitionRunning_ = 0;  // no page leaves the stack meanwhile
    bool fontCallbacksOn_ = false;
};
