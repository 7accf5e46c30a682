// Shows LED indicators in every shape, caption position, click mode and flash
// frequency, to look at them as a user would. With --screenshot <file> it
// saves a picture of the window once it has been shown and quits.

#include "widgets/LedIndicator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace {

TLedIndicator* AddLamp(QLayout* row, const QString& caption) {
    auto* lamp = new TLedIndicator;
    lamp->SetCaption(caption);
    row->addWidget(lamp);
    return lamp;
}

QHBoxLayout* AddRow(QVBoxLayout* page, const QString& title) {
    auto* box = new QGroupBox(title);
    auto* row = new QHBoxLayout(box);
    row->setSpacing(16);
    page->addWidget(box);
    return row;
}

void AddShapes(QVBoxLayout* page) {
    const struct {
        TLEDShape shape;
        const char* name;
        TColor colorOn;
    } shapes[] = {{sRound, "Round", clLime},          {sArrowLeft, "Left", clRed},
                  {sArrowRight, "Right", clYellow},   {sArrowUp, "Up", clAqua},
                  {sArrowDown, "Down", clFuchsia},    {sRectangle, "Rectangle", clLime},
                  {sDiamondLeft, "Diamond L", clRed}, {sDiamondRight, "Diamond R", clBlue}};
    QHBoxLayout* on = AddRow(page, QStringLiteral("Shapes, on"));
    QHBoxLayout* off = AddRow(page, QStringLiteral("Shapes, off"));
    for (const auto& item : shapes) {
        for (QHBoxLayout* row : {on, off}) {
            TLedIndicator* lamp = AddLamp(row, QString::fromLatin1(item.name));
            lamp->LED().SetShape(item.shape);
            lamp->LED().SetColorOn(item.colorOn);
            lamp->LED().SetWidth(17);
            lamp->LED().SetHeight(13);
            lamp->SetChecked(row == on);
        }
    }
}

void AddPositionsAndSizes(QVBoxLayout* page) {
    QHBoxLayout* row = AddRow(page, QStringLiteral("Caption positions and lamp sizes"));
    const struct {
        TLEDPos position;
        const char* caption;
    } positions[] = {{lpLeft, "Lamp left"},
                     {lpRight, "Lamp right"},
                     {lpTop, "Lamp top"},
                     {lpBottom, "Lamp bottom"},
                     {lpLeft, "Two|lines"}};
    for (const auto& item : positions) {
        TLedIndicator* lamp = AddLamp(row, QString::fromLatin1(item.caption));
        lamp->SetLED_Position(item.position);
        lamp->setMinimumHeight(50);
        lamp->SetChecked(true);
    }
    for (int size : {4, 8, 24, 40}) {
        TLedIndicator* lamp = AddLamp(row, QStringLiteral("%1 px").arg(size));
        lamp->LED().SetWidth(size);
        lamp->LED().SetHeight(size);
        lamp->setMinimumHeight(50);
        lamp->SetChecked(true);
    }
    TLedIndicator* wide = AddLamp(row, QStringLiteral("20 x 10"));
    wide->LED().SetWidth(20);
    wide->LED().SetHeight(10);
    wide->setMinimumHeight(50);
}

void AddModes(QVBoxLayout* page) {
    QHBoxLayout* row = AddRow(page, QStringLiteral("Modes: click the lamps"));
    AddLamp(row, QStringLiteral("Button"))->SetMode(mButton);
    AddLamp(row, QStringLiteral("Switch"))->SetMode(mSwitch);
    TLedIndicator* indicator = AddLamp(row, QStringLiteral("Indicator"));
    indicator->SetChecked(true);
    for (int bit = 0; bit < 3; ++bit) {
        TLedIndicator* radio = AddLamp(row, QStringLiteral("Radio %1").arg(bit));
        radio->LED().SetColorOn(clYellow);
        radio->SetStatusBit(bit);
        radio->SetGroupIndex(1);
        radio->SetMode(mRadioButton);
    }
    for (int bit = 0; bit < 3; ++bit) {
        TLedIndicator* flag = AddLamp(row, QStringLiteral("Bit %1").arg(bit));
        flag->LED().SetShape(sRectangle);
        flag->SetStatusBit(bit);
        flag->SetGroupIndex(2);
        flag->SetMode(mSwitch);
    }
}

void AddFrequencies(QVBoxLayout* page) {
    QHBoxLayout* row = AddRow(page, QStringLiteral("Flashing"));
    const struct {
        TFlashFreq frequency;
        const char* caption;
    } frequencies[] = {
        {ff8Hz, "8 Hz"}, {ff4Hz, "4 Hz"}, {ff2Hz, "2 Hz"}, {ff1Hz, "1 Hz"}, {ff05Hz, "0.5 Hz"}};
    for (const auto& item : frequencies) {
        TLedIndicator* lamp = AddLamp(row, QString::fromLatin1(item.caption));
        lamp->LED().SetColorOn(clRed);
        lamp->SetFrequency(item.frequency);
        lamp->SetFlashing(true);
        lamp->SetChecked(true);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window to <file> and quit."),
                                        QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("LED indicators"));
    auto* page = new QVBoxLayout(&window);
    AddShapes(page);
    AddPositionsAndSizes(page);
    AddModes(page);
    AddFrequencies(page);
    window.show();

    if (parser.isSet(screenshot)) {
        QTimer::singleShot(500, &window, [&] {
            const bool saved = window.grab().save(parser.value(screenshot));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
