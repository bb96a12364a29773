// The simplified Bishop slice terms, the iteration over them, the evaluator, the search
// with the deterministic capture of the last mass, the two scratch files and the run.
#include "analysis/bishop.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "analysis/circle_slices.h"
#include "analysis/slice_walker.h"
#include "analysis/vector_clones.h"
#include "model/c_format.h"
#include "model/safe_file.h"

namespace keltora {

namespace {

// 2/7 of the modified formula, as the constant it has always been.
constexpr double kTwoSevenths = 0.2857142857142857;

// writeBishopSlice, inlined into the walk.
[[gnu::always_inline]] inline BishopDriving bishopSlice(const PreparedSection& section,
                                                        const SliceGeometry& g, bool modified,
                                                        std::vector<BishopSliceTerms>& terms,
                                                        const ColumnSums& sums)
{
    const PreparedBlock& kb = section.blocks[static_cast<std::size_t>(g.baseBlock)];
    const double rr = g.rr;
    const double b = g.x1 - g.x2;
    const BaseChord chord = baseChord(g);
    const double l = chord.length;
    const double z0 = section.cohesionReferenceHeight(g.x1, g.x2);
    const double c = (z0 - (g.y1 + g.y2) / 2) * kb.cohesionGradient + kb.baseCohesion;
    const double tanPhi = kb.tanPhi;

    const double w = sums.weight, we = sums.effective, sumY = sums.momentY;
    const double q = section.surchargeLoad(g.x1, g.x2, g.strips);

    const double sinA = chord.sinTheta;
    const double cosA = chord.cosTheta;
    BishopSliceTerms t;
    const double friction = (we + q) * tanPhi * rr;
    if (!modified) {
        t.numerator = (c * l + (we + q) * tanPhi) * rr;
        t.cosTerm = cosA;
        t.absTerm = std::fabs(sinA * tanPhi);
        t.cohesionPart = c * l * rr;
    } else {
        const double alpha = std::atan2(g.y1 - g.y2, g.x1 - g.x2);
        const double tan27 = std::tan(alpha * kTwoSevenths);
        const double tanA = std::tan(alpha);
        const double kappa = 1 + tanA * tan27;
        t.numerator = (kappa * c * b + (we + q) * tanPhi) * rr;
        t.cosTerm = kappa * cosA;
        t.absTerm = std::fabs(cosA * (tanA - tan27) * tanPhi);
        t.cohesionPart = kappa * c * b * rr;
    }
    t.frictionPart = friction;
    terms.push_back(t);

    BishopDriving d;
    d.mdw = (w + q) * rr * sinA;
    d.mdh = 0.0;
    // Without a seismic coefficient the term is +-0, which leaves the mass's sum at +0:
    // the centroid's division is spared.
    const double kh = section.conditions.seismicCoefficient;
    if (kh != 0.0) d.mdk = kh * w * (g.cy - centroidY(w, sumY));
    return d;
}

// The terms of a chunk's slices by the simplified formula, as bishopSlice gives them slice
// by slice: the slice terms and the driving moments.
struct BishopChunk {
    static constexpr std::size_t kSlices = SliceChunk::kSlices;
    double numerator[kSlices], cosTerm[kSlices], absTerm[kSlices];
    double cohesionPart[kSlices], frictionPart[kSlices];
    double mdw[kSlices], mdk[kSlices];
};

template <bool Seismic>
[[gnu::always_inline]] inline void bishopChunkLoop(const SliceChunk& ch, std::size_t n,
                                                   const ChunkInputs& in, BishopChunk& t)
{
    const double rr = ch.rr, cy = ch.cy, kh = in.kh, tanPhi = in.tanPhi;
    const double gradient = in.gradient, cohesion = in.cohesion, z0c = in.z0;
    const bool z0PerSlice = in.z0PerSlice, loaded = in.loaded;
    for (std::size_t i = 0; i < n; ++i) {
        const double l = ch.length[i], sinA = ch.sinTheta[i], cosA = ch.cosTheta[i];
        const double w = ch.weight[i], we = ch.effective[i];
        const double q = loaded ? in.q[i] : 0.0;
        const double z0 = z0PerSlice ? in.z0s[i] : z0c;
        const double c = (z0 - ch.yMid[i]) * gradient + cohesion; // yMid = (y1 + y2) / 2
        t.frictionPart[i] = (we + q) * tanPhi * rr;
        t.numerator[i] = (c * l + (we + q) * tanPhi) * rr;
        t.cosTerm[i] = cosA;
        t.absTerm[i] = std::fabs(sinA * tanPhi);
        t.cohesionPart[i] = c * l * rr;
        t.mdw[i] = (w + q) * rr * sinA;
        if constexpr (Seismic)
            t.mdk[i] = kh * w * (cy - centroidY(w, ch.momentY[i]));
        else
            t.mdk[i] = 0.0;
    }
}

KELTORA_VECTOR_CLONES
void bishopChunkTerms(const SliceChunk& ch, std::size_t n, const ChunkInputs& in, BishopChunk& t)
{
    if (in.kh != 0.0)
        bishopChunkLoop<true>(ch, n, in, t);
    else
        bishopChunkLoop<false>(ch, n, in, t);
}

// The unit weights of a block in the Bishop column sums (no side weights).
BlockWeights bishopWeights(const PreparedBlock& b)
{
    return {b.unitWeight, b.effectiveUnitWeight, 0.0};
}

// The slice terms of the mass being walked: one buffer per thread, reused from circle to
// circle (a circle's walk runs on one thread from start to end and walks are not nested).
std::vector<BishopSliceTerms>& sliceTermsBuffer()
{
    thread_local std::vector<BishopSliceTerms> buffer;
    return buffer;
}

// The slices of a Bishop mass, called by the walk directly (no virtual dispatch): their
// terms into the per-thread buffer, their driving moments into the mass.
class BishopSlices {
  public:
    BishopSlices(const PreparedSection& s, bool modified)
        : s_(s), modified_(modified), terms_(sliceTermsBuffer())
    {
        terms_.clear();
    }

