#include "comm/serialport.h"

#include "comm/portstatus.h"
#include "common/cformat.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace corvane {
namespace {

// The process-wide table of open serial devices, indexed by COM number.
// Touched only from the user-interface thread.
struct HandleSlot {
    int fd = -1;
    int uses = 0;
};

std::array<HandleSlot, 256>& HandleTable()
{
    static std::array<HandleSlot, 256> table;
    return table;
}

speed_t SpeedConstant(int baud)
{
    switch (baud) {
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B38400;
    }
}

// Raw bytes at the requested line; DTR and RTS on, no flow control.
bool ConfigureLine(int fd, const LineSettings& line)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    switch (line.dataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    if (line.parity == Parity::Odd)
        tio.c_cflag |= PARENB | PARODD;
    else if (line.parity == Parity::Even)
        tio.c_cflag |= PARENB;
    else if (line.parity == Parity::Mark)
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
    else if (line.parity == Parity::Space)
        tio.c_cflag |= PARENB | CMSPAR;
    if (line.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = SpeedConstant(line.baudRate);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;
    // A pseudo-terminal refuses the modem lines; that is not a failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);
    return true;
}

} // namespace

SerialPort::SerialPort(int comNumber, const LineSettings& line, const std::string& devicePath)
    : comNumber_(comNumber & 0xFF), devicePath_(devicePath), deadlineMs_(ReadDeadlineMs(SpeedIndex(line.baudRate)))
{
    portNumber = comNumber_;
    HandleSlot& slot = HandleTable()[static_cast<std::size_t>(comNumber_)];
    if (slot.fd < 0) {
        int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            setSystemError(errno);
            return;
        }
        ::tcflush(fd, TCIOFLUSH);
        if (!ConfigureLine(fd, line)) {
            setSystemError(errno);
            ::close(fd);
            return;
        }
        ::tcflush(fd, TCIOFLUSH);
        // No other program may open the line while it is ours: its bytes
        // would mix with the exchanges (root is not kept out).
        ::ioctl(fd, TIOCEXCL);
        slot.fd = fd;
    }
    ++slot.uses;
    counted_ = true;
    dataBits = line.dataBits;
    stopBits = line.stopBits == 2 ? 2 : 1;
    parity = static_cast<int>(line.parity);
    speedIndex = SpeedIndex(line.baudRate);
    openState = 1;
}

SerialPort::~SerialPort()
{
    if (!counted_)
        return;
    HandleSlot& slot = HandleTable()[static_cast<std::size_t>(comNumber_)];
    if (--slot.uses <= 0) {
        if (slot.fd >= 0) {
            ::ioctl(slot.fd, TIOCNXCL);
            ::close(slot.fd);
        }
        slot = HandleSlot{};
    }
}

int SerialPort::UseCount(int comNumber)
{
    if (comNumber < 0 || comNumber > 255)
        return 0;
    return HandleTable()[static_cast<std::size_t>(comNumber)].uses;
}

int SerialPort::handle() const
{
    return openState >= 1 ? HandleTable()[static_cast<std::size_t>(comNumber_)].fd : -1;
}

int SerialPort::Write(const std::uint8_t* data, std::size_t length)
{
    const int fd = handle();
    if (fd < 0)
        return 0;
    std::size_t sent = 0;
    while (sent < length) {
        ssize_t n = ::write(fd, data + sent, length - sent);
        if (n < 0 && errno == EAGAIN) {
            // A line that takes nothing for a whole read deadline (flow
            // control held, a stalled adapter) ends the write.
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, deadlineMs_) == 0) {
                status = StatusTransmissionError;
                return 0;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setSystemError(errno);
            status = 6;
            return 0;
        }
        sent += static_cast<std::size_t>(n);
    }
    return static_cast<int>(length);
}

// 1 when a byte was read, 0 when none came before the deadline, -1 on a device error.
int SerialPort::readByte(std::uint8_t& byte)
{
    const int fd = handle();
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(deadlineMs_);
    for (;;) {
        ssize_t n = ::read(fd, &byte, 1);
        if (n == 1)
            return 1;
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            setSystemError(errno);
            return -1;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return 0;
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            setSystemError(errno);
            return -1;
        }
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) {
            setSystemError(EIO);
            return -1;
        }
        // POLLHUP with no data (the other side of a pseudo-terminal closed)
        // reads as silence until the deadline.
        if (r > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN)) {
            const auto rest = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (rest > 0)
                ::poll(nullptr, 0, static_cast<int>(std::min<long long>(rest, 20)));
        }
    }
}

int SerialPort::Read(std::uint8_t* buffer, std::size_t length, int terminator)
{
    if (handle() < 0)
        return 0;
    const bool terminated = terminator >= 0 && terminator <= 255;
    std::size_t stored = 0;
    while (stored < length) {
        std::uint8_t byte = 0;
        int r = readByte(byte);
        if (r < 0) {
            status = 6;
            return 0;
        }
        if (r == 0) {
            status = 7;
            return 0;
        }
        buffer[stored++] = byte;
        if (terminated && byte == terminator) {
            status = 0;
            openState = 2;
            return static_cast<int>(stored);
        }
    }
    if (terminated) {
        status = 9;
        return 0;
    }
    status = 0;
    openState = 2;
    return static_cast<int>(stored);
}

void SerialPort::Flush()
{
    const int fd = handle();
    if (fd >= 0)
        ::tcdrain(fd);
}

void SerialPort::Purge()
{
    const int fd = handle();
    if (fd >= 0)
        ::tcflush(fd, TCIFLUSH);
}

std::string SerialPort::OpenFailure() const
{
    if (openState >= 1 || systemError_.empty())
        return {};
    return devicePath_ + ": " + systemError_;
}

std::string SerialPort::StatusText(int address) const
{
    if (openState < 1)
        return "Comm Not Enabled";
    return CFormat("Com%d:%s,%c,%d,%d   Address:%d", comNumber_, SpeedText(speedIndex),
                   ParityLetter(static_cast<Parity>(parity)), dataBits, stopBits, address & 0xFF);
}

} // namespace corvane
