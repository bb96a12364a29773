// Report pages on paper: running head and foot, the text grid of the body, and the rules
// of box-drawing characters drawn as lines so that tables close without gaps.
#include "render/report_painter.h"

#include <QFont>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "render/plot_painter.h"
#include "render/plot_reader.h"

namespace keltora {
namespace {

// Paper geometry in millimetres.
constexpr double kLeftMm = 18.0;
constexpr double kBodyWidthMm = 178.0;
constexpr double kHeadBaselineMm = 14.0;
constexpr double kHeadRuleMm = 16.0;
constexpr double kBodyTopMm = 20.0;
constexpr double kLinePitchMm = 4.2;
constexpr double kFootRuleMm = 285.0;
constexpr double kFootBaselineMm = 289.5;
constexpr double kColumnMm = kBodyWidthMm / kReportPageColumns;
constexpr double kFontMm = 3.45; // em of the body text
constexpr double kSmallFontMm = 2.8;

// Arms of a box-drawing character: left, right, up, down; 0 none, 1 light, 2 heavy.
struct Arms {
    int l = 0, r = 0, u = 0, d = 0;
};

bool boxArms(char32_t c, Arms& a)
{
    switch (c) {
    case U'─': a = {1, 1, 0, 0}; return true;
    case U'━': a = {2, 2, 0, 0}; return true;
    case U'│': a = {0, 0, 1, 1}; return true;
    case U'┃': a = {0, 0, 2, 2}; return true;
    case U'┌': a = {0, 1, 0, 1}; return true;
    case U'┐': a = {1, 0, 0, 1}; return true;
    case U'└': a = {0, 1, 1, 0}; return true;
    case U'┘': a = {1, 0, 1, 0}; return true;
    case U'┏': a = {0, 2, 0, 2}; return true;
    case U'┓': a = {2, 0, 0, 2}; return true;
    case U'┗': a = {0, 2, 2, 0}; return true;
    case U'┛': a = {2, 0, 2, 0}; return true;
    case U'├': a = {0, 1, 1, 1}; return true;
    case U'┤': a = {1, 0, 1, 1}; return true;
    case U'┬': a = {1, 1, 0, 1}; return true;
    case U'┴': a = {1, 1, 1, 0}; return true;
    case U'┼': a = {1, 1, 1, 1}; return true;
    case U'┣': a = {0, 2, 2, 2}; return true;
    case U'┫': a = {2, 0, 2, 2}; return true;
    case U'┳': a = {2, 2, 0, 2}; return true;
    case U'┻': a = {2, 2, 2, 0}; return true;
    case U'╋': a = {2, 2, 2, 2}; return true;
    case U'┝': a = {0, 2, 1, 1}; return true;
    case U'┥': a = {2, 0, 1, 1}; return true;
    case U'┯': a = {2, 2, 0, 1}; return true;
    case U'┷': a = {2, 2, 1, 0}; return true;
    case U'┿': a = {2, 2, 1, 1}; return true;
    case U'┠': a = {0, 1, 2, 2}; return true;
    case U'┨': a = {1, 0, 2, 2}; return true;
    case U'╂': a = {1, 1, 2, 2}; return true;
    case U'┰': a = {1, 1, 0, 2}; return true;
    case U'┸': a = {1, 1, 2, 0}; return true;
    default: return false;
    }
}

// The plot files of figures on report pages, read once per version of the file (the
// viewer repaints often; a new report run rewrites the file).
std::shared_ptr<const PlotDocument> figureDocument(const std::filesystem::path& file)
{
    static std::mutex mutex;
    static std::map<std::filesystem::path,
                    std::pair<std::filesystem::file_time_type, std::shared_ptr<const PlotDocument>>>
        cache;
    std::error_code ec;
    const auto stamp = std::filesystem::last_write_time(file, ec);
    if (ec) return nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(file);
    if (it != cache.end() && it->second.first == stamp) return it->second.second;
    std::string error;
    auto doc = readPlotFile(file, &error);
    std::shared_ptr<const PlotDocument> shared =
        doc ? std::make_shared<const PlotDocument>(std::move(*doc)) : nullptr;
    cache[file] = {stamp, shared};
    return shared;
}

class PagePainter {
  public:
    PagePainter(QPainter& p, double s, double ox, double oy) : p_(p), s_(s), ox_(ox), oy_(oy)
    {
        body_ = QFont(reportFontFamily());
        body_.setPixelSize(std::max(1, static_cast<int>(kFontMm * s + 0.5)));
        body_.setStyleHint(QFont::TypeWriter);
        body_.setKerning(false);
        small_ = body_;
        small_.setPixelSize(std::max(1, static_cast<int>(kSmallFontMm * s + 0.5)));
    }

