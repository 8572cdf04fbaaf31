// The one pump and wait of the main thread: messages are handled while waiting, the wait
// ends on the handle or the time limit, and a quit request survives for the program loop.
#include "MessagePump.h"
#include "WinHandles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

namespace {

constexpr UINT kProbe = WM_APP + 7;

TEST(MessagePump, WaitHandlesMessagesAndEndsOnTheHandle)
{
    ovd::UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const DWORD mainThread = GetCurrentThreadId();
    // A thread message is not dispatched to a window: count it through a hook-free check.
    std::thread worker([&] {
        PostThreadMessageA(mainThread, WM_NULL, 0, 0);
        Sleep(50);
        SetEvent(event.get());
    });
    HANDLE handles[] = {event.get()};
    DWORD which = 99;
    EXPECT_EQ(ovd::PumpUntilSignalled(handles, 1, 5000, &which), ovd::WaitOutcome::Signalled);
    EXPECT_EQ(which, 0u);
    worker.join();
    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_NULL, WM_NULL, PM_NOREMOVE)); // handled
}

TEST(MessagePump, TimesOutWithoutAHandle)
{
    EXPECT_EQ(ovd::PumpUntilSignalled(nullptr, 0, 30), ovd::WaitOutcome::TimedOut);
}

TEST(MessagePump, QuitRequestIsKeptForTheProgramLoop)
{
    ovd::UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    PostQuitMessage(7);
    PostThreadMessageA(GetCurrentThreadId(), kProbe, 0, 0);
    std::thread worker([&] {
        Sleep(100);
        SetEvent(event.get());
    });
    HANDLE handles[] = {event.get()};
    // The quit does not end the wait early, and the wait does not spin on it.
    EXPECT_EQ(ovd::PumpUntilSignalled(handles, 1, 5000), ovd::WaitOutcome::Signalled);
    worker.join();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);

    PostQuitMessage(3);
    EXPECT_FALSE(ovd::ProcessPendingMessages());
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

bool g_timerFired = false;

void CALLBACK MarkFired(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    g_timerFired = true;
}

// The modal loop's wait: it ends when its condition holds after a round, or on a quit
// request, which stays posted.
TEST(MessagePump, WaitUntilEndsOnTheConditionOrAQuit)
{
    struct Case {
        const char* Name;
        bool DoneAtOnce;
        int QuitCode; // -1: no quit request
        bool Expected;
    };
    const Case cases[] = {
        {"done before any round", true, -1, true},
        {"done by a timer handled in a round", false, -1, true},
        {"a quit request first", false, 5, false},
    };
    for (const Case& c : cases) {
        g_timerFired = false;
        UINT_PTR timer = 0;
        if (c.QuitCode >= 0)
            PostQuitMessage(c.QuitCode);
        else if (!c.DoneAtOnce)
            timer = SetTimer(nullptr, 0, 20, MarkFired);
        int checks = 0;
        const bool result = ovd::WaitUntil([&] {
            ++checks;
            return c.DoneAtOnce || g_timerFired;
        });
        if (timer)
            KillTimer(nullptr, timer);
        EXPECT_EQ(result, c.Expected) << c.Name;
        if (c.DoneAtOnce) {
            EXPECT_EQ(checks, 1) << c.Name;
        }
        MSG msg;
        const bool quitLeft = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
        EXPECT_EQ(quitLeft, c.QuitCode >= 0) << c.Name;
        if (quitLeft) {
            EXPECT_EQ(static_cast<int>(msg.wParam), c.QuitCode) << c.Name;
        }
    }
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    PostQuitMessage(9);
}

// Idle work: done in steps only where the wait would sleep, after what is waiting; the wait
// sleeps once it has nothing left, and still ends on its condition.
TEST(MessagePump, WaitUntilDoesIdleWorkBetweenMessages)
{
    struct Case {
        const char* Name;
        int Steps;     // idle steps until the work is done
        int DoneAfter; // the condition holds after this many steps; 0: by a timer
    };
    const Case cases[] = {
        {"the condition holds in the middle of the work", 5, 3},
        {"the work ends first, the timer ends the wait", 2, 0},
    };
    for (const Case& c : cases) {
        g_timerFired = false;
        // A message already waiting is handled before the first step.
        PostThreadMessageA(GetCurrentThreadId(), kProbe, 0, 0);
        const UINT_PTR timer = c.DoneAfter == 0 ? SetTimer(nullptr, 0, 30, MarkFired) : 0;
        // Ends a wait that never gets its condition: a failure, not a hang.
        const UINT_PTR guard = SetTimer(nullptr, 0, 5000, GiveUp);
        int steps = 0;
        bool probeWaitingAtFirstStep = true;
        const bool result = ovd::WaitUntil(
            [&] { return c.DoneAfter == 0 ? g_timerFired : steps >= c.DoneAfter; },
            [&] {
                MSG probe;
                if (steps == 0)
                    probeWaitingAtFirstStep =
                        PeekMessageA(&probe, nullptr, kProbe, kProbe, PM_NOREMOVE) != FALSE;
                ++steps;
                return steps < c.Steps;
            });
        if (timer)
            KillTimer(nullptr, timer);
        KillTimer(nullptr, guard);
        EXPECT_TRUE(result) << c.Name;
        EXPECT_FALSE(probeWaitingAtFirstStep) << c.Name;
        EXPECT_EQ(steps, c.DoneAfter == 0 ? c.Steps : c.DoneAfter) << c.Name;
        MSG left;
        while (PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
}

} // namespace
