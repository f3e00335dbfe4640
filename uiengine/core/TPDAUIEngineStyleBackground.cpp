#include "uiengine/core/TPDAUIEngineStyleBackground.h"

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "enginelib/base/LruIndex.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/StretchData.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineResources.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {

int Clamp(long long v) { return TPDAUIEngineSaturate::Clamp(v); }

// Rectangles from wide arithmetic: skin numbers may be anything.
TRectIG R64(long long l, long long t, long long r, long long b)
{
    return TRectIG(Clamp(l), Clamp(t), Clamp(r), Clamp(b));
}

int Tr(float v) { return TPDAUIEngineUIScale::Truncate(v); }

TColorIG TransparentColour()
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s ? s->transparentColor : TColoresIG::F_Magenta;
}

float UIScale()
{
    float s = TPDAUIEngineSkinSettings::CurrentScale();
    return s > 0.0f ? s : 1.0f;
}

// Text before the first '(' (all of it without one).
DString CutBeforeParen(const DString& text)
{
    int open = text.strchr('(');
    return open < 0 ? text : text.SubString(0, open);
}

// Words between the first '(' and the first ')'; none unless both are there
// in that order.
int ParamWords(const DString& text, Vector<DString>& words)
{
    words.RemoveAll();
    int open = text.strchr('(');
    int close = text.strchr(')');
    if (open < 0 || close < open)
        return 0;
    return text.SubString(open + 1, close - open - 1).Separa_En_Palabras_SinEspacios(" ", words);
}

// Kinds named by a mark before the image name alone; longer marks first.
struct MarkedKind {
    const char* mark;
    int kind;
};
const MarkedKind kMarkedKinds[] = {
    {"!", TPDAUIEngineStyleBackground::KindTiles},
    {"%%", TPDAUIEngineStyleBackground::KindTopLeftScaled},
    {"%", TPDAUIEngineStyleBackground::KindTopLeft},
    {"$", TPDAUIEngineStyleBackground::KindCentredScaled},
    {"??", TPDAUIEngineStyleBackground::KindBottomLeftScaled},
    {"?", TPDAUIEngineStyleBackground::KindBottomLeft},
    {"\\", TPDAUIEngineStyleBackground::KindExtend},
};

const MarkedKind* MarkedKindOf(const DString& text)
{
    for (const MarkedKind& m : kMarkedKinds)
        if (std::strncmp(text.c_str(), m.mark, std::strlen(m.mark)) == 0)
            return &m;
    return nullptr;
}

} // namespace

void TPDAUIEngineStyleBackground::Parse(DString text, TPDAUIEngineResources* resources)
{
    ImageLookup lookup;
    if (resources)
        lookup = [resources](const char* name) { return resources->GetImage(name, false, false); };
    ParseWith(std::move(text), lookup);
}

void TPDAUIEngineStyleBackground::ParseWith(DString text, const ImageLookup& lookup)
{
    if (text.IsEmpty())
        return;
    if (text == "None") {
        kind = KindNone;
        return;
    }

    auto setImage = [&](const DString& name) {
        imageName = name;
        // Without a lookup no image is known: never keep one of an older name.
        image = lookup && !name.IsEmpty() ? lookup(name.c_str()) : nullptr;
    };
    auto imageSize = [&]() {
        x = 0;
        y = 0;
        w = image->Width();
        h = image->AbsHeight();
    };
    auto setFour = [&](const Vector<DString>& words) {
        x = words[0].atoi();
        y = words[1].atoi();
        w = words[2].atoi();
        h = words[3].atoi();
    };
    const bool hasClose = text.strchr(')') >= 0;
    Vector<DString> words;
    const char c0 = text[0];
    const MarkedKind* marked = MarkedKindOf(text);

    if (c0 == '#') {
        kind = KindColor;
        colour.DecodeFromString(text.c_str(), &alpha);
    } else if (marked) {
        kind = marked->kind;
        setImage(text.SubString((int)std::strlen(marked->mark)));
    } else if (c0 == '-') {
        kind = KindBar;
        setImage(CutBeforeParen(text.SubString(1)));
        if (hasClose) {
            int n = ParamWords(text, words);
            if (n >= 4) {
                setFour(words);
                edge = n >= 5 ? words[4].atoi() : 8;
            }
        } else if (image) {
            imageSize();
            edge = 16;
        }
    } else if (c0 == '=') {
        kind = KindNineSlice;
        setImage(CutBeforeParen(text.SubString(1)));
        if (!image)
            return;
        if (!hasClose) {
            x = 0;
            y = 0;
            w = 16;
            h = 16;
        } else if (ParamWords(text, words) == 4) {
            setFour(words);
        }
    } else if (text.strchr('(') >= 0) {
        kind = KindImagePart;
        setImage(CutBeforeParen(text));
        if (hasClose && ParamWords(text, words) == 4)
            setFour(words);
    } else if (c0 == '_') {
        kind = KindVertical;
        setImage(CutBeforeParen(text.SubString(1)));
        if (hasClose && ParamWords(text, words) == 4)
            setFour(words);
    } else {
        kind = KindImage;
        setImage(text);
        if (image)
            imageSize();
    }
}

