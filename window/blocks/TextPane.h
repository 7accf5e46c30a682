#pragma once
// Multi-line text panes of the window and the ways the program writes them.
// Panes that only grow keep at most the newest MaxPaneLines lines, so a
// monitor left running for days does not run out of memory.

#include <QStringList>

class QPlainTextEdit;
class QWidget;

inline constexpr int MaxPaneLines = 100000;

// A pane with both scroll bars (no wrapping) in the fixed-pitch font, so
// columns of numbers line up. Only the program writes it: the user selects
// and copies but does not type into it.
QPlainTextEdit* MakeTextPane(QWidget* parent, const QString& name);

// Gives the pane the least width that shows columns characters of a line
// without scrolling.
void FitColumns(QPlainTextEdit* pane, int columns);

// A log pane: appended lines, the oldest dropped beyond MaxPaneLines.
QPlainTextEdit* MakeLogPane(QWidget* parent, const QString& name);

// Appends line as a new last line (after whatever the pane shows, an empty
// first line included). A view showing the last line scrolls on with it.
void AppendLine(QPlainTextEdit* pane, const QString& line);

// Inserts line as the first line; drops the last lines beyond maxLines.
void InsertFirstLine(QPlainTextEdit* pane, const QString& line, int maxLines = MaxPaneLines);

// Replaces the pane's content by lines, one per line.
void SetLines(QPlainTextEdit* pane, const QStringList& lines);

// The pane's lines, one per text block.
QStringList PaneLines(const QPlainTextEdit* pane);
