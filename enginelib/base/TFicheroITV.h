#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "enginelib/base/DString.h"

// Typed stream over a file (TFicheroITV) or over a block of memory
// (TFicheroITVdatos, which a reader taking a TFicheroITV& accepts as well).
//
// Encoding: little-endian, fixed widths.
//   char, unsigned char   1 byte
//   bool                  1 byte: 0 false, 1 true (any non-zero reads as true)
//   short, unsigned short 2 bytes
//   int, unsigned int     4 bytes
//   unsigned long         4 bytes (the library's unsigned long; the low 32 bits are written)
//   float                 4 bytes, IEEE 754 single precision
//   string                uint32 byte count, then that many bytes (no terminator);
//                         written from a char* or a DString, read into a DString
//
// Every read is checked against the bytes that remain. A read that cannot be met
// (a truncated stream, a string longer than what is left, reading a stream open
// for writing) puts the stream in the failed state: that value and every later
// one read as zero or empty, and Error() answers true until the stream is opened
// again. A failed write does the same for writes.

// Open modes: bits, combined as the callers need them.
enum EModoFicheroITV {
    ITV_LEER = 0x01,       // read
    ITV_ESCRIBIR = 0x02,   // write
    ITV_CREAR = 0x04,      // with ITV_ESCRIBIR: create empty (an existing file is emptied)
    ITV_ANYADIR = 0x08,    // with ITV_ESCRIBIR: writes go to the end; created when missing
    ITV_EXISTENTE = 0x10,  // fail when the file does not exist

    ITV_MODO_LECTURA = ITV_LEER | ITV_EXISTENTE,    // 17: read an existing file
    ITV_MODO_CREACION = ITV_ESCRIBIR | ITV_CREAR,   // 6: write a new file
    ITV_MODO_ANYADIDO = ITV_ESCRIBIR | ITV_ANYADIR  // 10: append
};

class TFicheroITV {
public:
    TFicheroITV();
    virtual ~TFicheroITV();
    TFicheroITV(const TFicheroITV&) = delete;
    TFicheroITV& operator=(const TFicheroITV&) = delete;

    // Opens a file (device paths as Path resolves them). Without ITV_CREAR or
    // ITV_ANYADIR, a write mode opens an existing file in place (created when
    // missing, unless ITV_EXISTENTE). False when it cannot be opened.
    bool Abre(const char* path, int modo = ITV_MODO_LECTURA);
    // The same with a mode text: "r", "w", "a" with optional "b" and "+" as for
    // fopen, or the mode number in decimal ("17").
    bool Abre(const char* path, const char* modo);

    bool EstaAbierto() const { return abierto_; }
    bool Error() const { return error_; }

    // Closes; with sincroniza, written data reach the disk first. True when every
    // operation since opening succeeded.
    virtual bool CierraEx(bool sincroniza);
    bool Cierra() { return CierraEx(false); }

    // Whole length in bytes; 0 when not open.
    virtual uint32_t FileSize();
    // Position from the start.
    virtual uint32_t Tell();
    // Moves to pos; past the end of a stream being read it fails.
    virtual bool Seek(uint32_t pos);
    // Moves forward n bytes; past the end it fails.
    bool Skip(uint32_t n);
    // Bytes left from the position to the end.
    uint32_t Restantes();

    // The whole file at path (as Abre finds it) in one buffer, read at once:
    // false when no file opens. size is its length when opened; length what
    // could be read (less when it shrank meanwhile, 0 without memory for it).
    static bool LeeEntero(const char* path, std::unique_ptr<unsigned char[]>& data, uint32_t& size,
                          uint32_t& length);

    // Reads n bytes into buf; answers how many were read. Fewer than n (the rest of
    // buf is zeroed) means the end was reached, and the stream has failed.
    uint32_t Lee(void* buf, uint32_t n);
    // Writes n bytes as they are.
    bool Escribe(const void* buf, uint32_t n);
    // Writes the text's bytes as they are (no length, no terminator).
    bool Escribe_Str(const CDString& text);
    // The whole content from the start, as text. False (text empty) when unreadable.
    bool Lee_Todo_Str(DString& text);

    TFicheroITV& operator<<(char v);
    TFicheroITV& operator<<(unsigned char v);
    TFicheroITV& operator<<(bool v);
    TFicheroITV& operator<<(short v);
    TFicheroITV& operator<<(unsigned short v);
    TFicheroITV& operator<<(int v);
    TFicheroITV& operator<<(unsigned int v);
    TFicheroITV& operator<<(unsigned long v);
    TFicheroITV& operator<<(float v);
    TFicheroITV& operator<<(const char* text);   // null writes an empty string
    TFicheroITV& operator<<(const CDString& text);
    TFicheroITV& operator<<(const void*) = delete;  // no pointer becomes a bool

