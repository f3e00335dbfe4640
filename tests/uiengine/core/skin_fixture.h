#pragma once
// Skin folders written into a temporary folder for the skin-loading and
// resource-store tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "enginelib/draw/TDibIGformat.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"

namespace skinfixture {

inline void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A w x h image of one colour; cells of 8 px get their index in the red
// channel of their first pixel, so a cell can be told from its neighbours.
inline void WriteImage(const std::string& path, int w, int h, TColorIG c)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    TDibIGformat image;
    image.Crea(w, h, 16);
    image.Fill(c);
    for (int x = 8; x + 8 <= w; x += 8)
        image.SetPixel(x, 0, TColorIG(8 * x, 0, 0));
    ASSERT_TRUE(image.Guarda(path.c_str()));
}

inline std::string SkinXml(int version, const std::string& inner = "",
                           const std::string& attributes = "")
{
    return "<skin version=\"" + std::to_string(version) + "\" " + attributes + ">\n" + inner +
           "\n</skin>\n";
}

// The engine of these tests: a headless engine that records font calls.
class SkinEngine : public TestEngine {
public:
    bool AddFont(const char* path) override
    {
        fontsAdded.push_back(path);
        return TestEngine::AddFont(path);
    }
    void ClearFonts() override
    {
        ++fontClears;
        TestEngine::ClearFonts();
    }
    std::vector<std::string> fontsAdded;
    int fontClears = 0;
};

// The pixel as a 16-bit image holds it.
inline TColorIG Stored(TColorIG c) { return TColorIG::FromRGB565(c.ToRGB565()); }

} // namespace skinfixture
