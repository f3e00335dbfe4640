#include "enginelib/base/TFicheroITV.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "enginelib/base/Path.h"

namespace {

// A mode text as fopen takes it, or a mode number; -1 when neither.
int ModoDeTexto(const char* text) {
    if (!text || !*text) return -1;
    if (text[0] >= '0' && text[0] <= '9') {
        long v = 0;
        for (const char* p = text; *p; ++p) {
            if (*p < '0' || *p > '9' || v > 0xFFFF) return -1;
            v = v * 10 + (*p - '0');
        }
        return int(v);
    }
    int modo;
    switch (text[0]) {
    case 'r': modo = ITV_MODO_LECTURA; break;
    case 'w': modo = ITV_MODO_CREACION; break;
    case 'a': modo = ITV_MODO_ANYADIDO; break;
    default: return -1;
    }
    for (const char* p = text + 1; *p; ++p) {
        if (*p == '+')
            modo |= ITV_LEER | ITV_ESCRIBIR;
        else if (*p != 'b' && *p != 't')
            return -1;
    }
    return modo;
}

uint32_t Clamp32(long long v) {
    if (v < 0) return 0;
    return v > 0xFFFFFFFFll ? 0xFFFFFFFFu : uint32_t(v);
}

} // namespace

// ---- TFicheroITV

TFicheroITV::TFicheroITV() = default;

TFicheroITV::~TFicheroITV() {
    if (f_) std::fclose(f_);
}

void TFicheroITV::Reinicia(int modo) {
    abierto_ = false;
    error_ = false;
    modo_ = modo;
    ultimaEscritura_ = false;
}

bool TFicheroITV::Abre(const char* path, int modo) {
    if (abierto_) CierraEx(false);
    Reinicia(modo);
    const bool leer = modo & ITV_LEER;
    const bool escribir = modo & ITV_ESCRIBIR;
    if (!path || !*path || (!leer && !escribir)) return false;

    std::string native;
    struct stat st;
    const bool existe = Path::Stat(path, st, &native);
    if (!existe) native = Path::Resolve(path);
    if (existe && S_ISDIR(st.st_mode)) return false;
    if (!existe && (!escribir || (modo & ITV_EXISTENTE))) return false;

    const char* fmode;
    if (!escribir)
        fmode = "rb";
    else if (modo & ITV_CREAR)
        fmode = leer ? "w+b" : "wb";
    else if (modo & ITV_ANYADIR)
        fmode = leer ? "a+b" : "ab";
    else
        fmode = existe ? "r+b" : (leer ? "w+b" : "wb");

    f_ = std::fopen(native.c_str(), fmode);
    if (!f_) return false;
    abierto_ = true;
    return true;
}