    static BlockWeights blockWeights(const PreparedBlock& b) { return bishopWeights(b); }

    // The terms of the chunk's slices at once by the simplified formula (the modified one
    // takes bishopSlice slice by slice).
    void prepareChunk(const SliceChunk& ch, std::size_t n, int k, const std::vector<int>& strips)
    {
        if (modified_) return;
        prepareChunkInputs(s_, ch, n, k, strips, inputs_);
        bishopChunkTerms(ch, n, inputs_, chunk_);
    }

    // Adds the terms of the chunk's first `count` slices to the mass in slice order (the
    // sums kept in registers meanwhile).
    [[gnu::always_inline]] void addSlices(MassState& mass, const SliceChunk& ch, std::size_t count,
                                          int k, const std::vector<int>& strips)
    {
        SlipResult& r = mass.rec;
        double mdw = r.mdw, mdh = r.mdh, mdk = r.mdk;
        if (!modified_) {
            for (std::size_t i = 0; i < count; ++i) {
                terms_.push_back({chunk_.numerator[i], chunk_.cosTerm[i], chunk_.absTerm[i],
                                  chunk_.cohesionPart[i], chunk_.frictionPart[i]});
                mdw += chunk_.mdw[i];
                mdh += 0.0;
                mdk += chunk_.mdk[i];
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                BaseChord chord;
                const SliceGeometry slice = chunkSlice(ch, i, k, strips, chord);
                const BishopDriving d =
                    bishopSlice(s_, slice, modified_, terms_, columnSumsOf(ch, i));
                mdw += d.mdw;
                mdh += d.mdh;
                mdk += d.mdk;
            }
        }
        r.mdw = mdw;
        r.mdh = mdh;
        r.mdk = mdk;
    }

