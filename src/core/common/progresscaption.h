#pragma once
// The progress window's caption: its title, and the percentage done once the
// bar has moved.

#include <optional>
#include <string>

namespace corvane {

// position * 100 / (upper - lower); none for an empty range.
std::optional<int> ProgressPercent(int position, int lower, int upper);

// "%s [%d%%]" with the title and the percentage.
std::string ProgressCaption(const std::string& title, int percent);

} // namespace corvane
