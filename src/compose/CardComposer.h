#pragma once

#include "addresslist/AddressRecord.h"
#include "common/SessionOptions.h"
#include "compose/CardText.h"
#include "compose/CardTexts.h"
#include "layout/LayoutKind.h"

#include <functional>

class AddressGrid;

// Turns the record of one grid row into the texts of its card, the sender's included.
class CardComposer
{
public:
    // Which rule fills blank honorifics: the print run always uses the defaults, the preview
    // only while "ブランク時に下記の敬称を使う" is checked.
    enum class Purpose
    {
        Print,
        Preview
    };

    CardComposer(const SessionOptions& options, TextMeasure measure)
        : m_options(options), m_measure(std::move(measure))
    {}

    // `yubinFontSize` is the FontSize of the kind's YubinNo1 field (it sizes spread digits).
    // When the row has barcode data and its "印刷コード" cell holds anything, the barcode text
    // is written back into that cell of `grid` (when given).
    CardTexts ComposeCardTexts(const AddressRecord& record, LayoutKind kind, Purpose purpose,
                               double yubinFontSize, AddressGrid* grid = nullptr,
                               const HeaderColumns* columns = nullptr) const;

    // The honorific of a card to a company without a person, for a blank "敬称".
    static inline const QString CompanyHonorific = QStringLiteral("御中");

    // The names of a "連名" cell: 「花子・秀樹」, 「花子、秀樹」 or one name a line give one
    // name each; blank pieces are dropped. A cell without a separator is one name as written.
    static QStringList JointNames(const QString& cell);

    // Barcode data made from the record's postal code and address, for a blank "コード"
    // while "住所からバーコードを作る" is on; empty when none can be made.
    using BarcodeDataSource = std::function<QString(const AddressRecord&)>;
    void setBarcodeDataSource(BarcodeDataSource source) { m_barcodeSource = std::move(source); }

private:
    BarcodeDataSource m_barcodeSource;
    const SessionOptions& m_options;
    TextMeasure m_measure;
};
