#include "enginelib/nav/TCairoFont.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <mutex>

namespace {
// One FreeType library for the process: cairo may keep faces made from it until
// its own caches let go of them, after the last TCairoFont.
FT_Library Library()
{
    static std::once_flag once;
    static FT_Library library = nullptr;
    std::call_once(once, [] {
        if (FT_Init_FreeType(&library) != 0)
            library = nullptr;
    });
    return library;
}

const cairo_user_data_key_t kFaceKey = {};

void DoneFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }
} // namespace

TCairoFont::TCairoFont(const std::string& file) : file_(file)
{
    FT_Library library = Library();
    FT_Face face;
    if (file.empty() || !library || FT_New_Face(library, file.c_str(), 0, &face) != 0)
        return;
    face_ = cairo_ft_font_face_create_for_ft_face(face, 0);
    // The FreeType face lives as long as cairo's face, however long cairo keeps it.
    if (cairo_font_face_set_user_data(face_, &kFaceKey, face, DoneFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face_);
        FT_Done_Face(face);
        face_ = nullptr;
    }
}

TCairoFont::~TCairoFont()
{
    if (face_)
        cairo_font_face_destroy(face_);
}
