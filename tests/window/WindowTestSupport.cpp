#include "tests/window/WindowTestSupport.h"
#include "protocol/commands/UbxCommands.h"
#include "tests/support/NamedControl.h"
#include "window/app/MainForm.h"
#include "window/pages/ComPortPage.h"
#include "window/parts/PersistedPort.h"
#include "window/parts/SettingsStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

DeferredDeletions::~DeferredDeletions() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WriteStore(const QByteArray& content) {
    QFile::remove(SettingsStore::FilePath());
    QFile::remove(SettingsStore::FilePath() + ".bad");
    if (content.isEmpty())
        return;
    QDir().mkpath(QFileInfo(SettingsStore::FilePath()).absolutePath());
    QFile file(SettingsStore::FilePath());
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

static QJsonObject StoredKeys() {
    QFile file(SettingsStore::FilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonObject StoredKey() {
    return StoredKeys().value(BrennixKey).toObject();
}

bool StoredKeyExists() {
    return StoredKeys().value(BrennixKey).isObject();
}

bool ClickListItem(QListWidget* list, const QString& text, Qt::KeyboardModifiers modifiers) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(found.first()).center());
    return true;
}

bool OpenPortAt(TMainForm& form, const QString& port, const QString& baud) {
    ShowPage(form, "tabComPort");
    if (!ClickListItem(Named<QListWidget>(form, "lstPorts"), port) ||
        !ClickListItem(Named<QListWidget>(form, "lstBaudRate"), baud))
        return false;
    Click(Named<QAbstractButton>(form, "btnOpen"));
    return form.portSerial.IsConnected() != spNone;
}

void Screenshot(QWidget& form, QWidget* page, const QString& name, const QSize& defaultSize) {
    const QString folder = qEnvironmentVariable("ZEPO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    ShowPageOf(form, page); // also a page built when first shown
    QTest::qWait(300);
    form.grab().save(folder + "/" + name + ".png");
    const QSize tested = form.size();
    for (const QSize& size : {defaultSize, QSize(1600, 1000)}) {
        form.resize(size);
        QTest::qWait(300);
        form.grab().save(
            QString("%1/%2-%3x%4.png").arg(folder, name).arg(size.width()).arg(size.height()));
    }
    form.resize(tested);
}

void Click(QAbstractButton* button) {
    // Near the left edge: a radio button or check box that its layout made
    // wide reacts only on its indicator and caption.
    const QPoint onIndicator(qMin(8, button->width() / 2), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, onIndicator);
}

std::unique_ptr<TMainForm> ShowFreshWindow() {
    WriteStore({});
    auto form = std::make_unique<TMainForm>();
    form->show();
    ShowPage(*form, "tabComPort");
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}

void AnswerFileDialog(QAbstractButton* button, const std::function<void(QFileDialog&)>& look,
                      const QString& path) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        look(*dialog);
        if (path.isEmpty())
            return dialog->reject();
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(path); // as typed
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, protected there
    });
    poll.start(20);
    Click(button);
}

std::string MonVerAnswer(const std::string& protocolVersion) {
    TPayload payload(70, 0);
    for (const auto& [offset, text] : {std::pair<std::size_t, std::string>{0, "ROM CORE 3.01"},
                                       {30, "00080000"},
                                       {40, "PROTVER=" + protocolVersion}})
        std::copy(text.begin(), text.end(), payload.begin() + offset);
    return ToByteString(BuildUbxFrame(MakeUbxPacket(ubx::kClassMon, ubx::kIdMonVer, payload)));
}
