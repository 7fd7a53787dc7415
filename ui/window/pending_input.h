// Dropping the clicks and keys that the user gave while a long command ran: delivered
// after it they would start the command again.
#pragma once

class QEvent;

namespace tf {

// True for the mouse clicks, wheel turns and keys by which the user gives a command.
bool IsUserInput(const QEvent* event);

// Delivers everything queued once with mouse and keyboard input eaten on the way, so
// that painting and timers still happen.
void DiscardPendingInput();

}  // namespace tf
