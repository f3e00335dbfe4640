#include "enginelib/base/TFitxUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "enginelib/base/Path.h"
#include "enginelib/base/TIteradorFitx.h"
#include "enginelib/base/TStringNomFitx.h"

namespace {

bool CopiaArchivo(const std::string& from, const std::string& to) {
    std::error_code ec;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, ec) && !ec;
}

} // namespace

bool TFitxUtils::Verifica_Existencia_Archivo(const char* path) {
    return path && *path && Path::Lookup(path) == Path::Kind::File;
}

bool TFitxUtils::Verifica_Existencia_Carpeta(const char* path) {
    return path && *path && Path::Lookup(path) == Path::Kind::Folder;
}

bool TFitxUtils::Verifica_Existencia_Archivo_Sin_Extension(const char* path) {
    if (!path || !*path) return false;
    const TStringNomFitx target(path);
    const DString stem = target.nom_fitx();
    if (stem.IsEmpty()) return false;
    DString pattern = target.carpeta();
    pattern << "*";
    TIteradorFitx it(pattern.c_str());
    while (it.Siguiente()) {
        if (it.EsCarpeta()) continue;
        if (Dstrcmpi(TStringNomFitx(it.Nombre()).nom_fitx().c_str(), stem.c_str()) == 0) return true;
    }
    return false;
}

bool TFitxUtils::Borra_Archivo(const char* path) {
    if (!Verifica_Existencia_Archivo(path)) return false;
    return ::unlink(Path::Resolve(path).c_str()) == 0;
}

bool TFitxUtils::Mueve_Archivo(const char* from, const char* to) {
    if (!Verifica_Existencia_Archivo(from) || !to || !*to) return false;
    const std::string src = Path::Resolve(from);
    const std::string dst = Path::Resolve(to);
    struct stat st;
    if (::stat(dst.c_str(), &st) == 0) return false;
    if (std::rename(src.c_str(), dst.c_str()) == 0) return true;
    // Another file system: copy, then remove the original.
    if (errno != EXDEV || !CopiaArchivo(src, dst)) return false;
    ::unlink(src.c_str());
    return true;
}

bool TFitxUtils::Crea_Carpeta(const char* path) {
    if (!path || !*path) return false;
    const std::string native = Path::Resolve(path);
    std::error_code ec;
    std::filesystem::create_directories(native, ec);
    return std::filesystem::is_directory(native, ec);
}