void TPDAUIEngineStyleBackground::Draw(IDC* dc, TRectIG rect) const
{
    if (!dc || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    if (kind == KindColor) {
        dc->SetBrush(colour, 0);
        dc->SetPen(colour, 1, 0, nullptr, false);
        if (alpha == 255)
            dc->Rectangle(rect);
        else
            dc->RectangleA(rect, alpha);
        return;
    }
    if (kind < KindImage || kind > KindVertical || !image || image->IsEmpty())
        return;
    DrawImage(dc, rect);
}

void TPDAUIEngineStyleBackground::DrawImage(IDC* dc, const TRectIG& r) const
{
    const TColorIG key = TransparentColour();
    const float s = UIScale();
    const long long L = r.left, T = r.top, R = r.right, B = r.bottom;
    const long long iw = image->Width(), ih = image->AbsHeight();
    auto blit = [&](const TRectIG& dst, const TRectIG& src) {
        dc->StretchDIBits_Transparent(dst, src, image, key);
    };

    switch (kind) {
    case KindImage:
        blit(r, R64(0, 0, iw, ih));
        break;
    case KindImagePart:
        blit(r, R64(x, y, (long long)x + w, (long long)y + h));
        break;
    case KindNineSlice:
        DrawNineSlice(dc, r, key);
        break;
    case KindBar:
        DrawBar(dc, r, key, s);
        break;
    case KindTiles:
        DrawTiles(dc, r, key);
        break;
    case KindTopLeft:
        blit(R64(L, T, L + iw, T + ih), R64(0, 0, iw, ih));
        break;
    case KindTopLeftScaled:
        blit(R64(L, T, Tr(L + iw * s), Tr(T + ih * s)), R64(0, 0, iw, ih));
        break;
    case KindCentredScaled: {
        long long dx = Tr((r.Width() - iw * s) * 0.5f);
        long long dy = Tr((r.Height() - ih * s) * 0.5f);
        blit(R64(L + dx, T + dy, Tr(L + iw * s) + dx, Tr(T + ih * s) + dy), R64(0, 0, iw, ih));
        break;
    }
    case KindBottomLeft: {
        long long top = B - ih, srcTop = 0;
        if (top < T) {
            srcTop = T - top;
            top = T;
        }
        blit(R64(L, top, L + iw, B), R64(0, srcTop, iw, ih));
        break;
    }
    case KindBottomLeftScaled: {
        long long top = Tr(B - ih * s), srcTop = 0;
        if (top < T) {
            srcTop = Tr((T - top) / s);
            top = T;
        }
        blit(R64(L, top, Tr(L + iw * s), B), R64(0, srcTop, iw, ih));
        break;
    }
    case KindExtend: {
        const long long right = L + iw < R ? L + iw : R;
        const long long bottom = T + ih < B ? T + ih : B;
        blit(R64(L, T, right, bottom), R64(0, 0, iw, ih));
        if (L + iw < R)
            blit(R64(L + iw, T, R, bottom), R64(iw - 1, 0, iw, ih));
        if (T + ih < B)
            blit(R64(L, T + ih, L + iw, B), R64(0, ih - 1, iw, ih));
        if (L + iw < R && T + ih < B)
            blit(R64(L + iw, T + ih, R, B), R64(iw - 1, ih - 1, iw, ih));
        break;
    }
    case KindVertical: {
        // A 1-pixel image would make the caps -1 high; they are empty instead.
        long long c = ih / 2 - 1;
        if (c < 0)
            c = 0;
        const long long mid = ih - 2 * c > 1 ? ih - 2 * c : 1;
        blit(R64(L, T, L + iw, T + c), R64(0, 0, iw, c));
        blit(R64(L, T + c, L + iw, B - c), R64(0, c, iw, c + mid));
        blit(R64(L, B - c, L + iw, B), R64(0, ih - c, iw, ih));
        break;
    }
    default:
        break;
    }
}

namespace {

// The nine parts of a frame of image (iw x ih) into L..R x T..B with cw x ch
// corners.
void NineParts(IDC* dc, const TDibIG* image, TColorIG key, long long L, long long T, long long R, long long B,
               long long cw, long long ch)
{
    const long long iw = image->Width(), ih = image->AbsHeight();
    auto blit = [&](long long dl, long long dt, long long dr, long long db, long long sl,
                    long long st, long long sr, long long sb) {
        dc->StretchDIBits_Transparent(R64(dl, dt, dr, db), R64(sl, st, sr, sb), image, key);
    };
    // The left column ends one pixel above the right one.
    blit(L + cw, T, R - cw, T + ch, cw, 0, iw - cw, ch);                      // top edge
    blit(L + cw, B - ch, R - cw, B, cw, ih - ch, iw - cw, ih);                // bottom edge
    blit(L, T + ch, L + cw, B - ch - 1, 0, ch, cw, ih - ch);                  // left edge
    blit(R - cw, T + ch, R, B - ch, iw - cw, ch, iw, ih - ch);                // right edge
    blit(L, T, L + cw, T + ch, 0, 0, cw, ch);                                 // top-left
    blit(R - cw, T, R, T + ch, iw - cw, 0, iw, ch);                           // top-right
    blit(L, B - ch - 1, L + cw, B, 0, ih - ch, cw, ih);                       // bottom-left
    blit(R - cw, B - ch, R, B, iw - cw, ih - ch, iw, ih);                     // bottom-right
    blit(L + cw, T + ch, R - cw, B - ch, cw, ch, iw - cw, ih - ch);           // centre
}

// Frames drawn whole from a picture of their nine parts (premultiplied, clear
// where no part is), made once per image version, size, corners and key: a
// button then costs one blit instead of nine scaled ones. The parts never
// overlap and each lies on clear pixels in the picture, so laying the picture
// over the target gives every pixel what the part itself would have given.
struct KeptFrameKey {
    uint64_t version;
    int width, height, cw, ch;
    uint32_t key;
    bool operator==(const KeptFrameKey& o) const
    {
        return version == o.version && width == o.width && height == o.height && cw == o.cw && ch == o.ch &&
               key == o.key;
    }
};

struct KeptFrameHash {
    size_t operator()(const KeptFrameKey& k) const
    {
        uint64_t h = k.version * 0x9E3779B97F4A7C15ull;
        for (uint64_t v : {uint64_t(k.width), uint64_t(k.height), uint64_t(k.cw), uint64_t(k.ch), uint64_t(k.key)})
            h = (h ^ v) * 0x100000001B3ull;
        return size_t(h ^ (h >> 29));
    }
};

class KeptFrames {
public:
    // Pictures up to this size are kept, this many bytes in all (the least
    // recently drawn go first).
    static constexpr long long MaxPixels = 256 * 256;
    static constexpr size_t MaxBytes = size_t(4) << 20;

    std::shared_ptr<const TDibIG> Get(const KeptFrameKey& k)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto* entry = kept_.Find(k);
        return entry ? entry->value : nullptr;
    }
    void Put(const KeptFrameKey& k, std::shared_ptr<const TDibIG> picture)
    {
        const size_t size = size_t(picture->Width()) * size_t(picture->AbsHeight()) * 4;
        std::lock_guard<std::mutex> lock(mutex_);
        if (kept_.Contains(k))
            return;
        while (!kept_.empty() && kept_.Bytes() + size > MaxBytes)
            kept_.Erase(std::prev(kept_.end()));
        kept_.Put(k, std::move(picture), size);
    }

private:
    std::mutex mutex_;
    TLruIndex<KeptFrameKey, std::shared_ptr<const TDibIG>, KeptFrameHash> kept_;
};

KeptFrames& Frames()
{
    static KeptFrames frames;
    return frames;
}

// Sane coordinates keep the arithmetic of a part the same wherever the frame is.
bool Sane(long long v) { return v > -(1LL << 24) && v < (1LL << 24); }

} // namespace

