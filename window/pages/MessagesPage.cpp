#include "window/pages/MessagesPage.h"

#include "window/blocks/Controls.h"
#include "window/blocks/HexDump.h"
#include "window/blocks/Latin1.h"
#include "window/blocks/TextPane.h"
#include "window/pages/MessageText.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QTableWidget* MakeTable(QWidget* parent, const QString& name, const QStringList& captions) {
    auto* table = new QTableWidget(0, static_cast<int>(captions.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(captions);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    return table;
}

void SetRow(QTableWidget* table, int row, const QStringList& texts) {
    for (int column = 0; column < texts.size(); ++column) {
        QTableWidgetItem* item = table->item(row, column);
        if (!item)
            table->setItem(row, column, item = new QTableWidgetItem);
        if (item->text() != texts[column])
            item->setText(texts[column]);
    }
}
} // namespace

TMessagesPage::TMessagesPage(QWidget* parent, TMessageListModel& messages)
    : QWidget(parent), messages_(&messages), filtered_(new QSortFilterProxyModel(this)) {
    setObjectName("tabMessages");
    filtered_->setSourceModel(messages_);
    filtered_->setFilterKeyColumn(TMessageListModel::colName);
    filtered_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    LayOut();
    connect(edMessageFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QScopedValueRollback reshaping(reshaping_, true);
        filtered_->setFilterFixedString(text);
    });
    connect(btnMessagesPause, &QPushButton::toggled, this, &TMessagesPage::PauseClicked);
    connect(btnMessagesClear, &QPushButton::clicked, messages_, &TMessageListModel::Clear);
    connect(messages_, &QAbstractItemModel::modelReset, this, &TMessagesPage::Cleared);
    connect(tvMessages->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TMessagesPage::CurrentMoved);
    QScrollBar* scroll = tvMessages->verticalScrollBar();
    connect(scroll, &QScrollBar::actionTriggered, this,
            [this, scroll] { following_ = scroll->sliderPosition() == scroll->maximum(); });
    tvMessages->installEventFilter(this);
}

void TMessagesPage::LayOut() {
    edMessageFilter = MakeLineEdit(this, "edMessageFilter");
    edMessageFilter->setPlaceholderText("Filter by name");
    AddClearButtonWhenShown(edMessageFilter);
    btnMessagesPause = MakeButton(this, "btnMessagesPause", "Pause");
    btnMessagesPause->setCheckable(true);
    btnMessagesClear = MakeButton(this, "btnMessagesClear", "Clear");

    tvMessages = new QTableView(this);
    tvMessages->setObjectName("tvMessages");
    tvMessages->setModel(filtered_);
    tvMessages->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvMessages->setSelectionMode(QAbstractItemView::SingleSelection);
    tvMessages->verticalHeader()->hide();
    // Fixed row heights: the view never measures 200,000 rows.
    tvMessages->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tvMessages->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    tvMessages->horizontalHeader()->setStretchLastSection(true);
    const int columnWidths[] = {90, 60, 100, 50, 75};
    for (int column = 0; column < 5; ++column)
        tvMessages->setColumnWidth(column, columnWidths[column]);

    tvMessageFields = MakeTable(this, "tvMessageFields", {"Field", "Value", "Unit"});
    moMessageBytes = MakeTextPane(this, "moMessageBytes");
    tvMessageTypes = MakeTable(this, "tvMessageTypes",
                               {"Name", "Count", "Rate (Hz)", "Last seen", "Checksum errors"});

    auto* tools = new QHBoxLayout;
    tools->addWidget(edMessageFilter, 1);
    tools->addWidget(btnMessagesPause);
    tools->addWidget(btnMessagesClear);

    auto* listAndTypes = new QSplitter(Qt::Vertical, this);
    listAndTypes->addWidget(tvMessages);
    listAndTypes->addWidget(tvMessageTypes);
    listAndTypes->setStretchFactor(0, 3);
    listAndTypes->setStretchFactor(1, 1);
    auto* details = new QSplitter(Qt::Vertical, this);
    details->addWidget(tvMessageFields);
    details->addWidget(moMessageBytes);
    auto* panes = new QSplitter(Qt::Horizontal, this);
    panes->addWidget(listAndTypes);
    panes->addWidget(details);
    panes->setStretchFactor(0, 3);
    panes->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(tools);
    layout->addWidget(panes, 1);
}

