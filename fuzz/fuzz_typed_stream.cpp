// Reads a sequence of typed values from a memory stream, the sequence chosen by the
// input: byte 0 is the number of operations, the next bytes are the operations, and
// the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "enginelib/base/TFicheroITV.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t nops = data[0];
    if (nops > size - 1) nops = size - 1;
    const uint8_t* ops = data + 1;
    // An exact-size copy, so any read past the stream is a read past the heap block.
    std::vector<uint8_t> body(data + 1 + nops, data + size);
    const uint32_t len = uint32_t(body.size());

    TFicheroITVdatos st(body.data(), ITV_MODO_LECTURA, len);
    Check(st.EstaAbierto());
    for (size_t k = 0; k < nops; ++k) {
        const uint8_t op = ops[k];
        const uint32_t arg = op >> 4;
        const bool failedBefore = st.Error();
        long long value = 0;
        switch (op % 14) {
        case 0: { char v; st >> v; value = v; break; }
        case 1: { unsigned char v; st >> v; value = v; break; }
        case 2: { bool v; st >> v; value = v; break; }
        case 3: { short v; st >> v; value = v; break; }
        case 4: { unsigned short v; st >> v; value = v; break; }
        case 5: { int v; st >> v; value = v; break; }
        case 6: { unsigned int v; st >> v; value = v; break; }
        case 7: { unsigned long v; st >> v; value = (long long)v; break; }
        case 8: { float v; st >> v; uint32_t bits; std::memcpy(&bits, &v, 4); value = bits; break; }
        case 9: {
            DString v;
            st >> v;
            Check(uint32_t(v.Length()) <= len);
            value = v.Length();
            break;
        }
        case 10: st.Skip(arg); break;
        case 11: st.Seek(arg * 3); break;
        case 12: {
            unsigned char buf[16];
            uint32_t got = st.Lee(buf, arg);
            Check(got <= arg);
            break;
        }
        case 13: {
            DString all;
            if (st.Lee_Todo_Str(all)) Check(uint32_t(all.Length()) == len);
            break;
        }
        }
        // A failed stream stays failed and reads nothing but zeros.
        if (failedBefore) Check(st.Error() && value == 0);
        Check(st.Tell() <= st.FileSize());
        Check(st.FileSize() == len);
    }
    st.CierraEx(true);
    return 0;
}
