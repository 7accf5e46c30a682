#include "window/blocks/ConfigValueDelegate.h"

#include "protocol/configkeys/ConfigValueText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

std::uint32_t KeyOf(const QModelIndex& index) {
    return index.siblingAtColumn(0).data(TConfigValueDelegate::kKeyRole).toUInt();
}

bool ListsNames(const ubx::TConfigKey* key) {
    return key && (ubx::ConfigTypeInfo(key->type).kind == ubx::TConfigKind::Enumeration ||
                   ubx::ConfigTypeInfo(key->type).kind == ubx::TConfigKind::Bool);
}

bool ChecksBits(const ubx::TConfigKey* key) {
    return key && ubx::ConfigTypeInfo(key->type).kind == ubx::TConfigKind::Bits &&
           !key->names.empty();
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TConfigValueDelegate::TConfigValueDelegate(QObject* parent, TInitial initial)
    : QStyledItemDelegate(parent), initial_(std::move(initial)) {}

std::uint64_t TConfigValueDelegate::StartValue(const QModelIndex& index) const {
    const QVariant raw = index.data(kRawRole);
    return raw.isValid() ? raw.toULongLong() : initial_(KeyOf(index));
}

QWidget* TConfigValueDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex& index) const {
    const ubx::TConfigKey* key = ubx::FindConfigKey(KeyOf(index));
    if (ListsNames(key)) {
        auto* list = new QComboBox(parent);
        list->setObjectName("cbConfigValue");
        if (key->type == ubx::TConfigType::L)
            list->addItems({"false", "true"});
        for (const ubx::TConfigName& name : key->names)
            list->addItem(Text(name.name), QVariant::fromValue<qulonglong>(name.value));
        return list;
    }
    if (ChecksBits(key)) {
        auto* bits = new QFrame(parent);
        bits->setObjectName("frConfigBits");
        bits->setFrameShape(QFrame::Box);
        bits->setAutoFillBackground(true);
        auto* layout = new QVBoxLayout(bits);
        layout->setContentsMargins(4, 2, 4, 2);
        for (const ubx::TConfigName& name : key->names) {
            auto* bit = new QCheckBox(Text(name.name), bits);
            bit->setObjectName("cbBit" + Text(name.name));
            bit->setProperty("bit", QVariant::fromValue<qulonglong>(name.value));
            layout->addWidget(bit);
        }
        return bits;
    }
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("edConfigValue");
    return edit;
}

void TConfigValueDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const std::uint32_t id = KeyOf(index);
    const std::uint64_t raw = StartValue(index);
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        // A value without a name is listed too, so that closing the list keeps it.
        const QString text = QString::fromStdString(ubx::FormatConfigValue(id, raw));
        if (list->findText(text) < 0)
            list->addItem(text);
        list->setCurrentText(text);
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(QString::fromStdString(ubx::FormatConfigValue(id, raw)));
        return;
    }
    for (QCheckBox* bit : editor->findChildren<QCheckBox*>())
        bit->setChecked(raw >> bit->property("bit").toULongLong() & 1);
}

void TConfigValueDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
    const std::uint32_t id = KeyOf(index);
    std::uint64_t raw = StartValue(index);
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        raw = ubx::ParseConfigValue(id, list->currentText().toStdString());
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        try {
            raw = ubx::ParseConfigValue(id, edit->text().toStdString());
        } catch (const ubx::EConfigError& error) {
            emit Refused(QString::fromStdString(error.what()));
            return;
        }
    } else {
        for (QCheckBox* bit : editor->findChildren<QCheckBox*>()) {
            const std::uint64_t mask = std::uint64_t{1} << bit->property("bit").toULongLong();
            raw = bit->isChecked() ? raw | mask : raw & ~mask;
        }
    }
    model->setData(index, QVariant::fromValue<qulonglong>(raw), kRawRole);
    model->setData(index, QString::fromStdString(ubx::FormatConfigValue(id, raw)));
}

void TConfigValueDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                                const QModelIndex&) const {
    // The bit check boxes take more height than a row: the frame overlaps the rows below.
    QRect place = option.rect;
    place.setHeight(std::max(place.height(), editor->sizeHint().height()));
    editor->setGeometry(place);
}
