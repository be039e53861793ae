#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

#include <functional>

// Over a face: a hatch over each field that shows on the face but does not print (非印刷, or
// 非表示 while the face is not transparent), so the face is never taken for the card. The
// boxes are asked for at each paint. Clicks pass through.
class TNoPrintMarks : public QWidget
{
    Q_OBJECT
public:
    using Boxes = std::function<QList<QRect>()>;
    // The hatch's colour: pale enough to leave the field's text readable beneath it.
    static constexpr QRgb MarkColour = qRgb(230, 120, 120);

    TNoPrintMarks(Boxes boxes, QWidget* face);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Boxes m_boxes;
};
