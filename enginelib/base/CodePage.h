#pragma once
#include <atomic>
#include <string>

// Code pages of 8-bit text, numbered as on Windows: 874 and 1250..1258 (single
// byte), 932, 936, 949 and 950 (double byte, through iconv) and 65001 for UTF-8.
// An unknown number is treated as 1252.
//
// Single-byte pages convert through 256-entry tables built once from iconv; a byte
// the page leaves undefined maps to the code of the same value (U+0081 for 0x81 in
// 1252), so every byte survives a round trip. Unconvertible input gives U+FFFD
// when decoding and '?' when encoding. Everything here is safe to call from any
// thread.
class CodePage {
public:
    static constexpr int Thai = 874;
    static constexpr int CentralEurope = 1250;
    static constexpr int Cyrillic = 1251;
    static constexpr int Western = 1252;
    static constexpr int Greek = 1253;
    static constexpr int Turkish = 1254;
    static constexpr int Hebrew = 1255;
    static constexpr int Arabic = 1256;
    static constexpr int Baltic = 1257;
    static constexpr int Vietnamese = 1258;
    static constexpr int Utf8 = 65001;

    // The code page of new text and of the library's default conversion (1252 at start).
    // Read by every new string: inline.
    static int Default() { return default_.load(); }
    static void SetDefault(int codepage);

    static bool IsSupported(int codepage);
    // The number actually used for codepage (unknown ones become 1252).
    static int Effective(int codepage);
    static bool IsSingleByte(int codepage);

    // 8-bit text to UTF-16 (length -1: up to the NUL).
    // A negative codepage means Default() here and below.
    static std::u16string ToUtf16(const char* text, int length, int codepage);
    // UTF-16 text to 8-bit; gives false when some character had to become '?'.
    static bool FromUtf16(const char16_t* text, int length, int codepage, std::string& out);
    // One character code (Unicode scalar) to 8-bit; false (and "?") when not representable.
    static bool EncodeChar(unsigned int code, int codepage, std::string& out);

    // Tables of a single-byte page (256 entries): byte -> UTF-16, byte -> upper-case
    // byte, byte -> lower-case byte. Null for other pages.
    static const char16_t* DecodeTable(int codepage);
    static const unsigned char* UpperTable(int codepage);
    static const unsigned char* LowerTable(int codepage);
    // One UTF-8 sequence at text (length > 0 bytes left): its code and byte count;
    // a malformed byte gives U+FFFD and 1.
    static unsigned int DecodeUtf8(const char* text, int length, int& used);
    static void AppendUtf8(std::string& out, unsigned int code);

    // Unicode simple case mapping for Latin, Greek, Cyrillic and Armenian letters;
    // other codes are returned unchanged.
    static unsigned int ToUpper(unsigned int code);
    static unsigned int ToLower(unsigned int code);
    // Base letter(s) of an accented Latin letter ("é" -> "e", "Æ" -> "AE", "ß" ->
    // "ss"); null when code has no simpler form. IsMark: a combining mark, a Hebrew
    // point or an Arabic vowel mark, dropped when simplifying.
    static const char* BaseLetters(unsigned int code);
    static bool IsMark(unsigned int code);
    static bool IsLetterOrDigit(unsigned int code);

    // Right-to-left letters (Hebrew, Arabic and their presentation forms, Syriac,
    // Thaana, N'Ko).
    static bool IsRightToLeft(unsigned int code);

private:
    static inline std::atomic<int> default_{Western};
};
