// The base of every worker thread: a body that runs once on its own thread, created
// running. The runner fills the inputs before Start and reads the results after the wait.
// The body ends with the finish protocol: a synchronised call on the main thread sets the
// class's WorkerFinishedFlag (and runs Finished), then a WM_NULL wakes the main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <string_view>

#include "WinHandles.h"

namespace ovd {

// Any thread: stamps "ZOVR_LastDelegateTick" and stores the report that the main thread's
// progress display shows (see WorkerProgress.h).
void ReportWorkerProgress(std::string_view text, long long min, long long max, long long position);

class TWorkerThread {
public:
    // `finishedFlag` is the WorkerFinishedFlag of the derived class.
    explicit TWorkerThread(bool& finishedFlag) : finishedFlag_(finishedFlag) {}
    virtual ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Creates the thread, running. `sixtyFourBitMode`: the run is in 64-bit mode, so the
    // body switches WOW64 file-system redirection off around the file-system calls that
    // must see the 64-bit system (TWow64RedirectionOff), never around a library load or a
    // message pump. Throws when the thread cannot be created.
    void Start(bool sixtyFourBitMode);

    // The wait loop asks the body to stop early; the body polls Terminated().
    void RequestTerminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // The watchdog's forced termination (main thread). The thread is not ended while it is
    // inside the engine's own code (holding the variable store's lock, or the loader's):
    // false then, and the watchdog looks again shortly.
    bool Kill();

    HANDLE Handle() const { return thread_.get(); }
    bool& FinishedFlag() const { return finishedFlag_; }
    // The message of an error that escaped the body; empty when none.
    const std::string& Failure() const { return failure_; }

protected:
    virtual void Execute() = 0;

    // The run's 64-bit mode, as Start was given it.
    bool SixtyFourBitMode() const { return sixtyFourBitMode_; }
    // Runs on the main thread right after the finished flag is set: copies results.
    virtual void Finished() {}

    // Marks a stretch of the body as the engine's own code (see Kill).
    class TEngineSection {
    public:
        explicit TEngineSection(TWorkerThread& worker) : worker_(worker) { ++worker_.inEngine_; }
        ~TEngineSection() { --worker_.inEngine_; }
        TEngineSection(const TEngineSection&) = delete;
        TEngineSection& operator=(const TEngineSection&) = delete;

    private:
        TWorkerThread& worker_;
    };
    // Leaves the engine's own code for a system call that may hang (a lost network share)
    // inside a stretch marked above, so that the watchdog can still end the thread there.
    class TOutsideEngine {
    public:
        explicit TOutsideEngine(TWorkerThread& worker)
            : worker_(worker), depth_(worker.inEngine_.exchange(0))
        {
        }
        ~TOutsideEngine() { worker_.inEngine_ += depth_; }
        TOutsideEngine(const TOutsideEngine&) = delete;
        TOutsideEngine& operator=(const TOutsideEngine&) = delete;

    private:
        TWorkerThread& worker_;
        int depth_;
    };

private:
    static DWORD WINAPI ThreadProc(void* self) noexcept;
    void RunBody() noexcept;

    bool& finishedFlag_;
    UniqueHandle thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<int> inEngine_{0};
    bool sixtyFourBitMode_ = false;
    std::string failure_;
};

} // namespace ovd
