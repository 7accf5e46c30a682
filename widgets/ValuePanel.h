#pragma once
// A column of captioned values that go stale: each value remembers when it
// was last set, and MarkStale greys out those not set for kStaleAfter, so a
// reading the receiver stopped sending never passes for a current one. The
// clock is injectable for tests.

#include <QWidget>
#include <chrono>
#include <functional>
#include <map>

class QFormLayout;
class QLabel;

class TValuePanel : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kStaleAfter{3};

    explicit TValuePanel(QWidget* parent = nullptr, Clock clock = &std::chrono::steady_clock::now);

    // A row whose value label has objectName name.
    void AddRow(const QString& name, const QString& caption);
    // Shows text as the row's current value, fresh from now on.
    void SetValue(const QString& name, const QString& text);
    // Writes the row's value anew (another format) without refreshing it.
    void Rewrite(const QString& name, const QString& text);
    // Greys out the values not set for kStaleAfter.
    void MarkStale();
    // Greys out the row's value at once: it no longer holds (the fix was lost).
    void Expire(const QString& name);

    QString Value(const QString& name) const;
    bool IsStale(const QString& name) const;
    std::chrono::steady_clock::time_point Now() const { return clock_(); }

private:
    struct TRow {
        QLabel* Label;
        std::chrono::steady_clock::time_point SetAt;
    };

    Clock clock_;
    QFormLayout* layout_;
    std::map<QString, TRow> rows_;
};
