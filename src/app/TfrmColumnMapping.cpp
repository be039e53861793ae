#include "app/TfrmColumnMapping.h"

#include "addresslist/AddressGrid.h"
#include "ui_TfrmColumnMapping.h"

#include <QComboBox>
#include <QLabel>

namespace {
constexpr int SampleLength = 12;
// How much of a header text or value a choice shows: enough to recognise it.
QString shortened(const QString& text, int length = 16)
{
    const QString simple = text.simplified();
    return simple.size() > length ? simple.left(length - 1) + u'…' : simple;
}
} // namespace

TfrmColumnMapping::TfrmColumnMapping(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmColumnMapping>())
{
    ui->setupUi(this);
    m_headerRow = new QLabel(this);
    m_headerRow->setObjectName(QStringLiteral("lblHeaderRow"));
    ui->layColumnMapping->insertWidget(1, m_headerRow);
    QWidget* previous = nullptr;
    for (int f = 0; f < HeaderColumns::Count; ++f) {
        const int row = f + 1;
        auto* name = new QLabel(HeaderColumns::HeaderNames[size_t(f)].toString(), this);
        name->setObjectName(QStringLiteral("lblName%1").arg(f));
        ui->grdMapping->addWidget(name, row, 0);
        for (int p = 0; p < PartsPerName; ++p) {
            auto* box = new QComboBox(this);
            box->setObjectName(QStringLiteral("cboColumn%1_%2").arg(f).arg(p));
            // Room for a header and the start of its value; the open list shows them whole.
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(14);
            ui->grdMapping->addWidget(box, row, 1 + 2 * p);
            if (p > 0) {
                auto* plus = new QLabel(QStringLiteral("＋"), this);
                ui->grdMapping->addWidget(plus, row, 2 * p);
            }
            connect(box, &QComboBox::currentIndexChanged, this, [this, f] { updateSample(f); });
            // Row by row, part by part, then the buttons.
            if (previous)
                setTabOrder(previous, box);
            previous = box;
            m_boxes[size_t(f)][size_t(p)] = box;
        }
        if (f == 0)
            name->setBuddy(m_boxes[0][0]);
        auto* sample = new QLabel(this);
        sample->setObjectName(QStringLiteral("lblSample%1").arg(f));
        // Two samples of SampleLength characters: the dialog need not grow as boxes change.
        sample->setMinimumWidth(
            fontMetrics().horizontalAdvance(QString(2 * SampleLength + 3, QChar(0x3042))));
        ui->grdMapping->addWidget(sample, row, 2 * PartsPerName);
        m_samples[size_t(f)] = sample;
    }
    ui->grdMapping->setColumnStretch(2 * PartsPerName, 1);
    setTabOrder(previous, ui->btnOK);
    setTabOrder(ui->btnOK, ui->btnCancel);
    m_boxes[0][0]->setFocus();
}

TfrmColumnMapping::~TfrmColumnMapping() = default;

QString TfrmColumnMapping::headerRowText() const
{
    return m_headerRow->text();
}

QComboBox* TfrmColumnMapping::columnBox(int field, int part) const
{
    return m_boxes[size_t(field)][size_t(part)];
}

void TfrmColumnMapping::setList(const AddressGrid& grid, const HeaderMapping& preset)
{
    m_grid = nullptr; // no samples while the boxes are refilled
    const int used = HeaderMapping::UsedColumns(grid);
    // Grid column 0 holds the row numbers unless the list put a column of its own there.
    const int firstColumn = grid.cell(0, 0).trimmed().isEmpty() ? 1 : 0;
    QList<std::pair<int, QString>> choices;
    for (int c = firstColumn; c < used; ++c) {
        const QString header = grid.cell(c, 0).trimmed();
        const QString first = grid.cell(c, 1).trimmed();
        QString choice = QStringLiteral("%1: %2").arg(c).arg(
            header.isEmpty() ? QStringLiteral("（見出しなし）") : shortened(header));
        if (!first.isEmpty())
            choice += QStringLiteral("（") + shortened(first, 10) + QStringLiteral("）");
        choices.append({c, choice});
    }
    for (int f = 0; f < HeaderColumns::Count; ++f) {
        const QList<int>& taken = preset.columns[size_t(f)];
        for (int p = 0; p < PartsPerName; ++p) {
            QComboBox* box = m_boxes[size_t(f)][size_t(p)];
            box->clear();
            box->addItem(QStringLiteral("（なし）"), -1);
            for (const auto& [column, choice] : choices)
                box->addItem(choice, column);
            const int column = p < taken.size() ? taken[p] : -1;
            box->setCurrentIndex(qMax(0, box->findData(column)));
        }
    }
    const int headerRow = grid.rowsAbove() + 1;
    m_headerRow->setText(
        headerRow == 1 ? QStringLiteral("見出し: 1 行目")
                       : QStringLiteral("見出し: %1 行目（上の %2 行は宛名ではないので読みません）")
                             .arg(headerRow)
                             .arg(headerRow - 1));
    m_grid = &grid;
    for (int f = 0; f < HeaderColumns::Count; ++f)
        updateSample(f);
    // Wide enough for the samples of the list in hand.
    adjustSize();
}

HeaderMapping TfrmColumnMapping::mapping() const
{
    HeaderMapping m;
    for (int f = 0; f < HeaderColumns::Count; ++f)
        for (const QComboBox* box : m_boxes[size_t(f)]) {
            const int column = box->currentData().toInt();
            if (box->currentIndex() > 0 && !m.columns[size_t(f)].contains(column))
                m.columns[size_t(f)] << column;
        }
    return m;
}

void TfrmColumnMapping::updateSample(int field)
{
    if (!m_grid)
        return;
    const HeaderMapping m = mapping();
    QStringList values;
    for (int r = 1; r <= SampleRecords && r < m_grid->rowCount(); ++r) {
        const QString value = m.valueOf(*m_grid, field, r);
        if (!value.isEmpty())
            values << shortened(value, SampleLength);
    }
    m_samples[size_t(field)]->setText(values.join(QStringLiteral(" ／ ")));
}
