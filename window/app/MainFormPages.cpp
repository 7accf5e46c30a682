// The window's pages in the order of their tabs, and the data pane below them.
// The window opens on "NMEA PUBX"; it and the port page are built at once, as
// the port and the PUBX watch work through them from the start, and so is the
// Record page, which the session drives. The others are built when their tab
// is first shown, from what the window kept for them meanwhile.

#include "window/app/MainForm.h"
#include "window/blocks/Controls.h"
#include "window/blocks/ErrorBox.h"
#include "window/blocks/LazyPage.h"
#include "window/blocks/TextPane.h"
#include "window/pages/BasePage.h"
#include "window/pages/ChartsPage.h"
#include "window/pages/ComPortPage.h"
#include "window/pages/ConfigurationPage.h"
#include "window/pages/ConfigurePage.h"
#include "window/pages/DeviationPage.h"
#include "window/pages/HealthPage.h"
#include "window/pages/HistoryPage.h"
#include "window/pages/MessagesPage.h"
#include "window/pages/NmeaPubxPage.h"
#include "window/pages/NmeaStandardPage.h"
#include "window/pages/NtripPage.h"
#include "window/pages/ReceiverPage.h"
#include "window/pages/RecordPage.h"
#include "window/pages/UbxProtocolPage.h"
#include "window/parts/ReceiverFeed.h"

#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>

void TMainForm::CreatePages() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    pcZEPOMonitor = new QTabWidget(splitter);
    pcZEPOMonitor->setObjectName("pcZEPOMonitor");
    tabComPort = new TComPortPage(pcZEPOMonitor, portSerial, *ubxCommander_, *shareControl_);
    pcZEPOMonitor->addTab(tabComPort, "ComPort");
    AddLazyPage("NMEA Standard", [this](QWidget* parent) {
        auto* page = new TNmeaStandardPage(parent, *sender_);
        ConnectNmeaStandardPage(page);
        return page;
    });
    tabUBX = new TNmeaPubxPage(pcZEPOMonitor, *sender_);
    pcZEPOMonitor->addTab(tabUBX, "NMEA PUBX");
    AddLazyPage("UBX Protocol", [this](QWidget* parent) {
        auto* page = new TUbxProtocolPage(parent, *ubxCommander_);
        connect(page, &TUbxProtocolPage::FrameSent, tabComPort, &TComPortPage::ShowBytesSent);
        return page;
    });
    AddLazyPage("Receiver", [this](QWidget* parent) {
        tabReceiver = new TReceiverPage(parent);
        tabReceiver->Show(receiverFeed_->Snapshot(), receiverFeed_->EverRefreshed());
        tabReceiver->ShowLineWarning(lineWarnings_.join('\n'));
        connect(receiverFeed_, &TReceiverFeed::StateRedrawn, tabReceiver, &TReceiverPage::Show);
        return tabReceiver;
    });
    AddLazyPage("Messages", [this](QWidget* parent) {
        auto* page = new TMessagesPage(parent, *messageList_);
        page->Refresh(receiverFeed_->TypesOf(receiverFeed_->Snapshot()));
        connect(receiverFeed_, &TReceiverFeed::TypesCounted, page, &TMessagesPage::Refresh);
        return page;
    });
    AddLazyPage("Configure", [this](QWidget* parent) {
        return new TConfigurePage(parent, *ubxCommander_, *baudTasks_, *receiverIdentity_);
    });
    AddLazyPage("Base", [this](QWidget* parent) {
        auto* page = new TBasePage(parent, *ubxCommander_, *receiverIdentity_);
        page->Show(receiverFeed_->Snapshot(), receiverFeed_->EverRefreshed());
        connect(receiverFeed_, &TReceiverFeed::StateRedrawn, page, &TBasePage::Show);
        return page;
    });
    AddLazyPage("Configuration", [this](QWidget* parent) {
        return new TConfigurationPage(parent, *configSession_, *ubxCommander_);
    });
    AddLazyPage("NTRIP",
                [this](QWidget* parent) { return new TNtripPage(parent, *ntripControl_); });
    tabRecord = new TRecordPage(pcZEPOMonitor, *sessionControl_, receiverFeed_->Positions());
    connect(receiverFeed_, &TReceiverFeed::FixesAdded, tabRecord, &TRecordPage::ShowFixes);
    pcZEPOMonitor->addTab(tabRecord, "Record");
    AddLazyPage("History", [this](QWidget* parent) { return new THistoryPage(parent, *history_); });
    AddLazyPage("Health", [this](QWidget* parent) {
        auto* page = new THealthPage(parent, *ubxCommander_, *receiverIdentity_);
        page->Show(receiverFeed_->Snapshot(), receiverFeed_->EverRefreshed());
        connect(receiverFeed_, &TReceiverFeed::StateRedrawn, page, &THealthPage::Show);
        return page;
    });
    AddLazyPage("Deviation", [this](QWidget* parent) {
        auto* page = new TDeviationPage(parent, receiverFeed_->Positions());
        connect(receiverFeed_, &TReceiverFeed::FixesAdded, page, &TDeviationPage::FixesChanged);
        page->ShowBase(receiverFeed_->Snapshot().Base);
        connect(
            receiverFeed_, &TReceiverFeed::StateRedrawn, page,
            [page](const protocol::ReceiverSnapshot& snapshot) { page->ShowBase(snapshot.Base); });
        return page;
    });
    AddLazyPage("Charts", [this](QWidget* parent) {
        auto* page = new TChartsPage(parent, receiverFeed_->Positions(), receiverFeed_->Signals());
        connect(receiverFeed_, &TReceiverFeed::FixesAdded, page, &TChartsPage::DataChanged);
        return page;
    });
    pcZEPOMonitor->setCurrentWidget(tabUBX);
    connect(pcZEPOMonitor, &QTabWidget::currentChanged, this, Guarded(this, [this] {
                if (auto* page = qobject_cast<TLazyPage*>(pcZEPOMonitor->currentWidget()))
                    page->Build();
            }));

    moData = MakeTextPane(splitter, "moData");
    QPalette palette = moData->palette();
    palette.setColor(QPalette::Base, ColorInactiveCaptionGradient);
    moData->setPalette(palette);

    splitter->addWidget(pcZEPOMonitor);
    splitter->addWidget(moData);
    splitter->setSizes({356, 221});
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);
}

void TMainForm::AddLazyPage(const QString& caption,
                            std::function<QWidget*(QWidget* parent)> build) {
    pcZEPOMonitor->addTab(new TLazyPage(pcZEPOMonitor, std::move(build)), caption);
}
