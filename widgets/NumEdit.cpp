#include "widgets/NumEdit.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDebug>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>
#include <optional>

namespace {

// What a base accepts and where its values are clamped.
struct TBaseProperties {
    QString ValidChars;
    bool ExpEnable;
    bool MultiEnable;
    QString Sign;
    long double MinValue;
    long double MaxValue;
};

constexpr long double IntLimit = 2147483647.0L;

// Separators are read from the locale each time, so a changed default locale
// takes effect at once.
TBaseProperties BaseProperties(TEditBase base) {
    switch (base) {
    case ebBin:
        return {QStringLiteral("01"), false, false, {}, -IntLimit, IntLimit};
    case ebHex:
        return {QStringLiteral("0123456789abcdefABCDEF"), false, false, {}, -IntLimit, IntLimit};
    case ebInt:
        return {QStringLiteral("0123456789") + ThousandSeparator(),
                false,
                true,
                QStringLiteral("+-"),
                -IntLimit,
                IntLimit};
    case ebFloat:
        break;
    }
    return {QString(ThousandSeparator()) + DecimalSeparator() + QStringLiteral("0123456789"),
            true,
            true,
            QStringLiteral("+-"),
            -1.7E308L,
            1.7E308L};
}

std::optional<TEditBase> BaseOfPrefix(QChar c) {
    switch (c.unicode()) {
    case u'!':
        return ebFloat;
    case u'$':
        return ebHex;
    case u'%':
        return ebInt;
    case u'&':
        return ebBin;
    }
    return std::nullopt;
}

std::optional<long double> MultiplierOf(QChar c) {
    switch (c.unicode()) {
    case u'E':
        return 1E18L;
    case u'P':
        return 1E15L;
    case u'T':
        return 1E12L;
    case u'G':
        return 1E9L;
    case u'M':
        return 1E6L;
    case u'k':
        return 1E3L;
    case u'm':
        return 1E-3L;
    case u'u':
        return 1E-6L;
    case u'n':
        return 1E-9L;
    case u'p':
        return 1E-12L;
    case u'f':
        return 1E-15L;
    case u'a':
        return 1E-18L;
    }
    return std::nullopt;
}

bool IsExponentMark(QChar c) {
    return c == u'E' || c == u'e';
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red()) | TColor(color.green()) << 8 | TColor(color.blue()) << 16;
}

TNumEdit::TErrorHandler& ErrorHandler() {
    static TNumEdit::TErrorHandler handler;
    return handler;
}

} // namespace

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
    setText(FOldText);
    connect(this, &QLineEdit::textChanged, this, &TNumEdit::TextChanged);
    resize(65, sizeHint().height());
    ParseText(true);
}

void TNumEdit::SetErrorHandler(TErrorHandler handler) {
    ErrorHandler() = std::move(handler);
}

bool TNumEdit::Guarded(const std::function<void()>& commit) {
    try {
        commit();
        return true;
    } catch (const std::exception& error) {
        if (ErrorHandler())
            ErrorHandler()(error);
        else
            qWarning() << objectName() << error.what();
        return false;
    }
}

bool TNumEdit::ParseText(bool apply) {
    const QString t = text();
    if (t.isEmpty()) {
        SetState(esEditing);
        return true;
    }

    // Positions are 0-based; [start, end] is the number part.
    int start = 0;
    int end = int(t.size()) - 1;
    TEditBase base = FEditBase;
    if (const auto prefixed = BaseOfPrefix(t[0])) {
        base = *prefixed;
        start = 1;
    }
    const TBaseProperties p = BaseProperties(base);

    // A trailing metric letter scales the number; integer bases take only
    // the enlarging ones, the others stay and show as bad characters.
    long double multiplier = 1;
    if (p.MultiEnable) {
        if (const auto factor = MultiplierOf(t[end])) {
            if (base == ebFloat || *factor > 1) {
                multiplier = *factor;
                --end;
            }
        }
    }
    QString number = start <= end ? t.mid(start, end - start + 1) : QString();

    int firstBad = -1;
    int lastBad = -1;
    const auto markBad = [&](int i) {
        firstBad = firstBad < 0 ? i : std::min(firstBad, i);
        lastBad = std::max(lastBad, i);
    };
    if (!number.isEmpty()) {
        int i = start;
        if (p.Sign.contains(t[i]))
            ++i;
        int exponent = -1;
        for (; i <= end; ++i) {
            if (p.ExpEnable && IsExponentMark(t[i])) {
                exponent = i;
                break;
            }
            if (!p.ValidChars.contains(t[i]))
                markBad(i);
        }
        if (exponent >= 0) {
            i = exponent + 1;
            if (i <= end && p.Sign.contains(t[i]))
                ++i;
            for (; i <= end; ++i) {
                if (!p.ValidChars.contains(t[i]))
                    markBad(i);
            }
        }
        bool separatorSeen = false;
        for (i = start; i <= end; ++i) {
            if (t[i] == DecimalSeparator()) {
                if (separatorSeen)
                    markBad(i);
                separatorSeen = true;
            }
        }
    }

    if (firstBad >= 0) {
        SetState(esError);
        if (isEnabled() && isVisible())
            setFocus();
        setSelection(firstBad, lastBad - firstBad + 1);
        return false;
    }

    // While typing only the state is shown; converting waits for the commit,
    // so a half-typed number ("1e", ".") is no error yet.
    if (!apply) {
        SetState(t != FOldText ? esEditing : esNormal);
        return true;
    }

    if (number.size() == 1 && p.Sign.contains(number[0]))
        number += u'0';
    if (p.ExpEnable && !number.isEmpty() && IsExponentMark(number[0]))
        number.prepend(u'1');
    if (p.MultiEnable && multiplier != 1 && number.isEmpty())
        number = QStringLiteral("1");
    number.remove(ThousandSeparator());

    double value = 0;
    try {
        long double result = 0;
        if (!number.isEmpty()) {
            switch (base) {
            case ebBin:
                result = BinToInt(number);
                break;
            case ebHex:
                result = HexToInt(u'$' + number);
                break;
            case ebInt:
                result = StrToInt(number);
                break;
            case ebFloat:
                result = StrToFloat(number);
                break;
            }
        }
        value = CheckLimits(result * multiplier);
    } catch (...) {
        SetState(esEditing);
        throw;
    }
    StoreValue(value);
    return true;
}