  protected:
    const PreparedSection& s_;
    bool modified_;
    std::vector<BishopSliceTerms>& terms_;
    ChunkInputs inputs_;
    BishopChunk chunk_;
};

// A finished mass iterated at once (and captured for the trace files when asked).
class BishopTerms : public BishopSlices {
  public:
    BishopTerms(const PreparedSection& s, bool modified, BishopCapture* capture)
        : BishopSlices(s, modified), capture_(capture)
    {
    }

    void finishMass(MassState& mass, std::vector<EvaluatedMass>& out)
    {
        BishopIteration it;
        const int sign = finishBishopMass(s_, mass, terms_, capture_ ? &it : nullptr);
        out.push_back({mass.rec, sign});
        if (capture_) {
            capture_->any = true;
            capture_->slices = terms_;
            capture_->trace = std::move(it.trace);
        }
        terms_.clear(); // the next mass starts with no slices
    }

  private:
    BishopCapture* capture_;
};

// Forwards everything to the caller's observer and remembers, in the order of the serial
// search, the grid computation and centre that evaluated a mass last (a centre whose
// radius range is empty evaluates none and is passed over).
class LastCentreObserver final : public CalculationObserver {
  public:
    LastCentreObserver(CalculationObserver* inner, const CalculationResults& results)
        : inner_(inner), results_(results)
    {
    }

    void setLine(int line, const std::string& text) override
    {
        if (inner_) inner_->setLine(line, text);
    }
    void gridStarted(int grid, int grids, long long centres) override
    {
        current_ = results_.grids[static_cast<std::size_t>(grid)];
        currentIndex_ = grid;
        if (inner_) inner_->gridStarted(grid, grids, centres);
    }
    void centreDone(long long done, long long total) override
    {
        // The store has counted this centre's masses before it reports the centre done.
        if (results_.massesEvaluated > massesSeen_) {
            massesSeen_ = results_.massesEvaluated;
            have = true;
            grid = current_;
            gridIndex = currentIndex_;
            centre = done - 1;
        }
        if (inner_) inner_->centreDone(done, total);
    }
    bool abortRequested() override { return inner_ && inner_->abortRequested(); }

    bool have = false;
    SearchGrid grid;
    int gridIndex = 0;
    long long centre = 0;

