#pragma once
// A skins folder of the fuzz targets' own, in a temporary folder removed with it.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/TestPaths.h"

class FuzzSkinFolder {
public:
    const std::string& path() const { return folder_.path(); }
    // The folder + "/" + relative.
    std::string Path(const std::string& relative) const { return folder_ / relative; }

    void Write(const std::string& relative, const void* data, size_t size) const
    {
        const std::filesystem::path file = Path(relative);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc).write((const char*)data, (std::streamsize)size);
    }
    void Remove(const std::string& relative) const
    {
        std::error_code ec;
        std::filesystem::remove(Path(relative), ec);
    }

    // Copies the fixture skin's images, stylesheet and user control into skin
    // (its settings and pages stay behind), and the default skin's fonts.
    void CopyFixture(const std::string& skin) const
    {
        namespace fs = std::filesystem;
        fs::create_directories(Path(skin));
        for (const auto& entry : fs::directory_iterator(testpaths::Fixture("skins/fixture"))) {
            const std::string name = entry.path().filename().string();
            if (name == "skin.xml" || (entry.path().extension() == ".xml" && name.rfind("page", 0) == 0))
                continue;
            fs::copy_file(entry.path(), Path(skin + "/" + name), fs::copy_options::overwrite_existing);
        }
        for (const char* font : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"})
            fs::copy_file(testpaths::SourceDir() + "/skins/default/" + font, Path(skin + "/" + font),
                          fs::copy_options::overwrite_existing);
    }

private:
    testpaths::TempDir folder_;
};
