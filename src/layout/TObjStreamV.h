#pragma once

#include "layout/StreamRecord.h"

#include <QByteArray>
#include <QList>
#include <QMetaProperty>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>

class QObject;

// Writes and reads a tree of QObjects in the binary object-stream form of layout files
// ("TPF0"): the root, its children, their properties.
//
// The properties are the objects' Q_PROPERTYs whose names start with a capital letter (the
// file's names, such as "Left" or "OffsetEx"; Qt's own lower-case properties are not part of
// the form), in property-index order, skipping those declared STORED false. A property is
// written when it differs from its declared default; the defaults are declared beside the
// properties as class infos, one per property:
//
//     Q_PROPERTY(int BevelSize READ BevelSize WRITE setBevelSize)
//     Q_CLASSINFO("Default.BevelSize", "2")
//
// (integers as numbers, booleans "True"/"False", enumerations and colours by name — "alLeft",
// "clWindow" — sets as "[fsBold,fsItalic]"). Without a declared default, booleans, integers,
// enumerations, sets and colours are always written; reals when not 0, strings when not
// empty. QFont values become "Font.*" records, QImage and QPixmap values "Picture.Data"
// records; a QObject* property is written as nested records when the object is a child of
// the owner, and as a component reference (only in the root's record) otherwise.
//
// An image property may name a QByteArray property that keeps the picture's original file,
// so a JPEG file travels as it is: Q_CLASSINFO("Source.Picture", "pictureFile").
class TObjStreamV
{
public:
    // The whole stream: signature, the root's record, its children's records, the end byte.
    static QByteArray write(const QObject* root);

    // The stream as records; nothing when it is broken anywhere (a truncated or malformed
    // record, a length beyond the bytes present), with *error set to the message.
    static std::optional<StreamObject> parse(QByteArrayView bytes, QString* error = nullptr);

    // Applies parsed records to an existing tree: the root's properties to `root`, each child
    // record to the child object whose objectName equals the record's name exactly (others are
    // skipped; nothing is created or removed). Unknown property names and properties of types
    // that are not streamed are skipped. Everything is checked first: when a value does not
    // fit its property, nothing is applied and *error is set.
    static bool apply(const StreamObject& records, QObject* root, QString* error = nullptr);

    // parse() then apply().
    static bool read(QByteArrayView bytes, QObject* root, QString* error = nullptr);

    // Every streamed property of a tree, to put it back exactly after a load that was refused
    // late (a value out of its sane range found after applying).
    class Snapshot
    {
    public:
        void restore() const;

    private:
        friend class TObjStreamV;
        struct Value
        {
            QPointer<QObject> object;
            QMetaProperty property;
            QVariant value;
        };
        QList<Value> m_values;
    };
    static Snapshot snapshot(QObject* root);

    // The message of every broken stream.
    static QString formatError();
};
