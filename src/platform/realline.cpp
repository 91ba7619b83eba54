// The engine on the program's own line: the real serial port and the monotonic clock.

#include "link/exchangeengine.h"
#include "link/steadylineclock.h"
#include "platform/qtserialline.h"

ExchangeEngine::ExchangeEngine()
    : ownedLine_(std::make_unique<QtSerialLine>()),
      ownedClock_(std::make_unique<SteadyLineClock>()), line_(*ownedLine_), clock_(*ownedClock_) {
    line_.SetWaitTurn([this] { GiveWay(); });
}
