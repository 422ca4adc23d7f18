#include "linkoptions.h"

#include "comm/comprotocol.h"
#include "comm/linesettings.h"
#include "common/cformat.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"

#include <charconv>
#include <cstdio>

namespace corvane::cli {
namespace {

// A decimal number in [min, max] and nothing else.
std::optional<long> Number(std::string_view text, long min, long max)
{
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

} // namespace

const char* const kLinkOptionsHelp =
    "\nThe link is the one the data file stores (TCP/IP and an IP address, or a COM port\n"
    "and an address); these options replace parts of it for this run only, and the file\n"
    "keeps what it stores:\n"
    "  --tcp A.B.C.D[:PORT]  TCP/IP to that address (port: the settings' TcpPort, 7734)\n"
    "  --com N               serial link on COM N (1-99), with its stored line settings\n"
    "  --device PATH         serial link over this device (COM1 unless --com or the file\n"
    "                        names another COM port)\n"
    "  --line S              serial line settings, for example 9600,E,7,1\n"
    "  --terminal, --mini    serial framing (default: the COM port's stored choice)\n"
    "  --address N           the address put in every frame, 0-99 (serial: the file's\n"
    "                        address; TCP/IP: 1)\n"
    "  --timeout MS          TCP/IP reply wait in milliseconds (default 5000; every wait\n"
    "                        adds one second)\n"
    "  --on-error abort|retry|ignore\n"
    "                        the answer to every abort/retry/ignore question (default\n"
    "                        abort); retry gives up and aborts after 3 retries in a row\n"
    "Every message the operation shows is written to stderr as it is.\n";

std::vector<OptionDef> LinkOptionDefs(std::initializer_list<OptionDef> extra)
{
    std::vector<OptionDef> definitions{{"tcp", true},   {"com", true},      {"device", true},
                                  {"line", true},  {"terminal", false}, {"mini", false},
                                  {"address", true}, {"timeout", true}, {"on-error", true}};
    definitions.insert(definitions.end(), extra.begin(), extra.end());
    return definitions;
}

bool ParseTcpTarget(std::string_view text, std::uint32_t& address, std::optional<std::uint16_t>& port)
{
    port.reset();
    if (const auto colon = text.find(':'); colon != std::string_view::npos) {
        auto n = Number(text.substr(colon + 1), 1, 65535);
        if (!n)
            return false;
        port = static_cast<std::uint16_t>(*n);
        text = text.substr(0, colon);
    }
    address = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const auto dot = text.find('.');
        if ((octet < 3) == (dot == std::string_view::npos))
            return false;
        auto n = Number(text.substr(0, dot), 0, 255);
        if (!n)
            return false;
        address = (address << 8) | static_cast<std::uint32_t>(*n);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    }
    return true;
}

std::optional<std::string> ParseLinkOptions(const ParsedArgs& args, LinkOptions& out)
{
    if (auto text = args.value("tcp")) {
        std::uint32_t address = 0;
        if (!ParseTcpTarget(*text, address, out.tcpPort))
            return "--tcp takes A.B.C.D or A.B.C.D:PORT (PORT 1-65535), not \"" + *text + "\".";
        out.tcpAddress = address;
    }
    if (auto text = args.value("com")) {
        auto n = Number(*text, 1, 99);
        if (!n)
            return "--com takes a COM port number 1-99, not \"" + *text + "\".";
        out.com = static_cast<int>(*n);
    }
    if (auto text = args.value("device")) {
        if (text->empty())
            return "--device needs a device path.";
        out.device = *text;
    }
    if (auto text = args.value("line")) {
        auto line = ParseLineSettings(*text);
        const bool parityOk = line && line->parity != Parity::Mark && line->parity != Parity::Space;
        if (!line || !parityOk || (line->dataBits != 7 && line->dataBits != 8) ||
            (line->stopBits != 1 && line->stopBits != 2))
            return "--line takes speed,parity,data bits,stop bits (for example 9600,E,7,1), not \"" + *text + "\".";
        out.line = FormatLineSettings(*line);
    }
    if (args.has("terminal") && args.has("mini"))
        return "--terminal and --mini exclude each other.";
    if (args.has("terminal"))
        out.framing = 0;
    if (args.has("mini"))
        out.framing = 1;
    if (auto text = args.value("address")) {
        auto n = Number(*text, 0, kMaxFrameAddress);
        if (!n)
            return CFormat("--address takes a number 0-%d, not \"", kMaxFrameAddress) + *text + "\".";
        out.address = static_cast<int>(*n);
    }
    if (auto text = args.value("timeout")) {
        auto n = Number(*text, 0, 600000);
        if (!n)
            return "--timeout takes milliseconds 0-600000, not \"" + *text + "\".";
        out.timeoutMs = static_cast<int>(*n);
    }
    if (auto text = args.value("on-error")) {
        if (*text == "abort")
            out.onError = ErrorPolicy::Abort;
        else if (*text == "retry")
            out.onError = ErrorPolicy::Retry;
        else if (*text == "ignore")
            out.onError = ErrorPolicy::Ignore;
        else
            return "--on-error takes abort, retry or ignore, not \"" + *text + "\".";
    }
    if (out.tcpAddress) {
        for (const char* serialOnly : {"com", "device", "line", "terminal", "mini"})
            if (args.has(serialOnly))
                return std::string("--tcp cannot be combined with --") + serialOnly + ".";
    }
    return std::nullopt;
}

void StoredLink::restore(CCorvaneDoc& doc) const
{
    doc.commPort = commPort;
    doc.controllerAddress = controllerAddress;
}

std::optional<std::string> ApplyLinkOptions(const LinkOptions& o, CCorvaneDoc& doc, ControllerLink& link,
                                            StoredLink& stored)
{
    stored = {doc.commPort, doc.controllerAddress};
    if (o.tcpAddress) {
        doc.commPort = 0;
        doc.controllerAddress = *o.tcpAddress;
    } else if (o.com) {
        doc.commPort = *o.com;
    } else if (o.device && doc.commPort == 0) {
        doc.commPort = 1;
    }
    if (doc.commPort == 0 && (o.line || o.framing)) {
        const char* option = o.line ? "--line" : *o.framing == 0 ? "--terminal" : "--mini";
        return std::string(option) + " applies to a serial link, and the file names TCP/IP: add --com or --device.";
    }
    link.overrides.tcpPort = o.tcpPort;
    link.overrides.devicePath = o.device;
    link.overrides.lineSettings = o.line;
    link.overrides.protocol = o.framing;
    link.overrides.frameAddress = o.address;
    if (o.timeoutMs)
        link.tcpReceiveTimeoutMs = *o.timeoutMs;
    return std::nullopt;
}

void PrintMessage(std::string_view text)
{
    std::string out(text);
    if (out.empty() || out.back() != '\n')
        out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
}

void LinkInteraction::showMessage(const std::string& text, const std::string&, MessageIcon)
{
    ++messagesShown_;
    PrintMessage(text);
}

Answer LinkInteraction::ask(const std::string& text, const std::string& caption, Buttons buttons, MessageIcon icon)
{
    ++messagesShown_;
    PrintMessage(text);
    if (buttons != Buttons::AbortRetryIgnore)
        return SilentInteraction::ask(text, caption, buttons, icon);
    switch (policy_) {
    case ErrorPolicy::Ignore: return Answer::Ignore;
    case ErrorPolicy::Retry:
        if (retriesInARow_ < kRetryLimit) {
            ++retriesInARow_;
            return Answer::Retry;
        }
        PrintMessage(CFormat("corvane-cli: still failing after %d retries; aborting.", kRetryLimit));
        return Answer::Abort;
    case ErrorPolicy::Abort: break;
    }
    return Answer::Abort;
}

void QuietProgress::finish(const std::string& text)
{
    finished_ = true;
    PrintMessage(text);
}

} // namespace corvane::cli
