// Work items evaluated on several threads and handed to the calling thread strictly in
// item order: the circle searches (centres) and the straight slip searches (lines) share it.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
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

// Helper threads kept for several runs of runInOrder (the grids of one search), so that a
// run neither starts nor joins threads of its own and the helpers keep their per-thread
// buffers from run to run. start(job) has every helper call job() once; wait() returns
// when all of them have returned from it. A helper that cannot be started is done without
// (the runs use fewer threads).
class WorkerPool {
  public:
    explicit WorkerPool(int helpers)
    {
        for (int t = 0; t < helpers; ++t) {
            try {
                threads_.emplace_back([this] { serve(); });
            } catch (const std::system_error&) {
                break;
            }
        }
    }
    ~WorkerPool()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        jobCv_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int helpers() const { return static_cast<int>(threads_.size()); }

    void start(std::function<void()> job)
    {
        {
            std::lock_guard lock(mutex_);
            job_ = std::move(job);
            running_ = static_cast<int>(threads_.size());
            ++generation_;
        }
        jobCv_.notify_all();
    }

    void wait()
    {
        std::unique_lock lock(mutex_);
        doneCv_.wait(lock, [&] { return running_ == 0; });
    }

  private:
    void serve()
    {
        long long seen = 0;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                jobCv_.wait(lock, [&] { return stop_ || generation_ != seen; });
                if (stop_) return;
                seen = generation_;
            }
            job_(); // not changed before every helper has returned from it
            std::lock_guard lock(mutex_);
            if (--running_ == 0) doneCv_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable jobCv_, doneCv_;
    std::function<void()> job_;
    long long generation_ = 0;
    int running_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_; // last: started once everything above exists
};

// A WorkerPool lent for one search and handed back afterwards. The pools are kept for the
// whole process, so that the searches after the first (every calculation of a session in
// the main window, every repetition of a benchmark) neither start nor join threads and find
// the helpers' per-thread buffers already grown. A pool serves one search at a time: a
// search running while another holds the pool gets a pool of its own.
class LentWorkers {
  public:
    explicit LentWorkers(int helpers) : helpers_(std::max(helpers, 0))
    {
        if (helpers_ == 0) return;
        Shelf& shelf = theShelf();
        {
            std::lock_guard lock(shelf.mutex);
            for (auto it = shelf.idle.begin(); it != shelf.idle.end(); ++it)
                if (it->first == helpers_) {
                    pool_ = std::move(it->second);
                    shelf.idle.erase(it);
                    break;
                }
        }
        if (!pool_) pool_ = std::make_unique<WorkerPool>(helpers_);
    }
    ~LentWorkers()
    {
        if (!pool_) return;
        Shelf& shelf = theShelf();
        std::lock_guard lock(shelf.mutex);
        shelf.idle.emplace_back(helpers_, std::move(pool_));
    }
    LentWorkers(const LentWorkers&) = delete;
    LentWorkers& operator=(const LentWorkers&) = delete;

    WorkerPool& pool() { return pool_ ? *pool_ : noHelpers(); }

  private:
    struct Shelf {
        std::mutex mutex;
        std::vector<std::pair<int, std::unique_ptr<WorkerPool>>> idle; // by helpers asked for
    };
    // Never destroyed: idle helpers sleep until the process ends, and no helper is joined
    // while static objects are being torn down.
    static Shelf& theShelf()
    {
        static Shelf* shelf = new Shelf;
        return *shelf;
    }
    static WorkerPool& noHelpers()
    {
        static WorkerPool* none = new WorkerPool(0);
        return *none;
    }

    int helpers_;
    std::unique_ptr<WorkerPool> pool_;
};

// Evaluates items 0 .. n-1 with eval(i, work, scratch) on the calling thread and the
// helpers of `workers`, each thread with its own Scratch, and hands every Work
// to store(i, work) on the calling thread strictly in item order. abort(i) is asked on
// the calling thread before item i is stored; true ends the run there and returns false.
// Everything that depends on order (tables, dump files, minima, ties, the abort point,
// the observer's calls) is therefore that of the serial loop, which runs instead for one
// thread or one item.
//
// The calling thread evaluates items too, and stores whatever is ready in order between
// its own items; it waits only when it can take no item (none left, or the helpers are
// kOrderedLookAhead items ahead of the store). So every thread computes, none of them only
// waits, and no extra thread competes with them for the cores.
//
// before() runs on the calling thread once the helpers have started on the first items and
// before anything is stored: work that the stores need (opening their file) but the
// evaluations do not, done while the helpers compute.
//
// An exception of eval is rethrown on the calling thread when its item's turn comes. On
// every way out (the end, an abort, an exception of eval, store, abort or before) the
// helpers have left the run before the function returns or the exception leaves it: the
// callers' data outlive every helper's use of them.
template <typename Work, typename Scratch, typename Eval, typename Store, typename Abort,
          typename Before>
bool runInOrder(long long n, WorkerPool& workers, Eval&& eval, Store&& store, Abort&& abort,
                Before&& before)
{
    if (workers.helpers() == 0 || n <= 1) {
        before();
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

    // Declared after everything the helpers use, so that it runs first on the way out.
    struct Finisher {
        std::atomic<bool>& stop;
        std::mutex& mutex;
        std::condition_variable& spaceCv;
        WorkerPool& workers;
        ~Finisher()
        {
            stop.store(true);
            {
                std::lock_guard lock(mutex); // no helper between its test and its wait
            }
            spaceCv.notify_all();
            workers.wait();
        }
    };
    workers.start(helper);
    Finisher finisher{stop, mutex, spaceCv, workers};
    before();

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

template <typename Work, typename Scratch, typename Eval, typename Store, typename Abort>
bool runInOrder(long long n, WorkerPool& workers, Eval&& eval, Store&& store, Abort&& abort)
{
    return runInOrder<Work, Scratch>(n, workers, std::forward<Eval>(eval),
                                     std::forward<Store>(store), std::forward<Abort>(abort), [] {});
}

// runInOrder on `threads` threads (the calling thread and threads - 1 helpers started for
// this run alone).
template <typename Work, typename Scratch, typename Eval, typename Store, typename Abort>
bool runInOrder(long long n, int threads, Eval&& eval, Store&& store, Abort&& abort)
{
    WorkerPool workers(
        threads > 1 && n > 1 ? static_cast<int>(std::min<long long>(threads - 1, n - 1)) : 0);
    return runInOrder<Work, Scratch>(n, workers, std::forward<Eval>(eval),
                                     std::forward<Store>(store), std::forward<Abort>(abort));
}

} // namespace keltora
