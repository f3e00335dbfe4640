#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// MD5 message digest (RFC 1321), for checking files against their published sums.
class Md5 {
public:
    Md5();
    void Update(const void* data, size_t length);
    // The digest as 32 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

    static std::string Of(const std::string& bytes);
    // Empty when the file cannot be read.
    static std::string OfFile(const char* path);

private:
    void Block(const uint8_t* block);
    uint32_t state_[4];
    uint64_t length_ = 0;
    uint8_t buffer_[64];
    size_t used_ = 0;
};
