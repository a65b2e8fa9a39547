// Jobs done on several threads and handed back in the order they were given.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zelm {

// A ring of job slots. The calling thread fills the current slot and submits it; helper threads
// take submitted slots one by one; the calling thread delivers finished slots strictly in ring
// order, and helps with the work while it would otherwise wait. Every change of a slot's state
// happens under one lock, so no slot can be lost or done twice whatever the timing: a slot is
// Free (only the caller touches it), Queued, Running (only the thread running it touches it) or
// Done (only the caller touches it, until it delivers it and frees it).
template <class TJob> class TOrderedPipeline {
public:
    // `process` runs a job on worker `index` (0 is the calling thread, 1..threads-1 the helpers),
    // never two jobs at once on the same index.
    using TProcess = std::function<void(TJob& job, std::size_t index)>;
    // Hands over a finished job, on the calling thread; false stops the pipeline.
    using TDeliver = std::function<bool(TJob& job)>;

    TOrderedPipeline(std::size_t threads, std::size_t slots, TProcess process)
        : Slots_(slots < 2 ? 2 : slots), Process_(std::move(process)) {
        for (std::size_t i = 1; i < threads; ++i) Threads_.emplace_back([this, i] { Serve(i); });
    }

    ~TOrderedPipeline() {
        {
            std::lock_guard lock(Mutex_);
            Stopping_ = true;
        }
        Work_.notify_all();
        for (std::thread& t : Threads_) t.join(); // a helper finishes the job it runs, queued ones are dropped
    }

    TOrderedPipeline(const TOrderedPipeline&) = delete;
    TOrderedPipeline& operator=(const TOrderedPipeline&) = delete;

    // The job to fill next; it is free.
    TJob& Current() { return Slots_[Fill_].Job; }

    // Submits the current job, then delivers finished jobs in order until the next slot is free.
    // False when a delivery said to stop.
    bool Submit(const TDeliver& deliver) {
        {
            std::lock_guard lock(Mutex_);
            Slots_[Fill_].State = TState::Queued;
            Queue_.push_back(Fill_);
            ++Pending_;
        }
        Work_.notify_one();
        Fill_ = (Fill_ + 1) % Slots_.size();
        return Advance(deliver, false);
    }

    // Waits for every submitted job and delivers them in order.
    bool Drain(const TDeliver& deliver) { return Advance(deliver, true); }

private:
    enum class TState { Free, Queued, Running, Done };
    struct TSlot {
        TJob Job{};
        TState State = TState::Free;
    };

    // Runs the first queued job; called and returning with the lock held.
    void RunOne(std::unique_lock<std::mutex>& lock, std::size_t index) {
        const std::size_t slot = Queue_.front();
        Queue_.pop_front();
        Slots_[slot].State = TState::Running;
        lock.unlock();
        Process_(Slots_[slot].Job, index);
        lock.lock();
        Slots_[slot].State = TState::Done;
        Finished_.notify_all();
    }

    void Serve(std::size_t index) {
        std::unique_lock lock(Mutex_);
        for (;;) {
            Work_.wait(lock, [&] { return Stopping_ || !Queue_.empty(); });
            if (Stopping_) return;
            RunOne(lock, index);
        }
    }

    bool Advance(const TDeliver& deliver, bool all) {
        std::unique_lock lock(Mutex_);
        for (;;) {
            while (Pending_ > 0 && Slots_[Write_].State == TState::Done) {
                TSlot& slot = Slots_[Write_];
                lock.unlock();
                const bool goOn = deliver(slot.Job);
                lock.lock();
                slot.State = TState::Free;
                Write_ = (Write_ + 1) % Slots_.size();
                --Pending_;
                if (!goOn) return false;
            }
            if (all ? Pending_ == 0 : Slots_[Fill_].State == TState::Free) return true;
            if (!Queue_.empty()) RunOne(lock, 0);
            else Finished_.wait(lock);
        }
    }

    std::vector<TSlot> Slots_;
    TProcess Process_;
    std::mutex Mutex_;
    std::condition_variable Work_, Finished_;
    std::deque<std::size_t> Queue_; // submitted slots not yet taken, in order
    std::size_t Fill_ = 0;          // the slot being filled
    std::size_t Write_ = 0;         // the next slot to deliver
    std::size_t Pending_ = 0;       // submitted and not yet delivered
    bool Stopping_ = false;
    std::vector<std::thread> Threads_;
};

} // namespace zelm
