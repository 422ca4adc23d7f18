#pragma once
// One program code of one directory in a configuration document.

#include "dictionary/dbentry.h"
#include "dictionary/valueimages.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

enum DBParamFlag : std::int32_t {
    ReadOnly = 1 << 1,  // marker {O}
    WildOnly = 1 << 7,  // marker {W}
    BlendOnly = 1 << 8, // marker {B}
};

class DBParam {
public:
    DBParam(int rangeRow, int position, int instance, int count, const DBEntry& entry);

    int rangeRow() const { return rangeRow_; }
    int position() const { return position_; }
    int instance() const { return instance_; }
    int count() const { return count_; }
    int directory() const { return rangeRow_ + instance_; }
    std::int32_t flags() const { return flags_; }
    bool isReadOnly() const { return (flags_ & ReadOnly) != 0; }
    bool isWildOnly() const { return (flags_ & WildOnly) != 0; }
    bool isBlendOnly() const { return (flags_ & BlendOnly) != 0; }
    const DBEntry& entry() const { return *entry_; }
    int codeNumber() const { return codeNumber_; }
    const DBParam* next() const { return next_; }
    DBParam* next() { return next_; }
    void setNext(DBParam* next) { next_ = next; }

    bool hasValue() const { return hasValue_; }
    void setHasValue(bool on = true) { hasValue_ = on; }
    void clearHasValue() { hasValue_ = false; }

    // The bytes of this code's instance; empty when the entry has no storage.
    std::span<std::uint8_t> ValueAddress(ValueImages& images) const;
    std::span<const std::uint8_t> ValueAddress(const ValueImages& images) const;

    std::string ValueText(const ValueImages& images) const;
    bool SetValueFromText(ValueImages& images, std::string_view text) const;
    std::uint8_t ValueByte(const ValueImages& images) const;

    bool hasSecurityLevel() const { return !entry_->attribute.isNone(); }
    int SecurityLevel(const ValueImages& images) const;
    void SetSecurityLevel(ValueImages& images, int level) const;

    std::string_view CommentText() const;
    std::string HintText() const;
    std::string_view DirectoryMnemonic() const;
    int DirectoryClass() const;
    int CommandCode() const { return codeNumber_; }
    int HelpContextId() const { return 10000 + 1000 * DirectoryClass() + CommandCode(); }

    // The description up to its first "{"; it begins with the code number.
    std::string_view description() const { return entry_->shownDescription(); }
    // The option text of the stored option number (list codes), else empty.
    std::string_view OptionText(const ValueImages& images) const;

private:
    int rangeRow_;
    int position_;
    int instance_;
    int count_;
    bool hasValue_ = false;
    std::int32_t flags_ = 0;
    const DBEntry* entry_;
    int codeNumber_;
    DBParam* next_ = nullptr;
};

} // namespace corvane
