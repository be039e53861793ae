#pragma once

#include "controls/TTateEdit.h"

// The PostCode field of a face: the customer barcode as bars at the zoom, drawn by the same
// painter as the printer (no barcode font is needed or named).
class TBarcodeField : public TTateEdit
{
    Q_OBJECT
public:
    explicit TBarcodeField(QWidget* parent = nullptr);

    // Percent; the bars keep their printed size times this.
    void setZoom(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_zoom = 100;
};
