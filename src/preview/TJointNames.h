#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

#include <QWidget>

class LayoutTable;
struct SessionOptions;

// Over a face: a household's further joint names, the second on, beside the joint-name field
// that shows the first, drawn by the printer's own renderer at the zoom. Clicks pass through.
class TJointNames : public QWidget
{
    Q_OBJECT
public:
    TJointNames(const LayoutTable& layouts, LayoutKind kind, QWidget* face);

    void setOptions(const SessionOptions* options);
    // The card's texts; the joint-name field keeps the first line, this the rest.
    void setTexts(const CardTexts& texts);
    // The joint-name lines after the first ("" when there are none).
    QString furtherLines() const;
    void setZoom(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const LayoutTable& m_layouts;
    const LayoutKind m_kind;
    const SessionOptions* m_options = nullptr;
    CardTexts m_texts;
    double m_zoom = 100;
};
