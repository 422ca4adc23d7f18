#include "device/connection.h"

#include "comm/miniprotocol.h"
#include "comm/tcpport.h"
#include "comm/terminalprotocol.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/revision.h"
#include "common/settings.h"

#include <cmath>
#include <cstdlib>

namespace corvane {
namespace {

struct FirmwareRevision {
    std::uint32_t crc;
    float revision;
};

constexpr FirmwareRevision kFirmwareRevisions[] = {
    {0x34A6D277u, 0.00f},
    {0xBB1C1A88u, 0.01f},
    {0xEB85BEA3u, 0.02f},
    {0xDF69BBA8u, 0.03f},
};

constexpr std::size_t kContactTestLength = 11;

} // namespace

std::string_view ConnectionStateText(int state)
{
    switch (state) {
    case NoComm: return " ? Comm ";
    case Offline: return " Offline  ";
    case ReadAccess: return " *READ ONLY* ";
    case ProgramAccess: return " *ONLINE* ";
    default: return "   ";
    }
}

std::optional<float> RevisionForCrc(std::uint32_t crc)
{
    for (const auto& row : kFirmwareRevisions)
        if (row.crc == crc)
            return row.revision;
    return std::nullopt;
}

std::string DottedAddress(std::uint32_t a)
{
    return CFormat("%d.%d.%d.%d", static_cast<int>((a >> 24) & 0xFF), static_cast<int>((a >> 16) & 0xFF),
                   static_cast<int>((a >> 8) & 0xFF), static_cast<int>(a & 0xFF));
}

ControllerLink::ControllerLink(Settings& settings, Interaction& interaction)
    : settings_(settings), interaction_(interaction)
{
}

void ControllerLink::show(const std::string& text) const
{
    if (statusLine)
        statusLine(text);
}

void ControllerLink::OpenConnection(CCorvaneDoc& doc)
{
    doc.protocol.reset();
    if (doc.commPort == 0) {
        const std::uint16_t port = overrides.tcpPort.value_or(
            static_cast<std::uint16_t>(settings_.value(settings::ControllerTcpPort)));
        // The connect waits happen in the port's constructor; give it our timeouts first.
        auto tcp = std::make_unique<TCPPort>(DottedAddress(doc.controllerAddress), port, tcpConnectTimeoutMs);
        tcp->socket().receiveTimeout = tcpReceiveTimeoutMs;
        doc.protocol = std::make_unique<TerminalProtocol>(std::move(tcp), 0);
        // A TCP/IP link frames address 1 whatever the controller's IP address is.
        doc.protocol->SetAddress(overrides.frameAddress.value_or(1));
        return;
    }
    const int com = doc.commPort;
    const LineSettings line =
        LineSettingsOrDefault(overrides.lineSettings.value_or(settings_.lineSettings(com)));
    const int framing = overrides.protocol.value_or(settings_.protocol(com));
    const std::string device = overrides.devicePath.value_or(settings_.devicePath(com));
    if (framing == 0)
        doc.protocol = std::make_unique<TerminalProtocol>(com, line, device);
    else if (framing == 1)
        doc.protocol = std::make_unique<MiniProtocol>(com, line, device);
    else
        return;
    doc.protocol->SetAddress(overrides.frameAddress.value_or(static_cast<int>(doc.controllerAddress & 0xFF)));
}

int ControllerLink::Contact(CCorvaneDoc& doc, bool skipAccessTest)
{
    auto done = [&](int state) {
        show("Ready");
        doc.connectionState = state;
        doc.updateAllViews();
        return state;
    };
    show("Attempting to contact Pellion.net...");
    if (!doc.protocol || !doc.protocol->IsOpen())
        OpenConnection(doc);
    if (!doc.protocol)
        return done(NoComm);
    ComProtocol& link = *doc.protocol;
    if (!link.Send("PV SY 111"))
        return done(Offline);
    show("Attempting to contact Pellion.net - waiting for reply...");
    std::string reply;
    if (link.Receive(reply) != 0)
        return done(Offline);
    show("Ready");
    if (doc.connectionState < ReadAccess) {
        doc.connectionState = ReadAccess;
        const float revision = QueryRevision(doc);
        if (revision < 0) {
            interaction_.showMessage("Corvane does not recognize the Pellion.net revision. \nVerify Corvane is the "
                                     "correct version (Check Help|About)",
                                     "Corvane", MessageIcon::Information);
        } else if (std::fabs(revision - TOOL_REVISION) > 0.001f) {
            interaction_.showMessage(CFormat("The Pellion.net online is an older revision (Rev %.2f). \nNot all Rev "
                                             "%.2f program codes may be supported.",
                                             static_cast<double>(revision), static_cast<double>(TOOL_REVISION)),
                                     "Corvane", MessageIcon::Information);
        }
    }
    if (skipAccessTest) {
        doc.updateAllViews();
        return doc.connectionState;
    }
    show("Testing for Program mode access...");
    // Writing back the value just read changes nothing on the controller and
    // succeeds only with program-mode access. A reply too short to carry a
    // value is not written back.
    if (reply.size() >= kContactTestLength) {
        std::string test = reply.substr(0, kContactTestLength);
        test[1] = 'C';
        std::string answer;
        if (link.Send(test) && link.Receive(answer) == 0)
            doc.connectionState = ProgramAccess;
    }
    return done(doc.connectionState);
}

float ControllerLink::QueryRevision(CCorvaneDoc& doc)
{
    if (!doc.protocol || !doc.protocol->Send("GP"))
        return -1.0f;
    std::string reply;
    if (doc.protocol->Receive(reply) != 0)
        return -1.0f;
    const std::string digits = reply.size() > 3 ? reply.substr(3) : std::string();
    const auto crc = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    const auto revision = RevisionForCrc(crc);
    if (!revision)
        return -1.0f;
    doc.updateAllViews();
    doc.controllerRevision = *revision;
    return *revision;
}

bool ControllerLink::LogOff(CCorvaneDoc& doc)
{
    Contact(doc, false);
    if (!doc.protocol)
        return false;
    doc.protocol->Send("LO");
    std::string reply;
    return doc.protocol->Receive(reply) == 0;
}

void ControllerLink::RetryCommunications(CCorvaneDoc& doc)
{
    doc.connectionState = Offline;
    Contact(doc, false);
}

void ControllerLink::GoOffline(CCorvaneDoc& doc)
{
    doc.connectionState = Offline;
    doc.updateAllViews();
}

void ControllerLink::ChangeOptions(CCorvaneDoc& doc, std::int32_t commPort, std::uint32_t controllerAddress)
{
    doc.commPort = commPort;
    doc.controllerAddress = controllerAddress;
    doc.protocol.reset();
    Contact(doc, false);
    doc.setModified();
}

} // namespace corvane
