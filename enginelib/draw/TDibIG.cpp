#include "enginelib/draw/TDibIG.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

std::atomic<uint64_t> g_versions{0};

// One pixel in 8-bit channels; a is the opacity (255 opaque).
struct Px {
    int r, g, b, a;
};

// How to read and write the pixels of one bitmap layout.
struct Layout {
    int bpp;
    bool alpha32;

    Px Read(const uint8_t* row, const uint8_t* arow, int x) const
    {
        Px p{0, 0, 0, 255};
        switch (bpp) {
        case 8:
            p.r = p.g = p.b = row[x];
            break;
        case 16: {
            uint16_t v;
            std::memcpy(&v, row + 2 * x, 2);
            TColorIG c = TColorIG::FromRGB565(v);
            p.r = c.R();
            p.g = c.G();
            p.b = c.B();
            if (arow)
                p.a = 255 - arow[x];
            break;
        }
        case 24:
            p.b = row[3 * x];
            p.g = row[3 * x + 1];
            p.r = row[3 * x + 2];
            break;
        case 32:
            p.b = row[4 * x];
            p.g = row[4 * x + 1];
            p.r = row[4 * x + 2];
            if (alpha32)
                p.a = row[4 * x + 3];
            break;
        }
        return p;
    }

    void Write(uint8_t* row, uint8_t* arow, int x, const Px& p) const
    {
        switch (bpp) {
        case 8:
            row[x] = uint8_t((77 * p.r + 150 * p.g + 29 * p.b) >> 8);
            break;
        case 16: {
            uint16_t v = TColorIG::PackRGB565(p.r, p.g, p.b);
            std::memcpy(row + 2 * x, &v, 2);
            if (arow)
                arow[x] = uint8_t(255 - p.a);
            break;
        }
        case 24:
            row[3 * x] = uint8_t(p.b);
            row[3 * x + 1] = uint8_t(p.g);
            row[3 * x + 2] = uint8_t(p.r);
            break;
        case 32:
            row[4 * x] = uint8_t(p.b);
            row[4 * x + 1] = uint8_t(p.g);
            row[4 * x + 2] = uint8_t(p.r);
            row[4 * x + 3] = alpha32 ? uint8_t(p.a) : 255;
            break;
        }
    }
};

Layout LayoutOf(const TDibIG& d)
{
    return Layout{d.Bpp(), d.Bpp() == 32 && d.Tiene_Alphas()};
}

// Copies every pixel of src into dst (same size), converting the layout.
void ConvertPixels(const TDibIG& src, TDibIG& dst)
{
    Layout in = LayoutOf(src), out = LayoutOf(dst);
    for (int y = 0; y < src.AbsHeight(); ++y) {
        const uint8_t* row = src.Row(y);
        const uint8_t* arow = src.AlphaRow(y);
        uint8_t* drow = dst.Row(y);
        uint8_t* darow = dst.AlphaRow(y);
        for (int x = 0; x < src.Width(); ++x)
            out.Write(drow, darow, x, in.Read(row, arow, x));
    }
}

} // namespace

TDibIG::TDibIG()
{
    Touch();
}

TDibIG::~TDibIG()
{
    std::free(bits_);
    std::free(alpha_);
}

void TDibIG::Touch()
{
    version_ = g_versions.fetch_add(1, std::memory_order_relaxed) + 1;
    derived_.reset();
}

bool TDibIG::SizeAllowed(int width, int height)
{
    return width >= 1 && height >= 1 && width <= MaxSide && height <= MaxSide &&
           int64_t(width) * height <= MaxPixels;
}

int TDibIG::LineSizeFor(int width, int bpp)
{
    return int((int64_t(width) * bpp + 31) / 32 * 4);
}

