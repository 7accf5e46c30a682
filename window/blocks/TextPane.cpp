#include "window/blocks/TextPane.h"

#include "window/blocks/Controls.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QtMath>

QPlainTextEdit* MakeTextPane(QWidget* parent, const QString& name) {
    auto* pane = new QPlainTextEdit(parent);
    pane->setObjectName(name);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setUndoRedoEnabled(false);
    pane->setReadOnly(true);
    pane->setFont(FixedPitchFont());
    return pane;
}

void FitColumns(QPlainTextEdit* pane, int columns) {
    const int text = pane->fontMetrics().horizontalAdvance(QString(columns, 'W'));
    const int margins = 2 * (pane->frameWidth() + qCeil(pane->document()->documentMargin()));
    pane->setMinimumWidth(text + margins + pane->verticalScrollBar()->sizeHint().width());
}

QPlainTextEdit* MakeLogPane(QWidget* parent, const QString& name) {
    QPlainTextEdit* pane = MakeTextPane(parent, name);
    pane->setMaximumBlockCount(MaxPaneLines);
    return pane;
}

void AppendLine(QPlainTextEdit* pane, const QString& line) {
    // A view resting on the last line follows it, so the newest line shows.
    QScrollBar* scroll = pane->verticalScrollBar();
    const bool following = scroll->value() == scroll->maximum();
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(line);
    if (following)
        scroll->setValue(scroll->maximum());
}

void InsertFirstLine(QPlainTextEdit* pane, const QString& line, int maxLines) {
    QTextDocument* document = pane->document();
    QTextCursor cursor(document);
    if (document->isEmpty()) {
        cursor.insertText(line);
        return;
    }
    cursor.insertText(line + '\n');
    const int excess = document->blockCount() - maxLines;
    if (excess <= 0)
        return;
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousBlock, QTextCursor::MoveAnchor, excess);
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void SetLines(QPlainTextEdit* pane, const QStringList& lines) {
    pane->setPlainText(lines.join('\n'));
}

QStringList PaneLines(const QPlainTextEdit* pane) {
    QStringList lines;
    for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}
