#include "preview/TfrmPreView.h"

#include "common/Prompter.h"
#include "controls/TShadowPanel.h"
#include "controls/TStretchHandle.h"
#include "controls/TTateEdit.h"
#include "layout/LayoutLimits.h"
#include "layout/LayoutTable.h"
#include "preview/TBarcodeField.h"
#include "preview/TBoxDigits.h"
#include "preview/TJointNames.h"
#include "preview/TNoPrintMarks.h"
#include "print/CardFacePicture.h"
#include "print/CardRenderer.h"
#include "ui_TfrmPreView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>

#include <cmath>

namespace {
constexpr QSize PictureSize[LayoutKindCount] = {{686, 1012}, {686, 1012}, {697, 493}, {767, 528}};
const QString BarcodeFontName = QStringLiteral("i-JapanPost");
const QString Caption = QStringLiteral("プレビュー");
constexpr int ToolbarMargin = 8;
// The fields' colours whatever the desktop's: the printer's ink on a white field, and grey
// for a field that will not print.
const QColor PrintedInk(Qt::black);
const QColor NoPrintInk(160, 160, 160);
const QColor FieldColour(Qt::white);

QString placeholder(LayoutItem item)
{
    switch (item) {
    case LayoutItem::YubinNo1:
        return QStringLiteral("123");
    case LayoutItem::YubinNo2:
        return QStringLiteral("1234");
    case LayoutItem::Jyusho1:
        return QStringLiteral("[住所１]");
    case LayoutItem::Jyusho2:
        return QStringLiteral("[住所２]");
    case LayoutItem::Kaishamei:
        return QStringLiteral("[会社名]");
    case LayoutItem::Katagaki:
        return QStringLiteral("[肩書き]");
    case LayoutItem::Atena:
        return QStringLiteral("[宛名]");
    case LayoutItem::Renmei:
        return QStringLiteral("[連名]");
    case LayoutItem::PostCode:
        return QStringLiteral("(1234567890123456)");
    case LayoutItem::SenderYubinNo:
    case LayoutItem::SenderJyusho1:
    case LayoutItem::SenderJyusho2:
    case LayoutItem::SenderKaishamei:
    case LayoutItem::SenderName:
    case LayoutItem::SenderRenmei:
        return LayoutFile::placeholder(int(item));
    }
    return {};
}

TTateEdit::TAlignment alignmentOf(int item)
{
    return item == int(LayoutItem::Atena) || item == int(LayoutItem::Renmei)
               ? TTateEdit::alJustifyEx
               : TTateEdit::alLeft;
}

bool isPostCode(const QWidget* w)
{
    return w->objectName().contains(QLatin1String("PostCode"));
}

int tagOf(const QWidget* w)
{
    return w->property("Tag").toInt();
}

// The kind of the face a field stands on.
int tagKind(const QWidget* w)
{
    return w->property("Kind").toInt();
}

// The smallest box the handle and the property panel let a field have: 2 mm.
constexpr int MinimumBoxTenthMm = 20;

// An integer as the number boxes read it on Enter: commas and spaces removed, anything else
// that is not a number counts as 0.
int enteredInt(const QString& text)
{
    QString t = text;
    t.remove(u',').remove(u' ').remove(QChar(0x3000));
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : 0;
}

// "80", "80%" or " 80%" as the zoom box reads them; 100 for anything else. Out of the list's
// range a face would vanish or swamp the screen.
int zoomOfText(const QString& text)
{
    QString t = text.trimmed();
    if (t.endsWith(u'%') || t.endsWith(QChar(0xFF05)))
        t.chop(1);
    bool ok = false;
    const int zoom = t.trimmed().toInt(&ok);
    return ok && zoom >= LayoutLimits::MinZoom && zoom <= LayoutLimits::MaxZoom ? zoom : 100;
}

std::optional<double> decimalOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}
} // namespace

TfrmPreView::TfrmPreView(LayoutTable* layouts, Prompter* prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TfrmPreView>()), m_layouts(layouts),
      m_prompter(prompter)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmPreView::~TfrmPreView()
{
    // A detached handle has no parent to free it.
    if (m_handle && !m_handle->parent())
        delete m_handle;
}

