#pragma once
// The "UBX Protocol" page: the fields of a UBX frame with the receiver's
// class and message-id vocabulary, and the Poll CFG_PRT button.

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TNumEdit;

class TUbxProtocolPage : public QWidget {
    Q_OBJECT
public:
    explicit TUbxProtocolPage(QWidget* parent);

    QPushButton* btnPollCFG_PRT;
    QLabel* lblSent;
    QGroupBox* gbPoll;
    TNumEdit* neSyncChar1;
    QLabel* lblSyncChar1;
    TNumEdit* neSynchChar2;
    QLabel* lblSyncChar2;
    QComboBox* cbClassID;
    QLabel* lblClassID;
    QLabel* lblSelectID;
    QComboBox* cbCFG;
    QLabel* lblIfCFG;
    QComboBox* cbAID;
    QLabel* lblIfAID;
    TNumEdit* neLength;
    QLabel* Label1;
    TNumEdit* neCK_A;
    QLabel* lbCk_A;
    TNumEdit* neCK_B;
    QLabel* lblCK_B;
    QPushButton* btnSend;
    // The composer's reach beyond the CFG and AID lists: the ids of every
    // other class, the payload in hex, the frame to be sent and the answer.
    QComboBox* cbMsgID;
    QLabel* lblIfOther;
    QLineEdit* edPayload;
    QLabel* lblPayloadHex;
    QLabel* lblFrame;
    QLabel* lblAnswer;

private:
    void CreateComposer();
    void LayOutComposer();
};
