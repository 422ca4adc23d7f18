// The communications dialogs and the progress window, driven offscreen.

#include "common/settings.h"
#include "device/commsetupdialog.h"
#include "device/passworddialog.h"
#include "device/portsettingsdialog.h"
#include "device/progresswnd.h"
#include "transfer/progressdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace corvane::app {
namespace {

struct TempSettings {
    QTemporaryDir dir;
    Settings settings{(dir.path() + QStringLiteral("/corvane.ini")).toStdString()};
};

// Runs `action` on the first modal window of type T once it is up (polled).
template <typename T>
void WhenModal(std::function<void(T&)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(*w);
        }
    });
    timer->start();
}

void SaveScreenshot(QWidget& widget, const char* name)
{
    const QString folder = QStringLiteral(CORVANE_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    widget.adjustSize();
    const QPixmap shot = widget.grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png")));
}

TEST(CommSetupDialog, ShowsTheDocumentsPortAndAddress)
{
    struct Case {
        int commPort;
        std::uint32_t address;
        const char* portText;
        std::array<int, 4> octets;
        bool portSettings;
    };
    const Case cases[] = {
        {0, 0xC0A80107u, "TCP/IP", {192, 168, 1, 7}, false},
        {3, 5u, "Com 3", {0, 0, 0, 5}, true},
        {99, 0x7F000001u, "Com 99", {127, 0, 0, 1}, true},
    };
    TempSettings s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portText);
        CCommSetupDialog dialog(c.commPort, c.address, s.settings);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pellion.net Communications Setup"));
        EXPECT_EQ(dialog.portList()->count(), 100);
        EXPECT_EQ(dialog.portList()->itemText(0), QStringLiteral("TCP/IP"));
        EXPECT_EQ(dialog.portList()->currentText(), QLatin1String(c.portText));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dialog.addressField()->octet(i)->value(), c.octets[static_cast<std::size_t>(i)]);
        EXPECT_EQ(dialog.portSettingsButton()->isEnabled(), c.portSettings);
        EXPECT_EQ(dialog.commPort(), c.commPort);
        EXPECT_EQ(dialog.controllerAddress(), c.address);
    }
}

TEST(CommSetupDialog, PortSettingsButtonFollowsTheSelection)
{
    TempSettings s;
    CCommSetupDialog dialog(1, 1, s.settings);
    QPushButton* button = dialog.portSettingsButton();
    for (int index : {0, 2, 0, 99}) {
        dialog.portList()->setCurrentIndex(index);
        EXPECT_EQ(button->isEnabled(), index >= 1) << index;
    }
    const auto notes = dialog.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](QLabel* l) {
        return l->text() == QStringLiteral("(For a serial connection, only the last octet in the IP address is used)");
    }));
}

TEST(CommSetupDialog, TypedAddressMovesOnAtEachDot)
{
    TempSettings s;
    CCommSetupDialog dialog(0, 0, s.settings);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.addressField()->octet(0)->setFocus();
    dialog.addressField()->octet(0)->selectAll();
    for (QChar ch : QStringLiteral("10.20.30.40"))
        QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    EXPECT_EQ(dialog.controllerAddress(), 0x0A141E28u);
}

TEST(CommSetupDialog, PortSettingsOpensForTheSelectedComPort)
{
    TempSettings s;
    CCommSetupDialog dialog(0, 0, s.settings);
    dialog.portList()->setCurrentIndex(4);
    QString title;
    WhenModal<CPortSettings>([&](CPortSettings& port) {
        title = port.windowTitle();
        port.dataParityList()->setCurrentIndex(1); // 7/Odd
        port.accept();
    });
    dialog.portSettingsButton()->click();
    EXPECT_EQ(title, QStringLiteral("Port Settings - Com4"));
    EXPECT_EQ(s.settings.lineSettings(4), "38400,O,7,1");
}

