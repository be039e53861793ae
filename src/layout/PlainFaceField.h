#pragma once

#include <QFont>
#include <QObject>
#include <QString>

// One field of a PlainFace: the properties of a preview field that a layout file carries
// and its load reads, under the same names.
class PlainFaceField : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(int Height MEMBER Height)
    Q_PROPERTY(QFont Font MEMBER Font)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(int Tag MEMBER Tag)
    Q_PROPERTY(int OffsetEx MEMBER OffsetEx)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_CLASSINFO("Default.Tag", "0")
    Q_CLASSINFO("Default.OffsetEx", "0")

public:
    explicit PlainFaceField(QObject* parent = nullptr) : QObject(parent) {}

    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    QFont Font;
    QString Hint;
    int Tag = 0;
    int OffsetEx = 0;
    QString Text;
};
