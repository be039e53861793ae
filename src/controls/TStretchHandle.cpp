#include "controls/TStretchHandle.h"

#include "controls/EBadChild.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace {
constexpr int DetachedSize = 24;
constexpr int MinimumSize = 5;
constexpr int KeyShrinkLimit = 20;

// Truncating toward zero, as the grid has always snapped.
int snap(int v, int grid)
{
    return grid * (v / grid);
}
} // namespace

TStretchHandle::TStretchHandle(QWidget* parent) : QWidget(parent)
{
    // See-through: only the grab squares are painted, the fields beneath show.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(DetachedSize, DetachedSize);
    setEnabled(false);
    hide();
}

void TStretchHandle::setColor(const QColor& value)
{
    m_color = value;
    update();
}

void TStretchHandle::setSecondaryColor(const QColor& value)
{
    m_secondaryColor = value;
    update();
}

void TStretchHandle::setSnapToGrid(bool value)
{
    m_gridX = m_gridY = value ? 8 : 1;
}

QWidget* TStretchHandle::TargetAt(int i) const
{
    if (i < 0 || i >= m_targets.size())
        return nullptr;
    return m_targets.at(i);
}

void TStretchHandle::Attach(QWidget* control)
{
    if (!control)
        return;
    if (control->isWindow())
        throw EBadChild("Handles can not be attached to a Form!");
    if (m_targets.contains(control))
        return;
    if (!m_targets.isEmpty() && control->parentWidget() != parentWidget())
        Detach();

    const QRect c = control->geometry();
    if (!m_targets.isEmpty()) {
        const int left = qMin(x(), c.x() - 2);
        const int top = qMin(y(), c.y() - 2);
        const int right = qMax(x() + width() - 3, c.x() + c.width());
        const int bottom = qMax(y() + height() - 3, c.y() + c.height());
        setGeometry(left, top, right - left + 3, bottom - top + 3);
    } else {
        if (parentWidget() != control->parentWidget())
            setParent(control->parentWidget());
        m_dragOutline = QRect();
        setEnabled(true);
        setGeometry(c.x() - 2, c.y() - 2, c.width() + 5, c.height() + 5);
        show();
    }
    m_targets.append(control);
    m_grabZone = 0;

    raise();
    // The press on the handle holds the mouse for the drag (Qt's implicit grab); an explicit
    // grab would also take the clicks meant for the controls around it.
    if (isVisible() && isEnabled())
        setFocus(Qt::OtherFocusReason);
    update();
}

void TStretchHandle::Detach()
{
    eraseOutline();
    m_targets.clear();
    m_locked = false;
    m_dragging = false;
    resize(DetachedSize, DetachedSize);
    setEnabled(false);
    hide();
    if (parentWidget()) {
        delete m_rubberBand;
        m_rubberBand = nullptr;
        setParent(nullptr);
    }
    m_dragOutline = QRect();
}

void TStretchHandle::SetBounds(int left, int top, int width, int height)
{
    if (m_locked)
        return;
    const int dl = left - x();
    const int dt = top - y();
    const int dw = width - this->width();
    const int dh = height - this->height();
    for (const QPointer<QWidget>& target : std::as_const(m_targets)) {
        if (!target)
            continue;
        setToolTip(target->objectName());
        const QRect g = target->geometry();
        target->setGeometry(g.x() + dl, g.y() + dt, g.width() + dw, g.height() + dh);
    }
    setGeometry(left, top, width, height);
}

int TStretchHandle::zoneAt(QPoint p) const
{
    if (m_targets.size() != 1)
        return 0;
    const int l = 0, t = 0, r = width(), b = height();
    const int x = p.x(), y = p.y();
    int zone = 0;
    if (qAbs(x - l) < 5 && qAbs(y - t) < 5)
        zone = 1;
    if (qAbs(x - r) < 5 && qAbs(y - b) < 5)
        zone = 4;
    if (qAbs(x - r) < 5 && qAbs(y - t) < 5)
        zone = 2;
    if (qAbs(x - l) < 5 && qAbs(y - b) < 5)
        zone = 3;
    if (qAbs(x - (r - l) / 2) < 3 && qAbs(y - t) < 5)
        zone = 5;
    if (qAbs(x - (r - l) / 2) < 3 && qAbs(y - b) < 5)
        zone = 7;
    if (qAbs(y - (b - t) / 2) < 3 && qAbs(x - l) < 5)
        zone = 6;
    if (qAbs(y - (b - t) / 2) < 3 && qAbs(x - r) < 5)
        zone = 8;
    return zone;
}

