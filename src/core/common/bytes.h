#pragma once
// Little-endian numbers in byte buffers.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace corvane {

template <typename T>
T LoadLE(std::span<const std::uint8_t> bytes)
{
    T value{};
    if (bytes.size() < sizeof(T))
        return value;
    std::uint8_t raw[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        raw[i] = bytes[i];
    std::memcpy(&value, raw, sizeof(T)); // the host is little-endian (x86-64, ARM64)
    return value;
}

template <typename T>
void StoreLE(std::span<std::uint8_t> bytes, T value)
{
    if (bytes.size() < sizeof(T))
        return;
    std::memcpy(bytes.data(), &value, sizeof(T));
}

static_assert(std::endian::native == std::endian::little, "value images assume a little-endian host");

} // namespace corvane
