#include "transfer/controllerfile.h"

#include "common/cformat.h"
#include "common/crc32.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "transfer/transfersettings.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <unistd.h>

namespace corvane {
namespace {

constexpr std::size_t kImageBlock = 512;

template <class Job>
std::unique_ptr<Job> MakeJob(const ControllerFileTarget& target, const std::string& remoteName,
                             const std::string& localPath)
{
    auto job = std::make_unique<Job>();
    job->server = target.server;
    job->port = target.port;
    job->userName = kFtpUserName;
    job->password = target.accessCode;
    job->remotePath = "CONFIG/" + remoteName;
    job->localPath = localPath;
    job->attempts = 3;
    job->retryDelay = 3;
    job->timeout = 3000;
    return job;
}

} // namespace

std::string TransferStatusText(const ControllerFileWords& words, const std::string& word)
{
    if (words.fileKind.empty())
        return {};
    return CFormat("%s transfer status: %s", words.fileKind.c_str(), word.c_str());
}

std::optional<ControllerFileTarget> PrepareControllerFileTransfer(const CCorvaneDoc* target, Interaction& ui,
                                                                  const Settings& store)
{
    if (!target)
        return std::nullopt;
    const bool network = target->protocol ? target->protocol->IsNetwork() : target->commPort == 0;
    if (!network) {
        ui.showMessage("Either an Ethernet or a SLIP connection is required for this function",
                       "Cannot perform requested operation", MessageIcon::Warning);
        return std::nullopt;
    }
    const auto code = ui.askAccessCode();
    if (!code)
        return std::nullopt;
    return ControllerFileTarget{DottedAddress(target->controllerAddress), ControllerFtpPort(store), *code};
}

std::optional<std::string> MakeTemporaryFileName(Interaction& ui)
{
    std::string name = QDir::tempPath().toStdString() + "/corvane-XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        ui.showMessage("Cannot create temporary file", "Corvane", MessageIcon::Error);
        return std::nullopt;
    }
    close(fd);
    return name;
}

std::unique_ptr<CDownloadThread> MakeReadJob(const ControllerFileTarget& target, const std::string& remoteName,
                                             const std::string& localPath)
{
    auto job = MakeJob<CDownloadThread>(target, remoteName, localPath);
    job->expectedSize = kReadExpectedSize;
    return job;
}

std::unique_ptr<CUploadThread> MakeDumpJob(const ControllerFileTarget& target, const std::string& remoteName,
                                           const std::string& localPath, std::uint32_t imageLength)
{
    auto job = MakeJob<CUploadThread>(target, remoteName, localPath);
    job->expectedSize = imageLength;
    return job;
}

std::unique_ptr<CDownloadThread> StartControllerFileRead(const ControllerFileTarget& target,
                                                         const ControllerFileWords& words,
                                                         const std::string& temporaryPath, TransferOwner* owner,
                                                         Interaction& ui, Progress& progress)
{
    progress.setTitle(words.readTitle);
    progress.setText("Opening FTP Connection to Pellion ...");
    progress.breathe();
    if (progress.cancelled()) {
        progress.close();
        return nullptr;
    }
    auto job = MakeReadJob(target, words.remoteName, temporaryPath);
    job->owner = owner;
    if (!job->Start()) {
        job.reset();
        ui.showMessage("Unable to create thread for read operation", "Error", MessageIcon::Error);
    }
    progress.close();
    return job;
}

std::optional<std::vector<std::uint8_t>> ReadBackImage(const std::string& path, const ControllerFileWords& words,
                                                       Interaction& ui)
{
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(kReadBackLimit);
    } catch (const std::bad_alloc&) {
        ui.showMessage("Unable to allocate sufficient memory for this operation!", "Corvane", MessageIcon::Error);
        return std::nullopt;
    }
    std::size_t size = 0;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        size = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
    }
    buffer.resize(size);
    if (!verifyCrcTrailer(buffer)) {
        ui.showMessage(words.crcMessage, "Corvane", MessageIcon::Error);
        std::remove(path.c_str());
        return std::nullopt;
    }
    buffer.resize(size - kCrcTrailerSize);
    return buffer;
}

std::optional<std::vector<std::uint8_t>> FinishControllerFileRead(CTransferThread* job,
                                                                  const ControllerFileWords& words,
                                                                  Interaction& ui)
{
    const std::string result = job->resultText;
    const bool failed = job->errorFlag != 0;
    const std::string path = job->localPath;
    StopAndDispose(job);
    if (failed) {
        ui.showMessage(result, words.readErrorCaption, MessageIcon::Error);
        std::remove(path.c_str());
        return std::nullopt;
    }
    auto image = ReadBackImage(path, words, ui);
    // The caller decodes what it got; the temporary file is not needed again.
    std::remove(path.c_str());
    return image;
}

bool WriteControllerImage(const std::string& path, const std::vector<std::uint8_t>& body, Progress& progress)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    progress.setRange(0, static_cast<int>(body.size() + kCrcTrailerSize));
    ImageCrc crc;
    crc.start();
    for (std::size_t i = 0; i < body.size(); ++i) {
        out.put(static_cast<char>(body[i]));
        crc.addByte(body[i]);
        progress.stepIt();
        if ((i + 1) % kImageBlock == 0) {
            progress.breathe();
            if (progress.cancelled())
                return false;
        }
    }
    const std::uint32_t value = crc.value();
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.put(static_cast<char>((value >> shift) & 0xFF));
        progress.stepIt();
    }
    out.close();
    return !out.fail();
}

std::unique_ptr<CUploadThread> StartControllerFileDump(const ControllerFileTarget& target,
                                                       const ControllerFileWords& words,
                                                       const std::string& imagePath, TransferOwner* owner,
                                                       Interaction& ui, Progress& progress)
{
    progress.setText("Downloading image to Pellion.net...");
    progress.setPosition(0);
    std::uint32_t length = 0;
    if (std::FILE* f = std::fopen(imagePath.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        length = static_cast<std::uint32_t>(std::ftell(f));
        std::fclose(f);
    }
    auto job = MakeDumpJob(target, words.remoteName, imagePath, length);
    job->owner = owner;
    if (!job->Start()) {
        job.reset();
        ui.showMessage("Unable to create thread for transfer", "Error", MessageIcon::Error);
    }
    return job;
}

bool FinishControllerFileDump(CTransferThread* job, const ControllerFileWords& words, Interaction& ui)
{
    const bool failed = job->errorFlag != 0;
    if (failed)
        ui.showMessage(job->resultText, words.sendErrorCaption, MessageIcon::Error);
    else
        ui.showMessage(words.sendDoneMessage, "Corvane", MessageIcon::Information);
    StopAndDispose(job);
    return !failed;
}

} // namespace corvane
