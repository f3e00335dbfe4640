#include "uiengine/fonts/TPDAUIEngineFontRendererGDI.h"

#include <new>

#include "enginelib/base/DUString.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TSystemFonts.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

// The system font of a descriptor: its stock font prepared at scale 1.
TSystemFonts::FontSpec SystemFont(const TPDAUIEngineStyleFont& font)
{
    TSystemFonts::FontSpec spec;
    if (font.stockFont && font.stockFont->Prepare(1.0f)) {
        spec = TSystemFonts::FontSpec::FromFont(*font.stockFont);
    } else {
        // No stock font (a size below 1): described the way the stock font would be.
        spec.face = font.name.c_str();
        spec.pixelHeight = font.size;
        spec.bold = font.bold;
    }
    // Stock fonts are shared by name, size and weight; underlining (an anchor
    // under the pointer) is the descriptor's own.
    spec.underline = font.underline;
    return spec;
}

// Copies src to dst through memory; false when anything fails.
bool CopyFile(TFicheroITV& src, const char* dst)
{
    const uint32_t size = src.FileSize();
    unsigned char* bytes = new (std::nothrow) unsigned char[size ? size : 1];
    if (!bytes)
        return false;
    bool ok = src.Lee(bytes, size) == size;
    if (ok) {
        TFicheroITV out;
        ok = out.Abre(dst, ITV_MODO_CREACION);
        if (ok) {
            ok = out.Escribe(bytes, size);
            ok = out.Cierra() && ok;
        }
    }
    delete[] bytes;
    return ok;
}

} // namespace

TPDAUIEngineFontRendererGDI::TPDAUIEngineFontRendererGDI(const char* file, const char* folder)
{
    const TStringNomFitx given(file ? file : "");
    const DString nameExt = given.nom_fitx_ext();
    family = given.nom_fitx();
    TStringNomFitx copy;
    copy.Set_Path_y_Fitx(folder ? folder : "", nameExt.c_str());
    copyPath = copy;

    TFicheroITV in;
    TStringNomFitx found = given;
    if (!in.Abre(found.c_str(), ITV_MODO_LECTURA)) {
        found.cd("..");
        found.cd("base");
        if (!in.Abre(found.c_str(), ITV_MODO_LECTURA))
            return;
    }
    path = found;
    const bool copied = CopyFile(in, copyPath.c_str());
    in.Cierra();
    if (copied)
        if (TSystemFonts* system = TSystemFonts::Instance())
            valid = system->AddFontResource(DUString(copyPath.c_str()).c_str()) != 0;
    fileNames.Add(nameExt);
}

TPDAUIEngineFontRendererGDI::~TPDAUIEngineFontRendererGDI()
{
    if (valid) {
        if (TSystemFonts* system = TSystemFonts::Instance())
            system->RemoveFontResource(DUString(copyPath.c_str()).c_str());
        valid = false;
    }
    delete measureDC;
}

void TPDAUIEngineFontRendererGDI::GetTextExtent(int& width, int& height,
                                                const TPDAUIEngineStyleFont& font,
                                                const CDString& text, int maxWidth, int flags)
{
    width = 0;
    height = 0;
    if (text.IsEmpty()) {
        height = font.size;
        return;
    }
    TSystemFonts* system = TSystemFonts::Instance();
    if (system) {
        const DUString wide(text.c_str());
        TRectIG r(0, 0, maxWidth < 1 ? 99999 : maxWidth, 99999);
        if (!measureDC)
            measureDC = new IDC();
        TFontIG* previous = measureDC->SelectFont(font.stockFont);
        // Measuring only, whatever flags the caller gave.
        if (system->DrawText(measureDC, SystemFont(font), wide.c_str(), wide.Length(), r,
                             unsigned(flags) | TSystemFonts::FmtCalcRect, TColorIG()) != 0) {
            width = r.Width();
            height = r.Height();
        }
        measureDC->SelectFont(previous);
    }
    if (height < font.size)
        height = font.size;
}

int TPDAUIEngineFontRendererGDI::FitFontSize(const TPDAUIEngineStyleFont& font,
                                             const CDString& text, const TRectIG& rect,
                                             int flags, int maxLines)
{
    return font.size;
}

int TPDAUIEngineFontRendererGDI::DrawText(IDC* dc, const TPDAUIEngineStyleFont& font,
                                          TColorIG color, const TColorIG* background,
                                          const CDString& text, TRectIG& rect, int flags,
                                          int maxLines)
{
    if (TooSmall(font) || !dc)
        return 0;
    IDC* target = static_cast<IDC*>(dc->Obten_hdc());
    const DUString wide(text);
    TFontIG* previous = target->SelectFont(font.stockFont);
    target->SetBkMode(IDC::BkTransparent);
    if (TSystemFonts* system = TSystemFonts::Instance())
        system->DrawText(target, SystemFont(font), wide.c_str(), wide.Length(), rect,
                         unsigned(flags), TColorIG(color.R(), color.G(), color.B()));
    target->SelectFont(previous);
    return 1;
}

int TPDAUIEngineFontRendererGDI::GetLinesHeight(const TPDAUIEngineStyleFont& font,
                                                const CDString& text, int lineCount, int width)
{
    return lineCount * font.size;
}
