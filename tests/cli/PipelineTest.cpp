// The ordered pipeline of the word lists, under every thread count, with tiny jobs and delays
// that shuffle the timing (run under ThreadSanitizer too).
#include "OrderedPipeline.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

using namespace zelm;

namespace {
struct TJob {
    int In = -1;
    int Out = -1;
};
} // namespace

TEST(OrderedPipeline, EveryJobOnceAndInOrderWhateverTheThreads) {
    for (std::size_t threads = 1; threads <= 16; ++threads)
        for (const std::size_t slots : {2u, 3u, 16u}) {
            SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(slots) + " slots");
            std::array<std::atomic<bool>, 17> busy{};
            std::atomic<int> processed = 0, clashes = 0;
            TOrderedPipeline<TJob> pipeline(threads, slots, [&](TJob& job, std::size_t index) {
                if (busy[index].exchange(true)) ++clashes; // one job at a time per worker
                for (int i = 0; i < job.In % 5; ++i) std::this_thread::yield();
                job.Out = job.In * 3;
                ++processed;
                busy[index] = false;
            });
            int next = 0, wrong = 0;
            const auto deliver = [&](TJob& job) {
                if (job.In != next || job.Out != next * 3) ++wrong;
                ++next;
                job = {};
                return true;
            };
            constexpr int Jobs = 3000;
            for (int i = 0; i < Jobs; ++i) {
                pipeline.Current().In = i;
                ASSERT_TRUE(pipeline.Submit(deliver));
            }
            ASSERT_TRUE(pipeline.Drain(deliver));
            EXPECT_EQ(next, Jobs);
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(processed, Jobs);
            EXPECT_EQ(clashes, 0);
        }
}

TEST(OrderedPipeline, AStoppedDeliveryEndsTheWork) {
    for (std::size_t threads : {1u, 4u, 16u}) {
        int delivered = 0;
        bool stopped = false;
        {
            TOrderedPipeline<TJob> pipeline(threads, 4, [](TJob& job, std::size_t) { job.Out = job.In; });
            const auto deliver = [&](TJob&) { return ++delivered < 10; };
            for (int i = 0; i < 1000 && !stopped; ++i) {
                pipeline.Current().In = i;
                stopped = !pipeline.Submit(deliver);
            }
        } // the helpers stop and join here
        EXPECT_TRUE(stopped);
        EXPECT_EQ(delivered, 10);
    }
}
