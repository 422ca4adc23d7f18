#pragma once
// The configuration data file (.mlb): header, link settings, one record per
// program code that holds a value, and an end marker.

#include "configdoc/corvanedoc.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane {

class Interaction;

inline constexpr std::int32_t kDataFileTypeId = 31034;
inline constexpr std::int32_t kDataFileEndMarker = 53713; // 0xD1D1
inline constexpr std::size_t kDataFileTextField = 25;
inline constexpr const char* kDataFileProduct = "Corvane for Pellion.net";
inline constexpr const char* kDataFileNotice = "Pellion.net Configuration File";

inline constexpr const char* kUnexpectedFileFormat = "Unexpected file format.";
inline constexpr const char* kFailedToOpenDocument = "Failed to open document.";
inline constexpr const char* kFailedToSaveDocument = "Failed to save document.";

enum class FileStatus { Ok, BadFormat, CannotOpen, CannotSave };

struct FileResult {
    FileStatus status = FileStatus::Ok;
    std::string message; // the text to show; empty on success
    std::string detail;  // the system's reason, when there is one

    bool ok() const { return status == FileStatus::Ok; }
    static FileResult success() { return {}; }
};

// What a load did with records it could not store as they were.
struct LoadReport {
    int recordsStored = 0;
    int recordsSkipped = 0;   // no such code in that directory
    int recordsConverted = 0; // numeric record of another numeric type
    int recordsDropped = 0;   // text where a number was expected, or the reverse
};

// Encoding in memory. The save does not run the program-mode log-off; see SaveDataFile.
std::vector<std::uint8_t> EncodeDataFile(const CCorvaneDoc& doc);

// Decodes into a freshly constructed (or cleared) document. The revision
// messages go to `interaction`. On failure the document is cleared again.
FileResult DecodeDataFile(std::span<const std::uint8_t> bytes, CCorvaneDoc& doc, Interaction& interaction,
                          LoadReport* report = nullptr);

// Saving goes through a temporary file and a rename: a failed save leaves the
// file that was there untouched. A document in program mode then logs off.
FileResult SaveDataFile(CCorvaneDoc& doc, const std::string& path);

// Loads a file and then runs the contact routine with the loaded settings.
FileResult LoadDataFile(CCorvaneDoc& doc, const std::string& path, Interaction& interaction,
                        LoadReport* report = nullptr);

// Writes bytes to a file atomically (temporary file, then rename).
FileResult WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
// Reads a whole file.
FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace corvane
