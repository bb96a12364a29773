// The result table viewer: per search level (one tab each) the smallest factor of safety
// at every centre or start point, rows of y descending, columns of x in search order, the
// level minimum in red; beside the numbers a second tab with the factor-of-safety map.
#pragma once

#include <QDialog>
#include <QSize>
#include <memory>
#include <vector>

#include "edit/result_table.h"

class QLabel;
class QPushButton;
class QTabBar;
class QTableWidget;
class QTabWidget;

namespace keltora::ui {

class SafetyMapView;

class ResultTableDialog : public QDialog {
    Q_OBJECT
  public:
    // Entry of the window-size memory that this window uses.
    static constexpr int kWindowSizeEntry = 13;
    static constexpr QSize kDefaultSize{640, 460};

    explicit ResultTableDialog(QWidget* parent = nullptr);

    // Rebuilds the tabs (one per level with stored records) and fills the grid of the
    // first tab. The results are only read.
    void setResults(std::shared_ptr<const CalculationResults> results);

    // What the map tab needs of the section: the allowable factor of safety (colours and
    // its contour line) and whether the results are circle centres (a straight slip's
    // start points make no map: the tab is then disabled). Takes effect at the next fill.
    void setMapContext(double allowable, bool circleCentres);

    // Selects a tab (0-based) and fills the grid for its level.
    void selectTab(int index);
    const ResultTable& table() const { return table_; }
    const std::vector<int>& levels() const { return levels_; }

    QTabBar* tabBar() const { return tabs_; }
    QTableWidget* grid() const { return grid_; }
    // The numbers (tab 0) and the map (tab 1).
    QTabWidget* viewTabs() const { return views_; }
    SafetyMapView* mapView() const { return mapView_; }

  signals:
    // The user resized the window: the size to remember for the next opening.
    void sizeChanged(QSize size);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fillGrid(int tabIndex);

    QTabBar* tabs_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QTabWidget* views_ = nullptr;
    SafetyMapView* mapView_ = nullptr;
    double allowable_ = 0.0;
    bool circleCentres_ = true;
    QLabel* note_ = nullptr;
    QPushButton* close_ = nullptr;
    std::shared_ptr<const CalculationResults> results_;
    std::vector<int> levels_;
    ResultTable table_;
    bool filling_ = false;
};

} // namespace keltora::ui