bool TPDAUIEngineStyleBackground::keepNineSliceFrames = true;

void TPDAUIEngineStyleBackground::DrawNineSlice(IDC* dc, TRectIG r, TColorIG key) const
{
    const long long iw = image->Width(), ih = image->AbsHeight();
    long long cw = w, ch = h;
    // Small images always get 10-pixel corners.
    if (iw <= 32 || ih <= 32)
        cw = ch = 10;
    const long long hh = r.Height() / 2, hw = r.Width() / 2;
    if (hh < ch)
        ch = hh - 1;
    if (hw < cw)
        cw = hw - 1;
    // A 1-pixel rectangle would make them -1, reaching outside it.
    if (ch < 0)
        ch = 0;
    if (cw < 0)
        cw = 0;

    const long long L = (long long)r.left + offsetX, T = (long long)r.top + offsetY;
    const long long R = (long long)r.right + offsetX, B = (long long)r.bottom + offsetY;
    if (keepNineSliceFrames && DrawKeptFrame(dc, key, L, T, R, B, cw, ch))
        return;
    NineParts(dc, image, key, L, T, R, B, cw, ch);
}

bool TPDAUIEngineStyleBackground::DrawKeptFrame(IDC* dc, TColorIG key, long long L, long long T, long long R,
                                                long long B, long long cw, long long ch) const
{
    // Only where the whole frame is drawn, into 32 bits, with every part's
    // source inside the image (a cut part samples from where its visible part
    // starts, which the picture would not) and no two parts on one pixel (the
    // lower left corner starts a row early, on the upper one when the frame is
    // no higher than its two corners).
    const TDibIG* target = dc->GetDib();
    if (!target || target->Bpp() != 32 || target == image || !Sane(L) || !Sane(T) || !Sane(R) || !Sane(B))
        return false;
    const long long W = R - L, H = B - T;
    if (W <= 0 || H <= 0 || W * H > KeptFrames::MaxPixels || 2 * cw > image->Width() ||
        2 * ch > image->AbsHeight() || 2 * cw > W || 2 * ch >= H)
        return false;
    const TRectIG frame((int)L, (int)T, (int)R, (int)B);
    TRectIG visible(0, 0, target->Width(), target->AbsHeight());
    if (dc->HasClip() && !visible.IntersectWith(dc->GetClipRect()))
        return false;
    TRectIG inside = frame;
    if (!inside.IntersectWith(visible) || inside != frame)
        return false;

    const KeptFrameKey k{image->Version(), (int)W, (int)H, (int)cw, (int)ch, (uint32_t)key};
    std::shared_ptr<const TDibIG> picture = Frames().Get(k);
    if (!picture) {
        auto made = std::make_shared<TDibIG>();
        if (!made->Crea((int)W, (int)H, 32, true, false))
            return false;
        // All clear: premultiplied as it is.
        made->Set_PreMultiplied();
        IDC painter;
        if (!painter.BeginPaintDib(made.get()))
            return false;
        NineParts(&painter, image, key, 0, 0, W, H, cw, ch);
        painter.EndPaintDib();
        picture = made;
        Frames().Put(k, picture);
    }
    TAdvStetchDIBitsData plain;
    dc->StretchDIBits_Adv(frame, TRectIG(0, 0, (int)W, (int)H), picture.get(), plain);
    return true;
}

