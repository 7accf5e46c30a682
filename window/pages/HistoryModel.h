#pragma once
// The History page's rows over the session history: one row per received
// line, or one per 16 bytes as a hex and ASCII dump, each with the time its
// first byte was received. Rows are numbered from the start of the session,
// so the view keeps its place while the oldest bytes go; what was received
// reaches the view only at Commit, once per redraw tick.

#include "recording/SessionHistory.h"

#include <QAbstractTableModel>
#include <cstdint>

class THistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Mode { mdLines, mdHexDump };
    enum Column { colTime, colText, ColumnCount };
    static constexpr int kBytesPerRow = 16;

    explicit THistoryModel(SessionHistory& history, QObject* parent = nullptr);

    Mode CurrentMode() const { return mode_; }
    void SetMode(Mode mode);
    // Shows what the history holds now: rows dropped from the top, rows
    // added at the bottom, the last row again when it grew.
    void Commit();

    // The bytes of a row, in offsets, and the row holding offset (-1 when
    // it is not shown).
    std::uint64_t RowStart(int row) const;
    std::uint64_t RowEnd(int row) const;
    int RowOf(std::uint64_t offset) const;
    // The row as shown, the line's text in full.
    QString RowText(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // The history's rows in the current mode, numbered from the session's start.
    std::uint64_t FirstRowNow() const;
    std::uint64_t EndRowNow() const;
    QString Text(int row, int maxLength) const;

    SessionHistory& history_;
    Mode mode_ = mdLines;
    std::uint64_t firstRow_ = 0; // the shown rows, numbered from the session's start
    std::uint64_t endRow_ = 0;
    std::uint64_t shownEndOffset_ = 0; // how far the shown rows reach
};

// "hh:mm:ss.zzz", UTC.
QString ReceiveTimeText(std::int64_t utcMs);