void TMessagesPage::Refresh(const std::vector<TMessageTypeRow>& types) {
    ShowChanges([this] { messages_->Commit(); });
    ShowTypes(types);
}

// Rows added at the bottom and dropped from the top keep the user's place:
// the selected message stays selected, and when it is dropped nothing is
// (the selection model would make the row below it current instead); when
// not following, the row at the top stays at the top.
void TMessagesPage::ShowChanges(const std::function<void()>& change) {
    const QScopedValueRollback reshaping(reshaping_, true);
    const QPersistentModelIndex selected(tvMessages->currentIndex());
    const QPersistentModelIndex top(tvMessages->indexAt(QPoint(0, 0)));
    const bool hadSelected = selected.isValid(), hadTop = top.isValid();
    change();
    if (hadSelected && !selected.isValid())
        tvMessages->selectionModel()->clear();
    if (following_)
        tvMessages->scrollToBottom();
    else if (top.isValid())
        tvMessages->scrollTo(top, QAbstractItemView::PositionAtTop);
    else if (hadTop)
        tvMessages->scrollToTop();
}

// End selects the newest row and follows again.
bool TMessagesPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tvMessages && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_End) {
        FollowNewest();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TMessagesPage::FollowNewest() {
    if (const int last = filtered_->rowCount() - 1; last >= 0) {
        const QScopedValueRollback reshaping(reshaping_, true);
        tvMessages->setCurrentIndex(filtered_->index(last, TMessageListModel::colTime));
    }
    following_ = true;
    tvMessages->scrollToBottom();
}

// A row the user picks stays in view: the list stops following.
void TMessagesPage::CurrentMoved() {
    if (!reshaping_)
        following_ = false;
    ShowSelected();
}

void TMessagesPage::ShowSelected() {
    const QModelIndex current = filtered_->mapToSource(tvMessages->currentIndex());
    tvMessageFields->setRowCount(0);
    if (!current.isValid()) {
        moMessageBytes->clear();
        return;
    }
    const protocol::Message& message = messages_->At(current.row()).Message;
    const std::vector<TFieldText> fields = MessageFields(message);
    tvMessageFields->setRowCount(static_cast<int>(fields.size()));
    for (int row = 0; row < tvMessageFields->rowCount(); ++row)
        SetRow(tvMessageFields, row, {fields[row].Name, fields[row].Value, fields[row].Unit});
    moMessageBytes->setPlainText(HexDump(message.Bytes));
}

void TMessagesPage::PauseClicked(bool paused) {
    btnMessagesPause->setText(paused ? "Resume" : "Pause");
    ShowChanges([this, paused] { messages_->SetPaused(paused); });
}

void TMessagesPage::Cleared() {
    following_ = true;
    ShowSelected();
}

void TMessagesPage::ShowTypes(const std::vector<TMessageTypeRow>& types) {
    tvMessageTypes->setRowCount(static_cast<int>(types.size()));
    for (int row = 0; row < tvMessageTypes->rowCount(); ++row) {
        const TMessageTypeRow& type = types[row];
        SetRow(tvMessageTypes, row,
               {Latin1(type.Name), QString::number(type.Count),
                QString::number(type.RateHz, 'f', 2),
                type.LastSeenMs
                    ? QDateTime::fromMSecsSinceEpoch(type.LastSeenMs).toString("HH:mm:ss.zzz")
                    : QString(),
                QString::number(type.ChecksumErrors)});
    }
}
