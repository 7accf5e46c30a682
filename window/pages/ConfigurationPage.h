#pragma once
// The "Configuration" page: the configuration database of a generation 9+
// receiver as a tree of groups and keys, with each key's value in RAM, BBR,
// Flash and Default side by side; a value that differs from Default shows
// bold, its tooltip telling the default. "Read" reads the chosen group or
// every key from all four layers; the search field keeps the keys whose name
// or description holds its text. A new value is typed or picked in the "New
// value" column within its key's type; "Apply" writes the new values into the
// checked layers, "Revert to default" gives the selected keys (or a group's
// keys) their defaults there. The receiver's answer and what was read show
// in the label below. Beneath, the configuration files: applying one,
// recording the commands sent, and saving a layer read (or what of it
// differs from Default) as a file.

#include "window/pages/ConfigFilePanel.h"

#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TConfigDatabaseSession;
class TUbxCommander;

class TConfigurationPage : public QWidget {
    Q_OBJECT
public:
    // The tree's columns.
    enum TColumn { ColKey, ColRam, ColBbr, ColFlash, ColDefault, ColNew, ColDescription };

    TConfigurationPage(QWidget* parent, TConfigDatabaseSession& session, TUbxCommander& commander);

protected:
    // The tree is filled when the page first shows, not at the window's start.
    void showEvent(QShowEvent* event) override;

private:
    void Connect();
    QHBoxLayout* CreateSaveChoice();
    std::optional<TConfigSnapshot> ReadSnapshot() const;
    void FillTree();
    QTreeWidgetItem* GroupItem(std::uint32_t key);
    QTreeWidgetItem* KeyItem(std::uint32_t key);
    void ShowValues();
    void Filter(const QString& text);
    void ReadClicked();
    void ApplyClicked();
    void RevertClicked();
    void Finished(const QString& report, bool succeeded);
    std::uint8_t LayerMask() const;

    TConfigDatabaseSession& session_;
    TConfigFilePanel* filePanel_;
    QComboBox* cbSaveLayer;
    QCheckBox* cbSaveOnlyChanged;
    std::map<std::uint8_t, QTreeWidgetItem*> groups_; // by group ID
    std::map<std::uint32_t, QTreeWidgetItem*> keys_;
    bool applying_ = false; // the running task writes the new values

    QComboBox* cbConfigGroup;
    QPushButton* btnConfigRead;
    QLineEdit* edConfigSearch;
    QTreeWidget* twConfigKeys;
    QCheckBox* cbConfigRam;
    QCheckBox* cbConfigBbr;
    QCheckBox* cbConfigFlash;
    QPushButton* btnConfigApply;
    QPushButton* btnConfigRevert;
    QLabel* lblConfigAnswer;
};
