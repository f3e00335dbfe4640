#include "uiengine/fonts/TPDAUIEngineFontManager.h"

#include <atomic>

#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererCFONT.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererGDI.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

// One process-wide name, made on first use (descriptors may be built early).
DString& DefaultFamilyText()
{
    static DString family;
    return family;
}

std::atomic<unsigned> g_defaultFamilyGeneration{0};

struct FamilyRename {
    const char* from;
    const char* to;
};

// Families that a file name spells differently from the name skins use.
const FamilyRename kRenames[] = {
    {"couriernew", "Courier New"},
    {"liberationmono-regular", "Liberation Mono"},
    {"liberationsans-regular", "Liberation Sans"},
    {"freesans", "FreeSans"},
    {"freemono", "Free Mono"},
    {"freeserif", "Free Serif"},
    {"droidsans", "Droid Sans"},
    {"arialuni", "arialuni"},
    {"gbsn00lp", "AR PLSungtil GB"},
};

TPDAUIEngineFontManager::TFontRenderer* MakeBitmapRenderer(const char* path, const char* folder)
{
    return new TPDAUIEngineFontRendererCFONT(path, folder);
}

TPDAUIEngineFontManager::TFontRenderer* MakeTrueTypeRenderer(const char* path, const char* folder)
{
    return new TPDAUIEngineFontRendererTTF(path, folder);
}

TPDAUIEngineFontManager::TFontRenderer* MakeSystemRenderer(const char* path, const char* folder)
{
    return new TPDAUIEngineFontRendererGDI(path, folder);
}

} // namespace

bool TPDAUIEngineFontManager::TFontRenderer::TooSmall(const TPDAUIEngineStyleFont& font)
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    int limit = 2;
    if (s) {
        limit += s->fontSizeIncrement;
        if (s->rightToLeft)
            limit += s->fontSizeIncrementRTL;
    }
    return limit >= font.size;
}

TPDAUIEngineFontManager::TPDAUIEngineFontManager(FuncFontImageRequest request, void* context)
    : imageContext(context),
      imageRequest(request),
      renderers(2, 2, true),
      makeBitmapRenderer(&MakeBitmapRenderer),
      makeTrueTypeRenderer(&MakeTrueTypeRenderer),
      makeSystemRenderer(&MakeSystemRenderer)
{
}

TPDAUIEngineFontManager::~TPDAUIEngineFontManager() { Clear(); }

int TPDAUIEngineFontManager::IndexOf(const char* family) const
{
    for (int i = 0; i < renderers.Count(); ++i)
        if (Dstrcmpi(renderers[i]->family.c_str(), family) == 0)
            return i;
    return -1;
}

TPDAUIEngineFontManager::TFontRenderer*
TPDAUIEngineFontManager::TryMake(FuncMakeRenderer make, const char* path, const char* folder)
{
    if (!make)
        return nullptr;
    TFontRenderer* r = make(path, folder);
    if (r && !r->valid) {
        delete r;
        r = nullptr;
    }
    return r;
}

bool TPDAUIEngineFontManager::AddFont(const char* path, const char* folder)
{
    if (!path)
        return false;
    DString p(path);
    TFontRenderer* r = nullptr;
    if (p.Contains(".cfont")) {
        r = TryMake(makeBitmapRenderer, p.c_str(), folder);
        // A bitmap font that does not load is looked for as its TrueType source.
        if (!r)
            p.Sustituye(".cfont", ".ttf");
    }
    if (!r && (p.Contains(".ttf") || p.Contains(".otf")))
        r = TryMake(makeTrueTypeRenderer, p.c_str(), folder);
    if (!r && p.Contains(".ttf"))
        r = TryMake(makeSystemRenderer, p.c_str(), folder);
    if (!r)
        return false;
    Adopt(r);
    return true;
}

void TPDAUIEngineFontManager::Adopt(TFontRenderer* renderer)
{
    if (!renderer)
        return;
    if (renderers.Add(renderer) < 0) {
        delete renderer;
        return;
    }
    DString lower = renderer->family;
    lower.A_Minusculas();
    for (const FamilyRename& r : kRenames)
        if (lower == r.from) {
            renderer->family = r.to;
            break;
        }
    renderer->manager = this;
    if (renderers.Count() == 1)
    {
        DefaultFamilyText() = renderer->family;
        g_defaultFamilyGeneration.fetch_add(1, std::memory_order_release);
    }
}

