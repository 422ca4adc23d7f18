#include "comm/terminalprotocol.h"

#include "comm/portstatus.h"
#include "comm/serialport.h"
#include "comm/tcpport.h"
#include "common/cformat.h"

#include <vector>

namespace corvane {

TerminalProtocol::TerminalProtocol(int comNumber, const LineSettings& line, const std::string& devicePath)
    : HalvardProtocol(std::make_unique<SerialPort>(comNumber, line, devicePath), 0)
{
}

TerminalProtocol::TerminalProtocol(const std::string& host, std::uint16_t tcpPort)
    : HalvardProtocol(std::make_unique<TCPPort>(host, tcpPort), 0)
{
}

TerminalProtocol::TerminalProtocol(std::unique_ptr<ComStream> port, int protocolIndex)
    : HalvardProtocol(std::move(port), protocolIndex)
{
}

std::string TerminalProtocol::Frame(std::string_view command) const
{
    std::string frame = prefix;
    frame += CFormat("%02d", address_);
    frame += command;
    frame += trailer;
    return frame;
}

bool TerminalProtocol::Send(std::string_view command)
{
    if (!acceptCommand(command))
        return false;
    port_->Purge();
    return port_->Write(Frame(command)) != 0;
}

int TerminalProtocol::skipToStart()
{
    const auto start = static_cast<std::uint8_t>(prefix[0]);
    for (;;) {
        std::uint8_t byte = 0;
        if (port_->Read(&byte, 1, kNoTerminator) == 0)
            return port_->status != StatusOk ? port_->status : StatusTimeout;
        if (byte == start)
            return StatusOk;
    }
}

int TerminalProtocol::readFrame(std::string& frame)
{
    if (!IsOpen()) {
        if (port_)
            port_->status = StatusCannotOpen;
        return StatusCannotOpen;
    }
    if (int status = skipToStart(); status != StatusOk)
        return status;
    std::vector<std::uint8_t> buffer(kMaxReplyLength);
    const int n = port_->Read(buffer.data(), buffer.size(), replyEnd);
    if (n == 0)
        return port_->status != StatusOk ? port_->status : StatusProtocolError;
    frame.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(n));
    return StatusOk;
}

int TerminalProtocol::Receive(std::string& reply)
{
    std::string frame;
    if (int status = readFrame(frame); status != StatusOk)
        return status;
    std::string_view text(frame);
    const std::size_t cr = text.rfind('\r');
    if (cr == std::string_view::npos) {
        port_->status = StatusProtocolError;
        return StatusProtocolError;
    }
    text = text.substr(0, cr);
    // The two address digits follow the start byte; their value is not examined.
    text = text.size() >= 2 ? text.substr(2) : std::string_view();
    return classify(text, reply);
}

} // namespace corvane
