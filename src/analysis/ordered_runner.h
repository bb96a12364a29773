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

// Evaluates items 0 .. n-1 with eval(i, work, scratch) on `threads` threads (the calling
// thread and threads - 1 helpers), each thread with its own Scratch, and hands every Work
// to store(i, work) on the calling thread strictly in item order. abort(i) is asked on
// the calling thread before item i is stored; true ends the run there and returns false.
// Everything that depends on order (tables, dump files, minima, ties, the abort point,
// the observer's calls) is therefore that of the serial loop, which runs instead for one
// thread or one item.
//
// The calling thread evaluates items too, and stores whatever is ready in order between
// its own items; it waits only when it can take no item (none left, or the helpers are
// kOrderedLookAhead items ahead of the store). So `threads` threads compute, none of them
// only waits, and no extra thread competes with them for the cores.
//
// An exception of eval is rethrown on the calling thread when its item's turn comes. On
// every way out (the end, an abort, an exception of eval, store or abort, a thread that
// cannot be started) the helpers are stopped and joined before the function returns or
// the exception leaves it: the callers' data outlive every helper.
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
    // A ring of slots: item i goes to slot i % kOrderedLookAhead, taken only once item
    // i - kOrderedLookAhead has been stored.
    std::vector<Slot> slots(static_cast<std::size_t>(std::min(n, kOrderedLookAhead)));
    auto slotOf = [&](long long i) -> Slot& {
        return slots[static_cast<std::size_t>(i % kOrderedLookAhead)];
    };
    std::mutex mutex;
    std::condition_variable readyCv, spaceCv;
    std::atomic<long long> next{0};
    std::atomic<bool> stop{false};
    long long stored = 0; // guarded by mutex; written by the calling thread only

    auto evaluate = [&](long long i, Scratch& scratch) {
        Slot& slot = slotOf(i);
        try {
            eval(i, slot.work, scratch);
        } catch (...) {
            slot.error = std::current_exception();
        }
        std::lock_guard lock(mutex);
        slot.ready = true;
    };
    auto helper = [&] {
        Scratch scratch;
        for (;;) {
            const long long i = next.fetch_add(1);
            if (i >= n || stop.load()) return;
            {
                std::unique_lock lock(mutex);
                spaceCv.wait(lock, [&] { return stop.load() || i < stored + kOrderedLookAhead; });
            }
            if (stop.load()) return;
            evaluate(i, scratch);
            readyCv.notify_one(); // only the calling thread waits for ready items
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads));
    // Declared after everything the helpers use, so that it runs first on the way out.
    struct Joiner {
        std::atomic<bool>& stop;
        std::mutex& mutex;
        std::condition_variable& spaceCv;
        std::vector<std::thread>& pool;
        ~Joiner()
        {
            stop.store(true);
            {
                std::lock_guard lock(mutex); // no helper between its test and its wait
            }
            spaceCv.notify_all();
            for (std::thread& t : pool)
                if (t.joinable()) t.join();
        }
    } joiner{stop, mutex, spaceCv, pool};
    const long long count = std::min<long long>(threads - 1, n - 1);
    for (long long t = 0; t < count; ++t)
        pool.emplace_back(helper);

    // Stores item `toStore` if it is ready (or, with `wait`, once it is). Returns false
    // when abort asked to end the run.
    long long toStore = 0;
    auto storeNext = [&](bool wait, bool& storedOne) {
        storedOne = false;
        Slot& slot = slotOf(toStore);
        {
            std::unique_lock lock(mutex);
            if (!slot.ready) {
                if (!wait) return true;
                readyCv.wait(lock, [&] { return slot.ready; });
            }
        }
        if (abort(toStore)) return false;
        if (slot.error) std::rethrow_exception(slot.error);
        store(toStore, slot.work);
        slot.work = Work{};
        {
            std::lock_guard lock(mutex);
            slot.ready = false;
            stored = ++toStore;
        }
        spaceCv.notify_all();
        storedOne = true;
        return true;
    };

    Scratch scratch;
    while (toStore < n) {
        // Everything that is ready, in order.
        bool storedOne = true;
        while (storedOne && toStore < n)
            if (!storeNext(false, storedOne)) return false;
        if (toStore >= n) break;
        // An item of its own, when one is left within the look-ahead of the store.
        long long i = next.load();
        bool took = false;
        while (i < n && i < toStore + kOrderedLookAhead)
            if (next.compare_exchange_weak(i, i + 1)) {
                took = true;
                break;
            }
        if (took) {
            evaluate(i, scratch);
            continue;
        }
        if (!storeNext(true, storedOne)) return false;
    }
    return true;
}

} // namespace keltora
