#pragma once
// Shared setup of the style and value-type tests: published skin settings,
// typed-stream bytes and a drawing surface.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"

namespace styletest {

using Bytes = std::vector<unsigned char>;

const TColorIG kPaper(64, 64, 64);

// Skin settings published for the life of the object: UI scale, and the
// screen size where it matters.
class LiveSettings {
public:
    explicit LiveSettings(float scale = 1.0f) : previous_(TPDAUIEngineSkinSettings::Current())
    {
        settings_.uiScale = scale;
        TPDAUIEngineSkinSettings::SetCurrent(&settings_);
    }
    LiveSettings(float scale, int width, int height) : LiveSettings(scale)
    {
        settings_.screenWidth = width;
        settings_.screenHeight = height;
    }
    ~LiveSettings() { TPDAUIEngineSkinSettings::SetCurrent(previous_); }
    LiveSettings(const LiveSettings&) = delete;
    LiveSettings& operator=(const LiveSettings&) = delete;
    void SetScale(float scale) { settings_.uiScale = scale; }

private:
    TPDAUIEngineSkinSettings settings_;
    TPDAUIEngineSkinSettings* previous_;
};

// What a writer puts into a typed stream, byte for byte.
template <class Fn>
Bytes Written(Fn write)
{
    testpaths::TempDir dir;
    const std::string path = dir / "stream.bin";
    TFicheroITV f;
    EXPECT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
    write(f);
    EXPECT_TRUE(f.Cierra());
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 32-bit drawing surface filled with kPaper.
class Canvas {
public:
    Canvas(int w, int h)
    {
        EXPECT_TRUE(dib.Crea(w, h, 32));
        dib.Fill(kPaper);
        EXPECT_TRUE(dc.BeginPaintDib(&dib));
    }
    ~Canvas() { Finish(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    void Finish()
    {
        if (open_)
            dc.EndPaintDib();
        open_ = false;
    }
    TColorIG At(int x, int y) const { return dib.GetPixel(x, y); }
    int Count(TColorIG c) const
    {
        int n = 0;
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                n += dib.GetPixel(x, y) == c;
        return n;
    }
    // Pixels that differ from kPaper.
    int Painted() const { return dib.Width() * dib.AbsHeight() - Count(kPaper); }

    TDibIG dib;
    IDC dc;

private:
    bool open_ = true;
};

} // namespace styletest
