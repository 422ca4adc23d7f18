#pragma once
// A controller at firmware revision 0.03 as seen through its command set: one
// unframed command text in, one unframed reply text out.

#include "configdoc/corvanedoc.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

namespace corvane::sim {

inline constexpr std::uint32_t kFirmwareCrc = 0xDF69BBA8; // revision 0.03
inline constexpr unsigned kMaxBatches = 9;

// A command the controller answers with "NO14" whatever it holds.
struct RejectRule {
    std::string command;  // a command code ("XV"): every request with it,
    std::string argument; // or, when set, those whose first argument is this ("ER 2")
    std::string mnemonic; // else PV and PC of a code of this directory mnemonic
    int code = -1;        // -1: every code of the mnemonic
};

// "SY:111", "P2:*" (PV and PC of codes), "XV:*" (a whole command) or "ER:2"
// (a command with this first argument); none when malformed.
std::optional<RejectRule> ParseRejectRule(std::string_view text);

struct SimConfig {
    std::uint32_t firmwareCrc = kFirmwareCrc;
    bool refuseProgram = false; // every PC and XC answers NO95
    unsigned events = 5;
    unsigned audits = 5;
    unsigned transactions = 3;
    unsigned batches = 2;       // per transaction, at most kMaxBatches
    bool userData = true;       // TU answers with archived user data
    std::vector<RejectRule> rejects;
    // Successive "EQ" replies: six flag characters each (0x40 plus four flag
    // bits); the last one repeats.
    std::vector<std::string> statusReplies{"@@@@@@"};
    // The transaction report that follows an accepted "PT" (form feed, CR LF at its end).
    std::string report = DefaultReport();
    static std::string DefaultReport();
};

class SimController {
public:
    explicit SimController(SimConfig config = {});
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    // The reply text to one command text.
    std::string answer(std::string_view command);

    bool programMode() const { return programMode_; }
    CCorvaneDoc& doc() { return doc_; }
    const CCorvaneDoc& doc() const { return doc_; }
    const SimConfig& config() const { return config_; }

    // Raw bytes to send after the reply frame (the report after "PT"); taken once.
    std::string takeTrailer() { return std::exchange(trailer_, {}); }

    // Called on every "LO", after program mode has ended.
    std::function<void()> onLogOff;

    // The firmware upgrade: an accepted "UF" starts the RAM executive, which
    // answers nothing until `newImage` names the CRC of a complete new image;
    // then the controller restarts with it.
    std::function<void()> onUpgradeStart;
    std::function<std::optional<std::uint32_t>()> newImage;
    bool ramExecutive() const { return ramExecutive_; }
    // True while a request is to get no reply; may restart the controller first.
    bool silentNow();

private:
    struct Lookup {
        bool knownMnemonic = false;
        DBParam* param = nullptr;
    };
    Lookup find(std::string_view mnemonic, int code);
    bool rejected(std::string_view mnemonic, int code) const;
    void refreshClock();

    std::string readValue(std::string_view args);
    std::string readLevel(std::string_view args);
    std::string writeValue(std::string_view command, std::string_view args);
    std::string writeLevel(std::string_view command, std::string_view args);
    std::string logEntry(std::string_view code, std::string_view args);
    std::string transactionEntry(std::string_view code, std::string_view args);
    std::string batchEntry(std::string_view args);

    std::string status();
    std::string statusCodes();

    SimConfig config_;
    CCorvaneDoc doc_;
    std::size_t statusIndex_ = 0;
    std::string trailer_;
    bool programMode_ = false;
    bool ramExecutive_ = false;
};

} // namespace corvane::sim
