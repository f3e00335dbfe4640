#include "enginelib/draw/TFontIG.h"

#include <cmath>
#include <strings.h>

bool TFontIG::Create(const char* name, int size, bool bold, int quality, float factor, bool italic)
{
    if (!name || !*name || size < 1)
        return false;
    if (!std::isfinite(factor) || factor <= 0.0f)
        factor = 1.0f;
    name_ = name;
    size_ = size;
    bold_ = bold;
    italic_ = italic;
    quality_ = quality;
    factor_ = factor;
    angle_ = 0;
    pixelSize_ = 0;
    created_ = true;
    return true;
}

bool TFontIG::Prepare(float scale)
{
    if (!created_ || !std::isfinite(scale) || scale <= 0.0f)
        return false;
    const double px = std::lround(double(size_) * factor_ * scale);
    pixelSize_ = px < 1.0 ? 1 : px > 100000.0 ? 100000 : int(px);
    return true;
}

bool TFontIG::SameAs(const TFontIG& o) const
{
    return created_ == o.created_ && size_ == o.size_ && bold_ == o.bold_ && italic_ == o.italic_ &&
           quality_ == o.quality_ && factor_ == o.factor_ && angle_ == o.angle_ &&
           strcasecmp(name_.c_str(), o.name_.c_str()) == 0;
}
