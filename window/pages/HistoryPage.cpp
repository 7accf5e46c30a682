#include "window/pages/HistoryPage.h"

#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/Latin1.h"
#include "window/blocks/RecordingDialog.h"
#include "window/pages/HistoryModel.h"
#include "window/parts/RecordingSettings.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

namespace {
constexpr int kRefreshMs = 100;
} // namespace

THistoryPage::THistoryPage(QWidget* parent, SessionHistory& history)
    : QWidget(parent), history_(history), model_(new THistoryModel(history_, this)),
      refresh_(new QTimer(this)) {
    setObjectName("tabHistory");
    LayOut();
    connect(cbHistoryView, &QComboBox::currentIndexChanged, this, &THistoryPage::ChangeView);
    connect(edHistorySearch, &QLineEdit::textChanged, this, [this] { searchFrom_ = 0; });
    connect(cbHistorySearchKind, &QComboBox::currentIndexChanged, this,
            [this] { searchFrom_ = 0; });
    connect(edHistorySearch, &QLineEdit::returnPressed, btnHistoryFind, &QPushButton::click);
    connect(btnHistoryFind, &QPushButton::clicked, this, Guarded(this, [this] { FindNext(); }));
    const auto copy = Guarded(this, [this] {
        const QString text = SelectedText();
        if (text.isEmpty())
            throw std::runtime_error("Select the rows to copy first");
        QGuiApplication::clipboard()->setText(text);
    });
    connect(btnHistoryCopy, &QPushButton::clicked, this, copy);
    auto* copyKey = new QAction(tvHistory);
    copyKey->setShortcut(QKeySequence::Copy);
    copyKey->setShortcutContext(Qt::WidgetShortcut);
    tvHistory->addAction(copyKey);
    connect(copyKey, &QAction::triggered, this, copy);
    connect(btnHistoryExport, &QPushButton::clicked, this,
            Guarded(this, [this] { ExportClick(); }));
    connect(refresh_, &QTimer::timeout, this, &THistoryPage::Refresh);
    refresh_->start(kRefreshMs);
    Refresh(); // what was received before the page was built
}

void THistoryPage::LayOut() {
    cbHistoryView = new QComboBox(this);
    cbHistoryView->setObjectName("cbHistoryView");
    cbHistoryView->addItems({"Text lines", "Hex dump"});
    edHistorySearch = MakeLineEdit(this, "edHistorySearch");
    edHistorySearch->setPlaceholderText("Find text, a regular expression or hex bytes (B5 62)");
    AddClearButtonWhenShown(edHistorySearch);
    cbHistorySearchKind = new QComboBox(this);
    cbHistorySearchKind->setObjectName("cbHistorySearchKind");
    cbHistorySearchKind->addItems({"Text", "Regular expression", "Hex bytes"});
    btnHistoryFind = MakeButton(this, "btnHistoryFind", "Find next");
    btnHistoryCopy = MakeButton(this, "btnHistoryCopy", "Copy");
    btnHistoryExport = MakeButton(this, "btnHistoryExport", "Export...");
    lblHistory = MakeLabel(this, "lblHistory", "");

    tvHistory = new QTableView(this);
    tvHistory->setObjectName("tvHistory");
    tvHistory->setModel(model_);
    tvHistory->setFont(FixedPitchFont());
    tvHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvHistory->setSelectionMode(QAbstractItemView::ContiguousSelection);
    tvHistory->setWordWrap(false);
    tvHistory->verticalHeader()->hide();
    // Fixed row heights: the view never measures a million rows.
    tvHistory->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvHistory->verticalHeader()->setDefaultSectionSize(tvHistory->fontMetrics().height() + 4);
    tvHistory->horizontalHeader()->setStretchLastSection(true);
    tvHistory->setColumnWidth(THistoryModel::colTime,
                              tvHistory->fontMetrics().horizontalAdvance("Received (UTC)") + 24);

    auto* tools = new QHBoxLayout;
    tools->addWidget(cbHistoryView);
    tools->addWidget(edHistorySearch, 1);
    tools->addWidget(cbHistorySearchKind);
    tools->addWidget(btnHistoryFind);
    tools->addWidget(btnHistoryCopy);
    tools->addWidget(btnHistoryExport);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addWidget(tvHistory, 1);
    layout->addWidget(lblHistory);
}

void THistoryPage::ChangeView(int index) {
    // The selection stays on the same bytes: the match found last when its
    // rows are the ones selected, else the bytes of the selected rows.
    std::optional<Match> kept;
    if (const auto rows = SelectedRows()) {
        const std::uint64_t start = model_->RowStart(rows->first);
        kept = Match{start, model_->RowEnd(rows->second) - start};
        if (found_ && model_->RowOf(found_->offset) == rows->first &&
            model_->RowOf(found_->offset + found_->length - 1) == rows->second)
            kept = found_;
    }
    model_->SetMode(index == 1 ? THistoryModel::mdHexDump : THistoryModel::mdLines);
    if (kept && kept->length > 0)
        Select(*kept);
}