TPDAUIEngineFontManager::TFontRenderer*
TPDAUIEngineFontManager::Find(const TPDAUIEngineStyleFont& font) const
{
    int i = IndexOf(font.name.c_str());
    return i < 0 ? nullptr : renderers[i];
}

void TPDAUIEngineFontManager::AdjustFont(TPDAUIEngineStyleFont& font)
{
    if (TFontRenderer* r = Find(font))
        r->AdjustFont(font);
}

void TPDAUIEngineFontManager::GetTextExtent(int& width, int& height,
                                            const TPDAUIEngineStyleFont& font,
                                            const CDString& text, int maxWidth, int flags)
{
    width = 0;
    height = 0;
    if (TFontRenderer* r = Find(font))
        r->GetTextExtent(width, height, font, text, maxWidth, flags);
}

int TPDAUIEngineFontManager::FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text,
                                         const TRectIG& rect, int flags, int maxLines)
{
    TFontRenderer* r = Find(font);
    return r ? r->FitFontSize(font, text, rect, flags, maxLines) : font.size;
}

int TPDAUIEngineFontManager::DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                                      const TColorIG* background, const CDString& text,
                                      TRectIG& rect, int flags, int maxLines)
{
    TFontRenderer* r = Find(font);
    return r ? r->DrawText(dc, font, color, background, text, rect, flags, maxLines) : 0;
}

int TPDAUIEngineFontManager::GetLinesHeight(const TPDAUIEngineStyleFont& font,
                                            const CDString& text, int lineCount, int width)
{
    if (disabled)
        return 0;
    TFontRenderer* r = Find(font);
    return r ? r->GetLinesHeight(font, text, lineCount, width) : 0;
}

TDibIG* TPDAUIEngineFontManager::GetGlyph(const char* family, int code, int size,
                                          TRectIG& source, int& advance, int& top)
{
    if (renderers.IsEmpty())
        return nullptr;
    int i = IndexOf(family ? family : "");
    return renderers[i < 0 ? 0 : i]->GetGlyph(code, size, source, advance, top);
}

void TPDAUIEngineFontManager::Clear()
{
    renderers.RemoveAll();
    DefaultFamilyText().Empty();
    g_defaultFamilyGeneration.fetch_add(1, std::memory_order_release);
}

bool TPDAUIEngineFontManager::HasTTFFont() const
{
    for (int i = 0; i < renderers.Count(); ++i)
        if (renderers[i]->path.Contains(".ttf"))
            return true;
    return false;
}

bool TPDAUIEngineFontManager::HasCFONTFont() const
{
    for (int i = 0; i < renderers.Count(); ++i)
        if (renderers[i]->path.Contains(".cfont"))
            return true;
    return false;
}

int TPDAUIEngineFontManager::GetMemoryUsage() const
{
    int total = 40;
    for (int i = 0; i < renderers.Count(); ++i)
        total += renderers[i]->GetMemoryUsage();
    return total;
}

void TPDAUIEngineFontManager::SetImageLoader(FuncFontImageRequest request, void* context)
{
    imageRequest = request;
    imageContext = context;
}

TDibIG* TPDAUIEngineFontManager::RequestImage(const char* name)
{
    if (imageRequest && imageContext)
        return imageRequest(imageContext, name);
    return nullptr;
}

const DString& TPDAUIEngineFontManager::DefaultFamily() { return DefaultFamilyText(); }

unsigned TPDAUIEngineFontManager::DefaultFamilyGeneration()
{
    return g_defaultFamilyGeneration.load(std::memory_order_acquire);
}

int TPDAUIEngineFontManager::TFontRenderer::MeasureIntoRect(const TPDAUIEngineStyleFont& font, const CDString& text,
                                                           TRectIG& rect, int flags)
{
    int w = 0, h = 0;
    GetTextExtent(w, h, font, text, rect.Width(), flags);
    rect.right = rect.left + w;
    rect.bottom = rect.top + h;
    return 1;
}
