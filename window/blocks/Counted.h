#pragma once
// A count with its noun, singular or plural: "1 frame", "12 frames".

#include <QString>

template <typename Count> QString Counted(Count count, const QString& noun) {
    return QString::number(count) + " " + noun + (count == 1 ? "" : "s");
}
