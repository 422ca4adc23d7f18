#pragma once
// The simulator's lines: a TCP listener on the loopback address, a pseudo
// terminal or a serial device, and the poll loop that serves them.

#include "simresponder.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane::sim {

// Serial line settings as "38400,N,8,1": speed, parity (N, E, O), data bits (5-8), stop bits (1, 2).
struct LineSettings {
    unsigned baud = 38400;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
};
std::optional<LineSettings> ParseLineSettings(std::string_view text);

// A listening socket on 127.0.0.1; port 0 picks a free one. -1 on failure.
int ListenTcp(int port, int* boundPort, std::string* error);

// A pseudo terminal: both ends stay open for the life of the process, so a
// client closing the slave does not hang the line up.
struct PtyPair {
    int master = -1;
    int slave = -1;
    std::string path; // of the slave
};
std::optional<PtyPair> OpenPty(const LineSettings& line, std::string* error);

// A serial device in raw mode. -1 on failure.
int OpenSerialDevice(const std::string& path, const LineSettings& line, std::string* error);

// Serves until `stopFd` turns readable (0) or the line fails (1, with `error`).
// With `listenFd` every accepted client is served; otherwise `lineFd` is the line.
int Serve(SimResponder& responder, int listenFd, int lineFd, int stopFd, std::string* error);

} // namespace corvane::sim
