#include "support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testpaths {

std::string SourceDir()
{
    if (const char* env = std::getenv("ORBETA_SOURCE_DIR"))
        return env;
    return ORBETA_SOURCE_DIR;
}

std::string Fixture(const std::string& relative)
{
    return SourceDir() + "/tests/fixtures/" + relative;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orbeta-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace testpaths
