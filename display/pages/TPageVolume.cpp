#include "display/pages/TPageVolume.h"

#include <cstdint>

#include "app/TOrbetaApp.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kMostVolume = 100;

int Limit(int volume) { return volume < 0 ? 0 : (volume > kMostVolume ? kMostVolume : volume); }
} // namespace

TPageVolume::TPageVolume(TOrbetaApp* a, bool key)
    : TPDAUIEngineElementPage(a ? a->uiEngine : nullptr), app(a), keyMode(key)
{
}

void TPageVolume::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                         TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageVolume");
    lblTitle = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblTitle", true));
    btnVolumeUp = dynamic_cast<TPDAUIEngineElementButton*>(FindElement("btnVolumeUp", true));
    btnVolumeDown = dynamic_cast<TPDAUIEngineElementButton*>(FindElement("btnVolumeDown", true));
    btnVolumeIcon = dynamic_cast<TPDAUIEngineElementButton*>(FindElement("btnVolumeIcon", true));
    pgbVolumne = dynamic_cast<TPDAUIEngineElementProgressBar*>(FindElement("pgbVolumne", true));
    btnCancel = dynamic_cast<TPDAUIEngineElementButton*>(FindElement("btnCancel", true));
    ShowVolume();
    if (pgbVolumne)
        pgbVolumne->increment = kStep;
    timerInterval = kTimerMs;
    if (btnCancel)
        btnCancel->visible = keyMode ? 0 : 1;
    if (keyMode)
        StartTimer();
    TPDAUIEngine* ui = engine;
    lastChange = ui ? ui->GetTickCount() : 0;
}

void TPageVolume::Detach()
{
    lblTitle = nullptr;
    btnVolumeUp = btnVolumeDown = btnVolumeIcon = btnCancel = nullptr;
    pgbVolumne = nullptr;
    TPDAUIEngineElementPage::Detach();
}

int TPageVolume::Step() const
{
    // The bar's step; a skin bar stepping by nothing or backwards would stall the keys.
    return pgbVolumne && pgbVolumne->increment > 0 ? pgbVolumne->increment : kStep;
}

void TPageVolume::ShowVolume()
{
    TPDAUIEngine* ui = engine;
    if (!ui)
        return;
    const int volume = Limit(ui->GetSoundVolume());
    const bool muted = ui->GetSoundMute() != 0;
    if (pgbVolumne)
        pgbVolumne->value = volume;
    if (btnVolumeIcon) {
        btnVolumeIcon->pressed = muted ? 1 : 0;
        if (muted) {
            btnVolumeIcon->label = ui->TranslateText("{G156}");
        } else {
            DString text;
            text << volume << " %";
            btnVolumeIcon->label = text;
        }
    }
    if (btnVolumeUp)
        btnVolumeUp->enabled = !muted && volume <= kMostVolume - 1;
    if (btnVolumeDown)
        btnVolumeDown->enabled = !muted && volume > 0;
    Invalidate();
}

void TPageVolume::Change(int direction)
{
    TPDAUIEngine* ui = engine;
    if (!ui)
        return;
    lastChange = ui->GetTickCount();
    if (ui->GetSoundMute())
        return;
    ui->SetSoundVolume(Limit(Limit(ui->GetSoundVolume()) + direction * Step()));
    ShowVolume();
    ui->PlaySound(ui->skinSettings.soundClick.c_str(), 0);
}

void TPageVolume::OnTimer(int, int)
{
    TPDAUIEngine* ui = engine;
    if (ui && !closing && (int)((uint32_t)ui->GetTickCount() - (uint32_t)lastChange) > kCloseDelayMs)
        Close(1);
}

void TPageVolume::SendSelf(const char* name)
{
    TPDAUIEngineCommand command(this, name);
    OnCommand(command);
}

void TPageVolume::VolumeUp() { SendSelf("volumeUp"); }
void TPageVolume::VolumeDown() { SendSelf("volumeDown"); }

void TPageVolume::OnCommand(TPDAUIEngineCommand& command)
{
    const DString& name = command.name;
    if (name == "load") {
    } else if (name == "mute") {
        if (TPDAUIEngine* ui = engine)
            ui->SetSoundMute(ui->GetSoundMute() ? 0 : 1);
        ShowVolume();
    } else if (name == "volumeUp") {
        Change(1);
    } else if (name == "volumeDown") {
        Change(-1);
    } else if (name == "cancel") {
        Close(1);
    } else {
        command.handled = 0;
    }
}
