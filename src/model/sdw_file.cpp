// SDW reading and writing. The file is positional: every value line follows a comment
// line, in a fixed order; only the three tables at the end are delimited by comments.
#include "model/sdw_file.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "model/c_format.h"
#include "model/safe_file.h"
#include "model/text_encoding.h"

namespace keltora {

namespace fs = std::filesystem;

namespace {

// Comment texts of the file, in file order.
constexpr const char* kVersionComment = "   $   バージョン番号";
constexpr const char* kConditionsHeader = "$   検討条件";
constexpr const char* kFileNameComment = "$   データファイル(ファイルのみ)";
constexpr const char* kDateComment = "$   計算した   年/月/日";
constexpr const char* kTimeComment = "$   計算した   時/分/秒";
constexpr const char* kTitleComment = "$   業務名称";
constexpr const char* kMethodComment =
    "$   検討方法 修正ﾌｪﾚ(0) ﾁｪﾎﾞ法(1),ﾋﾞｼｮｯﾌﾟ法(2),直線すべり法(3)";
constexpr const char* kSeismicComment = "$   水平震度  (常時なら0.000,ビショップなら常に0.000)";
constexpr const char* kSurXminComment = "$   上載荷重 Xmin(m) x 3";
constexpr const char* kSurXmaxComment = "$   上載荷重 Xmax(m) x 3";
constexpr const char* kSurQ1Comment = "$   上載荷重 荷重１(t/m2) x 3";
constexpr const char* kSurQ2Comment = "$   上載荷重 荷重２(t/m2) x 3";
constexpr const char* kForceYComment = "$   水平外力,作用位置Y(m) x 3";
constexpr const char* kForceHComment = "$   水平外力,外力H(t/m) x 3";
constexpr const char* kRefModeComment = "$   粘着力基準高(0)線(1)";
constexpr const char* kRefHeightComment = "$   粘着力基準高(m)";
constexpr const char* kRefCountComment = "$   粘着力基準線　点数";
constexpr const char* kRefVertexComment = "$   粘着力基準線　折れ点";
constexpr const char* kMaxFsComment = "$   最大安全率";
constexpr const char* kSandPileComment = "$   砂杭の計算タイプスイッチ";
constexpr const char* kFsTableComment = "$   安全率一覧表 0:安全率 1:安全率＋半径";
constexpr const char* kAllowableComment = "$   許容安全率";
constexpr const char* kRoundingComment = "$   丸めスイッチ 0:規則A 1:規則B";
constexpr const char* kFelleniusHeader = "$   検討条件-修正フェレニウス法、チェボタリオフ法";
constexpr const char* kEnteredComment = "$   検討条件が入力された(1)入力されてない(2)";
constexpr const char* kCentreXComment = "$   円弧中心 Xパラメータ(m) :(0)Min,(1)Max,(2)Δ";
constexpr const char* kCentreYComment = "$   円弧中心 Yパラメータ(m) :同上";
constexpr const char* kRadiusComment = "$   円弧半径 Rパラメータ(m) :同上";
constexpr const char* kExtensionComment = "$   1次格子; 拡張あり(1), 拡張なし(2)";
constexpr const char* kFinestComment =
    "$   N次格子    発生しない(1), 2次格子(2), 3次格子(3), 4次格子(4)";
constexpr const char* kDirectionComment = "$   すべり方向 自動(1), 左→右(2), 右→左(3)";
constexpr const char* kBishopHeader = "$   検討条件-ビショップ法";
constexpr const char* kLineHeader = "$   検討条件-直線すべり法";
constexpr const char* kLineEnteredComment =
    "$   検討条件が入力された(1)入力されてない(2) すべり線指定ＳＷ";
constexpr const char* kStartXComment = "$   すべり開始点 X(m)";
constexpr const char* kStartYComment = "$   すべり開始点 Y(m)";
constexpr const char* kAngleComment = "$   すべり角度 αパラメータ(度) :(0)Min,(1)Max,(2)Δ";
constexpr const char* kForceXComment = "$   水平外力 作用位置 X(m)";
constexpr const char* kLineDirectionComment = "$   すべり方向, 下(1),上(2),上下(3)";
constexpr const char* kRefinementComment = "$   すべり角の2次分割    行う(1), 行わない(2)";
constexpr const char* kPileMethodComment =
    "$   矢板の計算方法 無視(0)不切り(1)受動土圧(2)せん断耐力(3)";
constexpr const char* kPilePosComment = "$   矢板位置Ｘ座標値,矢板天端高,矢板根入れ高";
constexpr const char* kPassiveCountComment = "$   矢板受動土圧　データ数";
constexpr const char* kPassiveRowsComment =
    "$   矢板受動土圧　変化高さ、土圧強度、土圧強度配置位置、作図スイッチ";
constexpr const char* kShearComment = "$   矢板　せん断許容応力度,断面積";
constexpr const char* kDummyComment = "$   矢板　Dummy、ｌｍ１";
constexpr const char* kDrawHeader = "$   作図条件";
constexpr const char* kPaperComment = "$   用紙   (1)A4横、(2)B4横、(3)A3横";
constexpr const char* kScaleComment = "$   作図スケール分母";
constexpr const char* kSizesComment =
    "$   文字サイズ(mm) "
    "業務名､土質条件､スケール､安全率､最大最小率､上載荷重スケール､水平外力スケール";
constexpr const char* kFrameComment = "$   枠中心の配置位置(m)";
constexpr const char* kViewMinComment = "$   表示範囲のXmin,Ymin";
constexpr const char* kViewMaxComment = "$   表示範囲のXmax,Yman";
constexpr const char* kDrawTitleComment = "$   業務名称を作図 (1)する、(-1)しない";
constexpr const char* kTitlePosComment = "$   業務名称の配置位置(m)";
constexpr const char* kSurModeComment = "$   上載荷重の作図方法";
constexpr const char* kSurPosComment = "$   上載荷重の配置位置(m)";
constexpr const char* kForceModeComment = "$   水平外力の作図方法";
constexpr const char* kForcePosComment = "$   水平外力の配置位置(m)";
constexpr const char* kGridSwitchComment = "$   円弧次別作図スイッチ";
constexpr const char* kDecimalsComment = "$   小数点以下桁数";
constexpr const char* kZeroStrengthComment = "$   Ｃ、φ作図スイッチ";
constexpr const char* kPointsHeader = "$   地形構成座標";
constexpr const char* kPointsComment = "$   点番号、Ｘ座標、Ｙ座標";
constexpr const char* kLinesHeader = "$   地形構成線分";
constexpr const char* kLinesComment = "$   線分の種類、始点点番号、終点点番号";
constexpr const char* kBlocksHeader = "$   地形構成ブロック";
constexpr const char* kDataEnd = "$   データエンド";

// ---------------------------------------------------------------- writing

class Writer {
  public:
    void line(const std::string& s)
    {
        text_ += s;
        text_ += "\r\n";
    }
    void f(double v) { line(cformat("%lf", v)); }
    void i(int v) { line(cformat("%d", v)); }
    void f3(const std::array<double, 3>& a) { line(cformat("%lf,%lf,%lf", a[0], a[1], a[2])); }
    void i3(const std::array<int32_t, 3>& a) { line(cformat("%d,%d,%d", a[0], a[1], a[2])); }
    void range(const Range3& r) { line(cformat("%lf,%lf,%lf", r.min, r.max, r.step)); }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

void writeCircle(Writer& w, const CircleSearchSettings& c)
{
    w.line(kEnteredComment);
    w.i(c.entered);
    w.line(kCentreXComment);
    w.range(c.centreX);
    w.line(kCentreYComment);
    w.range(c.centreY);
    w.line(kRadiusComment);
    w.range(c.radius);
    w.line(kExtensionComment);
    w.i(c.firstGridExtension);
    w.line(kFinestComment);
    w.i(c.finestGrid);
    w.line(kDirectionComment);
    w.i(c.direction);
}

void sixOf(Writer& w, const std::array<double, 3>& x, const std::array<double, 3>& y)
{
    w.line(cformat("%lf,%lf,%lf,%lf,%lf,%lf", x[0], x[1], x[2], y[0], y[1], y[2]));
}

} // namespace

std::string formatDataFile(const SlopeModel& m, const std::string& name)
{
    Writer w;
    const CalcConditions& c = m.conditions;
    w.line(cformat("%d", kSdwVersion) + kVersionComment);
    w.line(kConditionsHeader);
    w.line(kFileNameComment);
    w.line(name);
    w.line(kDateComment);
    w.i3(m.calcDate);
    w.line(kTimeComment);
    w.i3(m.calcTime);
    w.line(kTitleComment);
    w.line(m.title);
    w.line(kMethodComment);
    w.i(c.method);
    w.line(kSeismicComment);
    w.line(cformat("%lf,%d", c.seismicCoefficient, c.seismicOnSurcharge));
    w.line(kSurXminComment);
    w.f3(c.surchargeXmin);
    w.line(kSurXmaxComment);
    w.f3(c.surchargeXmax);
    w.line(kSurQ1Comment);
    w.f3(c.surchargeQmin);
    w.line(kSurQ2Comment);
    w.f3(c.surchargeQmax);
    w.line(kForceYComment);
    w.f3(c.forceY);
    w.line(kForceHComment);
    w.f3(c.forceH);
    w.line(kRefModeComment);
    w.i(c.referenceMode);
    w.line(kRefHeightComment);
    w.f(c.referenceHeight);
    const int refCount = std::clamp(m.referenceLine.count, 0, kMaxReferenceVertices);
    w.line(kRefCountComment);
    w.i(refCount);
    w.line(kRefVertexComment);
    for (size_t k = 0; k < static_cast<size_t>(refCount); ++k)
        w.line(cformat("%lf,%lf", m.referenceLine.x[k], m.referenceLine.y[k]));
    w.line(kMaxFsComment);
    w.f(c.maxSafetyFactor);
    w.line(kSandPileComment);
    w.i(c.sandPileFormula);
    w.line(kFsTableComment);
    w.i(c.fsTableWithRadius);
    w.line(kAllowableComment);
    w.line(cformat("%lf,%lf", c.allowableSafetyFactor, c.sliceWidth));
    w.line(kRoundingComment);
    w.i(c.roundingRule);

    w.line(kFelleniusHeader);
    writeCircle(w, m.felleniusCircle);
    w.line(kBishopHeader);
    writeCircle(w, m.bishopCircle);

    const LineSlipSettings& ls = m.lineSlip;
    w.line(kLineHeader);
    w.line(kLineEnteredComment);
    w.line(cformat("%d,%d", ls.entered, ls.lineSpecSwitch));
    w.line(kStartXComment);
    w.line(cformat("%lf,%lf,%lf,%lf", ls.startX[0], ls.startX[1], ls.startX[2], ls.startX[3]));
    w.line(kStartYComment);
    w.line(cformat("%lf,%lf,%lf,%lf", ls.startY[0], ls.startY[1], ls.startY[2], ls.startY[3]));
    w.line(kAngleComment);
    w.range(ls.angle);
    w.line(kForceXComment);
    w.f(ls.forceX);
    w.line(kLineDirectionComment);
    w.i(ls.direction);
    w.line(kRefinementComment);
    w.i(ls.angleRefinement);

    const SheetPileSettings& sp = m.sheetPile;
    const int passiveCount = std::clamp(sp.passiveCount, 0, kMaxPassiveRows);
    w.line(kPileMethodComment);
    w.i(sp.method);
    w.line(kPilePosComment);
    w.line(cformat("%lf,%lf,%lf", sp.x, sp.topY, sp.toeY));
    w.line(kPassiveCountComment);
    w.i(passiveCount);
    w.line(kPassiveRowsComment);
    for (size_t k = 0; k < static_cast<size_t>(passiveCount); ++k)
        w.line(cformat("%lf,%lf,%lf,%lf,%d", sp.passiveY[k], sp.passiveIntensity[k],
                       sp.passiveLabelX[k], sp.passiveLabelY[k], sp.passiveLabelMode[k]));
    w.line(kShearComment);
    w.line(cformat("%lf,%lf", sp.allowableShear, sp.sectionArea));
    w.line(kDummyComment);
    w.line(cformat("%d,%lf", sp.dummy, sp.lm1));

    const DrawSettings& d = m.draw;
    w.line(kDrawHeader);
    w.line(kPaperComment);
    w.i(d.paper);
    w.line(kScaleComment);
    w.f(d.scaleDenominator);
    w.line(kSizesComment);
    for (size_t half = 0; half < 2; ++half) {
        const double* s = d.sizes.data() + half * 8;
        w.line(cformat("%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf", s[0], s[1], s[2], s[3], s[4], s[5], s[6],
                       s[7]));
    }
    w.line(kFrameComment);
    w.line(cformat("%lf,%lf", d.frameCentre.x, d.frameCentre.y));
    w.line(kViewMinComment);
    w.line(cformat("%lf,%lf", d.viewMin.x, d.viewMin.y));
    w.line(kViewMaxComment);
    w.line(cformat("%lf,%lf", d.viewMax.x, d.viewMax.y));
    w.line(kDrawTitleComment);
    w.i(d.drawTitle);
    w.line(kTitlePosComment);
    w.line(cformat("%lf,%lf", d.titlePos.x, d.titlePos.y));
    w.line(kSurModeComment);
    w.i3(d.surchargeLabelMode[0]);
    w.i3(d.surchargeLabelMode[1]);
    w.line(kSurPosComment);
    sixOf(w, d.surchargeLabelX[0], d.surchargeLabelY[0]);
    sixOf(w, d.surchargeLabelX[1], d.surchargeLabelY[1]);
    w.line(kForceModeComment);
    w.i3(d.forceLabelMode);
    w.line(kForcePosComment);
    sixOf(w, d.forceLabelX, d.forceLabelY);
    w.line(kGridSwitchComment);
    w.line(cformat("%d,%d,%d,%d", d.gridFsSwitch[0], d.gridFsSwitch[1], d.gridFsSwitch[2],
                   d.gridFsSwitch[3]));
    w.line(kDecimalsComment);
    const auto& n = d.decimals;
    w.line(cformat("%d,%d,%d,%d,%d,%d,%d,%d", n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7]));
    w.line(kZeroStrengthComment);
    w.i(d.drawZeroStrength);

