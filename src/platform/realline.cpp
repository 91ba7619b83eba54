// The engine on the program's own line: a serial port or a gateway, and the monotonic clock.

#include "link/exchangeengine.h"
#include "link/steadylineclock.h"
#include "platform/portline.h"

ExchangeEngine::ExchangeEngine()
    : ownedLine_(std::make_unique<PortLine>()), ownedClock_(std::make_unique<SteadyLineClock>()),
      line_(*ownedLine_), clock_(*ownedClock_) {
    // The reads of either line look at the stop while they wait.
    line_.SetStopCheck([this] { return StopRequested(); });
}
