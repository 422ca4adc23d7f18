#include "comm/replycodes.h"

#include "common/cformat.h"

#include <array>

namespace corvane {
namespace {

// Each range ends with its marker entry, which is not a reply text.
constexpr std::array<const char*, 41> kCodes0 = {
    "Invalid Command", "In Program Mode", "Pellion Released", "Value out of Range", "Flow Active",
    "No Transaction Ever Done", "Operation Not Allowed", "Wrong Control Mode", "Transaction In Progress",
    "Alarm Condition", "Storage Full", "Operation Out of Sequence", "Power Failed During Transaction",
    "Comm Authorized", "Program Code Not Used", "Keypad/Display in Use", "Ticket Not In Printer",
    "No Keypad Data Pending", "No Transaction In Progress", "Option Not Installed", "Start after Stop Delay",
    "Permissive Delay Active", "Print Request Pending", "No Meter Enabled", "Must be in Program Mode",
    "Ticket Alarm During Transaction", "Volume Type Not Selected", "Exactly 1 Recipe Must be Enabled",
    "Batch Limit Reached", "Checking Entries", "Product/Recipe/Additive Not Assigned",
    "Invalid for Current Configuration", "No Key Ever Pressed", "Maximum active arms exceeded",
    "Transaction Not Standby", "Swing Arm out of Position", "Card-In Required", "Data Not Available",
    "Multiple Additives Enabled On Meter", "No Current Batch On This Arm", "LAST_NOXX"};

constexpr std::array<const char*, 11> kCodes90 = {
    "Minicomputer Protocol Required", "Buffer Allocation Failure", "Keypad Locked", "Data Recall Failure",
    "Not in Program Mode", "Security Access Not Available", "Undefined Error", "Undefined Error",
    "Undefined Error", "Internal Error", "LAST_NO9X"};

constexpr std::array<const char*, 48> kCodes8000 = {
    "Empty Configuration", "Block Not Found", "Bad Message Format", "Block Out of Sequence",
    "Invalid Flash Data", "Data too large for Target Buffer", "Bad CRC", "No Configuration Available",
    "Download Already in Progress", "Bad Database Identifier", "In Program Mode", "Pellion Released",
    "Value Out of Range", "Flow Active", "No Transaction Ever Done", "Operation Not Allowed",
    "Wrong Control Mode", "Transaction in Progress", "Alarm Active", "Storage Full",
    "Operation Out of Sequence", "Power Failed During Transaction", "Pellion Authorized",
    "Program Code Not Used", "Display/Keypad in Remote Control", "No Keypad data pending",
    "No Transaction in Progress", "Option Not Installed", "Start after Stop Delay", "Permissive Delay Active",
    "Print Request Pending", "No Meter Enabled", "Must be in Program Mode", "Ticket Alarm During Transaction",
    "Volume Type Not Selected", "Exactly 1 Recipe Must be Enabled", "Batch Limit Reached", "Checking Entries",
    "Product/Recipe/Additive Not Assigned", "Minicomputer Protocol Required", "Buffer Allocation Error",
    "Keypad Locked", "Data Recall Failed", "Internal Error", "Transmit Reply", "Unknown Error", "Unused Batch",
    "LAST COMMSERV CRITICAL"};

constexpr std::array<const char*, 8> kCodesC000 = {
    "Internal Flash Error", "Flash Has Overrun", "Internal Buffer Error", "Buffer Allocation Error",
    "Buffer Overrun", "Flash Erase Error", "Flash Write Error", "LAST COMMSERV FATAL"};

template <std::size_t N>
std::string Lookup(const std::array<const char*, N>& table, int first, int code)
{
    const int i = code - first;
    // Codes past a range (and its marker) have no text of their own.
    if (i < 0 || i >= static_cast<int>(N) - 1)
        return CFormat("Unknown reply code %d", code);
    return table[static_cast<std::size_t>(i)];
}

} // namespace

std::string ReplyCodeText(int code)
{
    if (code >= 49152)
        return Lookup(kCodesC000, 49152, code);
    if (code >= 32768)
        return Lookup(kCodes8000, 32768, code);
    if (code >= 90)
        return Lookup(kCodes90, 90, code);
    return Lookup(kCodes0, 0, code);
}

} // namespace corvane