    w.line(kPointsHeader);
    w.line(kPointsComment);
    for (int k = 0; k < std::clamp(m.pointCount, 0, kMaxPoints); ++k) {
        const TerrainPoint& p = m.points[static_cast<size_t>(k)];
        w.line(cformat("%d,%lf,%lf", p.number, p.x, p.y));
    }
    w.line(kLinesHeader);
    w.line(kLinesComment);
    for (int k = 0; k < std::clamp(m.lineCount, 0, kMaxLines); ++k) {
        const TerrainLine& l = m.lines[static_cast<size_t>(k)];
        w.line(cformat("%d,%d,%d,%d", l.kind, l.startPoint, l.endPoint, l.drawFlag));
    }
    w.line(kBlocksHeader);
    for (int k = 0; k < std::clamp(m.blockCount, 0, kMaxBlocks); ++k) {
        const SoilBlock& b = m.blocks[static_cast<size_t>(k)];
        w.i(b.number);
        w.line(cformat("%lf,%lf", b.seed.x, b.seed.y));
        for (double v : {b.unitWeight, b.effectiveUnitWeight, b.cohesionGradient, b.baseCohesion,
                         b.frictionAngle, b.pileReplacementRatio, b.stressShareRatio,
                         b.pileUnitWeight, b.pileFrictionAngle})
            w.f(v);
        w.i(b.labelMode);
        w.line(cformat("%lf,%lf", b.labelPos.x, b.labelPos.y));
        w.line(cformat("%lf,%lf", b.reserved[0], b.reserved[1]));
        w.line(cformat("%lf,%lf", b.reserved[2], b.reserved[3]));
        w.i(b.kind);
        w.i(b.hasSandPiles);
    }
    w.line(kDataEnd);
    return utf8ToCp932(w.text());
}

bool ReadResult::dataLoss() const
{
    return std::any_of(fileWarnings.begin(), fileWarnings.end(),
                       [](const FileWarning& w) { return w.dataLoss; });
}

std::optional<Message> checkWritable(const SlopeModel& model, const fs::path& path)
{
    auto hasBreak = [](const std::string& s) {
        return s.find_first_of("\r\n") != std::string::npos;
    };
    const std::string name = path.filename().string();
    if (hasBreak(name))
        return Message{
            "ファイル名に改行が含まれているため、KELTORAデータファイルとして保存できません。"
            "ファイル名を変えてください。",
            "error"};
    if (hasBreak(model.title))
        return Message{
            "業務名称に改行が含まれているため保存できません。業務名称を1行にしてください。",
            "error"};
    bool lossless = true;
    utf8ToCp932(model.title, &lossless);
    if (!lossless) {
        // Name the characters, so that the user finds them.
        std::string bad;
        for (std::size_t i = 0; i < model.title.size();) {
            const auto c = static_cast<unsigned char>(model.title[i]);
            std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            len = std::min(len, model.title.size() - i);
            const std::string ch = model.title.substr(i, len);
            bool ok = true;
            utf8ToCp932(ch, &ok);
            if (!ok && bad.find(ch) == std::string::npos) bad += ch;
            i += len;
        }
        return Message{cformat("業務名称にShift-JIS(CP932)で書けない文字「%s」があるため保存できま"
                               "せん。その文字を別の文字に置き換えてください。",
                               bad.c_str()),
                       "error"};
    }
    return std::nullopt;
}

WriteResult writeDataFile(SlopeModel& model, const fs::path& path)
{
    if (auto bad = checkWritable(model, path)) return {false, bad};
    WriteResult result;
    const std::string name = path.stem().string();
    SlopeModel* toWrite = &model;
    std::unique_ptr<SlopeModel> cut;
    if (cp932Length(model.title) > static_cast<std::size_t>(kMaxTitleBytes)) {
        cut = std::make_unique<SlopeModel>(model);
        cut->title = truncateToCp932Bytes(model.title, kMaxTitleBytes);
        toWrite = cut.get();
        result.warnings.push_back(
            {cformat("業務名称が%dバイトを超えるため、「%s」までを保存しました。", kMaxTitleBytes,
                     cut->title.c_str()),
             "メッセージ"});
    }
    bool nameLossless = true;
    utf8ToCp932(name, &nameLossless);
    if (!nameLossless)
        result.warnings.push_back(
            {"ファイル名にShift-JIS(CP932)で書けない文字があるため、ファイル内のファイル名の行では"
             "「?」にしました(読み込みには影響しません)。",
             "メッセージ"});
    std::string bytes = formatDataFile(*toWrite, name);
    if (auto err = writeFileAtomically(path, bytes)) {
        return {false, Message{cformat("KELTORAデータファイル(%s) を保存できませんでした。\n%s",
                                       path.string().c_str(), err->c_str()),
                               "error"}};
    }
    if (cut) model.title = cut->title;
    model.dataName = name;
    model.modified = 0;
    return result;
}

// ---------------------------------------------------------------- reading

namespace {

class LineReader {
  public:
    explicit LineReader(const std::string& text)
    {
        forEachLine(text, [this](std::string_view l) { lines_.emplace_back(l); });
    }
    // The next line, or nothing at the end of the file.
    const std::string* next()
    {
        if (pos_ >= lines_.size()) {
            ended_ = true;
            return nullptr;
        }
        return &lines_[pos_++];
    }
    bool ended() const { return ended_; }
    size_t lineNumber() const { return pos_; }

