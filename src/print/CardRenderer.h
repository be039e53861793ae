#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutKind.h"
#include "typeset/AlignMode.h"

#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>

class LayoutTable;
class QPainter;
class QPaintDevice;
struct SessionOptions;

// Where a card goes on the sheet, as the running print job and the main window say.
struct CardPlacement
{
    int cardsPerSheet = 1;
    int sheetPosition = 1; // 1-based running position; the slot is (position - 1) mod cards
    QString hoseiX;        // position correction "左" and "上" in 1/10 mm, as typed
    QString hoseiY;
    // A proof on plain paper: the card's outline and its printed face go under the fields.
    bool proof = false;
};

// Draws the fields of a card (the addressee's, then the sender's) onto a printer page from the
// layout table, in the page's device pixels: positions in 1/10 mm from the paper's corner become
// round(v / 254 x dots per inch), half away from zero.
class CardRenderer
{
public:
    static constexpr double StandardScreenDpi = 96.0;
    static constexpr double BarcodePointSize = 9.0;

    // `screenDpi` enters the font-size rule (see printerPointSize).
    CardRenderer(const LayoutTable& layouts, const SessionOptions& options,
                 double screenDpi = StandardScreenDpi);

    // Draws every field of `kind` that is neither NoView nor NoPrint at the card's slot plus
    // the position correction, postal code, barcode, then the rest in the order of the LayoutItems.
    void DrawCard(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                  const CardPlacement& placement) const;

    // Draws `text` with its box starting at (x, y) (1/10 mm, slot and correction included),
    // box length `boxLength` and spread length `spreadLength` (1/10 mm, converted with the
    // horizontal resolution in either direction), in the face `fontName` at the print size
    // of `fontSize` (bounded to the layout's font-size range). Returns the sum of the drawn
    // advances in device pixels, without the spreading; an empty text draws nothing and returns 0.
    int DrawFieldText(QPainter& canvas, qint64 x, qint64 y, AlignMode mode, bool vertical,
                      int spreadLength, int boxLength, const QString& fontName, double fontSize,
                      const QString& text) const;

    // The card's outline and face picture at its slot (no correction: that moves the print,
    // not the card), as a proof shows them under the fields.
    void DrawCardFace(LayoutKind kind, QPainter& canvas, const CardPlacement& placement) const;

    // With "郵便番号を枠に合わせる" on for `kind` and a seven-digit code in the two postal
    // fields, draws each digit centred in its printed box (at YubinNo1's font for the first
    // three, YubinNo2's for the rest; turned a quarter with a landscape card's boxes) and
    // returns true; otherwise draws nothing.
    bool DrawDigitsInBoxes(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                           qint64 originX, qint64 originY) const;

    // Where joint name `index` (0 the field itself) of `count` of the field `item` (the
    // addressee's Renmei or the sender's SenderRenmei) stands and at what size: each a column
    // further left (vertical) or a line further down (horizontal), one pitch apart: the
    // field's breadth across the writing, the distance from the name it follows, and 1.2 times
    // the font's cell, whichever is most. Names that would run off the card or into other ink
    // (any field with text, the sender's names, the printed postal boxes and stamp area) close
    // up, and shrink when closer than 1.1 times their cell.
    struct JointNamePlace
    {
        int x = 0; // 1/10 mm on the card
        int y = 0;
        double fontSize = 0;
    };
    JointNamePlace jointNamePlace(LayoutKind kind, const CardTexts& texts, int index, int count,
                                  LayoutItem item = LayoutItem::Renmei) const;

    // The joint names of `item` from line `firstLine` on (see CardTexts), each at its place, the
    // card's corner at (originX, originY) in 1/10 mm, whether the field prints or not.
    void DrawJointNames(LayoutKind kind, QPainter& canvas, const CardTexts& texts, qint64 originX,
                        qint64 originY, int firstLine = 0,
                        LayoutItem item = LayoutItem::Renmei) const;

    // True when the addressee's or the sender's joint names print and a further name stands
    // smaller than the field's own size for want of room.
    bool JointNamesShrink(LayoutKind kind, const CardTexts& texts) const;

    // The printed furniture of a postcard's address side on the card of `kind`, in 1/10 mm:
    // the stamp area and the row of seven postal-code boxes.
    static QList<QRect> PrintedFurniture(LayoutKind kind);

    // The centre of postal box `box` (0-6) on the upright card, in millimetres.
    static QPointF PostalBoxCentreMm(int box);

    // True when every character DrawCard would draw for these texts has a glyph in its
    // field's font or in a face that font falls back to (the barcode is bars, always drawn).
    bool CanDrawCard(LayoutKind kind, const CardTexts& texts) const;

    // Offset of the card's slot on the sheet in 1/10 mm; none with one card per sheet.
    static QPoint SlotOffset(LayoutKind kind, int cardsPerSheet, int sheetPosition);

    // The whole point size a layout font size prints at: the size as 1/10 mm, then as screen
    // pixels, then the point size those pixels have on the screen. At 96 dpi 12 prints at 12,
    // 10.5 at 11.
    static int printerPointSize(double fontSize, double screenDpi = StandardScreenDpi);

    // 1/10 mm to device pixels at `dpi` (CardGeometry), saturating at the limits of int.
    static int toDevice(qint64 tenthMm, int dpi);

    // The paint engines keep coordinates in fixed point: a field placed beyond this many
    // device pixels from the paper's corner (far off any sheet) is not drawn at all.
    static constexpr int MaxDeviceCoordinate = 1 << 22;
    static bool isDrawable(QPoint devicePosition);

    // The font a field is drawn with on `device`: the face as stored (a leading "@" is the
    // vertical run's business, not the face's), the print size, no style.
    QFont fieldFont(const QString& fontName, double fontSize, const QPaintDevice* device) const;

    static bool isVerticalItem(LayoutKind kind, LayoutItem item);
    static AlignMode alignModeOf(LayoutItem item);

private:
    // The breadth of a column (height of a line) of the face at a font size, in 1/10 mm.
    int lineSize(const QString& fontName, double fontSize) const;
    // Where one line of `item` put at (x, y) inks the card, in 1/10 mm.
    QRect lineBox(LayoutKind kind, LayoutItem item, int x, int y, double fontSize) const;
    // Where a name of `item` ends, in 1/10 mm along its writing, drawn at the field's size on
    // `device`: at the field's spread, or further when the name is longer (up to the box).
    int nameEnd(LayoutKind kind, LayoutItem item, const QString& text,
                const QPaintDevice* device) const;
    // Where the addressee's and every joint name's honorifics end together when 連名 follows
    // the addressee: at the longest of them. 0 when each field keeps its own spread.
    int nameBlockSpread(LayoutKind kind, const CardTexts& texts, const QPaintDevice* device) const;
    // Everything on the card but the joint names of `jointItem`.
    QList<QRect> inkBoxes(LayoutKind kind, const CardTexts& texts, LayoutItem jointItem) const;

    const LayoutTable& m_layouts;
    const SessionOptions& m_options;
    double m_screenDpi;
};
