#pragma once
// Text conversions of dictionary values: display text, text to value, and the
// editor's input hint.

#include "dictionary/dbentry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// The value in `bytes` (one instance, the entry's storage width) as display text.
std::string FormatValue(const DBEntry& entry, std::span<const std::uint8_t> bytes);

// Converts `text` by `type` and stores it into `bytes`. Text takes at most
// `maxChars` characters and is zero-terminated. Returns false (and stores
// nothing) for a type code with no conversion.
bool StoreValueFromText(int typeCode, std::span<std::uint8_t> bytes, std::string_view text, std::size_t maxChars);

// The hint shown under the editor's input field.
std::string HintText(const DBEntry& entry);

// Option n of a list entry, or an empty text when n is not one of its options.
std::string_view OptionText(const DBEntry& entry, int n);

// Decimal reading of a stored numeric value (the number a list or alarm editor starts from).
double NumericValue(ValueType type, std::span<const std::uint8_t> bytes);

} // namespace corvane
