#pragma once
// A serial line. Several ports on one COM number share one open device: the
// first opener configures the line, the last one closes it.

#include "comm/comstream.h"
#include "comm/linesettings.h"

#include <string>

namespace corvane {

// The line settings a port object was asked for (what its status text shows).
struct s_com_opts {
    int speedIndex = 6;
    int parity = 0; // 0..4, shown as a letter of "NOEMS"
    int dataBits = 8;
    int stopBits = 1;
};

class SerialPort : public ComStream, public s_com_opts {
public:
    // Opens COM `comNumber` through the device at `devicePath`.
    SerialPort(int comNumber, const LineSettings& line, const std::string& devicePath);
    ~SerialPort() override;

    using ComStream::Write;
    int Write(const std::uint8_t* data, std::size_t length) override;
    int Read(std::uint8_t* buffer, std::size_t length, int terminator) override;
    void Flush() override;
    void Purge() override;
    std::string StatusText(int address) const override;
    std::string OpenFailure() const override;
    bool IsNetwork() const override { return false; }

    // Per-byte read deadline in milliseconds.
    int readDeadlineMs() const { return deadlineMs_; }
    void setReadDeadlineMs(int ms) { deadlineMs_ = ms; }

    // Users of the shared device of a COM number (0 when it is closed).
    static int UseCount(int comNumber);

private:
    int handle() const;
    int readByte(std::uint8_t& byte);

    int comNumber_;
    std::string devicePath_;
    int deadlineMs_;
    bool counted_ = false;
};

} // namespace corvane
