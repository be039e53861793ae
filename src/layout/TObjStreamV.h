#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaProperty>
#include <QPointer>
#include <QSet>
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

    // A stream read against an existing tree and checked, not yet applied: the root's record
    // goes to `root`, each child record to the child whose objectName equals the record's name
    // exactly (others are skipped; nothing is created or removed). Unknown property names and
    // properties of types that are not streamed are skipped.
    class Reading
    {
    public:
        // The value `property` of `object` will hold once the reading is applied.
        QVariant value(const QObject* object, const char* property) const;
        // The stream had a record for this object.
        bool hasRecord(const QObject* object) const { return m_records.contains(object); }
        void apply() const;

    private:
        friend class TObjStreamVReader;
        struct Assignment
        {
            QPointer<QObject> object;
            QMetaProperty property;
            QVariant value;
            QByteArray sourceProperty; // the original picture file's property, for Picture.Data
            QByteArray source;
        };
        QList<Assignment> m_assignments;
        QSet<const QObject*> m_records;
    };

    // The whole stream read and checked; nothing when it is broken anywhere (a truncated or
    // malformed record, a length beyond the bytes present, a value that does not fit its
    // property, a picture that does not decode whole), with *error set to the message.
    // Memory is taken only for the values the tree will hold.
    static std::optional<Reading> prepare(QByteArrayView bytes, QObject* root,
                                          QString* error = nullptr);

    // prepare() then apply(): all or nothing.
    static bool read(QByteArrayView bytes, QObject* root, QString* error = nullptr);

    // The longest string a property takes from a stream (bytes); a longer one is no value of
    // a card face.
    static constexpr qsizetype MaxStringBytes = 64 * 1024;

    // The message of every broken stream.
    static QString formatError();
};
