// Bounds-checked big-endian reading of a byte range: a read past the end
// yields zero and marks the reader failed, so parsers check once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace objecttool {

class BigEndianReader {
public:
    BigEndianReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit BigEndianReader(const std::vector<std::uint8_t>& bytes) : BigEndianReader(bytes.data(), bytes.size()) {}

    bool ok() const { return ok_; }
    std::size_t position() const { return at_; }
    std::size_t remaining() const { return size_ - at_; }
    const std::uint8_t* here() const { return data_ + at_; }

    bool skip(std::size_t n) {
        if (n > remaining()) return ok_ = false;
        at_ += n;
        return true;
    }
    std::uint8_t u8() { return std::uint8_t(take(1)); }
    std::uint16_t u16() { return std::uint16_t(take(2)); }
    std::uint32_t u32() { return std::uint32_t(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::int16_t s16() { return std::int16_t(u16()); }
    std::int32_t s32() { return std::int32_t(u32()); }
    float f32() {
        const std::uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::uint64_t take(std::size_t n) {
        if (n > remaining()) {
            ok_ = false;
            at_ = size_;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = v << 8 | data_[at_ + i];
        at_ += n;
        return v;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// Appends big-endian values, for the types that write themselves.
inline void put_be(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}
inline void put_f32(std::vector<std::uint8_t>& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put_be(out, bits, 4);
}

}  // namespace objecttool
