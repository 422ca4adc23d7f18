#include "configdoc/parameditdialogs.h"

#include "common/help.h"
#include "common/interaction.h"
#include "configdoc/configview.h"
#include "configdoc/editprogramcode.h"
#include "dictionary/dbparam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvane::app {

namespace {

QString FromText(const std::string& text) { return QString::fromStdString(text); }

} // namespace

CGenParamEdit::CGenParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                             QWidget* parent)
    : QDialog(parent), param_(param), setup_(setup), charSet_(charSet), interaction_(interaction)
{
    setWindowTitle(QString::fromLatin1(kEditorCaption));
    setObjectName(QStringLiteral("paramEdit%1").arg(EditorDialogId(setup.kind)));
    SetHelpTopic(this, setup.helpId);

    auto* layout = new QVBoxLayout(this);
    description_ = new QLabel(FromText(setup.description), this);
    description_->setObjectName(QStringLiteral("description"));
    QFont bold = description_->font();
    bold.setBold(true);
    description_->setFont(bold);
    layout->addWidget(description_);

    const bool typed = setup.kind == EditorKind::General;
    const bool showsCurrent = typed || setup.kind == EditorKind::IPAddress;
    const QFont textFont = TextCodeFont(charSet);
    auto* values = new QGridLayout;
    if (showsCurrent) {
        currentValue_ = new QLineEdit(this);
        currentValue_->setObjectName(QStringLiteral("currentValue"));
        currentValue_->setReadOnly(true);
        currentValue_->setText(setup.isText ? FromText(ControllerTextToUtf8(setup.currentValue, charSet))
                                            : FromText(setup.currentValue));
        if (setup.isText)
            currentValue_->setFont(textFont);
        auto* label = new QLabel(QStringLiteral("Current Value:"), this);
        label->setBuddy(currentValue_);
        values->addWidget(label, 0, 0);
        values->addWidget(currentValue_, 0, 1);
    }
    if (typed) {
        newValue_ = new QLineEdit(this);
        newValue_->setObjectName(QStringLiteral("newValue"));
        if (setup.isText)
            newValue_->setFont(textFont);
        auto* label = new QLabel(QStringLiteral("Enter New Value:"), this);
        label->setBuddy(newValue_);
        values->addWidget(label, 1, 0);
        values->addWidget(newValue_, 1, 1);
    }
    layout->addLayout(values);

    controlArea_ = new QVBoxLayout;
    layout->addLayout(controlArea_);

    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Valid Range:"), this));
    hint_ = new QLabel(FromText(setup.hint), this);
    hint_->setObjectName(QStringLiteral("hint"));
    range->addWidget(hint_, 1);
    layout->addLayout(range);

    helpText_ = new QLabel(FromText(setup.helpText), this);
    helpText_->setObjectName(QStringLiteral("helpText"));
    helpText_->setWordWrap(true);
    helpText_->setFrameShape(QFrame::StyledPanel);
    helpText_->setMinimumHeight(40);
    helpText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(helpText_);

    auto* levelRow = new QHBoxLayout;
    auto* levelLabel = new QLabel(QStringLiteral("Select Security Level"), this);
    level_ = new QComboBox(this);
    level_->setObjectName(QStringLiteral("securityLevel"));
    for (const std::string& choice : SecurityLevelChoices())
        level_->addItem(FromText(choice));
    level_->setCurrentIndex(setup.hasLevel ? setup.securityIndex : -1);
    level_->setEnabled(setup.hasLevel);
    levelLabel->setBuddy(level_);
    levelRow->addWidget(levelLabel);
    levelRow->addWidget(level_, 1);
    layout->addLayout(levelRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help,
                                         this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CGenParamEdit::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (const auto& handler = EditorHelpHandler())
            handler(this, setup_.helpId);
    });
    layout->addWidget(buttons);
    setMinimumWidth(380);
    if (newValue_)
        newValue_->setFocus();
}

EditorInput CGenParamEdit::collectInput() const
{
    EditorInput input;
    if (newValue_) {
        const std::string typed = newValue_->text().toStdString();
        input.typed = setup_.isText ? Utf8ToControllerText(typed, charSet_) : typed;
    }
    input.securityIndex = setup_.hasLevel ? level_->currentIndex() : -1;
    return input;
}

QWidget* CGenParamEdit::inputWidget() const { return newValue_; }

