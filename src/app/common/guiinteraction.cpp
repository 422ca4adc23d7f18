#include "common/guiinteraction.h"

#include "device/passworddialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace corvane::app {

namespace {

QMessageBox::Icon ToIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

Answer ToAnswer(int button)
{
    switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return Answer::Cancel;
    }
}

// While a message is up, the arrow replaces a wait cursor of the operation that asks.
struct ArrowCursor {
    bool pushed = QApplication::overrideCursor() != nullptr;
    ArrowCursor()
    {
        if (pushed)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowCursor()
    {
        if (pushed)
            QApplication::restoreOverrideCursor();
    }
    ArrowCursor(const ArrowCursor&) = delete;
    ArrowCursor& operator=(const ArrowCursor&) = delete;
};

} // namespace

QWidget* GuiInteraction::owner() const
{
    // A progress window that locks the others owns the questions asked under it.
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return parent_;
}

QString MessageCaption(const std::string& caption)
{
    return caption.empty() ? QStringLiteral("Corvane") : QString::fromStdString(caption);
}

QString QtFileFilter(const std::string& filter)
{
    // Pairs of "description|pattern", ending in "||".
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (") + patterns + QLatin1Char(')');
        filters << description;
    }
    return filters.join(QStringLiteral(";;"));
}

void GuiInteraction::showMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    ArrowCursor arrow;
    QMessageBox box(ToIcon(icon), MessageCaption(caption), QString::fromStdString(text), QMessageBox::Ok, owner());
    box.exec();
}

Answer GuiInteraction::ask(const std::string& text, const std::string& caption, Buttons buttons, MessageIcon icon)
{
    ArrowCursor arrow;
    QMessageBox box(ToIcon(icon), MessageCaption(caption), QString::fromStdString(text), ToButtons(buttons), owner());
    return ToAnswer(box.exec());
}

std::optional<std::string> GuiInteraction::askFileName(const std::string& title, const std::string& filter, bool save)
{
    FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.save = save;
    return askFile(request);
}

std::optional<std::string> GuiInteraction::askFile(const FileDialogRequest& request)
{
    ArrowCursor arrow;
    QFileDialog dialog(owner(), QString::fromStdString(request.title));
    dialog.setNameFilter(QtFileFilter(request.filter));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension).remove(0, 1));
    if (!request.defaultName.empty())
        dialog.selectFile(QString::fromStdString(request.defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> GuiInteraction::askAccessCode()
{
    ArrowCursor arrow;
    CPasswordDialog dialog(owner());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::string code = dialog.takeAccessCode();
    return code;
}

} // namespace corvane::app