  private:
    std::vector<std::string> lines_;
    size_t pos_ = 0;
    bool ended_ = false;
};

class Parser {
  public:
    Parser(LineReader& in, int version) : in_(in), version_(version) {}

    bool has(int since) const { return version_ >= since; }
    void skip(int since = 0)
    {
        if (has(since)) in_.next();
    }
    // Reads one value line and scans it; a line that yields fewer fields than expected
    // keeps the unfilled fields and is recorded with its line number.
    template <typename... Ptrs> void scan(const char* fmt, int expected, Ptrs... ptrs)
    {
        const std::string* l = in_.next();
        if (!l) return;
        int n = cscan(l->c_str(), fmt, ptrs...);
        if (n < expected) noteBad(*l);
    }
    const std::string* raw() { return in_.next(); }
    // True once a read has run past the end of the file.
    bool ended() const { return in_.ended(); }
    int lineNumber() const { return static_cast<int>(in_.lineNumber()); }
    // The line just read could not be parsed.
    void noteBad(const std::string& text) { bad_.push_back({lineNumber(), text}); }
    struct BadLine {
        int line;
        std::string text;
    };
    const std::vector<BadLine>& badLines() const { return bad_; }

  private:
    LineReader& in_;
    int version_;
    std::vector<BadLine> bad_;
};

void readCircle(Parser& p, CircleSearchSettings& c)
{
    p.skip();
    p.scan("%d", 1, &c.entered);
    p.skip();
    p.scan("%lf,%lf,%lf", 3, &c.centreX.min, &c.centreX.max, &c.centreX.step);
    p.skip();
    p.scan("%lf,%lf,%lf", 3, &c.centreY.min, &c.centreY.max, &c.centreY.step);
    p.skip();
    p.scan("%lf,%lf,%lf", 3, &c.radius.min, &c.radius.max, &c.radius.step);
    p.skip();
    p.scan("%d", 1, &c.firstGridExtension);
    p.skip();
    p.scan("%d", 1, &c.finestGrid);
    p.skip();
    p.scan("%d", 1, &c.direction);
}

bool isComment(const std::string* l)
{
    return l && !l->empty() && (*l)[0] == '$';
}

// Valid UTF-8 with at least one multi-byte character. Japanese CP932 text is almost never
// valid UTF-8 (its lead bytes 0x81..0x9F are UTF-8 continuation bytes).
bool looksLikeUtf8(std::string_view s)
{
    bool multiByte = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = 1;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            len = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4;
        else
            return false;
        if (i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        multiByte = true;
        i += len;
    }
    return multiByte;
}

} // namespace

ReadResult parseDataFile(const std::string& bytes, SlopeModel& target, SdwPart part,
                         const std::string& displayName)
{
    ReadResult result;
    auto note = [&result](int line, std::string text, bool dataLoss) {
        result.fileWarnings.push_back({line, std::move(text), dataLoss});
    };
    // A text editor's default is UTF-8: such a file is read as what it is, never decoded
    // as CP932 into garbage that a save would then write back.
    std::string_view body = bytes;
    const bool bom = body.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom) body.remove_prefix(3);
    result.utf8 = bom || looksLikeUtf8(body);
    if (result.utf8)
        note(0,
             cformat("%sはUTF-8で書かれています。UTF-8として読み込みました。保存するとCP932"
                     "(Shift-JIS)で書き込みます。",
                     displayName.c_str()),
             false);
    LineReader in{std::string(body)};
    const std::string* first = in.next();
    int version = 0;
    if (!first || cscan(first->c_str(), "%d", &version) != 1 || version < 2000) {
        result.status = -1;
        result.error = Message{"(Error)データのバージョンが正しくありません", "error"};
        return result;
    }
    version = std::min(version, kSdwVersion);
    result.version = version;

