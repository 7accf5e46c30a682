#include "window/blocks/SignalTableModel.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <utility>

namespace {
using protocol::SignalInView;

bool SameSignal(const SignalInView& a, const SignalInView& b) {
    return a.System == b.System && a.Number == b.Number && a.SignalId == b.SignalId;
}

// NAV-SIG's quality indicator in words.
QString QualityText(int quality) {
    static const char* const kTexts[] = {"no signal", "searching",   "acquired",
                                         "unusable",  "code locked", "carrier locked"};
    return QString::fromLatin1(kTexts[std::clamp(quality, 0, 5)]);
}
} // namespace

QString BandName(protocol::RfBand band) {
    static const char* const kNames[] = {"L1", "L2", "L5", "E6", ""};
    return QString::fromLatin1(kNames[static_cast<int>(band)]);
}

TSignalTableModel::TSignalTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TSignalTableModel::SetSignals(const std::vector<SignalInView>& signalsInView) {
    stale_ = false;
    const bool sameRows = signalsInView.size() == rows_.size() &&
                          std::equal(rows_.begin(), rows_.end(), signalsInView.begin(), SameSignal);
    if (!sameRows) {
        beginResetModel();
        rows_ = signalsInView;
        endResetModel();
        return;
    }
    rows_ = signalsInView;
    if (!rows_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void TSignalTableModel::SetStale(bool stale) {
    if (std::exchange(stale_, stale) == stale || rows_.empty())
        return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::ForegroundRole});
}

int TSignalTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSignalTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSignalTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SignalInView& signal = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return Text(signal, index.column());
    case SortRole:
        return SortKey(signal, index.column());
    case Qt::ForegroundRole:
        return stale_ ? QGuiApplication::palette().color(QPalette::Dark) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == colConstellation || index.column() == colSignal
                   ? QVariant()
                   : QVariant(Qt::AlignCenter);
    }
    return {};
}

QVariant TSignalTableModel::Text(const SignalInView& signal, int column) const {
    const auto yesNo = [](bool value) { return value ? QString("yes") : QString("no"); };
    switch (column) {
    case colConstellation:
        return QString::fromLatin1(protocol::ConstellationName(signal.System));
    case colSatellite:
        return signal.Number;
    case colSignal:
        return signal.Name.empty()
                   ? QString("signal %1").arg(signal.SignalId)
                   : QString::fromLatin1(signal.Name.data(), static_cast<int>(signal.Name.size()));
    case colBand:
        return BandName(signal.Band);
    case colCn0:
        return signal.Cn0DbHz;
    case colQuality:
        return QualityText(signal.Quality);
    case colUsed:
        return yesNo(signal.Used);
    case colHealth:
        if (!signal.Healthy)
            return QString();
        return *signal.Healthy ? QString("healthy") : QString("unhealthy");
    case colCorrections:
        return yesNo(signal.CorrectionsUsed);
    }
    return {};
}

QVariant TSignalTableModel::SortKey(const SignalInView& signal, int column) const {
    switch (column) {
    case colConstellation:
        return (static_cast<int>(signal.System) * 1000 + signal.Number) * 100 + signal.SignalId;
    case colSatellite:
        return signal.Number;
    case colBand:
        return static_cast<int>(signal.Band);
    case colQuality:
        return signal.Quality;
    case colHealth:
        return signal.Healthy ? 1 + int(*signal.Healthy) : 0;
    default:
        return Text(signal, column);
    }
}

QVariant TSignalTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const captions[ColumnCount] = {
        "Constellation", "No.",  "Signal", "Band",       "C/N0\n(dBHz)",
        "Quality",       "Used", "Health", "Corrections"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(captions[section])
                                                 : QVariant();
}