  private:
    CalculationObserver* inner_;
    const CalculationResults& results_;
    SearchGrid current_;
    int currentIndex_ = 0;
    long long massesSeen_ = 0;
};

// Four doubles; the compiler maps them to what the target has.
using Double4 = double __attribute__((vector_size(4 * sizeof(double))));

// The quotients numerator / (cosTerm + absTerm / f0) of slices i .. i + 3 into q (vectors
// passed by reference: by value their ABI would depend on the clone).
[[gnu::always_inline]] inline void quotients4(const double* numerator, const double* cosTerm,
                                              const double* absTerm, std::size_t i,
                                              const Double4& f, Double4& q)
{
    Double4 num, cosT, absT;
    std::memcpy(&num, numerator + i, sizeof num);
    std::memcpy(&cosT, cosTerm + i, sizeof cosT);
    std::memcpy(&absT, absTerm + i, sizeof absT);
    q = num / (cosT + absT / f);
}

// Adds the quotients of slices `from` (a multiple of 4) .. n - 1 to sum one by one in
// slice order (as the plain loop adds them); the divisions of four slices at a time run as
// vector operations, while the additions of the previous four are still going on. A
// division is exact to the last bit at every vector width, so the sum is the plain loop's.
[[gnu::always_inline]] inline double addQuotients(double sum, const double* numerator,
                                                  const double* cosTerm, const double* absTerm,
                                                  std::size_t from, std::size_t n, double f0)
{
    const Double4 f = {f0, f0, f0, f0};
    std::size_t i = from;
    for (; i + 4 <= n; i += 4) {
        Double4 q;
        quotients4(numerator, cosTerm, absTerm, i, f, q);
        sum += q[0];
        sum += q[1];
        sum += q[2];
        sum += q[3];
    }
    for (; i < n; ++i)
        sum += numerator[i] / (cosTerm[i] + absTerm[i] / f0);
    return sum;
}

// The sum over the slices of numerator / (cosTerm + absTerm / f0) in slice order.
KELTORA_VECTOR_CLONES
double sumQuotients(const double* numerator, const double* cosTerm, const double* absTerm,
                    std::size_t n, double f0)
{
    return addQuotients(0.0, numerator, cosTerm, absTerm, 0, n, f0);
}

// The same sums of two masses in one loop: each mass's sum still adds its own quotients
// one by one in slice order, but the two chains of additions run side by side instead of
// one after the other (a chain of dependent additions is what bounds a pass).
KELTORA_VECTOR_CLONES
void sumQuotientsTwo(const double* numA, const double* cosA, const double* absA, std::size_t nA,
                     double fA, const double* numB, const double* cosB, const double* absB,
                     std::size_t nB, double fB, double& sumA, double& sumB)
{
    const Double4 f4A = {fA, fA, fA, fA}, f4B = {fB, fB, fB, fB};
    double a = 0, b = 0;
    const std::size_t n = std::min(nA, nB);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        Double4 qA, qB;
        quotients4(numA, cosA, absA, i, f4A, qA);
        quotients4(numB, cosB, absB, i, f4B, qB);
        a += qA[0];
        b += qB[0];
        a += qA[1];
        b += qB[1];
        a += qA[2];
        b += qB[2];
        a += qA[3];
        b += qB[3];
    }
    sumA = addQuotients(a, numA, cosA, absA, i, nA, fA);
    sumB = addQuotients(b, numB, cosB, absB, i, nB, fB);
}

// The slice terms of one mass as the passes of its iteration read them.
struct IterationColumns {
    std::vector<double> numerator, cosTerm, absTerm;

    void load(const std::vector<BishopSliceTerms>& terms)
    {
        const std::size_t n = terms.size();
        numerator.resize(n);
        cosTerm.resize(n);
        absTerm.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            numerator[i] = terms[i].numerator;
            cosTerm[i] = terms[i].cosTerm;
            absTerm[i] = terms[i].absTerm;
        }
    }

    // The sum of the numerators over m = cosTerm + absTerm / f0, added in slice order.
    double pass(double f0) const
    {
        return sumQuotients(numerator.data(), cosTerm.data(), absTerm.data(), numerator.size(), f0);
    }
};

// One mass's iteration from F0 = 1.0, a pass at a time: each pass takes the sum of the
// numerators over m at f0 and gives the next f0, until |F0 - F1| is small, the driving
// moment vanishes, or the passes run out.
struct IterationState {
    IterationState() = default;
    explicit IterationState(SlipResult& rec) : r(&rec) {}

    bool done() const { return ended || passes >= kBishopMaxPasses; }

    // One pass with its numerator sum at f0. Returns whether it gave a ratio F1 (false
    // when the driving moment vanishes).
    bool take(double sumN)
    {
        ++passes;
        sumN = std::fabs(sumN);
        r->mrc = r->mr = sumN;
        r->md = r->mdw + r->mdh + r->mdk;
        if (std::fabs(r->md) < kTolCoincident) {
            f1 = kBishopNoDriving;
            ended = true;
            return false;
        }
        f1 = sumN / r->md;
        return true;
    }

    // After take gave a ratio: ends on convergence, otherwise the next trial value.
    void next()
    {
        if (std::fabs(f0 - f1) < kBishopConverged) {
            ended = true;
            return;
        }
        f0 = (f0 + f1) / 2;
        if (f0 < kBishopSmallestTrial) f0 = kBishopSmallestTrial;
    }

