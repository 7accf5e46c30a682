#pragma once
// Where the sky plot writes the satellites' numbers: each label beside its
// mark, in the first of a few spots around it that stays inside the area and
// overlaps no mark, no label placed before it and nothing else drawn there
// (the legend, the compass letters). A label with no free spot is left out,
// so a crowded sky never shows numbers over one another.

#include <QRectF>
#include <optional>
#include <vector>

struct TLabelRequest {
    QPointF Mark; // the centre of the satellite's mark
    QSizeF Size;  // of the label's text
};

// One rectangle per request, in the order given (earlier labels get the
// better spots); markSize is the marks' width across.
std::vector<std::optional<QRectF>> PlaceLabels(const std::vector<TLabelRequest>& labels,
                                               double markSize, const QRectF& area,
                                               const std::vector<QRectF>& taken = {});