    SlopeModel m = target; // fields the file does not hold keep their values
    Parser p(in, version);
    CalcConditions& c = m.conditions;

    p.skip(); // "$   検討条件"
    p.skip(); // file name comment
    p.skip(); // file name
    p.skip();
    p.scan("%d,%d,%d", 3, &m.calcDate[0], &m.calcDate[1], &m.calcDate[2]);
    p.skip();
    p.scan("%d,%d,%d", 3, &m.calcTime[0], &m.calcTime[1], &m.calcTime[2]);
    p.skip();
    if (const std::string* t = p.raw()) {
        bool clean = true;
        std::string title = result.utf8 ? *t : cp932ToUtf8(*t, &clean);
        if (!clean)
            note(p.lineNumber(), "業務名称にCP932として読めない文字があります。「?」にしました。",
                 false);
        m.title = truncateToCp932Bytes(title, kMaxTitleBytes);
        if (m.title.size() < title.size())
            note(p.lineNumber(),
                 cformat("業務名称が%dバイトを超えるため、%dバイトまでにしました。", kMaxTitleBytes,
                         kMaxTitleBytes),
                 false);
    }
    p.skip();
    p.scan("%d", 1, &c.method);
    p.skip();
    if (p.has(2003)) {
        p.scan("%lf,%d", 2, &c.seismicCoefficient, &c.seismicOnSurcharge);
    } else {
        p.scan("%lf", 1, &c.seismicCoefficient);
        c.seismicOnSurcharge = 1;
    }
    auto three = [&p](std::array<double, 3>& a) { p.scan("%lf,%lf,%lf", 3, &a[0], &a[1], &a[2]); };
    p.skip();
    three(c.surchargeXmin);
    p.skip();
    three(c.surchargeXmax);
    p.skip();
    three(c.surchargeQmin);
    if (p.has(2100)) {
        p.skip();
        three(c.surchargeQmax);
    } else {
        c.surchargeQmax = c.surchargeQmin;
    }
    p.skip();
    three(c.forceY);
    p.skip();
    three(c.forceH);
    if (p.has(2100)) {
        p.skip();
        p.scan("%d", 1, &c.referenceMode);
    } else {
        c.referenceMode = 0;
    }
    p.skip();
    p.scan("%lf", 1, &c.referenceHeight);
    if (p.has(2100)) {
        p.skip();
        int count = 0;
        p.scan("%d", 1, &count);
        const int countLine = p.lineNumber();
        p.skip();
        m.referenceLine = CohesionReferenceLine{};
        if (count < 0) count = 0;
        for (int k = 0; k < count && !p.ended(); ++k) {
            double x = 0.0, y = 0.0;
            p.scan("%lf,%lf", 2, &x, &y);
            if (k < kMaxReferenceVertices) {
                m.referenceLine.x[static_cast<size_t>(k)] = x;
                m.referenceLine.y[static_cast<size_t>(k)] = y;
            }
        }
        if (count > kMaxReferenceVertices)
            note(countLine,
                 cformat(
                     "粘着力基準線の折れ点が%d点あります。%d点を超える分は読み込みませんでした。",
                     count, kMaxReferenceVertices),
                 true);
        m.referenceLine.count = std::min(count, kMaxReferenceVertices);
    } else {
        m.referenceLine = CohesionReferenceLine{};
    }
    p.skip();
    p.scan("%lf", 1, &c.maxSafetyFactor);
    if (p.has(2002)) {
        p.skip();
        p.scan("%d", 1, &c.sandPileFormula);
        p.skip();
        p.scan("%d", 1, &c.fsTableWithRadius);
    } else {
        c.sandPileFormula = 0;
        c.fsTableWithRadius = 0;
    }
    if (p.has(2100)) {
        p.skip();
        p.scan("%lf,%lf", 2, &c.allowableSafetyFactor, &c.sliceWidth);
        p.skip();
        p.scan("%d", 1, &c.roundingRule);
    } else {
        c.allowableSafetyFactor = 1.0;
        c.sliceWidth = 0.1;
        c.roundingRule = 0;
    }

