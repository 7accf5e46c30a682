#pragma once
// The "History" page: everything received this session with its receive
// times, as text lines or as a hex and ASCII dump, bounded to the newest
// lines or bytes the session history keeps. A search for text, a regular
// expression or hex bytes selects the next match, also one that spans
// received chunks, and stays selected when the view changes between lines
// and hex dump; the selected rows can be copied as shown or exported as the
// bytes received. The history is the window's: it fills while the page is
// not built yet.

#include "recording/SessionHistory.h"

#include <QWidget>
#include <cstdint>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class THistoryModel;

class THistoryPage : public QWidget {
    Q_OBJECT
public:
    enum SearchKind { skText, skRegularExpression, skHexBytes };

    THistoryPage(QWidget* parent, SessionHistory& history);

    // Shows what was received since the last call.
    void Refresh();

    const SessionHistory& History() const { return history_; }
    THistoryModel& Model() { return *model_; }

    // Selects the rows of the next match after the last one found; false
    // when there is none. Throws std::runtime_error on a malformed search.
    bool FindNext();
    // The selected rows as shown, one a line; their bytes as received.
    QString SelectedText() const;
    std::string SelectedBytes() const;
    // Writes the selected rows' bytes to path; throws std::runtime_error
    // when the file cannot be written.
    void ExportSelection(const QString& path) const;

private:
    void LayOut();
    void ExportClick();
    struct Match {
        std::uint64_t offset;
        std::uint64_t length;
    };
    void ChangeView(int index);
    std::optional<Match> Search(std::uint64_t from) const;
    std::optional<Match> SearchPattern(std::uint64_t from) const;
    void Select(const Match& match);
    // The selected rows, first and last; nothing when none is.
    std::optional<std::pair<int, int>> SelectedRows() const;

    SessionHistory& history_;
    THistoryModel* model_;
    QTimer* refresh_;
    std::uint64_t searchFrom_ = 0;
    std::optional<Match> found_; // the match found last

    QComboBox* cbHistoryView; // 0 text lines, 1 hex dump
    QLineEdit* edHistorySearch;
    QComboBox* cbHistorySearchKind; // a SearchKind
    QPushButton* btnHistoryFind;
    QPushButton* btnHistoryCopy;
    QPushButton* btnHistoryExport;
    QLabel* lblHistory;
    QTableView* tvHistory;
};
