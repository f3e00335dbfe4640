#include "display/usercontrols/TUserControlOrbetaAds.h"

#include <unordered_set>

#include "app/TOrbetaApp.h"
#include "enginelib/base/Tick.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

const int kLinkCommand = 3027;
const int kMiddleButton = 15;
const char kDefaultBanner[] = "defaultBanner";

// The controls alive now: a download's result names its control by an
// untyped word, which is only trusted when it is one of these. Held while a
// result is staged and posted, so a control cannot go away meanwhile.
std::mutex g_liveMutex;
std::unordered_set<const void*>& LiveControls()
{
    static std::unordered_set<const void*> live;
    return live;
}

} // namespace

TUserControlOrbetaAds::TUserControlOrbetaAds(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolOrbetaAds";
    visible = 0;
    adsController = app ? app->engine.adsController : nullptr;
    std::lock_guard<std::mutex> lock(g_liveMutex);
    LiveControls().insert(this);
}

TUserControlOrbetaAds::~TUserControlOrbetaAds()
{
    {
        std::lock_guard<std::mutex> lock(g_liveMutex);
        LiveControls().erase(this);
    }
    if (adsController)
        adsController->CancelDownload(this);
}

int TUserControlOrbetaAds::DisplayTimeMs(const AdsData& banner)
{
    int seconds = banner.seconds;
    if (seconds < kMinSeconds)
        seconds = kMinSeconds;
    if (seconds > kMaxSeconds)
        seconds = kMaxSeconds;
    return seconds * 1000;
}

void TUserControlOrbetaAds::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                   TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    imgbTemplate = FindElement("imgbTemplate", false);
    sliderBoxContainer = dynamic_cast<TPDAUIEngineElementSliderBox*>(FindElement("sliderBoxContainer", false));
    // A template inside the slider would go with the banners it makes.
    if (imgbTemplate && sliderBoxContainer && sliderBoxContainer->FindElement("imgbTemplate", false))
        imgbTemplate = nullptr;
    ShowDefaultBanner(true);
    DownloadBanner();
    loaded = true;
}

void TUserControlOrbetaAds::SetBounds(int l, int t, int w, int h)
{
    layingOut = true;
    TPDAUIEngineElementUserControl::SetBounds(l, t, w, h);
    layingOut = false;
}

void TUserControlOrbetaAds::Paint(IDC* dc, int x, int y) { TPDAUIEngineElementUserControl::Paint(dc, x, y); }

void TUserControlOrbetaAds::Detach()
{
    loaded = false;
    StopTimer();
    TPDAUIEngineElementUserControl::Detach();
    // The box deleted its children.
    imgbTemplate = nullptr;
    sliderBoxContainer = nullptr;
}

void TUserControlOrbetaAds::DownloadBanner()
{
    if (!adsController || !engine)
        return;
    TPDAUIEngine* e = engine;
    downloading = true;
    adsController->DownloadBanner(DString(), e->ScreenWidth(), e->ScreenHeight(), e->skinSettings.uiScale,
                                  e->skinSettings.landscape != 0, &TUserControlOrbetaAds::OnBannersDownloaded, this);
}

void TUserControlOrbetaAds::OnBannersDownloaded(const Vector<AdsData>& list, void* user, bool success)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    if (!user || !LiveControls().count(user))
        return;
    auto* self = static_cast<TUserControlOrbetaAds*>(user);
    if (success && list.Count() > 0) {
        {
            std::lock_guard<std::mutex> staged(self->stagedMutex_);
            self->staged_ = list;
        }
        self->PostCommand("UpdateBanner", 0, 0, 0);
    } else {
        self->PostCommand("DefaultBanner", 0, 0, 0);
    }
}

