#include "MessagePump.h"

#include "Wow64Redirection.h"

namespace ovd {
namespace {

// Takes a WM_QUIT out of the queue; its exit code.
int TakeQuitMessage()
{
    MSG quit{};
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return static_cast<int>(quit.wParam);
}

// Serves the messages other threads have sent to this one; posted messages stay queued.
void ProcessSentMessages()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

bool Signalled(DWORD result, DWORD count)
{
    return result < WAIT_OBJECT_0 + count ||
           (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count);
}

// A multi-line edit keeps Escape for itself and only asks its parent to close, which a
// dialog may refuse: in a window with dialog keys, Escape there is Cancel as everywhere.
bool IsEscapeInMultiLineEdit(const MSG& msg, HWND root)
{
    return msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && msg.hwnd != root &&
           (GetWindowLongA(msg.hwnd, GWL_STYLE) & ES_MULTILINE) != 0 &&
           (SendMessageA(msg.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
}

} // namespace

bool ProcessPendingMessages()
{
    CheckRedirectionOn(); // a window procedure may load any library
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && GetPropA(root, kDialogKeysProperty)) {
            if (IsEscapeInMultiLineEdit(msg, root)) {
                SendMessageA(root, WM_COMMAND, IDCANCEL, 0);
                continue;
            }
            if (IsDialogMessageA(root, &msg))
                continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

WaitOutcome PumpUntilSignalled(const HANDLE* handles, DWORD count, DWORD timeoutMs,
                               DWORD* signalled, PumpScope scope)
{
    CheckRedirectionOn();
    const bool sentOnly = scope == PumpScope::SentMessagesOnly;
    const DWORD start = GetTickCount();
    // After a quit request the wait goes on for what it waits for, without messages (a
    // pending quit would wake every message wait at once); the request is posted again
    // when the wait ends.
    bool quitSeen = false;
    int quitCode = 0;
    WaitOutcome outcome = WaitOutcome::Failed;
    for (;;) {
        DWORD left = INFINITE;
        if (timeoutMs != INFINITE) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= timeoutMs) {
                outcome = WaitOutcome::TimedOut;
                break;
            }
            left = timeoutMs - spent;
        }
        DWORD result;
        if (quitSeen)
            result = count == 0 ? (Sleep(left), WAIT_TIMEOUT)
                                : WaitForMultipleObjects(count, handles, FALSE, left);
        else
            result = MsgWaitForMultipleObjectsEx(
                count, handles, left, sentOnly ? QS_SENDMESSAGE : QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (Signalled(result, count)) {
            if (signalled != nullptr)
                *signalled = result < WAIT_OBJECT_0 + count ? result - WAIT_OBJECT_0
                                                            : result - WAIT_ABANDONED_0;
            outcome = WaitOutcome::Signalled;
            break;
        }
        if (result == WAIT_TIMEOUT) {
            outcome = WaitOutcome::TimedOut;
            break;
        }
        if (result == WAIT_FAILED) {
            outcome = WaitOutcome::Failed;
            break;
        }
        if (sentOnly)
            ProcessSentMessages();
        else if (!ProcessPendingMessages()) {
            quitSeen = true;
            quitCode = TakeQuitMessage();
        }
    }
    if (quitSeen)
        PostQuitMessage(quitCode);
    return outcome;
}

WaitOutcome PumpOnce(const HANDLE* handles, DWORD count, DWORD timeoutMs)
{
    CheckRedirectionOn();
    const DWORD result =
        MsgWaitForMultipleObjectsEx(count, handles, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ProcessPendingMessages();
    if (Signalled(result, count))
        return WaitOutcome::Signalled;
    return result == WAIT_FAILED ? WaitOutcome::Failed : WaitOutcome::TimedOut;
}

void WaitForMessages(DWORD timeoutMs)
{
    PumpOnce(nullptr, 0, timeoutMs);
}

bool WaitUntil(const std::function<bool()>& done, const std::function<bool()>& idle)
{
    bool idleWork = static_cast<bool>(idle);
    while (!done()) {
        CheckRedirectionOn();
        // Messages first: a step of idle work only where the thread would sleep.
        if (idleWork && HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) {
            idleWork = idle();
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // A quit seen in the round is posted again, and would wake every later sleep at once.
        if (!ProcessPendingMessages())
            return done();
    }
    return true;
}

} // namespace ovd
