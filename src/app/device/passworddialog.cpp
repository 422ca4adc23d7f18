#include "device/passworddialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace corvane::app {

CPasswordDialog::CPasswordDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Enter Access Code"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("You must log in with the access code for the highest security level "
                                           "configured to perfom this function."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* label = new QLabel(QStringLiteral("Access Code:"), this);
    field_ = new QLineEdit(this);
    field_->setEchoMode(QLineEdit::Password);
    field_->setObjectName(QStringLiteral("accessCode"));
    label->setBuddy(field_);
    layout->addWidget(label);
    layout->addWidget(field_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CPasswordDialog::~CPasswordDialog()
{
    field_->clear();
}

std::string CPasswordDialog::takeAccessCode()
{
    std::string code = field_->text().toStdString();
    field_->clear();
    return code;
}

} // namespace corvane::app
