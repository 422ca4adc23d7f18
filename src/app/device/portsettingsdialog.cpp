#include "device/portsettingsdialog.h"

#include "common/settings.h"
#include "device/commsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace corvane::app {
namespace {

QComboBox* List(QWidget* parent, const char* name, const std::vector<std::string>& choices, int selected)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    for (const std::string& choice : choices)
        box->addItem(QString::fromStdString(choice));
    box->setCurrentIndex(selected);
    return box;
}

} // namespace

QList<QPair<QString, QString>> DetectedSerialPorts()
{
    QList<QPair<QString, QString>> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.systemLocation(), info.description()});
    return ports;
}

CPortSettings::CPortSettings(int comPort, Settings& settings, QWidget* parent)
    : QDialog(parent), comPort_(comPort), settings_(settings)
{
    setWindowTitle(QStringLiteral("Port Settings - Com%1").arg(comPort));
    const PortSettingsChoice stored = LoadPortSettings(settings, comPort);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    speed_ = List(this, "speed", PortSpeedChoices(), stored.speed);
    dataParity_ = List(this, "dataParity", DataParityChoices(), stored.dataParity);
    protocol_ = List(this, "protocol", ProtocolChoices(), stored.protocol);

    // The device behind this COM number: one of the detected ports, or a path typed in.
    device_ = new QComboBox(this);
    device_->setObjectName(QStringLiteral("device"));
    device_->setEditable(true);
    device_->setInsertPolicy(QComboBox::NoInsert);
    const QString current = QString::fromStdString(settings.devicePath(comPort));
    for (const auto& [path, description] : DetectedSerialPorts())
        device_->addItem(description.isEmpty() ? path : QStringLiteral("%1  (%2)").arg(path, description), path);
    int index = device_->findData(current);
    if (index < 0) {
        device_->insertItem(0, current, current);
        index = 0;
    }
    device_->setCurrentIndex(index);

    form->addRow(QStringLiteral("&Speed:"), speed_);
    form->addRow(QStringLiteral("&Data/Parity:"), dataParity_);
    form->addRow(QStringLiteral("&Protocol:"), protocol_);
    form->addRow(QStringLiteral("De&vice:"), device_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PortSettingsChoice CPortSettings::choice() const
{
    return {speed_->currentIndex(), dataParity_->currentIndex(), protocol_->currentIndex()};
}

QString CPortSettings::devicePath() const
{
    // An edited text wins over the item's path; an unedited item gives its path.
    const QString typed = device_->currentText().trimmed();
    const int index = device_->currentIndex();
    if (index >= 0 && device_->itemText(index) == device_->currentText())
        return device_->itemData(index).toString();
    return typed;
}

void CPortSettings::accept()
{
    StorePortSettings(settings_, comPort_, choice());
    const QString device = devicePath();
    if (!device.isEmpty())
        settings_.setDevicePath(comPort_, device.toStdString());
    QDialog::accept();
}

} // namespace corvane::app
