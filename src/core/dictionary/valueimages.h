#pragma once
// The two byte images that mirror the controller's memory in a configuration
// document: program-code values with their security bytes, and run data.

#include "dictionary/dbentry.h"
#include "dictionary/dictionary.h"

#include <array>
#include <cstdint>
#include <span>

namespace corvane {

struct ValueImages {
    std::array<std::uint8_t, kConfigurationImageSize> configuration{};
    std::array<std::uint8_t, kRunDataImageSize> runData{};

    void clear()
    {
        configuration.fill(0);
        runData.fill(0);
    }

    // The bytes at a location; empty for none.
    std::span<std::uint8_t> at(ImageLocation where, std::size_t offset, std::size_t width);
    std::span<const std::uint8_t> at(ImageLocation where, std::size_t offset, std::size_t width) const;
};

} // namespace corvane
