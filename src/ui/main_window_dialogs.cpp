// The dialog commands of the main window: conditions, circle and line settings, drawing
// and display settings, table editors, the DXF import. Wired here so that merges stay apart.
#include <QAction>
#include <QObject>

#include "ui/calc_conditions_dialog.h"
#include "ui/cohesion_line_dialog.h"
#include "ui/dialog_host.h"
#include "ui/display_settings_dialog.h"
#include "ui/draw_settings_dialog.h"
#include "ui/dxf_import_dialog.h"
#include "ui/main_window.h"
#include "ui/point_table_dialog.h"
#include "ui/question_asker.h"
#include "ui/section_document.h"
#include "ui/sheet_pile_dialog.h"
#include "ui/slip_settings_dialog.h"

namespace keltora::ui {

namespace {

// The window and its document as the dialogs see them. A child of the window.
class WindowDialogs final : public QObject, public DialogHost, public DialogDocument {
  public:
    explicit WindowDialogs(MainWindow& window) : QObject(&window), window_(window)
    {
        setObjectName(QStringLiteral("WindowDialogs"));
    }

    // ---- DialogHost
    QSize windowSize(int entry) const override { return window_.settings().windowSize(entry); }
    void rememberWindowSize(int entry, QSize size) override
    {
        window_.settings().rememberWindowSize(entry, size);
    }
    void tell(const Message& message) override { window_.showMessage(message); }
    QString openFileName(const QString& title, const QString& filter) override
    {
        return window_.asker().openFileName(title, window_.settings().dataDirectory(), filter);
    }
    QString dataDirectory() const override { return window_.settings().dataDirectory(); }
    void setDataDirectory(const QString& directory) override
    {
        window_.settings().setDataDirectory(directory);
    }
    void redraw(int variant) override { window_.redraw(variant); }
    void fitAll() override { window_.fitAll(); }
    void setDrawPreview(std::function<void(SlopeModel&)> preview) override
    {
        window_.setDrawPreview(std::move(preview));
    }

    // ---- DialogDocument
    const SlopeModel& model() const override { return document().model(); }
    bool edit(const QString& undoText, DialogChange kind,
              const std::function<bool(SlopeModel&)>& change) override
    {
        // The dialog rules set calcState themselves; Figure adds modified = 1 only.
        return document().edit(
            undoText, kind == DialogChange::Display ? ChangeKind::Display : ChangeKind::Figure,
            change);
    }
    void replaceModel(const QString& undoText, SlopeModel model) override
    {
        document().replaceModel(undoText, std::move(model));
    }
    const CalculationResults* validResults() const override
    {
        return document().hasValidResults() ? document().results() : nullptr;
    }
    void setResults(std::shared_ptr<CalculationResults> results) override
    {
        document().setResults(std::move(results));
    }

  private:
    SectionDocument& document() const { return window_.sectionDocument(); }
    MainWindow& window_;
};

WindowDialogs& windowDialogs(MainWindow& window)
{
    auto* w = window.findChild<WindowDialogs*>(QStringLiteral("WindowDialogs"),
                                               Qt::FindDirectChildrenOnly);
    return w ? *w : *new WindowDialogs(window);
}

} // namespace

DialogHost& MainWindow::dialogHost()
{
    return windowDialogs(*this);
}

DialogDocument& MainWindow::dialogDocument()
{
    return windowDialogs(*this);
}

void MainWindow::wireDialogs()
{
    auto wire = [this](const char* name, std::function<void()> run) {
        QAction* a = action(QString::fromLatin1(name));
        if (!a) return;
        a->setEnabled(true);
        a->setStatusTip(QString());
        connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    };
    wire("CalSet", [this] {
        CalcConditionsDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("CirSet", [this] { openSlipSettingsDialog(dialogDocument(), dialogHost(), this); });
    wire("DrawSet", [this] {
        DrawSettingsDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("DispSet", [this] {
        DisplaySettingsDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("Nen", [this] {
        CohesionLineDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("Yaita", [this] {
        SheetPileDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("XYEdit", [this] {
        PointTableDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("LNEdit", [this] {
        LineTableDialog d(dialogDocument(), dialogHost(), this);
        d.exec();
    });
    wire("Dxf", [this] {
        runDxfImportCommand(
            dialogDocument(), dialogHost(),
            [this](const QString& question) {
                return asker().ask(tr("確認"), question, false) == Answer::Yes;
            },
            this);
    });
}

} // namespace keltora::ui