void TfrmPreView::FormCreate()
{
    fillFontList();

    {
        const QSignalBlocker blocker(ui->ComboBox1);
        ui->ComboBox1->setCurrentIndex(1);
    }
    m_zoom = ui->ComboBox1->currentText().chopped(1).trimmed().toInt();

    QPalette dark = ui->Panel8->palette();
    dark.setColor(QPalette::Window, QColor(64, 64, 64));
    ui->Panel8->setPalette(dark);

    m_faces = {ui->pnlTT, ui->pnlTY, ui->pnlYT, ui->pnlYY};
    for (int k = 0; k < LayoutKindCount; ++k) {
        TShadowPanel* face = m_faces[size_t(k)];
        face->setBackColor(QColor(64, 64, 64));
        face->setShadowColor(QColor(16, 16, 16));
        face->move(4, 4);
        m_builtInPictures[size_t(k)] =
            QPixmap::fromImage(CardFacePicture::image(LayoutKind(k), PictureSize[k]));
        face->setPicture(m_builtInPictures[size_t(k)]);
        face->setVisible(k == 0);
        connect(face, &TShadowPanel::Click, this, &TfrmPreView::pnlTTClick);
        face->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(face, &QWidget::customContextMenuRequested, this,
                [this, face](const QPoint& p) { m_popupMenu1->popup(face->mapToGlobal(p)); });
    }
    ui->Panel8->installEventFilter(this);

    createMenus();
    createFields();

    m_handle = new TStretchHandle(this);
    m_handle->setObjectName(QStringLiteral("StretchHandle1"));
    m_handle->setGridX(1);
    m_handle->setGridY(1);
    m_handle->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_handle, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        m_contextTarget = m_handle;
        m_popupMenu2->popup(m_handle->mapToGlobal(p));
    });
    connect(m_handle, &TStretchHandle::Moved, this, &TfrmPreView::StretchHandle1Moved);

    connect(ui->RadioButton1, &QRadioButton::clicked, this, &TfrmPreView::RadioButton1Click);
    connect(ui->RadioButton2, &QRadioButton::clicked, this, &TfrmPreView::RadioButton1Click);
    connect(ui->RadioButton4, &QRadioButton::clicked, this, &TfrmPreView::RadioButton1Click);
    connect(ui->RadioButton5, &QRadioButton::clicked, this, &TfrmPreView::RadioButton1Click);
    // A zoom applies when chosen from the list, or typed and ended with Enter or by leaving
    // the box; not at every keystroke.
    ui->ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    connect(ui->ComboBox1, &QComboBox::textActivated, this, &TfrmPreView::ComboBox1Change);
    connect(ui->ComboBox1->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (zoomOfText(ui->ComboBox1->currentText()) != m_zoom)
            ComboBox1Change(ui->ComboBox1->currentText());
    });
    connect(ui->CheckBox2, &QCheckBox::clicked, this, &TfrmPreView::CheckBox2Click);
    connect(ui->chkEdit, &QCheckBox::clicked, this, &TfrmPreView::chkEditClick);
    connect(ui->Button1, &QPushButton::clicked, this, &TfrmPreView::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TfrmPreView::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TfrmPreView::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TfrmPreView::Button4Click);
    connect(ui->chkAutoUpdate, &QCheckBox::clicked, this, &TfrmPreView::chkAutoUpdateClick);
    for (QCheckBox* box : {ui->chkLock, ui->chkNoView, ui->chkNoPrint})
        connect(box, &QCheckBox::clicked, this, &TfrmPreView::propertyPanelClick);
    connect(ui->cbFontName, &QComboBox::currentTextChanged, this, &TfrmPreView::cbFontNameChange);
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->edtX, ui->edtY, ui->edtWidth, ui->edtHeight,
                                         ui->edtWidthEx, ui->edtSize, ui->cbFontName})
        w->installEventFilter(this);

    for (QWidget* w : ui->Panel1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != ui->Panel2)
            m_toolbarSecondRow.append({w, w->geometry()});
    m_toolbarWidth = ui->Panel1->minimumWidth();
    // Narrower than its toolbar, the window wraps it into two rows; it never gets narrower
    // than the property panel, so every control stays in sight.
    setMinimumSize(ui->Panel2->width() + 2 * ToolbarMargin, 300);
    resize(m_toolbarWidth + ToolbarMargin, ui->PageScroller1->height() +
                                               faceGeometry().cardSize(false).height() +
                                               m_faces[0]->VertOffset() + 4);
}

void TfrmPreView::arrangeToolbar()
{
    const bool wrapped = width() < m_toolbarWidth + ToolbarMargin;
    const int rowHeight = ui->Panel2->height() + 4;
    const int shift = wrapped ? ui->Panel2->width() + 4 : 0;
    int right = ui->Panel2->width();
    for (const auto& [w, home] : std::as_const(m_toolbarSecondRow)) {
        w->move(home.x() - shift, home.y() + (wrapped ? rowHeight : 0));
        right = qMax(right, w->geometry().right() + 1);
    }
    const int panelHeight = wrapped ? rowHeight + 56 : 56;
    ui->Panel1->setMinimumSize(right, panelHeight);
    ui->Panel1->resize(right, panelHeight);
    const int scrollerHeight = panelHeight + 18;
    if (ui->PageScroller1->height() != scrollerHeight) {
        ui->PageScroller1->setFixedHeight(scrollerHeight);
        resizeToFace(m_currentKind);
    }
}

void TfrmPreView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrangeToolbar();
}

void TfrmPreView::placeOnScreen(const QRect& available, int top)
{
    // The whole window, its frame included, within the screen; at its right edge.
    const QRect frame = frameGeometry();
    const QMargins decoration(geometry().left() - frame.left(), geometry().top() - frame.top(),
                              frame.right() - geometry().right(),
                              frame.bottom() - geometry().bottom());
    QSize size = this->size();
    // Twice: a narrower window wraps its toolbar and grows taller for the face.
    for (int pass = 0; pass < 2; ++pass) {
        const int width =
            qMin(this->width(), available.width() - decoration.left() - decoration.right());
        const int height =
            qMin(this->height(), available.height() - decoration.top() - decoration.bottom());
        size = QSize(qMax(width, minimumWidth()), qMax(height, minimumHeight()));
        if (size != this->size())
            resize(size);
    }
    const QSize frameSize = size.grownBy(decoration);
    const int y = qBound(available.top(), top,
                         qMax(available.top(), available.bottom() + 1 - frameSize.height()));
    // Qt places a window by its frame's corner.
    move(available.right() + 1 - frameSize.width(), y);
}

void TfrmPreView::fillFontList()
{
    // Japanese-capable families; vertical "@" faces are the field's own business.
    QStringList names;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese))
        if (!family.startsWith(u'@'))
            names << family;
    const QSignalBlocker blocker(ui->cbFontName);
    ui->cbFontName->addItems(names);
    ui->cbFontName->setCurrentIndex(0);
}

