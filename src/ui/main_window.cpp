// The main window: menus, tool bar, view, scroll bars, status panels and the file menu.
#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "analysis/results.h"
#include "edit/placement_modes.h"
#include "model/c_format.h"
#include "ui/screen_renderer.h"

namespace keltora::ui {

namespace fs = std::filesystem;

namespace {

constexpr const char* kContext = "keltora::ui::MainWindow";
constexpr const char* kNotBuilt = QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "未実装");
constexpr const char* kSdwFilter =
    QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "KELTORAファイル(*.SDW *.sdw)");

QString tr8(const char* s)
{
    return QCoreApplication::translate(kContext, s);
}

QString fromPath(const fs::path& p)
{
    return QString::fromStdString(p.string());
}
fs::path toPath(const QString& s)
{
    return fs::path(s.toStdString());
}

// The file a chosen name stands for: the name with the extension ".SDW" in its folder;
// when no such file exists (case-sensitive file systems) the chosen file itself.
fs::path dataFileFor(const fs::path& chosen)
{
    fs::path upper = chosen.parent_path() / (chosen.stem().string() + ".SDW");
    std::error_code ec;
    if (fs::exists(upper, ec)) return upper;
    return chosen;
}

} // namespace

MainWindow::MainWindow(fs::path startDirectory, QWidget* parent)
    : QMainWindow(parent), startDirectory_(std::move(startDirectory)), settings_(startDirectory_)
{
    setObjectName(QStringLiteral("TMain_Frm"));
    qRegisterMetaType<keltora::Point2>("keltora::Point2");
    dialogAsker_ = std::make_unique<DialogAsker>(this);
    asker_ = dialogAsker_.get();
    urlOpener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    document_ = new SectionDocument(startDirectory_, this);
    document_->setObjectName(QStringLiteral("SectionDocument"));

    buildActions();
    buildMenus();
    buildToolBar();
    buildCentre();
    wireOwnCommands();
    wireCalculation();
    wireDialogs();
    wireEditModes();

    connect(document_, &SectionDocument::changed, this, [this] { redraw(); });
    refreshRecentMenu();
    updateCaption();
    setGuideText(tr8(kIdleGuideText));
    resize(1024, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    fitAll();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------- building

QAction* MainWindow::makeAction(const char* name, const char* text)
{
    auto* a = new QAction(tr8(text), this);
    a->setObjectName(QString::fromLatin1(name));
    // Until its owner wires it, a command is present but disabled.
    a->setEnabled(false);
    a->setStatusTip(tr8(kNotBuilt));
    return a;
}

QAction* MainWindow::action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

QMenu* MainWindow::menu(const QString& objectName) const
{
    return findChild<QMenu*>(objectName);
}

void MainWindow::buildActions()
{
#define KA(name, text) makeAction(name, QT_TRANSLATE_NOOP("keltora::ui::MainWindow", text))
    // File
    KA("New_Data", "新規(&N)");
    KA("Open", "開く(&O)");
    KA("Joken", "条件読み込み(&J)");
    KA("Block", "ブロック読み込み(&B)");
    KA("Tikei", "地形読み込み(&T)");
    KA("Dxf", "DXF(地形)読み込み(&D)");
    KA("Save", "上書き保存(&R)");
    KA("SaveAs", "名前を付けて保存(&W)");
    KA("DefPrt", "標準のプリンターを設定(&P)");
    for (int k = 1; k <= kRecentFiles; ++k) {
        QAction* f = makeAction(QStringLiteral("F%1").arg(k).toLatin1().constData(), "");
        f->setVisible(false);
    }
    KA("MainExit", "終了(&X)");
    // Edit
    KA("Undo", "元に戻す(&U)");
    KA("Redo", "やり直し(&R)");
    KA("XYEdit", "座標編集－表形式(&Z)");
    KA("LNEdit", "線分編集－表形式(&T)");
    KA("PAdd", "追加(&A)");
    KA("PMove", "移動(&M)");
    KA("PDel", "削除(&D)");
    KA("LAddK", "境界線(&K)");
    KA("LAddC", "不切線(&C)");
    KA("LAddS", "円弧制限線－小(&S)");
    KA("LAddB", "円弧制限線－大(&B)");
    KA("LAddL", "円弧制限点－小(&L)");
    KA("LAddG", "円弧制限点－大(&G)");
    KA("LDelK", "境界線(&K)");
    KA("LDelC", "不切線(&C)");
    KA("LDelS", "円弧制限線－小(&S)");
    KA("LDelB", "円弧制限線－大(&B)");
    KA("LDelL", "円弧制限点－小(&L)");
    KA("LDelG", "円弧制限点－大(&G)");
    KA("Tanten", "線分の端点を変更(&A)");
    KA("Gousei", "２線分を１線分に合成(&G)");
    KA("Bunkatu", "線分を指定点で分割(&C)");
    KA("PLine", "平行線の追加");
    KA("KAdd", "交点追加(&K)");
    KA("KMove", "交点移動(&M)");
    KA("SAdd", "垂線の足追加(&S)");
    KA("SMove", "垂線の足移動(&A)");
    KA("HAdd", "水平交点追加(&H)");
    KA("HMove", "水平交点移動(&J)");
    KA("VAdd", "垂直交点追加(&V)");
    KA("VMove", "垂直交点移動(&W)");
    KA("BAdd", "追加(&A)");
    KA("BMove", "移動(&M)");
    KA("BDel", "削除(&D)");
    KA("BCopy", "複写(&C)");
    KA("BEdit", "変更(&E)");
    KA("Kessen", "結線チェック(&C)");
    KA("BlkCheck", "ブロックチェック(&L)");
    // View
    KA("AllShow", "全表示(&A)");
    KA("ZoomIn", "ズームイン(&I)");
    KA("ZoomOut", "ズームアウト(&O)");
    KA("AreaEnlarge", "領域拡大(&B)");
    KA("AreaShrink", "領域縮小(&S)");
    // Settings
    KA("CalSet", "計算条件設定(&K)");
    KA("CirSet", "すべり円/線設定(&C)");
    KA("DrawSet", "作図条件設定(&P)");
    KA("DispSet", "表示条件設定(&D)");
    KA("Nen", "粘着力基準線設定(&N)");
    KA("Yaita", "矢板設定(&Y)");
    KA("Fsize", "ウィンドウサイズ→既定値(&W)");
    // Calculation
    KA("CalRun", "安定検討計算(&A)");
    KA("Kekka", "計算結果の表示(&D)");
    KA("PlotDraw", "計算対象図の作図(&D)");
    KA("PlotDxf", "計算対象図をDXFで保存(&X)...");
    KA("ReportPrint", "計算書の印刷(&P)");
    // Figure
    KA("Waku", "作図枠の配置(&W)");
    KA("Name", "業務名の配置(&G)");
    KA("LDraw", "作図指示(&D)");
    KA("LNotDraw", "作図不要指示(&E)");
    KA("DJTate", "縦配置(&V)");
    KA("DJYoko", "横配置(&H)");
    for (int k = 1; k <= 6; ++k)
        makeAction(QStringLiteral("K%1").arg(k).toLatin1().constData(), "");
    for (int g = 1; g <= 3; ++g) {
        makeAction(QStringLiteral("G%1U").arg(g).toLatin1().constData(),
                   QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "矢線の上に配置(&U)"));
        makeAction(QStringLiteral("G%1L").arg(g).toLatin1().constData(),
                   QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "矢線の下に配置(&L)"));
        makeAction(QStringLiteral("G%1B").arg(g).toLatin1().constData(),
                   QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "矢線の後に配置(&B)"));
    }
    for (int r = 1; r <= kMaxPassiveRows; ++r)
        makeAction(QStringLiteral("Y%1").arg(r, 2, 10, QLatin1Char('0')).toLatin1().constData(),
                   "");
    KA("Anzen", "安全率の配置(&F)");
    KA("Circ", "すべり円の追加記入(&C)");
    // Help
    KA("HelpDisp", "ヘルプ(&H)");
    KA("About", "バージョン情報(&A)");
    // The coordinate input button of the point modes (shown by them).
    QAction* xy = KA("BitBtnXY", "XY");
    xy->setVisible(false);
