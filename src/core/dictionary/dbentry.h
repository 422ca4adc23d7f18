#pragma once
// One entry of the controller's data dictionary: a program code or a run-data
// register. Entries are constant for the life of the program.

#include "dictionary/valuetype.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

constexpr int kNoLiteral = -1;

enum class ImageKind : std::uint8_t { None, Configuration, RunData };

// Where a value (or a security byte) lives: an image and an offset in it.
struct ImageLocation {
    ImageKind image = ImageKind::None;
    std::uint16_t offset = 0;

    bool isNone() const { return image == ImageKind::None; }
};

// The printf conversions entries use; the display format is built from these.
enum class Conversion : std::uint8_t {
    Text,          // %*.*s
    Float,         // %*.*f
    Unsigned,      // %*.*u
    Signed,        // %*.*d
    ZeroUnsigned,  // %0*.*u
    ZeroSigned,    // %0*.*d
    UnsignedLong,  // %*.*lu
    ZeroHexLong,   // %0*.*lX
};

struct DBEntry {
    ImageLocation storage;
    std::int32_t key = 0;
    int label = kNoLiteral;
    int help = kNoLiteral;
    int options = kNoLiteral;
    ImageLocation attribute;
    float minimum = 0;
    float maximum = 0;
    ValueType type = ValueType::Text;
    std::uint8_t category = 0;
    std::uint8_t index = 0;
    std::string format;
    Conversion conversion = Conversion::Text;
    std::uint8_t width = 0;
    std::uint8_t precision = 0;
    std::uint16_t instanceStride = 0;
    std::uint16_t instanceCount = 0;
    std::string description;

    bool hasOptions() const { return options != kNoLiteral; }
    // Bytes one instance of the value takes in its image.
    std::size_t storageWidth() const;
    // The description up to its first "{" (markers are never shown).
    std::string_view shownDescription() const;
    // The leading decimal number of the description (0 when there is none).
    int codeNumber() const;
};

} // namespace corvane