bool TFicheroITV::LeeEntero(const char* path, std::unique_ptr<unsigned char[]>& data, uint32_t& size,
                            uint32_t& length) {
    data.reset();
    size = length = 0;
    if (!path || !*path) return false;
    // The name as written first: a name that needs its case matched costs a walk.
    int fd = ::open(Path::ToNative(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fd = ::open(Path::Resolve(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    size = Clamp32(st.st_size);
    data.reset(new (std::nothrow) unsigned char[size ? size : 1]);
    while (data && length < size) {
        const ssize_t n = ::read(fd, data.get() + length, size - length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        length += uint32_t(n);
    }
    ::close(fd);
    return true;
}

bool TFicheroITV::Abre(const char* path, const char* modo) {
    int m = ModoDeTexto(modo);
    if (m < 0) {
        if (abierto_) CierraEx(false);
        Reinicia(0);
        return false;
    }
    return Abre(path, m);
}

bool TFicheroITV::CierraEx(bool sincroniza) {
    if (!abierto_) return false;
    bool ok = !error_;
    if (f_) {
        if (std::fflush(f_) != 0) ok = false;
        if (sincroniza && (modo_ & ITV_ESCRIBIR) && ::fsync(fileno(f_)) != 0) ok = false;
        if (std::fclose(f_) != 0) ok = false;
        f_ = nullptr;
    }
    abierto_ = false;
    if (!ok) Falla();
    return ok;
}

uint32_t TFicheroITV::FileSize() {
    if (!f_) return 0;
    if (ultimaEscritura_) std::fflush(f_);
    struct stat st;
    if (::fstat(fileno(f_), &st) != 0) return 0;
    return Clamp32(st.st_size);
}

uint32_t TFicheroITV::Tell() {
    if (!f_) return 0;
    return Clamp32(std::ftell(f_));
}

bool TFicheroITV::Seek(uint32_t pos) {
    if (!f_ || error_) return false;
    if (!(modo_ & ITV_ESCRIBIR) && pos > FileSize()) {
        Falla();
        return false;
    }
    if (std::fseek(f_, long(pos), SEEK_SET) != 0) {
        Falla();
        return false;
    }
    ultimaEscritura_ = false;
    return true;
}

bool TFicheroITV::Skip(uint32_t n) {
    if (!abierto_ || error_) return false;
    if (n > Restantes()) {
        Falla();
        return false;
    }
    return Seek(Tell() + n);
}

uint32_t TFicheroITV::Restantes() {
    uint32_t size = FileSize();
    uint32_t pos = Tell();
    return pos < size ? size - pos : 0;
}

uint32_t TFicheroITV::LeeBytes(void* buf, uint32_t n) {
    if (!f_) return 0;
    if (ultimaEscritura_) {
        std::fseek(f_, 0, SEEK_CUR);
        ultimaEscritura_ = false;
    }
    return uint32_t(std::fread(buf, 1, n, f_));
}

uint32_t TFicheroITV::EscribeBytes(const void* buf, uint32_t n) {
    if (!f_) return 0;
    if (!ultimaEscritura_) {
        std::fseek(f_, 0, SEEK_CUR);
        ultimaEscritura_ = true;
    }
    return uint32_t(std::fwrite(buf, 1, n, f_));
}

uint32_t TFicheroITV::Lee(void* buf, uint32_t n) {
    if (n == 0) return 0;
    if (!buf) {
        Falla();
        return 0;
    }
    uint32_t got = 0;
    if (!error_ && PuedeLeer()) got = LeeBytes(buf, n);
    if (got < n) {
        Falla();
        std::memset(static_cast<unsigned char*>(buf) + got, 0, n - got);
    }
    return got;
}

bool TFicheroITV::Escribe(const void* buf, uint32_t n) {
    if (n == 0) return !error_;
    if (!buf || error_ || !PuedeEscribir() || EscribeBytes(buf, n) != n) {
        Falla();
        return false;
    }
    return true;
}

bool TFicheroITV::Escribe_Str(const CDString& text) {
    return Escribe(text.c_str(), uint32_t(text.Length()));
}

bool TFicheroITV::Lee_Todo_Str(DString& text) {
    text.Empty();
    if (error_ || !PuedeLeer()) {
        Falla();
        return false;
    }
    const uint32_t size = FileSize();
    if (size > uint32_t(INT_MAX) || !Seek(0)) {
        Falla();
        return false;
    }
    text.SetLength(int(size));
    if (Lee(text.str(), size) != size) {
        text.Empty();
        return false;
    }
    return true;
}

bool TFicheroITV::LeeExactoGeneral(void* buf, uint32_t n) {
    if (Lee(buf, n) == n) return true;
    std::memset(buf, 0, n);  // a value cut short reads as zero, not half a value
    return false;
}

bool TFicheroITV::EscribeExacto(const void* buf, uint32_t n) { return Escribe(buf, n); }

void TFicheroITV::EscribeU32(uint32_t v) {
    const unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                                (unsigned char)(v >> 24)};
    EscribeExacto(b, 4);
}

TFicheroITV& TFicheroITV::operator<<(char v) {
    EscribeExacto(&v, 1);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(unsigned char v) {
    EscribeExacto(&v, 1);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(bool v) {
    const unsigned char b = v ? 1 : 0;
    EscribeExacto(&b, 1);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(short v) { return *this << (unsigned short)v; }

TFicheroITV& TFicheroITV::operator<<(unsigned short v) {
    const unsigned char b[2] = {(unsigned char)v, (unsigned char)(v >> 8)};
    EscribeExacto(b, 2);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(int v) {
    EscribeU32(uint32_t(v));
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(unsigned int v) {
    EscribeU32(v);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(unsigned long v) {
    EscribeU32(uint32_t(v));
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    EscribeU32(bits);
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(const char* text) {
    const size_t len = text ? std::strlen(text) : 0;
    if (len > 0xFFFFFFFFu) {
        Falla();
        return *this;
    }
    EscribeU32(uint32_t(len));
    EscribeExacto(text, uint32_t(len));
    return *this;
}

TFicheroITV& TFicheroITV::operator<<(const CDString& text) {
    EscribeU32(uint32_t(text.Length()));
    EscribeExacto(text.c_str(), uint32_t(text.Length()));
    return *this;
}

TFicheroITV& TFicheroITV::operator>>(DString& text) {
    const uint32_t len = LeeU32();
    if (mem_ && !error_ && len <= memLen_ - memPos_ && len <= uint32_t(INT_MAX)) {
        // Straight from memory, keeping the string's code page as the general way does.
        text = CDString(reinterpret_cast<const char*>(mem_ + memPos_), int(len), text.GetCodepage());
        memPos_ += len;
        return *this;
    }
    text.Empty();
    if (error_ || len == 0) return *this;
    // The length comes from the file: never trust it beyond what is there.
    if (len > uint32_t(INT_MAX) || len > Restantes()) {
        Falla();
        return *this;
    }
    text.SetLength(int(len));
    if (Lee(text.str(), len) != len) text.Empty();
    return *this;
}

void TFicheroITV::LeeTextoGeneral(uint32_t len, const char*& text, uint32_t& length, std::string& own) {
    text = "";
    length = 0;
    if (error_ || len == 0) return;
    if (len > uint32_t(INT_MAX) || len > Restantes()) {
        Falla();
        return;
    }
    own.resize(len);
    if (Lee(&own[0], len) != len) return;
    text = own.data();
    length = len;
}

// ---- TFicheroITVdatos

TFicheroITVdatos::TFicheroITVdatos(const void* datos, int modo, uint32_t len) { Abre(datos, modo, len); }

TFicheroITVdatos::~TFicheroITVdatos() = default;

bool TFicheroITVdatos::Abre(const void* datos, int modo, uint32_t len) {
    if (abierto_) CierraEx(false);
    Reinicia(modo | ITV_LEER);
    mem_ = nullptr;
    memLen_ = memPos_ = 0;
    if ((modo & ITV_ESCRIBIR) || (!datos && len > 0)) return false;
    mem_ = static_cast<const unsigned char*>(datos);
    memLen_ = len;
    abierto_ = true;
    return true;
}

bool TFicheroITVdatos::CierraEx(bool) {
    if (!abierto_) return false;
    abierto_ = false;
    mem_ = nullptr;
    memLen_ = memPos_ = 0;
    return !error_;
}

uint32_t TFicheroITVdatos::FileSize() { return abierto_ ? memLen_ : 0; }

uint32_t TFicheroITVdatos::Tell() { return memPos_; }

bool TFicheroITVdatos::Seek(uint32_t pos) {
    if (!abierto_ || error_) return false;
    if (pos > memLen_) {
        Falla();
        return false;
    }
    memPos_ = pos;
    return true;
}

uint32_t TFicheroITVdatos::LeeBytes(void* buf, uint32_t n) {
    if (!mem_) return 0;
    const uint32_t k = n < memLen_ - memPos_ ? n : memLen_ - memPos_;
    if (k) std::memcpy(buf, mem_ + memPos_, k);
    memPos_ += k;
    return k;
}

uint32_t TFicheroITVdatos::EscribeBytes(const void*, uint32_t) { return 0; }
