// keltora-report-viewer: shows the report data files of a calculation as A4 pages, prints
// them and exports PDF. Started with "/PDTOPEN" it reads "DirPath.inf" in its current folder.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "output/report_layout.h"
#include "output/report_summary.h"
#include "render/qt_environment.h"
#include "render/report_painter.h"

namespace fs = std::filesystem;
using namespace keltora;

namespace {

class PageView : public QWidget {
  public:
    explicit PageView(const ReportLayout& layout) : layout_(layout) { updateSize(); }

    int page() const { return page_; }
    void setPage(int p)
    {
        page_ = std::clamp(p, 0, std::max(0, static_cast<int>(layout_.pages.size()) - 1));
        update();
    }
    double zoom() const { return zoom_; }
    void setZoom(double z)
    {
        zoom_ = std::clamp(z, 0.25, 6.0);
        updateSize();
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(128, 128, 128));
        const double s = pxPerMm();
        const double ox = (width() - kReportPageWidthMm * s) / 2;
        p.fillRect(QRectF(ox + 3, kMargin + 3, kReportPageWidthMm * s, kReportPageHeightMm * s),
                   QColor(70, 70, 70));
        if (layout_.pages.empty()) {
            p.fillRect(QRectF(ox, kMargin, kReportPageWidthMm * s, kReportPageHeightMm * s),
                       Qt::white);
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("表示するページがありません"));
            return;
        }
        paintReportPage(p, layout_.pages[static_cast<std::size_t>(page_)], s, ox, kMargin);
    }

  private:
    static constexpr int kMargin = 12;
    double pxPerMm() const { return zoom_ * logicalDpiX() / 25.4; }
    void updateSize()
    {
        const double s = pxPerMm();
        setMinimumSize(static_cast<int>(kReportPageWidthMm * s) + 2 * kMargin,
                       static_cast<int>(kReportPageHeightMm * s) + 2 * kMargin);
        resize(minimumSize());
    }

    const ReportLayout& layout_;
    int page_ = 0;
    double zoom_ = 1.0;
};

// Lays the report out again for another choice of pages; empty when the pages were named
// one by one (the choice does not apply then).
using Relayout = std::function<ReportLayout(ReportSelection)>;

class ViewerWindow : public QMainWindow {
  public:
    ViewerWindow(ReportLayout layout, Relayout relayout, ReportSelection selection)
        : layout_(std::move(layout)), relayout_(std::move(relayout))
    {
        setWindowTitle(QStringLiteral("KELTORA 計算書ビューア"));
        view_ = new PageView(layout_);
        auto* scroll = new QScrollArea;
        scroll->setWidget(view_);
        scroll->setAlignment(Qt::AlignHCenter);
        scroll->setBackgroundRole(QPalette::Dark);
        setCentralWidget(scroll);

        auto* bar = addToolBar(QStringLiteral("ページ"));
        bar->addAction(QStringLiteral("印刷..."), QKeySequence::Print, this, [this] { print(); });
        bar->addAction(QStringLiteral("PDF 保存..."), QKeySequence::Save, this,
                       [this] { savePdf(); });
        bar->addSeparator();
        bar->addAction(QStringLiteral("◀ 前"), QKeySequence::MoveToPreviousPage, this,
                       [this] { go(view_->page() - 1); });
        spin_ = new QSpinBox;
        spin_->setRange(1, std::max<int>(1, static_cast<int>(layout_.pages.size())));
        spin_->setSuffix(QStringLiteral(" / %1").arg(layout_.pages.size()));
        connect(spin_, &QSpinBox::valueChanged, this, [this](int v) { go(v - 1); });
        bar->addWidget(spin_);
        bar->addAction(QStringLiteral("次 ▶"), QKeySequence::MoveToNextPage, this,
                       [this] { go(view_->page() + 1); });
        bar->addSeparator();
        bar->addAction(QStringLiteral("縮小"), QKeySequence::ZoomOut, this,
                       [this] { view_->setZoom(view_->zoom() / 1.25); });
        bar->addAction(QStringLiteral("拡大"), QKeySequence::ZoomIn, this,
                       [this] { view_->setZoom(view_->zoom() * 1.25); });
        bar->addAction(QStringLiteral("100%"), this, [this] { view_->setZoom(1.0); });
        bar->addSeparator();
        // The whole report, or the summary with the check list and the minimum pages.
        summaryOnly_ = bar->addAction(QStringLiteral("要約のみ"));
        summaryOnly_->setObjectName(QStringLiteral("summaryOnly"));
        summaryOnly_->setCheckable(true);
        summaryOnly_->setChecked(selection == ReportSelection::Summary);
        summaryOnly_->setEnabled(static_cast<bool>(relayout_));
        summaryOnly_->setToolTip(QStringLiteral(
            "要約・チェックリスト・最小安全率のページだけを表示します（印刷と PDF 保存も同じ）"));
        connect(summaryOnly_, &QAction::toggled, this, [this](bool on) {
            if (!relayout_) return;
            layout_ = relayout_(on ? ReportSelection::Summary : ReportSelection::Full);
            spin_->setRange(1, std::max<int>(1, static_cast<int>(layout_.pages.size())));
            spin_->setSuffix(QStringLiteral(" / %1").arg(layout_.pages.size()));
            go(0);
            showStatus();
        });
        bar->addSeparator();
        bar->addAction(QStringLiteral("閉じる"), QKeySequence::Close, this, [this] { close(); });
        showStatus();
        resize(900, 1000);
    }

