#include "enginelib/nav/TCairoFont.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

TCairoFont::TCairoFont(const std::string& file) : file_(file)
{
    FT_Library library;
    if (file.empty() || FT_Init_FreeType(&library) != 0)
        return;
    library_ = library;
    FT_Face face;
    if (FT_New_Face(library, file.c_str(), 0, &face) != 0)
        return;
    ftFace_ = face;
    face_ = cairo_ft_font_face_create_for_ft_face(face, 0);
}

TCairoFont::~TCairoFont()
{
    if (face_)
        cairo_font_face_destroy(face_);
    if (ftFace_)
        FT_Done_Face(static_cast<FT_Face>(ftFace_));
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}
