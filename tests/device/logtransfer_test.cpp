#include "device/logtransfer.h"

#include "device/devicefixture.h"

#include <gmock/gmock.h>

#include <QDir>
#include <QFileInfo>

#include <fstream>
#include <sstream>

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class LogTransferTest : public SimLinkTest {
protected:
    FakeShell shell;

    // Contacts a simulator and answers the file dialog with `log.txt`.
    void startWith(std::vector<std::string> args)
    {
        startTcp(std::move(args));
        connect();
        ui.fileNames = {path("log.txt")};
    }

    LogTransferResult run(LogKind kind) { return LogToFile(kind, doc, link, progress, shell); }
    std::string written() const { return ReadText(path("log.txt")); }
};

TEST(LogTransferNames, DefaultFileNameCutsTheTitleAtItsLastDot)
{
    EXPECT_EQ(DefaultLogFileName(LogKind::Audit, "Site A.mlb"), "Site A-AuditLog.txt");
    EXPECT_EQ(DefaultLogFileName(LogKind::Event, "site.v2.mlb"), "site.v2-EventLog.txt");
    EXPECT_EQ(DefaultLogFileName(LogKind::Transaction, "Untitled"), "Untitled-TransLog.txt");
    EXPECT_EQ(DefaultLogFileName(LogKind::Event, ".mlb"), ".mlb-EventLog.txt");
}

TEST_F(LogTransferTest, EventLogNewestFirstOneLinePerEntry)
{
    startWith({"--events", "3"});
    const LogTransferResult result = run(LogKind::Event);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.entries, 3);
    EXPECT_THAT(sim.requests(), ElementsAre("ES", "ER 3", "ER 2", "ER 1"));
    EXPECT_EQ(written(), "Event 3: power up\nEvent 2: program mode left\nEvent 1: program mode entered\n");
    EXPECT_EQ(progress.title, "Transferring Event Log entries...");
    EXPECT_THAT(progress.texts, ElementsAre("Reading event log entry 3", "Reading event log entry 2",
                                            "Reading event log entry 1", "Reading event log entry 0"));
    EXPECT_EQ(progress.lower, 0);
    EXPECT_EQ(progress.upper, 2000);
    EXPECT_EQ(progress.steps, 3);
    EXPECT_THAT(ui.messages, IsEmpty());
    EXPECT_THAT(shell.opened, IsEmpty());
}

TEST_F(LogTransferTest, EachLogHasItsCommandsDialogAndProgressTexts)
{
    struct Case {
        LogKind kind;
        std::vector<std::string> firstRequests;
        const char* defaultName;
        const char* dialogTitle;
        const char* progressTitle;
        const char* firstLine;
        const char* secondLine;
    };
    const Case cases[] = {
        {LogKind::Event, {"ES", "ER 5"}, "Site A-EventLog.txt", "Select file to store event log data",
         "Transferring Event Log entries...", "Reading event log entry 5", "Reading event log entry 4"},
        {LogKind::Audit, {"PS", "PR 5"}, "Site A-AuditLog.txt", "Select file to store audit log data",
         "Transferring Audit Log entries...", "Reading Audit log entry 5", "Reading audit log entry 4"},
        {LogKind::Transaction, {"TS", "TR 3", "TU 3", "TB 1 3"}, "Site A-TransLog.txt",
         "Select file to store transaction log data", "Transferring Transaction Log entries...",
         "Reading transaction log entry 3", "Reading transaction log entry 3"},
    };
    startWith({});
    doc.setPathName(path("Site A.mlb"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.defaultName);
        sim.clearRequests();
        ui.fileRequests.clear();
        ui.fileNames = {path(c.defaultName)};
        progress = FakeProgress();
        EXPECT_TRUE(run(c.kind).written);

        const auto requests = sim.requests();
        ASSERT_GE(requests.size(), c.firstRequests.size());
        EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + c.firstRequests.size()),
                  c.firstRequests);
        ASSERT_EQ(ui.fileRequests.size(), 1u);
        const FileDialogRequest& asked = ui.fileRequests[0];
        EXPECT_EQ(asked.title, c.dialogTitle);
        EXPECT_EQ(asked.defaultName, c.defaultName);
        EXPECT_EQ(asked.defaultExtension, ".txt");
        EXPECT_EQ(asked.filter, "Text files (*.txt)|*.txt|All files (*.*)|*.*||");
        EXPECT_TRUE(asked.save);
        EXPECT_EQ(progress.title, c.progressTitle);
        ASSERT_GE(progress.texts.size(), 2u);
        EXPECT_EQ(progress.texts[0], c.firstLine);
        EXPECT_EQ(progress.texts[1], c.secondLine);
    }
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LogTransferTest, RejectedEntryEndsTheTransferKeepingWhatWasWritten)
{
    startWith({"--audits", "3", "--reject", "PR:2"});
    const LogTransferResult result = run(LogKind::Audit);
    EXPECT_THAT(sim.requests(), ElementsAre("PS", "PR 3", "PR 2"));
    EXPECT_EQ(written(), "Audit 3: 121 changed\n");
    EXPECT_EQ(result.entries, 1);
    EXPECT_FALSE(result.cancelled);
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LogTransferTest, UnansweredEntryLeavesAnEmptyLineAndGoesOn)
{
    // Request 6 is "ER 2": contact (3), "ES", "ER 3".
    startWith({"--events", "3", "--silent-every", "6"});
    run(LogKind::Event);
    EXPECT_THAT(sim.requests(), ElementsAre("ES", "ER 3", "ER 2", "ER 1"));
    EXPECT_EQ(written(), "Event 3: power up\n\nEvent 1: program mode entered\n");
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LogTransferTest, NoEntriesGivesAnEmptyFile)
{
    startWith({"--events", "0"});
    const LogTransferResult result = run(LogKind::Event);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.entries, 0);
    EXPECT_THAT(sim.requests(), ElementsAre("ES"));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(path("log.txt"))));
    EXPECT_EQ(written(), "");
}

