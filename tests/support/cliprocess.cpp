#include "support/cliprocess.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace corvane::testing {

CliRun RunCli(const std::vector<std::string>& args, const CliOptions& options)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    if (!options.workingDirectory.isEmpty())
        process.setWorkingDirectory(options.workingDirectory);
    if (!options.configHome.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), options.configHome);
        process.setProcessEnvironment(env);
    }
    process.start(QStringLiteral(CORVANE_CLI), list);
    EXPECT_TRUE(process.waitForStarted()) << CORVANE_CLI;
    if (!options.input.empty())
        process.write(options.input.data(), static_cast<qint64>(options.input.size()));
    process.closeWriteChannel();
    if (options.interruptAfterMs >= 0 && !process.waitForFinished(options.interruptAfterMs))
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    EXPECT_TRUE(process.waitForFinished(options.timeoutMs));
    CliRun r;
    r.exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput().toStdString();
    r.err = process.readAllStandardError().toStdString();
    return r;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace corvane::testing
