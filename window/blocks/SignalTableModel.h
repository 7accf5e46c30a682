#pragma once
// The Health page's signal table: one row per signal the receiver tracks
// (NAV-SIG) with its constellation, satellite, signal name, band, C/N0,
// tracking quality, whether the fix uses it, its health and whether
// corrections were applied to it. The whole table is stale once the
// receiver stops reporting: its rows are greyed. Rows keep their place when
// the same signals come again, so a sorting proxy and the selection stay put.

#include "protocol/decoding/Decoded.h"

#include <QAbstractTableModel>
#include <vector>

class TSignalTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        colConstellation,
        colSatellite,
        colSignal,
        colBand,
        colCn0,
        colQuality,
        colUsed,
        colHealth,
        colCorrections,
        ColumnCount
    };
    // Numbers as numbers for sorting; the quality by its level.
    static constexpr int SortRole = Qt::UserRole;

    explicit TSignalTableModel(QObject* parent = nullptr);

    void SetSignals(const std::vector<protocol::SignalInView>& signalsInView);
    void SetStale(bool stale);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant Text(const protocol::SignalInView& signal, int column) const;
    QVariant SortKey(const protocol::SignalInView& signal, int column) const;

    std::vector<protocol::SignalInView> rows_;
    bool stale_ = false;
};

// "L1", "L2", "L5", "E6"; empty for a band not known.
QString BandName(protocol::RfBand band);