TEST_F(LogTransferTest, FailedLatestNumberCreatesNoFile)
{
    startWith({"--reject", "ES:*"});
    EXPECT_FALSE(run(LogKind::Event).written);
    EXPECT_THAT(ui.texts(), ElementsAre("Error in response - aborting"));

    ui.messages.clear();
    doc.protocol.reset();
    EXPECT_FALSE(run(LogKind::Event).written);
    EXPECT_THAT(ui.texts(), ElementsAre("Error in transmission of command - aborting"));

    EXPECT_THAT(ui.fileRequests, IsEmpty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path("log.txt"))));
    EXPECT_TRUE(progress.title.empty());
}

TEST_F(LogTransferTest, DialogCancelStopsBeforeAnyEntry)
{
    startWith({});
    ui.fileNames.clear();
    EXPECT_FALSE(run(LogKind::Transaction).written);
    EXPECT_THAT(sim.requests(), ElementsAre("TS"));
    EXPECT_TRUE(progress.title.empty());
    EXPECT_THAT(shell.asked, IsEmpty());
    EXPECT_THAT(shell.opened, IsEmpty());
}

TEST_F(LogTransferTest, CancelKeepsTheEntriesSoFarAndSkipsTheHandOff)
{
    startWith({"--transactions", "3", "--batches", "1"});
    progress.cancelAfter = 1;
    const LogTransferResult result = run(LogKind::Transaction);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(sim.requests().back(), "TB 2 3");
    EXPECT_EQ(written(), "Transaction 3,Recipe 1,100.0,User 3\nBatch 1,Recipe 1,100.0\n");
    EXPECT_THAT(shell.opened, IsEmpty());
    EXPECT_TRUE(progress.closed);
}

TEST_F(LogTransferTest, TransactionLinesWithUserDataAndBatches)
{
    struct Case {
        std::vector<std::string> args;
        std::string text;
    };
    const Case cases[] = {
        {{"--transactions", "2", "--batches", "2"},
         "Transaction 2,Recipe 2,200.0,User 2\nBatch 1,Recipe 2,100.0\nBatch 2,Recipe 2,100.0\n"
         "Transaction 1,Recipe 1,100.0,User 1\nBatch 1,Recipe 1,50.0\nBatch 2,Recipe 1,50.0\n"},
        {{"--transactions", "1", "--batches", "0", "--no-user-data"}, "Transaction 1,Recipe 1,100.0\n"},
        // Rejected transaction: the file ends there.
        {{"--transactions", "2", "--batches", "0", "--reject", "TR:1"}, "Transaction 2,Recipe 2,200.0,User 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        startWith(c.args);
        progress = FakeProgress();
        shell = FakeShell();
        run(LogKind::Transaction);
        EXPECT_EQ(written(), c.text);
        EXPECT_THAT(shell.opened, ElementsAre(path("log.txt"))); // a rejection ends the log normally
    }
    EXPECT_THAT(sim.requests(), ElementsAre("TS", "TR 2", "TU 2", "TB 1 2", "TR 1"));

    startWith({"--transactions", "2", "--batches", "2"});
    run(LogKind::Transaction);
    EXPECT_THAT(sim.requests(), ElementsAre("TS", "TR 2", "TU 2", "TB 1 2", "TB 2 2", "TB 3 2", "TR 1", "TU 1",
                                            "TB 1 1", "TB 2 1", "TB 3 1"));
    EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(LogTransferTest, UnansweredUserDataLeavesAnEmptyFieldAndGoesOn)
{
    // Request 6 is "TU 1": contact (3), "TS", "TR 1".
    startWith({"--transactions", "1", "--batches", "1", "--silent-every", "6"});
    run(LogKind::Transaction);
    EXPECT_THAT(sim.requests(), ElementsAre("TS", "TR 1", "TU 1", "TB 1 1", "TB 2 1"));
    EXPECT_EQ(written(), "Transaction 1,Recipe 1,100.0,\nBatch 1,Recipe 1,100.0\n");
}

TEST_F(LogTransferTest, SpreadsheetHandOff)
{
    const std::string templatePath = QDir::current().absoluteFilePath("CorvaneDataTemplate.xlsm").toStdString();
    struct Case {
        std::optional<std::string> application;
        bool toSpreadsheet;
    };
    const Case cases[] = {
        {"libreoffice-calc.desktop", true},
        {"org.gnome.TextEditor.desktop", false},
        {std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.application.value_or("none"));
        startWith({"--transactions", "1"});
        settings.setSpreadsheetLogFileName("");
        shell = FakeShell();
        shell.application = c.application;
        run(LogKind::Transaction);
        EXPECT_THAT(shell.asked, ElementsAre(templatePath));
        if (c.toSpreadsheet) {
            EXPECT_THAT(shell.opened, ElementsAre(templatePath));
            EXPECT_EQ(settings.spreadsheetLogFileName(), path("log.txt"));
        } else {
            EXPECT_THAT(shell.opened, ElementsAre(path("log.txt")));
            EXPECT_EQ(settings.spreadsheetLogFileName(), "");
        }
    }

}

} // namespace
} // namespace corvane::testing
