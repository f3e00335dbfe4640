#pragma once
#include <string>
#include <vector>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TCairoFont;

// Draws a signpost text: lines separated by '\n', each a panel (green when it holds
// a motorway shield or an exit box, else blue, 4 px apart). "[M7]" is a road shield
// (white on red for M roads, on blue otherwise), "<14>" an exit box (black on
// yellow); the rest is text in the given colour, wrapped at words to the width.
class TSignPostPaint {
public:
    TSignPostPaint();
    ~TSignPostPaint();
    TSignPostPaint(const TSignPostPaint&) = delete;
    TSignPostPaint& operator=(const TSignPostPaint&) = delete;

    // Lays text out for a width (maxWidth pixels) and a font size.
    void NewSignPost(const char* text, int fontSize, bool bold, TColorIG fore, int maxWidth, int paddingInner);
    // The laid-out height in pixels, and the number of wrapped lines.
    int Height() const { return height_; }
    int LineCount() const { return (int)lines_.size(); }
    // Draws at most lineCount lines with their top-left at topLeft, inside the
    // context's clip.
    void Pinta(IDC& dc, TPointIG topLeft, int lineCount);

    // The font file for signposts (the library's own font by default).
    static void SetFontFile(const std::string& file);

private:
    struct Piece {
        enum Kind { Text, Shield, Exit } kind;
        std::string text;
        double width;
    };
    struct Line {
        std::vector<Piece> pieces;
        bool green = false;
        double width = 0;
    };
    void Measure(Piece& piece) const;

    std::vector<Line> lines_;
    int fontSize_ = 14, padding_ = 4, height_ = 0, width_ = 0;
    bool bold_ = false;
    TColorIG fore_;
    TCairoFont* font_;
};
