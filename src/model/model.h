// The section model: one cross-section with its terrain, soil blocks, calculation
// conditions, search settings, sheet pile and figure/display settings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/message.h"

namespace keltora {

// Fixed capacities of the model; additions beyond them are refused with a message.
inline constexpr int kMaxPoints = 1024;
inline constexpr int kMaxLines = 1024;
inline constexpr int kMaxBlocks = 256;
inline constexpr int kMaxReferenceVertices = 64;
inline constexpr int kMaxPassiveRows = 64;
inline constexpr int kSurchargeStrips = 3;
inline constexpr int kHorizontalForces = 3;
inline constexpr int kMaxTitleBytes = 63;     // CP932 bytes, without the terminating zero
inline constexpr int kMaxDataNameBytes = 255; // CP932 bytes

// Recurring tolerances, named once.
inline constexpr double kTolDegenerate = 1e-10;  // degenerate lengths, parallel lines
inline constexpr double kTolParameter = 1e-9;    // segment parameter slack
inline constexpr double kTolCoincident = 0.00001; // coincident x values, tangency
inline constexpr double kTolBreakpoint = 0.0001; // distinct breakpoints
inline constexpr double kTolLoop = 0.001;        // grid and slice loop bounds, constructed points
inline constexpr double kTolDuplicatePoint = 0.00009; // duplicate points in tables
inline constexpr double kTolChanged = 1e-7;      // a stored real has changed

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

struct Range3 {
    double min = 0.0;
    double max = 0.0;
    double step = 0.0;
};

struct TerrainPoint {
    int32_t number = -1; // slot index; -1 = free slot
    double x = 0.0;
    double y = 0.0;
};

// LineKind codes.
enum LineKind : int32_t {
    kLineFree = -1,
    kBoundaryLine = 1,
    kUncutLine = 2,
    kArcLimitLineSmall = 3,
    kArcLimitLineLarge = 4,
    kArcLimitPointSmall = 5,
    kArcLimitPointLarge = 6,
};

struct TerrainLine {
    int32_t kind = -1; // LineKind code 1..6; -1 = free slot
    int32_t startPoint = 0;
    int32_t endPoint = 0;
    int32_t drawFlag = -1; // 1 = drawn in the calculation figure, -1 = not
};

// BlockKind codes.
enum BlockKind : int32_t {
    kSoilBlock = 0,
    kWaterPressureBlock = 1,
    kWaterWeightBlock = 2,
    kStructureBlock = 3,
};

struct SoilBlock {
    int32_t number = -1; // slot index; -1 = free slot
    Point2 seed;
    double unitWeight = 0.0;
    double effectiveUnitWeight = 0.0;
    double cohesionGradient = 0.0;
    double baseCohesion = 0.0;
    double frictionAngle = 0.0;
    double pileReplacementRatio = 0.0;
    double stressShareRatio = 0.0;
    double pileUnitWeight = 0.0;
    double pileFrictionAngle = 0.0;
    int32_t labelMode = -1; // -1 none, 1 vertical, 2 horizontal, 3 water block label
    Point2 labelPos;
    std::array<double, 4> reserved{};
    int32_t kind = kSoilBlock;
    int32_t hasSandPiles = 0;
};

// SlipMethod codes.
enum SlipMethod : int32_t {
    kMethodFellenius = 0,
    kMethodTschebotarioff = 1,
    kMethodBishop = 2,
    kMethodLineByAngle = 3,
    kMethodBishopModified = 4,
    kMethodLineBySegments = 5,
};

struct CalcConditions {
    int32_t method = 0;
    double seismicCoefficient = 0.0;
    int32_t seismicOnSurcharge = 1;
    std::array<double, kSurchargeStrips> surchargeXmin{};
    std::array<double, kSurchargeStrips> surchargeXmax{};
    std::array<double, kSurchargeStrips> surchargeQmin{};
    std::array<double, kSurchargeStrips> surchargeQmax{};
    std::array<double, kHorizontalForces> forceY{};
    std::array<double, kHorizontalForces> forceH{};
    int32_t referenceMode = 0;
    double referenceHeight = 0.0;
    double maxSafetyFactor = 9999.0;
    int32_t sandPileFormula = 0;
    int32_t fsTableWithRadius = 0;
    double allowableSafetyFactor = 1.0;
    int32_t roundingRule = 0;
    double sliceWidth = 0.1;
};

struct CohesionReferenceLine {
    int32_t count = 0;
    std::array<double, kMaxReferenceVertices> x{};
    std::array<double, kMaxReferenceVertices> y{};
};

struct CircleSearchSettings {
    int32_t entered = 2;
    Range3 centreX{0.0, 0.0, 1.0};
    Range3 centreY{0.0, 0.0, 1.0};
    Range3 radius{1.0, 100.0, 1.0};
    int32_t firstGridExtension = 2;
    int32_t finestGrid = 1;
    int32_t direction = 0; // not reset by resetModel
};

struct LineSlipSettings {
    int32_t entered = 2;
    int32_t lineSpecSwitch = 0;
    std::array<double, 4> startX{};
    std::array<double, 4> startY{};
    Range3 angle{1.0, 1.0, 1.0};
    double forceX = 0.0;
    int32_t direction = 2; // 1 above, 2 below, 0 both
    int32_t angleRefinement = 1;
};

struct SheetPileSettings {
    int32_t method = 0; // 0 ignored, 1 uncut line, 2 passive pressure, 3 shear capacity
    double x = 0.0;
    double topY = 0.0;
    double toeY = 0.0;
    int32_t passiveCount = 0;
    std::array<double, kMaxPassiveRows> passiveY{};
    std::array<double, kMaxPassiveRows> passiveIntensity{};
    std::array<double, kMaxPassiveRows> passiveLabelX{};
    std::array<double, kMaxPassiveRows> passiveLabelY{};
    std::array<int32_t, kMaxPassiveRows> passiveLabelMode{};
    double allowableShear = 0.0;
    double sectionArea = 0.0;
    int32_t dummy = 0;
    double lm1 = 0.0;

