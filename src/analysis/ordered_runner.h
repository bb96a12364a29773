// Work items evaluated on several threads and handed to the calling thread strictly in
// item order: the circle searches (centres) and the straight slip searches (lines) share it.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace keltora {

// How many items the workers may run ahead of the store.
inline constexpr long long kOrderedLookAhead = 256;

// The threads a search runs on: as requested, all cores for 0 (or less), at most 256.
inline int workerThreads(int requested)
{
    int n = requested;
    if (n <= 0) n = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(n, 1, 256);
}

// Evaluates items 0 .. n-1 with eval(i, work, scratch) on `threads` threads, each thread
// with its own Scratch, and hands every Work to store(i, work) on the calling thread
// strictly in item order. abort(i) is asked on the calling thread before item i is stored;
// true ends the run there and returns false. Everything that depends on order (tables,
// dump files, minima, ties, the abort point, the observer's calls) is therefore that of
// the serial loop, which runs instead for one thread or one item.
//
// An exception of eval is rethrown on the calling thread when its item's turn comes. On
// every way out (the end, an abort, an exception of eval, store or abort, a thread that
// cannot be started) the workers are stopped and joined before the function returns or
// the exception leaves it: the callers' data outlive every worker.
template <typename Work, typename Scratch, typename Eval, typename Store, typename Abort>
bool runInOrder(long long n, int threads, Eval&& eval, Store&& store, Abort&& abort)
{
    if (threads <= 1 || n <= 1) {
        Scratch scratch;
        for (long long i = 0; i < n; ++i) {
            if (abort(i)) return false;
            Work work;
            eval(i, work, scratch);
            store(i, work);
        }
        return true;
    }

    struct Slot {
        Work work;
        std::exception_ptr error;
        bool ready = false; // guarded by mutex
    };
    // A ring of slots: a worker fills slot i % kOrderedLookAhead only once item
    // i - kOrderedLookAhead has been stored.
    std::vector<Slot> slots(static_cast<std::size_t>(std::min(n, kOrderedLookAhead)));
    auto slotOf = [&](long long i) -> Slot& {
        return slots[static_cast<std::size_t>(i % kOrderedLookAhead)];
    };
    std::mutex mutex;
    std::condition_variable readyCv, spaceCv;
    std::atomic<long long> next{0};
    std::atomic<bool> stop{false};
    long long stored = 0; // guarded by mutex

    auto worker = [&] {
        Scratch scratch;
        for (;;) {
            const long long i = next.fetch_add(1);
            if (i >= n || stop.load()) return;
            {
                std::unique_lock lock(mutex);
                spaceCv.wait(lock, [&] { return stop.load() || i < stored + kOrderedLookAhead; });
            }
            if (stop.load()) return;
            Slot& slot = slotOf(i);
            try {
                eval(i, slot.work, scratch);
            } catch (...) {
                slot.error = std::current_exception();
            }
            {
                std::lock_guard lock(mutex);
                slot.ready = true;
            }
            readyCv.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads));
    // Declared after everything the workers use, so that it runs first on the way out.
    struct Joiner {
        std::atomic<bool>& stop;
        std::mutex& mutex;
        std::condition_variable& spaceCv;
        std::vector<std::thread>& pool;
        ~Joiner()
        {
            stop.store(true);
            {
                std::lock_guard lock(mutex); // no worker between its test and its wait
            }
            spaceCv.notify_all();
            for (std::thread& t : pool)
                if (t.joinable()) t.join();
        }
    } joiner{stop, mutex, spaceCv, pool};
    const long long count = std::min<long long>(threads, n);
    for (long long t = 0; t < count; ++t)
        pool.emplace_back(worker);

    for (long long i = 0; i < n; ++i) {
        if (abort(i)) return false;
        Slot& slot = slotOf(i);
        {
            std::unique_lock lock(mutex);
            readyCv.wait(lock, [&] { return slot.ready; });
        }
        if (slot.error) std::rethrow_exception(slot.error);
        store(i, slot.work);
        slot.work = Work{};
        {
            std::lock_guard lock(mutex);
            slot.ready = false;
            stored = i + 1;
        }
        spaceCv.notify_all();
    }
    return true;
}

} // namespace keltora
