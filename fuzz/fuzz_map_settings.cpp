// The map page's two setting texts: the data-field layout, of which it takes
// the first page's fields, and the slider state "i|j". Any text parses without
// fault; the field count is bounded by the text; restored indexes always name a
// slide (or none when there is none).
#include <cstdint>
#include <string>

#include "display/pages/TPageMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* s = text.c_str();  // up to the first NUL, as the settings hold them

    const std::vector<int> fields = TPageMap::MapPageFields(s);
    size_t commas = 0;
    for (const char* p = s; *p && *p != ';'; ++p)
        commas += *p == ',';
    if (fields.size() > commas + 1)
        __builtin_trap();

    const int counts[][2] = {{0, 0}, {1, 3}, {3, 1}, {7, 2}};
    for (const auto& c : counts) {
        int a = 12345, b = 12345;
        TPageMap::ParseSliderState(s, c[0], c[1], a, b);
        if (c[0] == 0 ? a != -1 : (a < 0 || a >= c[0]))
            __builtin_trap();
        if (c[1] == 0 ? b != -1 : (b < 0 || b >= c[1]))
            __builtin_trap();
    }
    return 0;
}