void TPDAUIEngineStyleBackground::DrawBar(IDC* dc, const TRectIG& r, TColorIG key, float s) const
{
    const long long L = r.left, T = r.top, R = r.right;
    const long long capStart = (long long)w - edge;
    const long long leftEnd = Tr(L + capStart * s);
    const long long bottom = Tr(T + (long long)h * s);
    const long long srcBottom = (long long)y + h;
    auto blit = [&](const TRectIG& dst, const TRectIG& src) {
        dc->StretchDIBits_Transparent(dst, src, image, key);
    };
    // The middle and the cap take their columns from 0, not from x, and the
    // cap keeps its unscaled width.
    blit(R64(L, T, leftEnd, bottom), R64(x, y, (long long)x + capStart, srcBottom));
    const TRectIG middle = R64(leftEnd + 1, T, R - edge - 1, bottom);
    if (middle.Width() > 0)
        blit(middle, R64(capStart - edge, y, capStart, srcBottom));
    blit(R64(R - edge, T, R, bottom), R64(capStart, y, w, srcBottom));
}

void TPDAUIEngineStyleBackground::DrawTiles(IDC* dc, const TRectIG& r, TColorIG key) const
{
    const long long iw = image->Width(), ih = image->AbsHeight();
    const long long W = r.Width(), H = r.Height();
    if (iw >= W && ih > H) {
        dc->StretchDIBits_Transparent(r, R64(0, 0, W, H), image, key);
        return;
    }
    if (iw <= 0 || ih <= 0)
        return;

    // Tiles stay inside the caller's clip as well, which comes back afterwards.
    const TRectIG previous = dc->GetClipRect();
    const bool hadClip = previous != TRectIG();
    TRectIG clip = r;
    if (hadClip && !clip.IntersectWith(previous))
        return;
    const TDibIG* target = dc->GetDib();
    TRectIG visible = clip;
    if (!target || !visible.IntersectWith(TRectIG(0, 0, target->Width(), target->AbsHeight())))
        return;

    dc->SelectClipRect(clip);
    // Only the tiles that meet the visible part are drawn; the grid starts at
    // the rectangle's corner all the same.
    const long long L = r.left, T = r.top, R = r.right;
    const long long y0 = T + (visible.top - T) / ih * ih;
    if (iw >= W) {
        for (long long ty = y0; ty < visible.bottom; ty += ih)
            dc->StretchDIBits_Transparent(R64(L, ty, R, ty + ih), R64(0, 0, W, ih), image, key);
    } else {
        const long long x0 = L + (visible.left - L) / iw * iw;
        for (long long tx = x0; tx < visible.right; tx += iw)
            for (long long ty = y0; ty < visible.bottom; ty += ih)
                dc->StretchDIBits_Transparent(R64(tx, ty, tx + iw, ty + ih), R64(0, 0, iw, ih),
                                              image, key);
    }
    if (hadClip)
        dc->SelectClipRect(previous);
    else
        dc->Fin_SelectClipRgn();
}

void TPDAUIEngineStyleBackground::WriteCompiled(TFicheroITV& s) const
{
    DString name = imageName;
    name.Sustituye(".bmp", ".cbmp");
    s << (unsigned char)kind << (unsigned int)colour << name << (unsigned char)alpha;
    s << x << y << w << h << edge;
}

void TPDAUIEngineStyleBackground::ReadCompiled(TFicheroITV& s)
{
    unsigned char k = 0, a = 0;
    unsigned int c = 0;
    s >> k >> c >> imageName >> a >> x >> y >> w >> h >> edge;
    kind = k;
    colour = TColorIG(c);
    alpha = a;
    image = nullptr;
}
