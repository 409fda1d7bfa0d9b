// Little-endian encoding of the numbers stored in project and level files,
// independent of the host's byte order.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace kes {

inline void putU16(std::uint8_t* out, std::uint16_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void putU32(std::uint8_t* out, std::uint32_t value)
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}
inline void putI32(std::uint8_t* out, std::int32_t value) { putU32(out, static_cast<std::uint32_t>(value)); }
inline void putF32(std::uint8_t* out, float value) { putU32(out, std::bit_cast<std::uint32_t>(value)); }

inline std::uint16_t getU16(const std::uint8_t* in)
{
    return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}
inline std::uint32_t getU32(const std::uint8_t* in)
{
    return std::uint32_t(in[0]) | (std::uint32_t(in[1]) << 8) | (std::uint32_t(in[2]) << 16)
        | (std::uint32_t(in[3]) << 24);
}
inline std::int16_t getI16(const std::uint8_t* in) { return static_cast<std::int16_t>(getU16(in)); }
inline std::int32_t getI32(const std::uint8_t* in) { return static_cast<std::int32_t>(getU32(in)); }
inline float getF32(const std::uint8_t* in) { return std::bit_cast<float>(getU32(in)); }

// Appends little-endian values to a byte vector.
class ByteAppender {
public:
    explicit ByteAppender(std::vector<std::uint8_t>& out) : out_(out) {}
    void u8(std::uint8_t value) { out_.push_back(value); }
    void u16(std::uint16_t value) { std::uint8_t b[2]; putU16(b, value); bytes(b, 2); }
    void i16(std::int16_t value) { u16(static_cast<std::uint16_t>(value)); }
    void u32(std::uint32_t value) { std::uint8_t b[4]; putU32(b, value); bytes(b, 4); }
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void f32(float value) { u32(std::bit_cast<std::uint32_t>(value)); }
    void bytes(const void* data, std::size_t size)
    {
        if (size == 0)
            return;
        std::size_t at = out_.size();
        out_.resize(at + size);
        std::memcpy(out_.data() + at, data, size);
    }
    // A fixed-size text field: the text, a NUL, and zeros up to `size` bytes.
    // The text must be shorter than `size`.
    void textField(std::string_view text, std::size_t size)
    {
        std::size_t n = text.size() < size ? text.size() : size - 1;
        bytes(text.data(), n);
        out_.resize(out_.size() + (size - n), 0);
    }

private:
    std::vector<std::uint8_t>& out_;
};

// The text of a fixed-size field: up to the first NUL, or the first size - 1
// bytes when there is none.
inline std::string textFromField(const std::uint8_t* field, std::size_t size)
{
    const void* nul = std::memchr(field, 0, size);
    std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - field) : size - 1;
    return std::string(reinterpret_cast<const char*>(field), length);
}

} // namespace kes
