#include "simresponder.h"

#include "common/cformat.h"

namespace corvane::sim {

SimResponder::SimResponder(SimController& controller, Framing framing, int address, Misbehaviour misbehaviour)
    : controller_(controller), framing_(framing), address_(address), misbehaviour_(std::move(misbehaviour))
{
}

std::optional<std::string> SimResponder::respond(const Request& request)
{
    if (request.status != FrameStatus::Ok || request.address != address_)
        return std::nullopt;
    const unsigned n = ++requests_;
    if (onRequest)
        onRequest(request.command);
    if (misbehaviour_.silentEvery != 0 && n % misbehaviour_.silentEvery == 0)
        return std::nullopt;
    if (misbehaviour_.silentAfter && n > *misbehaviour_.silentAfter)
        return std::nullopt;
    if (controller_.silentNow())
        return std::nullopt;

    std::string out;
    if (misbehaviour_.noise)
        out.append(kNoise);
    const std::string_view code = std::string_view(request.command).substr(0, request.command.find(' '));
    if (!misbehaviour_.floodCommand.empty() && code == misbehaviour_.floodCommand) {
        out += framing_ == Framing::Terminal ? '*' : kStx;
        out += CFormat("%02d", address_);
        out.append(kFloodBytes, 'A');
        return out;
    }
    out += EncodeReply(framing_, address_, controller_.answer(request.command), misbehaviour_.badLrc);
    out += controller_.takeTrailer();
    return out;
}

} // namespace corvane::sim
