#include "uiengine/fonts/TPDAUIEngineTextShaping.h"

#include <algorithm>
#include <vector>

namespace {

struct ArabicForms {
    char16_t letter, final, initial, medial, isolated;
};

// Teh marbuta's medial form is its final form (it joins the letter before it).
const ArabicForms kForms[] = {
    {0x0630, 0xFEAC, 0xFEAB, 0xFEAC, 0xFEAB}, {0x062F, 0xFEAA, 0xFEA9, 0xFEAA, 0xFEA9},
    {0x062C, 0xFE9E, 0xFE9F, 0xFEA0, 0xFE9D}, {0x062D, 0xFEA2, 0xFEA3, 0xFEA4, 0xFEA1},
    {0x062E, 0xFEA6, 0xFEA7, 0xFEA8, 0xFEA5}, {0x0647, 0xFEEA, 0xFEEB, 0xFEEC, 0xFEE9},
    {0x0639, 0xFECA, 0xFECB, 0xFECC, 0xFEC9}, {0x063A, 0xFECE, 0xFECF, 0xFED0, 0xFECD},
    {0x0641, 0xFED2, 0xFED3, 0xFED4, 0xFED1}, {0x0642, 0xFED6, 0xFED7, 0xFED8, 0xFED5},
    {0x062B, 0xFE9A, 0xFE9B, 0xFE9C, 0xFE99}, {0x0635, 0xFEBA, 0xFEBB, 0xFEBC, 0xFEB9},
    {0x0636, 0xFEBE, 0xFEBF, 0xFEC0, 0xFEBD}, {0x0637, 0xFEC2, 0xFEC3, 0xFEC4, 0xFEC1},
    {0x0643, 0xFEDA, 0xFEDB, 0xFEDC, 0xFED9}, {0x0645, 0xFEE2, 0xFEE3, 0xFEE4, 0xFEE1},
    {0x0646, 0xFEE6, 0xFEE7, 0xFEE8, 0xFEE5}, {0x062A, 0xFE96, 0xFE97, 0xFE98, 0xFE95},
    {0x0627, 0xFE8E, 0xFE8D, 0xFE8E, 0xFE8D}, {0x0644, 0xFEDE, 0xFEDF, 0xFEE0, 0xFEDD},
    {0x0628, 0xFE90, 0xFE91, 0xFE92, 0xFE8F}, {0x064A, 0xFEF2, 0xFEF3, 0xFEF4, 0xFEF1},
    {0x0633, 0xFEB2, 0xFEB3, 0xFEB4, 0xFEB1}, {0x0634, 0xFEB6, 0xFEB7, 0xFEB8, 0xFEB5},
    {0x0638, 0xFEC6, 0xFEC7, 0xFEC8, 0xFEC5}, {0x0632, 0xFEB0, 0xFEAF, 0xFEB0, 0xFEAF},
    {0x0648, 0xFEEE, 0xFEED, 0xFEEE, 0xFEED}, {0x0629, 0xFE94, 0xFE93, 0xFE94, 0xFE93},
    {0x0649, 0xFEF0, 0xFEEF, 0xFEF0, 0xFEEF}, {0x0631, 0xFEAE, 0xFEAD, 0xFEAE, 0xFEAD},
    {0x0624, 0xFE86, 0xFE85, 0xFE86, 0xFE85}, {0x0621, 0xFE80, 0xFE80, 0xFE80, 0xFE80},
    {0x0626, 0xFE8A, 0xFE8B, 0xFE8C, 0xFE89}, {0x0623, 0xFE84, 0xFE83, 0xFE84, 0xFE83},
    {0x0622, 0xFE82, 0xFE81, 0xFE82, 0xFE81}, {0x0625, 0xFE88, 0xFE87, 0xFE88, 0xFE87},
};

constexpr char16_t kFirstArabic = 0x0621, kLastArabic = 0x064A;
constexpr char16_t kLam = 0x0644, kAlef = 0x0627, kLamAlef = 0xFEFB;

enum Joining : unsigned char { kNone = 0, kRight = 1, kDual = 2 };

struct ArabicTable {
    const ArabicForms* forms[kLastArabic - kFirstArabic + 1] = {};
    Joining joining[kLastArabic - kFirstArabic + 1] = {};

