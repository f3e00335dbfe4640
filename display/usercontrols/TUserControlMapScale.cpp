#include "display/usercontrols/TUserControlMapScale.h"

#include <algorithm>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
int Clamp(long long v) { return (int)std::max<long long>(-0x3FFFFFFF, std::min<long long>(v, 0x3FFFFFFF)); }
} // namespace

TUserControlMapScale::TUserControlMapScale(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolMapScale";
    minimumWidth = 60;
}

TUserControlMapScale::~TUserControlMapScale() {}

int TUserControlMapScale::GetMinimumHeight(int availableWidth)
{
    long long h = 0;
    if (engine) {
        const DString text = label.IsEmpty() ? DString("A") : label;
        h = (long long)(engine->GetTextExtent(font, text, 1024, 0).cy * 1.5);
    }
    h += 2LL * borders[StateNormal].width + padding.top + padding.bottom;
    NoteMeasure(false);
    return LimitSize(h, minimumHeight, maximumHeight);
}

int TUserControlMapScale::GetMinimumWidth(int availableHeight)
{
    long long w = engine ? engine->GetTextExtent(font, label, 0, 0).cx : 0;
    w += padding.left + padding.right + 2LL * borders[StateNormal].width;
    NoteMeasure(false);
    return LimitSize(w, minimumWidth, maximumWidth);
}

void TUserControlMapScale::Paint(IDC* dc, int x, int y)
{
    if (!app || !app->engine.config || app->engine.config->mapScale.GetValor() == 0)
        return;
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    PaintStyle(dc, r, GetState());

    const int b = borders[StateNormal].width;
    const TRectIG content(Clamp((long long)r.left + b + padding.left), Clamp((long long)r.top + b + padding.top),
                          Clamp((long long)r.right - b - padding.right),
                          Clamp((long long)r.bottom - b - padding.bottom));
    TPointIG topLeft(content.left, Clamp((long long)r.top + font.size));
    TPointIG bottomRight(content.right, r.bottom);
    DString text;
    double value = 0;
    if (!app->engine.DatosEscala(topLeft, bottomRight, text, value))
        return;

    long long length = std::max<long long>(0, (long long)bottomRight.x - topLeft.x);
    if (maximumWidth >= 0)
        length = std::min<long long>(length, maximumWidth);
    TRectIG bar(Clamp(content.right - length), Clamp((long long)content.top + font.size), content.right,
                Clamp((long long)bottomRight.y - 1));
    if (bar.right <= bar.left || bar.bottom <= bar.top || !dc)
        return;

    const TColorIG fore = foregrounds[GetState()];
    if (!text.IsEmpty() && engine) {
        TRectIG textRect(bar.left, content.top, bar.right, bar.top);
        engine->DrawText(dc, font, fore.Negative(), nullptr, text, textRect, 33);
    }

    dc->SetBrush(TColorIG(0u));
    dc->SetPen(TColorIG(0u));
    dc->Rectangle(bar);
    const int barWidth = bar.right - bar.left, barHeight = bar.bottom - bar.top;
    const int cell = barWidth / 4, rowHeight = barHeight / 2 + 1;
    for (int row = 0; row < 2; ++row) {
        const int rowTop = bar.top + row * (barHeight / 2);
        const int rowBottom = std::min(rowTop + rowHeight, bar.bottom);
        for (int i = 0; i < 4; ++i) {
            const int l = bar.left + i * cell;
            const int rgt = i == 3 ? bar.right : l + cell;
            const TColorIG colour = (i + row) % 2 == 0 ? TColorIG(kDark) : fore;
            dc->SetBrush(colour);
            dc->SetPen(colour);
            dc->Rectangle(TRectIG(l, rowTop, rgt, rowBottom));
        }
    }
    dc->SetPen(TColorIG(kDark));
    dc->Rectangle_Vacio(bar.left, bar.top, bar.right, bar.bottom);
}
