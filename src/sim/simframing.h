#pragma once
// Frames on the controller side of the line: requests in, replies out.
// Terminal framing: "*" + two address digits + text + CR LF.
// Minicomputer framing: STX + two address digits + text + ETX + LRC + pad.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::sim {

enum class Framing { Terminal, Mini };

inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kDel = 0x7F;
// A start byte with no end within this many bytes is taken for noise.
inline constexpr std::size_t kMaxFrameBytes = 4096;

// Exclusive-or of the bytes.
std::uint8_t Lrc(std::string_view bytes);

// What a host sends: the request frame for `command` to `address` (0-99).
std::string EncodeRequest(Framing framing, int address, std::string_view command);

// What the controller sends back. The minicomputer frame ends in the LRC and a
// DEL pad; `corruptLrc` sends a wrong LRC instead.
std::string EncodeReply(Framing framing, int address, std::string_view text, bool corruptLrc = false);

enum class FrameStatus {
    Ok,
    Malformed, // address field is not two decimal digits
    BadLrc,
};

struct Request {
    FrameStatus status = FrameStatus::Ok;
    int address = -1; // -1 when malformed
    std::string command;
};

// Collects received bytes and cuts complete request frames out of them. Bytes
// before a start byte are dropped.
class RequestDecoder {
public:
    explicit RequestDecoder(Framing framing) : framing_(framing) {}

    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next complete frame, or none until more bytes arrive.
    std::optional<Request> next();
    // Bytes held for a frame not yet complete.
    std::size_t pending() const { return buffer_.size(); }

private:
    Framing framing_;
    std::string buffer_;
};

} // namespace corvane::sim
