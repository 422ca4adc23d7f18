#include "device/commsetupdialog.h"

#include "comm/linesettings.h"
#include "device/portsettingsdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane::app {

CIPAddressField::CIPAddressField(QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    for (std::size_t i = 0; i < octets_.size(); ++i) {
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), this));
        auto* box = new QSpinBox(this);
        box->setRange(0, 255);
        box->setButtonSymbols(QAbstractSpinBox::NoButtons);
        box->setAlignment(Qt::AlignCenter);
        box->setObjectName(QStringLiteral("octet%1").arg(i));
        box->installEventFilter(this);
        octets_[i] = box;
        row->addWidget(box);
    }
    setFocusProxy(octets_[0]);
}

std::uint32_t CIPAddressField::address() const
{
    std::uint32_t a = 0;
    for (QSpinBox* box : octets_)
        a = (a << 8) | static_cast<std::uint32_t>(box->value());
    return a;
}

void CIPAddressField::setAddress(std::uint32_t address)
{
    for (int i = 0; i < 4; ++i)
        octets_[static_cast<std::size_t>(i)]->setValue(static_cast<int>((address >> (24 - 8 * i)) & 0xFF));
}

bool CIPAddressField::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QStringLiteral(".")) {
        for (std::size_t i = 0; i + 1 < octets_.size(); ++i) {
            if (watched == octets_[i]) {
                octets_[i + 1]->setFocus();
                octets_[i + 1]->selectAll();
                return true;
            }
        }
        return true; // no dot after the last octet
    }
    return QWidget::eventFilter(watched, event);
}

CCommSetupDialog::CCommSetupDialog(int commPort, std::uint32_t controllerAddress, Settings& settings,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle(QStringLiteral("Pellion.net Communications Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;

    port_ = new QComboBox(this);
    port_->setObjectName(QStringLiteral("port"));
    for (const std::string& choice : CommPortChoices())
        port_->addItem(QString::fromStdString(choice));
    port_->setCurrentIndex(commPort >= 0 && commPort < port_->count() ? commPort : 0);
    portSettings_ = new QPushButton(QStringLiteral("Comm Port Settings..."), this);
    portSettings_->setObjectName(QStringLiteral("portSettings"));
    portSettings_->setAutoDefault(false);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(port_, 1);
    portRow->addWidget(portSettings_);
    auto* portLabel = new QLabel(QStringLiteral("&Port:"), this);
    portLabel->setBuddy(port_);
    form->addRow(portLabel, portRow);

    address_ = new CIPAddressField(this);
    address_->setObjectName(QStringLiteral("controllerAddress"));
    address_->setAddress(controllerAddress);
    form->addRow(QStringLiteral("Controller &address:"), address_);
    layout->addLayout(form);

    auto* note = new QLabel(QStringLiteral("(For a serial connection, only the last octet in the IP address is used)"),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    auto follow = [this](int index) { portSettings_->setEnabled(PortSettingsEnabled(index)); };
    connect(port_, &QComboBox::currentIndexChanged, this, follow);
    follow(port_->currentIndex());
    connect(portSettings_, &QPushButton::clicked, this, &CCommSetupDialog::openPortSettings);
}

int CCommSetupDialog::commPort() const { return port_->currentIndex(); }

std::uint32_t CCommSetupDialog::controllerAddress() const { return address_->address(); }

void CCommSetupDialog::openPortSettings()
{
    if (!PortSettingsEnabled(commPort()))
        return;
    CPortSettings dialog(commPort(), settings_, this);
    dialog.exec();
}

} // namespace corvane::app
