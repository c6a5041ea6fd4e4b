// Ctrl-C in long computations.
//
// A compute loop cannot see the host's interrupt request by itself. Long loops therefore call
// poll_interrupt() now and then (once per outer element, say). It is cheap: it reads a clock
// and, at most five times a second, calls the hook that the host binding installed for the
// running call. The hook lets the host deliver a pending interrupt, which ends the call by
// unwinding through the caller's frames, so everything owned by RAII types is released.
// Without a hook (unit tests, other callers of the cores) it does nothing.
// The hook talks to the host, so only the thread that installed it calls it: worker threads
// may call poll_interrupt() freely, it does nothing there.
#pragma once

namespace mom {

using InterruptHook = void (*)();

// Installs `hook` (nullptr removes it); returns the previous one.
InterruptHook set_interrupt_hook(InterruptHook hook);

void poll_interrupt();

}  // namespace mom