    SheetPileSettings() { passiveLabelMode.fill(-1); }
};

// Slots of DrawSettings::sizes.
enum DrawSizeSlot : int {
    kSizeTitle = 0,
    kSizeSoil = 1,
    kSizeScale = 2,
    kSizeFsList = 3,
    kSizeMinFs = 4,
    kSizeSurchargeArrow = 5,
    kSizeForceArrow = 6,
    kSizePointNumber = 7,
    kSizePressureArrow = 8,
    kSizeSoilLayout = 15,
};

// Slots of DrawSettings::decimals.
enum DecimalSlot : int {
    kDecSafetyFactor = 0,
    kDecUnitWeight = 1,
    kDecCohesion = 2,
    kDecFriction = 3,
    kDecForce = 4,
    kDecSurcharge = 5,
    kDecPressure = 6,
    kDecMoment = 7,
};

struct DrawSettings {
    int32_t paper = 3; // 1 A4, 2 B4, other A3 (landscape)
    double scaleDenominator = 100.0;
    std::array<double, 16> sizes{};
    Point2 frameCentre;
    Point2 viewMin;
    Point2 viewMax;
    int32_t drawTitle = 1;
    Point2 titlePos;
    // [0] = left-end labels, [1] = right-end labels; index 2 = strip
    std::array<std::array<int32_t, 3>, 2> surchargeLabelMode{};
    std::array<std::array<double, 3>, 2> surchargeLabelX{};
    std::array<std::array<double, 3>, 2> surchargeLabelY{};
    std::array<int32_t, 3> forceLabelMode{};
    std::array<double, 3> forceLabelX{};
    std::array<double, 3> forceLabelY{};
    std::array<int32_t, 4> gridFsSwitch{1, -1, -1, -1};
    std::array<int32_t, 8> decimals{3, 3, 3, 0, 3, 3, 3, 3};
    int32_t drawZeroStrength = 1;