void CGenParamEdit::accept()
{
    const EditorInput input = collectInput();
    NewValue value = CheckEditorInput(param_.entry(), setup_.kind, input);
    if (!value.ok()) {
        interaction_.showMessage(*value.error, "Corvane", MessageIcon::Warning);
        if (QWidget* w = inputWidget()) {
            w->setFocus();
            if (auto* edit = qobject_cast<QLineEdit*>(w))
                edit->selectAll();
        }
        return;
    }
    result_.valueText = std::move(value.text);
    result_.level = input.securityIndex >= 0 ? input.securityIndex + 1 : 0;
    QDialog::accept();
}

CListParamEdit::CListParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                               QWidget* parent)
    : CGenParamEdit(param, setup, charSet, interaction, parent), options_(new QListWidget(this))
{
    options_->setObjectName(QStringLiteral("options"));
    for (const std::string& line : setup.optionLines)
        options_->addItem(FromText(line));
    if (setup.option >= 0)
        options_->setCurrentRow(setup.option);
    else
        options_->setCurrentRow(-1);
    connect(options_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    controlArea()->addWidget(options_);
    options_->setFocus();
}

EditorInput CListParamEdit::collectInput() const
{
    EditorInput input = CGenParamEdit::collectInput();
    const int row = options_->currentRow();
    if (row >= 0 && options_->currentItem() && options_->currentItem()->isSelected())
        input.option = row;
    return input;
}

QWidget* CListParamEdit::inputWidget() const { return options_; }

CIPParamEdit::CIPParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                           QWidget* parent)
    : CGenParamEdit(param, setup, charSet, interaction, parent)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Enter New Value:"), this));
    for (int i = 0; i < 4; ++i) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QStringLiteral("octet%1").arg(i));
        box->setRange(0, 255);
        box->setButtonSymbols(QAbstractSpinBox::NoButtons);
        box->setAlignment(Qt::AlignRight);
        box->setMinimumWidth(44);
        octets_[static_cast<std::size_t>(i)] = box;
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), this));
        row->addWidget(box);
    }
    row->addStretch(1);
    controlArea()->addLayout(row);
    setAddress(setup.address);
    octets_[0]->setFocus();
}

std::uint32_t CIPParamEdit::address() const
{
    std::uint32_t address = 0;
    for (const QSpinBox* box : octets_)
        address = (address << 8) | static_cast<std::uint32_t>(box->value() & 0xFF);
    return address;
}

void CIPParamEdit::setAddress(std::uint32_t address)
{
    for (int i = 0; i < 4; ++i)
        octets_[static_cast<std::size_t>(i)]->setValue(static_cast<int>((address >> (8 * (3 - i))) & 0xFFu));
}

EditorInput CIPParamEdit::collectInput() const
{
    EditorInput input = CGenParamEdit::collectInput();
    input.address = address();
    return input;
}

QWidget* CIPParamEdit::inputWidget() const { return octets_[0]; }

CAlarmParamEdit::CAlarmParamEdit(const DBParam& param, const EditorSetup& setup, int charSet, Interaction& interaction,
                                 QWidget* parent)
    : CGenParamEdit(param, setup, charSet, interaction, parent)
{
    for (int bit = 0; bit < 4; ++bit) {
        auto* box = new QCheckBox(QString::fromLatin1(kAlarmCheckBoxTexts[static_cast<std::size_t>(bit)]), this);
        box->setObjectName(QStringLiteral("alarmBit%1").arg(bit));
        box->setChecked(setup.alarmChecks[static_cast<std::size_t>(bit)]);
        boxes_[static_cast<std::size_t>(bit)] = box;
        controlArea()->addWidget(box);
    }
    boxes_[0]->setFocus();
}

EditorInput CAlarmParamEdit::collectInput() const
{
    EditorInput input = CGenParamEdit::collectInput();
    for (std::size_t bit = 0; bit < boxes_.size(); ++bit)
        input.alarmChecks[bit] = boxes_[bit]->isChecked();
    return input;
}

QWidget* CAlarmParamEdit::inputWidget() const { return boxes_[0]; }

std::unique_ptr<CGenParamEdit> MakeParamEditor(const DBParam& param, const EditorSetup& setup, int charSet,
                                               Interaction& interaction, QWidget* parent)
{
    switch (setup.kind) {
    case EditorKind::Alarm: return std::make_unique<CAlarmParamEdit>(param, setup, charSet, interaction, parent);
    case EditorKind::List: return std::make_unique<CListParamEdit>(param, setup, charSet, interaction, parent);
    case EditorKind::IPAddress: return std::make_unique<CIPParamEdit>(param, setup, charSet, interaction, parent);
    case EditorKind::General: break;
    }
    return std::make_unique<CGenParamEdit>(param, setup, charSet, interaction, parent);
}

} // namespace corvane::app