    p.skip();
    readCircle(p, m.felleniusCircle);
    p.skip();
    readCircle(p, m.bishopCircle);

    LineSlipSettings& ls = m.lineSlip;
    p.skip();
    p.skip();
    if (p.has(2100)) {
        p.scan("%d,%d", 2, &ls.entered, &ls.lineSpecSwitch);
        p.skip();
        p.scan("%lf,%lf,%lf,%lf", 4, &ls.startX[0], &ls.startX[1], &ls.startX[2], &ls.startX[3]);
        p.skip();
        p.scan("%lf,%lf,%lf,%lf", 4, &ls.startY[0], &ls.startY[1], &ls.startY[2], &ls.startY[3]);
    } else {
        p.scan("%d", 1, &ls.entered);
        ls.lineSpecSwitch = 0;
        p.skip();
        p.scan("%lf", 1, &ls.startX[0]);
        ls.startX.fill(ls.startX[0]);
        p.skip();
        p.scan("%lf", 1, &ls.startY[0]);
        ls.startY.fill(ls.startY[0]);
    }
    p.skip();
    p.scan("%lf,%lf,%lf", 3, &ls.angle.min, &ls.angle.max, &ls.angle.step);
    p.skip();
    p.scan("%lf", 1, &ls.forceX);
    p.skip();
    p.scan("%d", 1, &ls.direction);
    p.skip();
    p.scan("%d", 1, &ls.angleRefinement);

