#pragma once
// What a port does while it waits on the network: lets the application's
// event loop run so that windows stay responsive.

#include <functional>

namespace corvane {

// Called repeatedly while a TCP wait is in progress. By default it processes
// the pending events of the running Qt application, if there is one.
void SetEventPump(std::function<void()> pump);
void PumpEvents();

} // namespace corvane
