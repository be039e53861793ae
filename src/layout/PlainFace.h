#pragma once

#include "layout/LayoutItem.h"
#include "layout/LayoutKind.h"

#include <QObject>
#include <QString>

class LayoutTable;
class PlainFaceField;

// A card face as plain objects: the panel with its fields named as on the preview
// ("edtAtenaTT"), in pixels at a zoom, as the preview shows a layout. It carries only what a
// load reads (no picture, colour or enumeration), to make and read layout files where no
// widget can be made; tayori-cli loads through the preview's own face.
class PlainFace : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Hint MEMBER Hint)

public:
    // The face of `kind` showing `table` at `zoom` percent on a screen of `dpi`.
    PlainFace(const LayoutTable& table, LayoutKind kind, double zoom, double dpi,
              QObject* parent = nullptr);

    PlainFaceField* field(int item) const;

    QString Hint;

private:
    PlainFaceField* m_fields[LayoutItemCount] = {};
};