#undef KA
}

void MainWindow::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menuOf = [this](QWidget* parent, const char* name, const char* title) {
        auto* m = new QMenu(tr8(title), parent);
        m->setObjectName(QString::fromLatin1(name));
        if (auto* pm = qobject_cast<QMenu*>(parent))
            pm->addMenu(m);
        else
            menuBar()->addMenu(m);
        return m;
    };
    auto add = [this](QMenu* m, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (n == nullptr)
                m->addSeparator();
            else
                m->addAction(action(QString::fromLatin1(n)));
        }
    };
#define T(text) QT_TRANSLATE_NOOP("keltora::ui::MainWindow", text)
    QMenu* file = menuOf(bar, "FileMenu", T("ファイル(&F)"));
    add(file, {"New_Data", "Open", nullptr, "Joken", "Block", "Tikei", "Dxf", nullptr, "Save",
               "SaveAs", nullptr, "DefPrt", nullptr, "F1", "F2", "F3", "F4", "F5"});
    QAction* sep = file->addSeparator();
    sep->setObjectName(QStringLiteral("N1"));
    sep->setVisible(false);
    add(file, {"MainExit"});

    QMenu* edit = menuOf(bar, "EditMenu", T("編集(&E)"));
    add(edit, {"Undo", "Redo", nullptr, "XYEdit", "LNEdit", nullptr});
    add(menuOf(edit, "PointMenu", T("座標編集－マウス(&P)")), {"PAdd", "PMove", "PDel"});
    add(menuOf(edit, "LineAddMenu", T("線分追加－マウス(&A)")),
        {"LAddK", "LAddC", "LAddS", "LAddB", "LAddL", "LAddG"});
    add(menuOf(edit, "LineDelMenu", T("線分削除－マウス(&M)")),
        {"LDelK", "LDelC", "LDelS", "LDelB", "LDelL", "LDelG"});
    add(menuOf(edit, "LineEditMenu", T("線分編集－マウス(&E)")),
        {"Tanten", "Gousei", "Bunkatu", "PLine"});
    add(menuOf(edit, "CrossMenu", T("交点計算－マウス(&K)")),
        {"KAdd", "KMove", "SAdd", "SMove", "HAdd", "HMove", "VAdd", "VMove"});
    add(menuOf(edit, "BlockMenu", T("ブロック編集－マウス(&B)")),
        {"BAdd", "BMove", "BDel", "BCopy", "BEdit"});
    add(edit, {nullptr, "Kessen", "BlkCheck"});

    add(menuOf(bar, "ViewMenu", T("表示(&V)")),
        {"AllShow", "ZoomIn", "ZoomOut", nullptr, "AreaEnlarge", "AreaShrink"});

    add(menuOf(bar, "SettingMenu", T("設定(&S)")),
        {"CalSet", "CirSet", "DrawSet", "DispSet", "Nen", "Yaita", nullptr, "Fsize"});

    add(menuOf(bar, "CalcMenu", T("計算(&C)")),
        {"CalRun", "Kekka", nullptr, "PlotDraw", "PlotDxf", "ReportPrint"});

    QMenu* fig = menuOf(bar, "Sakuzu", T("作図(&Z)"));
    add(fig, {"Waku", "Name", nullptr, "LDraw", "LNotDraw", nullptr});
    add(menuOf(fig, "DJMenu", T("土質条件(&J)")), {"DJTate", "DJYoko"});
    add(menuOf(fig, "KMenu", T("上載荷重の配置(&V)")), {"K1", "K2", "K3", "K4", "K5", "K6"});
    QMenu* forces = menuOf(fig, "GMenu", T("水平外力の配置(&H)"));
    for (int g = 1; g <= 3; ++g) {
        QMenu* sub = menuOf(forces, QStringLiteral("G%1").arg(g).toLatin1().constData(), "");
        sub->addAction(action(QStringLiteral("G%1U").arg(g)));
        sub->addAction(action(QStringLiteral("G%1L").arg(g)));
        sub->addAction(action(QStringLiteral("G%1B").arg(g)));
    }
    QMenu* passive = menuOf(fig, "YMenu", T("矢板受動土圧の配置(&Y)"));
    for (int r = 1; r <= kMaxPassiveRows; ++r)
        passive->addAction(action(QStringLiteral("Y%1").arg(r, 2, 10, QLatin1Char('0'))));
    add(fig, {nullptr, "Anzen", "Circ"});

    add(menuOf(bar, "HelpMenu", T("ヘルプ(&H)")), {"HelpDisp", nullptr, "About"});
