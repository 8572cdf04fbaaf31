// The one way the engine's main thread handles its messages and waits: the start-up forms,
// the runner's message rounds and the wait for workers all go through here, so that a
// quit request is treated the same everywhere.
#pragma once

#include <windows.h>

#include <functional>

namespace ovd {

// A top-level window carrying this property gets the keyboard navigation of a dialog
// (Tab, arrows, Enter, Escape, mnemonics) from every message round.
inline constexpr char kDialogKeysProperty[] = "OvdDialogKeys";

// Handles the messages waiting in this thread's queue, then returns without waiting. A
// WM_QUIT ends the round and is posted again, so that the program's own loop still sees
// it. Returns false when a WM_QUIT was seen.
bool ProcessPendingMessages();

enum class WaitOutcome { Signalled, TimedOut, Failed };

// Which messages a wait handles. Silent runs show no window, yet a worker's synchronised
// call (a message sent from its thread) must still be served, or the worker would never end.
enum class PumpScope { AllMessages, SentMessagesOnly };

// Waits until one of `handles` is signalled or `timeoutMs` passes (INFINITE: no limit),
// handling this thread's messages meanwhile. `signalled`, when given, receives the index
// of the handle that ended the wait. With no handles, it waits for the time alone.
WaitOutcome PumpUntilSignalled(const HANDLE* handles, DWORD count, DWORD timeoutMs,
                               DWORD* signalled = nullptr,
                               PumpScope scope = PumpScope::AllMessages);

// One round: sleeps until a message arrives, one of `handles` is signalled or `timeoutMs`
// passes, then handles what is waiting. Signalled when a handle ended the sleep.
WaitOutcome PumpOnce(const HANDLE* handles, DWORD count, DWORD timeoutMs);

// Sleeps until a message arrives or `timeoutMs` passes, then handles what is waiting.
void WaitForMessages(DWORD timeoutMs);

// Handles this thread's messages until `done` holds (checked before each sleep and after
// each round). False when a quit request came first; the request stays posted for the
// program's loop. `idle`, when given, is work done in small steps while no message waits:
// it is called instead of sleeping until it returns false (nothing left).
bool WaitUntil(const std::function<bool()>& done, const std::function<bool()>& idle = {});

} // namespace ovd
