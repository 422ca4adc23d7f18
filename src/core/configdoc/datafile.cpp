#include "configdoc/datafile.h"

#include "common/atomicfile.h"
#include "common/bytes.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/revision.h"
#include "configdoc/archive.h"
#include "configdoc/fileheader.h"
#include "dictionary/valuetext.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {
namespace {

// Bytes a record value of this type code takes in the file; 0 for an unknown code.
std::size_t RecordWidth(int typeCode)
{
    if (!IsValidTypeCode(typeCode))
        return 0;
    auto t = static_cast<ValueType>(typeCode);
    return t == ValueType::Text ? kDataFileTextField : ScalarWidth(t);
}

void WriteValue(ArchiveWriter& out, const DBParam& p, const ValueImages& images)
{
    auto bytes = p.ValueAddress(images);
    const ValueType type = p.entry().type;
    if (type == ValueType::Text) {
        std::uint8_t field[kDataFileTextField] = {};
        auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(end - bytes.begin()), kDataFileTextField - 1);
        std::copy_n(bytes.begin(), n, field);
        out.writeBlock(field, sizeof field);
        return;
    }
    std::uint8_t raw[8] = {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), ScalarWidth(type)), raw);
    out.writeBlock(raw, ScalarWidth(type));
}

// A numeric record value as a number, from the record's own type.
double RecordNumber(ValueType type, std::span<const std::uint8_t> raw) { return NumericValue(type, raw); }

// Stores a number into a code of another numeric type: floats as they are,
// integers by their whole part, cut to the stored width like a typed entry.
void StoreConverted(const DBParam& p, ValueImages& images, double value)
{
    auto bytes = p.ValueAddress(images);
    const ValueType type = p.entry().type;
    if (type == ValueType::Float32) {
        StoreLE(bytes, static_cast<float>(value));
        return;
    }
    if (type == ValueType::Float64) {
        StoreLE(bytes, value);
        return;
    }
    long long whole = 0;
    if (std::isfinite(value)) {
        double t = std::trunc(value);
        if (t >= static_cast<double>(std::numeric_limits<long long>::max()))
            whole = std::numeric_limits<long long>::max();
        else if (t <= static_cast<double>(std::numeric_limits<long long>::min()))
            whole = std::numeric_limits<long long>::min();
        else
            whole = static_cast<long long>(t);
    }
    StoreValueFromText(static_cast<int>(type), bytes, std::to_string(whole), 0);
}

void ShowRevisionMessage(float revision, Interaction& interaction)
{
    const double file = revision;
    if (revision < TOOL_REVISION) {
        interaction.showMessage(CFormat("This file was last saved with Corvane Revision %.2f\nProgram codes added "
                                        "after Revision %.2f will not yet have values programmed.",
                                        file, file),
                                "Corvane", MessageIcon::None);
    } else if (revision > TOOL_REVISION) {
        interaction.showMessage(CFormat("This file was created with a newer revision Corvane (Rev%.2f). Not all "
                                        "data will be loaded.\nWarning: Saving the file from this Corvane (rev "
                                        "%.2f) may result in data loss.",
                                        file, static_cast<double>(TOOL_REVISION)),
                                "Corvane", MessageIcon::None);
    }
}

FileResult BadFormat() { return {FileStatus::BadFormat, kUnexpectedFileFormat, {}}; }

} // namespace

std::vector<std::uint8_t> EncodeDataFile(const CCorvaneDoc& doc)
{
    ArchiveWriter out;
    CFileHeader header;
    header.fileTypeId = kDataFileTypeId;
    header.revision = TOOL_REVISION;
    header.product = kDataFileProduct;
    header.notice = kDataFileNotice;
    header.write(out);
    out.writeInt32(doc.commPort);
    out.writeUInt32(doc.controllerAddress);
    out.writeInt32(0);
    out.writeInt32(doc.reservedWord);
    for (const DBParam& p : doc.chain().all()) {
        if (!p.hasValue())
            continue;
        out.writeInt32(p.rangeRow() + p.instance());
        out.writeInt32(p.codeNumber());
        out.writeInt32(p.instance());
        out.writeInt32(p.count());
        out.writeUInt8(static_cast<std::uint8_t>(p.entry().type));
        out.writeUInt8(static_cast<std::uint8_t>(p.SecurityLevel(doc.images())));
        WriteValue(out, p, doc.images());
    }
    out.writeInt32(kDataFileEndMarker);
    return out.take();
}

