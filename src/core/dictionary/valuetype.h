#pragma once
#include <cstddef>
#include <cstdint>

namespace corvane {

// Value type codes of the controller's data dictionary.
enum class ValueType : std::uint8_t {
    Text = 0,
    Int8 = 1,
    Int16 = 2,
    Int32 = 3,
    Float32 = 4,
    Float64 = 5,
    UInt8 = 6,
    UInt16 = 7,
    UInt32 = 8,
    Flag = 9,
};

constexpr int kValueTypeCount = 10;

constexpr bool IsValidTypeCode(int code) { return code >= 0 && code < kValueTypeCount; }

constexpr bool IsNumericType(ValueType t) { return t != ValueType::Text; }

constexpr bool IsFloatType(ValueType t) { return t == ValueType::Float32 || t == ValueType::Float64; }

// Bytes a non-text value of this type takes in a value image and in a data file.
constexpr std::size_t ScalarWidth(ValueType t)
{
    switch (t) {
    case ValueType::Int8:
    case ValueType::UInt8:
    case ValueType::Flag: return 1;
    case ValueType::Int16:
    case ValueType::UInt16: return 2;
    case ValueType::Int32:
    case ValueType::UInt32:
    case ValueType::Float32: return 4;
    case ValueType::Float64: return 8;
    case ValueType::Text: return 0;
    }
    return 0;
}

} // namespace corvane