    if (p.has(2100)) {
        SheetPileSettings& sp = m.sheetPile;
        p.skip();
        p.scan("%d", 1, &sp.method);
        p.skip();
        p.scan("%lf,%lf,%lf", 3, &sp.x, &sp.topY, &sp.toeY);
        p.skip();
        int count = 0;
        p.scan("%d", 1, &count);
        const int countLine = p.lineNumber();
        p.skip();
        if (count < 0) count = 0;
        for (int k = 0; k < count && !p.ended(); ++k) {
            double y = 0, q = 0, lx = 0, ly = 0;
            int mode = -1;
            p.scan("%lf,%lf,%lf,%lf,%d", 5, &y, &q, &lx, &ly, &mode);
            if (k < kMaxPassiveRows) {
                auto s = static_cast<size_t>(k);
                sp.passiveY[s] = y;
                sp.passiveIntensity[s] = q;
                sp.passiveLabelX[s] = lx;
                sp.passiveLabelY[s] = ly;
                sp.passiveLabelMode[s] = mode;
            }
        }
        if (count > kMaxPassiveRows)
            note(countLine,
                 cformat(
                     "矢板受動土圧のデータが%d行あります。%d行を超える分は読み込みませんでした。",
                     count, kMaxPassiveRows),
                 true);
        sp.passiveCount = std::min(count, kMaxPassiveRows);
        p.skip();
        p.scan("%lf,%lf", 2, &sp.allowableShear, &sp.sectionArea);
        p.skip();
        p.scan("%d,%lf", 2, &sp.dummy, &sp.lm1);
    }

