#include "capture/save_worker.h"

#include <utility>

namespace vellum {

SaveWorker::SaveWorker(std::function<void()> wake) : wake_(std::move(wake)) {}

SaveWorker::~SaveWorker() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queued_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void SaveWorker::Queue(Write write, size_t limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (limit == 0)
        limit = 1;
    changed_.wait(lock, [&] { return queued_.size() + (writing_ ? 1 : 0) < limit; });
    queued_.push_back(std::move(write));
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
    lock.unlock();
    changed_.notify_all();
}

size_t SaveWorker::Outstanding() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return queued_.size() + (writing_ ? 1 : 0) + undelivered_;
}

void SaveWorker::RunFinished() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (runningFinished_)
        return;
    runningFinished_ = true;
    while (!finished_.empty()) {
        AfterWrite after = std::move(finished_.front());
        finished_.pop_front();
        lock.unlock();
        if (after)
            after();
        lock.lock();
        --undelivered_;
    }
    runningFinished_ = false;
}

bool SaveWorker::WaitForWrites(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return queued_.empty() && !writing_; });
}

void SaveWorker::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !queued_.empty(); });
        if (queued_.empty())
            return;  // stopping
        Write write = std::move(queued_.front());
        queued_.pop_front();
        writing_ = true;
        lock.unlock();
        AfterWrite after;
        try {
            after = write();
        } catch (...) {
            // The writes report their own faults; one that escapes anyway leaves nothing to do.
            after = nullptr;
        }
        lock.lock();
        finished_.push_back(std::move(after));
        ++undelivered_;
        lock.unlock();
        // Woken before the write counts as ended, so that a wait for the writes sees the wake.
        if (wake_)
            wake_();
        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

}  // namespace vellum
