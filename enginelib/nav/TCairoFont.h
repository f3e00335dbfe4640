#pragma once
#include <string>

typedef struct _cairo_font_face cairo_font_face_t;

// A TrueType file opened once for cairo's text (names on the map, signposts).
class TCairoFont {
public:
    // An empty or unreadable file gives no face: text is then not drawn.
    explicit TCairoFont(const std::string& file);
    ~TCairoFont();
    TCairoFont(const TCairoFont&) = delete;
    TCairoFont& operator=(const TCairoFont&) = delete;

    cairo_font_face_t* Face() const { return face_; }
    const std::string& File() const { return file_; }

private:
    std::string file_;
    cairo_font_face_t* face_ = nullptr;
};
