#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TDibIG;
class TPDAUIEngineStyleFont;

// Image lookup handed to the font manager (inline images of rich text).
typedef TDibIG* (*FuncFontImageRequest)(void* context, const char* name);

// One renderer per loaded font file, found by family name without regard to case.
// The engine forwards its font operations here. Flags are the DrawText format
// flags (centre 0x1, right 0x2, vertical centre 0x4, bottom 0x8, word break 0x10,
// single line 0x20, measure only 0x400, word ellipsis 0x40000, justify 0x800000).
class TPDAUIEngineFontManager {
public:
    // A loaded font file that measures and draws text in one family.
    class TFontRenderer {
    public:
        TFontRenderer() : fileNames(3, 3) {}
        virtual ~TFontRenderer() = default;
        TFontRenderer(const TFontRenderer&) = delete;
        TFontRenderer& operator=(const TFontRenderer&) = delete;

        // Changes the descriptor to what the renderer can draw.
        virtual void AdjustFont(TPDAUIEngineStyleFont& font) = 0;
        virtual void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font,
                                   const CDString& text, int maxWidth, int flags) = 0;
        // A size at which text fits rect.
        virtual int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text,
                                const TRectIG& rect, int flags, int maxLines) = 0;
        // background is null for none. With the measure-only flag rect may be
        // set to the text's extent.
        virtual int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                             const TColorIG* background, const CDString& text, TRectIG& rect,
                             int flags, int maxLines) = 0;
        // Height of the first lineCount lines laid out in width.
        virtual int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text,
                                   int lineCount, int width) = 0;
        virtual int GetMemoryUsage() = 0;
        // One glyph image (not the caller's) with its source rectangle, advance and
        // top offset; null when the renderer has none.
        virtual TDibIG* GetGlyph(int code, int size, TRectIG& source, int& advance, int& top) = 0;

        // Whether the skin's font increments make the descriptor's size
        // unreadable: sizes up to "fontSizeIncrement" + 2 (plus
        // "fontSizeIncrementRTL" under a right-to-left language) are not drawn.
        static bool TooSmall(const TPDAUIEngineStyleFont& font);

    protected:
        // The measure-only answer of DrawText: rect grows from its top-left to the
        // extent of the text laid out in its width.
        int MeasureIntoRect(const TPDAUIEngineStyleFont& font, const CDString& text, TRectIG& rect, int flags);

    public:

        DString family;
        DString path;               // the file actually loaded
        Vector<DString> fileNames;  // names with extension of the files loaded
        bool valid = false;
        TPDAUIEngineFontManager* manager = nullptr;
    };

    // Makes a renderer of one kind for a font file and folder; the manager keeps
    // it when it is valid and deletes it otherwise.
    typedef TFontRenderer* (*FuncMakeRenderer)(const char* path, const char* folder);

    TPDAUIEngineFontManager(FuncFontImageRequest request = nullptr, void* context = nullptr);
    ~TPDAUIEngineFontManager();
    TPDAUIEngineFontManager(const TPDAUIEngineFontManager&) = delete;
    TPDAUIEngineFontManager& operator=(const TPDAUIEngineFontManager&) = delete;

    // Index of the first renderer of this family (case ignored), or -1.
    int IndexOf(const char* family) const;
    // Loads a font file (".cfont", ".ttf", ".otf"); folder is the engine's
    // temporary folder. False, and nothing changed, when no renderer can load it.
    bool AddFont(const char* path, const char* folder);
    // Keeps a loaded renderer: family renames, manager link, default family.
    void Adopt(TFontRenderer* renderer);

    // The descriptor's family renderer answers; an unknown family gives the
    // neutral answer: nothing changed, 0 x 0, the descriptor's size, 0, 0.
    void AdjustFont(TPDAUIEngineStyleFont& font);
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font,
                       const CDString& text, int maxWidth, int flags);
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text, const TRectIG& rect,
                    int flags, int maxLines);
    int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                 const TColorIG* background, const CDString& text, TRectIG& rect, int flags,
                 int maxLines);
    // 0 also while disabled.
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text, int lineCount,
                       int width);

    // One glyph by family; an unknown family uses the first renderer; null
    // when no renderer is loaded.
    TDibIG* GetGlyph(const char* family, int code, int size, TRectIG& source, int& advance,
                     int& top);

    // Deletes every renderer and forgets the default family.
    void Clear();
    bool HasTTFFont() const;
    bool HasCFONTFont() const;
    int GetMemoryUsage() const;
    int Count() const { return renderers.Count(); }
    TFontRenderer* Get(int index) const { return renderers[index]; }

    void SetImageLoader(FuncFontImageRequest request, void* context);
    TDibIG* RequestImage(const char* name);

    // The family of the first renderer loaded; empty when none.
    static const DString& DefaultFamily();
    // Changes whenever the default family may have: a cache of what it gives can tell it is stale.
    static unsigned DefaultFamilyGeneration();

    void* imageContext;
    FuncFontImageRequest imageRequest;
    VectorP<TFontRenderer> renderers;
    bool disabled = false;

    // The renderer kinds AddFont tries, in its order; a null kind is skipped.
    // Bitmap fonts (".cfont"), TrueType (".ttf", ".otf") and system fonts (".ttf").
    FuncMakeRenderer makeBitmapRenderer;
    FuncMakeRenderer makeTrueTypeRenderer;
    FuncMakeRenderer makeSystemRenderer;

private:
    TFontRenderer* Find(const TPDAUIEngineStyleFont& font) const;
    // Makes a renderer of one kind; the valid one, or null (the other deleted).
    static TFontRenderer* TryMake(FuncMakeRenderer make, const char* path, const char* folder);
};
