#include "device/logtransfer.h"

#include "comm/portstatus.h"
#include "common/cformat.h"
#include "common/interaction.h"
#include "common/progress.h"
#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace corvane {
namespace {

struct LogDescription {
    const char* latestCommand;
    const char* entryCommand;
    const char* suffix;
    const char* dialogTitle;
    const char* progressTitle;
    const char* firstLine;
    const char* line;
};

constexpr LogDescription kEvent{"ES", "ER %u", "-EventLog.txt", "Select file to store event log data",
                                "Transferring Event Log entries...", "Reading event log entry %u",
                                "Reading event log entry %u"};
constexpr LogDescription kAudit{"PS", "PR %u", "-AuditLog.txt", "Select file to store audit log data",
                                "Transferring Audit Log entries...", "Reading Audit log entry %u",
                                "Reading audit log entry %u"};
constexpr LogDescription kTransaction{"TS", "TR %u", "-TransLog.txt", "Select file to store transaction log data",
                                      "Transferring Transaction Log entries...", "Reading transaction log entry %u",
                                      "Reading transaction log entry %u"};

constexpr std::size_t kLatestPosition = 3;
constexpr std::size_t kLogEntryPosition = 7;
constexpr std::size_t kTransactionPosition = 14;
constexpr const char* kTemplateName = "CorvaneDataTemplate.xlsm";

const LogDescription& Describe(LogKind kind)
{
    switch (kind) {
    case LogKind::Event: return kEvent;
    case LogKind::Audit: return kAudit;
    case LogKind::Transaction: return kTransaction;
    }
    return kEvent;
}

std::string From(const std::string& text, std::size_t position)
{
    return text.size() > position ? text.substr(position) : std::string();
}

// One exchange: 0 accepted, 8 rejected, -1 not sent, else the failure status.
int Exchange(ComProtocol& protocol, const std::string& command, std::string& reply)
{
    if (!protocol.Send(command))
        return -1;
    return protocol.Receive(reply);
}

} // namespace

std::string DefaultLogFileName(LogKind kind, const std::string& title)
{
    const auto dot = title.find_last_of('.');
    const std::string base = (dot == std::string::npos || dot == 0) ? title : title.substr(0, dot);
    return base + Describe(kind).suffix;
}

LogTransferResult LogToFile(LogKind kind, CCorvaneDoc& doc, ControllerLink& link, Progress& progress, Shell& shell,
                            const std::optional<std::string>& outputPath)
{
    const LogDescription& log = Describe(kind);
    Interaction& ui = link.interaction();
    LogTransferResult result;
    if (!doc.protocol || !doc.protocol->Send(log.latestCommand)) {
        ui.showMessage("Error in transmission of command - aborting", "Corvane", MessageIcon::Warning);
        return result;
    }
    ComProtocol& protocol = *doc.protocol;
    std::string reply;
    if (protocol.Receive(reply) != StatusOk) {
        ui.showMessage("Error in response - aborting", "Corvane", MessageIcon::Warning);
        return result;
    }
    auto n = static_cast<std::uint32_t>(std::strtoul(From(reply, kLatestPosition).c_str(), nullptr, 10));

    std::string path;
    if (outputPath) {
        path = *outputPath;
    } else {
        FileDialogRequest request;
        request.title = log.dialogTitle;
        request.filter = "Text files (*.txt)|*.txt|All files (*.*)|*.*||";
        request.defaultName = DefaultLogFileName(kind, doc.title());
        request.defaultExtension = ".txt";
        request.save = true;
        auto chosen = ui.askFile(request);
        if (!chosen)
            return result;
        path = *chosen;
    }
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        ui.showMessage(CFormat("Cannot create %s: %s", path.c_str(), std::strerror(errno)), "Corvane",
                       MessageIcon::Warning);
        return result;
    }
    result.written = true;
    result.path = path;

    progress.setTitle(log.progressTitle);
    progress.setText(CFormat(log.firstLine, n));
    progress.setRange(0, 2000);
    progress.setStep(1);
    progress.setPosition(0);

    // A controller that has never logged anything gives an empty file.
    while (n != 0) {
        if (kind == LogKind::Transaction) {
            progress.setText(CFormat(log.line, n));
            const int status = Exchange(protocol, CFormat("TR %u", n), reply);
            if (status == -1 || status == StatusRejected)
                break;
            if (status == StatusOk) {
                std::fputs(From(reply, kTransactionPosition).c_str(), file);
                // Archived user data follows a comma unless the controller has none;
                // data that could not be read stays empty after its comma.
                std::string data;
                const int dataStatus = Exchange(protocol, CFormat("TU %u", n), data);
                if (dataStatus != -1 && dataStatus != StatusRejected) {
                    std::fputc(',', file);
                    if (dataStatus == StatusOk)
                        std::fputs(From(data, kTransactionPosition).c_str(), file);
                }
                std::fputc('\n', file);
                for (int batch = 1;; ++batch) {
                    std::string line;
                    if (Exchange(protocol, CFormat("TB %d %u", batch, n), line) != StatusOk)
                        break;
                    std::fputs(From(line, kTransactionPosition).c_str(), file);
                    std::fputc('\n', file);
                }
            } else {
                std::fputc('\n', file); // an entry that could not be read stays an empty line
            }
        } else {
            const int status = Exchange(protocol, CFormat(log.entryCommand, n), reply);
            if (status == -1 || status == StatusRejected)
                break;
            if (status == StatusOk)
                std::fputs(From(reply, kLogEntryPosition).c_str(), file);
            std::fputc('\n', file);
        }
        ++result.entries;
        --n;
        progress.stepIt();
        progress.breathe();
        if (progress.cancelled()) {
            std::fclose(file);
            result.cancelled = true;
            progress.close();
            return result;
        }
        if (kind != LogKind::Transaction)
            progress.setText(CFormat(log.line, n));
    }
    const bool closed = std::fclose(file) == 0;
    progress.close();
    if (!closed) {
        ui.showMessage(CFormat("Error writing %s", path.c_str()), "Corvane", MessageIcon::Warning);
        return result;
    }
    if (kind == LogKind::Transaction) {
        const std::string templatePath = QDir::current().absoluteFilePath(kTemplateName).toStdString();
        const auto application = shell.applicationFor(templatePath);
        if (application && IsSpreadsheetApplication(*application)) {
            link.settings().setSpreadsheetLogFileName(QDir(QString::fromStdString(path)).absolutePath().toStdString());
            shell.open(templatePath);
        } else {
            shell.open(path);
        }
    }
    return result;
}

} // namespace corvane
