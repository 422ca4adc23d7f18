#pragma once
// The condition flags of the "EQ" status reply that WAITFOR can wait on.

#include <array>
#include <string_view>

namespace corvane {

struct WaitFlag {
    std::string_view name;
    int position; // character of the "EQ" reply text
    int mask;     // bits tested on that character's code
};

// In search order.
inline constexpr std::array<WaitFlag, 24> kWaitFlags = {{
    {"AU", 0, 1}, {"FL", 0, 2}, {"RL", 0, 4}, {"PW", 0, 8},
    {"KY", 1, 1}, {"BD", 1, 2}, {"TD", 1, 4}, {"TP", 1, 8},
    {"AL", 2, 1}, {"CD", 2, 2}, {"PD", 2, 4}, {"PP", 2, 8},
    {"PF", 3, 1}, {"TO", 3, 2}, {"DP", 3, 4}, {"PC", 3, 8},
    {"I3", 4, 1}, {"I2", 4, 2}, {"I1", 4, 4}, {"CE", 4, 8},
    {"I7", 5, 1}, {"I6", 5, 2}, {"I5", 5, 4}, {"I4", 5, 8},
}};

// The first flag whose name equals the two letters, ignoring case.
const WaitFlag* FindWaitFlag(std::string_view letters);

// Whether the flag is set in an "EQ" reply; a reply too short to hold the
// flag's character counts as clear.
bool WaitFlagSet(const WaitFlag& flag, std::string_view reply);

} // namespace corvane
