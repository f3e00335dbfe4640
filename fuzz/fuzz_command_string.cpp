// Command strings posted by any code (key maps, the library, pages), the
// data-field layout setting and translated one-string formats: any text is
// parsed without fault, a parsed command string is rebuilt to the same id and
// argument, and removing a field leaves none of it behind.
#include <cstring>
#include <string>

#include "app/TOrbetaAppCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* s = text.c_str();  // up to the first NUL, as the engine's texts are

    int id = 0;
    DString argument;
    if (TOrbetaAppCommands::ParseCommandString(s, &id, &argument)) {
        const DString again = TOrbetaAppCommands::MakeCommandString(id, argument.c_str());
        int id2 = -1;
        DString argument2;
        if (!TOrbetaAppCommands::ParseCommandString(again.c_str(), &id2, &argument2) || id2 != id ||
            std::strcmp(argument2.c_str(), argument.c_str()) != 0)
            __builtin_trap();
    }

    // The first bytes choose the field; the rest is the layout.
    if (size >= 2) {
        const int field = (int)(int8_t)data[0] * 256 + data[1];
        const std::string rest = text.substr(2);
        DString layout(rest.c_str());
        if (TOrbetaAppCommands::RemoveDataField(layout, field)) {
            DString twice = layout;
            if (TOrbetaAppCommands::RemoveDataField(twice, field) && field != 86)
                __builtin_trap();
        }
    }

    const DString formatted = TOrbetaAppCommands::FormatOneString(s, "arg");
    if (formatted.Length() > (int)std::strlen(s) + 3)
        __builtin_trap();
    return 0;
}
