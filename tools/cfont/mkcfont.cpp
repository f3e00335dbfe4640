// Makes a ".cfont" bitmap font from TrueType files.
//
//   mkcfont --regular Font.ttf [--bold Font-Bold.ttf] --heights 16,20
//           --codes 0x20-0x7E,0x5D0-0x5EA,0x2026 --out Font.cfont [--check]
//
// Codes are single values or spans; every 256 codes holding one become a range.
// --check writes nothing and fails when the file at --out differs from what
// would be written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/cfont/CFontFromFreeType.h"

namespace {

std::vector<int> Numbers(const char* list)
{
    std::vector<int> out;
    std::string s(list);
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(',', start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            out.push_back(int(std::strtol(s.substr(start, end - start).c_str(), nullptr, 0)));
        start = end + 1;
    }
    return out;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return true;
}

// "A-B,C" to a filter over 0..0xFFFF; false for a code outside it.
bool Codes(const char* list, CFontFromFreeType::CodeFilter& wanted)
{
    wanted.assign(0x10000, false);
    std::string s(list);
    size_t start = 0;
    while (start < s.size()) {
        size_t end = s.find(',', start);
        if (end == std::string::npos)
            end = s.size();
        const std::string item = s.substr(start, end - start);
        char* rest = nullptr;
        const long from = std::strtol(item.c_str(), &rest, 0);
        long to = from;
        if (rest && *rest == '-')
            to = std::strtol(rest + 1, nullptr, 0);
        if (from < 0 || to > 0xFFFF || from > to)
            return false;
        for (long c = from; c <= to; ++c)
            wanted[size_t(c)] = true;
        start = end + 1;
    }
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: mkcfont --regular FILE [--bold FILE] --heights N,... "
                         "--codes A-B,C,... --out FILE [--check]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string regularPath, boldPath, out;
    std::vector<int> heights;
    CFontFromFreeType::CodeFilter wanted;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--check") {
            check = true;
            continue;
        }
        if (!next)
            return Usage();
        ++i;
        if (a == "--regular")
            regularPath = next;
        else if (a == "--bold")
            boldPath = next;
        else if (a == "--heights")
            heights = Numbers(next);
        else if (a == "--codes") {
            if (!Codes(next, wanted)) {
                std::fprintf(stderr, "mkcfont: codes %s: each must be a code or span in 0..0xFFFF\n", next);
                return 2;
            }
        }
        else if (a == "--out")
            out = next;
        else
            return Usage();
    }
    if (regularPath.empty() || out.empty() || heights.empty() || wanted.empty())
        return Usage();
    for (int px : heights)
        if (px < 1 || px > 128) {
            std::fprintf(stderr, "mkcfont: height %d is outside 1..128\n", px);
            return 2;
        }

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return 1;
    FT_Face regular = nullptr, bold = nullptr;
    if (FT_New_Face(library, regularPath.c_str(), 0, &regular) != 0) {
        std::fprintf(stderr, "mkcfont: %s: not a font FreeType can read\n", regularPath.c_str());
        return 1;
    }
    if (!boldPath.empty() && FT_New_Face(library, boldPath.c_str(), 0, &bold) != 0) {
        std::fprintf(stderr, "mkcfont: %s: not a font FreeType can read\n", boldPath.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = CFontFromFreeType::Make(regular, bold, heights, wanted).Bytes();
    FT_Done_Face(regular);
    if (bold)
        FT_Done_Face(bold);
    FT_Done_FreeType(library);

    if (check) {
        std::vector<uint8_t> existing;
        if (!ReadFile(out, existing) || existing != bytes) {
            std::fprintf(stderr, "mkcfont: %s differs from what the generator makes; run it again\n",
                         out.c_str());
            return 1;
        }
        return 0;
    }
    if (!CFontWriter::Save(out, bytes)) {
        std::fprintf(stderr, "mkcfont: %s: cannot be written\n", out.c_str());
        return 1;
    }
    std::printf("%s: %zu bytes\n", out.c_str(), bytes.size());
    return 0;
}