void TfrmPreView::createMenus()
{
    m_popupMenu1 = new QMenu(this);
    m_popupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* print = m_popupMenu1->addAction(QStringLiteral("このカードだけを印刷する(&P)"));
    print->setObjectName(QStringLiteral("P1"));
    connect(print, &QAction::triggered, this, &TfrmPreView::printShownCard);

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    auto add = [this](const char* name, const QString& caption) {
        QAction* a = m_popupMenu2->addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    connect(add("MenuItem1", QStringLiteral("編集モード解除(&E)")), &QAction::triggered, this,
            &TfrmPreView::MenuItem1Click);
    connect(add("MenuItem2", QStringLiteral("編集モード(&S)")), &QAction::triggered, this,
            &TfrmPreView::MenuItem2Click);
    m_popupMenu2->addSeparator();
    const char* alignNames[] = {"MenuItem4", "MenuItem5", "MenuItem6", "MenuItem7"};
    const QString alignCaptions[] = {QStringLiteral("複数の項目の左を合わせる(&L)"),
                                     QStringLiteral("複数の項目の上を合わせる(&T)"),
                                     QStringLiteral("複数の項目の幅を合わせる(&W)"),
                                     QStringLiteral("複数の項目の高さを合わせる(&H)")};
    for (int i = 0; i < 4; ++i)
        connect(add(alignNames[i], alignCaptions[i]), &QAction::triggered, this,
                [this, i] { alignTargets(i); });
    createLayoutFileItems();
}

void TfrmPreView::createFields()
{
    for (int k = 0; k < LayoutKindCount; ++k) {
        for (int i = 0; i < LayoutItemCount; ++i) {
            const auto item = LayoutItem(i);
            TTateEdit* edit = item == LayoutItem::PostCode ? new TBarcodeField(m_faces[size_t(k)])
                                                           : new TTateEdit(m_faces[size_t(k)]);
            edit->setObjectName(QStringLiteral("edt") + layoutItemName(item) +
                                layoutKindName(LayoutKind(k)));
            edit->setProperty("Tag", i);
            edit->setProperty("Kind", k);
            // The text starts a pixel inside the control, so the control hardly reaches over
            // its neighbours' text and clicks find the field they are meant for.
            edit->setBevelSize(1);
            edit->setOffset(0);
            edit->setAlignment(alignmentOf(i));
            edit->setVertical(CardRenderer::isVerticalItem(LayoutKind(k), item));
            edit->setText(placeholder(item));
            if (item == LayoutItem::PostCode) {
                edit->setReadOnly(true);
                edit->setTransParent(true);
            }
            edit->setPrompter(m_prompter);
            edit->installEventFilter(this);
            connect(edit, &TTateEdit::OnClick, this, [this, edit] { fieldClick(edit); });
            edit->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(edit, &QWidget::customContextMenuRequested, this,
                    [this, edit](const QPoint& p) {
                        m_contextTarget = edit;
                        m_popupMenu2->popup(edit->mapToGlobal(p));
                    });
            m_fields[size_t(i)][size_t(k)] = edit;
        }
        auto* digits = new TBoxDigits(*m_layouts, LayoutKind(k), m_faces[size_t(k)]);
        digits->setObjectName(QStringLiteral("BoxDigits") + layoutKindName(LayoutKind(k)));
        m_boxDigits[size_t(k)] = digits;
        auto* joint =
            new TJointNames(*m_layouts, LayoutKind(k), LayoutItem::Renmei, m_faces[size_t(k)]);
        joint->setObjectName(QStringLiteral("JointNames") + layoutKindName(LayoutKind(k)));
        m_jointNames[size_t(k)] = joint;
        auto* senderJoint = new TJointNames(*m_layouts, LayoutKind(k), LayoutItem::SenderRenmei,
                                            m_faces[size_t(k)]);
        senderJoint->setObjectName(QStringLiteral("SenderJointNames") +
                                   layoutKindName(LayoutKind(k)));
        m_senderJointNames[size_t(k)] = senderJoint;
        auto* marks = new TNoPrintMarks([this, k] { return noPrintBoxes(k); }, m_faces[size_t(k)]);
        marks->setObjectName(QStringLiteral("NoPrintMarks") + layoutKindName(LayoutKind(k)));
        m_noPrintMarks[size_t(k)] = marks;
    }
}

TTateEdit* TfrmPreView::field(int item, int kind) const
{
    if (item < 0 || item >= LayoutItemCount || kind < 0 || kind >= LayoutKindCount)
        return nullptr;
    return m_fields[size_t(item)][size_t(kind)];
}

void TfrmPreView::setKindButtons(LayoutKind kind)
{
    (isLandscape(kind) ? ui->RadioButton1 : ui->RadioButton2)->setChecked(true);
    (isHorizontalWriting(kind) ? ui->RadioButton4 : ui->RadioButton5)->setChecked(true);
}

void TfrmPreView::setCardTexts(LayoutKind kind, const CardTexts& texts)
{
    for (int i = 0; i < LayoutItemCount; ++i)
        field(i, int(kind))->setText(texts.text[size_t(i)]);
    // The joint-name field holds the first name; the others stand beside it.
    for (TJointNames* joint : {m_jointNames[size_t(kind)], m_senderJointNames[size_t(kind)]}) {
        field(int(joint->item()), int(kind))->setText(texts.jointNameLines(joint->item()).front());
        joint->setTexts(texts);
    }
    m_boxDigits[size_t(kind)]->setTexts(texts);
    for (LayoutItem item : {LayoutItem::YubinNo1, LayoutItem::YubinNo2})
        field(int(item), int(kind))->setVisible(fieldShown(int(item), int(kind)));
    m_noPrintMarks[size_t(kind)]->update();
}

void TfrmPreView::setSessionOptions(const SessionOptions* options)
{
    for (TBoxDigits* digits : m_boxDigits)
        digits->setOptions(options);
    for (TJointNames* joint : m_jointNames)
        joint->setOptions(options);
    for (TJointNames* joint : m_senderJointNames)
        joint->setOptions(options);
}

bool TfrmPreView::fieldShown(int item, int kind) const
{
    const bool transparent = ui->CheckBox2->isChecked();
    if (m_layouts->record(LayoutKind(kind), LayoutItem(item)).NoView && transparent)
        return false;
    const bool postal = item == int(LayoutItem::YubinNo1) || item == int(LayoutItem::YubinNo2);
    return !(postal && m_boxDigits[size_t(kind)]->active());
}

bool TfrmPreView::fieldPrints(int item, int kind) const
{
    const LayoutItemRecord& r = m_layouts->record(LayoutKind(kind), LayoutItem(item));
    return !r.NoView && !r.NoPrint;
}

QList<QRect> TfrmPreView::noPrintBoxes(int kind) const
{
    QList<QRect> boxes;
    for (int i = 0; i < LayoutItemCount; ++i) {
        const TTateEdit* edit = field(i, kind);
        if (!edit->isHidden() && !edit->Text().isEmpty() && !fieldPrints(i, kind))
            boxes << edit->geometry();
    }
    return boxes;
}

void TfrmPreView::updateJointNames(int kind)
{
    for (TJointNames* joint : {m_jointNames[size_t(kind)], m_senderJointNames[size_t(kind)]}) {
        joint->setInk(fieldPrints(int(joint->item()), kind) ? PrintedInk : NoPrintInk);
        joint->update();
    }
}

CardTexts TfrmPreView::cardTexts(LayoutKind kind) const
{
    CardTexts texts;
    for (int i = 0; i < LayoutItemCount; ++i)
        texts.text[size_t(i)] = field(i, int(kind))->Text();
    for (TJointNames* joint : {m_jointNames[size_t(kind)], m_senderJointNames[size_t(kind)]}) {
        const QString further = joint->furtherLines();
        if (!further.isEmpty())
            texts[joint->item()] += QChar(CardTexts::NameBreak) + further;
    }
    return texts;
}

void TfrmPreView::setBackImageNames(const std::array<QString, LayoutKindCount>& names)
{
    m_backImageNames = names;
    const QString& current = m_backImageNames[size_t(m_currentKind)];
    ui->edtBackImageName->setText(QFileInfo(current).fileName());
    ui->edtBackImageName->setToolTip(current);
}

void TfrmPreView::setFieldFont(TTateEdit* edit, int item, const QString& name, double points)
{
    // The printer's font: its whole point size at the face's resolution.
    const int printed = CardRenderer::printerPointSize(points);
    QFont font(item == int(LayoutItem::PostCode) ? BarcodeFontName : name);
    font.setPixelSize(faceGeometry().fontPixels(printed));
    edit->setFont(font);
    // Laid out as the printer lays it out, not rounded to whole screen pixels on the way.
    const CardGeometry paper(CardGeometry::TypesetDpi);
    edit->setTypesetting(paper.dotsPerInch() / faceGeometry().dotsPerInch(),
                         paper.fontPixels(printed));
}

void TfrmPreView::applyFieldFromRecord(TTateEdit* edit, int item, const LayoutItemRecord& r,
                                       bool positionOnly)
{
    // A field writes as its face's kind prints it: nothing turns one field alone (a layout
    // file may have).
    edit->setVertical(CardRenderer::isVerticalItem(LayoutKind(tagKind(edit)), LayoutItem(item)));
    edit->setColor(FieldColour);
    edit->setFontColor(r.NoView || r.NoPrint ? NoPrintInk : PrintedInk);
    setFieldFont(edit, item, r.FontName, r.FontSize);
    if (auto* barcode = qobject_cast<TBarcodeField*>(edit))
        barcode->setZoom(m_zoom);
    if (!positionOnly) {
        // The run spreads over G measured from the control's edge; the printer's G starts
        // at the box.
        const int spread = faceGeometry().toPixels(r.WidthEx);
        edit->setOffsetEx(
            item == int(LayoutItem::PostCode) || spread <= 0 ? 0 : spread + edit->inset());
    }
    placeField(edit, item, tagKind(edit), r);
    edit->repaint();
}

void TfrmPreView::placeField(TTateEdit* edit, int item, int kind, const LayoutItemRecord& r)
{
    const CardGeometry g = faceGeometry();
    const QRect box = g.toPixels(r.X, r.Y, r.Width, r.Height);
    // Text the box cannot hold still prints: the control grows to the font's cell across the
    // line, and to the bars of a barcode, so the face shows all of it.
    QSize ink;
    if (auto* barcode = qobject_cast<TBarcodeField*>(edit))
        ink = barcode->barsSize();
    else
        ink = edit->Vertical() ? QSize(edit->cellHeight(), 0) : QSize(0, edit->cellHeight());
    const int a = edit->inset();
    const QRect widget(box.x() - a, box.y() - a, qMax(box.width(), ink.width()) + 2 * a,
                       qMax(box.height(), ink.height()) + 2 * a);
    // The handle stops where the box would fall under 2 mm.
    const int least = g.minimumPixels(MinimumBoxTenthMm);
    edit->setMinimumSize(qMin(widget.width(), widget.width() - box.width() + least),
                         qMin(widget.height(), widget.height() - box.height() + least));
    edit->setGeometry(widget);
    m_placements[size_t(item)][size_t(kind)] = {box, widget};
    m_noPrintMarks[size_t(kind)]->update();
}

QRect TfrmPreView::fieldBox(int item, int kind) const
{
    const TTateEdit* edit = field(item, kind);
    if (!edit)
        return {};
    const Placement& p = m_placements[size_t(item)][size_t(kind)];
    const QRect w = edit->geometry();
    return {p.box.topLeft() + (w.topLeft() - p.widget.topLeft()),
            p.box.size() + (w.size() - p.widget.size())};
}

LayoutItemRecord TfrmPreView::recordFromBox(TTateEdit* edit) const
{
    const int item = tagOf(edit);
    const int kind = tagKind(edit);
    LayoutItemRecord r = m_layouts->record(LayoutKind(kind), LayoutItem(item));
    const LayoutItemRecord held = m_heldFrom.value(edit, r);
    const QRect box = fieldBox(item, kind);
    const CardGeometry g = faceGeometry();
    // A value that still lands on its pixel stays as the user typed it: a move changes the
    // position only, and a nudge there and back gives the numbers the field had before.
    const auto follow = [&g](int& stored, int before, int pixels) {
        if (g.toPixels(before) == pixels)
            stored = before;
        else if (g.toPixels(stored) != pixels)
            stored = g.toTenthMm(pixels);
    };
    follow(r.X, held.X, box.x());
    follow(r.Y, held.Y, box.y());
    follow(r.Width, held.Width, box.width());
    follow(r.Height, held.Height, box.height());
    return r;
}

int TfrmPreView::windowFrameExtra() const
{
    return frameGeometry().height() - geometry().height();
}

void TfrmPreView::resizeToFace(LayoutKind kind)
{
    const QSize faceSize = m_faces[size_t(kind)]->size();
    // Wide enough for the face, so a landscape card at 100 % is not cut off.
    const int width = qMax(this->width(), faceSize.width() + 12);
    resize(width, ui->PageScroller1->height() + faceSize.height() + 4);
}

void TfrmPreView::ApplyLayoutKind(LayoutKind kind, bool force)
{
    if (force || kind != m_currentKind) {
        const bool transparent = ui->CheckBox2->isChecked();
        for (int k = 0; k < LayoutKindCount; ++k) {
            TShadowPanel* face = m_faces[size_t(k)];
            if (k == int(kind)) {
                // The card at the printer's scale; its shadow lies outside it.
                face->resize(faceGeometry().cardSize(isLandscape(LayoutKind(k))) +
                             QSize(face->HorzOffset(), face->VertOffset()));
                for (int i = 0; i < LayoutItemCount; ++i) {
                    TTateEdit* edit = field(i, k);
                    const LayoutItemRecord& r = m_layouts->record(LayoutKind(k), LayoutItem(i));
                    edit->setReadOnly(!ui->chkEdit->isChecked());
                    edit->setAlignment(alignmentOf(i));
                    applyFieldFromRecord(edit, i, r, false);
                    edit->setBorderStyle(transparent ? TTateEdit::bsNone : TTateEdit::bsSingle);
                    edit->setTransParent(transparent);
                    edit->setVisible(fieldShown(i, k));
                }
                if (k == int(kind))
                    m_pending.clear();
                TBoxDigits* digits = m_boxDigits[size_t(k)];
                digits->setGeometry(face->rect());
                digits->setZoom(m_zoom);
                digits->raise();
                for (TJointNames* joint :
                     {m_jointNames[size_t(k)], m_senderJointNames[size_t(k)]}) {
                    joint->setGeometry(face->rect());
                    joint->setZoom(m_zoom);
                    joint->setVisible(fieldShown(int(joint->item()), k));
                    joint->raise();
                }
                updateJointNames(k);
                TNoPrintMarks* marks = m_noPrintMarks[size_t(k)];
                marks->setGeometry(face->rect());
                marks->raise();
                resizeToFace(kind);
                const QString& name = m_backImageNames[size_t(k)];
                ui->edtBackImageName->setText(QFileInfo(name).fileName());
                ui->edtBackImageName->setToolTip(name);
            }
            face->setVisible(k == int(kind));
        }
    }

    for (QWidget* w : m_faces[size_t(m_currentKind)]->findChildren<QWidget*>())
        w->repaint();
    clearPropertyPanel();
    setWindowTitle(Caption);
}

void TfrmPreView::clearPropertyPanel()
{
    for (QLineEdit* box :
         {ui->edtX, ui->edtY, ui->edtWidth, ui->edtHeight, ui->edtWidthEx, ui->edtSize})
        box->clear();
    {
        const QSignalBlocker blocker(ui->cbFontName);
        ui->cbFontName->setCurrentIndex(-1);
        ui->cbFontName->setEditText(QString());
    }
    ui->chkLock->setChecked(false);
    ui->chkNoView->setChecked(false);
    ui->chkNoPrint->setChecked(false);
    ui->chkAutoUpdate->setChecked(true);
    ui->Button4->setEnabled(false);
    ui->Panel2->setToolTip(QString());
    m_selectedItem = -1;
}

void TfrmPreView::ReleaseSelection(bool click)
{
    m_contextTarget = nullptr;
    QList<TTateEdit*> held;
    for (int t = 0; t < m_handle->TargetCount(); ++t)
        if (auto* edit = qobject_cast<TTateEdit*>(m_handle->TargetAt(t)))
            held << edit;
    m_handle->Detach();
    m_handle->setLocked(false);
    m_heldFrom.clear();
    // Out of the handle a field stands where the table puts it, where it prints: a stored
    // field (a control made narrower than its text grows back around it), and a move that
    // "自動更新" off kept from the table goes back, as it was not stored.
    m_pending.clear();
    for (TTateEdit* edit : std::as_const(held))
        if (tagKind(edit) == int(m_currentKind))
            applyFieldFromRecord(edit, tagOf(edit),
                                 m_layouts->record(m_currentKind, LayoutItem(tagOf(edit))), true);
    if (!click)
        return;
    // The control under the pointer gets a click, as if the user had clicked beside the
    // menu's item.
    const QPoint global = QCursor::pos() - QPoint(1, 1);
    QCursor::setPos(global);
    QWidget* target = QApplication::widgetAt(global);
    if (!target)
        return;
    const QPointF local = target->mapFromGlobal(QPointF(global));
    QMouseEvent press(QEvent::MouseButtonPress, local, QPointF(global), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(global), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

bool TfrmPreView::autoUpdate() const
{
    return ui->chkAutoUpdate->isChecked();
}

void TfrmPreView::setAutoUpdate(bool on)
{
    ui->chkAutoUpdate->setChecked(on);
    chkAutoUpdateClick();
}

void TfrmPreView::reshow()
{
    m_selectedItem = -1;
    ApplyLayoutKind(m_currentKind, true);
}

void TfrmPreView::showEvent(QShowEvent* event)
{
    m_selectedItem = -1;
    ApplyLayoutKind(m_currentKind, true);
    QWidget::showEvent(event);
}

void TfrmPreView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT closed();
}

void TfrmPreView::RadioButton1Click()
{
    ReleaseSelection(false);
    const LayoutKind kind =
        layoutKindOf(ui->RadioButton1->isChecked(), ui->RadioButton4->isChecked());
    // The main window checks its own buttons; while this window is visible that shows the
    // face of the kind and fills it.
    Q_EMIT kindChosen(kind);
    m_currentKind = kind;
    ApplyLayoutKind(kind, false);
}

void TfrmPreView::ComboBox1Change(const QString& text)
{
    ReleaseSelection(false);
    m_zoom = zoomOfText(text);
    ApplyLayoutKind(m_currentKind, true);
}

void TfrmPreView::CheckBox2Click()
{
    const bool transparent = ui->CheckBox2->isChecked();
    for (int i = 0; i < LayoutItemCount; ++i) {
        TTateEdit* edit = field(i, int(m_currentKind));
        if (isPostCode(edit))
            continue;
        edit->setBorderStyle(transparent ? TTateEdit::bsNone : TTateEdit::bsSingle);
        edit->setTransParent(transparent);
        edit->setVisible(fieldShown(i, int(m_currentKind)));
    }
    m_noPrintMarks[size_t(m_currentKind)]->update();
}

void TfrmPreView::chkEditClick()
{
    for (int i = 0; i < LayoutItemCount; ++i) {
        TTateEdit* edit = field(i, int(m_currentKind));
        if (!isPostCode(edit))
            edit->setReadOnly(!ui->chkEdit->isChecked());
    }
}

void TfrmPreView::Button1Click()
{
    ReleaseSelection(false);
    hide();
}

void TfrmPreView::Button2Click()
{
    ReleaseSelection(false);
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toUpper();
    const QString filter =
        QStringLiteral("画像ファイル|") + patterns.join(u';') + QStringLiteral("|すべて(*.*)|*.*");
    const QString path =
        m_prompter->openFileName(filter, QString(), QStringLiteral("背景イメージの読み込み"));
    if (path.isEmpty())
        return;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        m_prompter->showError(QStringLiteral("画像を読み込めません: %1\n%2")
                                  .arg(QFileInfo(path).fileName(), reader.errorString()));
        return;
    }
    m_faces[size_t(m_currentKind)]->setPicture(QPixmap::fromImage(picture));
    // A JPEG file is kept as it is, for layout files.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.peek(3) == QByteArray("\xFF\xD8\xFF"))
        m_faces[size_t(m_currentKind)]->setPictureFile(file.readAll());
    m_backImageNames[size_t(m_currentKind)] = QFileInfo(path).absoluteFilePath();
    ui->edtBackImageName->setText(QFileInfo(path).fileName());
    ui->edtBackImageName->setToolTip(QFileInfo(path).absoluteFilePath());
    Q_EMIT layoutChanged();
}

void TfrmPreView::Button3Click()
{
    ReleaseSelection(false);
    m_faces[size_t(m_currentKind)]->setPicture(QPixmap());
}

void TfrmPreView::Button4Click()
{
    storePending();
    ApplyPropertyPanel();
}

void TfrmPreView::chkAutoUpdateClick()
{
    ui->Button4->setEnabled(!ui->chkAutoUpdate->isChecked());
}

void TfrmPreView::propertyPanelClick()
{
    ReleaseSelection(false);
    ApplyPropertyPanel();
}

void TfrmPreView::pnlTTClick()
{
    ReleaseSelection(false);
}

void TfrmPreView::setPanelCheck(QCheckBox* box, bool on)
{
    if (box->isChecked() == on)
        return;
    box->setChecked(on);
    propertyPanelClick();
}

void TfrmPreView::fieldClick(TTateEdit* edit)
{
    TShadowPanel* face = m_faces[size_t(m_currentKind)];
    if (!edit || edit->parentWidget() != face)
        return;
    const int item = tagOf(edit);
    QString displayName;
    LayoutItemRecord r;
    if (!m_layouts->ReadLayoutItem(int(m_currentKind), item, &displayName, &r))
        return;
    ui->Panel2->setToolTip(edit->objectName());
    m_selectedItem = item;

    ui->edtX->setText(QString::number(r.X));
    ui->edtY->setText(QString::number(r.Y));
    ui->edtWidth->setText(QString::number(r.Width));
    ui->edtHeight->setText(QString::number(r.Height));
    ui->edtWidthEx->setText(QString::number(r.WidthEx));
    ui->edtSize->setText(QString::asprintf("%.1f", r.FontSize));
    {
        const QSignalBlocker blocker(ui->cbFontName);
        ui->cbFontName->setEditText(r.FontName);
    }
    setPanelCheck(ui->chkLock, r.Lock);
    setPanelCheck(ui->chkNoView, r.NoView);
    setPanelCheck(ui->chkNoPrint, r.NoPrint);

    showSelectionCaption(edit, r);
}

void TfrmPreView::showSelectionCaption(const TTateEdit* edit, const LayoutItemRecord& r)
{
    setWindowTitle(
        Caption + QStringLiteral(" - [") + layoutItemDisplayName(LayoutItem(tagOf(edit))) +
        QStringLiteral("] ") +
        QString::asprintf("X=%d Y=%d W=%d H=%d %s", r.X, r.Y, r.Width, r.Height,
                          edit->Alignment() == TTateEdit::alJustifyEx ? "True" : "False"));
}

void TfrmPreView::StoreLayoutItem(int kind, int item, const LayoutItemRecord& values,
                                  bool positionOnly, bool follow)
{
    LayoutItemRecord before;
    m_layouts->ReadLayoutItem(kind, item, nullptr, &before);
    if (!m_layouts->StoreLayoutItem(kind, item, values, positionOnly))
        return;
    if (TTateEdit* edit = field(item, kind))
        applyFieldFromRecord(edit, item, m_layouts->record(LayoutKind(kind), LayoutItem(item)),
                             positionOnly);
    if (follow && item == int(LayoutItem::Atena))
        followAddressee(kind, before);
    updateJointNames(kind);
    Q_EMIT layoutChanged();
}

void TfrmPreView::followAddressee(int kind, const LayoutItemRecord& before, bool held)
{
    // Joint names under the handle with the addressee are the handle's to place.
    if (held || !m_layouts->FollowAddressee(LayoutKind(kind), before))
        return;
    constexpr int item = int(LayoutItem::Renmei);
    applyFieldFromRecord(field(item, kind), item,
                         m_layouts->record(LayoutKind(kind), LayoutItem::Renmei), false);
    updateJointNames(kind);
}

void TfrmPreView::ApplyPropertyPanel()
{
    if (m_selectedItem < 0 || m_selectedItem >= LayoutItemCount || ui->Panel2->toolTip().isEmpty())
        return;
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {ui->edtX, "左"},      {ui->edtY, "上"},       {ui->edtWidth, "幅"},
        {ui->edtHeight, "高"}, {ui->edtWidthEx, "Ex"}, {ui->edtSize, "ｻｲｽﾞ"}};
    if (ui->cbFontName->currentText().isEmpty())
        return;
    for (const auto& [box, caption] : boxes)
        if (box->text().isEmpty())
            return;

    int values[5] = {};
    for (int n = 0; n < 5; ++n) {
        bool ok = false;
        values[n] = boxes[n].first->text().trimmed().toInt(&ok);
        if (!ok) {
            m_prompter->showError(
                QStringLiteral("「%1」の値 \"%2\" は整数ではありません。")
                    .arg(QString::fromUtf8(boxes[n].second), boxes[n].first->text()));
            return;
        }
    }
    const std::optional<double> size = decimalOf(ui->edtSize->text());
    if (!size) {
        m_prompter->showError(
            QStringLiteral("「ｻｲｽﾞ」の値 \"%1\" は数値ではありません。").arg(ui->edtSize->text()));
        return;
    }
    LayoutItemRecord r;
    r.FontName = ui->cbFontName->currentText();
    r.FontSize = *size;
    r.X = values[0];
    r.Y = values[1];
    r.Width = values[2];
    r.Height = values[3];
    r.WidthEx = values[4];
    r.Lock = ui->chkLock->isChecked();
    r.NoView = ui->chkNoView->isChecked();
    r.NoPrint = ui->chkNoPrint->isChecked();
    StoreLayoutItem(int(m_currentKind), m_selectedItem, r, false);
}

