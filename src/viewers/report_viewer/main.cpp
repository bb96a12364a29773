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
#include <filesystem>

#include "output/report_layout.h"
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

class ViewerWindow : public QMainWindow {
  public:
    explicit ViewerWindow(ReportLayout layout) : layout_(std::move(layout))
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
        bar->addAction(QStringLiteral("閉じる"), QKeySequence::Close, this, [this] { close(); });
        statusBar()->showMessage(layout_.warnings.empty()
                                     ? QStringLiteral("%1 ページ").arg(layout_.pages.size())
                                     : QString::fromStdString(layout_.warnings.front()));
        resize(900, 1000);
    }

  private:
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
    PageView* view_ = nullptr;
    QSpinBox* spin_ = nullptr;
};

int usage()
{
    std::fprintf(stderr, "usage: keltora-report-viewer [/PDTOPEN] [--forms DIR] [--pdf OUT.pdf] "
                         "[--text] [--screenshot PNG] [FOLDER | FILE.PDT ...]\n"
                         "  /PDTOPEN   read DirPath.inf in the current folder\n"
                         "  --text     print the laid-out pages as text\n"
                         "  --screenshot PNG  show the window, save it as an image and quit\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString pdf, formsDir, shot;
    QStringList inputs;
    bool handOff = false, asText = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.compare(QStringLiteral("/PDTOPEN"), Qt::CaseInsensitive) == 0)
            handOff = true;
        else if (a == QStringLiteral("--pdf") && i + 1 < args.size())
            pdf = args[++i];
        else if (a == QStringLiteral("--text"))
            asText = true;
        else if (a == QStringLiteral("--screenshot") && i + 1 < args.size())
            shot = args[++i];
        else if (a == QStringLiteral("--forms") && i + 1 < args.size())
            formsDir = args[++i];
        else if (a == QStringLiteral("--help") || a == QStringLiteral("-h"))
            return usage();
        else if (a.startsWith(QStringLiteral("--")))
            return usage();
        else
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
            problem = QStringLiteral("DirPath.inf を読めません: ") + QString::fromStdString(error);
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
    if (problem.isEmpty() && files.empty()) files = reportFilesInFolder(folder);

    const fs::path programDir = QCoreApplication::applicationDirPath().toStdString();
    FormLibrary forms(reportFormFolders(folder, formsDir.toStdString(), programDir));
    ReportLayout layout = layoutReport(folder, files, forms);
    for (const auto& w : layout.warnings)
        std::fprintf(stderr, "%s\n", w.c_str());

    if (asText) {
        for (const auto& page : layout.pages) {
            std::printf("---- %d / %d  %s\n", page.number, page.count, page.documentTitle.c_str());
            for (const auto& l : page.lines)
                std::printf("%s\n", l.c_str());
        }
        return 0;
    }
    if (!pdf.isEmpty()) {
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
            return 1;
        }
        QString error;
        if (!exportReportPdf(layout, pdf, &error)) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return 1;
        }
        return 0;
    }
    ViewerWindow window(std::move(layout));
    window.show();
    if (!shot.isEmpty()) {
        // The window as shown, saved to an image (for checks without a screen).
        QTimer::singleShot(200, &window, [&window, shot] {
            window.grab().save(shot);
            window.close();
        });
    } else if (!problem.isEmpty()) {
        QMessageBox::warning(&window, QStringLiteral("error"), problem);
    }
    return app.exec();
}
