#pragma once
#include <string>

// Locations the tests read from and write to.
namespace testpaths {

// The source tree (for tests/fixtures and skins/default).
std::string SourceDir();
// SourceDir() + "/tests/fixtures/" + relative.
std::string Fixture(const std::string& relative);
// A fresh empty folder under the system temporary folder, removed by the caller's TempDir.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace testpaths
