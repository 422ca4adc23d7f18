#include "simframing.h"

#include "common/cformat.h"

namespace corvane::sim {
namespace {

std::string AddressDigits(int address) { return CFormat("%02d", address % 100); }

// Splits the address digits off a frame body.
Request ParseBody(std::string_view body, FrameStatus status)
{
    Request r;
    r.status = status;
    if (body.size() < 2 || body[0] < '0' || body[0] > '9' || body[1] < '0' || body[1] > '9') {
        r.status = FrameStatus::Malformed;
        return r;
    }
    r.address = (body[0] - '0') * 10 + (body[1] - '0');
    r.command.assign(body.substr(2));
    return r;
}

} // namespace

std::uint8_t Lrc(std::string_view bytes)
{
    std::uint8_t lrc = 0;
    for (char c : bytes)
        lrc ^= static_cast<std::uint8_t>(c);
    return lrc;
}

std::string EncodeRequest(Framing framing, int address, std::string_view command)
{
    if (framing == Framing::Terminal)
        return "*" + AddressDigits(address) + std::string(command) + "\r\n";
    std::string body = AddressDigits(address) + std::string(command) + kEtx;
    std::string frame = kStx + body;
    frame += static_cast<char>(Lrc(body));
    frame += kDel;
    frame += '\0';
    return frame;
}

std::string EncodeReply(Framing framing, int address, std::string_view text, bool corruptLrc)
{
    if (framing == Framing::Terminal)
        return "*" + AddressDigits(address) + std::string(text) + "\r\n";
    std::string body = AddressDigits(address) + std::string(text) + kEtx;
    std::uint8_t lrc = Lrc(body);
    if (corruptLrc)
        lrc ^= 0x5A;
    std::string frame = kStx + body;
    frame += static_cast<char>(lrc);
    frame += kDel;
    return frame;
}

std::optional<Request> RequestDecoder::next()
{
    const char start = framing_ == Framing::Terminal ? '*' : kStx;
    const char end = framing_ == Framing::Terminal ? '\n' : kEtx;
    for (;;) {
        const std::size_t s = buffer_.find(start);
        if (s == std::string::npos) {
            buffer_.clear();
            return std::nullopt;
        }
        buffer_.erase(0, s);
        const std::size_t e = buffer_.find(end, 1);
        if (e == std::string::npos) {
            if (buffer_.size() <= kMaxFrameBytes)
                return std::nullopt;
            buffer_.erase(0, 1); // a start without an end: look for the next one
            continue;
        }
        if (framing_ == Framing::Terminal) {
            std::string_view body(buffer_.data() + 1, e - 1);
            if (!body.empty() && body.back() == '\r')
                body.remove_suffix(1);
            Request r = ParseBody(body, FrameStatus::Ok);
            buffer_.erase(0, e + 1);
            return r;
        }
        if (e + 1 >= buffer_.size())
            return std::nullopt; // the LRC byte is still to come
        const std::string_view checked(buffer_.data() + 1, e); // after STX up to and including ETX
        const bool lrcOk = Lrc(checked) == static_cast<std::uint8_t>(buffer_[e + 1]);
        Request r = ParseBody(checked.substr(0, checked.size() - 1), lrcOk ? FrameStatus::Ok : FrameStatus::BadLrc);
        buffer_.erase(0, e + 2); // the pad bytes after the LRC are skipped as noise
        return r;
    }
}

} // namespace corvane::sim
