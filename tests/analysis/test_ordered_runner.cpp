// The ordered parallel runner that every search uses, and what happens to the searches of
// every method family when the observer (the message window, the progress bar) throws:
// the workers are joined and the calculation ends with a message, on one thread and two.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "analysis/calculation.h"
#include "analysis/ordered_runner.h"
#include "model/sdw_file.h"
#include "test_support.h"

using namespace keltora;
namespace kt = keltora::test;

namespace {

struct Item {
    long long value = -1;
};
struct Scratch {
    int uses = 0;
};

// Stores the items it is handed; evaluation squares the index. With a pool, the runs
// share its helpers; without one, each run starts its own.
struct Recorder {
    std::vector<long long> stored;
    WorkerPool* pool = nullptr;
    bool run(long long n, int threads, long long throwAt = -1, long long storeThrowAt = -1,
             long long abortAt = -1)
    {
        if (pool) return runOn(*pool, n, throwAt, storeThrowAt, abortAt);
        return runOn(threads, n, throwAt, storeThrowAt, abortAt);
    }
    template <typename Threads>
    bool runOn(Threads& threads, long long n, long long throwAt, long long storeThrowAt,
               long long abortAt)
    {
        return runInOrder<Item, Scratch>(
            n, threads,
            [&](long long i, Item& item, Scratch& s) {
                ++s.uses;
                if (i == throwAt) throw std::runtime_error("evaluation");
                item.value = i * i;
            },
            [&](long long i, Item& item) {
                if (i == storeThrowAt) throw std::logic_error("store");
                stored.push_back(item.value);
            },
            [&](long long i) { return i == abortAt; });
    }
};

} // namespace

TEST(OrderedRunner, StoresInOrderAndJoinsOnEveryWayOut)
{
    // 1000 items (more than the look-ahead of 256) on 1, 2 and 3 threads: stored in item
    // order, each once.
    for (int threads : {1, 2, 3}) {
        Recorder r;
        ASSERT_TRUE(r.run(1000, threads));
        ASSERT_EQ(r.stored.size(), 1000u);
        for (long long i = 0; i < 1000; ++i)
            ASSERT_EQ(r.stored[static_cast<std::size_t>(i)], i * i) << threads;
    }
    for (int threads : {1, 3}) {
        // An abort before item 600: items 0 .. 599 stored, false returned.
        Recorder a;
        EXPECT_FALSE(a.run(1000, threads, -1, -1, 600));
        EXPECT_EQ(a.stored.size(), 600u) << threads;
        // An evaluation that throws at item 700: rethrown here when its turn comes, after
        // items 0 .. 699 were stored.
        Recorder e;
        EXPECT_THROW(e.run(1000, threads, 700), std::runtime_error);
        EXPECT_EQ(e.stored.size(), 700u) << threads;
        // The store throws at item 10: the exception leaves with the workers joined (a
        // thread left joinable would end the program here).
        Recorder s;
        EXPECT_THROW(s.run(1000, threads, -1, 10), std::logic_error);
        EXPECT_EQ(s.stored.size(), 10u) << threads;
    }
    // Nothing to do.
    Recorder none;
    EXPECT_TRUE(none.run(0, 3));
    EXPECT_TRUE(none.stored.empty());
}

TEST(OrderedRunner, OnePoolServesRunAfterRunWhateverEndedTheLastOne)
{
    // The grids of a search share their helpers: after a run that ended normally, by an
    // abort, by a throwing evaluation or by a throwing store, the next run on the same
    // helpers still stores every item once and in order.
    for (int helpers : {1, 2}) {
        WorkerPool pool(helpers);
        ASSERT_EQ(pool.helpers(), helpers);
        for (int round = 0; round < 3; ++round) {
            Recorder a;
            a.pool = &pool;
            EXPECT_FALSE(a.run(1000, 0, -1, -1, 600));
            EXPECT_EQ(a.stored.size(), 600u);
            Recorder e;
            e.pool = &pool;
            EXPECT_THROW(e.run(1000, 0, 700), std::runtime_error);
            EXPECT_EQ(e.stored.size(), 700u);
            Recorder s;
            s.pool = &pool;
            EXPECT_THROW(s.run(1000, 0, -1, 10), std::logic_error);
            EXPECT_EQ(s.stored.size(), 10u);
            for (long long n : {0LL, 1LL, 2LL, 1000LL}) {
                Recorder r;
                r.pool = &pool;
                ASSERT_TRUE(r.run(n, 0));
                ASSERT_EQ(r.stored.size(), static_cast<std::size_t>(n));
                for (long long i = 0; i < n; ++i)
                    ASSERT_EQ(r.stored[static_cast<std::size_t>(i)], i * i) << helpers;
            }
        }
    }
}

