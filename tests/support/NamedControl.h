#pragma once
// The window's controls and parts as a test reaches them: the pages keep their
// controls to themselves, so a test finds a control by its object name, as a
// user finds it by its caption, and a part of the window by its type. A
// control on a page the window builds when first shown is reached as before:
// the pages not built yet are built (not shown) first.

#include <QObject>
#include <QTabWidget>
#include <stdexcept>
#include <string>
#include <typeinfo>

// Builds the window's pages that wait for their tab to be first shown.
inline void BuildWaitingPages(const QObject& root) {
    for (QObject* child : root.findChildren<QObject*>())
        if (child->inherits("TLazyPage"))
            QMetaObject::invokeMethod(child, "Build");
}

template <class Control> Control* Named(const QObject& root, const QString& name) {
    auto* control = root.findChild<Control*>(name);
    if (!control) {
        BuildWaitingPages(root);
        control = root.findChild<Control*>(name);
    }
    if (!control)
        throw std::logic_error("no " + std::string(typeid(Control).name()) + " named " +
                               name.toStdString() + " in " + root.objectName().toStdString());
    return control;
}

template <class Part> Part* PartOf(const QObject& root) {
    auto* part = root.findChild<Part*>();
    if (!part)
        throw std::logic_error("no " + std::string(typeid(Part).name()) + " in " +
                               root.objectName().toStdString());
    return part;
}

// Shows the window's page that holds control (or is control), as a click on
// its tab does.
inline void ShowPageOf(const QObject& window, const QWidget* control) {
    auto* pages = Named<QTabWidget>(window, "pcZEPOMonitor");
    for (int index = 0; index < pages->count(); ++index)
        if (pages->widget(index) == control || pages->widget(index)->isAncestorOf(control))
            pages->setCurrentIndex(index);
}

// Shows the window's page of that object name.
inline void ShowPage(const QObject& window, const QString& page) {
    ShowPageOf(window, Named<QWidget>(window, page));
}