TEST(PortSettings, PreselectsStoredSettingsAndStoresTheChoice)
{
    struct Case {
        const char* stored; // null: nothing stored
        int storedProtocol; // -1: nothing stored
        const char* speed;
        const char* dataParity;
        const char* protocol;
        int chooseDataParity; // -1: keep
        const char* written;
    };
    const Case cases[] = {
        {"19200,O,7,1", 0, "19200", "7/Odd", "Terminal", 6, "19200,N,8,2"},
        {nullptr, -1, "38400", "8/None", "Minicomputer", -1, "38400,N,8,1"},
        {"600,E,8,1", 1, "38400", "8/Even", "Minicomputer", -1, "38400,E,8,1"},
        {"9600,N,8,2", 1, "9600", "8/None/2 Stop", "Minicomputer", 2, "9600,E,7,1"},
        {"garbage", 1, "38400", "8/None", "Minicomputer", -1, "38400,N,8,1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(nothing)");
        TempSettings s;
        if (c.stored)
            s.settings.setLineSettings(3, c.stored);
        if (c.storedProtocol >= 0)
            s.settings.setProtocol(3, c.storedProtocol);
        CPortSettings dialog(3, s.settings);
        EXPECT_EQ(dialog.speedList()->currentText(), QLatin1String(c.speed));
        EXPECT_EQ(dialog.dataParityList()->currentText(), QLatin1String(c.dataParity));
        EXPECT_EQ(dialog.protocolList()->currentText(), QLatin1String(c.protocol));
        if (c.chooseDataParity >= 0)
            dialog.dataParityList()->setCurrentIndex(c.chooseDataParity);
        dialog.accept();
        EXPECT_EQ(s.settings.lineSettings(3), c.written);
        EXPECT_EQ(s.settings.protocol(3), std::string(c.protocol) == "Terminal" ? 0 : 1);
    }
}

TEST(PortSettings, ListsAreTheFixedChoices)
{
    TempSettings s;
    CPortSettings dialog(1, s.settings);
    auto items = [](QComboBox* box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list.join(QLatin1Char(' '));
    };
    EXPECT_EQ(items(dialog.speedList()), QStringLiteral("1200 2400 4800 9600 19200 38400"));
    EXPECT_EQ(items(dialog.dataParityList()),
              QStringLiteral("7/None 7/Odd 7/Even 8/None 8/Odd 8/Even 8/None/2 Stop"));
    EXPECT_EQ(items(dialog.protocolList()), QStringLiteral("Terminal Minicomputer"));
}

TEST(PortSettings, CancelStoresNothing)
{
    TempSettings s;
    {
        CPortSettings dialog(2, s.settings);
        dialog.speedList()->setCurrentIndex(0);
        dialog.deviceList()->setEditText(QStringLiteral("/dev/ttyUSB7"));
        dialog.reject();
    }
    s.settings.sync();
    EXPECT_TRUE(s.settings.store().allKeys().isEmpty()) << s.settings.store().allKeys().join(QLatin1Char(',')).toStdString();
}

TEST(PortSettings, DeviceIsKeptPerComNumber)
{
    TempSettings s;
    {
        CPortSettings dialog(2, s.settings);
        EXPECT_EQ(dialog.devicePath(), QStringLiteral("/dev/ttyS1")); // the default shows first
        dialog.deviceList()->setEditText(QStringLiteral("/dev/pts/17"));
        dialog.accept();
    }
    EXPECT_EQ(s.settings.devicePath(2), "/dev/pts/17");
    EXPECT_EQ(s.settings.devicePath(3), "/dev/ttyS2");
    CPortSettings again(2, s.settings);
    EXPECT_EQ(again.devicePath(), QStringLiteral("/dev/pts/17"));
    // Every detected port is offered by its path.
    for (const auto& [path, description] : DetectedSerialPorts())
        EXPECT_GE(again.deviceList()->findData(path), 0) << path.toStdString();
}

