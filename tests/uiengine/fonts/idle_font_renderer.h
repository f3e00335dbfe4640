#pragma once
// A font renderer that measures nothing and draws nothing, for tests that only
// need one to stand in the font manager; they override what they look at.
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

class IdleFontRenderer : public TPDAUIEngineFontManager::TFontRenderer {
public:
    void AdjustFont(TPDAUIEngineStyleFont&) override {}
    void GetTextExtent(int& w, int& h, const TPDAUIEngineStyleFont&, const CDString&, int,
                       int) override
    {
        w = h = 0;
    }
    int FitFontSize(const TPDAUIEngineStyleFont&, const CDString&, const TRectIG&, int,
                    int) override
    {
        return 0;
    }
    int DrawText(IDC*, const TPDAUIEngineStyleFont&, TColorIG, const TColorIG*, const CDString&,
                 TRectIG&, int, int) override
    {
        return 0;
    }
    int GetLinesHeight(const TPDAUIEngineStyleFont&, const CDString&, int, int) override
    {
        return 0;
    }
    int GetMemoryUsage() override { return 0; }
    TDibIG* GetGlyph(int, int, TRectIG&, int&, int&) override { return nullptr; }
};
