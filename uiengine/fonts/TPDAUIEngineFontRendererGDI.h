#pragma once
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

class IDC;

// Text in a ".ttf" font through the system's font service (TSystemFonts): the
// file is copied into the temporary folder and the copy registered with the
// system; text is measured and drawn with the descriptor's library font. The
// font manager's last resort for a TrueType file.
class TPDAUIEngineFontRendererGDI : public TPDAUIEngineFontManager::TFontRenderer {
public:
    // path: the font file (also looked for in the "base" folder beside its
    // folder); folder: where the copy goes. Valid once the copy is registered.
    TPDAUIEngineFontRendererGDI(const char* path, const char* folder);
    // Takes the registration back; the copy stays on disk.
    ~TPDAUIEngineFontRendererGDI() override;

    void AdjustFont(TPDAUIEngineStyleFont& font) override {}
    // Empty text: 0 wide, the font's size high. The height is never below the size.
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font,
                       const CDString& text, int maxWidth, int flags) override;
    // The descriptor's size: the system cannot search sizes.
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text, const TRectIG& rect,
                    int flags, int maxLines) override;
    // Draws nothing (0) for a size the skin's increments make too small;
    // otherwise 1. The background colour and maxLines are not used.
    int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                 const TColorIG* background, const CDString& text, TRectIG& rect, int flags,
                 int maxLines) override;
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text, int lineCount,
                       int width) override;
    int GetMemoryUsage() override { return 56; }
    TDibIG* GetGlyph(int code, int size, TRectIG& source, int& advance, int& top) override
    {
        return nullptr;
    }

    DString copyPath;
    IDC* measureDC = nullptr;  // made on first measure, ours
};