void TfrmPreView::numberBoxEnter(QLineEdit* box)
{
    LayoutItemRecord stored;
    if (!m_layouts->ReadLayoutItem(int(m_currentKind), m_selectedItem, nullptr, &stored))
        return;
    if (box == ui->edtSize) {
        const std::optional<double> size = decimalOf(box->text());
        if (!size) {
            m_prompter->showError(
                QStringLiteral("「ｻｲｽﾞ」の値 \"%1\" は数値ではありません。").arg(box->text()));
            return;
        }
        if (*size < 5)
            box->setText(QStringLiteral("10.0"));
    } else {
        const int v = enteredInt(box->text());
        if (box == ui->edtX && v < 0)
            box->setText(QString::number(stored.X));
        else if (box == ui->edtY && v < 0)
            box->setText(QString::number(stored.Y));
        else if (box == ui->edtWidth && v < 20)
            box->setText(QString::number(stored.Width));
        else if (box == ui->edtHeight && v < 20)
            box->setText(QString::number(stored.Height));
        else if (box == ui->edtWidthEx && v < 10)
            box->setText(QStringLiteral("0"));
    }
    if (ui->chkAutoUpdate->isChecked())
        ApplyPropertyPanel();
}

void TfrmPreView::cbFontNameChange(const QString& text)
{
    const QString name = ui->Panel2->toolTip();
    if (name.isEmpty())
        return;
    auto* edit = findChild<TTateEdit*>(name);
    if (!edit)
        return;
    // The size follows the panel's whole points, else the field's own size at 100 %.
    const int base =
        qRound(std::abs(edit->font().pixelSize()) * 72.0 / faceGeometry().dotsPerInch());
    bool ok = false;
    int points = ui->edtSize->text().toInt(&ok);
    if (!ok)
        points = base;
    setFieldFont(edit, tagOf(edit), text, points);
    if (ui->chkAutoUpdate->isChecked())
        ApplyPropertyPanel();
}