#undef T
}

void MainWindow::buildToolBar()
{
    panel1_ = addToolBar(tr8(QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "ツールバー")));
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setMovable(false);
    panel1_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Each button repeats a menu command under its short hint.
    auto button = [this](const char* name, const char* hint) {
        QAction* target = action(QString::fromLatin1(name));
        auto* tool = new QAction(tr8(hint), this);
        tool->setObjectName(QStringLiteral("Tool_") + QString::fromLatin1(name));
        tool->setToolTip(tr8(hint));
        auto sync = [tool, target] {
            tool->setEnabled(target->isEnabled());
            tool->setVisible(target->isVisible());
            tool->setStatusTip(target->statusTip());
        };
        sync();
        connect(target, &QAction::changed, tool, sync);
        connect(tool, &QAction::triggered, target, &QAction::trigger);
        panel1_->addAction(tool);
    };
#define T(text) QT_TRANSLATE_NOOP("keltora::ui::MainWindow", text)
    button("New_Data", T("新規"));
    button("Open", T("開く"));
    button("Joken", T("条件読込"));
    button("Save", T("上書き保存"));
    panel1_->addSeparator();
    button("AllShow", T("全表示"));
    button("AreaEnlarge", T("領域拡大"));
    button("AreaShrink", T("領域縮小"));
    button("ZoomIn", T("ズームイン"));
    button("ZoomOut", T("ズームアウト"));
    panel1_->addSeparator();
    button("CalRun", T("計算"));
    button("Kekka", T("結果"));
    panel1_->addSeparator();
    button("HelpDisp", T("？"));
    panel1_->addAction(action(QStringLiteral("BitBtnXY")));
