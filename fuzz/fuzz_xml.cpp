// Reads any bytes as a skin XML file, then walks, copies and writes the tree.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "uiengine/core/TPDAUIEngineXml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> buf(data, data + size);
    buf.push_back('\0');
    TPDAUIEngineXml root;
    root.Parse(buf.data());

    root.GetAttribute("id", "");
    root.GetAttributeInt("width", 7, 1.5f);
    root.GetAttributeFloat("scale", 1.0f);
    root.GetAttributeBool("visible", true);
    root.GetChildAttribute("box", "class", "");
    VectorP<TPDAUIEngineXml> found(10, 0, false);
    root.FindDescendants("usercontrol", found);

    // Written text reads back without trouble, and a copy writes the same way.
    DString written = root.ToString(0);
    TPDAUIEngineXml again;
    again.Parse(written.str());
    TPDAUIEngineXml copy;
    copy.CopyFrom(&root);
    copy.ToString(1);
    if (found.Count() > 0)
        found[0]->CopyFrom(&root);  // a tree into a node inside it
    return 0;
}