TEST(OrderedRunner, BeforeRunsOnTheCallingThreadAheadOfEveryStore)
{
    // before() runs once, on the calling thread, before the first store, also when the
    // items run serially or there is none; a before() that throws leaves with the helpers
    // joined and nothing stored.
    for (int helpers : {0, 1}) {
        WorkerPool pool(helpers);
        for (long long n : {0LL, 1LL, 300LL}) {
            const auto caller = std::this_thread::get_id();
            int calls = 0;
            bool storedBefore = false;
            std::vector<long long> stored;
            ASSERT_TRUE((runInOrder<Item, Scratch>(
                n, pool, [](long long i, Item& item, Scratch&) { item.value = i; },
                [&](long long, Item& item) {
                    storedBefore = storedBefore || calls == 0;
                    stored.push_back(item.value);
                },
                [](long long) { return false; },
                [&] {
                    ++calls;
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                })));
            EXPECT_EQ(calls, 1);
            EXPECT_FALSE(storedBefore);
            EXPECT_EQ(stored.size(), static_cast<std::size_t>(n));
        }
        std::vector<long long> stored;
        EXPECT_THROW(
            (runInOrder<Item, Scratch>(
                300, pool, [](long long i, Item& item, Scratch&) { item.value = i; },
                [&](long long, Item& item) { stored.push_back(item.value); },
                [](long long) { return false; }, [] { throw std::runtime_error("before"); })),
            std::runtime_error);
        EXPECT_TRUE(stored.empty());
    }
}

TEST(OrderedRunner, LentHelpersServeOneSearchAtATimeAndComeBack)
{
    WorkerPool* first = nullptr;
    {
        LentWorkers a(2);
        first = &a.pool();
        EXPECT_EQ(a.pool().helpers(), 2);
        // A second search while the first holds its helpers gets helpers of its own; both
        // sets work.
        LentWorkers b(2);
        EXPECT_NE(&b.pool(), first);
        for (LentWorkers* lent : {&a, &b}) {
            Recorder r;
            r.pool = &lent->pool();
            ASSERT_TRUE(r.run(1000, 0));
            ASSERT_EQ(r.stored.size(), 1000u);
        }
    }
    // Handed back, the helpers are lent again (to a search that asks for as many).
    LentWorkers again(2);
    LentWorkers other(2);
    EXPECT_TRUE(&again.pool() == first || &other.pool() == first);
    LentWorkers none(0);
    EXPECT_EQ(none.pool().helpers(), 0);
    Recorder r;
    r.pool = &none.pool();
    ASSERT_TRUE(r.run(10, 0));
    EXPECT_EQ(r.stored.size(), 10u);
}

namespace {

// Throws from one of its calls once it has been called `after` times in all.
class ThrowingObserver : public CalculationObserver {
  public:
    enum class Where { Line, CentreDone, Abort };
    ThrowingObserver(Where where, int after) : where_(where), after_(after) {}

    void setLine(int, const std::string&) override { maybeThrow(Where::Line); }
    void centreDone(long long, long long) override { maybeThrow(Where::CentreDone); }
    bool abortRequested() override
    {
        maybeThrow(Where::Abort);
        return false;
    }
    int calls = 0;

  private:
    void maybeThrow(Where w)
    {
        ++calls;
        if (w == where_ && calls > after_) throw std::runtime_error("observer failed");
    }
    Where where_;
    int after_;
};

std::unique_ptr<SlopeModel> load(const std::string& name)
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    EXPECT_EQ(readDataFile(*m, kt::examplesDir() / name).status, 0) << name;
    return m;
}

} // namespace

TEST(OrderedRunner, ThrowingObserverEndsEveryMethodWithAMessage)
{
    struct Family {
        const char* example;
        int method;
    };
    const Family families[] = {{"embankment.SDW", kMethodFellenius},
                               {"embankment_bishop.SDW", kMethodBishop},
                               {"wedge_line.SDW", kMethodLineByAngle},
                               {"wedge_segments.SDW", kMethodLineBySegments}};
    using Where = ThrowingObserver::Where;
    for (const Family& f : families) {
        auto m = load(f.example);
        ASSERT_EQ(m->conditions.method, f.method) << f.example;
        for (int threads : {1, 2}) {
            for (Where where : {Where::Line, Where::CentreDone, Where::Abort}) {
                kt::TempDir dir;
                CalcOptions o;
                o.workDir = dir.path();
                o.threads = threads;
                o.now = std::tm{};
                ThrowingObserver observer(where, 5);
                auto results = std::make_unique<CalculationResults>();
                const CalcOutcome out = runCalculation(*m, *results, o, &observer);
                const std::string what = std::string(f.example) + " threads " +
                                         std::to_string(threads) + " where " +
                                         std::to_string(static_cast<int>(where));
                EXPECT_EQ(out.status, -1) << what;
                EXPECT_EQ(out.verdict, Verdict::None) << what;
                ASSERT_GE(out.messages.size(), 2u) << what;
                EXPECT_NE(out.messages[out.messages.size() - 2].text.find("observer failed"),
                          std::string::npos)
                    << what;
                EXPECT_EQ(out.messages.back().text, "計算：計算結果が得られませんでした。\n");
                EXPECT_FALSE(results->hasCritical) << what;
                EXPECT_EQ(m->calcState, kResultsNone) << what;
            }
        }
    }
}