// The handle's rectangle (parent coordinates) a drag from DragStart to p gives. The grid
// snaps the targets' edges, which lie 2 pixels inside the handle at the left and top and
// 3 at the right and bottom, so a drag moves them exactly as far as the mouse went.
QRect TStretchHandle::dragRect(QPoint p) const
{
    const int L = x(), T = y(), W = width(), H = height();
    const int sx = m_dragStart.x(), sy = m_dragStart.y();
    const int newLeft = snap(p.x() + L + 2 - sx, m_gridX) - 2;
    const int newTop = snap(p.y() + T + 2 - sy, m_gridY) - 2;
    const int newWidth = snap(p.x() + W - 3 - sx, m_gridX) + 3;
    const int newHeight = snap(p.y() + H - 3 - sy, m_gridY) + 3;

    int left = L, top = T, width = W, height = H;
    switch (m_grabZone) {
    case 0:
        left = newLeft;
        top = newTop;
        break;
    case 1:
        left = newLeft;
        top = newTop;
        width = W + L - left;
        height = H + T - top;
        break;
    case 2:
        top = newTop;
        width = newWidth;
        height = H + T - top;
        break;
    case 3:
        left = newLeft;
        width = W + L - left;
        height = newHeight;
        break;
    case 4:
        width = newWidth;
        height = newHeight;
        break;
    case 5:
        top = newTop;
        height = H + T - top;
        break;
    case 6:
        left = newLeft;
        width = W + L - left;
        break;
    case 7:
        height = newHeight;
        break;
    case 8:
        width = newWidth;
        break;
    default:
        break;
    }
    // A corner dragged past the minimum keeps its opposite edge where it was.
    const QSize minimum = minimumHandleSize();
    if (width < minimum.width()) {
        if (left != L)
            left = L + W - minimum.width();
        width = minimum.width();
    }
    if (height < minimum.height()) {
        if (top != T)
            top = T + H - minimum.height();
        height = minimum.height();
    }
    return QRect(left, top, width, height);
}

QSize TStretchHandle::minimumHandleSize() const
{
    int slackW = width(), slackH = height();
    for (const QPointer<QWidget>& target : std::as_const(m_targets)) {
        if (!target)
            continue;
        slackW = qMin(slackW, target->width() - target->minimumWidth());
        slackH = qMin(slackH, target->height() - target->minimumHeight());
    }
    return {qMax(MinimumSize, width() - qMax(0, slackW)),
            qMax(MinimumSize, height() - qMax(0, slackH))};
}

bool TStretchHandle::targetsHaveMinimum() const
{
    for (const QPointer<QWidget>& target : std::as_const(m_targets))
        if (target && !target->minimumSize().isNull())
            return true;
    return false;
}

QPoint TStretchHandle::clamped(QPoint p) const
{
    const QWidget* parent = parentWidget();
    if (!parent)
        return p;
    return {qBound(-x(), p.x(), parent->width() - x()),
            qBound(-y(), p.y(), parent->height() - y())};
}

void TStretchHandle::drawOutline(const QRect& r)
{
    if (!parentWidget())
        return;
    if (!m_rubberBand || m_rubberBand->parentWidget() != parentWidget()) {
        delete m_rubberBand;
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle, parentWidget());
    }
    m_dragOutline = r;
    m_rubberBand->setGeometry(r.adjusted(2, 2, -3, -3));
    m_rubberBand->show();
    m_rubberBand->raise();
}

void TStretchHandle::eraseOutline()
{
    if (m_rubberBand)
        m_rubberBand->hide();
    m_dragOutline = QRect();
}

// An unhandled button goes to the first sibling under the point, else to the parent.
void TStretchHandle::passOn(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const QPoint inParent = event->position().toPoint() + pos();
    QWidget* receiver = parent;
    QPoint local = inParent;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w == this || qobject_cast<TStretchHandle*>(w) || qobject_cast<QRubberBand*>(w) ||
            !w->isVisible() || !w->geometry().contains(inParent))
            continue;
        receiver = w;
        local = inParent - w->pos();
        break;
    }
    QMouseEvent forwarded(
        event->type(), QPointF(local), event->globalPosition(), event->button(),
        event->type() == QEvent::MouseButtonPress ? event->button() : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &forwarded);
}

void TStretchHandle::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint p = event->position().toPoint();
    const QPoint inParent = p + pos();
    bool onTarget = false;
    for (const QPointer<QWidget>& target : std::as_const(m_targets)) {
        if (target && target->geometry().adjusted(-2, -2, 2, 2).contains(inParent)) {
            onTarget = true;
            break;
        }
    }
    if (!onTarget) {
        m_pressed = false;
        unsetCursor();
        passOn(event);
        return;
    }
    m_pressed = true;
    if (event->button() == Qt::LeftButton && !m_locked) {
        m_dragStart = p;
        m_dragging = true;
    }
    Q_EMIT MouseDown(event);
}

