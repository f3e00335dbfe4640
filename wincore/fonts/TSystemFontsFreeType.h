#pragma once
#include <memory>

#include "enginelib/draw/TSystemFonts.h"

// The system font service over FreeType. A registered file is looked up by its
// face's family name or by its file name without extension (case ignored),
// preferring the face whose bold and italic style matches; missing styles are
// made up from the face at hand. A family nobody registered is drawn in the
// default font. Faces, character maps and rendered glyphs are kept in
// FreeType's cache (bold a face lacks is made from the cached outline at each
// draw); glyphs are blended into the drawing context by coverage. One thread
// at a time (the UI thread).
class TSystemFontsFreeType : public TSystemFonts {
public:
    // The font used for families that are not registered.
    static const char* DefaultFontPath();

    explicit TSystemFontsFreeType(const char* defaultFont = DefaultFontPath());
    ~TSystemFontsFreeType() override;
    TSystemFontsFreeType(const TSystemFontsFreeType&) = delete;
    TSystemFontsFreeType& operator=(const TSystemFontsFreeType&) = delete;

    // Registers a file FreeType can open (1), else 0.
    int AddFontResource(const char16_t* path) override;
    bool RemoveFontResource(const char16_t* path) override;
    int DrawText(IDC* dc, const FontSpec& font, const char16_t* text, int length, TRectIG& rect,
                 unsigned flags, TColorIG colour) override;

    // Files registered now.
    int RegisteredCount() const;

private:
    struct Impl;
    struct Sized;
    std::unique_ptr<Impl> impl_;
};
