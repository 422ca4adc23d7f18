#pragma once
// The byte-stream port under the command protocols: a serial line or a TCP
// connection. Ports never interpret the bytes they carry.

#include "common/interaction.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// Terminator value that asks Read for an exact count.
constexpr int kNoTerminator = -1;

class ComStream {
public:
    virtual ~ComStream() = default;
    ComStream(const ComStream&) = delete;
    ComStream& operator=(const ComStream&) = delete;

    // Sends all bytes; the count sent, or 0 on failure (status 6).
    virtual int Write(const std::uint8_t* data, std::size_t length) = 0;
    int Write(const std::string& text)
    {
        return Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }
    // Reads exactly `length` bytes (terminator outside 0..255) or up to and
    // including the terminator; the count stored, or 0 on failure (6, 7 or 9).
    virtual int Read(std::uint8_t* buffer, std::size_t length, int terminator) = 0;
    virtual void Flush() = 0;
    // Discards input received but not yet read.
    virtual void Purge() = 0;
    // One line for the status bar.
    virtual std::string StatusText(int address) const = 0;
    virtual bool IsNetwork() const = 0;
    // Why the port did not open, as "WHERE: REASON"; empty when it did or nothing is known.
    virtual std::string OpenFailure() const { return {}; }

    // The error box for the current status; returns the answer.
    Answer ReportError(Interaction& interaction, const std::optional<std::string>& caption, Buttons buttons) const;

    int status = 0;
    // 0 not open, 1 open, 2 open and at least one read succeeded.
    int openState = 0;
    int portNumber = 0;

    // The system's error text of the last operating-system failure.
    const std::string& systemError() const { return systemError_; }

protected:
    ComStream() = default;
    void setSystemError(int error);
    std::string systemError_;
};

} // namespace corvane
