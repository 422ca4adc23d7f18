#pragma once
// "Enter Access Code": the controller access code, typed masked. The code is
// handed out once and the field cleared; it is never stored.

#include <QDialog>

#include <string>

class QLineEdit;

namespace corvane::app {

class CPasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPasswordDialog(QWidget* parent = nullptr);
    ~CPasswordDialog() override;

    // The typed code; the field is emptied.
    std::string takeAccessCode();
    QLineEdit* accessCodeField() const { return field_; }

private:
    QLineEdit* field_;
};

} // namespace corvane::app
