// Numeric edits in every base and state, and numeric spins, side by side with
// the value forms each one holds. Type, press Enter, use the arrow keys and
// hold the spin buttons; conversion errors show in the bottom line.

#include "widgets/NumEdit.h"
#include "widgets/NumSpin.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace {

class DemoWindow : public QWidget {
public:
    DemoWindow() {
        setWindowTitle("Numeric edit demo");
        grid->setColumnMinimumWidth(1, 110);
        grid->addWidget(new QLabel("<b>Field</b>"), 0, 0);
        grid->addWidget(new QLabel("<b>Edit</b>"), 0, 1);
        grid->addWidget(new QLabel("<b>Value / Int / Hex / Bool</b>"), 0, 2);

        Add("Float, picture #0.#", new TNumEdit)->SetValue(1.25);
        auto* hex = Add("Hex, 4 digits", new TNumEdit);
        hex->SetDigitsHex(4);
        hex->SetEditBase(ebHex);
        hex->SetValue(181);
        auto* bin = Add("Binary, 8 digits", new TNumEdit);
        bin->SetDigitsBool(8);
        bin->SetEditBase(ebBin);
        bin->SetValue(5);
        auto* integer = Add("Integer, 0..1000", new TNumEdit);
        integer->SetEditBase(ebInt);
        integer->SetMaxValue(1000);
        integer->SetOptions(eoLimitMax | eoLimitMin);
        integer->SetValue(2500);
        auto* editing = Add("Float, being edited", new TNumEdit);
        editing->SetValue(3);
        editing->setText("42k");
        auto* error = Add("Integer, bad character", new TNumEdit);
        error->SetEditBase(ebInt);
        error->setText("3m");
        auto* fixed = Add("Typing disabled", new TNumEdit);
        fixed->SetEditorEnabled(false);
        fixed->SetEditBase(ebHex);
        fixed->SetValue(0xB5);

        AddSpin("Spin 0..1 at 1", 1, 1);
        AddSpin("Spin 0..1 at 0", 1, 0);
        AddSpin("Spin 0..10, step", 10, 4);
        AddSpin("Spin, disabled", 10, 7)->setEnabled(false);

        grid->addWidget(errorLine, grid->rowCount(), 0, 1, 3);
        TNumEdit::SetErrorHandler(
            [this](const std::exception& e) { errorLine->setText(QString("Error: ") + e.what()); });
    }

private:
    template <typename Edit> Edit* Add(const QString& caption, Edit* edit) {
        const int row = grid->rowCount();
        auto* forms = new QLabel;
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(forms, row, 2);
        const auto show = [edit, forms](QObject*) {
            forms->setText(QString("%1 / %2 / %3 / %4")
                               .arg(edit->Value())
                               .arg(edit->ValueAsInt())
                               .arg(edit->ValueAsHex(), edit->ValueAsBool()));
        };
        edit->OnValueChanged = show;
        edit->OnChange = show;
        edit->Loaded();
        show(edit);
        return edit;
    }

    TNumSpin* AddSpin(const QString& caption, double max, double value) {
        auto* spin = new TNumSpin;
        spin->setFixedWidth(60);
        spin->SetMaxValue(max);
        spin->SetOptions(eoLimitMax | eoLimitMin);
        spin->SetValue(value);
        return Add(caption, spin);
    }

    QGridLayout* grid = new QGridLayout(this);
    QLabel* errorLine = new QLabel("Conversion errors show here.");
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    DemoWindow window;
    window.show();
    return app.exec();
}