    void pass(double sumN)
    {
        if (take(sumN)) next();
    }

    // f of the record: the cut F1 when the iteration ended on a number.
    void conclude(bool invalid, int decimals) const
    {
        r->f = kNoSafetyFactor;
        if (!invalid && ended && std::isfinite(f1)) {
            const double f = cutSafetyFactor(f1, decimals);
            if (std::isfinite(f)) r->f = f; // no lower guard: a small f is kept as it is
        }
    }

    SlipResult* r = nullptr;
    double f0 = kBishopStart, f1 = 0.0;
    bool ended = false;
    int passes = 0;
};

// One set of columns per thread, reused from mass to mass.
IterationColumns& iterationColumns()
{
    thread_local IterationColumns columns;
    return columns;
}

void appendDouble(std::string& out, double v)
{
    std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>(bits & 0xffu);
        bits >>= 8;
    }
}

std::string crlf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

} // namespace

BishopDriving writeBishopSlice(const PreparedSection& section, const SliceGeometry& g,
                               bool modified, std::vector<BishopSliceTerms>& terms)
{
    return bishopSlice(section, g, modified, terms, listedColumnSums(section, g, bishopWeights));
}

namespace {

// The end of a mass before its iteration: end-face water thrust, horizontal forces and
// direction. Returns the direction sign.
int prepareBishopMass(const PreparedSection& section, MassState& mass)
{
    addEndWaterThrust(section, mass);
    addHorizontalForces(section, mass);
    const int sign = applyDirection(section, mass);
    mass.rec.mrf = 0.0;
    return sign;
}

// A walked mass waiting for its iteration: its record after prepareBishopMass, its slice
// terms as the passes read them.
struct PendingMass {
    SlipResult rec;
    bool invalid = false;
    int sign = 1;
    IterationColumns cols;
};

// The masses of one centre's circles, per thread; the entries (and their columns' memory)
// are reused from centre to centre.
struct PendingMasses {
    std::vector<PendingMass> masses;
    std::size_t count = 0;

    PendingMass& add()
    {
        if (count == masses.size()) masses.emplace_back();
        return masses[count++];
    }
};

PendingMasses& pendingMasses()
{
    thread_local PendingMasses pending;
    return pending;
}

// The walk's terms for evaluateRadii: a finished mass is prepared and put aside with its
// slice terms instead of iterated at once.
class DeferredBishopTerms : public BishopSlices {
  public:
    DeferredBishopTerms(const PreparedSection& s, bool modified, PendingMasses& pending)
        : BishopSlices(s, modified), pending_(pending)
    {
    }

    // By the simplified formula the chunk's terms go straight into the columns the passes
    // read (no list of slice terms in between); the driving moments as BishopSlices adds
    // them.
    [[gnu::always_inline]] void addSlices(MassState& mass, const SliceChunk& ch, std::size_t count,
                                          int k, const std::vector<int>& strips)
    {
        if (modified_) {
            BishopSlices::addSlices(mass, ch, count, k, strips);
            return;
        }
        IterationColumns& cols = current().cols;
        cols.numerator.insert(cols.numerator.end(), chunk_.numerator, chunk_.numerator + count);
        cols.cosTerm.insert(cols.cosTerm.end(), chunk_.cosTerm, chunk_.cosTerm + count);
        cols.absTerm.insert(cols.absTerm.end(), chunk_.absTerm, chunk_.absTerm + count);
        SlipResult& r = mass.rec;
        double mdw = r.mdw, mdh = r.mdh, mdk = r.mdk;
        for (std::size_t i = 0; i < count; ++i) {
            mdw += chunk_.mdw[i];
            mdh += 0.0;
            mdk += chunk_.mdk[i];
        }
        r.mdw = mdw;
        r.mdh = mdh;
        r.mdk = mdk;
    }

