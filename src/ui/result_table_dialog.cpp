// The result table viewer: tab bar of levels, the table grid with frozen x and y headers,
// the map tab beside it, the close button and the remembered window size.
#include "ui/result_table_dialog.h"
#include "ui/safety_map_view.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

namespace keltora::ui {
namespace {

// Default cell size of the grid (pixels).
constexpr int kRowHeight = 20;
constexpr int kColumnWidth = 64;

// Paints the corner text of the grid on the table's corner button.
class CornerPainter : public QObject {
  public:
    CornerPainter(QAbstractButton* button, QString text)
        : QObject(button), button_(button), text_(std::move(text))
    {
        button->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != button_ || event->type() != QEvent::Paint) return false;
        QStyleOptionHeader opt;
        opt.initFrom(button_);
        // The corner is no button here: drawn as an enabled header, never greyed.
        opt.state |= QStyle::State_Raised | QStyle::State_Enabled;
        opt.palette.setCurrentColorGroup(QPalette::Active);
        opt.rect = button_->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = text_;
        opt.textAlignment = Qt::AlignCenter;
        QStylePainter painter(button_);
        painter.drawControl(QStyle::CE_Header, opt);
        return true;
    }

  private:
    QAbstractButton* button_;
    QString text_;
};

QTableWidgetItem* headerItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return item;
}

} // namespace

ResultTableDialog::ResultTableDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAns_Frm"));
    setWindowTitle(tr("計算結果表示"));
    setSizeGripEnabled(true);

    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("TabControl1Frame"));
    tabs_ = new QTabBar(frame);
    tabs_->setObjectName(QStringLiteral("TabControl1"));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(true);

    // The numbers and the map of the selected level, as two pages with their tabs below
    // (the level tabs stay on top).
    views_ = new QTabWidget(frame);
    views_->setObjectName(QStringLiteral("ViewTabs"));
    views_->setTabPosition(QTabWidget::South);
    views_->setDocumentMode(true);
    grid_ = new QTableWidget(views_);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection); // keeps the colours readable
    grid_->setWordWrap(false);
    grid_->setCornerButtonEnabled(true); // selects nothing (no selection), drawn enabled
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setMinimumSectionSize(kColumnWidth);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->setHighlightSections(false);
    grid_->setStyleSheet(
        QStringLiteral("QTableWidget { background: white; gridline-color: #c0c0c0; }"));
    const QString corner = QString::fromUtf8(kResultTableCornerText);
    grid_->verticalHeader()->setMinimumWidth(
        grid_->verticalHeader()->fontMetrics().horizontalAdvance(corner + QStringLiteral("00")));
    if (auto* button = grid_->findChild<QAbstractButton*>()) new CornerPainter(button, corner);

    note_ = new QLabel(frame);
    note_->setObjectName(QStringLiteral("Label1"));
    note_->setWordWrap(true);
    note_->hide();

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);
    frameLayout->addWidget(tabs_);
    mapView_ = new SafetyMapView(views_);
    views_->addTab(grid_, tr("数値"));
    views_->addTab(mapView_, tr("安全率分布図"));
    frameLayout->addWidget(views_, 1);
    frameLayout->addWidget(note_);

    close_ = new QPushButton(tr("閉じる"), this);
    close_->setObjectName(QStringLiteral("Button1"));
    close_->setMinimumWidth(96);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(frame, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!filling_) fillGrid(index);
    });
    resize(kDefaultSize);
}

void ResultTableDialog::setResults(std::shared_ptr<const CalculationResults> results)
{
    results_ = std::move(results);
    filling_ = true;
    while (tabs_->count() > 0)
        tabs_->removeTab(0);
    levels_ = results_ ? resultTableLevels(*results_) : std::vector<int>{};
    for (int level : levels_)
        tabs_->addTab(QString::fromStdString(resultTableTabText(level)));
    filling_ = false;
    if (!levels_.empty()) tabs_->setCurrentIndex(0);
    fillGrid(levels_.empty() ? -1 : 0);
}

void ResultTableDialog::setMapContext(double allowable, bool circleCentres)
{
    allowable_ = allowable;
    circleCentres_ = circleCentres;
}

void ResultTableDialog::selectTab(int index)
{
    if (index == tabs_->currentIndex())
        fillGrid(index);
    else
        tabs_->setCurrentIndex(index);
}

void ResultTableDialog::fillGrid(int tabIndex)
{
    grid_->clear();
    table_ = ResultTable{};
    if (results_ && tabIndex >= 0 && tabIndex < static_cast<int>(levels_.size()))
        table_ = buildResultTable(*results_, levels_[static_cast<std::size_t>(tabIndex)]);

    const int columns = table_.columns(), rows = table_.rows();
    grid_->setColumnCount(columns);
    grid_->setRowCount(rows);
    const auto text = [this](int c, int r) {
        return QString::fromStdString(resultTableCellText(table_, c, r));
    };
    for (int c = 1; c <= columns; ++c)
        grid_->setHorizontalHeaderItem(c - 1, headerItem(text(c, 0)));
    for (int r = 1; r <= rows; ++r)
        grid_->setVerticalHeaderItem(r - 1, headerItem(text(0, r)));
    const QBrush white(Qt::white), red(QColor(255, 0, 0)), blue(QColor(0, 0, 255));
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= columns; ++c) {
            auto* item = new QTableWidgetItem(text(c, r));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setBackground(white);
            item->setForeground(
                resultTableCellStyle(table_, c, r) == ResultCellStyle::Minimum ? red : blue);
            grid_->setItem(r - 1, c - 1, item);
        }
    }

    const int level = tabIndex >= 0 && tabIndex < static_cast<int>(levels_.size())
                          ? levels_[static_cast<std::size_t>(tabIndex)]
                          : 0;
    mapView_->setMap(results_ && level > 0 && circleCentres_ ? buildSafetyMap(*results_, level)
                                                             : SafetyMap{},
                     allowable_);
    views_->setTabEnabled(1, circleCentres_);
    views_->setTabToolTip(1, circleCentres_ ? QString()
                                            : tr("直線すべりの結果には円の中心がないため、"
                                                 "安全率分布図はありません。"));
    if (!circleCentres_) views_->setCurrentIndex(0);

    if (levels_.empty()) {
        note_->setText(tr("表示できる計算結果がありません。"));
        note_->show();
    } else if (table_.recordsLeftOut > 0) {
        note_->setText(
            tr("X または Y の値が %1 個を超えたため、%2 件の結果は表に含まれていません。")
                .arg(kResultTableCapacity)
                .arg(static_cast<qulonglong>(table_.recordsLeftOut)));
        note_->show();
    } else {
        note_->hide();
    }
}

void ResultTableDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (isVisible()) emit sizeChanged(size());
}

} // namespace keltora::ui
