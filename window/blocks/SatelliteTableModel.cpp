#include "window/blocks/SatelliteTableModel.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <climits>
#include <utility>

namespace {
using protocol::TrackedSatellite;

std::pair<protocol::Constellation, int> Key(const TrackedSatellite& satellite) {
    return {satellite.System, satellite.Number};
}

bool Same(const TrackedSatellite& a, const TrackedSatellite& b) {
    return static_cast<const protocol::SatelliteInView&>(a) ==
               static_cast<const protocol::SatelliteInView&>(b) &&
           a.Stale == b.Stale;
}

QVariant Number(const std::optional<int>& value) {
    return value ? QVariant(*value) : QVariant();
}
} // namespace

TSatelliteTableModel::TSatelliteTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TSatelliteTableModel::SetSatellites(const std::vector<TrackedSatellite>& satellites) {
    std::vector<TrackedSatellite> fresh = satellites;
    std::stable_sort(fresh.begin(), fresh.end(),
                     [](const auto& a, const auto& b) { return Key(a) < Key(b); });
    fresh.erase(std::unique(fresh.begin(), fresh.end(),
                            [](const auto& a, const auto& b) { return Key(a) == Key(b); }),
                fresh.end());

    // Both lists in key order: walk them together.
    std::size_t row = 0, next = 0;
    while (row < rows_.size() || next < fresh.size()) {
        const bool rowGone =
            row < rows_.size() && (next == fresh.size() || Key(rows_[row]) < Key(fresh[next]));
        const bool nextNew =
            next < fresh.size() && (row == rows_.size() || Key(fresh[next]) < Key(rows_[row]));
        if (rowGone) {
            std::size_t end = row + 1;
            while (end < rows_.size() &&
                   (next == fresh.size() || Key(rows_[end]) < Key(fresh[next])))
                ++end;
            beginRemoveRows({}, int(row), int(end) - 1);
            rows_.erase(rows_.begin() + std::ptrdiff_t(row), rows_.begin() + std::ptrdiff_t(end));
            endRemoveRows();
        } else if (nextNew) {
            std::size_t end = next + 1;
            while (end < fresh.size() && (row == rows_.size() || Key(fresh[end]) < Key(rows_[row])))
                ++end;
            beginInsertRows({}, int(row), int(row + end - next) - 1);
            rows_.insert(rows_.begin() + std::ptrdiff_t(row), fresh.begin() + std::ptrdiff_t(next),
                         fresh.begin() + std::ptrdiff_t(end));
            endInsertRows();
            row += end - next;
            next = end;
        } else {
            if (!Same(rows_[row], fresh[next])) {
                rows_[row] = fresh[next];
                emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
            }
            ++row;
            ++next;
        }
    }
}

int TSatelliteTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSatelliteTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSatelliteTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TrackedSatellite& satellite = At(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Text(satellite, index.column());
    case SortRole:
        return SortKey(satellite, index.column());
    case Qt::ForegroundRole:
        return satellite.Stale ? QGuiApplication::palette().color(QPalette::Dark) : QVariant();
    case Qt::TextAlignmentRole: // under the captions, which the header centres
        return index.column() == colConstellation ? QVariant() : QVariant(Qt::AlignCenter);
    }
    return {};
}

QVariant TSatelliteTableModel::Text(const TrackedSatellite& satellite, int column) const {
    switch (column) {
    case colConstellation:
        return QString::fromLatin1(protocol::ConstellationName(satellite.System));
    case colNumber:
        return satellite.Number;
    case colElevation:
        return Number(satellite.ElevationDeg);
    case colAzimuth:
        return Number(satellite.AzimuthDeg);
    case colCn0:
        return Number(satellite.Cn0DbHz);
    case colUsed:
        return satellite.Used ? QString("yes") : QString("no");
    case colHealth:
        if (!satellite.Healthy)
            return QString();
        return *satellite.Healthy ? QString("healthy") : QString("unhealthy");
    }
    return {};
}

QVariant TSatelliteTableModel::SortKey(const TrackedSatellite& satellite, int column) const {
    const auto orNone = [](const std::optional<int>& value) { return value.value_or(INT_MIN); };
    switch (column) {
    case colConstellation:
        return static_cast<int>(satellite.System) * 1000 + satellite.Number;
    case colNumber:
        return satellite.Number;
    case colElevation:
        return orNone(satellite.ElevationDeg);
    case colAzimuth:
        return orNone(satellite.AzimuthDeg);
    case colCn0:
        return orNone(satellite.Cn0DbHz);
    case colUsed:
        return int(satellite.Used);
    case colHealth:
        return satellite.Healthy ? 1 + int(*satellite.Healthy) : 0;
    }
    return {};
}

QVariant TSatelliteTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    // Units on a second line keep the columns as narrow as their numbers.
    static const char* const captions[ColumnCount] = {
        "Constellation", "No.", "Elevation\n(°)", "Azimuth\n(°)", "C/N0\n(dBHz)", "Used", "Health"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(captions[section])
                                                 : QVariant();
}
