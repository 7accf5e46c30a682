#pragma once
// A page of the window's tabs that is built the first time it is needed:
// when its tab becomes current, or when the window must reach its controls.
// Until then it is an empty widget, so the window opens without building the
// pages no one has looked at yet. What a page shows of the receiver lives
// outside it and is handed to it when built.

#include <QWidget>
#include <functional>

class TLazyPage : public QWidget {
    Q_OBJECT
public:
    // Makes the page as a child of its parent.
    using Builder = std::function<QWidget*(QWidget* parent)>;

    TLazyPage(QWidget* parent, Builder build);

    // Builds the page unless it already is.
    Q_INVOKABLE void Build();
    bool IsBuilt() const { return page_ != nullptr; }

private:
    Builder build_;
    QWidget* page_ = nullptr;
};
