// The mouse edit modes in the main window: the menu commands enter modes, the view's clicks
// go to the mode machine, questions and dialogs are asked over the current marks, changes
// go through the document, and the marks, rubber line and highlights are painted over the
// view.
#pragma once

#include <QObject>

#include <functional>
#include <optional>

#include "edit/edit_modes.h"
#include "geometry/section_checks.h"

class QPainter;

namespace keltora {
class ViewTransform;
}

namespace keltora::ui {

class MainWindow;

class EditModeWiring : public QObject, public EditHost {
    Q_OBJECT
  public:
    explicit EditModeWiring(MainWindow& window);

    EditController& controller() { return controller_; }
    // The guide line, the XY button and the view follow the session.
    void sync();
    // A menu command of a mode.
    void enterMode(int mode);
    void leftClick(Point2 p);
    void rightClick(Point2 p);
    void mouseMove(Point2 p);
    void xyButton();
    // The document was undone, redone or replaced: the picks start again.
    void modelReplaced();
    // The new-document reset, loads: no mode.
    void resetMode();

    // The connection check and the block check: drawn over the view until the next change
    // of the document or of the mode.
    void showCheck(CheckDrawing drawing);
    void clearCheck();

    // Draws the marks of the current mode (and of an open question) over the view.
    void paint(QPainter& painter, const ViewTransform& view) const;

    // EditHost
    bool confirm(const std::string& question, const Marks& marks) override;
    bool openDialog(DialogRequest& request, const Marks& marks) override;

    // The dialogs the modes open; tests and the dialog units replace them.
    using DialogOpener = std::function<bool(DialogRequest&)>;
    void setDialogOpener(DialogOpener opener) { opener_ = std::move(opener); }

  private:
    const std::vector<SafetyLabel>* labels() const;
    void apply(EditOutcome outcome);

    MainWindow& window_;
    EditController controller_;
    std::optional<Marks> shown_; // marks of an open question or dialog
    std::optional<CheckDrawing> check_;
    DialogOpener opener_;
};

// The dialogs the modes open in the window: the coordinate input, the block dialog and the
// parallel line distance.
EditModeWiring::DialogOpener defaultModeDialogs(MainWindow& window);

} // namespace keltora::ui
