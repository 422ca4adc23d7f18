#include "common/progresscaption.h"

#include "common/cformat.h"

namespace corvane {

std::optional<int> ProgressPercent(int position, int lower, int upper)
{
    if (upper == lower)
        return std::nullopt;
    return static_cast<int>(static_cast<long long>(position) * 100 / (upper - lower));
}

std::string ProgressCaption(const std::string& title, int percent)
{
    return CFormat("%s [%d%%]", title.c_str(), percent);
}

} // namespace corvane
