// Status texts of the modes, the session's picks and the headless application of a step.
#include "edit/edit_session.h"

#include <array>

namespace keltora {

namespace {

const char* const kCancel = "マウス(右)：取り消し";

std::string prompt(const std::string& head)
{
    return head + kCancel;
}

const std::array<const char*, 4> kLineNames = {"境界線", "不切線", "円弧制限線(小)",
                                               "円弧制限線(大)"};
const std::array<const char*, 6> kDeleteNames = {
    "境界線", "不切線", "円弧制限線(小)", "円弧制限線(大)", "円弧制限点(小)", "円弧制限点(大)"};
const std::array<const char*, 6> kSurchargeNames = {"上載荷重１(左)", "上載荷重１(右)",
                                                    "上載荷重２(左)", "上載荷重２(右)",
                                                    "上載荷重３(左)", "上載荷重３(右)"};
const std::array<const char*, 9> kForceNames = {
    "水平外力１(上)", "水平外力１(中)", "水平外力１(後)", "水平外力２(上)", "水平外力２(下)",
    "水平外力２(後)", "水平外力３(上)", "水平外力３(下)", "水平外力３(後)"};

} // namespace

std::string modeStatusText(int mode)
{
    switch (mode) {
    case kModePointAdd: return prompt("追加する点の位置をマウス(左)で指定してください。");
    case kModePointMove: return prompt("移動する点をマウス(左)で選択してください。");
    case kModePointMoveTo: return prompt("点を移動する先の位置をマウス(左)で指定してください。");
    case kModePointDelete: return prompt("削除する点をマウス(左)で選択してください。");
    case kModeArcPointSmall:
        return prompt("追加する円弧制限点(小)をマウス(左)で選択してください。");
    case kModeArcPointLarge:
        return prompt("追加する円弧制限点(大)をマウス(左)で選択してください。");
    case kModeBlockAdd: return prompt("追加するブロックの位置をマウス(左)で指定してください。");
    case kModeBlockMove: return prompt("移動するブロックをマウス(左)で選択してください。");
    case kModeBlockMoveTo:
        return prompt("ブロックを移動する先の位置をマウス(左)で指定してください。");
    case kModeBlockDelete: return prompt("削除するブロックをマウス(左)で選択してください。");
    case kModeBlockCopy: return prompt("複写する元のブロックをマウス(左)で選択してください。");
    case kModeBlockCopyTo:
        return prompt("ブロックを複写する先の位置をマウス(左)で指定してください。");
    case kModeBlockEdit: return prompt("編集するブロックをマウス(左)で選択してください。");
    case kModeFrame: return prompt("作図枠の中心をマウス(左)で指定してください。");
    case kModeTitle: return prompt("業務名作図位置をマウス(左)で指定してください。");
    case kModeDrawFlagOn: return prompt("作図する線分をマウス(左)で選択してください。");
    case kModeDrawFlagOff: return prompt("作図不要な線分をマウス(左)で選択してください。");
    case kModeSoilVertical:
        return prompt("土質条件(縦)を配置するブロック中心をマウス(左)で選択してください。");
    case kModeSoilHorizontal:
        return prompt("土質条件(横)を配置するブロック中心をマウス(左)で選択してください。");
    case kModeSoilVerticalPlace:
    case kModeSoilHorizontalPlace:
        return prompt("土質条件を配置する位置をマウス(左)で指定してください。");
    case kModeSafetyLabel:
        return prompt("安全率(数値)を配置する円弧中心をマウス(左)で選択してください。");
    case kModeSafetyLabelPlace:
        return prompt("安全率(数値)を配置する位置をマウス(左)で指定してください。");
    case kModeExtraCircle:
        return prompt("すべり円を記入/消去する円弧中心をマウス(左)で選択してください。");
    case kModeIntersectionAdd:
        return prompt("交点を計算する線分１をマウス(左)で選択してください。");
    case kModeIntersectionMove: return prompt("交点に移動する点をマウス(左)で選択してください。");
    case kModeFootAdd: return prompt("垂線の足を計算する線分をマウス(左)で選択してください。");
    case kModeFootMove: return prompt("垂線の足に移動する点をマウス(左)で選択してください。");
    case kModeHorizontalAdd:
        return prompt("水平線との交点を計算する線分をマウス(左)で選択してください。");
    case kModeHorizontalMove:
        return prompt("水平線との交点に移動する点をマウス(左)で選択してください。");
    case kModeVerticalAdd:
        return prompt("垂直線との交点を計算する線分をマウス(左)で選択してください。");
    case kModeVerticalMove:
        return prompt("垂直線との交点に移動する点をマウス(左)で選択してください。");
    case kModeEndPoint:
        return "端点を変更する線分をマウス(左)で選択してください。(選択位置に近い端点を付け替え"
               "ます)　マウス(右)：取り消し";
    case kModeMerge: return prompt("合成する線分１をマウス(左)で選択してください。");
    case kModeSplit: return prompt("分割される線分をマウス(左)で選択してください。");
    case kModeParallel: return prompt("平行線を作図する線分をマウス(左)で選択してください。");
    default: break;
    }
    if (mode >= kModeLineAddFirst && mode <= kModeLineAddLast)
        return prompt(std::string("追加する") + kLineNames[static_cast<size_t>(mode - 501)] +
                      "の始点をマウス(左)で選択してください。");
    if (mode >= kModeLineEndFirst && mode <= kModeLineEndLast)
        return prompt(std::string("追加する") + kLineNames[static_cast<size_t>(mode - 511)] +
                      "の終点をマウス(左)で選択してください。");
    if (mode >= kModeLineDeleteFirst && mode <= kModeLineDeleteLast)
        return prompt(std::string("削除する") + kDeleteNames[static_cast<size_t>(mode - 601)] +
                      "をマウス(左)で選択してください。");
    if (mode >= kModeSurchargeFirst && mode <= kModeSurchargeLast)
        return prompt(std::string(kSurchargeNames[static_cast<size_t>(mode - 1400)]) +
                      "を作図する位置をマウス(左)で指定してください。");
    if (mode >= kModeForceFirst && mode <= kModeForceLast)
        return prompt(std::string(kForceNames[static_cast<size_t>(mode - 1500)]) +
                      "を作図する位置をマウス(左)で指定してください。");
    if (mode >= kModePassiveFirst && mode <= kModePassiveLast)
        return prompt("受動土圧を作図する位置をマウス(左)で指定してください。");
    return kIdleStatusText;
}

void EditSession::clearPicks()
{
    picked = -1;
    copySource = -1;
    moved = 0;
    line1 = line2 = point1 = movingPoint = -1;
    rubber = false;
}

void leaveMode(EditSession& s)
{
    s.clearPicks();
    s.mode = kModeNone;
    s.status = kIdleStatusText;
    s.xyButton = false;
}

void ModeFamily::enter(EditSession& s, int mode) const
{
    s.mode = mode;
    s.status = modeStatusText(mode);
    s.xyButton = mode == kModePointAdd || mode == kModeBlockAdd;
}

bool applyOutcome(SlopeModel& model, const EditOutcome& outcome)
{
    if (!outcome.change) return false;
    if (!outcome.change(model)) return false;
    switch (outcome.effect) {
    case ChangeEffect::Results: markChanged(model, true); break;
    case ChangeEffect::Figure: markChanged(model, false); break;
    case ChangeEffect::None:
    case ChangeEffect::Display: break;
    }
    return true;
}

} // namespace keltora
