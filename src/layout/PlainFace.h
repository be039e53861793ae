#pragma once

#include "layout/LayoutKind.h"

#include <QObject>
#include <QString>

class LayoutTable;
class PlainFaceField;

// A card face as plain objects: the panel with its nine fields named as on the preview
// ("edtAtenaTT"), in pixels at a zoom, as the preview shows a layout. Layout files are read
// into it where there is no window (tayori-cli) the same way as into the preview's face.
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
    PlainFaceField* m_fields[9] = {};
};
