#pragma once

#include "layout/LayoutKind.h"

#include <QImage>
#include <QRectF>

class QPainter;

// The address side of a plain Japanese postcard, drawn by our own code: pale card, the red
// postal-code boxes, the stamp area and the heading. Landscape kinds show the card as it is
// held in landscape (turned a quarter clockwise). No widget involved: any painter will do.
namespace CardFacePicture {

// Draws the face of `kind` stretched over `target`.
void paint(QPainter& painter, LayoutKind kind, const QRectF& target);

// The face as a picture of `size` pixels.
QImage image(LayoutKind kind, QSize size);

} // namespace CardFacePicture
