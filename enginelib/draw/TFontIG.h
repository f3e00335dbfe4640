#pragma once
#include <string>

// A font as the library describes it: family name, size and style. It holds no
// glyphs; text is drawn by the UI engine's font manager (IDC::SetFontFunctionCallbacks)
// or, for the system-font renderer, by the platform's text service, which reads
// these fields.
class TFontIG {
public:
    TFontIG() = default;

    // Describes the font. size is in points at factor 1.0 (a screen pixel per
    // point); quality is kept for the text service (1 = smooth); factor scales
    // the size. False, and the font unchanged, for a null or empty name or a
    // size below 1.
    bool Create(const char* name, int size, bool bold, int quality, float factor, bool italic);

    // Works out the pixel size at the given screen scale (size x factor x scale,
    // rounded, at least 1). False when the font was never created or the scale
    // is not a positive number.
    bool Prepare(float scale);

    bool IsCreated() const { return created_; }
    const std::string& Name() const { return name_; }
    int Size() const { return size_; }
    bool Bold() const { return bold_; }
    bool Italic() const { return italic_; }
    int Quality() const { return quality_; }
    float Factor() const { return factor_; }
    // Escapement of stock fonts, in tenths of a degree (0 for Create).
    int Angle() const { return angle_; }
    void SetAngle(int tenths) { angle_ = tenths; }
    // The size Prepare worked out; 0 before.
    int PixelSize() const { return pixelSize_; }

    // Same description (name compared without regard to case).
    bool SameAs(const TFontIG& o) const;

private:
    std::string name_;
    int size_ = 0;
    bool bold_ = false;
    bool italic_ = false;
    int quality_ = 0;
    float factor_ = 1.0f;
    int angle_ = 0;
    int pixelSize_ = 0;
    bool created_ = false;
};
