// Internal: X events become window messages here.
#pragma once

namespace win32_events {

// Reads every event that has arrived and turns it into messages.
void PumpEvents();
// Blocks until an X event or a byte on wakeFd arrives, or the time-out
// passes (-1 waits forever).
void WaitForEvents(int wakeFd, int timeoutMilliseconds);

} // namespace win32_events