void THistoryPage::Refresh() {
    QScrollBar* scroll = tvHistory->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    model_->Commit();
    if (following)
        tvHistory->scrollToBottom();
}

bool THistoryPage::FindNext() {
    Refresh();
    const std::optional<Match> match = Search(std::max(searchFrom_, history_.FirstOffset()));
    if (!match) {
        // The next search starts again from the oldest byte kept.
        searchFrom_ = 0;
        lblHistory->setText("Not found");
        return false;
    }
    searchFrom_ = match->offset + 1;
    found_ = match;
    Select(*match);
    lblHistory->setText(
        QString("Found at offset %1, received %2")
            .arg(QString::number(match->offset, 16).toUpper().rightJustified(8, '0'),
                 ReceiveTimeText(history_.ReceivedAt(match->offset))));
    return true;
}

std::optional<THistoryPage::Match> THistoryPage::Search(std::uint64_t from) const {
    const QString typed = edHistorySearch->text();
    if (typed.isEmpty())
        throw std::runtime_error("Type the text, regular expression or hex bytes to find");
    std::string needle;
    switch (cbHistorySearchKind->currentIndex()) {
    case skRegularExpression:
        return SearchPattern(from);
    case skHexBytes:
        if (const std::optional<std::string> bytes = ParseHexBytes(typed.toStdString()))
            needle = *bytes;
        else
            throw std::runtime_error("Hex bytes are pairs of hex digits, such as B5 62 01");
        break;
    default:
        needle = typed.toLatin1().toStdString();
    }
    if (const std::optional<std::uint64_t> at = history_.Find(needle, from))
        return Match{*at, needle.size()};
    return std::nullopt;
}

std::optional<THistoryPage::Match> THistoryPage::SearchPattern(std::uint64_t from) const {
    const QRegularExpression pattern(edHistorySearch->text());
    if (!pattern.isValid())
        throw std::runtime_error("Not a valid regular expression: " +
                                 pattern.errorString().toStdString());
    // Line by line: a line is one run of bytes however many chunks brought it.
    for (std::uint64_t line = history_.LineOf(from); line < history_.EndLine(); ++line) {
        const std::uint64_t start = std::max(history_.LineStart(line), history_.FirstOffset());
        const std::string_view bytes = history_.BytesFrom(start, history_.LineEnd(line) - start);
        const QRegularExpressionMatch found =
            pattern.match(Latin1(bytes), static_cast<qsizetype>(std::max(from, start) - start));
        if (found.hasMatch() && found.capturedLength() > 0)
            return Match{start + static_cast<std::uint64_t>(found.capturedStart()),
                         static_cast<std::uint64_t>(found.capturedLength())};
    }
    return std::nullopt;
}

void THistoryPage::Select(const Match& match) {
    const int first = model_->RowOf(match.offset);
    const int last = model_->RowOf(match.offset + match.length - 1);
    const QModelIndex top = model_->index(first, THistoryModel::colTime);
    tvHistory->selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
    tvHistory->selectionModel()->select(
        QItemSelection(top, model_->index(last, THistoryModel::colText)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tvHistory->scrollTo(top);
}

std::optional<std::pair<int, int>> THistoryPage::SelectedRows() const {
    const QModelIndexList rows = tvHistory->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    const auto [lowest, highest] = std::minmax_element(
        rows.begin(), rows.end(),
        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return std::pair(lowest->row(), highest->row());
}

QString THistoryPage::SelectedText() const {
    QString text;
    if (const auto rows = SelectedRows())
        for (int row = rows->first; row <= rows->second; ++row)
            text += model_->RowText(row) + '\n';
    return text;
}

std::string THistoryPage::SelectedBytes() const {
    const auto rows = SelectedRows();
    if (!rows)
        return {};
    const std::uint64_t start = model_->RowStart(rows->first);
    return std::string(history_.BytesFrom(start, model_->RowEnd(rows->second) - start));
}

void THistoryPage::ExportSelection(const QString& path) const {
    const std::string bytes = SelectedBytes();
    if (bytes.empty())
        throw std::runtime_error("Select the rows to export first");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.flush())
        throw std::runtime_error(
            QString("Cannot export to %1: %2").arg(path, file.errorString()).toStdString());
}

void THistoryPage::ExportClick() {
    if (!SelectedRows())
        throw std::runtime_error("Select the rows to export first");
    const bool ubx = SelectedBytes().find("\xB5\x62") != std::string::npos;
    const QString path = AskRecordingPath(this, "Export selection", RestoreRecordingFolder(),
                                          "zepo-history-", ubx ? "ubx" : "nmea");
    if (path.isEmpty())
        return;
    ExportSelection(path);
    StoreRecordingFolderOf(path);
}
