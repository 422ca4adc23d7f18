#include "configdoc/appoptionsdlg.h"

#include "common/help.h"
#include "common/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

namespace corvane::app {

namespace {

QCheckBox* AddCheckBox(QVBoxLayout* layout, const char* text, const char* name)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setObjectName(QString::fromLatin1(name));
    layout->addWidget(box);
    return box;
}

QComboBox* AddComboBox(QVBoxLayout* layout, const char* label, std::initializer_list<const char*> items,
                       const char* name)
{
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    for (const char* item : items)
        combo->addItem(QString::fromLatin1(item));
    auto* caption = new QLabel(QString::fromLatin1(label));
    caption->setBuddy(combo);
    layout->addWidget(caption);
    layout->addWidget(combo);
    return combo;
}

void Check(QCheckBox* box, int value) { box->setChecked(value != 0); }

// A combo box shows a stored value it has no item for as no selection.
void Select(QComboBox* combo, int value) { combo->setCurrentIndex(value >= 0 && value < combo->count() ? value : -1); }

int Selected(const QComboBox* combo, int read) { return combo->currentIndex() >= 0 ? combo->currentIndex() : read; }

} // namespace

CAppOptionsDlg::CAppOptionsDlg(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings)
{
    setWindowTitle(QStringLiteral("Corvane General Options"));
    SetHelpTopic(this, kHelpTopic);

    auto* display = new QGroupBox(QStringLiteral("Display Options"));
    auto* displayLayout = new QVBoxLayout(display);
    viewShowSecLvl_ = AddCheckBox(displayLayout, "Display security level in parameter list view", "ViewShowSecLvl");
    viewShowUnused_ = AddCheckBox(displayLayout, "Display unused arms and meters in directory tree", "ViewShowUnused");
    viewTextCharSet_ = AddComboBox(displayLayout, "Character set for Text Program Codes:",
                                   {"Default (DOS 852 Latin)", "Cyrillic (DOS 866)"}, "ViewTextCharSet");

    auto* printing = new QGroupBox(QStringLiteral("Printing Options"));
    auto* printingLayout = new QVBoxLayout(printing);
    printSuppressUnused_ = AddCheckBox(printingLayout, "Suppress printing unused recipes", "PrintSuppressUnused");
    printShowSecLvl_ = AddCheckBox(printingLayout, "Include security level on printout", "PrintShowSecLvl");
    printSuppressBelowLvl_ = AddComboBox(printingLayout, "Limit printout of parameters to:",
                                         {"Print all", "Level 2 and above", "Level 3 only"}, "PrintSuppressBelowLvl");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAppOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAppOptionsDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(display);
    layout->addWidget(printing);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    load();
}

void CAppOptionsDlg::load()
{
    mruFileCount_ = settings_.value(settings::MRUFileCount);
    textCharSetRead_ = settings_.value(settings::ViewTextCharSet);
    suppressBelowLvlRead_ = settings_.value(settings::PrintSuppressBelowLvl);
    Check(viewShowSecLvl_, settings_.value(settings::ViewShowSecLvl));
    Check(viewShowUnused_, settings_.value(settings::ViewShowUnused));
    Select(viewTextCharSet_, textCharSetRead_);
    Check(printSuppressUnused_, settings_.value(settings::PrintSuppressUnused));
    Check(printShowSecLvl_, settings_.value(settings::PrintShowSecLvl));
    Select(printSuppressBelowLvl_, suppressBelowLvlRead_);
}

void CAppOptionsDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        load();
    QDialog::showEvent(event);
}

void CAppOptionsDlg::accept()
{
    settings_.setValue(settings::MRUFileCount, mruFileCount_);
    settings_.setValue(settings::ViewShowSecLvl, viewShowSecLvl_->isChecked() ? 1 : 0);
    settings_.setValue(settings::ViewShowUnused, viewShowUnused_->isChecked() ? 1 : 0);
    settings_.setValue(settings::ViewTextCharSet, Selected(viewTextCharSet_, textCharSetRead_));
    settings_.setValue(settings::PrintSuppressUnused, printSuppressUnused_->isChecked() ? 1 : 0);
    settings_.setValue(settings::PrintShowSecLvl, printShowSecLvl_->isChecked() ? 1 : 0);
    settings_.setValue(settings::PrintSuppressBelowLvl, Selected(printSuppressBelowLvl_, suppressBelowLvlRead_));
    settings_.sync();
    QDialog::accept();
}

} // namespace corvane::app
