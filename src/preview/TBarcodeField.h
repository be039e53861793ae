#pragma once

#include "controls/TTateEdit.h"

#include <QSize>

// The PostCode field of a face: the customer barcode as bars at the zoom, drawn by the same
// painter as the printer (no barcode font is needed or named), with the top of the first long
// bar where the printer puts it: at the field's inset, like a text field's first cell.
class TBarcodeField : public TTateEdit
{
    Q_OBJECT
public:
    explicit TBarcodeField(QWidget* parent = nullptr);

    // Percent; the bars keep their printed size times this.
    void setZoom(double zoom);
    // The bars of the field's text in face pixels at the zoom.
    QSize barsSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_zoom = 100;
};
