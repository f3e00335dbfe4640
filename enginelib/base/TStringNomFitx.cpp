#include "enginelib/base/TStringNomFitx.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/LibraryLog.h"
#include "enginelib/base/Md5.h"
#include "enginelib/base/PocketSH.h"
#include <strings.h>
#include <cctype>
#include <cstdio>

namespace {

// The separator a path already uses, for joining more to it.
char SeparadorDe(const char* text) {
    if (text && std::strchr(text, '\\')) return '\\';
    if (text && std::strchr(text, '/')) return '/';
    return '\\';
}

bool TerminaEnSeparador(const std::string& s) { return !s.empty() && Path::IsSeparator(s.back()); }

const char* SinPunto(const char* ext) {
    if (!ext) return "";
    return *ext == '.' ? ext + 1 : ext;
}

// Components of a path after ToNative; absolute tells whether it starts at a root.
std::vector<std::string> Componentes(const char* path, bool& absolute) {
    std::string native = Path::ToNative(path ? path : "");
    absolute = !native.empty() && native[0] == '/';
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= native.size()) {
        size_t j = native.find('/', i);
        if (j == std::string::npos) j = native.size();
        std::string part = native.substr(i, j - i);
        if (!part.empty() && part != ".") parts.push_back(part);
        i = j + 1;
    }
    return parts;
}

} // namespace

int TStringNomFitx::InicioNombre() const {
    for (int i = Length() - 1; i >= 0; --i)
        if (Path::IsSeparator((*this)[i])) return i + 1;
    return 0;
}

int TStringNomFitx::PuntoExt() const {
    const int start = InicioNombre();
    int dot = -1;
    bool otherThanDots = false;
    for (int i = start; i < Length(); ++i) {
        if ((*this)[i] == '.')
            dot = i;
        else
            otherThanDots = true;
    }
    if (!otherThanDots || dot <= start) return -1;
    return dot;
}

DString TStringNomFitx::carpeta() const { return SubString(0, InicioNombre()); }

DString TStringNomFitx::nom_fitx_ext() const { return SubString(InicioNombre()); }

DString TStringNomFitx::nom_fitx() const {
    const int start = InicioNombre();
    const int dot = PuntoExt();
    return dot < 0 ? SubString(start) : SubString(start, dot - start);
}

DString TStringNomFitx::ext() const {
    const int dot = PuntoExt();
    return dot < 0 ? DString() : SubString(dot + 1);
}

bool TStringNomFitx::es_extension(const char* e) const { return Dstrcmpi(ext().c_str(), SinPunto(e)) == 0; }

void TStringNomFitx::Anyade_Ext_sinohay(const char* e) {
    e = SinPunto(e);
    if (!*e || InicioNombre() >= Length() || !ext().IsEmpty()) return;
    if ((*this)[Length() - 1] != '.') *this << '.';
    *this << e;
}

void TStringNomFitx::Cambia_Ext(const char* e) {
    e = SinPunto(e);
    const int dot = PuntoExt();
    if (dot >= 0) SetLength(dot);
    if (*e) *this << '.' << e;
}

void TStringNomFitx::Set_Carpeta(const char* folder) {
    std::string f = folder ? folder : "";
    if (!f.empty() && !TerminaEnSeparador(f)) f += SeparadorDe(f.c_str());
    DString name = nom_fitx_ext();
    DString::operator=(f.c_str());
    *this << name;
}

void TStringNomFitx::Set_Path_y_Fitx(const char* folder, const char* file) {
    std::string f = folder ? folder : "";
    const char* name = file ? file : "";
    if (!f.empty()) {
        while (Path::IsSeparator(*name)) ++name;
        if (*name && !TerminaEnSeparador(f)) f += SeparadorDe(f.c_str());
    }
    f += name;
    DString::operator=(f.c_str());
}

void TStringNomFitx::Set_Path_Exe() { Set_Carpeta((Path::ProgramFolder() + "/").c_str()); }

DString TStringNomFitx::Path_AppData() {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.local/share";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return DString((base + "/orbeta").c_str());
}

void TStringNomFitx::Set_Path_AppData() {
    DString folder = Path_AppData();
    TFitxUtils::Crea_Carpeta(folder.c_str());
    folder << "/";
    Set_Carpeta(folder.c_str());
}

