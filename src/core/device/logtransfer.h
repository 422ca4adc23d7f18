#pragma once
// Copying the controller's event, audit and transaction logs, newest entry
// first, into a text file, one line per entry.

#include <optional>
#include <string>

namespace corvane {

class CCorvaneDoc;
class ControllerLink;
class Progress;
class Shell;

enum class LogKind { Event, Audit, Transaction };

struct LogTransferResult {
    bool written = false; // a file was created
    std::string path;
    int entries = 0;      // entries requested and written
    bool cancelled = false;
};

// The default file name: the document title up to its last "." and the log's suffix.
std::string DefaultLogFileName(LogKind kind, const std::string& documentTitle);

// Runs one log transfer. With `outputPath` the file dialog is not shown.
LogTransferResult LogToFile(LogKind kind, CCorvaneDoc& doc, ControllerLink& link, Progress& progress, Shell& shell,
                            const std::optional<std::string>& outputPath = std::nullopt);

} // namespace corvane