void TfrmPreView::StretchHandle1Moved()
{
    for (int t = 0; t < m_handle->TargetCount(); ++t) {
        auto* edit = qobject_cast<TTateEdit*>(m_handle->TargetAt(t));
        if (!edit)
            continue;
        const LayoutItemRecord r = recordFromBox(edit);
        // The panel belongs to the selected field; another one under the handle keeps out.
        if (edit->objectName() == ui->Panel2->toolTip()) {
            ui->edtX->setText(QString::number(r.X));
            ui->edtY->setText(QString::number(r.Y));
            ui->edtWidth->setText(QString::number(r.Width));
            ui->edtHeight->setText(QString::number(r.Height));
            ui->edtWidthEx->setText(QString::number(r.WidthEx));
            showSelectionCaption(edit, r);
        }
        if (ui->chkAutoUpdate->isChecked()) {
            // The handle's rectangle stays the truth while it holds the field: the table takes
            // the values, the field stays where the handle put it.
            const LayoutItemRecord before =
                m_layouts->record(m_currentKind, LayoutItem(tagOf(edit)));
            m_layouts->StoreLayoutItem(int(m_currentKind), tagOf(edit), r, true);
            if (tagOf(edit) == int(LayoutItem::Atena)) {
                QWidget* joint = field(int(LayoutItem::Renmei), int(m_currentKind));
                bool held = false;
                for (int h = 0; h < m_handle->TargetCount(); ++h)
                    held = held || m_handle->TargetAt(h) == joint;
                followAddressee(int(m_currentKind), before, held);
            }
            Q_EMIT layoutChanged();
        } else {
            m_pending.insert(edit);
        }
    }
    // Further joint names follow their field, and so do the marks.
    m_jointNames[size_t(m_currentKind)]->update();
    m_senderJointNames[size_t(m_currentKind)]->update();
    m_noPrintMarks[size_t(m_currentKind)]->update();
}

