#include "window/blocks/LazyPage.h"

#include <QVBoxLayout>

TLazyPage::TLazyPage(QWidget* parent, Builder build) : QWidget(parent), build_(std::move(build)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void TLazyPage::Build() {
    if (page_)
        return;
    page_ = build_(this);
    build_ = nullptr;
    layout()->addWidget(page_);
    // At once, so a page that acts as it shows does so with its tab.
    page_->show();
}