#undef T
}

void MainWindow::buildCentre()
{
    auto* centre = new QWidget(this);
    auto* grid = new QGridLayout(centre);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    view_ = new SectionView(centre);
    hbar_ = new QScrollBar(Qt::Horizontal, centre);
    hbar_->setObjectName(QStringLiteral("ScrollBar1"));
    vbar_ = new QScrollBar(Qt::Vertical, centre);
    vbar_->setObjectName(QStringLiteral("ScrollBar2"));
    grid->addWidget(view_, 0, 0);
    grid->addWidget(vbar_, 0, 1);
    grid->addWidget(hbar_, 1, 0);
    setCentralWidget(centre);

    panel3_ = new QLabel(this);
    panel3_->setObjectName(QStringLiteral("Panel3"));
    panel3_->setFrameShape(QFrame::StyledPanel);
    panel3_->setFrameShadow(QFrame::Sunken);
    panel3_->setMinimumWidth(100);
    panel3_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panel2_ = new QLabel(this);
    panel2_->setObjectName(QStringLiteral("Panel2"));
    panel2_->setFrameShape(QFrame::StyledPanel);
    panel2_->setFrameShadow(QFrame::Sunken);
    panel2_->setMinimumWidth(230);
    panel2_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addWidget(panel3_, 1);
    statusBar()->addPermanentWidget(panel2_);
    statusBar()->setSizeGripEnabled(true);

    connect(hbar_, &QScrollBar::valueChanged, this, [this] { onScroll(); });
    connect(vbar_, &QScrollBar::valueChanged, this, [this] { onScroll(); });
    connect(view_, &SectionView::resized, this, [this] { redraw(); });
    connect(view_, &SectionView::mouseMoved, this, [this](Point2 w, QPoint) {
        panel2_->setText(QString::fromStdString(cformat("X=%4.3f Y=%4.3f", w.x, w.y)));
    });
    view_->setMouseFilter(
        [this](SectionView::MouseKind kind, QPoint px) { return onViewMouse(kind, px); });
}

void MainWindow::mine(const char* name, std::function<void()> slot)
{
    QAction* a = action(QString::fromLatin1(name));
    a->setEnabled(true);
    a->setStatusTip(QString());
    connect(a, &QAction::triggered, this, [slot = std::move(slot)] { slot(); });
}