    void finishMass(MassState& mass, std::vector<EvaluatedMass>&)
    {
        PendingMass& p = current();
        p.sign = prepareBishopMass(s_, mass);
        p.rec = mass.rec;
        p.invalid = mass.invalid;
        if (modified_) p.cols.load(terms_);
        terms_.clear(); // the next mass starts with no slices
        current_ = nullptr;
    }

  private:
    // The entry of the mass being walked, taken at its first slices or its end.
    PendingMass& current()
    {
        if (!current_) {
            current_ = &pending_.add();
            current_->cols.numerator.clear();
            current_->cols.cosTerm.clear();
            current_->cols.absTerm.clear();
        }
        return *current_;
    }

    PendingMasses& pending_;
    PendingMass* current_ = nullptr;
};

// The rest of one mass's iteration on its own, and its f.
void runAlone(IterationState& state, PendingMass& m, int decimals)
{
    while (!state.done())
        state.pass(m.cols.pass(state.f0));
    state.conclude(m.invalid, decimals);
}

// The iterations of the masses masses[0 .. count - 1], two at a time: the passes of both
// share one loop over the slices, and when one mass's iteration ends the next waiting mass
// takes its place, so that only the last mass runs its passes alone. Each mass's passes
// are its own, in its own order: the results do not depend on the pairing.
void iterateAll(std::vector<PendingMass>& masses, std::size_t count, int decimals)
{
    struct Lane {
        PendingMass* mass = nullptr;
        IterationState state{};
    };
    std::size_t next = 0;
    auto refill = [&](Lane& lane) {
        lane.mass = nullptr;
        if (next < count) {
            lane.mass = &masses[next++];
            lane.state = IterationState(lane.mass->rec);
        }
    };
    Lane a, b;
    refill(a);
    refill(b);
    while (a.mass && b.mass) {
        const IterationColumns& ca = a.mass->cols;
        const IterationColumns& cb = b.mass->cols;
        double sumA = 0, sumB = 0;
        sumQuotientsTwo(ca.numerator.data(), ca.cosTerm.data(), ca.absTerm.data(),
                        ca.numerator.size(), a.state.f0, cb.numerator.data(), cb.cosTerm.data(),
                        cb.absTerm.data(), cb.numerator.size(), b.state.f0, sumA, sumB);
        a.state.pass(sumA);
        b.state.pass(sumB);
        for (Lane* lane : {&a, &b}) {
            if (!lane->state.done()) continue;
            lane->state.conclude(lane->mass->invalid, decimals);
            refill(*lane);
        }
    }
    for (Lane* lane : {&a, &b})
        if (lane->mass) runAlone(lane->state, *lane->mass, decimals);
}

} // namespace

int finishBishopMass(const PreparedSection& section, MassState& mass,
                     const std::vector<BishopSliceTerms>& terms, BishopIteration* iteration)
{
    const int sign = prepareBishopMass(section, mass);
    SlipResult& r = mass.rec;

    // The three columns the passes read, contiguous so that a pass's divisions run
    // several at a time; the sums still add the quotients one by one in slice order.
    IterationColumns& cols = iterationColumns();
    cols.load(terms);

    IterationState state(r);
    std::string trace;
    while (!state.done()) {
        const double f0 = state.f0;
        const double sumN = cols.pass(f0);
        if (!state.take(sumN)) break;
        if (iteration) { // the trace lines alone need these two sums
            double sumC = 0, sumT = 0;
            for (const BishopSliceTerms& t : terms) {
                const double m = t.cosTerm + t.absTerm / f0;
                sumC += t.cohesionPart / m;
                sumT += t.frictionPart / m;
            }
            trace += cformat("init=%10.7f ans=%10.7f init-ans=%10.7f rr=%10.4f mrc=%10.4f "
                             "mrf=%10.4f\n",
                             f0, state.f1, std::fabs(f0 - state.f1), r.rr,
                             sumC / r.rr * kBishopTraceScale, sumT / r.rr * kBishopTraceScale);
        }
        state.next();
    }
    state.conclude(mass.invalid, section.decimals);
    if (iteration) {
        iteration->trace = std::move(trace);
        iteration->passes = state.passes;
        iteration->ended = state.ended;
        iteration->f1 = state.f1;
    }
    return sign;
}

