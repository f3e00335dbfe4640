#include "enginelib/nav/TSignPostPaint.h"

#include <cairo.h>

#include <algorithm>
#include <mutex>

#include "enginelib/base/Path.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/CairoSurface.h"
#include "enginelib/nav/TCairoFont.h"

namespace {
std::mutex g_fontMutex;
std::string& FontFile()
{
    static std::string file = Path::ProgramFolder() + "/symbols/enginelib/fonts/DejaVuSans.ttf";
    return file;
}
const double kPanelGap = 4;
const double kShieldPad = 4;

cairo_t* Measurer(cairo_surface_t*& s)
{
    s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    return cairo_create(s);
}
} // namespace

void TSignPostPaint::SetFontFile(const std::string& file)
{
    std::lock_guard<std::mutex> lock(g_fontMutex);
    FontFile() = file;
}

TSignPostPaint::TSignPostPaint()
{
    std::lock_guard<std::mutex> lock(g_fontMutex);
    font_ = new TCairoFont(FontFile());
}

TSignPostPaint::~TSignPostPaint() { delete font_; }

void TSignPostPaint::Measure(Piece& piece) const
{
    if (!font_->Face()) {
        piece.width = piece.text.size() * fontSize_ * 0.6;
        return;
    }
    cairo_surface_t* s;
    cairo_t* cr = Measurer(s);
    cairo_set_font_face(cr, font_->Face());
    cairo_set_font_size(cr, fontSize_);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, piece.text.c_str(), &ext);
    piece.width = ext.x_advance + (piece.kind == Piece::Text ? 0 : 2 * kShieldPad);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
}

void TSignPostPaint::NewSignPost(const char* text, int fontSize, bool bold, TColorIG fore, int maxWidth,
                                 int paddingInner)
{
    lines_.clear();
    fontSize_ = std::max(6, std::min(fontSize, 200));
    bold_ = bold;
    fore_ = fore;
    padding_ = std::max(0, std::min(paddingInner, 100));
    width_ = std::max(1, maxWidth);
    const std::string all = text ? text : "";
    size_t start = 0;
    while (start <= all.size()) {
        const size_t nl = all.find('\n', start);
        const std::string source = all.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        // Cut the line into shields, exit boxes and words.
        std::vector<Piece> pieces;
        bool green = false;
        for (size_t i = 0; i < source.size();) {
            const char open = source[i];
            const size_t close = open == '[' ? source.find(']', i) : open == '<' ? source.find('>', i) : std::string::npos;
            if (close != std::string::npos) {
                Piece p{open == '[' ? Piece::Shield : Piece::Exit, source.substr(i + 1, close - i - 1), 0};
                green = green || p.kind == Piece::Exit || (!p.text.empty() && p.text[0] == 'M');
                pieces.push_back(p);
                i = close + 1;
                continue;
            }
            if (source[i] == ' ') {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < source.size() && source[end] != ' ' && source[end] != '[' && source[end] != '<')
                ++end;
            if (end == i)
                ++end;
            pieces.push_back({Piece::Text, source.substr(i, end - i), 0});
            i = end;
        }
        // Wrap at pieces to the width.
        Line line;
        line.green = green;
        const double space = fontSize_ * 0.35;
        const double room = width_ - 2.0 * padding_;
        for (Piece& p : pieces) {
            Measure(p);
            const double needed = (line.pieces.empty() ? 0 : space) + p.width;
            if (!line.pieces.empty() && line.width + needed > room) {
                lines_.push_back(line);
                line = Line();
                line.green = green;
            }
            line.width += (line.pieces.empty() ? 0 : space) + p.width;
            line.pieces.push_back(p);
        }
        lines_.push_back(line);
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    const double lineHeight = fontSize_ * 1.4 + 2 * padding_;
    height_ = (int)(lines_.size() * lineHeight + (lines_.size() - 1) * kPanelGap);
}

void TSignPostPaint::Pinta(IDC& dc, TPointIG topLeft, int lineCount)
{
    TDibIG* target = dc.GetTargetForDirectDrawing();
    cairo_surface_t* surface = target ? CreateCairoSurface(*target) : nullptr;
    if (!surface)
        return;
    cairo_t* cr = cairo_create(surface);
    const TRectIG clip = dc.GetClipRect();
    if (!(clip.left == 0 && clip.top == 0 && clip.right == 0 && clip.bottom == 0)) {
        cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
        cairo_clip(cr);
    }
    if (font_->Face())
        cairo_set_font_face(cr, font_->Face());
    cairo_set_font_size(cr, fontSize_);
    const double lineHeight = fontSize_ * 1.4 + 2 * padding_;
    const double space = fontSize_ * 0.35;
    double y = topLeft.y;
    const int count = std::min<int>(std::max(0, lineCount), (int)lines_.size());
    for (int i = 0; i < count; ++i) {
        const Line& line = lines_[i];
        if (line.green)
            cairo_set_source_rgb(cr, 0.05, 0.45, 0.2);
        else
            cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
        cairo_rectangle(cr, topLeft.x, y, width_, lineHeight);
        cairo_fill(cr);
        double x = topLeft.x + padding_;
        const double baseline = y + padding_ + fontSize_ * 1.05;
        for (const Piece& p : line.pieces) {
            if (p.kind != Piece::Text) {
                const bool motorway = p.kind == Piece::Shield && !p.text.empty() && p.text[0] == 'M';
                if (p.kind == Piece::Exit)
                    cairo_set_source_rgb(cr, 1, 0.85, 0.1);
                else if (motorway)
                    cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
                else
                    cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
                cairo_rectangle(cr, x, y + padding_, p.width, lineHeight - 2 * padding_);
                cairo_fill(cr);
                if (p.kind == Piece::Exit)
                    cairo_set_source_rgb(cr, 0, 0, 0);
                else
                    cairo_set_source_rgb(cr, 1, 1, 1);
                cairo_move_to(cr, x + kShieldPad, baseline);
            } else {
                cairo_set_source_rgb(cr, fore_.R() / 255.0, fore_.G() / 255.0, fore_.B() / 255.0);
                cairo_move_to(cr, x, baseline);
            }
            if (font_->Face())
                cairo_show_text(cr, p.text.c_str());
            x += p.width + space;
        }
        y += lineHeight + kPanelGap;
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    target->Touch();
}
