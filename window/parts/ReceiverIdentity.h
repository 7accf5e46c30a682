#pragma once
// Which receiver the window talks to, so the Configure page's tasks speak
// its language: the configuration database on generation 9+ receivers, the
// legacy CFG messages on older ones. Learnt from every MON-VER the receiver
// answers, whoever asked for it; a task that needs it before one came asks
// for MON-VER first. What was learnt is forgotten when the user opens a port.

#include "protocol/commands/ReceiverGeneration.h"

#include <QObject>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class TUbxCommander;

class TReceiverIdentity : public QObject {
    Q_OBJECT
public:
    using TThen = std::function<void(const ubx::TReceiverGeneration&)>;

    // Errors of the tasks that run later are shown over window.
    TReceiverIdentity(QWidget* window, TUbxCommander& commander);

    // Runs then with the receiver's generation: at once when it is known,
    // else once MON-VER is answered. A receiver that does not answer it is
    // spoken to in the legacy messages, which every generation before 10
    // takes; it is asked again by the next task.
    void WhenKnown(TThen then);
    void Forget();
    // What Identified said last; empty while nothing is known.
    const QString& Text() const { return text_; }

signals:
    // "Generation 9 receiver, protocol 27.31: configured through the
    // configuration database"; empty when forgotten.
    void Identified(const QString& text);

private:
    // Throws the port's error when it is not open.
    void AskForVersion();
    void Learn(const ubx::TReceiverGeneration& generation);
    void Say(const QString& text);

    QWidget* window_;
    TUbxCommander& commander_;
    std::optional<ubx::TReceiverGeneration> known_;
    std::vector<TThen> waiting_; // while MON-VER is asked for
    QString text_;
};
