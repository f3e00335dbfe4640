// Reads any bytes as a stylesheet and applies it. Bytes after a NUL, when there
// is one, are the page it is applied to; otherwise a small fixed page.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleSheet.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {
const char kPage[] =
    "<page id=\"p\"><box class=\"bar\"><button id=\"btnOk\" class=\"big\" fontSize=\"9\"/>text"
    "<label/></box><box><usercontrol type=\"x\"><image id=\"i\"/></usercontrol></box></page>";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> css(data, data + size);
    css.push_back('\0');
    const char* nul = (const char*)std::memchr(data, 0, size);
    std::vector<char> page;
    if (nul)
        page.assign(nul + 1, (const char*)data + size);
    else
        page.assign(kPage, kPage + sizeof(kPage) - 1);
    page.push_back('\0');

    static TPDAUIEngineSkinSettings settings;
    settings.landscape = size & 1;
    TPDAUIEngineSkinSettings::SetCurrent(&settings);

    TPDAUIEngineStyleSheet sheet;
    sheet.Parse(css.data());
    for (int i = 1; i < sheet.rules.Count(); ++i)
        if (*sheet.rules[i] < *sheet.rules[i - 1])
            __builtin_trap();  // the rules must stay ordered
    TPDAUIEngineXml root;
    root.Parse(page.data());
    sheet.ApplyToXml(&root);
    root.ToString(0);
    TPDAUIEngineSkinSettings::SetCurrent(nullptr);
    return 0;
}
