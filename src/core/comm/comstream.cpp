#include "comm/comstream.h"

#include "comm/portstatus.h"
#include "common/cformat.h"

#include <cstring>

namespace corvane {

void ComStream::setSystemError(int error) { systemError_ = std::strerror(error); }

Answer ComStream::ReportError(Interaction& interaction, const std::optional<std::string>& caption,
                              Buttons buttons) const
{
    if (status == StatusReceiveError) {
        interaction.showMessage(systemError_.empty() ? PortStatusText(status) : systemError_, "Communications Error",
                                MessageIcon::Information);
        return Answer::Abort;
    }
    const std::string heading =
        caption ? *caption : CFormat("Error on %s%d:", "serial device at port ", portNumber);
    return interaction.ask(heading + " - " + PortStatusText(status), "Corvane", buttons, MessageIcon::Warning);
}

} // namespace corvane
