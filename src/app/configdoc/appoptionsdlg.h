#pragma once
// "Corvane General Options": the application-wide settings that shape the
// parameter list and the printed listing. The dialog shows the stored values
// each time it opens, and OK writes all of them back; Cancel leaves them alone.

#include <QDialog>

class QCheckBox;
class QComboBox;

namespace corvane {
class Settings;
}

namespace corvane::app {

class CAppOptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1140;

    explicit CAppOptionsDlg(Settings& settings, QWidget* parent = nullptr);

    // Shows the stored values again (done on every show).
    void load();

    void accept() override;

    QCheckBox* viewShowSecLvl() const { return viewShowSecLvl_; }
    QCheckBox* viewShowUnused() const { return viewShowUnused_; }
    QComboBox* viewTextCharSet() const { return viewTextCharSet_; }
    QCheckBox* printSuppressUnused() const { return printSuppressUnused_; }
    QCheckBox* printShowSecLvl() const { return printShowSecLvl_; }
    QComboBox* printSuppressBelowLvl() const { return printSuppressBelowLvl_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    Settings& settings_;
    QCheckBox* viewShowSecLvl_;
    QCheckBox* viewShowUnused_;
    QComboBox* viewTextCharSet_;
    QCheckBox* printSuppressUnused_;
    QCheckBox* printShowSecLvl_;
    QComboBox* printSuppressBelowLvl_;
    // Values the dialog has no control for, or that its combo boxes cannot
    // show; written back as they were read.
    int mruFileCount_ = 0;
    int textCharSetRead_ = 0;
    int suppressBelowLvlRead_ = 0;
};

} // namespace corvane::app
