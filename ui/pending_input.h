// Dropping the clicks and keys that the user gave while a long command ran: delivered
// after it they would start the command again.
#pragma once

namespace tf {

// Delivers everything queued once with mouse and keyboard input eaten on the way, so
// that painting and timers still happen.
void DiscardPendingInput();

}  // namespace tf
