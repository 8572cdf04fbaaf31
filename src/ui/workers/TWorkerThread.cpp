#include "TWorkerThread.h"

#include <exception>
#include <stdexcept>

#include "MessagePump.h"
#include "TImageListPool.h"
#include "WorkerProgress.h"

namespace ovd {
namespace {

// A finished worker's thread ends right after its wake-up message; a killed one at once.
constexpr DWORD kEndWaitMs = 10000;

} // namespace

void ReportWorkerProgress(std::string_view text, long long min, long long max, long long position)
{
    ReportWorkerProgressAt(GetTickCount(), text, min, max, position);
}

TWorkerThread::~TWorkerThread()
{
    const HANDLE thread = thread_.get();
    if (thread != nullptr)
        PumpUntilSignalled(&thread, 1, kEndWaitMs, nullptr, PumpScope::SentMessagesOnly);
}

void TWorkerThread::Start(bool sixtyFourBitMode)
{
    sixtyFourBitMode_ = sixtyFourBitMode;
    ImageListPool(); // the synchronised calls need the main form
    thread_.reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!thread_)
        throw std::runtime_error("A worker thread cannot be created");
}

bool TWorkerThread::Kill()
{
    if (!thread_ || WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0)
        return true;
    // Suspended first, so that it cannot enter the engine's code between the look and the
    // end; GetThreadContext waits until the suspension has taken effect.
    if (SuspendThread(thread_.get()) == static_cast<DWORD>(-1))
        return true;
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(thread_.get(), &context);
    if (inEngine_ > 0) {
        ResumeThread(thread_.get());
        return false;
    }
    TerminateThread(thread_.get(), 0);
    WaitForSingleObject(thread_.get(), kEndWaitMs);
    return true;
}

DWORD WINAPI TWorkerThread::ThreadProc(void* self) noexcept
{
    static_cast<TWorkerThread*>(self)->RunBody();
    return 0;
}

void TWorkerThread::RunBody() noexcept
{
    try {
        Execute();
    } catch (const std::exception& e) {
        failure_ = e.what();
    } catch (...) {
        failure_ = "Unknown error in a worker thread";
    }
    TImageListPool& pool = ImageListPool();
    pool.Synchronize([this] {
        finishedFlag_ = true;
        Finished();
    });
    pool.Wake();
}

} // namespace ovd
