#include "common/help.h"

#include "common/cformat.h"
#include "common/helptopics.h"
#include "common/revision.h"
#include "common/shell.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane::app {

void SetHelpTopic(QWidget* widget, int topic)
{
    widget->setProperty(kHelpTopicProperty, topic);
}

int HelpTopicFor(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        QVariant topic = w->property(kHelpTopicProperty);
        bool ok = false;
        int n = topic.toInt(&ok);
        if (topic.isValid() && ok && n > 0)
            return n;
    }
    return helptopic::Default;
}

QString ManualFolder()
{
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvane/manual"));
    if (QFileInfo::exists(installed + QStringLiteral("/index.html")))
        return installed;
#ifdef CORVANE_SOURCE_MANUAL
    return QStringLiteral(CORVANE_SOURCE_MANUAL);
#else
    return installed;
#endif
}

bool ShowHelpTopic(Shell& shell, int topic)
{
    return shell.open(HelpUrl(ManualFolder().toStdString(), topic));
}

QString RevisionText()
{
    return QString::fromStdString(CFormat("Corvane Revision %02.2f", static_cast<double>(TOOL_REVISION)));
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Corvane"));

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().isNull() ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32)
                                          : windowIcon().pixmap(32, 32));
    auto* name = new QLabel(QStringLiteral("Corvane for Pellion.net"), this);
    revision_ = new QLabel(RevisionText(), this);
    revision_->setObjectName(QStringLiteral("revision"));
    auto* maker = new QLabel(QStringLiteral("Halvard Meter"), this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(revision_);
    texts->addWidget(maker);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

} // namespace corvane::app