void TStretchHandle::mouseMoveEvent(QMouseEvent* event)
{
    QPoint p = event->position().toPoint();
    const bool leftDown = event->buttons() & Qt::LeftButton;
    if (leftDown && !m_dragging && !m_locked) {
        m_dragStart = p;
        m_dragging = true;
    } else {
        const int zone = zoneAt(p);
        static const Qt::CursorShape shapes[] = {
            Qt::ArrowCursor,     Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
            Qt::SizeBDiagCursor, Qt::SizeFDiagCursor, Qt::SizeVerCursor,
            Qt::SizeHorCursor,   Qt::SizeVerCursor,   Qt::SizeHorCursor};
        setCursor(m_locked ? QCursor(Qt::ForbiddenCursor) : QCursor(shapes[zone]));
        if (m_dragging) {
            p = clamped(p);
            if (m_grabZone == 0)
                setCursor(m_dragCursor);
            drawOutline(dragRect(p));
            Q_EMIT Moved(this);
        } else {
            m_grabZone = zone;
        }
    }
    Q_EMIT MouseMove(event);
}

void TStretchHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton) {
        if (!m_pressed)
            passOn(event);
        m_pressed = false;
        return;
    }
    const QPoint p = clamped(event->position().toPoint());
    if (p != m_dragStart) {
        const QRect r = dragRect(p);
        SetBounds(r.x(), r.y(), r.width(), r.height());
        Q_EMIT Moved(this);
    }
    eraseOutline();
    if (parentWidget())
        parentWidget()->update();
    update();
    if (isVisible() && isEnabled())
        setFocus(Qt::MouseFocusReason);
    m_dragging = false;
    unsetCursor();
    const bool click = m_pressed;
    m_pressed = false;
    Q_EMIT MouseUp(event);
    if (click && p == m_dragStart)
        Q_EMIT Click();
}

void TStretchHandle::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    Q_EMIT DblClick();
}

bool TStretchHandle::event(QEvent* event)
{
    // The arrow keys are ours, never focus moves.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
            key == Qt::Key_Down) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TStretchHandle::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) && !shift;
    const int L = x(), T = y(), W = width(), H = height();
    // Shrinking stops at the targets' own minimum, else at a handle of 20 pixels.
    const QSize minimum =
        targetsHaveMinimum() ? minimumHandleSize() : QSize(KeyShrinkLimit + 1, KeyShrinkLimit + 1);
    bool moved = false;
    switch (event->key()) {
    case Qt::Key_Left:
        update();
        if (shift) {
            if (W - 1 >= minimum.width())
                SetBounds(L, T, W - 1, H);
        } else {
            SetBounds(L - 1, T, W, H);
        }
        moved = true;
        break;
    case Qt::Key_Right:
        update();
        if (shift)
            SetBounds(L, T, W + 1, H);
        else
            SetBounds(L + 1, T, W, H);
        moved = true;
        break;
    case Qt::Key_Up:
        update();
        if (shift && H - 1 >= minimum.height()) {
            SetBounds(L, T, W, H - 1);
            moved = true;
        } else if (ctrl) {
            SetBounds(L, T - 1, W, H);
            moved = true;
        }
        break;
    case Qt::Key_Down:
        update();
        if (shift) {
            SetBounds(L, T, W, H + 1);
            moved = true;
        } else if (ctrl) {
            SetBounds(L, T + 1, W, H);
            moved = true;
        }
        break;
    default:
        break;
    }
    if (moved)
        Q_EMIT Moved(this);
    event->accept();
    Q_EMIT KeyDown(event);
}

void TStretchHandle::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    Q_EMIT KeyUp(event);
}

void TStretchHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_targets.isEmpty()) {
        for (QPoint corner : {QPoint(0, 0), QPoint(width() - 5, 0), QPoint(0, height() - 5),
                              QPoint(width() - 5, height() - 5)})
            painter.fillRect(QRect(corner, QSize(5, 5)), m_color);
        return;
    }
    const QColor brush = m_targets.size() == 1 ? m_color : m_secondaryColor;
    for (const QPointer<QWidget>& target : std::as_const(m_targets)) {
        if (!target)
            continue;
        // The frame in the handle's coordinates, as left, top, right, bottom edges.
        const int l = target->x() - x() - 2, t = target->y() - y() - 2;
        const int r = l + target->width() + 4, b = t + target->height() + 4;
        painter.fillRect(l, t, 5, 5, brush);
        painter.fillRect(r - 5, t, 5, 5, brush);
        painter.fillRect(l, b - 5, 5, 5, brush);
        painter.fillRect(r - 5, b - 5, 5, 5, brush);
        if (m_targets.size() == 1) {
            const int mx = (r - l) / 2, my = (b - t) / 2;
            painter.fillRect(l + mx - 2, t, 5, 5, brush);
            painter.fillRect(l + mx - 2, b - 5, 5, 5, brush);
            painter.fillRect(l, t + my - 2, 5, 5, brush);
            painter.fillRect(r - 5, t + my - 2, 5, 5, brush);
        }
    }
}