bool TDibIG::Crea(int width, int height, int bpp, bool withAlpha, bool bottomUp)
{
    Libera();
    if (!SizeAllowed(width, height) || (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
        return false;
    int line = LineSizeFor(width, bpp);
    // calloc: large planes come zeroed from the system without being touched.
    uint8_t* bits = static_cast<uint8_t*>(std::calloc(size_t(line) * size_t(height), 1));
    uint8_t* alpha = nullptr;
    if (bits && bpp == 16 && withAlpha) {
        alpha = static_cast<uint8_t*>(std::calloc(size_t(line / 2) * size_t(height), 1));
        if (!alpha) {
            std::free(bits);
            bits = nullptr;
        }
    }
    if (!bits)
        return false;
    bits_ = bits;
    alpha_ = alpha;
    width_ = width;
    height_ = height;
    bpp_ = bpp;
    lineSize_ = line;
    bottomUp_ = bottomUp;
    alpha32_ = bpp == 32 && withAlpha;
    premultiplied_ = false;
    Touch();
    return true;
}

void TDibIG::Libera()
{
    std::free(bits_);
    std::free(alpha_);
    bits_ = alpha_ = nullptr;
    width_ = height_ = bpp_ = lineSize_ = 0;
    bottomUp_ = alpha32_ = premultiplied_ = false;
    Touch();
}

uint8_t* TDibIG::Row(int y)
{
    return const_cast<uint8_t*>(static_cast<const TDibIG*>(this)->Row(y));
}

const uint8_t* TDibIG::Row(int y) const
{
    if (!bits_ || y < 0 || y >= height_)
        return nullptr;
    int stored = bottomUp_ ? height_ - 1 - y : y;
    return bits_ + size_t(stored) * size_t(lineSize_);
}

uint8_t* TDibIG::AlphaRow(int y)
{
    return const_cast<uint8_t*>(static_cast<const TDibIG*>(this)->AlphaRow(y));
}

const uint8_t* TDibIG::AlphaRow(int y) const
{
    if (!alpha_ || y < 0 || y >= height_)
        return nullptr;
    int stored = bottomUp_ ? height_ - 1 - y : y;
    return alpha_ + size_t(stored) * size_t(lineSize_ / 2);
}

bool TDibIG::CreaAlpha()
{
    if (bpp_ != 16)
        return false;
    if (alpha_)
        return true;
    alpha_ = static_cast<uint8_t*>(std::calloc(size_t(lineSize_ / 2) * size_t(height_), 1));
    Touch();
    return alpha_ != nullptr;
}

void TDibIG::QuitaAlpha()
{
    std::free(alpha_);
    alpha_ = nullptr;
    alpha32_ = false;
    Touch();
}

TColorIG TDibIG::GetPixel(int x, int y) const
{
    const uint8_t* row = Row(y);
    if (!row || x < 0 || x >= width_)
        return TColorIG();
    Px p = LayoutOf(*this).Read(row, nullptr, x);
    return TColorIG(p.r, p.g, p.b);
}

bool TDibIG::SetPixel(int x, int y, TColorIG c)
{
    uint8_t* row = Row(y);
    if (!row || x < 0 || x >= width_)
        return false;
    Layout l = LayoutOf(*this);
    Px p{c.R(), c.G(), c.B(), l.Read(row, nullptr, x).a};
    l.Write(row, nullptr, x, p);
    Touch();
    return true;
}

int TDibIG::GetAlpha(int x, int y) const
{
    const uint8_t* row = Row(y);
    if (!row || x < 0 || x >= width_)
        return 0;
    if (alpha_)
        return AlphaRow(y)[x];
    if (bpp_ == 32 && alpha32_)
        return 255 - row[4 * x + 3];
    return 0;
}

void TDibIG::Fill(TColorIG c)
{
    if (!bits_)
        return;
    Layout l = LayoutOf(*this);
    Px p{c.R(), c.G(), c.B(), 255};
    for (int y = 0; y < height_; ++y) {
        uint8_t* row = Row(y);
        uint8_t* arow = AlphaRow(y);
        for (int x = 0; x < width_; ++x)
            l.Write(row, arow, x, p);
    }
    Touch();
}

void TDibIG::TakeFrom(TDibIG& other)
{
    std::free(bits_);
    std::free(alpha_);
    bits_ = std::exchange(other.bits_, nullptr);
    alpha_ = std::exchange(other.alpha_, nullptr);
    width_ = other.width_;
    height_ = other.height_;
    bpp_ = other.bpp_;
    lineSize_ = other.lineSize_;
    bottomUp_ = other.bottomUp_;
    alpha32_ = other.alpha32_;
    premultiplied_ = other.premultiplied_;
    other.Libera();
    Touch();
}

void TDibIG::Swap(TDibIG& other)
{
    if (&other == this)
        return;
    std::swap(bits_, other.bits_);
    std::swap(alpha_, other.alpha_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(bpp_, other.bpp_);
    std::swap(lineSize_, other.lineSize_);
    std::swap(bottomUp_, other.bottomUp_);
    std::swap(alpha32_, other.alpha32_);
    std::swap(premultiplied_, other.premultiplied_);
    Touch();
    other.Touch();
}

bool TDibIG::Asigna(const TDibIG& src)
{
    if (&src == this)
        return true;
    if (src.IsEmpty()) {
        Libera();
        return true;
    }
    TDibIG t;
    if (!t.Crea(src.width_, src.height_, src.bpp_, src.Tiene_Alphas(), src.bottomUp_))
        return Libera(), false;
    std::memcpy(t.bits_, src.bits_, src.BitsSize());
    if (src.alpha_)
        std::memcpy(t.alpha_, src.alpha_, src.AlphaSize());
    t.premultiplied_ = src.premultiplied_;
    TakeFrom(t);
    return true;
}

TDibIG* TDibIG::CopyRect(const TRectIG& r) const
{
    TRectIG clip;
    if (IsEmpty() || !clip.Intersect(r, TRectIG(0, 0, width_, height_)))
        return nullptr;
    TDibIG* out = new TDibIG;
    if (!out->Crea(clip.Width(), clip.Height(), bpp_, Tiene_Alphas(), bottomUp_)) {
        delete out;
        return nullptr;
    }
    int bytes = BytesPerPixel();
    for (int y = clip.top; y < clip.bottom; ++y) {
        std::memcpy(out->Row(y - clip.top), Row(y) + size_t(clip.left) * bytes,
                    size_t(clip.Width()) * bytes);
        if (alpha_)
            std::memcpy(out->AlphaRow(y - clip.top), AlphaRow(y) + clip.left, size_t(clip.Width()));
    }
    out->premultiplied_ = premultiplied_;
    out->Touch();
    return out;
}

// Replaces the pixels with a copy in another layout; the premultiplied flag
// carries over only where alpha does.
bool TDibIG::ConvertInPlace(int bpp, bool withAlpha)
{
    TDibIG t;
    if (!t.Crea(width_, height_, bpp, withAlpha, bottomUp_))
        return false;
    ConvertPixels(*this, t);
    t.premultiplied_ = withAlpha && premultiplied_ && Tiene_Alphas();
    TakeFrom(t);
    return true;
}

bool TDibIG::ConvertDIB_24()
{
    if (IsEmpty())
        return false;
    return bpp_ == 24 || ConvertInPlace(24, false);
}

bool TDibIG::ConvertDIB_16xAlpha(int)
{
    if (IsEmpty())
        return false;
    return bpp_ == 16 ? CreaAlpha() : ConvertInPlace(16, true);
}

bool TDibIG::ConvertDIB_Grises()
{
    if (IsEmpty())
        return false;
    return bpp_ == 8 || ConvertInPlace(8, false);
}

void TDibIG::Set_PreMultiplied(int)
{
    if (premultiplied_ || IsEmpty())
        return;
    premultiplied_ = true;
    if (alpha_) {
        for (int y = 0; y < height_; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(Row(y));
            const uint8_t* arow = AlphaRow(y);
            for (int x = 0; x < width_; ++x) {
                int op = 255 - arow[x];
                if (op == 255)
                    continue;
                uint16_t p = row[x];
                int r = ((p >> 11) * op + 127) / 255;
                int g = (((p >> 5) & 0x3F) * op + 127) / 255;
                int b = ((p & 0x1F) * op + 127) / 255;
                row[x] = uint16_t(r << 11 | g << 5 | b);
            }
        }
    } else if (bpp_ == 32 && alpha32_) {
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = Row(y);
            for (int x = 0; x < width_; ++x) {
                uint8_t* p = row + 4 * x;
                int op = p[3];
                if (op == 255)
                    continue;
                for (int c = 0; c < 3; ++c)
                    p[c] = uint8_t((p[c] * op + 127) / 255);
            }
        }
    }
    Touch();
}

void TDibIG::Cancel_PreMultiplied()
{
    if (!premultiplied_)
        return;
    premultiplied_ = false;
    auto divide = [](int v, int op, int max) { return std::min(max, (v * 255 + op / 2) / op); };
    if (alpha_) {
        for (int y = 0; y < height_; ++y) {
            uint16_t* row = reinterpret_cast<uint16_t*>(Row(y));
            const uint8_t* arow = AlphaRow(y);
            for (int x = 0; x < width_; ++x) {
                int op = 255 - arow[x];
                if (op == 255 || op == 0)
                    continue;
                uint16_t p = row[x];
                int r = divide(p >> 11, op, 31);
                int g = divide((p >> 5) & 0x3F, op, 63);
                int b = divide(p & 0x1F, op, 31);
                row[x] = uint16_t(r << 11 | g << 5 | b);
            }
        }
    } else if (bpp_ == 32 && alpha32_) {
        for (int y = 0; y < height_; ++y) {
            uint8_t* row = Row(y);
            for (int x = 0; x < width_; ++x) {
                uint8_t* p = row + 4 * x;
                int op = p[3];
                if (op == 255 || op == 0)
                    continue;
                for (int c = 0; c < 3; ++c)
                    p[c] = uint8_t(divide(p[c], op, 255));
            }
        }
    }
    Touch();
}

bool TDibIG::ReduceImageSizeMax(int maxSide, bool smooth)
{
    if (maxSide < 1 || IsEmpty())
        return false;
    if (width_ <= maxSide && height_ <= maxSide)
        return true;
    int nw, nh;
    if (width_ >= height_) {
        nw = maxSide;
        nh = int(std::max<int64_t>(1, (int64_t(height_) * maxSide + width_ / 2) / width_));
    } else {
        nh = maxSide;
        nw = int(std::max<int64_t>(1, (int64_t(width_) * maxSide + height_ / 2) / height_));
    }
    TDibIG t;
    if (!t.Crea(nw, nh, bpp_, Tiene_Alphas(), bottomUp_))
        return false;
    Layout l = LayoutOf(*this);
    int bytes = BytesPerPixel();
    for (int y = 0; y < nh; ++y) {
        uint8_t* drow = t.Row(y);
        uint8_t* darow = t.AlphaRow(y);
        int y0 = int(int64_t(y) * height_ / nh);
        int y1 = std::max(y0 + 1, int(int64_t(y + 1) * height_ / nh));
        for (int x = 0; x < nw; ++x) {
            int x0 = int(int64_t(x) * width_ / nw);
            if (!smooth) {
                // Nearest: the source pixel under the centre of the target pixel.
                int sx = int((int64_t(2 * x + 1) * width_) / (2 * nw));
                int sy = int((int64_t(2 * y + 1) * height_) / (2 * nh));
                std::memcpy(drow + size_t(x) * bytes, Row(sy) + size_t(sx) * bytes, size_t(bytes));
                if (darow)
                    darow[x] = AlphaRow(sy)[sx];
                continue;
            }
            int x1 = std::max(x0 + 1, int(int64_t(x + 1) * width_ / nw));
            int64_t r = 0, g = 0, b = 0, a = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy) {
                const uint8_t* row = Row(sy);
                const uint8_t* arow = AlphaRow(sy);
                for (int sx = x0; sx < x1; ++sx, ++n) {
                    Px p = l.Read(row, arow, sx);
                    r += p.r;
                    g += p.g;
                    b += p.b;
                    a += p.a;
                }
            }
            Px avg{int(r / n), int(g / n), int(b / n), int(a / n)};
            LayoutOf(t).Write(drow, darow, x, avg);
        }
    }
    t.premultiplied_ = premultiplied_;
    TakeFrom(t);
    return true;
}

TRectIG TDibIG::RectRot() const
{
    return TRectIG(0, 0, width_, height_);
}

size_t TDibIG::GetMemoryUsed() const
{
    return sizeof(*this) + size_t(BitsSize()) + size_t(AlphaSize()) + (derived_ ? derived_->GetMemoryUsed() : 0);
}

// ---------------------------------------------------------------------------

TGetTDibBits::TGetTDibBits(TDibIG* dib) : dib_(dib) {}

TGetTDibBits::~TGetTDibBits()
{
    if (dib_)
        dib_->Touch();
}

uint8_t* TGetTDibBits::Bits() const
{
    return dib_ ? dib_->Bits() : nullptr;
}

uint16_t* TGetTDibBits::Bits16() const
{
    return dib_ && dib_->Bpp() == 16 ? reinterpret_cast<uint16_t*>(dib_->Bits()) : nullptr;
}

uint8_t* TGetTDibBits::Alpha() const
{
    return dib_ ? dib_->Alpha() : nullptr;
}

int TGetTDibBits::Width() const
{
    return dib_ ? dib_->Width() : 0;
}

int TGetTDibBits::Height() const
{
    return dib_ ? dib_->AbsHeight() : 0;
}

int TGetTDibBits::Bpp() const
{
    return dib_ ? dib_->Bpp() : 0;
}

int TGetTDibBits::LineSizeBytes() const
{
    return dib_ ? dib_->LineSizeBytes() : 0;
}

int TGetTDibBits::AlphaLineSize() const
{
    return dib_ ? dib_->AlphaLineSize() : 0;
}

uint32_t TGetTDibBits::BitsSize() const
{
    return dib_ ? dib_->BitsSize() : 0;
}

uint32_t TGetTDibBits::AlphaSize() const
{
    return dib_ ? dib_->AlphaSize() : 0;
}
