// The numeric edit as the user meets it: typed text in every base, bad
// characters, the three states and their colours, commits by Enter, arrow
// keys and leaving the field, limits, steps and the value forms.

#include "widgets/NumEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(TEditBase)

namespace {

QStringList errors; // conversion errors handed to the error handler

void Type(TNumEdit& edit, const QString& text) {
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

void TypeAndEnter(TNumEdit& edit, const QString& text) {
    Type(edit, text);
    QTest::keyClick(&edit, Qt::Key_Return);
}

QColor Background(const TNumEdit& edit) {
    return edit.palette().color(QPalette::Base);
}

QColor WindowColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

// An edit with both limits on [min, max].
std::unique_ptr<TNumEdit> LimitedEdit(double min, double max) {
    auto edit = std::make_unique<TNumEdit>();
    edit->SetMaxValue(max);
    edit->SetMinValue(min);
    edit->SetOptions(eoLimitMax | eoLimitMin);
    return edit;
}

} // namespace

class TestNumEdit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TNumEdit::SetErrorHandler([](const std::exception& error) { errors << error.what(); });
    }
    void init() {
        QLocale::setDefault(QLocale::c());
        errors.clear();
    }

    void typedTextCommits_data() {
        QTest::addColumn<TEditBase>("base");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("kilo") << ebFloat << "2k" << 2000.0 << "2000";
        QTest::newRow("milli") << ebFloat << "5m" << 0.005 << "0";
        QTest::newRow("kilo in integers") << ebInt << "3k" << 3000.0 << "3000";
        QTest::newRow("exa letter alone") << ebFloat << "E" << 1e18 << "1" + QString(18, u'0');
        QTest::newRow("hex prefix") << ebFloat << "$FF" << 255.0 << "255";
        QTest::newRow("binary prefix") << ebFloat << "&101" << 5.0 << "5";
        QTest::newRow("integer prefix") << ebHex << "%3k" << 3000.0 << "BB8";
        QTest::newRow("float prefix in hex") << ebHex << "!1.5" << 1.5 << "2";
        QTest::newRow("exponent alone gets a 1") << ebFloat << "E3" << 1000.0 << "1000";
        QTest::newRow("lone minus") << ebFloat << "-" << 0.0 << "0";
        QTest::newRow("sign after exponent") << ebFloat << "1E-5" << 1e-5 << "0";
        QTest::newRow("sign after exponent, prefixed") << ebFloat << "!1E-5" << 1e-5 << "0";
        QTest::newRow("thousands separator") << ebFloat << "1,234.5" << 1234.5 << "1234.5";
        QTest::newRow("largest integer") << ebInt << "2147483647" << 2147483647.0 << "2147483647";
        QTest::newRow("integer clamped") << ebInt << "3E" << 2147483647.0 << "2147483647";
        QTest::newRow("hex all ones") << ebHex << "FFFFFFFF" << -1.0 << "FFFFFFFF";
    }
    void typedTextCommits() {
        QFETCH(TEditBase, base);
        QFETCH(QString, typed);
        QFETCH(double, value);
        QFETCH(QString, shown);
        TNumEdit edit;
        edit.SetEditBase(base);
        TypeAndEnter(edit, typed);
        QCOMPARE(edit.Value(), value);
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.State(), esNormal);
        QCOMPARE(Background(edit), WindowColour());
        QVERIFY(errors.isEmpty());
    }

    void badCharactersAreSelected_data() {
        QTest::addColumn<TEditBase>("base");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionLength");
        QTest::newRow("shrinking letter in integers") << ebInt << "3m" << 1 << 1;
        QTest::newRow("second decimal point") << ebFloat << "1.2.3" << 3 << 1;
        QTest::newRow("point in integers") << ebInt << "1.5" << 1 << 1;
        QTest::newRow("not a hex digit") << ebHex << "1G" << 1 << 1;
        QTest::newRow("not a binary digit") << ebBin << "102" << 2 << 1;
        QTest::newRow("from first to last") << ebFloat << "1x2y3" << 1 << 3;
        QTest::newRow("second sign") << ebFloat << "--1" << 1 << 1;
        QTest::newRow("second exponent") << ebFloat << "1e5e" << 3 << 1;
    }
    void badCharactersAreSelected() {
        QFETCH(TEditBase, base);
        QFETCH(QString, typed);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        TNumEdit edit;
        edit.SetEditBase(base);
        edit.SetValue(9);
        const QString committed = edit.text();
        edit.setText(typed); // typed at once: a bad character is replaced by the next key
        QCOMPARE(edit.State(), esError);
        QCOMPARE(Background(edit), QColor(255, 0, 0));
        QCOMPARE(edit.selectionStart(), selectionStart);
        QCOMPARE(edit.selectedText().size(), selectionLength);

        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.Value(), 9.0);
        QCOMPARE(edit.State(), esError);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), committed);
        QCOMPARE(edit.State(), esNormal);
    }

    void nextKeyReplacesBadCharacters() {
        TNumEdit edit;
        Type(edit, "12x");
        QCOMPARE(edit.State(), esError);
        QCOMPARE(edit.selectedText(), "x");
        QTest::keyClicks(&edit, "3");
        QCOMPARE(edit.text(), "123");
        QCOMPARE(edit.State(), esEditing);
    }

    void stateFollowsTyping() {
        TNumEdit edit;
        Type(edit, "5");
        QCOMPARE(edit.State(), esEditing);
        QCOMPARE(Background(edit), QColor(0, 255, 0));
        QCOMPARE(edit.Value(), 0.0);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.State(), esEditing); // empty
        QTest::keyClick(&edit, Qt::Key_0);
        QCOMPARE(edit.State(), esNormal); // back to the committed text
        QCOMPARE(Background(edit), WindowColour());
        QTest::keyClicks(&edit, "x");
        QCOMPARE(edit.State(), esError);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.State(), esNormal);
        Type(edit, "1.");
        QCOMPARE(edit.State(), esEditing);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.text(), "0");
        QCOMPARE(edit.State(), esNormal);
    }

    void stateColoursCanBeChosen() {
        TNumEdit edit;
        edit.SetColorEditing(clYellow);
        edit.SetColorError(clBlue);
        Type(edit, "5");
        QCOMPARE(Background(edit), QColor(255, 255, 0));
        Type(edit, "z");
        QCOMPARE(Background(edit), QColor(0, 0, 255));
        edit.SetColorDefault(clAqua); // shown once the edit is normal again
        QCOMPARE(Background(edit), QColor(0, 0, 255));
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(Background(edit), QColor(0, 255, 255));
    }

    void conversionErrorsKeepTheValue_data() {
        QTest::addColumn<TEditBase>("base");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("eleven digits") << ebInt << "12345678901"
                                       << "''12345678901'' is not a valid integer value";
        QTest::newRow("nine hex digits") << ebHex << "123456789"
                                         << "''$123456789'' is not a valid integer value";
        QTest::newRow("lone point") << ebFloat << "."
                                    << "'.' is not a valid floating point value";
        QTest::newRow("open exponent") << ebFloat << "1e"
                                       << "'1e' is not a valid floating point value";
        QTest::newRow("beyond double") << ebFloat << "1e400"
                                       << "Floating point overflow";
        QTest::newRow("beyond double by letter") << ebFloat << "1e300E"
                                                 << "Floating point overflow";
    }
    void conversionErrorsKeepTheValue() {
        QFETCH(TEditBase, base);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TNumEdit edit;
        edit.SetEditBase(base);
        edit.SetValue(7);
        Type(edit, typed);
        QVERIFY(errors.isEmpty()); // typing alone raises nothing
        QCOMPARE(edit.State(), esEditing);

        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(errors, QStringList{message});
        QCOMPARE(edit.Value(), 7.0);
        QCOMPARE(edit.text(), typed);
        QCOMPARE(edit.State(), esEditing);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, edit.ParseText(true));
        QTest::keyClick(&edit, Qt::Key_Escape);
        QCOMPARE(edit.State(), esNormal);
        QCOMPARE(edit.ValueAsInt(), 7);
    }

    void limitsAndArrowKeys() {
        auto edit = LimitedEdit(0, 1);
        int limitEvents = 0;
        int changes = 0;
        edit->OnLimit = [&](QObject* sender) {
            QCOMPARE(sender, edit.get());
            ++limitEvents;
        };
        edit->OnChange = [&](QObject*) { ++changes; };
        TypeAndEnter(*edit, "5");
        QCOMPARE(edit->text(), "1");
        QVERIFY(edit->LimitUp());
        QVERIFY(!edit->LimitLo());

        limitEvents = changes = 0;
        QTest::keyClick(edit.get(), Qt::Key_Up); // at the limit: only OnChange
        QCOMPARE(edit->Value(), 1.0);
        QCOMPARE(changes, 1);
        edit->UpClick(nullptr); // beeps, changes nothing
        QCOMPARE(edit->Value(), 1.0);
        QCOMPARE(changes, 1);

        QTest::keyClick(edit.get(), Qt::Key_Down);
        QCOMPARE(edit->Value(), 0.0);
        QVERIFY(edit->LimitLo());
        QVERIFY(!edit->LimitUp());
        QCOMPARE(limitEvents, 2);
        QCOMPARE(changes, 2);
        QTest::keyClick(edit.get(), Qt::Key_Down);
        QCOMPARE(edit->Value(), 0.0);
    }

    void arrowKeyCommitsTypedTextFirst() {
        auto edit = LimitedEdit(0, 10);
        Type(*edit, "4");
        QTest::keyClick(edit.get(), Qt::Key_Up);
        QCOMPARE(edit->Value(), 5.0);
        Type(*edit, "12");
        QTest::keyClick(edit.get(), Qt::Key_Up); // commits 10, no step beyond
        QCOMPARE(edit->Value(), 10.0);
        Type(*edit, "4x");
        QTest::keyClick(edit.get(), Qt::Key_Down); // bad text: no step
        QCOMPARE(edit->Value(), 10.0);
        QCOMPARE(edit->State(), esError);
    }

    void steps_data() {
        QTest::addColumn<bool>("multiply");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("up");
        QTest::addColumn<double>("down");
        QTest::newRow("additive") << false << 3.0 << 5.0 << 1.0;
        QTest::newRow("multiplying") << true << 3.0 << 6.0 << 1.5;
        QTest::newRow("multiplying from zero adds") << true << 0.0 << 2.0 << -2.0;
    }
    void steps() {
        QFETCH(bool, multiply);
        QFETCH(double, start);
        QFETCH(double, up);
        QFETCH(double, down);
        TNumEdit edit;
        edit.SetIncrement(2);
        if (multiply)
            edit.SetOptions(eoMultiply);
        int changes = 0;
        edit.OnChange = [&](QObject*) { ++changes; };
        edit.SetValue(start);
        edit.UpClick(nullptr);
        QCOMPARE(edit.Value(), up);
        edit.SetValue(start);
        edit.DownClick(nullptr);
        QCOMPARE(edit.Value(), down);
        QCOMPARE(changes, 2);
    }

    void integerFormRoundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.5000001") << 2.5000001 << 3;
        QTest::newRow("near the top") << 2147483646.5 << 2147483646;
        QTest::newRow("above the top") << 3e9 << 2147483647;
        QTest::newRow("smallest 32-bit") << -2147483648.0 << -2147483647;
    }
    void integerFormRoundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        TNumEdit edit;
        edit.SetValue(value);
        QCOMPARE(edit.ValueAsInt(), expected);
    }

    void valueForms() {
        TNumEdit edit;
        edit.SetDigitsHex(4);
        edit.SetDigitsBool(4);
        edit.SetValue(255);
        QCOMPARE(edit.ValueAsHex(), "00FF");
        edit.SetValue(5);
        QCOMPARE(edit.ValueAsBool(), "0101");
        edit.SetValue(-1);
        QCOMPARE(edit.ValueAsHex(), "FFFFFFFF");
        edit.SetValue(1e39);
        QCOMPARE(edit.ValueAsSingle(), 3.4E38f);
        edit.SetValue(-1e39);
        QCOMPARE(edit.ValueAsSingle(), -3.4E38f);
        edit.SetValue(qInf());
        QCOMPARE(edit.Value(), 1.7E308);
        edit.SetValue(qQNaN());
        QCOMPARE(edit.Value(), 1.7E308);
    }

    void formSetters() {
        TNumEdit edit;
        edit.SetValueAsHex("FF");
        QCOMPARE(edit.Value(), 255.0);
        QCOMPARE(edit.text(), "255");
        edit.SetValueAsBool("101");
        QCOMPARE(edit.Value(), 5.0);
        edit.SetValueAsSingle(2.5f);
        QCOMPARE(edit.ValueAsInt(), 2);
        QCOMPARE(edit.text(), "2.5");
        edit.SetValueAsInt(-3);
        QCOMPARE(edit.text(), "-3");
    }

    void baseChangeShowsTheStoredValue() {
        TNumEdit edit;
        edit.SetValue(254.5);
        edit.SetEditBase(ebHex);
        QCOMPARE(edit.text(), "FE");
        edit.SetEditBase(ebBin);
        QCOMPARE(edit.text(), "11111110");
        edit.SetEditBase(ebInt);
        QCOMPARE(edit.text(), "254");
        QCOMPARE(edit.Value(), 254.5);
        QCOMPARE(edit.State(), esNormal);
    }

    void pictureRoundsOnlyTheShownText() {
        TNumEdit edit;
        edit.SetValue(1.25);
        QCOMPARE(edit.text(), "1.3");
        QCOMPARE(edit.Value(), 1.25);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.Value(), 1.3);
        edit.SetFormatStr("0.00");
        QCOMPARE(edit.text(), "1.30");
    }

    void integerSetterSkipsLimits() {
        auto edit = LimitedEdit(0, 1);
        edit->SetValueAsInt(5);
        QCOMPARE(edit->ValueAsInt(), 5);
        QCOMPARE(edit->text(), "5");
        edit->SetValue(7);
        QCOMPARE(edit->Value(), 1.0);
        QVERIFY(edit->LimitUp());
    }

    void valueChangedOnlyAfterLoadingAndOnNewText() {
        TNumEdit edit;
        int fired = 0;
        edit.OnValueChanged = [&](QObject*) { ++fired; };
        edit.SetValue(3); // still being set up
        QCOMPARE(fired, 0);
        edit.Loaded();
        edit.SetValue(4);
        QCOMPARE(fired, 1);
        edit.SetValue(4.01); // shows "4" again
        QCOMPARE(fired, 1);
        TypeAndEnter(edit, "6");
        QCOMPARE(fired, 2);

        TNumEdit shown; // the first show ends the set-up too
        shown.OnValueChanged = [&](QObject*) { ++fired; };
        shown.show();
        shown.SetValue(8);
        QCOMPARE(fired, 3);
    }

    void disabledEditorRefusesTyping() {
        TNumEdit edit;
        edit.SetEditorEnabled(false);
        edit.SetValue(181);
        edit.selectAll();
        QTest::keyClicks(&edit, "5");
        QTest::keyClick(&edit, Qt::Key_Delete);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), "181");
        QCOMPARE(edit.State(), esNormal);
        QTest::keyClick(&edit, Qt::Key_Up); // stepping still works
        QCOMPARE(edit.Value(), 182.0);
    }

    void leavingTheFieldCommits() {
        QWidget window;
        auto* edit = new TNumEdit(&window);
        auto* other = new QLineEdit(&window);
        other->move(0, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), "0"); // keyboard focus selects all
        QTest::keyClicks(edit, "7");
        other->setFocus();
        QTRY_COMPARE(edit->Value(), 7.0);

        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->clear();
        other->setFocus();
        QTRY_COMPARE(edit->text(), "0");
        QCOMPARE(edit->Value(), 0.0);

        // Bad characters keep the focus in the field.
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClicks(edit, "9q");
        other->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->State(), esError);
        QCOMPARE(edit->selectedText(), "q");
    }

    void germanSeparators() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TNumEdit edit;
        TypeAndEnter(edit, "1.000,5");
        QCOMPARE(edit.Value(), 1000.5);
        QCOMPARE(edit.text(), "1000,5");
        edit.setText("1,2,3");
        QCOMPARE(edit.State(), esError);
        QCOMPARE(edit.selectionStart(), 3);
    }

    // Any text either commits a value within the limits, marks bad
    // characters, or raises a conversion error and keeps the value.
    void randomTextNeverEscapesTheLimits() {
        const QString alphabet = QStringLiteral("0123456789.,+-eEkmMGa$!%&x ");
        QRandomGenerator random(20261207);
        for (TEditBase base : {ebBin, ebHex, ebFloat, ebInt}) {
            auto edit = LimitedEdit(-50, 100);
            edit->SetEditBase(base);
            for (int round = 0; round < 3000; ++round) {
                QString text;
                for (int n = random.bounded(9); n > 0; --n)
                    text += alphabet[random.bounded(int(alphabet.size()))];
                const double before = edit->Value();
                edit->setText(text);
                bool committed = false;
                bool raised = false;
                try {
                    committed = edit->ParseText(true);
                } catch (const EConvertError&) {
                    raised = true;
                } catch (const EOverflow&) {
                    raised = true;
                }
                const QByteArray context = (QString::number(base) + " '" + text + "'").toUtf8();
                if (text.isEmpty()) {
                    QVERIFY(committed && edit->Value() == before && edit->State() == esEditing);
                } else if (committed) {
                    QVERIFY2(edit->Value() >= -50 && edit->Value() <= 100, context);
                    QVERIFY2(edit->State() == esNormal, context);
                } else {
                    QVERIFY2(edit->Value() == before, context);
                    QVERIFY2(edit->State() == (raised ? esEditing : esError), context);
                    if (!raised)
                        QVERIFY2(edit->hasSelectedText(), context);
                }
            }
        }
    }
};

QTEST_MAIN(TestNumEdit)
#include "test_num_edit.moc"