void TfrmPreView::storePending()
{
    const QSet<TTateEdit*> pending = std::exchange(m_pending, {});
    for (TTateEdit* edit : pending) {
        const int kind = tagKind(edit);
        const int item = tagOf(edit);
        const LayoutItemRecord before = m_layouts->record(LayoutKind(kind), LayoutItem(item));
        if (kind == int(m_currentKind) &&
            m_layouts->StoreLayoutItem(kind, item, recordFromBox(edit), true)) {
            applyFieldFromRecord(edit, item, m_layouts->record(LayoutKind(kind), LayoutItem(item)),
                                 true);
            if (item == int(LayoutItem::Atena))
                followAddressee(kind, before,
                                pending.contains(field(int(LayoutItem::Renmei), kind)));
            Q_EMIT layoutChanged();
        }
    }
}

void TfrmPreView::editField(TTateEdit* target, bool add)
{
    // A locked field never goes under the handle, alone or added.
    if (!target || m_layouts->record(LayoutKind(tagKind(target)), LayoutItem(tagOf(target))).Lock)
        return;
    if (!add)
        m_handle->Detach();
    if (!m_handle->Attached())
        m_heldFrom.clear();
    m_handle->Attach(target);
    if (!m_heldFrom.contains(target))
        m_heldFrom.insert(
            target, m_layouts->record(LayoutKind(tagKind(target)), LayoutItem(tagOf(target))));
}

