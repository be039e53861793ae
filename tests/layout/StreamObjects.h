#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVariant>

// Small property trees for the streamer's tests: a face panel and a field with the kinds of
// properties the card face carries, defaults declared beside them.

class MenuObject : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup MEMBER AutoPopup)
    Q_CLASSINFO("Default.AutoPopup", "True")
public:
    using QObject::QObject;
    bool AutoPopup = true;
};

class FacePanel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QColor Color MEMBER Color)
    Q_PROPERTY(int HorzOffset MEMBER HorzOffset)
    Q_PROPERTY(bool ShadowShow MEMBER ShadowShow)
    Q_PROPERTY(QImage Picture MEMBER Picture)
    Q_PROPERTY(QByteArray pictureFile MEMBER pictureFile)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(QObject* PopupMenu MEMBER PopupMenu)
    Q_CLASSINFO("Default.Color", "clWhite")
    Q_CLASSINFO("Default.HorzOffset", "8")
    Q_CLASSINFO("Default.ShadowShow", "True")
    Q_CLASSINFO("Source.Picture", "pictureFile")
public:
    using QObject::QObject;
    QColor Color = Qt::white;
    int HorzOffset = 8;
    bool ShadowShow = true;
    QImage Picture;
    QByteArray pictureFile;
    QString Hint;
    QObject* PopupMenu = nullptr;
};

class FaceField : public QObject
{
    Q_OBJECT
public:
    enum TAlignment
    {
        alLeft,
        alCenter,
        alRight,
        alJustify,
        alJustifyEx
    };
    Q_ENUM(TAlignment)
    enum TFontStyle
    {
        fsBold = 1,
        fsItalic = 2
    };
    Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
    Q_FLAG(TFontStyles)

private:
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(int Height MEMBER Height)
    Q_PROPERTY(QFont Font MEMBER Font)
    Q_PROPERTY(TAlignment Alignment MEMBER Alignment)
    Q_PROPERTY(bool TransParent MEMBER TransParent)
    Q_PROPERTY(int OffsetEx MEMBER OffsetEx)
    Q_PROPERTY(int Tag MEMBER Tag)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(qint64 Serial MEMBER Serial)
    Q_PROPERTY(TFontStyles Styles READ styles WRITE setStyles)
    Q_PROPERTY(QColor Color MEMBER Color)
    Q_PROPERTY(QObject* PopupMenu MEMBER PopupMenu)
    Q_PROPERTY(int internalCounter MEMBER internalCounter)
    Q_CLASSINFO("Default.Alignment", "alLeft")
    Q_CLASSINFO("Default.TransParent", "False")
    Q_CLASSINFO("Default.OffsetEx", "0")
    Q_CLASSINFO("Default.Tag", "0")
    Q_CLASSINFO("Default.Styles", "[]")
    Q_CLASSINFO("Default.Color", "clWindow")

public:
    using QObject::QObject;
    int Left = 0;
    int Top = 0;
    int Width = 20;
    int Height = 121;
    QFont Font;
    TAlignment Alignment = alLeft;
    bool TransParent = false;
    int OffsetEx = 0;
    int Tag = 0;
    QString Hint;
    QString Text;
    double Ratio = 0.0;
    qint64 Serial = 0;
    TFontStyles Styles;
    TFontStyles styles() const { return Styles; }
    void setStyles(TFontStyles s) { Styles = s; }
    QColor Color = QColor(255, 255, 255);
    QObject* PopupMenu = nullptr;
    int internalCounter = 0; // Qt-style name: not part of the stream
};

// Defaults through an invokable declaredDefault(), and a Name property that the header carries.
class MethodDefaults : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)
    Q_PROPERTY(bool Visible MEMBER Visible)
    Q_PROPERTY(int Offset MEMBER Offset)
public:
    using QObject::QObject;
    Q_INVOKABLE QVariant declaredDefault(const QString& property) const
    {
        if (property == u"Visible")
            return true;
        if (property == u"Offset")
            return 2;
        return {};
    }
    bool Visible = true;
    int Offset = 2;
};
