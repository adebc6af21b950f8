#pragma once
// One thread that writes the captures in the order they were numbered, and hands what follows
// each write back to the thread that took the capture.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vellum {

class SaveWorker {
  public:
    // Runs on the taking thread once its write has finished.
    using AfterWrite = std::function<void()>;
    // Runs on the worker thread: writes the file and returns what must follow it.
    using Write = std::function<AfterWrite()>;

    // `wake` is called on the worker thread after each write; it must only signal the taking
    // thread (post a message) so that it calls RunFinished.
    explicit SaveWorker(std::function<void()> wake);
    // Waits for the write in progress; writes not yet started are dropped (call WaitForWrites
    // first to keep them).
    ~SaveWorker();
    SaveWorker(const SaveWorker&) = delete;
    SaveWorker& operator=(const SaveWorker&) = delete;

    // Queues a write, first waiting while `limit` writes (at least one) are queued or running:
    // memory stays bounded however fast captures come.
    void Queue(Write write, size_t limit);

    // Captures taken whose after-steps have not run yet: queued, being written, or written.
    size_t Outstanding() const;

    // Runs the after-steps of the finished writes in their order. A call made from within an
    // after-step (a message box's own loop) returns at once; the outer call goes on.
    void RunFinished();

    // Waits up to `timeout` for every queued write to finish; true when all have.
    bool WaitForWrites(std::chrono::milliseconds timeout);

  private:
    void Run();

    std::function<void()> wake_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Write> queued_;
    std::deque<AfterWrite> finished_;
    bool writing_ = false;
    bool stopping_ = false;
    bool runningFinished_ = false;
    size_t undelivered_ = 0;  // written, after-steps not run yet (also while they run)
    std::thread thread_;      // started by the first write
};

}  // namespace vellum
