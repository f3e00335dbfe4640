#pragma once
#include <utility>
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/nav/TVectorComandas.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPDAUIEngineElementButton;
class TPDAUIEngineElementLabel;
class TPDAUIEngineElementMenu;
class TPDAUIEngineElementSliderBox;
class TPDAUIEngineElementToolBar;

// The moving-map screen ("pageMap"), embedded by the main page in its iframe:
// the map gadget, the next-manoeuvre and next-distance gadgets, the tool bars
// built from the library's command trees, the data-field strip of the layout's
// first page, and the controls shown or hidden from the library's state every
// two seconds. Its buttons, menus, keys and the window messages the main page
// passes on become library command numbers run through the application.
class TPageMap : public TPDAUIEngineElementPage {
public:
    explicit TPageMap(TOrbetaApp* app);
    ~TPageMap() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnTimer(int interval, int now) override;
    void OnMouseWheel(int x, int y, int delta) override;
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    int RequiresOpenGL() override;
    void OnCommand(TPDAUIEngineCommand& command) override;

    void ShowAutoHideMessage(const DString& text);
    // Called by the application for small pictures and speed signs; a length
    // below 1 clears the view.
    void ShowMainPhotoView(const DString& imageName, const DString& text, int textLength, bool speedSign);
    void SaveSliderState();
    void RestoreSliderState();
    void UpdateControls();

    // ---- helpers with no page behind them (tested alone) ----
    // The field numbers of the data-field layout's first page: the text after
    // the first ':' of the entry before the first ';' (the whole entry when it
    // has no ':'), split at ','. Entries that are not numbers are skipped.
    static std::vector<int> MapPageFields(const char* layout);
    // "i|j" into two indexes, each clamped to 0..count - 1 (0 for a text that
    // is not a number); -1 when the count is 0.
    static void ParseSliderState(const char* text, int count1, int count2, int& index1, int& index2);

    // ---- fields ----
    TOrbetaApp* app;
    TVectorComandas contextMenuCommands;  // refilled for every context menu

    TPDAUIEngineElementButton* btnZoomIn = nullptr;
    TPDAUIEngineElementButton* btnZoomOut = nullptr;
    TPDAUIEngineElement* btnShowPageRadars = nullptr;
    TPDAUIEngineElement* btn2D = nullptr;
    TPDAUIEngineElement* btn3D = nullptr;
    TPDAUIEngineElement* btn3DPlus = nullptr;
    TPDAUIEngineElement* btnTMCEventsOn = nullptr;
    TPDAUIEngineElement* btnTMCEventsOff = nullptr;
    TPDAUIEngineElementButton* btnAutoCenter = nullptr;
    TPDAUIEngineElementButton* btnMute = nullptr;
    TPDAUIEngineElement* lblTime = nullptr;  // optional
    TPDAUIEngineElementButton* btnChangeView = nullptr;
    TPDAUIEngineElementMenu* ctmContextMenu = nullptr;
    TPDAUIEngineElementBox* boxGadgetVisor2D = nullptr;
    TPDAUIEngineElementBox* boxPolivalentDataTemplate = nullptr;
    TPDAUIEngineElement* boxPolivalentDataTemplateContainer = nullptr;
    TPDAUIEngineElement* usercontrolMapInfoNext = nullptr;
    TPDAUIEngineElement* usercontrolMapInfoCurrent = nullptr;
    TPDAUIEngineElementBox* boxAutoHideMessage = nullptr;
    TPDAUIEngineElement* lblAutoHideMessage = nullptr;
    TPDAUIEngineElement* boxToolbarContainer = nullptr;
    TPDAUIEngineElement* btnChangeViewButtons = nullptr;
    TPDAUIEngineElementBox* tlbMainToolBar = nullptr;
    TPDAUIEngineElementBox* tlbInferiorToolBar = nullptr;
    TPDAUIEngineElement* mniToolbarItemTemplate = nullptr;
    TPDAUIEngineElement* mniToolbarInferiorItemTemplate = nullptr;
    TPDAUIEngineElementBox* boxNavigationNextDistanceGadget = nullptr;
    TPDAUIEngineElement* boxNavigationNextDistance = nullptr;
    TPDAUIEngineElementBox* boxMainFotoView = nullptr;
    TPDAUIEngineElement* boxNavigation = nullptr;
    TPDAUIEngineElement* boxNextManuobreContainerHead = nullptr;
    TPDAUIEngineElement* boxMenu = nullptr;
    TPDAUIEngineElementSliderBox* sliderBox = nullptr;
    TPDAUIEngineElementSliderBox* sliderBoxButtons = nullptr;
    TPDAUIEngineElementBox* boxNextManuobre = nullptr;
    TPDAUIEngineElement* boxNextManuobreContainer = nullptr;
    TPDAUIEngineElement* btnTrackStop = nullptr;
    TPDAUIEngineElementButton* btnTrackActivate = nullptr;
    TPDAUIEngineElementButton* btnNavigationMenu = nullptr;
    TPDAUIEngineElement* usercontrolGraficas_2011B = nullptr;
    TPDAUIEngineElement* imlFriends = nullptr;  // optional
    TPDAUIEngineElement* boxOrbetaAds = nullptr;

    // Made by the page (the element tree owns them); null when absent.
    TPDAUIEngineElement* gadgetVisor2D = nullptr;
    TPDAUIEngineElement* gadgetNextManuobre = nullptr;
    TPDAUIEngineElement* gadgetNextDistance = nullptr;

    unsigned char fullScreenFlag = 0;
    unsigned char dataFieldContainerFlag = 1;
    // Every required element was found: the page works only then.
    bool bound = false;

    static constexpr int kTimerInterval = 2000;

private:
    friend class TPageMapParts;
    // The strip's data-field gadgets with their fields, and the container
    // cloned for them (null without a strip).
    std::vector<std::pair<TPDAUIEngineElement*, int>> dataFields_;
    TPDAUIEngineElementBox* dataContainer_ = nullptr;

    void SendSelf(const char* name);
    // ExecuteCommand with no reply and no texts.
    bool Run(int id, int value = -1);
    bool RunWithReply(int id, const char* replyName, int value = -1);
    // The library's state of command n: checked, visible, enabled.
    void CommandState(int n, bool& checked, bool& visible, bool& enabled);
    bool CommandChecked(int n);
    void Notice(const char* translationId);
    void Relayout();
    bool Pointer();
    bool FleetNavigation();
    void LoadToolbarButtons();
    void LoadPolivalentDataFields();
    void ShowMapContextMenu();
    void ShowDataFieldContextMenu(TPDAUIEngineCommand& command);
    void MenuItemClicked(TPDAUIEngineCommand& command);
    void MenuItemClickedEnd(TPDAUIEngineCommand& command);
    void WindowClose(TPDAUIEngineCommand& command);
    void ChangeMovingMapArrows();
    void ShowMenu();
    // The slide counter and the landscape data-field container rule.
    int CountVisibleSlides(int& currentOrdinal);
    void SetDataFieldFlagFromSlider();
    void UpdateGadgetFullScreen();
    TPDAUIEngineElement* FirstDataFieldGadget(TPDAUIEngineElement* from);
    int DataFieldSlot(TPDAUIEngineElement* gadget);
    int DataFieldOf(TPDAUIEngineElement* gadget);
};