void MainWindow::wireOwnCommands()
{
    mine("New_Data", [this] { newDocument(); });
    mine("Open", [this] { openDocument(); });
    mine("Joken", [this] { loadPart(SdwPart::Conditions); });
    mine("Block", [this] { loadPart(SdwPart::Blocks); });
    mine("Tikei", [this] { loadPart(SdwPart::Terrain); });
    mine("Save", [this] { save(); });
    mine("SaveAs", [this] { saveAs(); });
    mine("DefPrt", [this] { printerSetup(); });
    for (int k = 0; k < kRecentFiles; ++k)
        mine(QStringLiteral("F%1").arg(k + 1).toLatin1().constData(), [this, k] { openRecent(k); });
    mine("MainExit", [this] { close(); });
    mine("AllShow", [this] { fitAll(); });
    mine("ZoomIn", [this] { zoomIn(); });
    mine("ZoomOut", [this] { zoomOut(); });
    mine("AreaEnlarge", [this] { startAreaCommand(true); });
    mine("AreaShrink", [this] { startAreaCommand(false); });
    mine("Fsize", [this] { settings_.resetWindowSizes(); });
    mine("HelpDisp", [this] { openHelp(); });
    mine("About", [this] {
        showMessage({"KELTORAシステム for Windows\n斜面安定計算プログラム  version " +
                         std::string(QCoreApplication::applicationVersion().toStdString()),
                     "メッセージ"});
    });
    action(QStringLiteral("New_Data"))->setShortcut(QKeySequence::New);
    action(QStringLiteral("Open"))->setShortcut(QKeySequence::Open);
    action(QStringLiteral("Save"))->setShortcut(QKeySequence::Save);
    action(QStringLiteral("HelpDisp"))->setShortcut(QKeySequence::HelpContents);
}

// ---------------------------------------------------------------- panels, messages

void MainWindow::showMessage(const Message& message)
{
    asker_->tell(message);
}

void MainWindow::showMessages(const MessageList& messages)
{
    if (messages.empty()) return;
    Message all{"", messages.front().caption};
    for (const Message& m : messages) {
        if (!all.text.empty()) all.text += "\n";
        all.text += m.text;
    }
    showMessage(all);
}

void MainWindow::setAsker(QuestionAsker* asker)
{
    asker_ = asker ? asker : static_cast<QuestionAsker*>(dialogAsker_.get());
}

void MainWindow::setGuideText(const QString& text)
{
    panel3_->setText(text);
}
QString MainWindow::guideText() const
{
    return panel3_->text();
}
QString MainWindow::coordinateText() const
{
    return panel2_->text();
}

QString MainWindow::documentCaption() const
{
    const std::string& name = document_->model().dataName;
    return QStringLiteral("KELTORAシステム for Windows (%1)")
        .arg(name.empty() ? QStringLiteral("無題") : QString::fromStdString(name));
}

void MainWindow::updateCaption()
{
    setWindowTitle(documentCaption());
}

// ---------------------------------------------------------------- view

void MainWindow::fitAll()
{
    scroll_ = keltora::fitAll(view_->transform(), document_->model());
    applyScrollState();
    redraw();
}

void MainWindow::applyScrollState()
{
    const QSignalBlocker bh(hbar_), bv(vbar_);
    auto apply = [](QScrollBar* bar, const ScrollBarState& s) {
        bar->setRange(s.minimum, s.maximum);
        bar->setSingleStep(s.singleStep);
        bar->setPageStep(s.pageStep);
        bar->setValue(s.position);
    };
    apply(hbar_, scroll_.horizontal);
    apply(vbar_, scroll_.vertical);
}

void MainWindow::onScroll()
{
    ViewTransform& v = view_->transform();
    if (hbar_->value() != scroll_.horizontal.position) {
        scroll_.horizontal.position = hbar_->value();
        scrollHorizontal(v, scroll_.horizontal, hbar_->value());
    }
    if (vbar_->value() != scroll_.vertical.position) {
        scroll_.vertical.position = vbar_->value();
        scrollVertical(v, scroll_.vertical, vbar_->value());
    }
    redraw();
}

