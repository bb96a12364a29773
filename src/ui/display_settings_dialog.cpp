// The display settings dialog.
#include "ui/display_settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace keltora::ui {

DisplaySettingsDialog::DisplaySettingsDialog(DialogDocument& document, DialogHost& host,
                                             QWidget* parent)
    : SizedDialog(host, kSizeDisplaySettings, "TDisp_Frm", parent), document_(document)
{
    setWindowTitle(tr("表示条件設定"));
    auto* root = new QVBoxLayout(this);
    root->setSpacing(4);

    auto* itemBox = new QGroupBox(tr("表示項目"), this);
    auto* ig = new QGridLayout(itemBox);
    ig->setVerticalSpacing(2);
    const QString texts[kDisplayItemCount] = {
        tr("境界線"),       tr("不切線"),       tr("円弧制限線"),   tr("円弧制限点"),
        tr("すべり円中心"), tr("すべり円/線"),  tr("作図枠"),       tr("上載荷重"),
        tr("水平外力"),     tr("境界点名称"),   tr("ブロック中心"), tr("土質情報"),
        tr("グリッド"),     tr("粘着力基準線"), tr("矢板"),         tr("矢板受動土圧")};
    constexpr int kRows = 6;
    for (int i = 0; i < kDisplayItemCount; ++i) {
        auto* c = named(new QCheckBox(texts[i], itemBox), QStringLiteral("CheckBox%1").arg(i + 1));
        items_[static_cast<size_t>(i)] = c;
        ig->addWidget(c, i % kRows, i / kRows);
        connect(c, &QCheckBox::toggled, this, &DisplaySettingsDialog::updateEnabling);
    }
    autoSwitch_ =
        named(new QCheckBox(tr("表示項目の自動切り替え"), itemBox), QStringLiteral("CheckBox17"));
    ig->addWidget(autoSwitch_, kRows, 0, 1, 3);
    connect(autoSwitch_, &QCheckBox::toggled, this, &DisplaySettingsDialog::updateEnabling);
    root->addWidget(itemBox);

    auto* gridBox = new QGroupBox(tr("グリッド間隔"), this);
    auto* gg = new QGridLayout(gridBox);
    gg->setVerticalSpacing(2);
    major_ = numberEdit(gridBox, QStringLiteral("Edit1"));
    minor_ = numberEdit(gridBox, QStringLiteral("Edit2"));
    gg->addWidget(label(tr("太線間隔"), gridBox), 0, 0);
    gg->addWidget(major_, 0, 1);
    gg->addWidget(label(tr("(m)"), gridBox), 0, 2);
    gg->addWidget(label(tr("細線間隔"), gridBox), 1, 0);
    gg->addWidget(minor_, 1, 1);
    gg->addWidget(label(tr("(m)"), gridBox), 1, 2);
    gg->addWidget(note(tr("※　細線間隔≧太線間隔ならば太線は表示しません。"), gridBox), 2, 0, 1, 4);
    gg->addWidget(note(tr("※　間隔＝0.0ならグリッド表示はしない。"), gridBox), 3, 0, 1, 4);
    gg->addWidget(note(tr("※　太線グリッド上には座標値が表示されます。"), gridBox), 4, 0, 1, 4);
    gg->setColumnStretch(3, 1);
    root->addWidget(gridBox);
    root->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = confirmButton(this);
    auto* cancel = cancelButton(this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    root->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        const DisplaySettingsFields f = fields();
        confirmThrough(document_, DialogChange::Display,
                       [&](SlopeModel& m) { return applyDisplaySettings(m, f); });
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load(displaySettingsFields(document_.model()));
}

void DisplaySettingsDialog::load(const DisplaySettingsFields& f)
{
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i]->setChecked(f.items[i]);
    autoSwitch_->setChecked(f.autoSwitch);
    setTextOf(major_, f.gridMajor);
    setTextOf(minor_, f.gridMinor);
    updateEnabling();
}

DisplaySettingsFields DisplaySettingsDialog::fields() const
{
    DisplaySettingsFields f;
    for (size_t i = 0; i < items_.size(); ++i)
        f.items[i] = items_[i]->isChecked();
    f.autoSwitch = autoSwitch_->isChecked();
    f.gridMajor = textOf(major_);
    f.gridMinor = textOf(minor_);
    return f;
}

void DisplaySettingsDialog::updateEnabling()
{
    const DisplayEnabling e = displayEnabling(fields());
    for (QCheckBox* c : items_)
        c->setEnabled(e.items);
    major_->setEnabled(e.gridSpacing);
    minor_->setEnabled(e.gridSpacing);
}

} // namespace keltora::ui
