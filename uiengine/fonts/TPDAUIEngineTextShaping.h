#pragma once
#include "enginelib/base/DUString.h"

// Text preparation shared by the TrueType and bitmap-font renderers: right-to-left
// scripts and the small pair-spacing tweaks. Each edits UTF-16 text in place and
// keeps its length.

// Replaces Arabic letters by their contextual presentation forms (isolated,
// initial, medial, final), chosen from the neighbours in the unshaped text. A lam
// starting a word before an alef becomes the single ligature U+FEFB; the freed
// position at the end of the text is filled with a blank.
void ShapeArabic(char16_t* text, int length);
void ShapeArabic(DUString& text);

// Reverses each run of Hebrew letters (with the blanks inside and after it) in
// place, so that a left-to-right line shows Hebrew words readable.
void ReverseHebrewRuns(char16_t* text, int length);
void ReverseHebrewRuns(DUString& text);

// Moves the pen by the kerning tweak of a character pair (bold and plain text
// have their own lists).
void AdjustPairSpacing(char16_t previous, char16_t current, bool bold, int& penX);
