// corvane: the desktop application.

#include "common/commandline.h"
#include "common/settings.h"
#include "corvaneapp.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Halvard Meter"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/corvane.svg")));
    // Frames end the program themselves: the last one closed does.
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = app.arguments().mid(1);
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    const corvane::CommandLineResult parsed = corvane::ParseCommandLine(args);

    std::unique_ptr<corvane::Settings> settings =
        parsed.ok() && !parsed.commandLine.settingsFile.empty()
            ? std::make_unique<corvane::Settings>(parsed.commandLine.settingsFile)
            : std::make_unique<corvane::Settings>();

    corvane::app::CCorvaneApp corvane(*settings);
    QObject::connect(&corvane, &corvane::app::CCorvaneApp::lastFrameClosed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    if (!corvane.InitInstance(arguments))
        return corvane.exitCode();
    const int status = app.exec();
    corvane.ExitInstance();
    settings->sync();
    return status;
}
