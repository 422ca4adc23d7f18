#pragma once
// The terminal framing: "*", two address digits, the command, CR LF. Used on
// serial lines in terminal mode and on every TCP/IP link.

#include "comm/comprotocol.h"
#include "comm/linesettings.h"

namespace corvane {

class TerminalProtocol : public HalvardProtocol {
public:
    // Over a serial line.
    TerminalProtocol(int comNumber, const LineSettings& line, const std::string& devicePath);
    // Over TCP/IP.
    TerminalProtocol(const std::string& host, std::uint16_t tcpPort);
    // Over a port made elsewhere.
    TerminalProtocol(std::unique_ptr<ComStream> port, int protocolIndex);

    bool Send(std::string_view command) override;
    int Receive(std::string& reply) override;

    // The bytes Send writes for a command (without the checksum bytes of the
    // minicomputer framing).
    std::string Frame(std::string_view command) const;

protected:
    // Skips bytes up to the start byte; 0 when found, else the port's status.
    int skipToStart();
    // Reads one reply frame from after its start byte up to and including its
    // end byte into `frame`; 0, or the status that ended the read.
    int readFrame(std::string& frame);

    std::string prefix = "*";
    std::string trailer = "\r\n";
    std::uint8_t replyEnd = 10;
};

} // namespace corvane
