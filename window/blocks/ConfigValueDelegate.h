#pragma once
// Edits a configuration value in a tree or table cell, within its key's
// type: an enumeration or a switch as a list, a bit field with named bits
// as a check box per bit (other bits kept as they were), anything else as
// text in the key's unit, which must parse. The key's ID is the item's
// kKeyRole data in column 0; the cell's kRawRole holds the raw value taken.
// Text that is no value of the key is refused: the cell keeps its value and
// Refused tells why, naming the key.

#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>

class TConfigValueDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kKeyRole = Qt::UserRole + 1;
    static constexpr int kRawRole = Qt::UserRole + 2;

    // initial: the raw value an edit starts from when the cell holds none.
    using TInitial = std::function<std::uint64_t(std::uint32_t key)>;
    TConfigValueDelegate(QObject* parent, TInitial initial);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

signals:
    void Refused(const QString& why) const;

private:
    std::uint64_t StartValue(const QModelIndex& index) const;
    TInitial initial_;
};
