#include "widgets/SkyLabels.h"

#include <algorithm>

namespace {
constexpr double kGap = 1; // between a label and its mark

QRectF MarkBox(const QPointF& centre, double markSize) {
    const double half = markSize / 2 + 1; // the symbol's outline pen reaches past its size
    return QRectF(centre.x() - half, centre.y() - half, 2 * half, 2 * half);
}

// The spots around a mark, best first: right of it, as a reader looks for a
// label, then the corners and sides further round.
std::vector<QRectF> Spots(const QRectF& mark, const QSizeF& size) {
    const double w = size.width(), h = size.height();
    const double right = mark.right() + kGap, left = mark.left() - kGap - w;
    const double above = mark.top() - kGap - h, below = mark.bottom() + kGap;
    const double middle = mark.center().y() - h / 2, centre = mark.center().x() - w / 2;
    return {
        {right, middle, w, h}, {right, above, w, h}, {right, below, w, h},  {left, middle, w, h},
        {left, above, w, h},   {left, below, w, h},  {centre, above, w, h}, {centre, below, w, h},
    };
}
} // namespace

std::vector<std::optional<QRectF>> PlaceLabels(const std::vector<TLabelRequest>& labels,
                                               double markSize, const QRectF& area,
                                               const std::vector<QRectF>& taken) {
    std::vector<QRectF> occupied = taken;
    for (const TLabelRequest& label : labels)
        occupied.push_back(MarkBox(label.Mark, markSize));
    std::vector<std::optional<QRectF>> placed;
    placed.reserve(labels.size());
    for (const TLabelRequest& label : labels) {
        std::optional<QRectF> spot;
        for (const QRectF& candidate : Spots(MarkBox(label.Mark, markSize), label.Size)) {
            const auto overlaps = [&](const QRectF& other) { return other.intersects(candidate); };
            if (area.contains(candidate) &&
                std::none_of(occupied.begin(), occupied.end(), overlaps)) {
                spot = candidate;
                break;
            }
        }
        if (spot)
            occupied.push_back(*spot);
        placed.push_back(spot);
    }
    return placed;
}
