#pragma once
#include <cstdint>

// Memory-to-memory compression in the zlib format (RFC 1950).

// Inflates `in` (inLen bytes) into `out`. On entry outLen is the room in `out`; on
// success it is the number of bytes produced. False (and outLen 0) for a corrupt or
// truncated block, or one that does not fit.
bool Desenzipa_MEM_MEM(const void* in, uint32_t inLen, void* out, uint32_t& outLen);

// The most bytes Enzipa_MEM_MEM can produce from inLen bytes.
uint32_t Enzipa_TamMaximo(uint32_t inLen);

// Deflates `in` into `out` (room outLen, at least Enzipa_TamMaximo(inLen) is always
// enough); on success outLen is the compressed length.
bool Enzipa_MEM_MEM(const void* in, uint32_t inLen, void* out, uint32_t& outLen);