    DrawSettings& d = m.draw;
    p.skip();
    p.skip();
    p.scan("%d", 1, &d.paper);
    p.skip();
    p.scan("%lf", 1, &d.scaleDenominator);
    p.skip();
    {
        double* s = d.sizes.data();
        p.scan("%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf", 8, &s[0], &s[1], &s[2], &s[3], &s[4], &s[5],
               &s[6], &s[7]);
        if (p.has(2100))
            p.scan("%lf,%lf,%lf,%lf,%lf,%lf,%lf,%lf", 8, &s[8], &s[9], &s[10], &s[11], &s[12],
                   &s[13], &s[14], &s[15]);
        else
            std::fill(d.sizes.begin() + 8, d.sizes.end(), 0.0);
    }
    p.skip();
    p.scan("%lf,%lf", 2, &d.frameCentre.x, &d.frameCentre.y);
    p.skip();
    p.scan("%lf,%lf", 2, &d.viewMin.x, &d.viewMin.y);
    p.skip();
    p.scan("%lf,%lf", 2, &d.viewMax.x, &d.viewMax.y);
    p.skip();
    p.scan("%d", 1, &d.drawTitle);
    p.skip();
    p.scan("%lf,%lf", 2, &d.titlePos.x, &d.titlePos.y);
    p.skip();
    auto modes = [&p](std::array<int32_t, 3>& a) { p.scan("%d,%d,%d", 3, &a[0], &a[1], &a[2]); };
    auto six = [&p](std::array<double, 3>& x, std::array<double, 3>& y) {
        p.scan("%lf,%lf,%lf,%lf,%lf,%lf", 6, &x[0], &x[1], &x[2], &y[0], &y[1], &y[2]);
    };
    modes(d.surchargeLabelMode[0]);
    if (p.has(2100))
        modes(d.surchargeLabelMode[1]);
    else
        d.surchargeLabelMode[1] = d.surchargeLabelMode[0];
    p.skip();
    six(d.surchargeLabelX[0], d.surchargeLabelY[0]);
    if (p.has(2100)) {
        six(d.surchargeLabelX[1], d.surchargeLabelY[1]);
    } else {
        d.surchargeLabelX[1] = d.surchargeLabelX[0];
        d.surchargeLabelY[1] = d.surchargeLabelY[0];
    }
    p.skip();
    modes(d.forceLabelMode);
    p.skip();
    six(d.forceLabelX, d.forceLabelY);
    if (p.has(2001)) {
        p.skip();
        p.scan("%d,%d,%d,%d", 4, &d.gridFsSwitch[0], &d.gridFsSwitch[1], &d.gridFsSwitch[2],
               &d.gridFsSwitch[3]);
    } else {
        d.gridFsSwitch = {1, -1, -1, -1};
    }
    if (p.has(2003)) {
        p.skip();
        auto& n = d.decimals;
        p.scan("%d,%d,%d,%d,%d,%d,%d,%d", 8, &n[0], &n[1], &n[2], &n[3], &n[4], &n[5], &n[6],
               &n[7]);
        p.skip();
        p.scan("%d", 1, &d.drawZeroStrength);
    } else {
        d.decimals = {3, 3, 3, 0, 3, 3, 3, 3};
        d.drawZeroStrength = 1;
    }

    // Tables: each ends at the first line beginning with "$", or at the end of the file.
    int droppedPoints = 0, droppedLines = 0, droppedBlocks = 0, renumbered = 0;
    int firstDroppedPoint = 0, firstDroppedLine = 0, firstDroppedBlock = 0, firstRenumbered = 0;
    p.skip();
    p.skip();
    m.pointCount = 0;
    const std::string* l = nullptr;
    while ((l = p.raw()) && !isComment(l)) {
        if (m.pointCount >= kMaxPoints) {
            if (droppedPoints++ == 0) firstDroppedPoint = p.lineNumber();
            continue;
        }
        TerrainPoint& pt = m.points[static_cast<size_t>(m.pointCount)];
        pt = TerrainPoint{};
        if (cscan(l->c_str(), "%d,%lf,%lf", &pt.number, &pt.x, &pt.y) < 3) p.noteBad(*l);
        if (pt.number >= 0 && pt.number != m.pointCount) {
            pt.number = m.pointCount; // a point's number is its slot
            if (renumbered++ == 0) firstRenumbered = p.lineNumber();
        }
        ++m.pointCount;
    }
    for (int k = m.pointCount; k < kMaxPoints; ++k)
        m.points[static_cast<size_t>(k)] = {};
    if (l) p.skip(); // "$   線分の種類、始点点番号、終点点番号"
    m.lineCount = 0;
    while (l && (l = p.raw()) && !isComment(l)) {
        if (m.lineCount >= kMaxLines) {
            if (droppedLines++ == 0) firstDroppedLine = p.lineNumber();
            continue;
        }
        TerrainLine& ln = m.lines[static_cast<size_t>(m.lineCount)];
        ln = TerrainLine{};
        if (cscan(l->c_str(), "%d,%d,%d,%d", &ln.kind, &ln.startPoint, &ln.endPoint, &ln.drawFlag) <
            4)
            p.noteBad(*l);
        ++m.lineCount;
    }
    for (int k = m.lineCount; k < kMaxLines; ++k)
        m.lines[static_cast<size_t>(k)] = {};
    m.blockCount = 0;
    bool sawEnd = false;
    while (l && (l = p.raw())) {
        if (isComment(l)) {
            sawEnd = true;
            break;
        }
        SoilBlock b;
        const int groupLine = p.lineNumber();
        if (cscan(l->c_str(), "%d", &b.number) < 1) p.noteBad(*l);
        p.scan("%lf,%lf", 2, &b.seed.x, &b.seed.y);
        for (double* v : {&b.unitWeight, &b.effectiveUnitWeight, &b.cohesionGradient,
                          &b.baseCohesion, &b.frictionAngle, &b.pileReplacementRatio,
                          &b.stressShareRatio, &b.pileUnitWeight, &b.pileFrictionAngle})
            p.scan("%lf", 1, v);
        p.scan("%d", 1, &b.labelMode);
        p.scan("%lf,%lf", 2, &b.labelPos.x, &b.labelPos.y);
        p.scan("%lf,%lf", 2, &b.reserved[0], &b.reserved[1]);
        p.scan("%lf,%lf", 2, &b.reserved[2], &b.reserved[3]);
        p.scan("%d", 1, &b.kind);
        p.scan("%d", 1, &b.hasSandPiles);
        if (m.blockCount >= kMaxBlocks) {
            if (droppedBlocks++ == 0) firstDroppedBlock = groupLine;
            continue;
        }
        if (b.number >= 0 && b.number != m.blockCount) {
            b.number = m.blockCount;
            if (renumbered++ == 0) firstRenumbered = groupLine;
        }
        m.blocks[static_cast<size_t>(m.blockCount)] = b;
        ++m.blockCount;
    }
    for (int k = m.blockCount; k < kMaxBlocks; ++k)
        m.blocks[static_cast<size_t>(k)] = {};

