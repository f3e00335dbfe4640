#include "enginelib/base/Zip.h"

#include <zlib.h>

bool Desenzipa_MEM_MEM(const void* in, uint32_t inLen, void* out, uint32_t& outLen) {
    if (!in || (!out && outLen > 0)) {
        outLen = 0;
        return false;
    }
    unsigned char dummy = 0;
    uLongf produced = outLen;
    uLong consumed = inLen;
    int rc = uncompress2(out ? static_cast<Bytef*>(out) : &dummy, &produced,
                         static_cast<const Bytef*>(in), &consumed);
    if (rc != Z_OK) {
        outLen = 0;
        return false;
    }
    outLen = uint32_t(produced);
    return true;
}

uint32_t Enzipa_TamMaximo(uint32_t inLen) {
    uLong bound = compressBound(inLen);
    return bound > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(bound);
}

bool Enzipa_MEM_MEM(const void* in, uint32_t inLen, void* out, uint32_t& outLen) {
    if ((!in && inLen > 0) || !out) {
        outLen = 0;
        return false;
    }
    static const Bytef empty = 0;
    uLongf produced = outLen;
    int rc = compress2(static_cast<Bytef*>(out), &produced,
                       in ? static_cast<const Bytef*>(in) : &empty, inLen, Z_BEST_COMPRESSION);
    if (rc != Z_OK) {
        outLen = 0;
        return false;
    }
    outLen = uint32_t(produced);
    return true;
}
