#include "enginelib/base/TRelojTierra.h"

#include <mutex>

namespace {
std::mutex g_mutex;
FuncRelojTierraCallBack g_func = nullptr;
void* g_data = nullptr;
int g_activos = 0;
} // namespace

TRelojTierra::TRelojTierra(bool activo) { Activa(activo); }

TRelojTierra::~TRelojTierra() { Activa(false); }

void TRelojTierra::Activa(bool activo) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (activo == activo_) return;
    activo_ = activo;
    g_activos += activo ? 1 : -1;
}

void TRelojTierra::SetCallbackRelojTierra(FuncRelojTierraCallBack func, void* data) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_func = func;
    g_data = func ? data : nullptr;
}

bool TRelojTierra::HayActivos() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_activos > 0;
}

void TRelojTierra::Dispara() {
    FuncRelojTierraCallBack func;
    void* data;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        func = g_func;
        data = g_data;
    }
    // Called without the lock, so the function may register or remove itself.
    if (func) func(data);
}
