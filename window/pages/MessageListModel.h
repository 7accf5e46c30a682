#pragma once
// The Messages page's list: one row per message cut from the receiver's
// stream, oldest first, bounded to the newest Capacity messages. Messages are
// taken as they arrive but reach the view only at Commit, which the page
// calls on its redraw timer, so a fast stream costs one view update per tick
// instead of one per message. While paused the view keeps its rows and the
// new messages wait (within the same bound) until resumed.
//
// A row keeps the message's bytes and an index into a table of names; the
// summary and the decoded fields are worked out from the bytes when shown.

#include "protocol/framing/Message.h"

#include <QAbstractTableModel>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

struct TListedMessage {
    qint64 ReceivedMs = 0; // milliseconds since the epoch
    protocol::Message Message;
    std::uint32_t NameIndex = 0;
};

class TMessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { colTime, colProtocol, colName, colLength, colChecksum, colSummary, ColumnCount };

    static constexpr std::size_t kDefaultCapacity = 200000;

    using Summarizer = std::function<std::string(const protocol::Message&)>;

    explicit TMessageListModel(Summarizer summarize, std::size_t capacity = kDefaultCapacity,
                               QObject* parent = nullptr);

    void Add(qint64 receivedMs, const protocol::Message& message, const std::string& name);
    // Shows the messages taken since the last commit (unless paused).
    void Commit();
    void SetPaused(bool paused);
    bool Paused() const { return paused_; }
    // Forgets every message, shown or waiting.
    void Clear();

    std::size_t Capacity() const { return capacity_; }
    // Messages taken but not shown yet.
    std::size_t Waiting() const { return waiting_.size(); }
    const TListedMessage& At(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    const std::string& NameOf(const TListedMessage& message) const {
        return names_[message.NameIndex];
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::uint32_t NameIndex(const std::string& name);
    QVariant Text(const TListedMessage& message, int column) const;

    Summarizer summarize_;
    std::size_t capacity_;
    bool paused_ = false;
    std::deque<TListedMessage> rows_;
    std::deque<TListedMessage> waiting_;
    std::vector<std::string> names_;
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
};

// "NMEA", "UBX", "RTCM3" or "Other" (bytes that are none of them).
QString ProtocolCaption(protocol::MessageKind kind);
// "ok", "wrong" or "" (no checksum sent).
QString ChecksumCaption(protocol::ChecksumState state);