BishopEvaluator::BishopEvaluator(const SlopeModel& model, const PolygonTable& polygons)
    : section_(model, polygons), modified_(model.conditions.method == kMethodBishopModified)
{
    // Sheet piles take no part in the Bishop search, not even as an uncut line.
    section_.sheetPile = SheetPileSettings{};
}

SliceBreaks BishopEvaluator::buildSliceBreaks(double cx) const
{
    return section_.sliceBreaks(cx);
}

void BishopEvaluator::evaluateCircle(int grid, double cx, double cy, double rr,
                                     const SliceBreaks& breaks,
                                     std::vector<EvaluatedMass>& out) const
{
    evaluateCircleCapturing(grid, cx, cy, rr, breaks, out, nullptr);
}

long BishopEvaluator::evaluateCircleCounting(int grid, double cx, double cy, double rr,
                                             const SliceBreaks& breaks,
                                             std::vector<EvaluatedMass>& out) const
{
    BishopTerms terms(section_, modified_, nullptr);
    return walkCircleWith(section_, grid, cx, cy, rr, breaks, terms, out);
}

long BishopEvaluator::evaluateRadii(int grid, double cx, double cy,
                                    const std::vector<double>& radii, const SliceBreaks& breaks,
                                    std::vector<EvaluatedMass>& out) const
{
    PendingMasses& pending = pendingMasses();
    pending.count = 0;
    long slices = 0;
    std::vector<EvaluatedMass> none; // the deferred terms append nothing here
    for (double rr : radii) {
        DeferredBishopTerms terms(section_, modified_, pending);
        slices += walkCircleWith(section_, grid, cx, cy, rr, breaks, terms, none);
    }
    const std::size_t n = pending.count;
    iterateAll(pending.masses, n, section_.decimals);
    for (std::size_t i = 0; i < n; ++i)
        out.push_back({pending.masses[i].rec, pending.masses[i].sign});
    return slices;
}

void BishopEvaluator::evaluateCircleCapturing(int grid, double cx, double cy, double rr,
                                              const SliceBreaks& breaks,
                                              std::vector<EvaluatedMass>& out,
                                              BishopCapture* capture) const
{
    BishopTerms terms(section_, modified_, capture);
    walkCircleWith(section_, grid, cx, cy, rr, breaks, terms, out);
}

std::string formatBishopRecord(const SlipResult& r)
{
    std::string s = cformat("cx,cy=%7.3f,%7.3f rr=%7.3f sx,sy=%7.3f,%7.3f ex,ey=%7.3f,%7.3f\n",
                            r.cx, r.cy, r.rr, r.sx, r.sy, r.ex, r.ey);
    s += cformat("                             csx,csy=%7.3f,%7.3f cex,cey=%7.3f,%7.3f\n", r.csx,
                 r.csy, r.cex, r.cey);
    s += cformat("      mrf=%10.3f mrc=%10.3f                mr=%10.3f \n", r.mrf, r.mrc, r.mr);
    s += cformat("      mdw=%10.3f mdh=%10.3f mdk=%10.3f md=%10.3f f=%5.3f\n", r.mdw, r.mdh, r.mdk,
                 r.md, r.f);
    return s;
}

bool appendBishopRecord(std::string& out, const SlipResult& r)
{
    return appendMassRecord(out, r, false);
}