void TfrmPreView::MenuItem1Click()
{
    storePending();
    ReleaseSelection(true);
}

void TfrmPreView::MenuItem2Click()
{
    if (!m_contextTarget)
        return;
    if (m_contextTarget == m_handle) {
        m_contextTarget = m_handle->TargetAt(0);
        return;
    }
    if (auto* edit = qobject_cast<TTateEdit*>(m_contextTarget.data()))
        editField(edit, QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier);
}

void TfrmPreView::alignTargets(int which)
{
    const int count = m_handle->TargetCount();
    if (count < 2)
        return;
    // The boxes line up, where the printer puts the text; the controls follow them.
    QList<TTateEdit*> targets;
    QList<QRect> boxes;
    for (int t = 0; t < count; ++t) {
        if (auto* edit = qobject_cast<TTateEdit*>(m_handle->TargetAt(t))) {
            targets << edit;
            boxes << fieldBox(tagOf(edit), tagKind(edit));
        }
    }
    if (targets.size() < 2)
        return;
    int left = boxes[0].x(), top = boxes[0].y(), width = boxes[0].width(),
        height = boxes[0].height();
    for (const QRect& b : std::as_const(boxes)) {
        left = qMin(left, b.x());
        top = qMin(top, b.y());
        width = qMin(width, b.width());
        height = qMin(height, b.height());
    }
    for (qsizetype t = 0; t < targets.size(); ++t) {
        const QRect& b = boxes[t];
        QRect g = targets[t]->geometry();
        switch (which) {
        case 0:
            g.translate(left - b.x(), 0);
            break;
        case 1:
            g.translate(0, top - b.y());
            break;
        case 2:
            g.setWidth(g.width() + width - b.width());
            break;
        default:
            g.setHeight(g.height() + height - b.height());
            break;
        }
        targets[t]->setGeometry(g);
    }
    // Stored at once like a move, or kept for "更新" with "自動更新" off.
    StretchHandle1Moved();
    m_handle->update();
}

