#pragma once

#include <QColor>
#include <QCursor>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QRubberBand;

// A see-through overlay attached to one or more sibling controls: it draws grab squares
// around them and moves or resizes them by mouse drag or arrow keys, reporting each change
// through Moved. It never owns its targets.
class TStretchHandle : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QColor SecondaryColor READ SecondaryColor WRITE setSecondaryColor)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked)
    Q_PROPERTY(int GridX READ GridX WRITE setGridX)
    Q_PROPERTY(int GridY READ GridY WRITE setGridY)
    Q_PROPERTY(bool SnapToGrid READ SnapToGrid WRITE setSnapToGrid)
    Q_PROPERTY(QCursor DragCursor READ DragCursor WRITE setDragCursor)

public:
    explicit TStretchHandle(QWidget* parent = nullptr);

    QColor Color() const { return m_color; }
    void setColor(const QColor& value);
    QColor SecondaryColor() const { return m_secondaryColor; }
    void setSecondaryColor(const QColor& value);
    bool Locked() const { return m_locked; }
    void setLocked(bool value) { m_locked = value; }
    int GridX() const { return m_gridX; }
    void setGridX(int value) { m_gridX = qMax(1, value); }
    int GridY() const { return m_gridY; }
    void setGridY(int value) { m_gridY = qMax(1, value); }
    bool SnapToGrid() const { return m_gridX > 1 || m_gridY > 1; }
    void setSnapToGrid(bool value);
    QCursor DragCursor() const { return m_dragCursor; }
    void setDragCursor(const QCursor& value) { m_dragCursor = value; }

    // Adds a control to the targets. A top-level window raises EBadChild; a control of
    // another parent first detaches the old targets.
    void Attach(QWidget* control);
    // Removes all targets, unlocks and hides the handle and takes it off its parent.
    void Detach();
    bool Attached() const { return !m_targets.isEmpty(); }
    int TargetCount() const { return int(m_targets.size()); }
    QWidget* TargetAt(int i) const;

    // Moves and resizes the handle and every target by the same differences. No target is
    // made smaller than its minimumSize(): a drag or a key stops at the first one that would.
    void SetBounds(int left, int top, int width, int height);

    // The grab zone (0..8) of a point in the handle.
    int zoneAt(QPoint p) const;

Q_SIGNALS:
    void Moved(QObject* sender);
    void Click();
    void DblClick();
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);
    void KeyDown(QKeyEvent* event);
    void KeyUp(QKeyEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect dragRect(QPoint p) const;
    // The smallest handle size that keeps every target at or above its minimum size.
    QSize minimumHandleSize() const;
    // Whether any target has a minimum size of its own (else the keys stop at 20 pixels).
    bool targetsHaveMinimum() const;
    QPoint clamped(QPoint p) const;
    void drawOutline(const QRect& r);
    void eraseOutline();
    void passOn(QMouseEvent* event);

    QColor m_color = Qt::black;
    QColor m_secondaryColor = QColor(128, 128, 128);
    bool m_locked = false;
    int m_gridX = 1;
    int m_gridY = 1;
    QCursor m_dragCursor;

    QList<QPointer<QWidget>> m_targets;
    bool m_dragging = false;
    QPoint m_dragStart;
    int m_grabZone = 0;
    QRect m_dragOutline;
    QRubberBand* m_rubberBand = nullptr;
    bool m_pressed = false;
};