    double x(double mm) const { return ox_ + mm * s_; }
    double y(double mm) const { return oy_ + mm * s_; }

    void paint(const ReportPage& page)
    {
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, true);
        p_.setRenderHint(QPainter::TextAntialiasing, true);
        p_.fillRect(QRectF(x(0), y(0), kReportPageWidthMm * s_, kReportPageHeightMm * s_),
                    Qt::white);
        runningHeadAndFoot(page);
        for (std::size_t i = 0; i < page.lines.size() && i < kReportPageLines; ++i)
            line(page.lines[i], kBodyTopMm + kLinePitchMm * static_cast<double>(i));
        for (const ReportFigure& f : page.figures)
            figure(f);
        p_.restore();
    }

  private:
    void runningHeadAndFoot(const ReportPage& page)
    {
        p_.setPen(QPen(QColor(40, 40, 40), 0.25 * s_));
        p_.drawLine(QPointF(x(kLeftMm), y(kHeadRuleMm)),
                    QPointF(x(kLeftMm + kBodyWidthMm), y(kHeadRuleMm)));
        p_.setPen(QPen(QColor(120, 120, 120), 0.15 * s_));
        p_.drawLine(QPointF(x(kLeftMm), y(kFootRuleMm)),
                    QPointF(x(kLeftMm + kBodyWidthMm), y(kFootRuleMm)));
        p_.setPen(Qt::black);
        p_.setFont(small_);
        const double w = kBodyWidthMm * s_;
        const QRectF head(x(kLeftMm), y(kHeadBaselineMm - kSmallFontMm * 1.2), w,
                          kSmallFontMm * 1.6 * s_);
        p_.drawText(head, Qt::AlignLeft | Qt::AlignBottom,
                    QStringLiteral("KELTORA  ") + QString::fromStdString(page.documentTitle));
        p_.drawText(head, Qt::AlignRight | Qt::AlignBottom,
                    QStringLiteral("%1 / %2 頁").arg(page.number).arg(page.count));
        const QRectF foot(x(kLeftMm), y(kFootBaselineMm - kSmallFontMm * 1.2), w,
                          kSmallFontMm * 1.6 * s_);
        p_.setPen(QColor(70, 70, 70));
        if (!page.dataPath.empty())
            p_.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                        QStringLiteral("データ：") + QString::fromStdString(page.dataPath));
        if (!page.calculated.empty())
            p_.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                        QStringLiteral("計算日時：") + QString::fromStdString(page.calculated));
    }

    // A plot file fitted into the figure's lines across the body width.
    void figure(const ReportFigure& f)
    {
        const QRectF box(x(kLeftMm), y(kBodyTopMm + kLinePitchMm * f.firstLine), kBodyWidthMm * s_,
                         kLinePitchMm * f.lines * s_);
        const auto doc = figureDocument(f.file);
        if (!doc || doc->items.empty()) {
            p_.setPen(QPen(QColor(120, 120, 120), 0.2 * s_, Qt::DashLine));
            p_.drawRect(box);
            p_.setFont(body_);
            p_.drawText(box, Qt::AlignCenter,
                        QStringLiteral("図のファイル %1 を読めません")
                            .arg(QString::fromStdString(f.file.filename().string())));
            return;
        }
        p_.save();
        PlotPaintOptions options;
        options.paper = Qt::transparent;
        const double k = paintPlot(p_, *doc, box, options);
        // The critical circle or line drawn again, bold and in colour: on a page scaled
        // down from the plotter's sheet it would otherwise be one thin line among many.
        std::vector<FigureItem> critical;
        for (const FigureItem& it : doc->items)
            if (it.layer == kLayerCritical) critical.push_back(it);
        const double W = std::max(doc->sheetWidth, 1.0), H = std::max(doc->sheetHeight, 1.0);
        const QPointF origin(box.center().x() - k * W / 2.0, box.center().y() + k * H / 2.0);
        FigureDeviceMap map;
        map.pixelsPerMm = k;
        map.toDevice = [origin, k](Point2 q) {
            return QPointF(origin.x() + k * q.x, origin.y() - k * q.y);
        };
        QPen bold(QColor(200, 30, 30), 0.45 * s_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        paintFigureItems(p_, critical, map, [&bold](const FigureItem&) { return bold; });
        p_.restore();
    }

    void rule(double x0, double y0, double x1, double y1, int weight)
    {
        p_.setPen(QPen(Qt::black, (weight == 2 ? 0.42 : 0.18) * s_, Qt::SolidLine, Qt::FlatCap));
        p_.drawLine(QPointF(x(x0), y(y0)), QPointF(x(x1), y(y1)));
    }

    void line(const std::string& utf8, double top)
    {
        p_.setFont(body_);
        p_.setPen(Qt::black);
        const double baseline = top + kLinePitchMm * 0.78;
        int col = 0;
        for (char32_t c : decodeUtf8(utf8)) {
            const int w = reportColumnWidth(c);
            if (col + w > kReportPageColumns) break;
            const double left = kLeftMm + col * kColumnMm;
            Arms a;
            if (boxArms(c, a)) {
                const double cx = left + w * kColumnMm / 2, cy = top + kLinePitchMm / 2;
                const double right = left + w * kColumnMm, bottom = top + kLinePitchMm;
                // Horizontal arms overlap the vertical ones a little so corners close.
                const double ext = (a.u == 2 || a.d == 2) ? 0.21 : 0.09;
                const double extH = (a.l == 2 || a.r == 2) ? 0.21 : 0.09;
                if (a.l) rule(left, cy, a.r ? cx : cx + ext, cy, a.l);
                if (a.r) rule(a.l ? cx : cx - ext, cy, right, cy, a.r);
                if (a.u) rule(cx, top, cx, a.d ? cy : cy + extH, a.u);
                if (a.d) rule(cx, a.u ? cy : cy - extH, cx, bottom, a.d);
                p_.setPen(Qt::black);
            } else if (c != U' ' && c != U'　') {
                p_.drawText(QPointF(x(left), y(baseline)), QString::fromUcs4(&c, 1));
            }
            col += w;
        }
    }

    QPainter& p_;
    double s_, ox_, oy_;
    QFont body_, small_;
};

} // namespace

