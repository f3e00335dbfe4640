#pragma once
#include <cstdint>
#include <mutex>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/nav/InAppAdsController.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementSliderBox;

// Advertising banners in a slider box ("usercontrol/usercontrolOrbetaAds"):
// the list comes from the library's banner service, each banner stays for its
// own seconds, a new list is fetched after an hour, a tap runs command 3027
// with the banner's link, and "defaultBanner" stands in while there is no list.
//
// The download answers on another thread. Its result is only staged there;
// the UI thread takes it when it handles the "UpdateBanner" it posted, so the
// list the control rotates through is never touched by two threads.
class TUserControlOrbetaAds : public TPDAUIEngineElementUserControl {
public:
    // Bounds of a banner's display time, in seconds.
    enum { kMinSeconds = 1, kMaxSeconds = 3600 };

    explicit TUserControlOrbetaAds(TOrbetaApp* app);
    // Cancels this control's download and waits for it before anything goes.
    ~TUserControlOrbetaAds() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    void Detach() override;
    void OnTimer(int interval, int now) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;

    void DownloadBanner();
    // The download's result function (user is the control that asked).
    static void OnBannersDownloaded(const Vector<AdsData>& list, void* user, bool success);
    void RebuildBanners();
    // fresh: a new image box, else a clone of the template.
    void ShowDefaultBanner(bool fresh);
    void NextBanner();

    // A banner's display time in ms, its seconds bounded.
    static int DisplayTimeMs(const AdsData& banner);

    TOrbetaApp* app;
    TPDAUIEngineElement* imgbTemplate = nullptr;
    TPDAUIEngineElementSliderBox* sliderBoxContainer = nullptr;
    InAppAdsController* adsController = nullptr;  // the library's; may be absent
    DString currentLink;
    bool loaded = false;
    bool layingOut = false;
    Vector<AdsData> banners{10, 2};
    int refreshInterval = 3600000;
    uint32_t lastChange = (uint32_t)-1;  // GetTickCountAdv of the last list change
    int rotation = -1;
    bool showingDefault = false;
    bool downloading = false;  // a download asked for and not answered yet

private:
    // Gives a banner element its image from the skin.
    void SetBannerImage(TPDAUIEngineElement* banner, const DString& name);
    void Restart(int intervalMs);

    std::mutex stagedMutex_;
    Vector<AdsData> staged_{10, 2};  // the downloaded list until the UI thread takes it
};
