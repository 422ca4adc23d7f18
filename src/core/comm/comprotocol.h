#pragma once
// A command protocol over a port: frames one command, sends it, reads one
// reply and classifies it as accepted, rejected with a reply code, or broken.

#include "comm/comstream.h"
#include "common/interaction.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

constexpr std::size_t kMaxCommandLength = 1016;
constexpr std::size_t kMaxReplyLength = 4096;
constexpr int kMaxFrameAddress = 99;

// Display names of the framings by protocol index.
const char* ProtocolName(int protocolIndex);

class ComProtocol {
public:
    virtual ~ComProtocol() = default;
    ComProtocol(const ComProtocol&) = delete;
    ComProtocol& operator=(const ComProtocol&) = delete;

    // Frames and writes one command; false when it could not be sent.
    virtual bool Send(std::string_view command) = 0;
    // Reads one reply: 0 accepted (reply holds its text), 8 rejected (see
    // replyCode), 9 broken frame, or the port's own failure (6, 7, 9).
    virtual int Receive(std::string& reply) = 0;
    // The error box after a failed exchange; returns the answer.
    virtual Answer ReportError(Interaction& interaction, const std::optional<std::string>& caption,
                               Buttons buttons) const = 0;

    int LastStatus() const { return port_ ? port_->status : StatusNoPort; }
    void SetAddress(std::uint32_t address) { address_ = static_cast<int>(address & 0xFF); }
    int address() const { return address_; }
    int protocolIndex() const { return protocolIndex_; }
    const std::string& protocolName() const { return protocolName_; }
    bool IsOpen() const { return port_ && port_->openState >= 1; }
    std::string LinkText() const { return port_ ? port_->StatusText(address_) : std::string(); }
    bool IsNetwork() const { return port_ && port_->IsNetwork(); }
    ComStream* port() const { return port_.get(); }

    // Why the last Send refused a command before anything was written; empty otherwise.
    const std::string& refusal() const { return refusal_; }

protected:
    static constexpr int StatusNoPort = 1;
    ComProtocol(std::unique_ptr<ComStream> port, int protocolIndex);
    // Checks that a command can be framed; sets the refusal text otherwise.
    bool acceptCommand(std::string_view command);

    std::string protocolName_;
    int address_ = 1;
    int protocolIndex_ = 0;
    std::unique_ptr<ComStream> port_;
    std::string refusal_;
};

class HalvardProtocol : public ComProtocol {
public:
    Answer ReportError(Interaction& interaction, const std::optional<std::string>& caption,
                       Buttons buttons) const override;

    int replyCode = 0;

protected:
    using ComProtocol::ComProtocol;
    // Classifies a reply text: "NO" and a number is a rejection.
    int classify(std::string_view text, std::string& reply);
};

} // namespace corvane