void MainWindow::zoomIn()
{
    view_->transform().zoomIn();
    redraw();
}

void MainWindow::zoomOut()
{
    view_->transform().zoomOut();
    redraw();
}

void MainWindow::startAreaCommand(bool enlarge)
{
    if (!areaZoom_.active()) emit areaCommandStarted();
    areaZoom_.start(enlarge);
    setGuideText(QString::fromStdString(areaZoom_.guideText()));
    redraw();
}

void MainWindow::cancelAreaCommand()
{
    areaZoom_.cancel();
    view_->setRubberBand(std::nullopt);
}

bool MainWindow::onViewMouse(SectionView::MouseKind kind, QPoint px)
{
    if (!areaZoom_.active()) return false;
    const PixelPoint p{px.x(), px.y()};
    AreaZoom::Step step = AreaZoom::Step::Nothing;
    switch (kind) {
    case SectionView::MouseKind::Move:
        areaZoom_.mouseMove(p);
        updateRubberBand();
        return false;
    case SectionView::MouseKind::LeftDown: step = areaZoom_.leftClick(view_->transform(), p); break;
    case SectionView::MouseKind::RightDown: step = areaZoom_.rightClick(); break;
    }
    switch (step) {
    case AreaZoom::Step::Continue:
        setGuideText(QString::fromStdString(areaZoom_.guideText()));
        updateRubberBand();
        break;
    case AreaZoom::Step::Cancelled:
    case AreaZoom::Step::Applied:
        if (step == AreaZoom::Step::Applied) {
            followCentre(scroll_, view_->transform());
            applyScrollState();
        }
        view_->setRubberBand(std::nullopt);
        setGuideText(tr8(kIdleGuideText));
        emit areaCommandEnded();
        redraw();
        break;
    case AreaZoom::Step::Nothing: break;
    }
    return true;
}

void MainWindow::updateRubberBand()
{
    if (!areaZoom_.hasBand()) {
        view_->setRubberBand(std::nullopt);
        return;
    }
    const PixelPoint a = areaZoom_.bandFirst(view_->transform());
    const PixelPoint b = areaZoom_.bandCurrent();
    view_->setRubberBand(std::make_pair(QPoint(a.x, a.y), QPoint(b.x, b.y)));
}

void MainWindow::setDrawPreview(std::function<void(SlopeModel&)> preview)
{
    preview_ = std::move(preview);
}

void MainWindow::refreshMenus()
{
    const bool results = document_->hasValidResults();
    MenuState menus;
    document_->adjust([&](SlopeModel& m) {
        bool changed = false;
        menus = keltora::refreshMenus(m, results, &changed);
        return changed;
    });

    if (QMenu* fig = menu(QStringLiteral("Sakuzu"))) fig->menuAction()->setVisible(menus.results);
    // The result table follows the results once its command is built.
    QAction* kekka = action(QStringLiteral("Kekka"));
    if (kekka->statusTip() != tr8(kNotBuilt)) kekka->setEnabled(menus.results);
    for (int k = 0; k < 6; ++k) {
        QAction* a = action(QStringLiteral("K%1").arg(k + 1));
        a->setText(QString::fromStdString(menus.surcharge[static_cast<size_t>(k)].caption));
        a->setVisible(menus.surcharge[static_cast<size_t>(k)].visible);
    }
    menu(QStringLiteral("KMenu"))->menuAction()->setVisible(menus.surchargeMenu);
    for (int g = 0; g < 3; ++g) {
        QMenu* sub = menu(QStringLiteral("G%1").arg(g + 1));
        sub->setTitle(QString::fromStdString(menus.forces[static_cast<size_t>(g)].caption));
        sub->menuAction()->setVisible(menus.forces[static_cast<size_t>(g)].visible);
    }
    menu(QStringLiteral("GMenu"))->menuAction()->setVisible(menus.forceMenu);
    for (int r = 0; r < kMaxPassiveRows; ++r) {
        QAction* a = action(QStringLiteral("Y%1").arg(r + 1, 2, 10, QLatin1Char('0')));
        a->setText(QString::fromStdString(menus.passive[static_cast<size_t>(r)].caption));
        a->setVisible(menus.passive[static_cast<size_t>(r)].visible);
    }
    menu(QStringLiteral("YMenu"))->menuAction()->setVisible(menus.passiveMenu);
}

