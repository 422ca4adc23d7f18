#pragma once
// The four editors of a program code, all titled "Corvane Parameter Edit":
// a typed value, an option list, an IP address and the alarm check boxes.
// OK runs the core's check; a refusal is shown and the dialog stays open.

#include "configdoc/editsequence.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QVBoxLayout;

namespace corvane {
class DBParam;
class Interaction;
} // namespace corvane

namespace corvane::app {

// The general editor, and the frame the other three build on.
class CGenParamEdit : public QDialog {
    Q_OBJECT
public:
    CGenParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                  QWidget* parent = nullptr);

    // The accepted value text and level (valid after OK).
    const EditResult& result() const { return result_; }
    EditorKind kind() const { return setup_.kind; }
    int helpId() const { return setup_.helpId; }

    QLabel* descriptionLabel() const { return description_; }
    QLineEdit* currentValueField() const { return currentValue_; }
    QLineEdit* newValueField() const { return newValue_; }
    QLabel* hintLabel() const { return hint_; }
    QLabel* helpTextLabel() const { return helpText_; }
    QComboBox* levelCombo() const { return level_; }

    void accept() override;

protected:
    // What the controls say now.
    virtual EditorInput collectInput() const;
    // Where the kind's own control goes (above the hint).
    QVBoxLayout* controlArea() const { return controlArea_; }
    // The control that takes the focus after a refusal.
    virtual QWidget* inputWidget() const;

    const DBParam& param_;
    EditorSetup setup_;
    int charSet_;

private:
    Interaction& interaction_;
    EditResult result_;
    QLabel* description_ = nullptr;
    QLineEdit* currentValue_ = nullptr;
    QLineEdit* newValue_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* helpText_ = nullptr;
    QComboBox* level_ = nullptr;
    QVBoxLayout* controlArea_ = nullptr;
};

class CListParamEdit : public CGenParamEdit {
    Q_OBJECT
public:
    CListParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                   QWidget* parent = nullptr);
    QListWidget* optionList() const { return options_; }

protected:
    EditorInput collectInput() const override;
    QWidget* inputWidget() const override;

private:
    QListWidget* options_;
};

class CIPParamEdit : public CGenParamEdit {
    Q_OBJECT
public:
    CIPParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                 QWidget* parent = nullptr);
    // The address in the field, first octet in the most significant byte.
    std::uint32_t address() const;
    void setAddress(std::uint32_t address);
    QSpinBox* octet(int i) const { return octets_[static_cast<std::size_t>(i)]; }

protected:
    EditorInput collectInput() const override;
    QWidget* inputWidget() const override;

private:
    std::array<QSpinBox*, 4> octets_{};
};

class CAlarmParamEdit : public CGenParamEdit {
    Q_OBJECT
public:
    CAlarmParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                    QWidget* parent = nullptr);
    QCheckBox* checkBox(int bit) const { return boxes_[static_cast<std::size_t>(bit)]; }

protected:
    EditorInput collectInput() const override;
    QWidget* inputWidget() const override;

private:
    std::array<QCheckBox*, 4> boxes_{};
};

// The editor the setup's kind calls for.
std::unique_ptr<CGenParamEdit> MakeParamEditor(const DBParam& param, const EditorSetup& setup, int charSet,
                                               Interaction& interaction, QWidget* parent = nullptr);

} // namespace corvane::app
