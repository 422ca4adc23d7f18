#include "clidoc.h"

#include "common/bytes.h"
#include "common/cformat.h"
#include "configdoc/archive.h"
#include "dictionary/directories.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace corvane::cli {
namespace {

std::string FileError(const FileResult& result, const std::string& path)
{
    std::string line = result.message + " " + path;
    if (!result.detail.empty())
        line += ": " + result.detail;
    return line;
}

// The shortest "%.*g" text that reads back as exactly `value`.
template <typename T> std::string ExactNumber(T value, int maxDigits)
{
    for (int digits = 1; digits < maxDigits; ++digits) {
        std::string text = CFormat("%.*g", digits, static_cast<double>(value));
        const T back = static_cast<T>(ParseLeadingDouble(text));
        if (std::memcmp(&back, &value, sizeof value) == 0)
            return text;
    }
    return CFormat("%.*g", maxDigits, static_cast<double>(value));
}

template <typename T> bool ReadsBack(const std::string& text, T value)
{
    const T back = static_cast<T>(ParseLeadingDouble(text));
    return std::memcmp(&back, &value, sizeof value) == 0;
}

} // namespace

void StderrInteraction::showMessage(const std::string& text, const std::string&, MessageIcon)
{
    PrintError(text);
}

std::string OneLine(std::string_view text)
{
    std::string out(text);
    std::replace(out.begin(), out.end(), '\n', ' ');
    std::replace(out.begin(), out.end(), '\r', ' ');
    return out;
}

void PrintError(std::string_view message)
{
    const std::string line = OneLine(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::optional<std::string> LoadFile(const std::string& path, CCorvaneDoc& doc, LoadedFile* loaded)
{
    std::vector<std::uint8_t> bytes;
    FileResult result = ReadWholeFile(path, bytes);
    if (!result.ok())
        return FileError(result, path);
    StderrInteraction interaction;
    LoadReport report;
    result = DecodeDataFile(bytes, doc, interaction, &report);
    if (!result.ok())
        return FileError(result, path);
    doc.setPathName(path);
    doc.setModified(false);
    if (loaded) {
        ArchiveReader in(bytes);
        loaded->header.read(in);
        loaded->report = report;
    }
    return std::nullopt;
}

std::optional<std::string> LoadFileForRewrite(const std::string& path, CCorvaneDoc& doc)
{
    LoadedFile loaded;
    if (auto error = LoadFile(path, doc, &loaded))
        return error;
    const int lost = loaded.report.recordsSkipped + loaded.report.recordsDropped;
    if (lost > 0)
        return CFormat("%s holds %d record(s) this tool cannot keep; the file is left unchanged.", path.c_str(), lost);
    return std::nullopt;
}

std::optional<std::string> SaveFile(CCorvaneDoc& doc, const std::string& path)
{
    FileResult result = SaveDataFile(doc, path);
    if (!result.ok())
        return FileError(result, path);
    return std::nullopt;
}

std::optional<int> ParseDirectory(std::string_view text, std::string& error)
{
    auto d = DirectoryByName(text);
    if (!d)
        error = "Unknown directory \"" + std::string(text) + "\": give a number 0-23 or a directory name.";
    return d;
}

DBParam* FindCode(CCorvaneDoc& doc, int directory, std::string_view code, std::string& error)
{
    const bool digits = !code.empty() && code.size() <= 9 &&
                        std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        error = "CODE must be a program code number, not \"" + std::string(code) + "\".";
        return nullptr;
    }
    const int number = static_cast<int>(ParseLeadingInteger(code));
    DBParam* p = doc.chain().find(directory, number);
    if (!p)
        error = CFormat("There is no program code %d in the %s directory.", number,
                        std::string(DirectoryName(directory)).c_str());
    return p;
}

std::string ExactValueText(const DBParam& param, const ValueImages& images)
{
    const DBEntry& entry = param.entry();
    auto bytes = param.ValueAddress(images);
    if (bytes.empty())
        return {};
    if (entry.type == ValueType::Text) {
        auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
        return std::string(bytes.begin(), end);
    }
    if (entry.hasOptions())
        return param.ValueText(images) + " " + std::string(param.OptionText(images));
    std::string shown = param.ValueText(images);
    if (entry.type == ValueType::Float32) {
        const float value = LoadLE<float>(bytes);
        return ReadsBack(shown, value) ? shown : ExactNumber(value, 9);
    }
    if (entry.type == ValueType::Float64) {
        const double value = LoadLE<double>(bytes);
        return ReadsBack(shown, value) ? shown : ExactNumber(value, 17);
    }
    return shown;
}

} // namespace corvane::cli
