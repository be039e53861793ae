#pragma once

#include "layout/LayoutItemRecord.h"
#include "layout/LayoutKind.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class LayoutTable;
class QObject;

// Layout files (.tyd): one card face as the preview shows it, streamed by TObjStreamV. The
// face is any object tree shaped like the preview's face panel: a `Hint` holding the zoom,
// and field children with `Tag` (the item), `Left`, `Top`, `Width`, `Height`, `OffsetEx`,
// `Font`, `Hint` and `Text`: the preview's own panel (the window and tayori-cli both load
// through it), or a PlainFace, which has no pictures, colours or enumerations.
namespace LayoutFile {

// The filter of both dialogs, in the Prompter's "Caption|patterns" form.
QString dialogFilter();

// The chosen name with its extension replaced by the kind's tag and ".tyd":
// "card.tyd" or "card" for TT give "cardTT.tyd". Only the file name's own extension counts;
// a name that already ends in the kind's tag and ".tyd" is kept as it is.
QString fileNameForKind(const QString& chosen, LayoutKind kind);
// The first of "TT", "TY", "YT", "YY" followed by "." in the file name, in any letter case.
std::optional<LayoutKind> kindOfFileName(const QString& path);

// The text a field shows in the file instead of a record's: "[宛先]" and so on.
QString placeholder(int item);
// Lock, NoView, NoPrint as "1"/"0" and the font size with two decimals: "10110.50".
QString fieldHint(const LayoutItemRecord& record);
// The zoom with two decimals: "90.00".
QString zoomHint(double zoom);
// The zoom box's entry for a zoom: " 90%".
QString zoomBoxText(double zoom);
// A number of a hint, with "." or "," before the decimals (files from a desktop whose
// decimal separator is a comma). No infinity or NaN.
bool parseNumber(const QString& text, double* value);

// Sets every field's Hint and Text and the panel's Hint for the file (the fields keep them).
void prepareSave(QObject* face, const LayoutTable& table, LayoutKind kind, double zoom);
// Writes the face's stream to `path` at once, through a temporary file renamed over the old
// one. On failure the old file is untouched and *error is "ファイル %s を作成できません".
bool save(const QObject* face, const QString& path, QString* error);

// One field's record as the load stores it.
struct FieldRecord
{
    int item = -1;     // the field's Tag
    QString fieldName; // the field's objectName
    LayoutItemRecord record;
};

struct Loaded
{
    double zoom = 100.0;       // the zoom the face was saved at (its Hint)
    QList<FieldRecord> fields; // the fields the file has a record of, in the face's order
};

// Reads a stream into `face` and gives the zoom and the record of each field of the file as a load
// stores them (pixels at the saved zoom to 1/10 mm on a screen of `dpi`). The whole stream is
// parsed and checked first; when anything fails — a broken stream, a hint that is not a
// number, a zoom outside LayoutLimits' range, a field with no size or a font size out of
// range, a field whose Tag is no item, another field's or not the item its name tells, a
// picture that does not decode whole — `face` is left exactly as it was and *error holds the
// message.
bool load(QByteArrayView bytes, QObject* face, double dpi, Loaded* out, QString* error);
// The same from a file; a file that cannot be read, or that is a device, a pipe or a folder,
// gives "ファイル %s は開けません".
bool loadFile(const QString& path, QObject* face, double dpi, Loaded* out, QString* error);

// A value as a message quotes it: at most its first 40 characters, then "…".
QString quotedValue(const QString& text);
// What the layout made of a record read from a file, one note per value it had to replace
// (out of range: the default's), such as "宛名 の X 264583 は範囲外のため 500 にしました".
QStringList adjustments(const QString& itemName, const LayoutItemRecord& read,
                        const LayoutItemRecord& stored);

} // namespace LayoutFile
