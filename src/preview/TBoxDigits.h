#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

#include <QWidget>

class LayoutTable;
struct SessionOptions;

// Over a face: with "郵便番号を枠に合わせる" on for its kind, the seven postal digits in the
// card's printed boxes, drawn by the printer's own renderer at the zoom. Clicks pass through.
class TBoxDigits : public QWidget
{
    Q_OBJECT
public:
    TBoxDigits(const LayoutTable& layouts, LayoutKind kind, QWidget* face);

    void setOptions(const SessionOptions* options);
    void setTexts(const CardTexts& texts);
    void setZoom(double zoom);
    // The option is on for this kind and the code has seven digits: they stand in the boxes,
    // not in the two fields.
    bool active() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const LayoutTable& m_layouts;
    const LayoutKind m_kind;
    const SessionOptions* m_options = nullptr;
    CardTexts m_texts;
    double m_zoom = 100;
};