void TStringNomFitx::cd(const char* dir) {
    if (!dir || !*dir || std::strcmp(dir, ".") == 0) return;
    const char sep = SeparadorDe(c_str());
    std::string folder = carpeta().c_str();
    const DString name = nom_fitx_ext();

    if (std::strcmp(dir, "..") == 0) {
        size_t end = folder.size();
        while (end > 0 && Path::IsSeparator(folder[end - 1])) --end;
        if (end == 0) {
            if (folder.empty()) folder = std::string("..") + sep;
            // else: a root, which has no parent
        } else {
            size_t start = end;
            while (start > 0 && !Path::IsSeparator(folder[start - 1])) --start;
            if (folder.compare(start, end - start, "..") == 0)
                folder = folder.substr(0, end) + sep + ".." + sep;
            else
                folder.resize(start);
        }
    } else {
        std::string d = dir;
        if (Path::IsSeparator(d[0]))
            folder = d;
        else
            folder += d;
        if (!TerminaEnSeparador(folder)) folder += sep;
    }
    DString::operator=(folder.c_str());
    *this << name;
}

bool TStringNomFitx::Verifica_Existencia_Carpeta() const { return TFitxUtils::Verifica_Existencia_Carpeta(c_str()); }

bool TStringNomFitx::Verifica_Existencia_Archivo() const { return TFitxUtils::Verifica_Existencia_Archivo(c_str()); }

bool TStringNomFitx::Resta_Path(const char* folder, DString* rest) const {
    if (rest) rest->Empty();
    bool folderAbs = false, selfAbs = false;
    const std::vector<std::string> base = Componentes(folder, folderAbs);
    const std::vector<std::string> self = Componentes(c_str(), selfAbs);
    if (!folder || !*folder || folderAbs != selfAbs || base.size() > self.size()) return false;
    for (size_t i = 0; i < base.size(); ++i)
        if (Dstrcmpi(base[i].c_str(), self[i].c_str()) != 0) return false;
    if (rest) {
        for (size_t i = base.size(); i < self.size(); ++i) {
            if (i > base.size()) *rest << '\\';
            *rest << self[i].c_str();
        }
    }
    return true;
}

int TStringNomFitx::Compara(const TStringNomFitx& a, const TStringNomFitx& b) {
    std::string x(a.c_str(), size_t(a.Length()));
    std::string y(b.c_str(), size_t(b.Length()));
    for (char& c : x)
        if (c == '\\') c = '/';
    for (char& c : y)
        if (c == '\\') c = '/';
    return Dstrcmpi(x.c_str(), y.c_str());
}

bool TStringNomFitx::FileMd5(const char* failMessage, int checkAction) const {
    const std::string sum = Md5::OfFile(c_str());
    bool ok = !sum.empty();
    if (ok && checkAction == 2) {
        TStringNomFitx sidecar(*this);
        sidecar.Cambia_Ext("md5");
        std::string expected;
        if (FILE* f = std::fopen(Path::Resolve(sidecar.c_str()).c_str(), "rb")) {
            char buf[64] = {};
            const size_t n = std::fread(buf, 1, 32, f);
            std::fclose(f);
            expected.assign(buf, n);
        }
        for (char& c : expected) c = (char)std::tolower((unsigned char)c);
        ok = expected.size() == 32 && expected == sum;
    }
    if (!ok && failMessage && *failMessage) LibraryLog(failMessage);
    return ok;
}

namespace {
const char kMyDocuments[] = "\\My Documents";
} // namespace

void TStringNomFitx::ReducePathMyDocs(bool) {
    DString rest;
    if (!Resta_Path(kMyDocuments, &rest)) return;
    DString shortened("My Documents");
    if (!rest.IsEmpty()) shortened << "\\" << rest.c_str();
    DString::operator=(shortened);
}

void TStringNomFitx::ExpandePathMyDocs(bool) {
    const int n = (int)std::strlen("My Documents");
    if (Length() < n || strncasecmp(c_str(), "My Documents", n) != 0) return;
    if (Length() > n && !Path::IsSeparator((*this)[n])) return;
    DString expanded(kMyDocuments);
    expanded << (c_str() + n);
    DString::operator=(expanded);
}

DString TStringNomFitx::Obten_Unidad_Typo() const {
    for (const std::string& card : FlashCardFolders())
        if (Resta_Path(card.c_str())) return DString("Card");
    return DString();
}

void TStringNomFitx::GetDrives(Vector<DString>& drives) {
    drives.RemoveAll();
    drives.Add(DString("\\"));
    for (const std::string& card : FlashCardFolders()) drives.Add(DString(card.c_str()));
}
