#include "window/pages/ConfigurationPage.h"

#include "protocol/configkeys/ConfigKeyId.h"
#include "protocol/configkeys/ConfigValueText.h"
#include "window/blocks/ConfigValueDelegate.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/parts/ConfigDatabaseSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

namespace {

constexpr int kRole = TConfigValueDelegate::kKeyRole;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QCheckBox* MakeLayerCheck(QWidget* parent, const QString& name, const QString& caption,
                          bool checked) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name);
    check->setChecked(checked);
    return check;
}

bool Matches(const QTreeWidgetItem* key, const QString& text) {
    return text.isEmpty() ||
           key->text(TConfigurationPage::ColKey).contains(text, Qt::CaseInsensitive) ||
           key->text(TConfigurationPage::ColDescription).contains(text, Qt::CaseInsensitive);
}

} // namespace

TConfigurationPage::TConfigurationPage(QWidget* parent, TConfigDatabaseSession& session,
                                       TUbxCommander& commander)
    : QWidget(parent), session_(session), filePanel_(new TConfigFilePanel(this, commander)) {
    setObjectName("tabConfiguration");
    cbConfigGroup = new QComboBox(this);
    cbConfigGroup->setObjectName("cbConfigGroup");
    cbConfigGroup->addItem("All groups", QVariant::fromValue(ubx::kAllConfigKeys));
    for (const ubx::TConfigGroup& group : ubx::ConfigGroups())
        cbConfigGroup->addItem(Text(group.name),
                               ubx::ConfigGroupWildcard(ubx::ConfigKeyGroupId(group.keys[0].id)));
    btnConfigRead = MakeButton(this, "btnConfigRead", "Read");
    edConfigSearch = MakeLineEdit(this, "edConfigSearch");
    edConfigSearch->setPlaceholderText("Search keys by name or description");
    AddClearButtonWhenShown(edConfigSearch);

    twConfigKeys = new QTreeWidget(this);
    twConfigKeys->setObjectName("twConfigKeys");
    twConfigKeys->setHeaderLabels(
        {"Key", "RAM", "BBR", "Flash", "Default", "New value", "Description"});
    // Only the new value is edited, wherever its row is double-clicked.
    twConfigKeys->setEditTriggers(QAbstractItemView::NoEditTriggers);
    twConfigKeys->setSelectionMode(QAbstractItemView::ExtendedSelection);
    twConfigKeys->header()->resizeSection(ColKey, 300);
    auto* delegate = new TConfigValueDelegate(this, [this](std::uint32_t key) {
        const auto found = session_.Values().find(key);
        if (found == session_.Values().end())
            return std::uint64_t{0};
        const auto& ram = found->second[ConfigLayerIndex(ubx::TConfigLayer::Ram)];
        const auto& standard = found->second[ConfigLayerIndex(ubx::TConfigLayer::Default)];
        return ram ? *ram : standard.value_or(0);
    });
    twConfigKeys->setItemDelegateForColumn(ColNew, delegate);
    connect(delegate, &TConfigValueDelegate::Refused, this,
            [this](const QString& why) { lblConfigAnswer->setText(why); });

    cbConfigRam = MakeLayerCheck(this, "cbConfigRam", "RAM", true);
    cbConfigBbr = MakeLayerCheck(this, "cbConfigBbr", "BBR", false);
    cbConfigFlash = MakeLayerCheck(this, "cbConfigFlash", "Flash", false);
    btnConfigApply = MakeButton(this, "btnConfigApply", "Apply");
    btnConfigRevert = MakeButton(this, "btnConfigRevert", "Revert to default");
    lblConfigAnswer = MakeLabel(this, "lblConfigAnswer", "");
    lblConfigAnswer->setWordWrap(true);
    lblConfigAnswer->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("Group", this));
    top->addWidget(cbConfigGroup);
    top->addWidget(btnConfigRead);
    top->addWidget(edConfigSearch, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel("Layers", this));
    bottom->addWidget(cbConfigRam);
    bottom->addWidget(cbConfigBbr);
    bottom->addWidget(cbConfigFlash);
    bottom->addWidget(btnConfigApply);
    bottom->addWidget(btnConfigRevert);
    bottom->addStretch(1);
    // The keys take the room; the writing and the files below can be given
    // more by the splitter.
    auto* below = new QWidget(this);
    auto* belowLayout = new QVBoxLayout(below);
    belowLayout->setContentsMargins(0, 0, 0, 0);
    bottom->addLayout(CreateSaveChoice());
    belowLayout->addLayout(bottom);
    belowLayout->addWidget(lblConfigAnswer);
    belowLayout->addWidget(filePanel_, 1);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(twConfigKeys);
    splitter->addWidget(below);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addWidget(splitter, 1);
    Connect();
}

