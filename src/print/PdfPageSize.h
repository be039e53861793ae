#pragma once

#include <QPageLayout>
#include <QSizeF>
#include <QString>

// Qt's PDF writer gives its pages whole points: a postcard (100 x 148 mm, 283.46 x 419.53 pt)
// comes out 284 x 419. This sets the page boxes of a PDF that writer made to the paper's exact
// size, with the top-left corner where it was, so every drawing keeps its place from the
// paper's top-left corner.
namespace PdfPageSize {

// `points`: the exact paper of every page, as it lies. False, and the file as it was, when it
// cannot be read, written or is not laid out as that writer lays it out.
bool setExact(const QString& path, const QSizeF& points);

// The paper of `layout` in points, from its definition (100 x 148 mm gives 283.46 x 419.53),
// as it lies.
QSizeF exactPoints(const QPageLayout& layout);

} // namespace PdfPageSize