    // Reading from memory takes an inline path; a file, a failed stream or a value
    // cut short goes the general way.
    TFicheroITV& operator>>(char& v) { return LeeValor(v); }
    TFicheroITV& operator>>(unsigned char& v) { return LeeValor(v); }
    TFicheroITV& operator>>(bool& v)
    {
        unsigned char b;
        LeeExacto(&b, 1);
        v = b != 0;
        return *this;
    }
    TFicheroITV& operator>>(short& v)
    {
        v = short(LeeU16());
        return *this;
    }
    TFicheroITV& operator>>(unsigned short& v)
    {
        v = LeeU16();
        return *this;
    }
    TFicheroITV& operator>>(int& v)
    {
        v = int(LeeU32());
        return *this;
    }
    TFicheroITV& operator>>(unsigned int& v)
    {
        v = LeeU32();
        return *this;
    }
    TFicheroITV& operator>>(unsigned long& v)
    {
        v = LeeU32();
        return *this;
    }
    TFicheroITV& operator>>(float& v)
    {
        const uint32_t bits = LeeU32();
        std::memcpy(&v, &bits, 4);
        return *this;
    }
    TFicheroITV& operator>>(DString& text);
    // A string read without a copy: from memory, text points into the block
    // (length bytes, no terminator); otherwise the bytes go to own and text
    // points there. It fails as reading a DString does: empty, stream failed.
    void LeeTexto(const char*& text, uint32_t& length, std::string& own)
    {
        const uint32_t len = LeeU32();
        if (mem_ && !error_ && len <= memLen_ - memPos_ && len <= 0x7FFFFFFFu) {
            text = reinterpret_cast<const char*>(mem_ + memPos_);
            length = len;
            memPos_ += len;
            return;
        }
        LeeTextoGeneral(len, text, length, own);
    }
    // The unread bytes of a stream over memory that has not failed (null for a
    // file or a failed stream), for a reader that decodes a run of values in
    // place; Avanza then moves past the n of them it used.
    const unsigned char* BloqueRestante(uint32_t& length) const
    {
        length = mem_ && !error_ ? memLen_ - memPos_ : 0;
        return mem_ && !error_ ? mem_ + memPos_ : nullptr;
    }
    // A 32-bit value as the stream stores it (little-endian), from such a run.
    static uint32_t DecodeU32(const unsigned char* b)
    {
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    void Avanza(uint32_t n)
    {
        if (mem_ && !error_ && n <= memLen_ - memPos_)
            memPos_ += n;
        else
            Falla();
    }

protected:
    // Raw transfer at the position; each answers the bytes moved.
    virtual uint32_t LeeBytes(void* buf, uint32_t n);
    virtual uint32_t EscribeBytes(const void* buf, uint32_t n);
    virtual bool PuedeLeer() const { return abierto_ && (modo_ & ITV_LEER); }
    virtual bool PuedeEscribir() const { return abierto_ && (modo_ & ITV_ESCRIBIR); }

    void Falla() { error_ = true; }
    void Reinicia(int modo);

    bool abierto_ = false;
    bool error_ = false;
    int modo_ = 0;

    // A stream over memory (TFicheroITVdatos) keeps its block here, so that reads
    // need no virtual call: null when the stream does not read from memory.
    const unsigned char* mem_ = nullptr;
    uint32_t memLen_ = 0;
    uint32_t memPos_ = 0;

private:
    // Exactly n bytes, or zeros and the stream failed.
    bool LeeExacto(void* buf, uint32_t n)
    {
        if (mem_ && !error_ && n <= memLen_ - memPos_) {
            std::memcpy(buf, mem_ + memPos_, n);
            memPos_ += n;
            return true;
        }
        return LeeExactoGeneral(buf, n);
    }
    bool LeeExactoGeneral(void* buf, uint32_t n);
    void LeeTextoGeneral(uint32_t len, const char*& text, uint32_t& length, std::string& own);
    template <class T>
    TFicheroITV& LeeValor(T& v)
    {
        LeeExacto(&v, 1);
        return *this;
    }
    uint16_t LeeU16()
    {
        unsigned char b[2];
        LeeExacto(b, 2);  // zeroed on failure
        return uint16_t(b[0] | b[1] << 8);
    }
    uint32_t LeeU32()
    {
        unsigned char b[4];
        LeeExacto(b, 4);  // zeroed on failure
        return DecodeU32(b);
    }
    bool EscribeExacto(const void* buf, uint32_t n);
    void EscribeU32(uint32_t v);

    FILE* f_ = nullptr;
    bool ultimaEscritura_ = false;  // a read after a write (or the reverse) must reposition
};

// The same extraction over a block of memory, for reading only. The block is not
// copied and must outlive the stream; the caller frees it after closing.
class TFicheroITVdatos : public TFicheroITV {
public:
    TFicheroITVdatos() = default;
    TFicheroITVdatos(const void* datos, int modo, uint32_t len);
    ~TFicheroITVdatos() override;

    // False for a write mode, or a null block with a length.
    bool Abre(const void* datos, int modo, uint32_t len);

    bool CierraEx(bool sincroniza) override;
    uint32_t FileSize() override;
    uint32_t Tell() override;
    bool Seek(uint32_t pos) override;

protected:
    uint32_t LeeBytes(void* buf, uint32_t n) override;
    uint32_t EscribeBytes(const void* buf, uint32_t n) override;
    bool PuedeEscribir() const override { return false; }
};