  private:
    void showStatus()
    {
        statusBar()->showMessage(layout_.warnings.empty()
                                     ? QStringLiteral("%1 ページ").arg(layout_.pages.size())
                                     : QString::fromStdString(layout_.warnings.front()));
    }

    void go(int p)
    {
        view_->setPage(p);
        const QSignalBlocker block(spin_);
        spin_->setValue(view_->page() + 1);
    }

    void print()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setFullPage(true);
        printer.setFromTo(1, static_cast<int>(layout_.pages.size()));
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
        const bool range = printer.printRange() == QPrinter::PageRange;
        if (!paintReportPages(layout_, printer, range ? printer.fromPage() : 0,
                              range ? printer.toPage() : 0))
            QMessageBox::warning(this, QStringLiteral("error"),
                                 QStringLiteral("印刷できませんでした。"));
    }

    void savePdf()
    {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF に保存"),
                                                          QStringLiteral("report.pdf"),
                                                          QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty()) return;
        QString error;
        if (!exportReportPdf(layout_, path, &error))
            QMessageBox::warning(this, QStringLiteral("error"), error);
    }

    ReportLayout layout_;
    Relayout relayout_;
    PageView* view_ = nullptr;
    QSpinBox* spin_ = nullptr;
    QAction* summaryOnly_ = nullptr;
};

int usage(std::FILE* to, int code)
{
    std::fprintf(to, "usage: keltora-report-viewer [/PDTOPEN] [--forms DIR] [--summary] "
                     "[--pdf OUT.pdf] [--text] [--screenshot PNG] [FOLDER | FILE.PDT ...]\n"
                     "  /PDTOPEN   read DirPath.inf in the current folder\n"
                     "  --summary  of a folder, show the summary, the check list and the minimum\n"
                     "             factor of safety pages only (the window can switch)\n"
                     "  --forms DIR  look for report forms in DIR first\n"
                     "  --pdf OUT  write the report to OUT.pdf, no window\n"
                     "  --text     print the laid-out pages as text, no window\n"
                     "  --screenshot PNG  show the window, save it as an image and quit\n"
                     "Exit codes: 0 shown or written, 1 no input, unreadable input, no page or an\n"
                     "output that cannot be written, 2 a wrong option.\n");
    return code;
}

