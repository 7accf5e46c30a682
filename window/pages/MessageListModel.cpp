#include "window/pages/MessageListModel.h"

#include "window/blocks/Latin1.h"

#include <QColor>
#include <QDateTime>

TMessageListModel::TMessageListModel(Summarizer summarize, std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), summarize_(std::move(summarize)), capacity_(capacity) {}

void TMessageListModel::Add(qint64 receivedMs, const protocol::Message& message,
                            const std::string& name) {
    waiting_.push_back({receivedMs, message, NameIndex(name)});
    if (waiting_.size() > capacity_)
        waiting_.pop_front();
}

std::uint32_t TMessageListModel::NameIndex(const std::string& name) {
    const auto [place, added] =
        nameIndex_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
    if (added)
        names_.push_back(name);
    return place->second;
}

void TMessageListModel::Commit() {
    if (paused_ || waiting_.empty())
        return;
    const std::size_t overflow =
        rows_.size() + waiting_.size() > capacity_ ? rows_.size() + waiting_.size() - capacity_ : 0;
    if (overflow > 0) {
        const auto dropped = std::min(overflow, rows_.size());
        beginRemoveRows({}, 0, static_cast<int>(dropped) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(dropped));
        endRemoveRows();
    }
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(waiting_.size()) - 1);
    std::move(waiting_.begin(), waiting_.end(), std::back_inserter(rows_));
    waiting_.clear();
    endInsertRows();
}

void TMessageListModel::SetPaused(bool paused) {
    paused_ = paused;
    Commit();
}

void TMessageListModel::Clear() {
    beginResetModel();
    rows_.clear();
    waiting_.clear();
    endResetModel();
}

int TMessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TMessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TListedMessage& message = At(index.row());
    if (role == Qt::DisplayRole)
        return Text(message, index.column());
    if (role == Qt::ForegroundRole && index.column() == colChecksum &&
        message.Message.Checksum == protocol::ChecksumState::Wrong)
        return QColor(Qt::red);
    if (role == Qt::TextAlignmentRole && index.column() == colLength)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TMessageListModel::Text(const TListedMessage& message, int column) const {
    switch (column) {
    case colTime:
        return QDateTime::fromMSecsSinceEpoch(message.ReceivedMs).toString("HH:mm:ss.zzz");
    case colProtocol:
        return ProtocolCaption(message.Message.Kind);
    case colName:
        return Latin1(NameOf(message));
    case colLength:
        return static_cast<qulonglong>(message.Message.Bytes.size());
    case colChecksum:
        return ChecksumCaption(message.Message.Checksum);
    case colSummary:
        return Latin1(summarize_(message.Message));
    }
    return {};
}

QVariant TMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const captions[ColumnCount] = {"Time",   "Protocol", "Name",
                                                      "Length", "Checksum", "Summary"};
    return section >= 0 && section < ColumnCount ? QString(captions[section]) : QVariant();
}

QString ProtocolCaption(protocol::MessageKind kind) {
    switch (kind) {
    case protocol::MessageKind::Nmea:
        return "NMEA";
    case protocol::MessageKind::Ubx:
        return "UBX";
    case protocol::MessageKind::Rtcm3:
        return "RTCM3";
    case protocol::MessageKind::Unframed:
        break;
    }
    return "Other";
}

QString ChecksumCaption(protocol::ChecksumState state) {
    switch (state) {
    case protocol::ChecksumState::Right:
        return "ok";
    case protocol::ChecksumState::Wrong:
        return "wrong";
    case protocol::ChecksumState::None:
        break;
    }
    return {};
}
