#pragma once
// The reading and dumping of a controller file ("CONFIG/NAME") shared by
// every controller-file document. A document supplies its words and its
// codec; these pieces do the checks, the messages and the transfer job.
//
// Read:  PrepareControllerFileTransfer -> MakeTemporaryFileName ->
//        StartControllerFileRead; on the done notification
//        FinishControllerFileRead gives the verified image (or nothing).
// Dump:  PrepareControllerFileTransfer -> WriteControllerImage ->
//        StartControllerFileDump; on the done notification FinishControllerFileDump.

#include "transfer/transferthread.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class CCorvaneDoc;
class Interaction;
class Progress;
class Settings;

// The words of one document kind; the equation set's are the example.
struct ControllerFileWords {
    std::string remoteName;        // "EQUATION.CFG"
    std::string readTitle;         // "Reading Equations..."
    std::string readErrorCaption;  // "Error retrieving equation set"
    std::string crcMessage;        // "CRC of returned equation set does not match expected value."
    std::string emptyMessage;      // "No Entries Defined. Nothing to download."
    std::string dumpTitle;         // "Downloading Equation..."
    std::string dumpText;          // "Sending..."
    std::string sendErrorCaption;  // "Error sending equation set"
    std::string sendDoneMessage;   // "Equation set transfer to Pellion.net complete."
    // What the status bar calls the file ("equation file"); empty when the
    // view shows no transfer status (the card database).
    std::string fileKind;
};

// A status word of a view's transfer as the main window's status bar shows it:
// "%s transfer status: %s". Empty when the view shows none.
std::string TransferStatusText(const ControllerFileWords& words, const std::string& word);

// Where and how to log in: the target controller and the access code typed.
struct ControllerFileTarget {
    std::string server; // "%d.%d.%d.%d"
    std::uint16_t port = 21;
    std::string accessCode;
};

inline constexpr const char* kFtpUserName = "Corvane";
inline constexpr std::size_t kReadBackLimit = 65000;
inline constexpr std::uint32_t kReadExpectedSize = 65535;

// The target must have a network port; then the access code is asked for.
// None (after the warning, or silently when there is no target or the
// dialog was cancelled) when the operation ends here.
std::optional<ControllerFileTarget> PrepareControllerFileTransfer(const CCorvaneDoc* target, Interaction& ui,
                                                                  const Settings& store);

// A fresh temporary file name; none (after "Cannot create temporary file") when there is none.
std::optional<std::string> MakeTemporaryFileName(Interaction& ui);

// The jobs as documents build them (3 attempts, 3 s apart, 3000 ms time-out).
std::unique_ptr<CDownloadThread> MakeReadJob(const ControllerFileTarget& target, const std::string& remoteName,
                                             const std::string& localPath);
std::unique_ptr<CUploadThread> MakeDumpJob(const ControllerFileTarget& target, const std::string& remoteName,
                                           const std::string& localPath, std::uint32_t imageLength);

// Opens the progress window, builds and starts the download; none when the
// read ended (cancelled or no thread, with its message).
std::unique_ptr<CDownloadThread> StartControllerFileRead(const ControllerFileTarget& target,
                                                         const ControllerFileWords& words,
                                                         const std::string& temporaryPath, TransferOwner* owner,
                                                         Interaction& ui, Progress& progress);

// At the download's done notification: disposes of the job, shows the error
// or verifies the image. The image without its trailer, or none.
std::optional<std::vector<std::uint8_t>> FinishControllerFileRead(CTransferThread* job,
                                                                  const ControllerFileWords& words,
                                                                  Interaction& ui);

// The read-back check: at most 65000 bytes, the last four the big-endian CRC
// of the rest. On a mismatch the document's message is shown and the file deleted.
std::optional<std::vector<std::uint8_t>> ReadBackImage(const std::string& path, const ControllerFileWords& words,
                                                       Interaction& ui);

// Writes `body` and its CRC trailer to `path`, a progress step per byte and a
// look at Cancel after each block. False when cancelled or not written.
bool WriteControllerImage(const std::string& path, const std::vector<std::uint8_t>& body, Progress& progress);

// Builds and starts the upload of the image file; none (with its message) when no thread.
std::unique_ptr<CUploadThread> StartControllerFileDump(const ControllerFileTarget& target,
                                                       const ControllerFileWords& words,
                                                       const std::string& imagePath, TransferOwner* owner,
                                                       Interaction& ui, Progress& progress);

// At the upload's done notification: the completion or error box; disposes of the job.
bool FinishControllerFileDump(CTransferThread* job, const ControllerFileWords& words, Interaction& ui);

} // namespace corvane
