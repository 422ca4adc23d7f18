#pragma once
// What the commands share: the stderr interaction, loading and saving data
// files, and finding a program code from the DIR and CODE arguments.

#include "common/interaction.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "configdoc/fileheader.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvane::cli {

// Messages go to stderr as one line each; questions take the silent defaults.
class StderrInteraction : public SilentInteraction {
public:
    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
};

// A message as one line: line breaks become blanks.
std::string OneLine(std::string_view text);

// Prints one line on stderr.
void PrintError(std::string_view message);

struct LoadedFile {
    CFileHeader header;
    LoadReport report;
};

// Loads `path` into `doc` (no controller link runs). On failure returns the
// line to show: the file message, the path and the system's reason.
std::optional<std::string> LoadFile(const std::string& path, CCorvaneDoc& doc, LoadedFile* loaded = nullptr);

// Like LoadFile, but also refuses a file that did not load completely, since
// writing it back would lose the records that were left out.
std::optional<std::string> LoadFileForRewrite(const std::string& path, CCorvaneDoc& doc);

// Saves atomically; on failure the line to show.
std::optional<std::string> SaveFile(CCorvaneDoc& doc, const std::string& path);

// DIR: a directory number 0-23 or its name, case-insensitive.
std::optional<int> ParseDirectory(std::string_view text, std::string& error);

// The code CODE of directory d.
DBParam* FindCode(CCorvaneDoc& doc, int directory, std::string_view code, std::string& error);

// The text of a program code's value that export writes and import and diff
// compare: the stored characters of text codes, for list codes the number, a
// blank and the option text, and for floating codes ValueText unless it does
// not give back the stored number, in which case the shortest text that does.
std::string ExactValueText(const DBParam& param, const ValueImages& images);

} // namespace corvane::cli
