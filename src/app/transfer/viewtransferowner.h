#pragma once
// The owner of a controller-file view's transfer jobs: every status word goes
// to the status bar of the main window in the view's words, the done
// notification to the view.

#include "transfer/controllerfile.h"
#include "transfer/transferthread.h"

#include <functional>

namespace corvane::app {

class CCorvaneApp;

class ViewTransferOwner : public TransferOwner {
public:
    using DoneHandler = std::function<void(CTransferThread& job, int message, int parameter)>;

    ViewTransferOwner(CCorvaneApp& app, const ControllerFileWords& words, DoneHandler done)
        : app_(app), words_(words), done_(std::move(done))
    {
    }

    void transferStatus(CTransferThread& job, const std::string& word) override;
    void transferDone(CTransferThread& job, int message, int parameter) override;

private:
    CCorvaneApp& app_;
    const ControllerFileWords& words_;
    DoneHandler done_;
};

} // namespace corvane::app
