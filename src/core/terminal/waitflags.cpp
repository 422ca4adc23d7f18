#include "terminal/waitflags.h"

#include <cctype>

namespace corvane {

const WaitFlag* FindWaitFlag(std::string_view letters)
{
    if (letters.size() < 2)
        return nullptr;
    for (const WaitFlag& flag : kWaitFlags)
        if (std::toupper(static_cast<unsigned char>(letters[0])) == flag.name[0] &&
            std::toupper(static_cast<unsigned char>(letters[1])) == flag.name[1])
            return &flag;
    return nullptr;
}

bool WaitFlagSet(const WaitFlag& flag, std::string_view reply)
{
    if (static_cast<std::size_t>(flag.position) >= reply.size())
        return false;
    const int code = static_cast<unsigned char>(reply[static_cast<std::size_t>(flag.position)]);
    return (code & flag.mask) == flag.mask;
}

} // namespace corvane
