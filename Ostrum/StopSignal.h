#ifndef OSTRUM_STOP_SIGNAL_H
#define OSTRUM_STOP_SIGNAL_H

// SIGINT/SIGTERM end a run from the main loop, never from inside the handler:
// the handler only records the signal (async-signal-safe), the sleep between
// periods wakes at once, and the driver tears down in the usual order.

namespace StopSignal {

// Records signum (first one wins) and wakes Sleep. Safe in a signal handler.
void Notify(int signum);

// Installs handler for SIGINT and SIGTERM (without SA_RESTART).
void Install(void (*handler)(int));

// The recorded signal, 0 when none.
int Pending();

// Sleeps up to seconds; false as soon as a stop signal is recorded.
bool Sleep(double seconds);

// Forgets a recorded signal (tests).
void Reset();

}  // namespace StopSignal

#endif
