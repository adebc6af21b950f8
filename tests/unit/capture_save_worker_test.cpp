#include "capture/save_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vellum {
namespace {

using namespace std::chrono_literals;

// Holds the writes that pass it until it is opened.
class Gate {
  public:
    void Pass() {
        std::unique_lock<std::mutex> lock(mutex_);
        opened_.wait(lock, [&] { return open_; });
    }
    void Open() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// Counts the worker's wake-ups, as the window counts the messages it is posted.
struct Wakes {
    std::atomic<int> count{0};
    std::function<void()> Callback() {
        return [this] { ++count; };
    }
};

TEST(SaveWorkerTest, WritesRunInTurnOffTheTakingThreadAndTheirAfterStepsOnIt) {
    Wakes wakes;
    SaveWorker worker(wakes.Callback());
    const std::thread::id taker = std::this_thread::get_id();
    std::mutex logMutex;
    std::vector<std::string> log;
    for (int i = 1; i <= 5; ++i) {
        worker.Queue(
            [&, i] {
                EXPECT_NE(std::this_thread::get_id(), taker);
                const std::lock_guard<std::mutex> lock(logMutex);
                log.push_back("write " + std::to_string(i));
                return SaveWorker::AfterWrite([&, i] {
                    EXPECT_EQ(std::this_thread::get_id(), taker);
                    log.push_back("after " + std::to_string(i));
                });
            },
            8);
    }
    ASSERT_TRUE(worker.WaitForWrites(10s));
    EXPECT_EQ(wakes.count, 5);
    EXPECT_EQ(worker.Outstanding(), 5u) << "written, but nothing has followed yet";
    worker.RunFinished();
    EXPECT_EQ(worker.Outstanding(), 0u);
    EXPECT_EQ(log,
              (std::vector<std::string>{"write 1", "write 2", "write 3", "write 4", "write 5",
                                        "after 1", "after 2", "after 3", "after 4", "after 5"}));
}

TEST(SaveWorkerTest, QueueWaitsWhileTheLimitIsQueuedOrBeingWritten) {
    Wakes wakes;
    SaveWorker worker(wakes.Callback());
    Gate gate;
    const auto held = [&] {
        gate.Pass();
        return SaveWorker::AfterWrite();
    };
    worker.Queue(held, 2);
    worker.Queue(held, 2);
    EXPECT_EQ(worker.Outstanding(), 2u);
    EXPECT_FALSE(worker.WaitForWrites(50ms));

    std::atomic<bool> thirdQueued{false};
    std::thread third([&] {
        worker.Queue(held, 2);
        thirdQueued = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(thirdQueued) << "a third capture waits for room";
    gate.Open();
    third.join();
    EXPECT_TRUE(thirdQueued);
    ASSERT_TRUE(worker.WaitForWrites(10s));
    EXPECT_EQ(wakes.count, 3);
    // Written captures whose after-steps wait do not hold up the taking thread's next capture
    // (it alone runs them): only the writes count against the limit.
    worker.Queue(held, 1);
    ASSERT_TRUE(worker.WaitForWrites(10s));
    EXPECT_EQ(worker.Outstanding(), 4u);
    worker.RunFinished();
    EXPECT_EQ(worker.Outstanding(), 0u);
}

TEST(SaveWorkerTest, AnAfterStepThatPumpsMessagesDoesNotRunTheNextOneInsideIt) {
    Wakes wakes;
    SaveWorker worker(wakes.Callback());
    std::vector<std::string> log;
    const auto write = [&](std::string name, bool reenter) {
        return [&, name, reenter] {
            return SaveWorker::AfterWrite([&, name, reenter] {
                log.push_back(name + " begins");
                if (reenter)
                    worker.RunFinished();  // as a message box's loop would on the next wake-up
                log.push_back(name + " ends");
            });
        };
    };
    worker.Queue(write("first", true), 4);
    worker.Queue(write("second", false), 4);
    ASSERT_TRUE(worker.WaitForWrites(10s));
    worker.RunFinished();
    EXPECT_EQ(log, (std::vector<std::string>{"first begins", "first ends", "second begins",
                                             "second ends"}));
}

TEST(SaveWorkerTest, TheEndWaitsForTheWriteInProgressAndDropsTheRest) {
    std::atomic<int> written{0};
    Gate gate;
    std::atomic<bool> started{false};
    std::thread opener;
    {
        SaveWorker worker(nullptr);
        worker.Queue(
            [&] {
                started = true;
                gate.Pass();
                std::this_thread::sleep_for(50ms);
                ++written;
                return SaveWorker::AfterWrite();
            },
            4);
        worker.Queue(
            [&] {
                ++written;
                return SaveWorker::AfterWrite();
            },
            4);
        while (!started) std::this_thread::yield();
        // The second write is queued behind the first; the end comes while the first runs.
        opener = std::thread([&] {
            std::this_thread::sleep_for(50ms);
            gate.Open();
        });
    }
    opener.join();
    EXPECT_EQ(written, 1) << "the write in progress completed, the one not begun never ran";
}

TEST(SaveWorkerTest, AWriteThatThrowsLeavesTheWorkerRunning) {
    Wakes wakes;
    SaveWorker worker(wakes.Callback());
    bool laterFollowed = false;
    worker.Queue([]() -> SaveWorker::AfterWrite { throw std::bad_alloc(); }, 4);
    worker.Queue([&] { return SaveWorker::AfterWrite([&] { laterFollowed = true; }); }, 4);
    ASSERT_TRUE(worker.WaitForWrites(10s));
    worker.RunFinished();
    EXPECT_TRUE(laterFollowed);
    EXPECT_EQ(worker.Outstanding(), 0u);
}

}  // namespace
}  // namespace vellum