void MainWindow::redraw(int variant)
{
    refreshMenus();
    const SlopeModel& model = document_->model();
    const CalculationResults* results =
        document_->hasValidResults() ? document_->results() : nullptr;
    if (figureRevision_ != document_->revision()) {
        figure_ = composeScreenFigure(model, results);
        figureRevision_ = document_->revision();
    }
    QImage image(std::max(view_->width(), 1), std::max(view_->height(), 1), QImage::Format_RGB32);
    ScreenScene scene;
    scene.results = results;
    scene.figure = &figure_;
    if (variant != 0 && preview_) {
        SlopeModel copy = model;
        preview_(copy);
        scene.model = &copy;
        renderScene(image, scene, view_->transform());
    } else {
        scene.model = &model;
        renderScene(image, scene, view_->transform());
    }
    view_->setImage(std::move(image));
    updateRubberBand();
}

// ---------------------------------------------------------------- file menu

QString MainWindow::dialogDirectory() const
{
    return settings_.dataDirectory();
}

bool MainWindow::confirmDiscard()
{
    if (document_->model().modified <= 0) return true;
    switch (asker_->ask(QStringLiteral("確認"),
                        tr8(QT_TRANSLATE_NOOP("keltora::ui::MainWindow",
                                              "データが変更されています。保存終了しますか？")),
                        true)) {
    case Answer::Cancel: return false;
    case Answer::No: return true;
    case Answer::Yes:
        // Only a save that succeeded lets the discard go ahead: a cancelled or failed save
        // keeps the document (and the user's work) open.
        return save();
    }
    return false;
}

void MainWindow::newDocument()
{
    if (!confirmDiscard()) return;
    cancelAreaCommand();
    document_->document().reset();
    document_->markSaved();
    readWithLoss_ = false;
    updateCaption();
    emit editingReset();
    setGuideText(tr8(kIdleGuideText));
    document_->notifyReplaced();
}

void MainWindow::afterLoad(const ReadResult& r, bool whole)
{
    if (r.status != 0) {
        if (r.error) showMessage(*r.error);
        return;
    }
    if (!r.warnings.empty()) {
        showMessages(r.warnings);
        // What was read differs from the file: writing it back must be a conscious act.
        document_->adjust([](SlopeModel& m) {
            m.modified = 1;
            return true;
        });
    }
    (void)whole;
}

void MainWindow::openDocument()
{
    if (!confirmDiscard()) return;
    const QString chosen = asker_->openFileName(
        tr8(QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "データファイルを開く")),
        dialogDirectory(), tr8(kSdwFilter));
    if (chosen.isEmpty()) return;
    openFile(chosen);
}

bool MainWindow::openFile(const QString& path)
{
    const fs::path chosen = fs::absolute(toPath(path));
    const fs::path file = dataFileFor(chosen);
    cancelAreaCommand();
    settings_.setDataDirectory(fromPath(file.parent_path()));
    const ReadResult r = document_->document().open(file);
    if (r.status == 0) {
        document_->markSaved();
        readWithLoss_ = r.dataLoss();
        emit editingReset();
        setGuideText(tr8(kIdleGuideText));
    }
    afterLoad(r, true);
    updateCaption();
    document_->notifyReplaced();
    fitAll();
    settings_.addRecentFile(fromPath(file));
    refreshRecentMenu();
    return r.status == 0;
}

void MainWindow::openRecent(int k)
{
    const QString path = settings_.recentFile(k);
    if (path.isEmpty()) return;
    if (!confirmDiscard()) return;
    openFile(path);
}

void MainWindow::loadPart(SdwPart part)
{
    const char* title =
        part == SdwPart::Conditions
            ? QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "条件データを読み込む")
        : part == SdwPart::Blocks
            ? QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "ブロックデータを読み込む")
            : QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "地形データを読み込む");
    const QString chosen = asker_->openFileName(tr8(title), dialogDirectory(), tr8(kSdwFilter));
    if (chosen.isEmpty()) return;
    loadPartFrom(part, chosen);
}

