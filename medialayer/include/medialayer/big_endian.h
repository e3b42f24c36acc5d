// Big-endian byte access for QuickTime atoms: a bounds-checked reader that
// never reads past its span, and an appending writer that patches atom sizes.
// Public, so the tools that parse QuickTime records of their own read them the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace medialayer {

// Reads big-endian values from a span. Reading past the end yields zeros and
// marks the reader failed; callers check ok() once after a record.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes) : ByteReader(bytes.data(), bytes.size()) {}

    bool ok() const { return ok_; }
    std::size_t remaining() const { return size_ - pos_; }
    std::size_t position() const { return pos_; }
    const std::uint8_t* here() const { return data_ + pos_; }

    bool has(std::size_t n) const { return n <= size_ - pos_; }
    bool skip(std::size_t n) {
        if (!has(n)) return fail();
        pos_ += n;
        return true;
    }
    std::uint8_t u8() { return std::uint8_t(take(1)); }
    std::uint16_t u16() { return std::uint16_t(take(2)); }
    std::uint32_t u32() { return std::uint32_t(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::int16_t s16() { return std::int16_t(u16()); }
    std::int32_t s32() { return std::int32_t(u32()); }
    std::int64_t s64() { return std::int64_t(u64()); }
    float f32() {
        const std::uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // Copies n bytes; an empty vector and failure when fewer remain.
    std::vector<std::uint8_t> bytes(std::size_t n) {
        if (!has(n)) {
            fail();
            return {};
        }
        std::vector<std::uint8_t> out(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return out;
    }

private:
    bool fail() {
        ok_ = false;
        pos_ = size_;
        return false;
    }
    std::uint64_t take(std::size_t n) {
        if (!has(n)) {
            fail();
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v = (v << 8) | data_[pos_ + i];
        pos_ += n;
        return v;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Appends big-endian values to a byte vector.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    std::size_t size() const { return out_.size(); }
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u64(std::uint64_t v) { put(v, 8); }
    void f32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
    void bytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + n);
    }
    void bytes(const std::vector<std::uint8_t>& v) { out_.insert(out_.end(), v.begin(), v.end()); }

    // Starts an atom with a 32-bit size to be patched by end_atom.
    std::size_t begin_atom(std::uint32_t type) {
        std::size_t at = out_.size();
        u32(0);
        u32(type);
        return at;
    }
    // An atom past 4 GiB cannot carry a 32-bit size: the writer is then no longer ok.
    void end_atom(std::size_t at) {
        const std::uint64_t size = out_.size() - at;
        if (size > 0xFFFFFFFFu) fits_ = false;
        patch32(at, std::uint32_t(size));
    }
    // False once an atom did not fit its size field; the bytes are then not a movie.
    bool ok() const { return fits_; }
    void patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_[at + i] = std::uint8_t(v >> (24 - 8 * i));
    }

private:
    bool fits_ = true;
    void put(std::uint64_t v, int n) {
        for (int i = n - 1; i >= 0; --i) out_.push_back(std::uint8_t(v >> (8 * i)));
    }
    std::vector<std::uint8_t>& out_;
};

inline void put_be32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (24 - 8 * i));
}
inline void put_be64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = std::uint8_t(v >> (56 - 8 * i));
}
inline std::uint32_t get_be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint64_t get_be64(const std::uint8_t* p) {
    return (std::uint64_t(get_be32(p)) << 32) | get_be32(p + 4);
}

}  // namespace medialayer
