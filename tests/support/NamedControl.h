#pragma once
// The window's controls and parts as a test reaches them: the pages keep their
// controls to themselves, so a test finds a control by its object name, as a
// user finds it by its caption, and a part of the window by its type.

#include <QObject>
#include <stdexcept>
#include <string>
#include <typeinfo>

template <class Control> Control* Named(const QObject& root, const QString& name) {
    auto* control = root.findChild<Control*>(name);
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
