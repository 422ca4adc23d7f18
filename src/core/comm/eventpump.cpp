#include "comm/eventpump.h"

#include <QCoreApplication>

namespace corvane {
namespace {

std::function<void()>& Pump()
{
    static std::function<void()> pump = [] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    return pump;
}

} // namespace

void SetEventPump(std::function<void()> pump) { Pump() = std::move(pump); }

void PumpEvents()
{
    if (Pump())
        Pump()();
}

} // namespace corvane
