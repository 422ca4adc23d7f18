#include "dictionary/dbparam.h"

#include "dictionary/directories.h"
#include "dictionary/valuetext.h"

namespace corvane {
namespace {

std::int32_t MarkerFlags(std::string_view description)
{
    std::int32_t flags = 0;
    for (std::size_t i = description.find('{'); i != std::string_view::npos && i + 1 < description.size();
         i = description.find('{', i + 1)) {
        switch (description[i + 1]) {
        case 'B': flags |= BlendOnly; break;
        case 'O': flags |= ReadOnly; break;
        case 'W': flags |= WildOnly; break;
        default: break;
        }
    }
    return flags;
}

} // namespace

DBParam::DBParam(int rangeRow, int position, int instance, int count, const DBEntry& entry)
    : rangeRow_(rangeRow), position_(position), instance_(instance), count_(count),
      flags_(MarkerFlags(entry.description)), entry_(&entry), codeNumber_(entry.codeNumber())
{
}

std::span<std::uint8_t> DBParam::ValueAddress(ValueImages& images) const
{
    if (entry_->storage.isNone())
        return {};
    return images.at(entry_->storage, static_cast<std::size_t>(entry_->instanceStride) * instance_,
                     entry_->storageWidth());
}

std::span<const std::uint8_t> DBParam::ValueAddress(const ValueImages& images) const
{
    return ValueAddress(const_cast<ValueImages&>(images));
}

std::string DBParam::ValueText(const ValueImages& images) const
{
    return FormatValue(*entry_, ValueAddress(images));
}

bool DBParam::SetValueFromText(ValueImages& images, std::string_view text) const
{
    auto bytes = ValueAddress(images);
    if (!IsValidTypeCode(static_cast<int>(entry_->type)))
        return false;
    if (bytes.empty())
        return true; // no storage: nothing to store
    return StoreValueFromText(static_cast<int>(entry_->type), bytes, text,
                              static_cast<std::size_t>(entry_->maximum));
}

std::uint8_t DBParam::ValueByte(const ValueImages& images) const
{
    auto bytes = ValueAddress(images);
    return bytes.empty() ? 0 : bytes[0];
}

int DBParam::SecurityLevel(const ValueImages& images) const
{
    auto byte = images.at(entry_->attribute, 0, 1);
    return byte.empty() ? 0 : byte[0];
}

void DBParam::SetSecurityLevel(ValueImages& images, int level) const
{
    auto byte = images.at(entry_->attribute, 0, 1);
    if (!byte.empty())
        byte[0] = static_cast<std::uint8_t>(level);
}

std::string_view DBParam::CommentText() const
{
    if (isReadOnly())
        return "Read Only";
    if (isWildOnly())
        return "Wild Stream Only";
    if (isBlendOnly())
        return "Blend Stream Only";
    return " ";
}

std::string DBParam::HintText() const { return corvane::HintText(*entry_); }

std::string_view DBParam::DirectoryMnemonic() const
{
    const DirectoryInfo* info = Directory(directory());
    return info ? info->mnemonic : std::string_view();
}

int DBParam::DirectoryClass() const
{
    const DirectoryInfo* info = Directory(directory());
    return info ? info->helpClass : 0;
}

std::string_view DBParam::OptionText(const ValueImages& images) const
{
    return corvane::OptionText(*entry_, ValueByte(images));
}

} // namespace corvane
