#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A container that paints a face with a soft drop shadow and an optional picture stretched
// over the face. The children's area (contentsRect) is the panel less the shadow offsets.
class TShadowPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int HorzOffset READ HorzOffset WRITE setHorzOffset)
    Q_PROPERTY(int VertOffset READ VertOffset WRITE setVertOffset)
    Q_PROPERTY(int Shade READ Shade WRITE setShade)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(bool ShadowShow READ ShadowShow WRITE setShadowShow)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)

public:
    explicit TShadowPanel(QWidget* parent = nullptr);

    int HorzOffset() const { return m_horzOffset; }
    void setHorzOffset(int value);
    int VertOffset() const { return m_vertOffset; }
    void setVertOffset(int value);
    int Shade() const { return m_shade; }
    void setShade(int value);
    QColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& value);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& value);
    bool ShadowShow() const { return m_shadowShow; }
    void setShadowShow(bool value);
    QColor Color() const { return m_color; }
    void setColor(const QColor& value);
    QPixmap Picture() const { return m_picture; }
    // Takes a copy; an empty picture clears it.
    void setPicture(const QPixmap& picture);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool value);

    // The face: the panel reduced by the offsets (a positive offset takes from the right or
    // bottom, a negative one from the left or top).
    QRect faceRect() const;

    QSize sizeHint() const override { return {185, 41}; }

Q_SIGNALS:
    void Click();
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void applyOffsets();
    void applyAutoSize();
    void drawShadow(QPainter& painter);

    int m_horzOffset = 8;
    int m_vertOffset = 8;
    int m_savedHorzOffset = 8;
    int m_savedVertOffset = 8;
    int m_shade = 5;
    QColor m_shadowColor;
    QColor m_backColor;
    bool m_shadowShow = true;
    QColor m_color = Qt::white;
    QPixmap m_picture;
    QPixmap m_scaled; // the picture at the size it was last drawn stretched
    bool m_autoSize = false;
    bool m_pressed = false;
};
