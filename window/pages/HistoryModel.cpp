#include "window/pages/HistoryModel.h"

#include <QDateTime>
#include <algorithm>

namespace {
// A line without line feeds (binary traffic) can be megabytes long; the
// view shows its head, copy and export take it whole.
constexpr int kShownLineLength = 1024;

// Printable bytes as they are, every other byte as a dot, the line's end dropped.
QString PrintableLine(std::string_view bytes) {
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r'))
        bytes.remove_suffix(1);
    QString text(static_cast<qsizetype>(bytes.size()), QChar('.'));
    for (qsizetype at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[static_cast<std::size_t>(at)]);
        if (byte >= 0x20 && byte < 0x7F)
            text[at] = QChar(byte);
    }
    return text;
}
} // namespace

QString ReceiveTimeText(std::int64_t utcMs) {
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC).toString("hh:mm:ss.zzz");
}

THistoryModel::THistoryModel(SessionHistory& history, QObject* parent)
    : QAbstractTableModel(parent), history_(history) {}

void THistoryModel::SetMode(Mode mode) {
    if (mode == mode_)
        return;
    beginResetModel();
    mode_ = mode;
    shownEndOffset_ = history_.EndOffset();
    firstRow_ = FirstRowNow();
    endRow_ = EndRowNow();
    endResetModel();
}

std::uint64_t THistoryModel::FirstRowNow() const {
    return mode_ == mdLines ? history_.FirstLine() : history_.FirstOffset() / kBytesPerRow;
}

std::uint64_t THistoryModel::EndRowNow() const {
    return mode_ == mdLines ? history_.EndLine()
                            : (history_.EndOffset() + kBytesPerRow - 1) / kBytesPerRow;
}

void THistoryModel::Commit() {
    const std::uint64_t first = FirstRowNow();
    const std::uint64_t end = EndRowNow();
    if (history_.EndOffset() == shownEndOffset_ && first == firstRow_)
        return; // nothing came or went
    shownEndOffset_ = history_.EndOffset();
    if (first >= endRow_ || first < firstRow_) {
        // Everything shown went (or the history was cleared).
        beginResetModel();
        firstRow_ = first;
        endRow_ = end;
        endResetModel();
        return;
    }
    if (first > firstRow_) {
        beginRemoveRows({}, 0, static_cast<int>(first - firstRow_ - 1));
        firstRow_ = first;
        endRemoveRows();
    }
    // The last row shown may have grown since.
    if (endRow_ > firstRow_) {
        const QModelIndex last = index(static_cast<int>(endRow_ - firstRow_ - 1), colText);
        emit dataChanged(index(last.row(), colTime), last);
    }
    if (end > endRow_) {
        beginInsertRows({}, static_cast<int>(endRow_ - firstRow_),
                        static_cast<int>(end - firstRow_ - 1));
        endRow_ = end;
        endInsertRows();
    }
}

std::uint64_t THistoryModel::RowStart(int row) const {
    const std::uint64_t number = firstRow_ + static_cast<std::uint64_t>(row);
    const std::uint64_t start =
        mode_ == mdLines ? history_.LineStart(number) : number * kBytesPerRow;
    return std::clamp(start, history_.FirstOffset(), history_.EndOffset());
}

std::uint64_t THistoryModel::RowEnd(int row) const {
    return RowStart(row + 1);
}

int THistoryModel::RowOf(std::uint64_t offset) const {
    const std::uint64_t number = mode_ == mdLines ? history_.LineOf(offset) : offset / kBytesPerRow;
    if (number < firstRow_ || number >= endRow_)
        return -1;
    return static_cast<int>(number - firstRow_);
}

QString THistoryModel::RowText(int row) const {
    return ReceiveTimeText(history_.ReceivedAt(RowStart(row))) + "  " + Text(row, -1);
}

QString THistoryModel::Text(int row, int maxLength) const {
    const std::uint64_t start = RowStart(row);
    if (mode_ == mdHexDump) {
        QString dump = QString::fromLatin1(history_.HexDump(start, 1));
        dump.chop(1); // its line feed
        return dump;
    }
    const std::size_t length = RowEnd(row) - start;
    const std::size_t shown = maxLength < 0 ? length : std::min<std::size_t>(length, maxLength);
    QString text = PrintableLine(history_.BytesFrom(start, shown));
    if (shown < length)
        text += QString::fromUtf8(" …");
    return text;
}

int THistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(endRow_ - firstRow_);
}

int THistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant THistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == colTime)
        return ReceiveTimeText(history_.ReceivedAt(RowStart(index.row())));
    return Text(index.row(), kShownLineLength);
}

QVariant THistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == colTime ? QString("Received (UTC)")
                              : QString(mode_ == mdLines ? "Line" : "Offset, bytes, ASCII");
}