TEST(ProgressWnd, CaptionCarriesThePercentageOnceTheBarMoves)
{
    CProgressWnd progress;
    progress.setTitle("Reading Pellion.net...");
    EXPECT_TRUE(progress.isVisible());
    EXPECT_TRUE(progress.isModal());
    EXPECT_EQ(progress.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Reading Pellion.net..."));
    progress.setRange(0, 200);
    progress.setStep(1);
    progress.setPosition(0);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Reading Pellion.net..."));
    struct Step {
        int steps;
        const char* caption;
    };
    for (const Step& s : {Step{1, "Reading Pellion.net..."}, Step{1, "Reading Pellion.net... [1%]"},
                          Step{98, "Reading Pellion.net... [50%]"}, Step{100, "Reading Pellion.net... [100%]"}}) {
        for (int i = 0; i < s.steps; ++i)
            progress.stepIt();
        EXPECT_EQ(progress.windowTitle(), QLatin1String(s.caption));
    }
    EXPECT_EQ(progress.bar()->value(), 200);
    progress.setRange(5, 5);
    EXPECT_TRUE(progress.bar()->isHidden());
    progress.close();
    EXPECT_FALSE(progress.isVisible());
}

TEST(ProgressWnd, CancelAndEscapeOnlyMarkTheWorkCancelled)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        CProgressWnd progress;
        progress.setText("Reading data to Untitled");
        EXPECT_EQ(progress.button()->text(), QStringLiteral("Cancel"));
        EXPECT_FALSE(progress.cancelled());
        if (escape)
            QTest::keyClick(&progress, Qt::Key_Escape);
        else
            progress.button()->click();
        EXPECT_TRUE(progress.cancelled());
        EXPECT_TRUE(progress.isVisible()); // the operation closes it when it stops
        progress.close();
    }
}

TEST(ProgressWnd, FinishWaitsUntilClosed)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Close button");
        CProgressWnd progress;
        progress.setTitle("Writing to Pellion.net...");
        QString text, button;
        bool isDefault = false;
        QTimer::singleShot(30, &progress, [&] {
            text = progress.text();
            button = progress.button()->text();
            isDefault = progress.button()->isDefault();
            if (escape)
                QTest::keyClick(&progress, Qt::Key_Escape);
            else
                progress.button()->click();
        });
        progress.finish("Transfer Complete!");
        EXPECT_EQ(text, QStringLiteral("Transfer Complete!"));
        EXPECT_EQ(button, QStringLiteral("&Close"));
        EXPECT_TRUE(isDefault);
        EXPECT_FALSE(progress.isVisible());
        EXPECT_FALSE(progress.cancelled());
    }
}

TEST(PasswordDialog, MasksTheCodeAndKeepsNothingAfterUse)
{
    CPasswordDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter Access Code"));
    QLineEdit* field = dialog.accessCodeField();
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    QTest::keyClicks(field, QStringLiteral("4711"));
    EXPECT_EQ(dialog.takeAccessCode(), "4711");
    EXPECT_TRUE(field->text().isEmpty());
    field->undo();
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(dialog.takeAccessCode(), "");
}

TEST(Screenshots, CommSetupDialog)
{
    TempSettings s;
    CCommSetupDialog dialog(0, 0xC0A80132u, s.settings);
    SaveScreenshot(dialog, "commsetupdialog");
}

TEST(Screenshots, PortSettings)
{
    TempSettings s;
    s.settings.setLineSettings(2, "19200,O,7,1");
    CPortSettings dialog(2, s.settings);
    SaveScreenshot(dialog, "portsettings");
}

TEST(Screenshots, ProgressWnd)
{
    CProgressWnd progress;
    progress.setTitle("Reading Pellion.net...");
    progress.setText("Reading data to Site A.mlb");
    progress.setRange(0, 400);
    progress.setPosition(150);
    SaveScreenshot(progress, "progresswnd");
    progress.close();
}

TEST(Screenshots, TransferDialog)
{
    CDownloadThread job;
    CProgressDlg dialog(job);
    dialog.setCaption(QStringLiteral("Receiving CONFIG/EQUATION.CFG"));
    dialog.setLine(0, QStringLiteral("EQUATION.CFG (24576 of 65535  bytes transferred)"));
    dialog.setLine(1, QStringLiteral("to: /tmp/corvane-Xa81kq"));
    dialog.setPosition(37);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("37% Receiving CONFIG/EQUATION.CFG"));
    SaveScreenshot(dialog, "transferdialog");
}

TEST(Screenshots, PasswordDialog)
{
    CPasswordDialog dialog;
    QTest::keyClicks(dialog.accessCodeField(), QStringLiteral("secret"));
    SaveScreenshot(dialog, "passworddialog");
}

} // namespace
} // namespace corvane::app
