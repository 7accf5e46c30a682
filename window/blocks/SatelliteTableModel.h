#pragma once
// The Receiver page's satellite table: one row per satellite in view with its
// constellation, number, elevation, azimuth, C/N0, whether the fix uses it
// and its health where the receiver tells; a satellite whose report is stale
// is greyed. Rows are kept in constellation and number order and updated in
// place, so a sorting proxy and the user's selection stay put through the
// updates that come several times a second.

#include "protocol/state/ReceiverState.h"

#include <QAbstractTableModel>
#include <vector>

class TSatelliteTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        colConstellation,
        colNumber,
        colElevation,
        colAzimuth,
        colCn0,
        colUsed,
        colHealth,
        ColumnCount
    };
    // Numbers as numbers for sorting: the constellation sorts by its order
    // in the receiver's report, then by number; a value not sent sorts first.
    static constexpr int SortRole = Qt::UserRole;

    explicit TSatelliteTableModel(QObject* parent = nullptr);

    // Removes the satellites no longer in view, inserts the new ones and
    // updates the rest in place.
    void SetSatellites(const std::vector<protocol::TrackedSatellite>& satellites);
    const protocol::TrackedSatellite& At(int row) const { return rows_.at(std::size_t(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVariant Text(const protocol::TrackedSatellite& satellite, int column) const;
    QVariant SortKey(const protocol::TrackedSatellite& satellite, int column) const;

    std::vector<protocol::TrackedSatellite> rows_; // by constellation, then number
};
