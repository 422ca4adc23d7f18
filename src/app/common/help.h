#pragma once
// The user manual behind "&Help Topics" and F1, and the About box.

#include <QDialog>
#include <QString>

class QLabel;
class QWidget;

namespace corvane {
class Shell;
}

namespace corvane::app {

// A widget names its help topic with this property (an int); F1 opens the
// topic of the focused widget or of its nearest parent that names one.
inline constexpr const char* kHelpTopicProperty = "helpTopic";

void SetHelpTopic(QWidget* widget, int topic);
// The topic F1 opens for a widget; 100 when neither it nor a parent names one.
int HelpTopicFor(const QWidget* widget);

// The folder of the manual's pages: the installed copy beside the program
// (../share/corvane/manual), else the one in the source tree.
QString ManualFolder();

// Opens a topic of the manual with the shell; false when the shell could not.
bool ShowHelpTopic(Shell& shell, int topic);

// "About Corvane".
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QLabel* revisionLabel() const { return revision_; }

private:
    QLabel* revision_;
};

// "Corvane Revision %02.2f" of this program's revision.
QString RevisionText();

} // namespace corvane::app
