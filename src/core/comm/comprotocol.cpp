#include "comm/comprotocol.h"

#include "comm/portstatus.h"
#include "comm/replycodes.h"
#include "comm/tcpport.h"
#include "common/cformat.h"

namespace corvane {

const char* ProtocolName(int protocolIndex)
{
    switch (protocolIndex) {
    case 0: return "Terminal  (CR)";
    case 1: return "Minicomputer (LRC)";
    case 2: return "Halvard over IP";
    default: return "";
    }
}

ComProtocol::ComProtocol(std::unique_ptr<ComStream> port, int protocolIndex)
    : protocolName_(ProtocolName(protocolIndex)), protocolIndex_(protocolIndex), port_(std::move(port))
{
}

bool ComProtocol::acceptCommand(std::string_view command)
{
    refusal_.clear();
    if (!IsOpen()) {
        if (port_)
            port_->status = StatusCannotOpen;
        return false;
    }
    if (command.size() > kMaxCommandLength) {
        refusal_ = CFormat("The command is %zu characters long; at most %zu fit in one frame. Nothing was sent.",
                           command.size(), kMaxCommandLength);
    } else if (address_ > kMaxFrameAddress) {
        refusal_ = CFormat("Controller address %d cannot be framed; addresses run from 0 to %d. Nothing was sent.",
                           address_, kMaxFrameAddress);
    }
    if (!refusal_.empty()) {
        port_->status = StatusTransmissionError;
        return false;
    }
    return true;
}

int HalvardProtocol::classify(std::string_view text, std::string& reply)
{
    if (text.size() >= 2 && text[0] == 'N' && text[1] == 'O') {
        std::size_t i = 2;
        while (i < text.size() && text[i] == ' ')
            ++i;
        long code = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && code < 1000000; ++i)
            code = code * 10 + (text[i] - '0');
        replyCode = static_cast<int>(code);
        port_->status = StatusRejected;
        return StatusRejected;
    }
    reply.assign(text);
    port_->status = StatusOk;
    return StatusOk;
}

Answer HalvardProtocol::ReportError(Interaction& interaction, const std::optional<std::string>& caption,
                                    Buttons buttons) const
{
    if (!port_) {
        interaction.showMessage(PortStatusText(StatusCannotOpen), "Corvane", MessageIcon::Warning);
        return Answer::Abort;
    }
    if (port_->status == StatusRejected) {
        const std::string heading = caption ? *caption : std::string("Command Rejected - ");
        return interaction.ask(heading + " - " + ReplyCodeText(replyCode), "Corvane", buttons, MessageIcon::Warning);
    }
    if (!refusal_.empty()) {
        const std::string heading = CFormat("Error on %s%d:", "serial device at port ", port_->portNumber);
        return interaction.ask(heading + " - " + refusal_, "Corvane", buttons, MessageIcon::Warning);
    }
    if (port_->status == StatusCannotOpen) {
        // Where and why, so that a refused connection or a device without
        // permission can be told from a missing one.
        if (const std::string why = port_->OpenFailure(); !why.empty()) {
            const std::string heading = CFormat("Error on %s%d:", "serial device at port ", port_->portNumber);
            return interaction.ask(heading + " - " + PortStatusText(StatusCannotOpen) + " (" + why + ")", "Corvane",
                                   buttons, MessageIcon::Warning);
        }
    }
    return port_->ReportError(interaction, std::nullopt, buttons);
}

} // namespace corvane
