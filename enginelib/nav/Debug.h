#pragma once
#include <cstdint>
#include <string>

class TLumorGPSEngineInterface;
class TValCampo;

namespace enginelib {

// Switches for tests and demos over the live facade (pages never use them). Each
// does nothing when no facade has passed Inicializa2.
class Debug {
public:
    // Simulated time in seconds; from now on time moves only by these calls.
    static void At(double seconds);
    // metres past a named event of the drive ("A.M5", "C1", "A.tunnel.in",
    // "B.summit", "stop.A"); false for an unknown name.
    static bool JumpTo(const std::string& event, double metres = 0);
    // Moves time on, posting the real-time message once per simulated second crossed.
    static void Advance(int milliseconds);
    static void AC(bool on);
    static void Battery(int level);
    static void Receiver(bool on);
    static bool SetClock(const std::string& hhmm);
    // A field reads the given value until Unforce.
    static void Force(int field, const TValCampo& value);
    static void Unforce(int field);
    static void Friends(bool on);
    static void Detour(bool on);

    // Native messages the device or the library would post.
    static void CancelDemo();
    static void Api(uintptr_t wParam, intptr_t lParam);
    static void ReloadMenu();
    static void Storage(bool removed);
    static void PowerButton();
};

} // namespace enginelib
