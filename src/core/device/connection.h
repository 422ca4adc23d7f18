#pragma once
// The link of a configuration document to its controller: building the
// protocol from the document's settings, the contact routine, the firmware
// revision check, program-mode access and log-off.

#include "configdoc/corvanedoc.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

class Interaction;
class Settings;

inline constexpr std::uint16_t kControllerTcpPort = 7734;

// The status-bar text of a connection state (blanks included).
std::string_view ConnectionStateText(int state);

// The firmware revision a "GP" CRC stands for; none when it is not known.
std::optional<float> RevisionForCrc(std::uint32_t crc);

// Choices that replace what the settings store and the data file say, for
// the command line and for tests.
struct LinkOverrides {
    std::optional<std::uint16_t> tcpPort;
    std::optional<std::string> devicePath;
    std::optional<std::string> lineSettings;
    std::optional<int> protocol;     // 0 terminal, 1 minicomputer
    std::optional<int> frameAddress; // the address put into every frame
};

class ControllerLink : public ConnectionHooks {
public:
    ControllerLink(Settings& settings, Interaction& interaction);

    LinkOverrides overrides;
    // The message area of the document's frame; each contact phase is shown there.
    std::function<void(const std::string&)> statusLine;
    // Receive timeout of newly built TCP links, in milliseconds (before the extra second).
    int tcpReceiveTimeoutMs = 5000;
    int tcpConnectTimeoutMs = 10000;

    Interaction& interaction() const { return interaction_; }
    Settings& settings() const { return settings_; }

    void OpenConnection(CCorvaneDoc& doc);
    int Contact(CCorvaneDoc& doc, bool skipAccessTest);
    float QueryRevision(CCorvaneDoc& doc);
    bool LogOff(CCorvaneDoc& doc);

    // "Retry Communications": offline, then contact.
    void RetryCommunications(CCorvaneDoc& doc);
    // "Go Offline": the link stays built.
    void GoOffline(CCorvaneDoc& doc);
    // "Options for this Pellion..." after OK: new settings, new link, contact, modified.
    void ChangeOptions(CCorvaneDoc& doc, std::int32_t commPort, std::uint32_t controllerAddress);

    // Whether the document's commands of each kind are enabled.
    static bool CanRead(const CCorvaneDoc& doc) { return doc.connectionState > Offline; }
    static bool CanDump(const CCorvaneDoc& doc) { return doc.connectionState > ReadAccess; }

    void contact(CCorvaneDoc& doc) override { Contact(doc, false); }
    void logOffAfterSave(CCorvaneDoc& doc) override { LogOff(doc); }
    void releaseProtocol(CCorvaneDoc& doc) override { doc.protocol.reset(); }

private:
    void show(const std::string& text) const;

    Settings& settings_;
    Interaction& interaction_;
};

// "%d.%d.%d.%d" of an address whose first octet is the most significant byte.
std::string DottedAddress(std::uint32_t address);

} // namespace corvane
