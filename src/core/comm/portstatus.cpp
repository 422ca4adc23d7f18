#include "comm/portstatus.h"

#include "common/cformat.h"

#include <array>
#include <cstring>

namespace corvane {

std::string PortStatusText(int status)
{
    static constexpr std::array<const char*, 10> texts = {
        "Communications status OK",
        "Cannot open Communications Port",
        "Error In Transmission of Data",
        "Parity Error detected in response",
        "Framing Error detected in response",
        "Overrrun Error detected in response",
        "Error receiving response",
        "Timeout waiting for response",
        "Transmitted Command was rejected",
        "Protocol error in response",
    };
    if (status >= 0 && status < static_cast<int>(texts.size()))
        return texts[static_cast<std::size_t>(status)];
    return CFormat("Network error %d: %s", status, std::strerror(status));
}

} // namespace corvane