QHBoxLayout* TConfigurationPage::CreateSaveChoice() {
    cbSaveLayer = new QComboBox(this);
    cbSaveLayer->setObjectName("cbSaveLayer");
    cbSaveLayer->addItems({"RAM", "BBR", "Flash", "Default"});
    cbSaveOnlyChanged = new QCheckBox("Only values that differ from Default", this);
    cbSaveOnlyChanged->setObjectName("cbSaveOnlyChanged");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Save configuration from", this));
    row->addWidget(cbSaveLayer);
    row->addWidget(cbSaveOnlyChanged);
    filePanel_->SetSnapshotSource([this] { return ReadSnapshot(); });
    return row;
}

// The values read of the layer chosen for saving; none before any read.
std::optional<TConfigSnapshot> TConfigurationPage::ReadSnapshot() const {
    if (session_.Values().empty())
        return std::nullopt;
    const auto layer = static_cast<std::size_t>(cbSaveLayer->currentIndex());
    const std::size_t standard = ConfigLayerIndex(ubx::TConfigLayer::Default);
    TConfigSnapshot snapshot{{}, cbSaveLayer->currentText(), {}, cbSaveOnlyChanged->isChecked()};
    for (const auto& [key, layers] : session_.Values())
        if (layers[layer] && !(snapshot.onlyChanged && layers[layer] == layers[standard]))
            snapshot.values.push_back({key, *layers[layer]});
    return snapshot;
}

void TConfigurationPage::Connect() {
    connect(btnConfigRead, &QPushButton::clicked, this, Guarded(this, [this] { ReadClicked(); }));
    connect(btnConfigApply, &QPushButton::clicked, this, Guarded(this, [this] { ApplyClicked(); }));
    connect(btnConfigRevert, &QPushButton::clicked, this,
            Guarded(this, [this] { RevertClicked(); }));
    connect(twConfigKeys, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->parent())
            twConfigKeys->editItem(item, ColNew);
    });
    connect(edConfigSearch, &QLineEdit::textChanged, this, &TConfigurationPage::Filter);
    connect(&session_, &TConfigDatabaseSession::ValuesChanged, this,
            &TConfigurationPage::ShowValues);
    connect(&session_, &TConfigDatabaseSession::Finished, this, &TConfigurationPage::Finished);
    connect(&session_, &TConfigDatabaseSession::BusyChanged, this, [this](bool busy) {
        for (QPushButton* button : {btnConfigRead, btnConfigApply, btnConfigRevert})
            button->setEnabled(!busy);
    });
}

void TConfigurationPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (keys_.empty())
        FillTree();
}

void TConfigurationPage::FillTree() {
    for (const ubx::TConfigKey& key : ubx::ConfigKeys())
        KeyItem(key.id);
    ShowValues();
}