double TNumEdit::CheckLimits(long double value) {
    const double x = static_cast<double>(value);
    if (std::isinf(x) && !std::isinf(value))
        throw EOverflow();
    double result = x;
    if (FOptions.testFlag(eoLimitMin)) {
        SetLimitLo(result <= FMinValue);
        if (FLimitLo)
            result = FMinValue;
    }
    if (FOptions.testFlag(eoLimitMax)) {
        SetLimitUp(result >= FMaxValue);
        if (FLimitUp)
            result = FMaxValue;
    }
    return result;
}

void TNumEdit::StoreValue(long double value) {
    const TBaseProperties p = BaseProperties(FEditBase);
    const long double x = std::clamp(value, p.MinValue, p.MaxValue);

    constexpr long double SingleLimit = 3.4E38L;
    if (x > -SingleLimit && x < SingleLimit)
        FValueAsSingle = static_cast<float>(x);
    else
        FValueAsSingle = x < 0 ? -3.4E38f : 3.4E38f;
    if (x > -IntLimit && x < IntLimit)
        FValueAsInt = static_cast<std::int32_t>(std::nearbyintl(x)); // ties to even
    else
        FValueAsInt = x < 0 ? -2147483647 : 2147483647;
    FValue = static_cast<double>(x);
    FValueAsHex = IntToHex(FValueAsInt, FDigitsHex);
    FValueAsBool = IntToBin(FValueAsInt, FDigitsBool);

    SetShownText(TextOfValue());
    SetState(esNormal);
    if (!FirstDraw && OnValueChanged && text() != FOldText)
        OnValueChanged(this);
    FOldText = text();
}

QString TNumEdit::TextOfValue() const {
    switch (FEditBase) {
    case ebBin:
        return FValueAsBool;
    case ebHex:
        return FValueAsHex;
    case ebInt:
        return QString::number(FValueAsInt);
    case ebFloat:
        break;
    }
    return FormatPicture(FValue, FFormatStr);
}

void TNumEdit::SetShownText(const QString& shown) {
    if (shown == text())
        return;
    QScopedValueRollback ignore(IgnoreChange, true);
    setText(shown);
}

void TNumEdit::TextChanged() {
    if (!IgnoreChange)
        ParseText(false);
}

void TNumEdit::SetValue(double value) {
    if (std::isnan(value) || value == FValue)
        return;
    StoreValue(CheckLimits(value));
}

void TNumEdit::SetValueAsInt(std::int32_t value) {
    if (QString::number(value) == text())
        return;
    StoreValue(value);
}

void TNumEdit::SetValueAsSingle(float value) {
    if (std::isnan(value) || FormatPicture(value, FFormatStr) == text())
        return;
    StoreValue(value);
}

void TNumEdit::SetValueAsHex(const QString& digits) {
    if (digits == text())
        return;
    SetShownText(FEditBase == ebHex ? digits : u'$' + digits);
    ParseText(true);
}

void TNumEdit::SetValueAsBool(const QString& digits) {
    if (digits == text())
        return;
    SetShownText(FEditBase == ebBin ? digits : u'&' + digits);
    ParseText(true);
}

void TNumEdit::SetEditBase(TEditBase value) {
    if (value == FEditBase)
        return;
    FEditBase = value;
    SetShownText(TextOfValue());
    FOldText = text();
    SetState(esNormal);
}

void TNumEdit::SetEditorEnabled(bool value) {
    FEditorEnabled = value;
    setAcceptDrops(value);
}

template <typename T> void TNumEdit::StoreAndParse(T& field, T value) {
    if (value == field)
        return;
    field = value;
    ParseText(true);
}