FileResult DecodeDataFile(std::span<const std::uint8_t> bytes, CCorvaneDoc& doc, Interaction& interaction,
                          LoadReport* report)
{
    LoadReport counts;
    ArchiveReader in(bytes);
    CFileHeader header;
    if (!header.read(in) || header.fileTypeId != kDataFileTypeId) {
        doc.clearValues();
        return BadFormat();
    }
    ShowRevisionMessage(header.revision, interaction);
    doc.commPort = in.readInt32();
    doc.controllerAddress = in.readUInt32();
    in.readInt32();
    doc.reservedWord = in.readInt32();
    ValueImages& images = doc.images();
    for (;;) {
        const std::int32_t directory = in.readInt32();
        if (!in.ok())
            break;
        if (directory == kDataFileEndMarker)
            break;
        const std::int32_t code = in.readInt32();
        in.readInt32(); // instance: every file written by this tool matches the code's own
        in.readInt32(); // number of codes in the directory
        const int typeCode = in.readUInt8();
        const int level = in.readUInt8();
        const std::size_t width = RecordWidth(typeCode);
        if (width == 0)
            in.fail(); // a value of unknown width cannot be stepped over
        std::uint8_t raw[kDataFileTextField] = {};
        in.readBlock(raw, width);
        if (!in.ok())
            break;
        DBParam* p = doc.chain().find(directory, code);
        if (!p) {
            ++counts.recordsSkipped;
            continue;
        }
        const ValueType recordType = static_cast<ValueType>(typeCode);
        const ValueType ownType = p->entry().type;
        std::span<const std::uint8_t> value(raw, width);
        if (recordType == ownType) {
            auto target = p->ValueAddress(images);
            if (ownType == ValueType::Text) {
                auto end = std::find(value.begin(), value.end(), std::uint8_t{0});
                std::string text(value.begin(), end);
                StoreValueFromText(typeCode, target, text, static_cast<std::size_t>(p->entry().maximum));
            } else {
                std::copy_n(value.begin(), std::min(target.size(), width), target.begin());
            }
            ++counts.recordsStored;
        } else if (IsNumericType(recordType) && IsNumericType(ownType)) {
            StoreConverted(*p, images, RecordNumber(recordType, value));
            ++counts.recordsConverted;
        } else {
            ++counts.recordsDropped;
            continue;
        }
        p->SetSecurityLevel(images, level);
        p->setHasValue();
    }
    if (!in.ok()) {
        doc.clearValues();
        return BadFormat();
    }
    if (report)
        *report = counts;
    return FileResult::success();
}

FileResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes)
{
    IoResult io = WriteFileAtomic(path, bytes);
    if (!io.ok)
        return {FileStatus::CannotSave, kFailedToSaveDocument, io.error};
    return FileResult::success();
}

FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    IoResult io = ReadFileBytes(path, bytes);
    if (!io.ok)
        return {FileStatus::CannotOpen, kFailedToOpenDocument, io.error};
    return FileResult::success();
}

FileResult SaveDataFile(CCorvaneDoc& doc, const std::string& path)
{
    const auto bytes = EncodeDataFile(doc);
    FileResult result = WriteFileAtomically(path, bytes);
    if (!result.ok())
        return result;
    doc.setPathName(path);
    doc.setModified(false);
    if (doc.connectionState == ProgramAccess && doc.connectionHooks())
        doc.connectionHooks()->logOffAfterSave(doc);
    return result;
}

FileResult LoadDataFile(CCorvaneDoc& doc, const std::string& path, Interaction& interaction, LoadReport* report)
{
    std::vector<std::uint8_t> bytes;
    FileResult result = ReadWholeFile(path, bytes);
    if (!result.ok())
        return result;
    result = DecodeDataFile(bytes, doc, interaction, report);
    if (!result.ok())
        return result;
    doc.setPathName(path);
    doc.setModified(false);
    if (doc.connectionHooks())
        doc.connectionHooks()->releaseProtocol(doc);
    doc.runContact();
    return result;
}

} // namespace corvane