void TUserControlOrbetaAds::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "UpdateBanner") {
        downloading = false;
        Vector<AdsData> taken(10, 2);
        {
            std::lock_guard<std::mutex> lock(stagedMutex_);
            taken = std::move(staged_);
            staged_.RemoveAll();
        }
        // Two answers close together post twice; the first took the newest list.
        if (taken.Count() == 0)
            return;
        banners = std::move(taken);
        RebuildBanners();
    } else if (command.name == "DefaultBanner") {
        downloading = false;
        ShowDefaultBanner(false);
    } else {
        command.handled = 0;
    }
}

void TUserControlOrbetaAds::SetBannerImage(TPDAUIEngineElement* banner, const DString& name)
{
    banner->imageName = name;
    if (page)
        banner->image = page->resources.GetImage(name.c_str(), false, false);
    else if (engine)
        banner->image = engine->resources.GetImage(name.c_str(), false, false);
    else
        banner->image = nullptr;
}

void TUserControlOrbetaAds::Restart(int intervalMs)
{
    timerInterval = intervalMs;
    StopTimer();
    StartTimer();
    ReapplyBounds();
    Invalidate();
}

void TUserControlOrbetaAds::RebuildBanners()
{
    if (!sliderBoxContainer || !imgbTemplate)
        return;
    sliderBoxContainer->RemoveAllChildren();
    for (int i = 0; i < banners.Count(); ++i) {
        TPDAUIEngineElement* banner = imgbTemplate->Clone();
        if (!banner)
            continue;
        sliderBoxContainer->AddChild(banner, nullptr, nullptr);
        banner->visible = 1;
        banner->SetAttribute("imageScale", "1.0");
        banner->SetAttribute("maximizeImageSize", "false");
        SetBannerImage(banner, banners[i].image);
    }
    showingDefault = false;
    lastChange = GetTickCountAdv();
    rotation = 0;
    if (banners.Count() > 0) {
        currentLink = banners[0].link;
        sliderBoxContainer->SetCurrentIndex(0);
        Restart(DisplayTimeMs(banners[0]));
    }
}

void TUserControlOrbetaAds::ShowDefaultBanner(bool fresh)
{
    if (!sliderBoxContainer || !imgbTemplate)
        return;
    sliderBoxContainer->RemoveAllChildren();
    if (banners.Count() > 0)
        banners.RemoveAll();
    TPDAUIEngineElement* banner = fresh ? new TPDAUIEngineElementImageBox() : imgbTemplate->Clone();
    if (banner) {
        sliderBoxContainer->AddChild(banner, nullptr, nullptr);
        SetBannerImage(banner, DString(kDefaultBanner));
        banner->visible = 1;
        banner->SetAttribute("maintainAspect", "true");
        banner->SetAttribute("maximizeImageSize", "true");
        banner->flex = 1;
        banner->align = AlignCenter;
    }
    showingDefault = true;
    currentLink = DString();
    lastChange = GetTickCountAdv();
    rotation = -1;
    sliderBoxContainer->SetCurrentIndex(0);
    Restart(refreshInterval);
}

void TUserControlOrbetaAds::NextBanner()
{
    const int count = banners.Count();
    // Without a list the default banner stays and there is nothing to turn to.
    if (count == 0 || !sliderBoxContainer)
        return;
    ++rotation;
    if (rotation >= count || rotation < 0)
        rotation = 0;
    const AdsData& banner = banners[rotation];
    currentLink = banner.link;
    // The card of the banner itself, so that a tap runs the link it shows.
    if (rotation < sliderBoxContainer->children.Count())
        sliderBoxContainer->SetCurrentIndex(rotation);
    Restart(DisplayTimeMs(banner));
}

void TUserControlOrbetaAds::OnTimer(int interval, int now)
{
    if (!downloading && TickElapsed(GetTickCountAdv(), lastChange) > (uint32_t)refreshInterval)
        DownloadBanner();
    else
        NextBanner();
}

void TUserControlOrbetaAds::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (kind == kMiddleButton) {
        DownloadBanner();
    } else if (kind == 0 && !showingDefault && app && app->engine.visor) {
        app->engine.visor->EjecutaComandaTexto(currentLink.c_str(), kLinkCommand);
    }
}
