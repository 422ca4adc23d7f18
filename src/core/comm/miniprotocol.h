#pragma once
// The minicomputer framing: STX, two address digits, the command, ETX, then a
// longitudinal check byte, DEL and NUL.

#include "comm/terminalprotocol.h"

namespace corvane {

class MiniProtocol : public TerminalProtocol {
public:
    MiniProtocol(int comNumber, const LineSettings& line, const std::string& devicePath);
    explicit MiniProtocol(std::unique_ptr<ComStream> port);

    bool Send(std::string_view command) override;
    int Receive(std::string& reply) override;

    // XOR of the bytes after STX up to and including ETX.
    static std::uint8_t Lrc(std::string_view bytesAfterStx);
};

} // namespace corvane
