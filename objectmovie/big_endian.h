// Big-endian reads and writes of fixed-size integers, the byte order of every
// QuickTime structure the writer stores.
#pragma once

#include <cstddef>
#include <cstdint>

namespace big_endian {

inline void put_u16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

inline void put_u32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

inline void put_i16(std::uint8_t* out, std::int16_t value) { put_u16(out, static_cast<std::uint16_t>(value)); }
inline void put_i32(std::uint8_t* out, std::int32_t value) { put_u32(out, static_cast<std::uint32_t>(value)); }

inline std::uint16_t get_u16(const std::uint8_t* in) {
    return static_cast<std::uint16_t>((in[0] << 8) | in[1]);
}

inline std::uint32_t get_u32(const std::uint8_t* in) {
    return (std::uint32_t(in[0]) << 24) | (std::uint32_t(in[1]) << 16) | (std::uint32_t(in[2]) << 8) |
           std::uint32_t(in[3]);
}

inline std::int16_t get_i16(const std::uint8_t* in) { return static_cast<std::int16_t>(get_u16(in)); }
inline std::int32_t get_i32(const std::uint8_t* in) { return static_cast<std::int32_t>(get_u32(in)); }

}  // namespace big_endian
