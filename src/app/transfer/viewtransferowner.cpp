#include "transfer/viewtransferowner.h"

#include "configdoc/mainframe.h"
#include "corvaneapp.h"

namespace corvane::app {

void ViewTransferOwner::transferStatus(CTransferThread&, const std::string& word)
{
    const std::string text = TransferStatusText(words_, word);
    if (text.empty())
        return;
    if (CMainFrame* frame = app_.mainFrame())
        frame->showMessage(QString::fromStdString(text));
}

void ViewTransferOwner::transferDone(CTransferThread& job, int message, int parameter)
{
    if (done_)
        done_(job, message, parameter);
}

} // namespace corvane::app
