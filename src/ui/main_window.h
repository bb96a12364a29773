// The main window TMain_Frm: menus and tool bar, the section view with its scroll bars,
// the coordinate readout (Panel2) and the guide line (Panel3), and the document commands
// of the file menu. The calculation, the dialogs and the mouse edit modes wire their
// commands in main_window_calc.cpp, main_window_dialogs.cpp and main_window_modes.cpp.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <memory>

#include "edit/view_transform.h"
#include "model/sdw_file.h"
#include "output/figure.h"
#include "ui/app_settings.h"
#include "ui/question_asker.h"
#include "ui/section_document.h"
#include "ui/section_view.h"

class QLabel;
class QScrollBar;
class QToolBar;
class QMenu;

namespace keltora::ui {

class DialogDocument;
class DialogHost;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Reads the settings file of `startDirectory`, resets the document and fits the view.
    explicit MainWindow(std::filesystem::path startDirectory, QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- what the other parts of the window use
    SectionDocument& sectionDocument() { return *document_; }
    SectionView& view() { return *view_; }
    AppSettings& settings() { return settings_; }
    const std::filesystem::path& startDirectory() const { return startDirectory_; }
    // A message box with the message's caption.
    void showMessage(const Message& message);
    // Several messages in one box (the caption of the first).
    void showMessages(const MessageList& messages);
    QuestionAsker& asker() { return *asker_; }
    // The window and its document as the dialogs see them (main_window_dialogs.cpp): the
    // edit modes open the block, coordinate and parallel-line dialogs with these.
    DialogHost& dialogHost();
    DialogDocument& dialogDocument();
    // Tests answer the questions and file dialogs themselves (not owned; null = the real
    // dialogs again).
    void setAsker(QuestionAsker* asker);
    void setGuideText(const QString& text); // Panel3
    QString guideText() const;
    QString coordinateText() const; // Panel2
    // All show: fit the whole section, set the scroll bars, redraw.
    void fitAll();
    // The full redraw. Variants 1 and 2 (the point and line table editors) draw the terrain
    // of the model as changed by the preview function set with setDrawPreview.
    void redraw(int variant = 0);
    void setDrawPreview(std::function<void(SlopeModel&)> preview);
    // A command of the menus or the tool bar by its objectName (null when none).
    QAction* action(const QString& objectName) const;
    QMenu* menu(const QString& objectName) const;
    // The area commands (101/102/111/112); the edit modes end them when another command
    // starts.
    const AreaZoom& areaZoom() const { return areaZoom_; }
    void cancelAreaCommand();
    // The window caption of the current document.
    QString documentCaption() const;

    // ---- the document commands (the menu items call these)
    void newDocument();
    void openDocument();                // asks for the file
    bool openFile(const QString& path); // as "開く(&O)" after the dialog
    void openRecent(int k);             // k = 0..4
    void loadPart(SdwPart part);        // asks for the file
    bool loadPartFrom(SdwPart part, const QString& path);
    bool save();           // false: cancelled or failed
    bool saveAs();         // false: cancelled or failed
    bool confirmDiscard(); // true: proceed
    void zoomIn();
    void zoomOut();
    void startAreaCommand(bool enlarge);
    void printerSetup();
    void openHelp();
    // The manual's index page (empty when it cannot be found).
    QUrl helpUrl() const;
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // Writes the settings file once (close); later calls do nothing.
    void writeSettingsOnce();

  signals:
    // An area command started / ended: the edit modes keep and restore their state.
    void areaCommandStarted();
    void areaCommandEnded();
    // The editing mode must return to none (new, open, partial loads).
    void editingReset();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    void wireOwnCommands();
    void wireCalculation(); // main_window_calc.cpp
    void wireDialogs();     // main_window_dialogs.cpp
    void wireEditModes();   // main_window_modes.cpp

    QAction* makeAction(const char* name, const char* text);
    void mine(const char* name, std::function<void()> slot);
    void refreshRecentMenu();
    void refreshMenus();
    void updateCaption();
    void applyScrollState();
    void onScroll();
    bool onViewMouse(SectionView::MouseKind kind, QPoint px);
    void updateRubberBand();
    void afterLoad(const ReadResult& r, bool whole);
    QString dialogDirectory() const;

    std::filesystem::path startDirectory_;
    AppSettings settings_;
    // The open file was read with values missing or unreadable: saving goes to a name the
    // user picks, so that the file as it is on disk is not overwritten by what was read.
    bool readWithLoss_ = false;
    SectionDocument* document_ = nullptr;
    SectionView* view_ = nullptr;
    QScrollBar* hbar_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    QLabel* panel2_ = nullptr;
    QLabel* panel3_ = nullptr;
    QToolBar* panel1_ = nullptr;
    std::unique_ptr<DialogAsker> dialogAsker_;
    QuestionAsker* asker_ = nullptr;
    AreaZoom areaZoom_;
    ScrollState scroll_;
    Figure figure_;
    quint64 figureRevision_ = ~quint64{0};
    std::function<void(SlopeModel&)> preview_;
    std::function<bool(const QUrl&)> urlOpener_;
    bool settingsWritten_ = false;
    bool shownOnce_ = false;
};

} // namespace keltora::ui