    ArabicTable() {
        for (const ArabicForms& f : kForms) forms[f.letter - kFirstArabic] = &f;
        for (char16_t c : {0x062C, 0x062D, 0x062E, 0x0647, 0x0639, 0x063A, 0x0641, 0x0642,
                           0x062B, 0x0635, 0x0636, 0x0637, 0x0643, 0x0645, 0x0646, 0x062A,
                           0x0644, 0x0628, 0x064A, 0x0633, 0x0634, 0x0638})
            joining[c - kFirstArabic] = kDual;
        for (char16_t c : {0x0627, 0x0623, 0x0625, 0x0622, 0x062F, 0x0630, 0x0631, 0x0632,
                           0x0648, 0x0624, 0x0629, 0x0649})
            joining[c - kFirstArabic] = kRight;
    }
    const ArabicForms* Forms(char16_t c) const {
        return c >= kFirstArabic && c <= kLastArabic ? forms[c - kFirstArabic] : nullptr;
    }
    Joining JoiningOf(char16_t c) const {
        return c >= kFirstArabic && c <= kLastArabic ? joining[c - kFirstArabic] : kNone;
    }
};

const ArabicTable& Table() {
    static const ArabicTable table;
    return table;
}

bool IsHebrew(char16_t c) { return c >= 0x0590 && c <= 0x05FF; }

struct Pair {
    char a, b;
    int delta;
};
const Pair kBoldPairs[] = {{'d', 'o', -1}, {'o', 'k', -1}, {'m', 'a', 1}, {'m', 'e', 1},
                           {'m', 'o', 1},  {'r', 'a', 1},  {'r', 'e', 1}, {'r', 'd', 1},
                           {'r', 'c', 1},  {'S', 'e', 1},  {'C', 'a', 1}};
const Pair kPlainPairs[] = {{'v', 'o', -1}, {'s', 'o', -1}, {'e', 's', 1}, {'o', 's', 1},
                            {'e', 'g', 1},  {'r', 's', 1},  {'o', 'd', 1}, {'a', 'c', 1},
                            {'e', 'd', 1},  {'o', 'c', 1},  {'e', 'c', 1}, {'a', 'd', 1},
                            {'r', 'c', 1},  {'a', 's', 1},  {'2', '3', 1}, {'7', '3', 1},
                            {'r', 'd', 1},  {'o', 'g', 1},  {'p', 'd', 1}, {'P', 'S', 1}};

} // namespace

void ShapeArabic(char16_t* text, int length) {
    if (!text || length <= 0) return;
    const ArabicTable& table = Table();
    // Neighbours are read from the unshaped text while the output falls behind.
    const std::vector<char16_t> source(text, text + length);
    int out = 0;
    for (int i = 0; i < length; ++i) {
        const char16_t c = source[i];
        const ArabicForms* forms = table.Forms(c);
        if (!forms) {
            text[out++] = c;
            continue;
        }
        const char16_t prev = i > 0 ? source[i - 1] : 0;
        const char16_t next = i + 1 < length ? source[i + 1] : 0;
        const bool prevJoins = table.JoiningOf(prev) == kDual;
        const bool nextJoinable = table.JoiningOf(next) != kNone;
        if (prevJoins && nextJoinable) {
            text[out++] = forms->medial;
        } else if (prevJoins) {
            text[out++] = forms->final;
        } else if (nextJoinable) {
            if (c == kLam && next == kAlef) {
                text[out++] = kLamAlef;
                ++i;
            } else {
                text[out++] = forms->initial;
            }
        } else {
            text[out++] = forms->isolated;
        }
    }
    std::fill(text + out, text + length, u' ');
}

void ShapeArabic(DUString& text) { ShapeArabic(text.IsEmpty() ? nullptr : text.str(), text.Length()); }

void ReverseHebrewRuns(char16_t* text, int length) {
    if (!text) return;
    int i = 0;
    while (i < length) {
        if (!IsHebrew(text[i])) {
            ++i;
            continue;
        }
        int end = i + 1;
        while (end < length && (IsHebrew(text[end]) || text[end] == u' ')) ++end;
        std::reverse(text + i, text + end);
        i = end;
    }
}

void ReverseHebrewRuns(DUString& text) {
    if (!text.IsEmpty()) ReverseHebrewRuns(text.str(), text.Length());
}

void AdjustPairSpacing(char16_t previous, char16_t current, bool bold, int& penX) {
    if (previous > 0x7F || current > 0x7F) return;
    auto apply = [&](const Pair* begin, const Pair* end) {
        for (const Pair* p = begin; p != end; ++p)
            if (p->a == (char)previous && p->b == (char)current) {
                penX += p->delta;
                return;
            }
    };
    if (bold)
        apply(std::begin(kBoldPairs), std::end(kBoldPairs));
    else
        apply(std::begin(kPlainPairs), std::end(kPlainPairs));
}
