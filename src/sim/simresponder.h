#pragma once
// Turns decoded request frames into reply frames for one controller address,
// with the faults a test may ask for.

#include "simcontroller.h"
#include "simframing.h"

#include <functional>
#include <optional>
#include <string>

namespace corvane::sim {

struct Misbehaviour {
    int delayMs = 0;                      // wait before every reply
    unsigned silentEvery = 0;             // no reply to requests N, 2N, ...
    std::optional<unsigned> silentAfter;  // no reply after the first N requests
    bool noise = false;                   // junk bytes before every reply frame
    bool badLrc = false;                  // minicomputer replies carry a wrong LRC
    std::string floodCommand;             // answered with kFloodBytes and no end
};

inline constexpr std::size_t kFloodBytes = 5000;
inline constexpr std::string_view kNoise{"\0zz\r\n", 5};

class SimResponder {
public:
    SimResponder(SimController& controller, Framing framing, int address, Misbehaviour misbehaviour = {});

    // The bytes to send back for one frame; none for frames to other addresses,
    // broken frames and silenced requests. A silenced request is not executed.
    std::optional<std::string> respond(const Request& request);

    Framing framing() const { return framing_; }
    int address() const { return address_; }
    const Misbehaviour& misbehaviour() const { return misbehaviour_; }
    // Requests addressed to this controller so far.
    unsigned requestCount() const { return requests_; }

    // Sees the command text of every request addressed to this controller.
    std::function<void(std::string_view)> onRequest;

private:
    SimController& controller_;
    Framing framing_;
    int address_;
    Misbehaviour misbehaviour_;
    unsigned requests_ = 0;
};

} // namespace corvane::sim