QTreeWidgetItem* TConfigurationPage::GroupItem(std::uint32_t key) {
    const std::uint8_t id = ubx::ConfigKeyGroupId(key);
    QTreeWidgetItem*& group = groups_[id];
    if (!group) {
        const ubx::TConfigKey* known = ubx::FindConfigKey(key);
        const QString name =
            known ? Text(known->group)
                  : "Group 0x" + QString::number(id, 16).toUpper().rightJustified(2, '0');
        group = new QTreeWidgetItem(twConfigKeys, {name});
        group->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    return group;
}

QTreeWidgetItem* TConfigurationPage::KeyItem(std::uint32_t key) {
    QTreeWidgetItem*& item = keys_[key];
    if (!item) {
        const ubx::TConfigKey* known = ubx::FindConfigKey(key);
        item = new QTreeWidgetItem(GroupItem(key));
        item->setText(ColKey, QString::fromStdString(ubx::ConfigKeyText(key)));
        item->setData(ColKey, kRole, key);
        const QString description =
            known ? Text(known->description) : "A key this monitor does not know";
        item->setText(ColDescription, description);
        item->setToolTip(ColKey, description);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        item->setHidden(!Matches(item, edConfigSearch->text()));
    }
    return item;
}

void TConfigurationPage::ShowValues() {
    const std::size_t standard = ConfigLayerIndex(ubx::TConfigLayer::Default);
    for (const auto& [key, values] : session_.Values()) {
        QTreeWidgetItem* item = KeyItem(key);
        const auto text = [key = key](const std::optional<std::uint64_t>& value) {
            return value ? QString::fromStdString(ubx::FormatConfigValue(key, *value)) : QString();
        };
        for (std::size_t layer = 0; layer < values.size(); ++layer) {
            const int column = ColRam + static_cast<int>(layer);
            item->setText(column, text(values[layer]));
            const bool differs =
                layer != standard && values[layer] && values[standard] != values[layer];
            QFont font = item->font(column);
            font.setBold(differs);
            item->setFont(column, font);
            item->setToolTip(column, differs ? "Default: " + text(values[standard]) : QString());
        }
    }
}

void TConfigurationPage::Filter(const QString& text) {
    for (const auto& [id, group] : groups_) {
        bool any = false;
        for (int index = 0; index < group->childCount(); ++index) {
            QTreeWidgetItem* key = group->child(index);
            const bool shown = Matches(key, text);
            key->setHidden(!shown);
            any = any || shown;
        }
        group->setHidden(!any);
        group->setExpanded(!text.isEmpty() && any);
    }
}

std::uint8_t TConfigurationPage::LayerMask() const {
    return (cbConfigRam->isChecked() ? ubx::kLayerRam : 0) |
           (cbConfigBbr->isChecked() ? ubx::kLayerBbr : 0) |
           (cbConfigFlash->isChecked() ? ubx::kLayerFlash : 0);
}

void TConfigurationPage::ReadClicked() {
    session_.Read({cbConfigGroup->currentData().toUInt()});
    lblConfigAnswer->setText("Reading…");
}

void TConfigurationPage::ApplyClicked() {
    std::vector<ubx::TConfigValue> values;
    for (const auto& [key, item] : keys_)
        if (const QVariant raw = item->data(ColNew, TConfigValueDelegate::kRawRole); raw.isValid())
            values.push_back({key, raw.toULongLong()});
    session_.Apply(LayerMask(), values);
    applying_ = true;
    lblConfigAnswer->setText("Waiting for the answer…");
}

void TConfigurationPage::Finished(const QString& report, bool succeeded) {
    lblConfigAnswer->setText(report);
    // New values written and read back leave the column for the next edits;
    // those not taken stay to be tried again.
    if (std::exchange(applying_, false) && succeeded)
        for (const auto& [key, item] : keys_) {
            item->setData(ColNew, TConfigValueDelegate::kRawRole, QVariant());
            item->setText(ColNew, QString());
        }
}

void TConfigurationPage::RevertClicked() {
    std::vector<std::uint32_t> keys;
    for (QTreeWidgetItem* item : twConfigKeys->selectedItems()) {
        if (item->parent())
            keys.push_back(item->data(ColKey, kRole).toUInt());
        else
            for (int index = 0; index < item->childCount(); ++index)
                keys.push_back(item->child(index)->data(ColKey, kRole).toUInt());
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    session_.Revert(LayerMask(), keys);
    lblConfigAnswer->setText("Waiting for the answer…");
}
