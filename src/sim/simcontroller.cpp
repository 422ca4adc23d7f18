#include "simcontroller.h"

#include "common/cformat.h"
#include "terminal/waitflags.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>

namespace corvane::sim {
namespace {

constexpr const char* kInvalidCommand = "NO00";
constexpr const char* kOutOfRange = "NO03";
constexpr const char* kNotAllowed = "NO06";
constexpr const char* kCodeNotUsed = "NO14";
constexpr const char* kNoData = "NO37";
constexpr const char* kNoSecurityAccess = "NO95";

constexpr int kDateCode = 101;
constexpr int kTimeCode = 102;
constexpr int kMacCode = 103;
constexpr int kGeneralPurpose = 5;

std::optional<unsigned> ParseUnsigned(std::string_view text)
{
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<unsigned>(value);
}

// "mn ccc" or "mn ccc rest": a directory mnemonic, a code number and what follows.
struct CodeRef {
    std::string_view mnemonic;
    int code = 0;
    std::optional<std::string_view> rest; // the text after the space that follows the code
};

std::optional<CodeRef> ParseCodeRef(std::string_view args)
{
    if (args.size() < 4 || args[2] != ' ')
        return std::nullopt;
    CodeRef ref;
    ref.mnemonic = args.substr(0, 2);
    std::string_view tail = args.substr(3);
    const std::size_t space = tail.find(' ');
    std::string_view digits = tail.substr(0, space);
    if (digits.empty() || digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return std::nullopt;
    ref.code = static_cast<int>(*ParseUnsigned(digits));
    if (space != std::string_view::npos)
        ref.rest = tail.substr(space + 1);
    return ref;
}

// A number the controller accepts: blanks, an optional sign, then a digit or a point and a digit.
bool LooksNumeric(std::string_view text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return false;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    auto digit = [&](std::size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    return digit(i) || (i < text.size() && text[i] == '.' && digit(i + 1));
}

std::string StoredText(std::span<const std::uint8_t> bytes)
{
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::string EventText(unsigned n)
{
    static constexpr std::array<const char*, 4> kTexts{"program mode entered", "program mode left", "power up",
                                                      "alarm cleared"};
    return CFormat("Event %u: %s", n, kTexts[(n - 1) % kTexts.size()]);
}

std::string AuditText(unsigned n)
{
    static constexpr std::array<int, 5> kCodes{111, 705, 121, 301, 147};
    return CFormat("Audit %u: %03d changed", n, kCodes[(n - 1) % kCodes.size()]);
}

unsigned RecipeOf(unsigned transaction) { return (transaction - 1) % 2 + 1; }
double AmountOf(unsigned transaction) { return 100.0 * RecipeOf(transaction); }

} // namespace

std::optional<RejectRule> ParseRejectRule(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon != 2 || text.size() < 4)
        return std::nullopt;
    const std::string_view head = text.substr(0, 2);
    const std::string_view tail = text.substr(3);
    static constexpr std::array<std::string_view, 4> kWords{"CF", "SY", "P1", "P2"};
    const bool recipe = head[0] >= '0' && head[0] <= '9' && head[1] >= '0' && head[1] <= '9';
    const bool mnemonic = recipe || std::find(kWords.begin(), kWords.end(), head) != kWords.end();
    RejectRule rule;
    if (tail == "*") {
        if (mnemonic)
            rule.mnemonic = head;
        else
            rule.command = head;
        return rule;
    }
    auto code = ParseUnsigned(tail);
    if (!mnemonic && code) {
        rule.command = head;
        rule.argument = std::to_string(*code);
        return rule;
    }
    if (!mnemonic || !code || *code > 999)
        return std::nullopt;
    rule.mnemonic = head;
    rule.code = static_cast<int>(*code);
    return rule;
}

SimController::SimController(SimConfig config) : config_(std::move(config))
{
    if (DBParam* mac = doc_.chain().find(kGeneralPurpose, kMacCode))
        mac->SetValueFromText(doc_.images(), "00:1B:7A:00:00:01");
    refreshClock();
}

void SimController::refreshClock()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%m/%d/%y", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    if (DBParam* p = doc_.chain().find(kGeneralPurpose, kDateCode))
        p->SetValueFromText(doc_.images(), date);
    if (DBParam* p = doc_.chain().find(kGeneralPurpose, kTimeCode))
        p->SetValueFromText(doc_.images(), time);
}

SimController::Lookup SimController::find(std::string_view mnemonic, int code)
{
    auto firstOf = [&](std::initializer_list<int> directories) -> DBParam* {
        for (int d : directories)
            if (DBParam* p = doc_.chain().find(d, code))
                return p;
        return nullptr;
    };
    Lookup found;
    found.knownMnemonic = true;
    if (mnemonic == "CF") {
        found.param = firstOf({1, 2, 3, 4});
    } else if (mnemonic == "SY") {
        found.param = firstOf({5, 6, 9, 10});
    } else if (mnemonic == "P1") {
        found.param = firstOf({kBlendMeterDirectory});
        if (found.param && found.param->isWildOnly())
            found.param = nullptr;
    } else if (mnemonic == "P2") {
        found.param = firstOf({kWildMeterDirectory});
        if (found.param && found.param->isBlendOnly())
            found.param = nullptr;
    } else if (auto n = ParseUnsigned(mnemonic); n && *n >= 1 && *n <= 12) {
        found.param = firstOf({kFirstRecipe + static_cast<int>(*n) - 1});
    } else {
        found.knownMnemonic = false;
    }
    return found;
}

bool SimController::rejected(std::string_view mnemonic, int code) const
{
    return std::any_of(config_.rejects.begin(), config_.rejects.end(), [&](const RejectRule& r) {
        return r.command.empty() && r.mnemonic == mnemonic && (r.code < 0 || r.code == code);
    });
}

std::string SimConfig::DefaultReport()
{
    return "        TRANSACTION REPORT\r\n"
           "Transaction     003\r\n"
           "Recipe          01 UNLEADED\r\n"
           "Gross volume    1234.5\r\n"
           "\f\r\n";
}

std::string SimController::status()
{
    const auto& replies = config_.statusReplies;
    if (replies.empty())
        return "@@@@@@";
    const std::string& reply = replies[std::min(statusIndex_, replies.size() - 1)];
    ++statusIndex_;
    return reply;
}

std::string SimController::statusCodes()
{
    const auto& replies = config_.statusReplies;
    const std::string flags = replies.empty() ? "@@@@@@" : replies[std::min(statusIndex_, replies.size() - 1)];
    std::string text = "RS";
    for (const WaitFlag& flag : kWaitFlags)
        if (WaitFlagSet(flag, flags))
            text += " " + std::string(flag.name);
    return text;
}

bool SimController::silentNow()
{
    if (!ramExecutive_)
        return false;
    const std::optional<std::uint32_t> crc = newImage ? newImage() : std::nullopt;
    if (!crc)
        return true;
    // The restart with the new image.
    ramExecutive_ = false;
    config_.firmwareCrc = *crc;
    return false;
}

std::string SimController::answer(std::string_view command)
{
    if (command.size() < 2)
        return kInvalidCommand;
    const std::string_view code = command.substr(0, 2);
    if (command.size() > 2 && command[2] != ' ')
        return kInvalidCommand;
    const bool bare = command.size() == 2;
    const std::string_view args = bare ? std::string_view() : command.substr(3);
    const std::string_view firstArgument = args.substr(0, args.find(' '));
    for (const RejectRule& r : config_.rejects)
        if (r.command == code && (r.argument.empty() || ParseUnsigned(firstArgument) == ParseUnsigned(r.argument)))
            return kCodeNotUsed;

    if (code == "PV")
        return readValue(args);
    if (code == "XV")
        return readLevel(args);
    if (code == "PC")
        return writeValue(command, args);
    if (code == "XC")
        return writeLevel(command, args);
    if (code == "ER" || code == "PR")
        return logEntry(code, args);
    if (code == "TR" || code == "TU")
        return transactionEntry(code, args);
    if (code == "TB")
        return batchEntry(args);
    if (code == "PT") {
        trailer_ = config_.report;
        return "PT";
    }
    if (!bare)
        return kInvalidCommand;
    if (code == "LO") {
        programMode_ = false;
        if (onLogOff)
            onLogOff();
        return "LO";
    }
    if (code == "GP")
        return CFormat("GP %08X", config_.firmwareCrc);
    if (code == "UF") {
        // Into the RAM executive: no replies until a new image has arrived.
        programMode_ = false;
        ramExecutive_ = true;
        if (onUpgradeStart)
            onUpgradeStart();
        return "UF";
    }
    if (code == "EQ")
        return status();
    if (code == "RS")
        return statusCodes();
    if (code == "GD") {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[32];
        std::strftime(text, sizeof text, "GD %m/%d/%Y %H:%M:%S", &local);
        return text;
    }
    if (code == "ES")
        return CFormat("ES %u", config_.events);
    if (code == "PS")
        return CFormat("PS %u", config_.audits);
    if (code == "TS")
        return CFormat("TS %u", config_.transactions);
    return kInvalidCommand;
}

std::string SimController::readValue(std::string_view args)
{
    auto ref = ParseCodeRef(args);
    if (!ref || ref->rest)
        return kInvalidCommand;
    Lookup found = find(ref->mnemonic, ref->code);
    if (!found.knownMnemonic)
        return kInvalidCommand;
    if (!found.param || rejected(ref->mnemonic, ref->code))
        return kCodeNotUsed;
    const DBParam& p = *found.param;
    if (ref->mnemonic == "SY" && (ref->code == kDateCode || ref->code == kTimeCode))
        refreshClock();
    std::string reply = CFormat("PV %.2s %03d ", ref->mnemonic.data(), ref->code);
    if (p.entry().type == ValueType::Text)
        reply += StoredText(p.ValueAddress(doc_.images()));
    else
        reply += p.ValueText(doc_.images());
    return reply;
}

std::string SimController::readLevel(std::string_view args)
{
    auto ref = ParseCodeRef(args);
    if (!ref || ref->rest)
        return kInvalidCommand;
    Lookup found = find(ref->mnemonic, ref->code);
    if (!found.knownMnemonic)
        return kInvalidCommand;
    if (!found.param)
        return kCodeNotUsed;
    const int level = found.param->SecurityLevel(doc_.images());
    return CFormat("XV %.2s %03d %d", ref->mnemonic.data(), ref->code, level);
}

std::string SimController::writeValue(std::string_view command, std::string_view args)
{
    if (config_.refuseProgram)
        return kNoSecurityAccess;
    auto ref = ParseCodeRef(args);
    if (!ref)
        return kInvalidCommand;
    Lookup found = find(ref->mnemonic, ref->code);
    if (!found.knownMnemonic)
        return kInvalidCommand;
    if (!found.param || rejected(ref->mnemonic, ref->code))
        return kCodeNotUsed;
    DBParam& p = *found.param;
    if (p.isReadOnly())
        return kNotAllowed;
    const std::string_view value = ref->rest.value_or(std::string_view());
    const DBEntry& e = p.entry();
    if (e.type == ValueType::Text) {
        if (value.size() > static_cast<std::size_t>(e.maximum))
            return kOutOfRange;
    } else {
        if (!LooksNumeric(value))
            return kOutOfRange;
        const auto v = static_cast<float>(ParseLeadingDouble(value));
        if (v < e.minimum || v > e.maximum)
            return kOutOfRange;
    }
    if (!doc_.setValue(p, value))
        return kOutOfRange;
    programMode_ = true;
    return std::string(command);
}

std::string SimController::writeLevel(std::string_view command, std::string_view args)
{
    if (config_.refuseProgram)
        return kNoSecurityAccess;
    auto ref = ParseCodeRef(args);
    if (!ref || !ref->rest)
        return kInvalidCommand;
    Lookup found = find(ref->mnemonic, ref->code);
    if (!found.knownMnemonic)
        return kInvalidCommand;
    if (!found.param || !found.param->hasSecurityLevel())
        return kCodeNotUsed;
    auto level = ParseUnsigned(*ref->rest);
    if (!level || *level < 1 || *level > 3)
        return kOutOfRange;
    found.param->SetSecurityLevel(doc_.images(), static_cast<int>(*level));
    programMode_ = true;
    return std::string(command);
}

std::string SimController::logEntry(std::string_view code, std::string_view args)
{
    auto n = ParseUnsigned(args);
    if (!n)
        return kInvalidCommand;
    const bool events = code == "ER";
    if (*n == 0 || *n > (events ? config_.events : config_.audits))
        return kNoData;
    return CFormat("%.2s %03u ", code.data(), *n) + (events ? EventText(*n) : AuditText(*n));
}

std::string SimController::transactionEntry(std::string_view code, std::string_view args)
{
    auto n = ParseUnsigned(args);
    if (!n)
        return kInvalidCommand;
    if (*n == 0 || *n > config_.transactions)
        return kNoData;
    if (code == "TR")
        return CFormat("TR %010u Transaction %u,Recipe %u,%.1f", *n, *n, RecipeOf(*n), AmountOf(*n));
    if (!config_.userData)
        return kNoData;
    return CFormat("TU %010u User %u", *n, *n);
}

std::string SimController::batchEntry(std::string_view args)
{
    const std::size_t space = args.find(' ');
    if (space == std::string_view::npos)
        return kInvalidCommand;
    auto b = ParseUnsigned(args.substr(0, space));
    auto n = ParseUnsigned(args.substr(space + 1));
    if (!b || !n)
        return kInvalidCommand;
    if (*n == 0 || *n > config_.transactions || *b == 0 || *b > config_.batches || *b > kMaxBatches)
        return kNoData;
    // One batch digit keeps the batch text at position 14, where transaction texts start.
    return CFormat("TB %u %08u Batch %u,Recipe %u,%.1f", *b, *n, *b, RecipeOf(*n), AmountOf(*n) / config_.batches);
}

} // namespace corvane::sim
