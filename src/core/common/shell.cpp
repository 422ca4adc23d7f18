#include "common/shell.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace corvane {
namespace {

std::optional<std::string> Run(const QString& program, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    if (out.isEmpty())
        return std::nullopt;
    return out.toStdString();
}

} // namespace

std::optional<std::string> DesktopShell::applicationFor(const std::string& file)
{
    const auto type = Run(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("filetype"),
                                                       QString::fromStdString(file)});
    if (!type)
        return std::nullopt;
    return Run(QStringLiteral("xdg-mime"),
               {QStringLiteral("query"), QStringLiteral("default"), QString::fromStdString(*type)});
}

bool DesktopShell::open(const std::string& fileOrAddress)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(fileOrAddress)});
}

bool IsSpreadsheetApplication(const std::string& application)
{
    const QString name = QString::fromStdString(application);
    if (name.contains(QLatin1String("EXCEL.EXE"), Qt::CaseInsensitive) ||
        name.contains(QLatin1String("calc"), Qt::CaseInsensitive) ||
        name.contains(QLatin1String("gnumeric"), Qt::CaseInsensitive))
        return true;
    // A desktop entry names its categories.
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name);
    if (path.isEmpty())
        return false;
    QFile entry(path);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(QLatin1String("Categories=")) && line.contains(QLatin1String("Spreadsheet")))
            return true;
    }
    return false;
}

} // namespace corvane