int runBishopSearch(const SlopeModel& model, const BishopEvaluator& evaluator,
                    const CircleSearchOptions& options, CalculationResults& results,
                    CalculationObserver* observer, MessageList& messages, BishopCapture& last)
{
    last = BishopCapture{};
    LastCentreObserver tracker(observer, results);
    const int status =
        runCircleSearch(model, model.bishopCircle, evaluator, options, results, &tracker, messages);
    if (!tracker.have) return status;

    // The centres may have run in parallel, so the last mass is found again: the circles
    // of the last stored centre, evaluated once more in their order.
    const auto limit = static_cast<std::size_t>(options.maxCirclesPerGrid);
    bool tooMany = false;
    const SearchGrid& g = tracker.grid;
    const std::vector<double> columns = gridValues(g.xmin, g.xmax, g.dx, false, limit, &tooMany);
    const std::vector<double> rows = gridValues(g.ymin, g.ymax, g.dy, true, limit, &tooMany);
    if (tooMany || rows.empty()) return status;
    const auto col = static_cast<std::size_t>(tracker.centre / static_cast<long long>(rows.size()));
    const auto row = static_cast<std::size_t>(tracker.centre % static_cast<long long>(rows.size()));
    if (col >= columns.size()) return status;
    const double cx = columns[col], cy = rows[row];
    const SliceBreaks breaks = evaluator.buildSliceBreaks(cx);
    const std::vector<double> radii =
        alignedRadii(radiusRange(model, model.bishopCircle.radius, cx, cy), limit);
    std::vector<EvaluatedMass> scratch;
    for (double r : radii) {
        scratch.clear();
        evaluator.evaluateCircleCapturing(tracker.gridIndex, cx, cy, r, breaks, scratch, &last);
    }
    return status;
}

void writeBishopFiles(const std::filesystem::path& dir, const BishopCapture& capture,
                      MessageList& messages)
{
    std::string bytes;
    bytes.reserve(capture.slices.size() * 40);
    for (const BishopSliceTerms& t : capture.slices) {
        appendDouble(bytes, t.numerator);
        appendDouble(bytes, t.cosTerm);
        appendDouble(bytes, t.absTerm);
        appendDouble(bytes, t.cohesionPart);
        appendDouble(bytes, t.frictionPart);
    }
    if (writeFileAtomically(dir / "bishop.dmp", bytes))
        messages.push_back({"not openned bishop.dmp\n", "ERROR"});
    if (writeFileAtomically(dir / "test_dmp.txt", crlf(capture.trace)))
        messages.push_back({"not openned test_dmp.txt\n", "ERROR"});
}

CalcOutcome runBishop(const SlopeModel& model, CalculationResults& results,
                      const CalcOptions& options, CalculationObserver* observer)
{
    CalcOutcome outcome;
    results.clear();
    results.validFlag = kResultsNone;

    const int method = model.conditions.method;
    if (method != kMethodBishop && method != kMethodBishopModified) {
        outcome.status = -1;
        outcome.messages.push_back({"cm.kt != 2,4", "break"});
        return outcome;
    }
    if (auto refused = checkCircleSettings(model.bishopCircle, options.maxCirclesPerGrid)) {
        outcome.status = -1;
        outcome.messages.push_back(*refused);
        return outcome;
    }

    const auto polygons = std::make_unique<PolygonTable>(buildPolygonTable(model));
    const auto evaluator = std::make_unique<BishopEvaluator>(model, *polygons);
    appendOutsideBlockWarnings(model, *polygons, outcome.messages);

    CircleSearchOptions searchOptions;
    searchOptions.workDir = options.workDir;
    searchOptions.threads = options.threads;
    searchOptions.maxCirclesPerGrid = options.maxCirclesPerGrid;
    searchOptions.formatRecord = formatBishopRecord;
    searchOptions.appendRecord = appendBishopRecord;
    searchOptions.showCentreLine = true;
    BishopCapture last;
    runBishopSearch(model, *evaluator, searchOptions, results, observer, outcome.messages, last);
    writeBishopFiles(options.workDir.empty() ? "." : options.workDir, last, outcome.messages);
    concludeRun(model, results, options, outcome);
    return outcome;
}

} // namespace keltora