bool TfrmPreView::fieldKey(TTateEdit* edit, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool press = event->type() == QEvent::KeyPress;
    const Qt::KeyboardModifiers mods = key->modifiers();
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !mods.testFlag(Qt::ControlModifier)) {
        // Enter ends the typing in a field; the text stays as typed. An input method still
        // composing keeps its conversion. The release, also that of an Enter that confirmed
        // a dialog or a conversion, goes no further.
        if (press && !key->isAutoRepeat() && edit->hasFocus() && !edit->ReadOnly() &&
            edit->preeditText().isEmpty())
            edit->clearFocus();
        return true;
    }
    // A field writes as its face's kind prints (縦書き or 横書き): Ctrl+Y turns none alone.
    return press && key->key() == Qt::Key_Y && mods.testFlag(Qt::ControlModifier) &&
           !mods.testFlag(Qt::AltModifier);
}

bool TfrmPreView::eventFilter(QObject* watched, QEvent* event)
{
    // Besides the panel's boxes this sees the fields, and Panel8 also with the keys and
    // clicks a field or a face left to their parents.
    if (auto* edit = qobject_cast<TTateEdit*>(watched))
        return fieldKey(edit, event);
    if (watched == ui->Panel8) {
        if (event->type() == QEvent::MouseButtonRelease)
            ReleaseSelection(false);
        return false;
    }
    auto* box = qobject_cast<QLineEdit*>(watched);
    const bool numberBox =
        box && (box == ui->edtX || box == ui->edtY || box == ui->edtWidth || box == ui->edtHeight ||
                box == ui->edtWidthEx || box == ui->edtSize);
    if (!numberBox && watched != ui->cbFontName)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // A click into the property panel stores it.
        propertyPanelClick();
        return false;
    }
    if (event->type() == QEvent::KeyPress && box == ui->edtX) {
        // Only typed characters and Backspace reach the position box.
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->key() != Qt::Key_Backspace && (e->text().isEmpty() || !e->text().at(0).isPrint()))
            return e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter;
        return false;
    }
    if (event->type() == QEvent::KeyRelease && numberBox) {
        auto* e = static_cast<QKeyEvent*>(event);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            numberBoxEnter(box);
    }
    return QWidget::eventFilter(watched, event);
}