QString reportFontFamily()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* f : {"IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP"})
            if (families.contains(QString::fromUtf8(f))) return QString::fromUtf8(f);
        return QStringLiteral("Monospace");
    }();
    return family;
}

void paintReportPage(QPainter& painter, const ReportPage& page, double pixelsPerMm, double originX,
                     double originY)
{
    PagePainter(painter, pixelsPerMm, originX, originY).paint(page);
}

bool paintReportPages(const ReportLayout& layout, QPagedPaintDevice& device, int fromPage,
                      int toPage)
{
    const int n = static_cast<int>(layout.pages.size());
    const int first = fromPage > 0 ? fromPage - 1 : 0;
    const int last = toPage > 0 ? std::min(toPage, n) - 1 : n - 1;
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const double pxPerMm = device.logicalDpiX() / 25.4;
    const QRectF paper = device.pageLayout().fullRectPixels(device.logicalDpiX());
    const QRectF printable = device.pageLayout().paintRectPixels(device.logicalDpiX());
    // Device coordinates start at the printable area; the paper's corner lies before it.
    const double ox = paper.left() - printable.left();
    const double oy = paper.top() - printable.top();
    for (int i = first; i <= last; ++i) {
        if (i > first && !device.newPage()) return false;
        paintReportPage(painter, layout.pages[static_cast<std::size_t>(i)], pxPerMm, ox, oy);
    }
    painter.end();
    return true;
}

bool exportReportPdf(const ReportLayout& layout, const QString& path, QString* error)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("KELTORA 計算書"));
    writer.setCreator(QStringLiteral("KELTORA"));
    if (layout.pages.empty()) {
        // An empty report still gives a valid PDF with one blank page.
        QPainter p;
        if (!p.begin(&writer)) {
            if (error) *error = QStringLiteral("PDF ファイルを作成できません: ") + path;
            return false;
        }
        p.end();
        return true;
    }
    if (!paintReportPages(layout, writer)) {
        if (error) *error = QStringLiteral("PDF ファイルを作成できません: ") + path;
        return false;
    }
    return true;
}

} // namespace keltora
