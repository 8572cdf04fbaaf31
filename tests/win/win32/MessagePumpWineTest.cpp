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

} // namespace
