// The DXF terrain import dialog and command.
#include "ui/dxf_import_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace keltora::ui {

DxfImportDialog::DxfImportDialog(DialogDocument& document, DialogHost& host, DxfDrawing drawing,
                                 const QString& fileName, QWidget* parent)
    : SizedDialog(host, kSizeDxfImport, "TDxf", parent), document_(document),
      drawing_(std::move(drawing))
{
    setWindowTitle(tr("地形DXFファイル読み取り設定"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);
    root->setContentsMargins(6, 6, 6, 6);
    for (int i = 0; i < 10; ++i) {
        edits_[i] = named(new QLineEdit(this), QStringLiteral("Edit%1").arg(i + 1));
        if (i < 7) {
            edits_[i]->setReadOnly(true);
            edits_[i]->setFocusPolicy(Qt::NoFocus);
        }
        if (i > 0) edits_[i]->setAlignment(Qt::AlignRight);
    }

    auto* panel1 = named(new QGroupBox(this), QStringLiteral("Panel1"));
    auto* g1 = new QGridLayout(panel1);
    g1->setVerticalSpacing(2);
    g1->addWidget(label(tr("地形ＤＸＦファイル名"), panel1), 0, 0);
    g1->addWidget(edits_[0], 0, 1, 1, 3);
    g1->addWidget(label(tr("読み取りポイント数"), panel1), 1, 0);
    g1->addWidget(edits_[1], 1, 1);
    g1->addWidget(label(tr("読み取りライン数"), panel1), 1, 2);
    g1->addWidget(edits_[2], 1, 3);
    g1->addWidget(note(tr("点や線の重複を削除する前のポイント数とライン数です。"), panel1), 2, 0, 1,
                  4);
    g1->addWidget(note(tr("重複点や重複線を削除した後のポイント数やライン数が"), panel1), 3, 0, 1,
                  4);
    g1->addWidget(note(tr("KELTORAのデータ容量を超えた場合は無視されます。"), panel1), 4, 0, 1, 4);
    g1->addWidget(note(tr("（データ容量：約1000点、約1000本）"), panel1), 5, 0, 1, 4);
    const std::string summary = dxfDrawingSummary(drawing_);
    if (!summary.empty()) {
        auto* s = named(note(qs(summary), panel1), QStringLiteral("Label1"));
        s->setWordWrap(true);
        g1->addWidget(s, 6, 0, 1, 4);
    }
    root->addWidget(panel1);

    auto* lower = new QHBoxLayout;
    root->addLayout(lower);
    auto* panel2 = named(new QGroupBox(tr("データ範囲"), this), QStringLiteral("Panel2"));
    auto* g2 = new QGridLayout(panel2);
    g2->setVerticalSpacing(2);
    const QString extentLabels[4] = {tr("Ｘｍａｘ"), tr("Ｘｍｉｎ"), tr("Ｙｍａｘ"),
                                     tr("Ｙｍｉｎ")};
    for (int i = 0; i < 4; ++i) {
        g2->addWidget(label(extentLabels[i], panel2), i, 0);
        g2->addWidget(edits_[3 + i], i, 1);
    }
    lower->addWidget(panel2, 1);

    auto* panel3 = named(new QGroupBox(tr("読み取り設定"), this), QStringLiteral("Panel3"));
    auto* g3 = new QGridLayout(panel3);
    g3->setVerticalSpacing(2);
    g3->addWidget(label(tr("原点移動　Ｘ"), panel3), 0, 0);
    g3->addWidget(edits_[7], 0, 1);
    g3->addWidget(label(tr("Ｙ"), panel3), 1, 0, Qt::AlignRight);
    g3->addWidget(edits_[8], 1, 1);
    g3->addWidget(label(tr("倍率"), panel3), 2, 0, Qt::AlignRight);
    g3->addWidget(edits_[9], 2, 1);
    auto* trial = named(new QPushButton(tr("試　　行"), panel3), QStringLiteral("Button1"));
    auto* restore = named(new QPushButton(tr("元に戻す"), panel3), QStringLiteral("Button4"));
    trial->setAutoDefault(false);
    restore->setAutoDefault(false);
    auto* tr2 = new QHBoxLayout;
    tr2->addWidget(trial);
    tr2->addWidget(restore);
    g3->addLayout(tr2, 3, 0, 1, 2);
    lower->addWidget(panel3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* read = named(new QPushButton(tr("読み込み"), this), QStringLiteral("Button2"));
    auto* cancel = named(new QPushButton(tr("取り消し"), this), QStringLiteral("Button3"));
    read->setAutoDefault(false);
    cancel->setAutoDefault(false);
    buttons->addWidget(read);
    buttons->addWidget(cancel);
    root->addLayout(buttons);

    connect(trial, &QPushButton::clicked, this, [this] {
        DxfDialogFields f = fields();
        dxfTrial(f, drawing_.extents);
        load(f);
    });
    connect(restore, &QPushButton::clicked, this, [this] {
        DxfDialogFields f = fields();
        dxfRestore(f, drawing_.extents);
        load(f);
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(read, &QPushButton::clicked, this, [this] {
        const DxfDialogFields f = fields();
        confirmThrough(document_, DialogChange::Model,
                       [&](SlopeModel& m) { return applyDxfImport(m, drawing_, f, &result_); });
    });

    load(dxfDialogFields(drawing_, fileName.toStdString()));
}

void DxfImportDialog::load(const DxfDialogFields& f)
{
    const std::string texts[10] = {f.fileName, f.points, f.lines,  f.xmax,   f.xmin,
                                   f.ymax,     f.ymin,   f.shiftX, f.shiftY, f.scale};
    for (int i = 0; i < 10; ++i)
        setTextOf(edits_[i], texts[i]);
}

DxfDialogFields DxfImportDialog::fields() const
{
    DxfDialogFields f;
    f.fileName = textOf(edits_[0]);
    f.points = textOf(edits_[1]);
    f.lines = textOf(edits_[2]);
    f.xmax = textOf(edits_[3]);
    f.xmin = textOf(edits_[4]);
    f.ymax = textOf(edits_[5]);
    f.ymin = textOf(edits_[6]);
    f.shiftX = textOf(edits_[7]);
    f.shiftY = textOf(edits_[8]);
    f.scale = textOf(edits_[9]);
    return f;
}

void runDxfImportCommand(DialogDocument& document, DialogHost& host,
                         const std::function<bool(const QString&)>& ask, QWidget* parent)
{
    if (dxfImportNeedsConfirmation(document.model()) &&
        !ask(QString::fromUtf8(kDxfReplaceQuestion)))
        return;
    const QString path = host.openFileName(QObject::tr("地形データ(DXF)を読み込む"),
                                           QObject::tr("地形ＣＡＤファイル (*.DXF *.dxf)"));
    if (path.isEmpty()) return;
    DxfReadResult read = readDxfFile(std::filesystem::path(path.toStdString()));
    if (read.status != 0) {
        host.tell(read.error.value_or(Message{"DXFファイルを読み込めません。", "error"}));
        return;
    }
    DxfImportDialog dialog(document, host, std::move(read.drawing), QFileInfo(path).fileName(),
                           parent);
    if (dialog.exec() != QDialog::Accepted) return;
    host.fitAll();
}

} // namespace keltora::ui
