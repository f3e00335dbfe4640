// Inflates any bytes with the memory-to-memory decompressor. The first two bytes
// give the room offered for the output (little-endian), the rest is the block.
// What inflates must fit the room, deflate again and come back unchanged; what
// fails must report no output.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "enginelib/base/Zip.h"

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t room = uint32_t(data[0]) | uint32_t(data[1]) << 8;
    // Exact-size copies, so a read or write past either block is caught.
    const uint32_t inLen = uint32_t(size - 2);
    std::unique_ptr<uint8_t[]> in(new uint8_t[inLen ? inLen : 1]);
    std::memcpy(in.get(), data + 2, inLen);
    std::unique_ptr<uint8_t[]> out(room ? new uint8_t[room] : nullptr);

    uint32_t outLen = room;
    if (!Desenzipa_MEM_MEM(in.get(), inLen, out.get(), outLen)) {
        Check(outLen == 0);
        return 0;
    }
    Check(outLen <= room);

    uint32_t packedLen = Enzipa_TamMaximo(outLen);
    std::unique_ptr<uint8_t[]> packed(new uint8_t[packedLen]);
    Check(Enzipa_MEM_MEM(out.get(), outLen, packed.get(), packedLen));
    std::unique_ptr<uint8_t[]> again(new uint8_t[outLen ? outLen : 1]);
    uint32_t againLen = outLen;
    Check(Desenzipa_MEM_MEM(packed.get(), packedLen, again.get(), againLen));
    Check(againLen == outLen && (outLen == 0 || std::memcmp(again.get(), out.get(), outLen) == 0));
    return 0;
}
