#pragma once

// The library's "earth clock": a busy ticker. While at least one clock is active,
// the platform's pulse calls Dispara about every PeriodoMs milliseconds on the UI
// thread, and Dispara calls the one registered function.
typedef void (*FuncRelojTierraCallBack)(void* data);

class TRelojTierra {
public:
    enum { PeriodoMs = 250 };

    explicit TRelojTierra(bool activo = true);
    ~TRelojTierra();
    TRelojTierra(const TRelojTierra&) = delete;
    TRelojTierra& operator=(const TRelojTierra&) = delete;

    // Suspends (false) or resumes (true) this clock.
    void Activa(bool activo);
    bool EstaActivo() const { return activo_; }

    // Registers the function called on every tick; a null function removes it.
    static void SetCallbackRelojTierra(FuncRelojTierraCallBack func, void* data);
    // Whether any clock is active (the pulse fires only then).
    static bool HayActivos();
    // One tick: calls the registered function, if any.
    static void Dispara();

private:
    bool activo_ = false;
};