bool hasOption(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Help and the modes that show no window need neither a display nor an application.
    if (hasOption(argc, argv, "--help") || hasOption(argc, argv, "-h")) return usage(stdout, 0);
    const bool headless = hasOption(argc, argv, "--pdf") || hasOption(argc, argv, "--text");
    prepareQtEnvironment(headless);
    routeQtMessages();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString pdf, formsDir, shot;
    QStringList inputs;
    bool handOff = false, asText = false, summaryOnly = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto needsValue = [&]() {
            if (i + 1 < args.size()) return true;
            std::fprintf(stderr, "keltora-report-viewer: %s needs a value\n",
                         a.toLocal8Bit().constData());
            return false;
        };
        if (a.compare(QStringLiteral("/PDTOPEN"), Qt::CaseInsensitive) == 0)
            handOff = true;
        else if (a == QStringLiteral("--pdf")) {
            if (!needsValue()) return usage(stderr, 2);
            pdf = args[++i];
        } else if (a == QStringLiteral("--text"))
            asText = true;
        else if (a == QStringLiteral("--summary"))
            summaryOnly = true;
        else if (a == QStringLiteral("--screenshot")) {
            if (!needsValue()) return usage(stderr, 2);
            shot = args[++i];
        } else if (a == QStringLiteral("--forms")) {
            if (!needsValue()) return usage(stderr, 2);
            formsDir = args[++i];
        } else if (a.startsWith(QStringLiteral("--"))) {
            std::fprintf(stderr, "keltora-report-viewer: unknown option %s\n",
                         a.toLocal8Bit().constData());
            return usage(stderr, 2);
        } else
            inputs << a;
    }

    fs::path folder;
    std::vector<std::string> files;
    QString problem;
    if (handOff || inputs.isEmpty()) {
        std::string error;
        if (auto h = readReportHandOff("DirPath.inf", &error)) {
            folder = h->folder;
            files = h->files;
        } else {
            std::error_code ec;
            problem = QStringLiteral("%1 を読めません: %2")
                          .arg(QString::fromStdString(fs::absolute("DirPath.inf", ec).string()),
                               QString::fromStdString(error));
        }
    } else if (inputs.size() == 1 && fs::is_directory(inputs[0].toStdString())) {
        folder = inputs[0].toStdString();
    } else {
        for (const QString& f : inputs) {
            const fs::path p = f.toStdString();
            folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
            files.push_back(p.filename().string());
        }
    }
    const ReportSelection selection =
        summaryOnly ? ReportSelection::Summary : ReportSelection::Full;
    const bool wholeFolder = problem.isEmpty() && files.empty();
    if (wholeFolder) {
        files = reportFilesForSelection(folder, selection);
        if (files.empty()) {
            std::error_code ec;
            problem = QStringLiteral("%1 に計算書データ(SB_*.PDT)がありません")
                          .arg(QString::fromStdString(fs::absolute(folder, ec).string()));
        }
    }

    const fs::path programDir = QCoreApplication::applicationDirPath().toStdString();
    FormLibrary forms(reportFormFolders(folder, formsDir.toStdString(), programDir));
    ReportLayout layout;
    if (problem.isEmpty()) {
        // Every file must read: a report with a missing part would look complete.
        for (const std::string& name : files) {
            std::error_code ec;
            const fs::path p = folder / name;
            if (!fs::is_regular_file(p, ec))
                problem = QStringLiteral("%1 がありません")
                              .arg(QString::fromStdString(fs::absolute(p, ec).string()));
            else if (fs::file_size(p, ec) == 0)
                problem = QStringLiteral("%1 は空です")
                              .arg(QString::fromStdString(fs::absolute(p, ec).string()));
            if (!problem.isEmpty()) break;
        }
    }
    if (problem.isEmpty()) {
        layout = layoutReport(folder, files, forms);
        for (const auto& w : layout.warnings)
            std::fprintf(stderr, "%s\n", w.c_str());
        if (layout.pages.empty()) problem = QStringLiteral("表示するページがありません");
    }
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "keltora-report-viewer: %s\n", problem.toLocal8Bit().constData());
        if (!headless && shot.isEmpty())
            QMessageBox::warning(nullptr, QStringLiteral("error"), problem);
        return 1;
    }

    if (asText) {
        for (const auto& page : layout.pages) {
            std::printf("---- %d / %d  %s\n", page.number, page.count, page.documentTitle.c_str());
            for (const auto& l : page.lines)
                std::printf("%s\n", l.c_str());
        }
        if (pdf.isEmpty()) return 0;
    }
    if (!pdf.isEmpty()) {
        QString error;
        if (!exportReportPdf(layout, pdf, &error)) {
            std::fprintf(stderr, "keltora-report-viewer: %s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    Relayout relayout;
    if (wholeFolder)
        relayout = [folder, &forms](ReportSelection s) {
            return layoutReport(folder, reportFilesForSelection(folder, s), forms);
        };
    ViewerWindow window(std::move(layout), relayout, selection);
    window.show();
    if (!shot.isEmpty()) {
        // The window as shown, saved to an image (for checks without a screen).
        bool saved = false;
        QTimer::singleShot(200, &window, [&window, &saved, shot] {
            saved = window.grab().save(shot);
            window.close();
        });
        app.exec();
        if (!saved)
            std::fprintf(stderr, "keltora-report-viewer: cannot write %s\n",
                         shot.toLocal8Bit().constData());
        return saved ? 0 : 1;
    }
    return app.exec();
}
