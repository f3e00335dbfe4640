#include "enginelib/base/TIteradorFitx.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "enginelib/base/Path.h"

TIteradorFitx::TIteradorFitx(const char* pattern) {
    std::string text = pattern ? pattern : "";
    size_t split = text.size();
    while (split > 0 && !Path::IsSeparator(text[split - 1])) --split;
    carpeta_ = text.substr(0, split);
    std::string mask = text.substr(split);
    if (mask.empty() || mask == "*.*") mask = "*";

    const std::string folder = carpeta_.empty() ? std::string(".") : Path::Resolve(carpeta_);
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    while (struct dirent* e = ::readdir(d)) {
        if (!Path::WildcardMatch(mask.c_str(), e->d_name)) continue;
        Entrada entry{e->d_name, false};
        struct stat st;
        std::string full = folder + (folder.back() == '/' ? "" : "/") + entry.nombre;
        entry.carpeta = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entradas_.push_back(std::move(entry));
    }
    ::closedir(d);

    auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    std::sort(entradas_.begin(), entradas_.end(), [&](const Entrada& a, const Entrada& b) {
        int ra = rank(a.nombre), rb = rank(b.nombre);
        if (ra != rb) return ra < rb;
        int c = Dstrcmpi(a.nombre.c_str(), b.nombre.c_str());
        return c != 0 ? c < 0 : a.nombre < b.nombre;
    });
}

bool TIteradorFitx::Siguiente() {
    if (actual_ + 1 >= int(entradas_.size())) {
        actual_ = int(entradas_.size());
        nombre_.Empty();
        return false;
    }
    ++actual_;
    nombre_ = entradas_[size_t(actual_)].nombre.c_str();
    return true;
}

DString TIteradorFitx::Ruta() const {
    DString path(carpeta_.c_str());
    path << nombre_;
    return path;
}
