#pragma once

#include "layout/LayoutKind.h"
#include "print/PrintJob.h"

#include <QPoint>
#include <QPointF>
#include <QString>

class CardRenderer;
class PrinterDevice;
class QPainter;
struct CardTexts;

// "位置合わせ用紙": one sheet of the chosen paper with, at every card slot, the card's corners,
// millimetre rulers along its top and left edges and cross-hairs where the first and the
// last postal box have their centres. Printed with the position correction as it stands,
// so what the user measures on a real card is what the correction still has to move.
namespace CalibrationSheet {

// The centre of the first (0) or last (1) cross-hair of the card at `position` (1-based) on
// the sheet, in 1/10 mm from the paper's corner, correction included. Landscape cards hold
// the boxes turned with the card (a quarter clockwise).
QPointF crossHairTenthMm(LayoutKind kind, int cardsPerSheet, int position, int which,
                         QPoint correction);

// Something printed on every card of the sheet, as the cards print it (the sender, so its place
// can be checked on a real card too): `texts` drawn by `renderer`.
struct CardPrint
{
    const CardRenderer* renderer = nullptr;
    const CardTexts* texts = nullptr;
};

// Paints the whole sheet on a page in device pixels (full-page coordinates).
void paint(QPainter& painter, LayoutKind kind, int cardsPerSheet, QPoint correction,
           CardPrint onEveryCard = {});

// Sets the paper, prints one sheet and ends the document; false (with the device's
// errorText) when the printer refused.
bool print(PrinterDevice& device, PaperKind paper, LayoutKind kind, const QString& hoseiX,
           const QString& hoseiY, CardPrint onEveryCard = {});

// The new "左" and "上" (1/10 mm) when the cross-hair landed `rightMm` to the right of and
// `downMm` below the real box's centre: the correction moves the print back by as much.
QPoint correctedHosei(const QString& hoseiX, const QString& hoseiY, double rightMm, double downMm);

} // namespace CalibrationSheet
