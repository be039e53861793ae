#pragma once

#include <QStringList>
#include <QStringView>

// Takes a workbook's cells as they are read, for whoever passes every cell straight on
// (tayori-cli cells): one call a cell, a shared string's text only the first time its index
// comes, and a number in general format as its value, whose text the target makes where it
// keeps it (biffnumbers::formatGeneral), never as a QString.
class CellTarget
{
public:
    virtual ~CellTarget() = default;

    virtual void text(int sheetNo, int row, int col, QStringView text) = 0;
    // A cell holding shared string `index`, whose text is the same for every cell with that
    // index in one read. False when the target does not know that text yet: the reader then
    // gives it with sharedText.
    virtual bool shared(int sheetNo, int row, int col, qsizetype index) = 0;
    virtual void sharedText(int sheetNo, int row, int col, qsizetype index, QStringView text) = 0;
    // A number that its style leaves in general format.
    virtual void number(int sheetNo, int row, int col, double value) = 0;
    // The tabs' captions are final (told at a sheet's start, when the workbook tells it
    // early), and sheet numbers only grow from here on.
    virtual void sheetsKnown(const QStringList& captions) { Q_UNUSED(captions); }
};
