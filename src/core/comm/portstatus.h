#pragma once
// Status codes of a port's last failure; protocols store their outcome
// (0, 8 or 9) in the same field after each reply. A failed TCP connect stores
// the socket error number instead (a value outside 0..9).

#include <string>

namespace corvane {

enum PortStatus : int {
    StatusOk = 0,
    StatusCannotOpen = 1,
    StatusTransmissionError = 2,
    StatusParityError = 3,
    StatusFramingError = 4,
    StatusOverrunError = 5,
    StatusReceiveError = 6,
    StatusTimeout = 7,
    StatusRejected = 8,
    StatusProtocolError = 9,
};

// The text of a status code; a socket error number gets the system's text.
std::string PortStatusText(int status);

} // namespace corvane
