#pragma once
// A one-line edit that holds one number. The number is shown in one of four
// bases; a typed prefix ("!" float, "$" hex, "%" integer, "&" binary) enters a
// number in another base and a trailing metric letter (k, M, m, u …) scales
// it. Every keystroke re-checks the text: the background shows whether it is
// committed (normal), typed but not committed (editing) or holds characters
// that do not fit (error, with those characters selected). Enter, leaving the
// field or an arrow key commits: the number is clamped to the active limits
// and stored in all its forms at once, then shown again in the field's base.

#include "widgets/Colors.h"
#include "widgets/NotifyEvent.h"
#include "widgets/NumEditFormat.h"

#include <QLineEdit>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>

enum TEditBase { ebBin, ebHex, ebFloat, ebInt };
enum TNumEditState { esNormal, esEditing, esError };
enum TNumEditOption { eoLimitMax = 0x1, eoLimitMin = 0x2, eoMultiply = 0x4 };
Q_DECLARE_FLAGS(TNumEditOptions, TNumEditOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TNumEditOptions)

class TNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumEdit(QWidget* parent = nullptr);

    // Committed value. Setting applies the MinValue/MaxValue limits; a NaN is
    // ignored. The setters that re-parse the shown text (ValueAsHex,
    // ValueAsBool, MinValue, MaxValue, Options, FormatStr) throw like
    // ParseText when that text does not convert.
    double Value() const { return FValue; }
    void SetValue(double value);
    // Value rounded half to even, clamped to ±2147483647. Setting skips the
    // MinValue/MaxValue limits.
    std::int32_t ValueAsInt() const { return FValueAsInt; }
    void SetValueAsInt(std::int32_t value);
    // Value in single precision. Setting skips the MinValue/MaxValue limits.
    float ValueAsSingle() const { return FValueAsSingle; }
    void SetValueAsSingle(float value);
    // Upper-case hexadecimal digits of ValueAsInt, at least DigitsHex of them
    // (a negative value shows its 8-digit two's complement). Setting parses
    // the digits as a commit.
    QString ValueAsHex() const { return FValueAsHex; }
    void SetValueAsHex(const QString& digits);
    // Binary digits of ValueAsInt (see IntToBin). Setting parses the digits
    // as a commit.
    QString ValueAsBool() const { return FValueAsBool; }
    void SetValueAsBool(const QString& digits);

    TEditBase EditBase() const { return FEditBase; }
    void SetEditBase(TEditBase value);
    // False: typing is refused with a beep; the arrow keys still step.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double value);
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double value);
    TNumEditOptions Options() const { return FOptions; }
    void SetOptions(TNumEditOptions value);
    // Step of UpClick/DownClick (a factor with eoMultiply in ebFloat).
    float Increment() const { return FIncrement; }
    void SetIncrement(float value) { FIncrement = value; }
    // Picture of the ebFloat display: "0", "#", "." and "," (see FormatPicture).
    QString FormatStr() const { return FFormatStr; }
    void SetFormatStr(const QString& value);
    int DigitsHex() const { return FDigitsHex; }
    void SetDigitsHex(int value) { FDigitsHex = value; }
    int DigitsBool() const { return FDigitsBool; }
    void SetDigitsBool(int value) { FDigitsBool = value; }

    TColor ColorDefault() const { return FColorDefault; }
    void SetColorDefault(TColor value);
    TColor ColorError() const { return FColorError; }
    void SetColorError(TColor value) { FColorError = value; }
    TColor ColorEditing() const { return FColorEditing; }
    void SetColorEditing(TColor value) { FColorEditing = value; }
    // Select the whole text when the field gets the focus by keyboard.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }
    // Most characters the field takes; 0 means no limit.
    void SetMaxLength(int value) { setMaxLength(value > 0 ? value : 32767); }
    // True: ColorDefault follows the parent's background colour.
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);

    TNumEditState State() const { return FState; }
    // The value sits at the upper / lower limit.
    bool LimitUp() const { return FLimitUp; }
    bool LimitLo() const { return FLimitLo; }

    // Checks the text; with apply, converts and commits it. Returns false
    // when bad characters were found (they are selected, state esError).
    // Throws EConvertError when the number part does not convert and
    // EOverflow when it does not fit a double; the committed value stays.
    bool ParseText(bool apply);

    // One step up or down; beeps instead at the limit or when read-only.
    // Throws EOverflow when a multiplying step leaves the double range.
    virtual void UpClick(QObject* sender);
    virtual void DownClick(QObject* sender);

    // Ends the silent set-up phase: from now on a commit that changes the
    // shown text fires OnValueChanged, and the shown text counts as the
    // committed one. Happens by itself when the edit is first shown; a window
    // that sets values before that and wants to hear of them calls it first.
    void Loaded();

    // Where a conversion error raised by the user's own input goes (Enter,
    // leaving the field, a spin click): an event handler must not throw into
    // Qt's event loop. The window installs its error box here; without a
    // handler the message goes to the Qt warning log.
    using TErrorHandler = std::function<void(const std::exception& error)>;
    static void SetErrorHandler(TErrorHandler handler);

    TNotifyEvent OnValueChanged; // a commit changed the shown text
    TNotifyEvent OnLimit;        // LimitUp or LimitLo changed
    TNotifyEvent OnChange;       // a key went down, or a step was taken

protected:
    virtual void SetState(TNumEditState state);
    virtual void LimitChanged();

    // Runs a commit triggered by the user and hands any conversion error to
    // the error handler. Returns false when it failed.
    bool Guarded(const std::function<void()>& commit);

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    double CheckLimits(long double value);
    void StoreValue(long double value);
    void SetLimitUp(bool value);
    void SetLimitLo(bool value);
    void TextChanged();
    QString TextOfValue() const;
    void SetShownText(const QString& text);
    void ApplyBackground(TColor color);
    bool RefusesTyping(QKeyEvent* event) const;
    void CommitTyped();
    // Stores a changed limit or option and re-parses the shown text with it.
    template <typename T> void StoreAndParse(T& field, T value);
    void Step(bool up);

    TEditBase FEditBase = ebFloat;
    bool FEditorEnabled = true;
    double FMinValue = 0;
    double FMaxValue = 0;
    float FIncrement = 1.0f;
    QString FOldText = QStringLiteral("0");
    double FValue = 0;
    QString FValueAsBool;
    QString FValueAsHex;
    float FValueAsSingle = 0;
    std::int32_t FValueAsInt = 0;
    TNumEditOptions FOptions;
    QString FFormatStr = QStringLiteral("#0.#");
    TNumEditState FState = esNormal;
    bool FirstDraw = true;
    bool IgnoreChange = false; // set while the edit shows a text of its own
    bool FLimitUp = false;
    bool FLimitLo = false;
    TColor FColorDefault = clWindow;
    TColor FColorError = clRed;
    TColor FColorEditing = clLime;
    bool FAutoSelect = true;
    bool FParentColor = false;
    int FDigitsBool = 0;
    int FDigitsHex = 0;
};
