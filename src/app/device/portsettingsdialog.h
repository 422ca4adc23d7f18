#pragma once
// "Port Settings - Com": the line settings, framing and device of one COM
// port, kept per COM number in the settings store. Cancel stores nothing.

#include "comm/linesettings.h"

#include <QDialog>

class QComboBox;

namespace corvane {
class Settings;
}

namespace corvane::app {

class CPortSettings : public QDialog {
    Q_OBJECT
public:
    CPortSettings(int comPort, Settings& settings, QWidget* parent = nullptr);

    int comPort() const { return comPort_; }
    PortSettingsChoice choice() const;
    QString devicePath() const;

    QComboBox* speedList() const { return speed_; }
    QComboBox* dataParityList() const { return dataParity_; }
    QComboBox* protocolList() const { return protocol_; }
    QComboBox* deviceList() const { return device_; }

    void accept() override;

private:
    int comPort_;
    Settings& settings_;
    QComboBox* speed_;
    QComboBox* dataParity_;
    QComboBox* protocol_;
    QComboBox* device_;
};

// The serial devices found on this machine, as (path, description) pairs.
QList<QPair<QString, QString>> DetectedSerialPorts();

} // namespace corvane::app
