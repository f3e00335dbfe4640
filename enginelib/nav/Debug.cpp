#include "enginelib/nav/Debug.h"

#include <cmath>

#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavSimulation.h"

namespace enginelib {
namespace {
TLumorGPSEngineInterface* Live()
{
    TLumorGPSEngineInterface* f = TLumorGPSEngineInterface::Instance();
    return f && f->simulation ? f : nullptr;
}
} // namespace

void Debug::At(double seconds)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->simulation->SetTime(seconds);
}

bool Debug::JumpTo(const std::string& event, double metres)
{
    TLumorGPSEngineInterface* f = Live();
    const double t = TDemoRoute::Get().EventTime(event, metres);
    if (!f || t < 0)
        return false;
    f->simulation->SetTime(t);
    return true;
}

void Debug::Advance(int milliseconds)
{
    TLumorGPSEngineInterface* f = Live();
    if (!f || milliseconds <= 0)
        return;
    const double from = f->simulation->Now();
    const double to = from + milliseconds / 1000.0;
    const long long pulses = (long long)std::floor(to) - (long long)std::floor(from);
    f->simulation->SetTime(to);
    for (long long i = 0; i < pulses; ++i)
        f->PostNative(TLumorGPSEngineInterface::WM_POSTIEMPOREAL, 0, 0);
}

void Debug::AC(bool on)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->simulation->externalPower = on;
}

void Debug::Battery(int level)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->simulation->batteryOverride = level;
}

void Debug::Receiver(bool on)
{
    if (TLumorGPSEngineInterface* f = Live()) {
        if (on)
            f->simulation->ConnectReceiver();
        else
            f->simulation->receiverOff = true;
    }
}

bool Debug::SetClock(const std::string& hhmm)
{
    TLumorGPSEngineInterface* f = Live();
    return f && f->simulation->SetClock(hhmm);
}

void Debug::Force(int field, const TValCampo& value)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->fields.forced[field] = value;
}

void Debug::Unforce(int field)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->fields.forced.erase(field);
}

void Debug::Friends(bool on)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->fields.friends = on;
}

void Debug::Detour(bool on)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->fields.detour = on;
}

void Debug::CancelDemo()
{
    if (TLumorGPSEngineInterface* f = Live())
        f->PostNative(6113, 0, 0);
}

void Debug::Api(uintptr_t wParam, intptr_t lParam)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->PostNative(17698, wParam, lParam);
}

void Debug::ReloadMenu()
{
    if (TLumorGPSEngineInterface* f = Live())
        f->PostNative(6050, 0, 0);
}

void Debug::Storage(bool removed)
{
    if (TLumorGPSEngineInterface* f = Live())
        f->PostNative(537, removed ? 0x8004 : 0x8000, 0);
}

void Debug::PowerButton()
{
    TLumorGPSEngineInterface* f = Live();
    if (f && f->powerOffMessage)
        f->PostNative(f->powerOffMessage, 1, 0);
}

} // namespace enginelib
