#include "comm/miniprotocol.h"

#include "comm/portstatus.h"
#include "comm/serialport.h"

#include <vector>

namespace corvane {

MiniProtocol::MiniProtocol(int comNumber, const LineSettings& line, const std::string& devicePath)
    : MiniProtocol(std::make_unique<SerialPort>(comNumber, line, devicePath))
{
}

MiniProtocol::MiniProtocol(std::unique_ptr<ComStream> port) : TerminalProtocol(std::move(port), 1)
{
    prefix = "\x02";
    trailer = "\x03";
    replyEnd = 3;
}

std::uint8_t MiniProtocol::Lrc(std::string_view bytes)
{
    std::uint8_t lrc = 0;
    for (char c : bytes)
        lrc ^= static_cast<std::uint8_t>(c);
    return lrc;
}

bool MiniProtocol::Send(std::string_view command)
{
    if (!acceptCommand(command))
        return false;
    port_->Purge();
    const std::string frame = Frame(command);
    if (port_->Write(frame) == 0)
        return false;
    const std::uint8_t check[3] = {Lrc(std::string_view(frame).substr(1)), 0x7F, 0x00};
    return port_->Write(check, sizeof check) != 0;
}

int MiniProtocol::Receive(std::string& reply)
{
    std::string frame;
    if (int status = readFrame(frame); status != StatusOk)
        return status;
    std::uint8_t tail[2] = {};
    if (port_->Read(tail, 2, kNoTerminator) == 0)
        return port_->status != StatusOk ? port_->status : StatusProtocolError;
    std::string_view text(frame);
    if (Lrc(text) != tail[0]) {
        port_->status = StatusProtocolError;
        return StatusProtocolError;
    }
    text.remove_suffix(1); // ETX
    text = text.size() >= 2 ? text.substr(2) : std::string_view();
    return classify(text, reply);
}

} // namespace corvane
