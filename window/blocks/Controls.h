#pragma once
// Small factories for the window's controls, so each page states only its
// controls' names, captions, items and places.

#include <QColor>
#include <QStringList>

class QAbstractItemModel;
class QComboBox;
class QFont;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption);
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption);
// Where a command's answer shows: long outcomes wrap instead of widening the
// page, and the text can be selected and copied.
QLabel* MakeAnswerLabel(QWidget* parent, const QString& name);
QLineEdit* MakeLineEdit(QWidget* parent, const QString& name, const QString& text = {});
// Gives edit its clear button once it is first shown: the button's icon comes
// from the style, a cost the window's start need not pay for a page nobody
// has opened.
void AddClearButtonWhenShown(QLineEdit* edit);

// An editable drop-down list whose edit field starts with text (not an item).
// Typed text is never added to the items.
QComboBox* MakeDropDown(QWidget* parent, const QString& name, const QStringList& items,
                        const QString& text, bool fixedPitch);

// The fixed-pitch font the window uses where columns must line up.
QFont FixedPitchFont();

// Fills the widget's background with colour.
void SetBackground(QWidget* widget, const QColor& colour);

// A read-only table of rows, one selected at a time, sorted by a click on a
// column's header by sortRole (numbers as numbers), at first by sortColumn;
// rows keep their height so frequent updates never re-measure them, and the
// columns share the table's width.
QTableView* MakeSortedTable(QWidget* parent, const QString& name, QAbstractItemModel* rows,
                            int sortRole, int sortColumn);

// Says what is wrong across a page above everything, bold and red, wrapped,
// its lines whole while the rest gives way; hidden until there is something
// to say.
QLabel* MakeWarningLabel(QWidget* parent, const QString& name);

// A column holding control with label printed under it.
QWidget* WithLabelUnder(QWidget* parent, QWidget* control, QLabel* label);

// Colours of the window.
inline const QColor ColorBtnShadow(160, 160, 160);
inline const QColor ColorMoneyGreen(192, 220, 192);
inline const QColor ColorMedGray(160, 160, 164);
inline const QColor ColorInactiveCaptionGradient(215, 228, 242);