bool MainWindow::loadPartFrom(SdwPart part, const QString& path)
{
    const fs::path file = dataFileFor(fs::absolute(toPath(path)));
    SlopeModel copy = document_->model();
    ReadResult r;
    switch (part) {
    case SdwPart::Conditions: r = readConditions(copy, file); break;
    case SdwPart::Blocks: r = readBlocks(copy, file); break;
    case SdwPart::Terrain: r = readTerrain(copy, file); break;
    case SdwPart::Everything: return openFile(path);
    }
    if (r.status != 0) {
        if (r.error) showMessage(*r.error);
        return false;
    }
    cancelAreaCommand();
    const char* undo = part == SdwPart::Conditions ? "条件読み込み"
                       : part == SdwPart::Blocks   ? "ブロック読み込み"
                                                   : "地形読み込み";
    document_->replaceModel(tr8(undo), std::move(copy));
    if (!r.warnings.empty()) showMessages(r.warnings);
    emit editingReset();
    setGuideText(tr8(kIdleGuideText));
    fitAll();
    return true;
}

bool MainWindow::save()
{
    if (document_->model().modified <= 0) return true;
    if (document_->model().dataName.empty() || readWithLoss_) return saveAs();
    const WriteResult w = document_->document().save();
    if (!w.ok) {
        if (w.error) showMessage(*w.error);
        return false;
    }
    document_->markSaved();
    return true;
}

bool MainWindow::saveAs()
{
    const QString chosen = asker_->saveFileName(
        tr8(QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "データファイルを名前を付けて保存する")),
        dialogDirectory(), tr8(kSdwFilter), QStringLiteral("SDW"));
    if (chosen.isEmpty()) return false;
    // The file is written under the chosen name with the extension ".SDW".
    const fs::path chosenPath = fs::absolute(toPath(chosen));
    const fs::path file = chosenPath.parent_path() / (chosenPath.stem().string() + ".SDW");
    const WriteResult w = document_->document().saveAs(file);
    if (!w.ok) {
        if (w.error) showMessage(*w.error);
        return false;
    }
    document_->markSaved();
    readWithLoss_ = false;
    settings_.setDataDirectory(fromPath(file.parent_path()));
    updateCaption();
    settings_.addRecentFile(fromPath(file));
    refreshRecentMenu();
    return true;
}

void MainWindow::refreshRecentMenu()
{
    bool any = false;
    for (int k = 0; k < kRecentFiles; ++k) {
        const QString path = settings_.recentFile(k);
        if (path.isEmpty()) continue;
        QAction* a = action(QStringLiteral("F%1").arg(k + 1));
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        a->setText(shown + QStringLiteral(" (&%1)").arg(k + 1));
        a->setVisible(true);
        any = true;
    }
    if (any)
        if (QAction* sep = findChild<QAction*>(QStringLiteral("N1"))) sep->setVisible(true);
}

void MainWindow::printerSetup()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(tr8(QT_TRANSLATE_NOOP("keltora::ui::MainWindow", "プリンターの設定")));
    dialog.exec();
}

QUrl MainWindow::helpUrl() const
{
    const QString app = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        app + QStringLiteral("/manual/index.html"),
        app + QStringLiteral("/../share/doc/keltora/manual/index.html"),
        app + QStringLiteral("/../docs/manual/index.html"),
        fromPath(startDirectory_) + QStringLiteral("/docs/manual/index.html"),
    };
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile()) return QUrl::fromLocalFile(QFileInfo(c).canonicalFilePath());
    return {};
}

void MainWindow::openHelp()
{
    const QUrl url = helpUrl();
    if (url.isEmpty() || !urlOpener_) return;
    urlOpener_(url);
}

void MainWindow::writeSettingsOnce()
{
    if (settingsWritten_) return;
    settingsWritten_ = true;
    // A settings file that cannot be written is left as it was; the program still closes.
    (void)settings_.write();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The view has its size only once the window is laid out: the first fit waits for it.
    QTimer::singleShot(0, this, [this] { fitAll(); });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!confirmDiscard()) {
        event->ignore();
        return;
    }
    writeSettingsOnce();
    event->accept();
}

} // namespace keltora::ui