void TNumEdit::SetMinValue(double value) {
    StoreAndParse(FMinValue, value);
}

void TNumEdit::SetMaxValue(double value) {
    StoreAndParse(FMaxValue, value);
}

void TNumEdit::SetOptions(TNumEditOptions value) {
    StoreAndParse(FOptions, value);
}

void TNumEdit::SetFormatStr(const QString& value) {
    if (value == FFormatStr)
        return;
    FFormatStr = value;
    if (FEditBase == ebFloat)
        SetShownText(FormatPicture(FValue, FFormatStr));
    ParseText(true);
}

void TNumEdit::SetColorDefault(TColor value) {
    if (value == FColorDefault)
        return;
    FColorDefault = value;
    // An edit in the editing or error colour keeps it until it is normal.
    if (FState == esNormal)
        ApplyBackground(FColorDefault);
}

void TNumEdit::SetParentColor(bool value) {
    FParentColor = value;
    QEvent follow(QEvent::PaletteChange);
    changeEvent(&follow);
}

void TNumEdit::ApplyBackground(TColor color) {
    QPalette palette = this->palette();
    // System colours come from the application's palette, not from the
    // edit's own, which already holds the state colours.
    palette.setColor(QPalette::Base, ToQColor(color, QApplication::palette(this)));
    setPalette(palette);
}

void TNumEdit::SetState(TNumEditState state) {
    if (state == FState)
        return;
    FState = state;
    switch (state) {
    case esNormal:
        ApplyBackground(FColorDefault);
        break;
    case esEditing:
        ApplyBackground(FColorEditing);
        break;
    case esError:
        ApplyBackground(FColorError);
        repaint(); // the red shows before the beep
        QApplication::beep();
        break;
    }
}

void TNumEdit::SetLimitUp(bool value) {
    if (value == FLimitUp)
        return;
    FLimitUp = value;
    LimitChanged();
}

void TNumEdit::SetLimitLo(bool value) {
    if (value == FLimitLo)
        return;
    FLimitLo = value;
    LimitChanged();
}

void TNumEdit::LimitChanged() {
    if (OnLimit)
        OnLimit(this);
}

void TNumEdit::UpClick(QObject*) {
    Step(true);
}

void TNumEdit::DownClick(QObject*) {
    Step(false);
}

void TNumEdit::Step(bool up) {
    if (isReadOnly() || (up ? FLimitUp : FLimitLo)) {
        QApplication::beep();
        return;
    }
    const long double value = FValue;
    const long double increment = FIncrement;
    long double next;
    if (FOptions.testFlag(eoMultiply) && FEditBase == ebFloat && increment != 0 && value != 0)
        next = up ? value * increment : value / increment;
    else
        next = up ? value + increment : value - increment;
    SetValue(CheckLimits(next));
    if (OnChange)
        OnChange(this);
}

void TNumEdit::Loaded() {
    FOldText = text();
    FirstDraw = false;
}

void TNumEdit::CommitTyped() {
    if (text().isEmpty())
        setText(QStringLiteral("0"));
    Guarded([this] { ParseText(true); });
}

bool TNumEdit::RefusesTyping(QKeyEvent* event) const {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
        return false;
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfLine))
        return true;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    }
    const QString typed = event->text();
    return !typed.isEmpty() && typed.front().isPrint();
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        const bool up = key == Qt::Key_Up;
        // A typed number is committed before a step builds on it.
        if (FState != esNormal)
            Guarded([this] { ParseText(true); });
        if (FState == esNormal && !(up ? FLimitUp : FLimitLo))
            Guarded([this, up] { up ? UpClick(this) : DownClick(this); });
        else if (OnChange)
            OnChange(this); // at its limit an arrow does nothing more
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && FState != esNormal)
        setText(TextOfValue()); // the change notification finds the committed text again
    if (OnChange)
        OnChange(this);

    if (!FEditorEnabled && RefusesTyping(event)) {
        QApplication::beep();
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CommitTyped();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TNumEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (FAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TNumEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching windows or opening a menu does not leave the field, and a
    // hidden field is not being left by the user.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason ||
        !isVisible())
        return;
    CommitTyped();
}

void TNumEdit::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    if (FirstDraw)
        Loaded();
}

void TNumEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && FParentColor && parentWidget()) {
        const QWidget* parent = parentWidget();
        SetColorDefault(ToTColor(parent->palette().color(parent->backgroundRole())));
    }
}

void TNumEdit::mouseReleaseEvent(QMouseEvent* event) {
    // The middle button pastes the selection on X11.
    if (!FEditorEnabled && event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TNumEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!FEditorEnabled) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TNumEdit::contextMenuEvent(QContextMenuEvent* event) {
    if (FEditorEnabled) {
        QLineEdit::contextMenuEvent(event);
        return;
    }
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        const QString name = action->objectName();
        if (name == u"edit-undo" || name == u"edit-redo" || name == u"edit-cut" ||
            name == u"edit-paste" || name == u"edit-delete")
            action->setEnabled(false);
    }
    menu->exec(event->globalPos());
}
