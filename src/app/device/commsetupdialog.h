#pragma once
// "Pellion.net Communications Setup": the document's port (TCP/IP or a COM
// port) and the controller's address, with the way to the COM port's line
// settings.

#include <QDialog>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QPushButton;
class QSpinBox;

namespace corvane {
class Settings;
}

namespace corvane::app {

// An IPv4 address typed as four octets; "." moves on to the next one.
class CIPAddressField : public QWidget {
    Q_OBJECT
public:
    explicit CIPAddressField(QWidget* parent = nullptr);

    // First octet in the most significant byte.
    std::uint32_t address() const;
    void setAddress(std::uint32_t address);
    QSpinBox* octet(int index) const { return octets_[static_cast<std::size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QSpinBox*, 4> octets_{};
};

class CCommSetupDialog : public QDialog {
    Q_OBJECT
public:
    CCommSetupDialog(int commPort, std::uint32_t controllerAddress, Settings& settings, QWidget* parent = nullptr);

    // 0 = TCP/IP, n = COM n.
    int commPort() const;
    std::uint32_t controllerAddress() const;

    QComboBox* portList() const { return port_; }
    CIPAddressField* addressField() const { return address_; }
    QPushButton* portSettingsButton() const { return portSettings_; }

private:
    void openPortSettings();

    Settings& settings_;
    QComboBox* port_;
    CIPAddressField* address_;
    QPushButton* portSettings_;
};

} // namespace corvane::app
