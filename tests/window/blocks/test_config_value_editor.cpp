// Editing a configuration value in its cell: an enumeration and a switch
// picked from a list (a value without a name kept), a bit field's named bits
// checked (other bits kept), a number typed in its unit, and typed text that
// is no value refused with the key's name while the cell keeps what it held.

#include "window/blocks/ConfigValueDelegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

namespace {
using Delegate = TConfigValueDelegate;
constexpr std::uint32_t kDynModel = 0x20110021;    // E1
constexpr std::uint32_t kUart1On = 0x10520005;     // L
constexpr std::uint32_t kInfUbxUart1 = 0x20920002; // X1: ERROR, WARNING, NOTICE, TEST, DEBUG
constexpr std::uint32_t kMeasRate = 0x30210001;    // U2 ms
} // namespace

class TestConfigValueEditor : public QObject {
    Q_OBJECT
private slots:
    void editorsKeepValuesWithinTheKeysType();
};

void TestConfigValueEditor::editorsKeepValuesWithinTheKeysType() {
    const std::map<std::uint32_t, std::uint64_t> held = {
        {kDynModel, 1}, {kUart1On, 1}, {kInfUbxUart1, 0x81}, {kMeasRate, 1000}};
    QTreeWidget tree;
    tree.setColumnCount(2);
    Delegate delegate(&tree, [&](std::uint32_t key) { return held.at(key); });
    QSignalSpy refused(&delegate, &Delegate::Refused);
    struct Case {
        std::uint32_t key;
        QString shown; // what the editor starts with
        std::function<void(QWidget*)> edit;
        QVariant raw; // none when refused
    };
    const auto pick = [](const QString& text) {
        return [text](QWidget* editor) { qobject_cast<QComboBox*>(editor)->setCurrentText(text); };
    };
    const auto type = [](const QString& text) {
        return [text](QWidget* editor) { qobject_cast<QLineEdit*>(editor)->setText(text); };
    };
    const Case cases[] = {
        {kDynModel, "1", pick("AUTOMOT"), 4},
        {kUart1On, "true", pick("false"), 0},
        {kInfUbxUart1, "ERROR",
         [](QWidget* editor) {
             editor->findChild<QCheckBox*>("cbBitERROR")->setChecked(false);
             editor->findChild<QCheckBox*>("cbBitWARNING")->setChecked(true);
         },
         0x82},
        {kMeasRate, "1000 ms", type("200"), 200},
        {kMeasRate, "1000 ms", type("fast"), {}},
        // A value without a name stays as it was.
        {kDynModel, "1", [](QWidget*) {}, 1},
    };
    for (const Case& each : cases) {
        auto* item = new QTreeWidgetItem(&tree);
        item->setData(0, Delegate::kKeyRole, each.key);
        const QModelIndex index = tree.model()->index(tree.indexOfTopLevelItem(item), 1);
        QWidget* editor = delegate.createEditor(tree.viewport(), {}, index);
        delegate.setEditorData(editor, index);
        if (auto* list = qobject_cast<QComboBox*>(editor))
            QCOMPARE(list->currentText(), each.shown);
        else if (auto* edit = qobject_cast<QLineEdit*>(editor))
            QCOMPARE(edit->text(), each.shown);
        else
            QVERIFY(editor->findChild<QCheckBox*>("cbBit" + each.shown)->isChecked());
        each.edit(editor);
        delegate.setModelData(editor, tree.model(), index);
        QCOMPARE(index.data(Delegate::kRawRole), each.raw);
        delete editor;
    }
    QCOMPARE(refused.count(), 1);
    QVERIFY(refused.at(0).at(0).toString().startsWith("CFG-RATE-MEAS"));
}

QTEST_MAIN(TestConfigValueEditor)
#include "test_config_value_editor.moc"
