// Rules of the calculation conditions dialog.
#include "edit/calc_conditions_rules.h"

#include <algorithm>

namespace keltora {

int sandPilePositionOf(int32_t formula)
{
    return std::clamp(3 - static_cast<int>(std::clamp<int32_t>(formula, -10, 10)), 0,
                      kSandPileFormulas - 1);
}

int32_t sandPileFormulaAt(int position)
{
    return 3 - std::clamp(position, 0, kSandPileFormulas - 1);
}

CalcConditionsFields calcConditionsFields(const SlopeModel& model)
{
    const CalcConditions& c = model.conditions;
    CalcConditionsFields f;
    f.title = model.title;
    f.method = (c.method >= 0 && c.method <= 5) ? c.method : -1;
    f.seismicCoefficient = showEditNumber(c.seismicCoefficient);
    f.seismicOnSurcharge = c.seismicOnSurcharge != 0;
    f.maxSafetyFactor = showEditNumber(c.maxSafetyFactor);
    f.allowableSafetyFactor = showEditNumber(c.allowableSafetyFactor);
    for (int i = 0; i < kSurchargeStrips; ++i) {
        const auto k = static_cast<size_t>(i);
        f.surchargeXmin[k] = showEditNumber(c.surchargeXmin[k]);
        f.surchargeXmax[k] = showEditNumber(c.surchargeXmax[k]);
        f.surchargeQmin[k] = showEditNumber(c.surchargeQmin[k]);
        f.surchargeQmax[k] = showEditNumber(c.surchargeQmax[k]);
    }
    for (int i = 0; i < kHorizontalForces; ++i) {
        const auto k = static_cast<size_t>(i);
        f.forceY[k] = showEditNumber(c.forceY[k]);
        f.forceH[k] = showEditNumber(c.forceH[k]);
    }
    f.referenceMode = c.referenceMode == 1 ? 1 : 0;
    f.referenceHeight = showEditNumber(c.referenceHeight);
    f.sandPilePosition = sandPilePositionOf(c.sandPileFormula);
    f.fsTableWithRadius = c.fsTableWithRadius == 1 ? 1 : 0;
    f.roundingRule = c.roundingRule == 1 ? 1 : 0;
    f.sliceWidth = showEditNumber(c.sliceWidth);
    return f;
}

DialogOutcome applyCalcConditions(SlopeModel& model, const CalcConditionsFields& f)
{
    if (f.title != model.title)
        if (auto why = checkTitle(f.title)) return refused(*why);

    // A choice the user left as shown never rewrites a stored code that it only stands for
    // (an unknown method, formula or switch value keeps its stored value).
    const CalcConditionsFields shown = calcConditionsFields(model);
    CalcConditions& c = model.conditions;
    ChangeRecorder rec(model);
    constexpr bool kModifiedOnly = false;
    constexpr bool kDiscards = true;

    rec.text(model.title, f.title, kModifiedOnly);
    if (f.method != shown.method && f.method >= 0 && f.method <= 5)
        rec.code(c.method, f.method, kDiscards);
    rec.number(c.seismicCoefficient, f.seismicCoefficient, kDiscards);
    if (f.seismicOnSurcharge != shown.seismicOnSurcharge)
        rec.code(c.seismicOnSurcharge, f.seismicOnSurcharge ? 1 : 0, kModifiedOnly);
    rec.number(c.maxSafetyFactor, f.maxSafetyFactor, kDiscards);
    rec.number(c.allowableSafetyFactor, f.allowableSafetyFactor, kDiscards);
    for (int i = 0; i < kSurchargeStrips; ++i) {
        const auto k = static_cast<size_t>(i);
        rec.number(c.surchargeXmin[k], f.surchargeXmin[k], kDiscards);
        rec.number(c.surchargeXmax[k], f.surchargeXmax[k], kDiscards);
        rec.number(c.surchargeQmin[k], f.surchargeQmin[k], kDiscards);
        rec.number(c.surchargeQmax[k], f.surchargeQmax[k], kDiscards);
    }
    for (int i = 0; i < kHorizontalForces; ++i) {
        const auto k = static_cast<size_t>(i);
        rec.number(c.forceY[k], f.forceY[k], kDiscards);
        rec.number(c.forceH[k], f.forceH[k], kDiscards);
    }
    if (f.referenceMode != shown.referenceMode)
        rec.code(c.referenceMode, f.referenceMode == 1 ? 1 : 0, kModifiedOnly);
    rec.number(c.referenceHeight, f.referenceHeight, kDiscards);
    if (f.sandPilePosition != shown.sandPilePosition)
        rec.code(c.sandPileFormula, sandPileFormulaAt(f.sandPilePosition), kDiscards);
    if (f.fsTableWithRadius != shown.fsTableWithRadius)
        rec.code(c.fsTableWithRadius, f.fsTableWithRadius == 1 ? 1 : 0, kModifiedOnly);
    if (f.roundingRule != shown.roundingRule)
        rec.code(c.roundingRule, f.roundingRule == 1 ? 1 : 0, kModifiedOnly);
    rec.number(c.sliceWidth, f.sliceWidth, kDiscards);
    return rec.finish();
}

bool sheetPileButtonEnabled(int32_t storedMethod)
{
    return storedMethod == kMethodFellenius || storedMethod == kMethodTschebotarioff;
}

ReferenceEnabling referenceEnabling(int32_t referenceMode)
{
    ReferenceEnabling e;
    e.heightField = referenceMode != 1;
    e.lineButton = referenceMode == 1;
    return e;
}

std::string seismicSwitchNote(bool checked)
{
    return checked ? "　　分も含めて考える" : "　　分は除いて考える";
}

} // namespace keltora
