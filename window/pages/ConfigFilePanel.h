#pragma once
// The "Configuration files" panel: applies a configuration file to the
// receiver frame by frame ("Apply file...", values of a KEY=value file going
// to the layers ticked), records the configuration commands the window
// sends ("Record commands", "Save recorded...") and saves the values the
// hosting page read from the receiver as a KEY=value file or as a file of
// CFG-VALGET frames ("Save configuration..."). Each frame's outcome, a file's errors and each run's
// summary are listed.

#include "protocol/commands/ConfigValues.h"

#include <QGroupBox>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class TConfigCommandRecorder;
class TConfigFileRunner;
class TUbxCommander;

// Values of one layer as the hosting page read them from the receiver.
struct TConfigSnapshot {
    std::vector<ubx::TConfigValue> values;
    QString layer;            // "RAM"
    QString receiver;         // "ZED-F9P, FWVER=HPG 1.32"; may be empty
    bool onlyChanged = false; // only the values that differ from the defaults
};

class TConfigFilePanel : public QGroupBox {
    Q_OBJECT
public:
    TConfigFilePanel(QWidget* parent, TUbxCommander& commander);

    // Where "Save configuration..." takes its values from; none (nothing read
    // yet) leaves the user told so. Until a source is set the button is hidden.
    using TSnapshotSource = std::function<std::optional<TConfigSnapshot>()>;
    void SetSnapshotSource(TSnapshotSource source);

public slots:
    // Asks where to save and writes the values as a KEY=value file.
    void SaveValues(const TConfigSnapshot& snapshot);

private:
    void CreateControls();
    void Connect();
    void ApplyFile();
    void SaveRecorded();
    void SaveConfiguration();
    std::uint8_t ChosenLayers() const;
    // Asks for a file to write, suggesting prefix + date and time + ".txt";
    // empty when cancelled. chosenFilter, when given, is the filter offered
    // first and then the one the user chose.
    QString AskSavePath(const QString& caption, const QString& prefix, const QString& filters,
                        QString* chosenFilter = nullptr);
    void WriteFile(const QString& path, const std::string& text);
    void Log(const QString& line);
    void ShowRunning(bool running);

    TConfigFileRunner* runner_;
    TConfigCommandRecorder* recorder_;
    TSnapshotSource snapshotSource_;
    QString folder_; // where the last file was chosen

    QPushButton* btnApplyConfigFile;
    QPushButton* btnCancelApply;
    QCheckBox* cbApplyRam;
    QCheckBox* cbApplyBbr;
    QCheckBox* cbApplyFlash;
    QCheckBox* cbGoOnAfterNak;
    QPushButton* btnRecordCommands;
    QPushButton* btnSaveRecorded;
    QPushButton* btnSaveConfiguration;
    QCheckBox* cbWithDescriptions;
    QLabel* lblConfigFileStatus;
    QListWidget* lstConfigFileLog;
};
