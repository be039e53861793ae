#pragma once

#include "addresslist/HeaderColumns.h"
#include "addresslist/HeaderMapping.h"

#include <QDialog>

#include <array>
#include <memory>

class AddressGrid;
class QComboBox;
class QLabel;

namespace Ui {
class TfrmColumnMapping;
}

// "列の対応": for each of the eleven names, up to three columns of the list, joined in order,
// with what the first records would then hold. Shown when a list's header row lacks the
// program's names and the guess is not sure.
class TfrmColumnMapping : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PartsPerName = 3; // 都道府県 + 市区町村 + 番地
    static constexpr int SampleRecords = 2;

    explicit TfrmColumnMapping(QWidget* parent = nullptr);
    ~TfrmColumnMapping() override;

    // Offers the grid's columns (header text and first value) and starts from `preset`. The
    // grid must outlive the dialog's showing.
    void setList(const AddressGrid& grid, const HeaderMapping& preset);
    // The columns chosen; a column chosen twice for one name counts once.
    HeaderMapping mapping() const;

    // Which row of the list the header row is ("lblHeaderRow").
    QString headerRowText() const;

    // The chooser of `part` of HeaderNames entry `field` ("cboColumn<field>_<part>").
    QComboBox* columnBox(int field, int part) const;

private:
    void updateSample(int field);

    std::unique_ptr<Ui::TfrmColumnMapping> ui;
    const AddressGrid* m_grid = nullptr;
    std::array<std::array<QComboBox*, PartsPerName>, HeaderColumns::Count> m_boxes{};
    std::array<QLabel*, HeaderColumns::Count> m_samples{};
    QLabel* m_headerRow = nullptr;
};