    DrawSettings()
    {
        sizes.fill(4.0);
        for (auto& row : surchargeLabelMode) row.fill(1);
        forceLabelMode.fill(1);
    }
};

struct DisplaySettings {
    int32_t showGrid = 1;
    int32_t autoSwitch = 1;
    int32_t showPointNames = 1;
    int32_t showBoundaryLines = 1;
    int32_t showUncutLines = 1;
    int32_t showArcLimitLines = 1;
    int32_t showArcLimitPoints = 1;
    int32_t showBlockCentres = 1;
    int32_t showFrame = 1;
    int32_t showCircleCentres = 1;
    int32_t showSlipSurfaces = 0;
    int32_t showSoilInfo = 0;
    int32_t showSurcharge = 0;
    int32_t showForces = 0;
    int32_t showCohesionLine = 0;
    int32_t showSheetPile = 0;
    int32_t showPassivePressure = 0;
    double gridMajor = 10.0;
    double gridMinor = 10.0;
};

// The one document. Texts are UTF-8 in memory; their byte limits count CP932 bytes.
struct SlopeModel {
    std::string dataName;
    std::string title;
    std::array<int32_t, 3> calcDate{};
    std::array<int32_t, 3> calcTime{};
    int32_t modified = -1;  // -1 new, 0 loaded or saved, 1 changed
    int32_t calcState = 0;  // 0 no results, 1 valid, -1 abort requested

    CalcConditions conditions;
    CohesionReferenceLine referenceLine;
    CircleSearchSettings felleniusCircle;
    CircleSearchSettings bishopCircle;
    LineSlipSettings lineSlip;
    SheetPileSettings sheetPile;
    DrawSettings draw;
    DisplaySettings display;

    int32_t pointCount = 0;
    int32_t lineCount = 0;
    int32_t blockCount = 0;
    std::array<TerrainPoint, kMaxPoints> points{};
    std::array<TerrainLine, kMaxLines> lines{};
    std::array<SoilBlock, kMaxBlocks> blocks{};

    // The circle settings of the current method (codes 2 and 4 use bishopCircle).
    const CircleSearchSettings& activeCircle() const;
    CircleSearchSettings& activeCircle();
};

// The new-document reset. The slip direction of both circle settings is kept.
void resetModel(SlopeModel& model);

// Change rules used by dialogs and editing modes: each returns true when it stored.
bool assignIfChanged(std::string& stored, const std::string& value);
bool assignIfChanged(double& stored, double value); // changes only when |diff| >= 1e-7
bool assignIfChanged(int32_t& stored, int32_t value);

// Reads the number in an edit text (empty or unreadable = 0) and formats it with n decimals.
std::string formatEditNumber(const std::string& text, int n);

// Marks a change: modified = 1, and calcState = 0 when the change affects results.
void markChanged(SlopeModel& model, bool affectsResults);

// Slot allocation: the first free slot below the count, else the slot at the count.
// Returns nothing (and a message) when the table is full.
std::optional<int> allocatePointSlot(const SlopeModel& model, Message* why = nullptr);
std::optional<int> allocateLineSlot(const SlopeModel& model, Message* why = nullptr);
std::optional<int> allocateBlockSlot(const SlopeModel& model, Message* why = nullptr);

// Confirms an allocated slot: grows the count when the slot is at the count.
void confirmPointSlot(SlopeModel& model, int slot);
void confirmLineSlot(SlopeModel& model, int slot);
void confirmBlockSlot(SlopeModel& model, int slot);

// Adds a point / line / block in the next slot; refuses (and explains) beyond capacity.
std::optional<int> addPoint(SlopeModel& model, double x, double y, Message* why = nullptr);
std::optional<int> addLine(SlopeModel& model, int kind, int startPoint, int endPoint,
                           Message* why = nullptr);
std::optional<int> addBlock(SlopeModel& model, const SoilBlock& block, Message* why = nullptr);

// Frees a point and every line that starts or ends at it; counts stay.
void freePoint(SlopeModel& model, int slot);
void freeLine(SlopeModel& model, int slot);
void freeBlock(SlopeModel& model, int slot);

} // namespace keltora