    if (droppedPoints)
        note(firstDroppedPoint,
             cformat("点が%d点を超えています。超えた%d点は読み込みませんでした。", kMaxPoints,
                     droppedPoints),
             true);
    if (droppedLines)
        note(firstDroppedLine,
             cformat("線分が%d本を超えています。超えた%d本は読み込みませんでした。", kMaxLines,
                     droppedLines),
             true);
    if (droppedBlocks)
        note(firstDroppedBlock,
             cformat("ブロックが%d個を超えています。超えた%d個は読み込みませんでした。", kMaxBlocks,
                     droppedBlocks),
             true);
    if (renumbered)
        note(firstRenumbered,
             cformat("%d個の点・ブロックの番号が格納位置と異なるため、格納位置の番号にしました。"
                     "線分やブロックが別の点を指している可能性があります。",
                     renumbered),
             true);
    // Every line that could not be read, up to a limit (a file of garbage would list
    // thousands), then how many more.
    constexpr std::size_t kListedBadLines = 20;
    const auto& bad = p.badLines();
    for (std::size_t k = 0; k < bad.size() && k < kListedBadLines; ++k) {
        std::string shown = result.utf8 ? bad[k].text : cp932ToUtf8(bad[k].text);
        if (shown.size() > 40) shown = truncateToCp932Bytes(shown, 40) + "...";
        note(bad[k].line,
             cformat("「%s」を値として読み取れませんでした。読み取れなかった値は変更していません。",
                     shown.c_str()),
             true);
    }
    if (bad.size() > kListedBadLines)
        note(bad[kListedBadLines].line,
             cformat("ほかに%zu行が読み取れませんでした。", bad.size() - kListedBadLines), true);
    if (!sawEnd)
        note(std::max(p.lineNumber(), 1),
             "ファイルがこの行で終わっています。データエンド(「$   データエンド」)がないため、"
             "ファイルが途中で切れている可能性があります。欠けた値は読み込み前の値(既定値)の"
             "ままです。",
             true);
    for (const FileWarning& w : result.fileWarnings)
        result.warnings.push_back(
            {w.line > 0 ? cformat("%d行目: %s", w.line, w.text.c_str()) : w.text, "メッセージ"});

    switch (part) {
    case SdwPart::Everything: {
        DisplaySettings keepDisplay = target.display;
        target = m;
        target.display = keepDisplay;
        break;
    }
    case SdwPart::Conditions:
        target.title = m.title;
        target.conditions = m.conditions;
        target.referenceLine = m.referenceLine;
        target.felleniusCircle = m.felleniusCircle;
        target.bishopCircle = m.bishopCircle;
        target.lineSlip = m.lineSlip;
        target.sheetPile = m.sheetPile;
        target.draw = m.draw;
        break;
    case SdwPart::Blocks:
        target.blockCount = m.blockCount;
        target.blocks = m.blocks;
        break;
    case SdwPart::Terrain:
        target.pointCount = m.pointCount;
        target.points = m.points;
        target.lineCount = m.lineCount;
        target.lines = m.lines;
        break;
    }
    return result;
}

namespace {

ReadResult readFile(SlopeModel& model, const fs::path& path, SdwPart part)
{
    std::string why;
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    const std::string shown = (ec ? path : full).string();
    auto bytes = readWholeFile(path, &why);
    if (!bytes) {
        ReadResult r;
        r.status = 1;
        const bool missing = !fs::exists(path, ec);
        r.error =
            Message{missing ? cformat("KELTORAデータファイル(%s) が見つかりません。", shown.c_str())
                            : cformat("KELTORAデータファイル(%s) を読み込めません。%s",
                                      shown.c_str(), why.c_str()),
                    "error"};
        return r;
    }
    ReadResult r = parseDataFile(*bytes, model, part, shown);
    if (r.status != 0) return r;
    if (part == SdwPart::Everything) {
        model.dataName = path.stem().string();
        model.modified = 0;
    } else {
        model.modified = 1;
    }
    model.calcState = 0;
    return r;
}

} // namespace

ReadResult readDataFile(SlopeModel& model, const fs::path& path)
{
    return readFile(model, path, SdwPart::Everything);
}

ReadResult readConditions(SlopeModel& model, const fs::path& path)
{
    return readFile(model, path, SdwPart::Conditions);
}

ReadResult readBlocks(SlopeModel& model, const fs::path& path)
{
    return readFile(model, path, SdwPart::Blocks);
}

ReadResult readTerrain(SlopeModel& model, const fs::path& path)
{
    return readFile(model, path, SdwPart::Terrain);
}

} // namespace keltora
