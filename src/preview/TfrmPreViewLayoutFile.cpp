// The preview's layout-file commands: the face shown saved to a .tyd file, and a file loaded
// into the face its name tells.
#include "common/Prompter.h"
#include "controls/TShadowPanel.h"
#include "controls/TTateEdit.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "preview/TfrmPreView.h"
#include "print/CardRenderer.h"
#include "ui_TfrmPreView.h"

#include <QFileInfo>
#include <QMenu>
#include <QSignalBlocker>

void TfrmPreView::createLayoutFileItems()
{
    const QString saveCaption = QStringLiteral("配置に名前をつけて保存(&A)");
    const QString loadCaption = QStringLiteral("保存した配置を読み込む(&R)");
    const auto add = [this](QMenu* menu, const char* name, const QString& caption,
                            void (TfrmPreView::*slot)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
    };
    add(m_popupMenu1, "A1", saveCaption, &TfrmPreView::SaveAs1Click);
    add(m_popupMenu1, "R2", loadCaption, &TfrmPreView::R1Click);
    m_popupMenu2->addSeparator();
    add(m_popupMenu2, "SaveAs1", saveCaption, &TfrmPreView::SaveAs1Click);
    add(m_popupMenu2, "R1", loadCaption, &TfrmPreView::R1Click);
}

void TfrmPreView::SaveAs1Click()
{
    // The drag handle sits on the face while attached; it is no part of the layout.
    ReleaseSelection(false);
    const QString chosen =
        m_prompter->saveFileName(LayoutFile::dialogFilter(), QStringLiteral("tyd"),
                                 QStringLiteral("配置に名前をつけて保存"));
    if (chosen.isEmpty())
        return;
    const LayoutKind kind = m_currentKind;
    const QString path = LayoutFile::fileNameForKind(chosen, kind);
    // The dialog asked about the name chosen; the file written may be another one.
    if (path != chosen && QFileInfo::exists(path) &&
        !m_prompter->confirm(QStringLiteral("%1 は既に存在します。\n上書きしますか?")
                                 .arg(QFileInfo(path).fileName())))
        return;
    TShadowPanel* face = m_faces[size_t(kind)];
    // A layout file holds each field as the box it prints in, in pixels at the zoom; on the
    // face the controls lie around their boxes, so they take that form while it is written.
    const double dpi = CardRenderer::StandardScreenDpi;
    for (int i = 0; i < LayoutItemCount; ++i) {
        TTateEdit* edit = field(i, int(kind));
        const LayoutItemRecord& r = m_layouts->record(kind, LayoutItem(i));
        edit->setMinimumSize(0, 0);
        edit->setGeometry(LayoutUnits::tenthMmToPixelsAtZoom(r.X, m_zoom, dpi),
                          LayoutUnits::tenthMmToPixelsAtZoom(r.Y, m_zoom, dpi),
                          LayoutUnits::tenthMmToPixelsAtZoom(r.Width, m_zoom, dpi),
                          LayoutUnits::tenthMmToPixelsAtZoom(r.Height, m_zoom, dpi));
        edit->setOffsetEx(i == int(LayoutItem::PostCode)
                              ? 0
                              : LayoutUnits::tenthMmToPixelsAtZoom(r.WidthEx, m_zoom, dpi));
        QFont font = edit->font();
        font.setPixelSize(qMax(1, LayoutUnits::pointsToFontPixelsAtZoom(r.FontSize, m_zoom, dpi)));
        edit->setFont(font);
        // The face's own colours (grey for a field that does not print) are no part of it.
        edit->setColor(TTateEdit::defaultOf(QStringLiteral("Color")).value<QColor>());
        edit->setFontColor(TTateEdit::defaultOf(QStringLiteral("FontColor")).value<QColor>());
    }
    LayoutFile::prepareSave(face, *m_layouts, kind, m_zoom);
    QString error;
    const bool saved = LayoutFile::save(face, path, &error);
    for (int i = 0; i < LayoutItemCount; ++i)
        applyFieldFromRecord(field(i, int(kind)), i, m_layouts->record(kind, LayoutItem(i)), false);
    if (!saved)
        m_prompter->showError(error);
}

void TfrmPreView::R1Click()
{
    ReleaseSelection(false);
    const QString path = m_prompter->openFileName(LayoutFile::dialogFilter(), QStringLiteral("tyd"),
                                                  QStringLiteral("保存した配置を読み込む"));
    if (!path.isEmpty())
        LoadLayoutFile(path);
}

bool TfrmPreView::LoadLayoutFile(const QString& path, LayoutFile::Loaded* out)
{
    const std::optional<LayoutKind> kind = LayoutFile::kindOfFileName(path);
    if (!kind)
        return false;

    // The whole file is checked before anything of it is kept: a refused file leaves the
    // face and the layout as they were.
    LayoutFile::Loaded loaded;
    QString error;
    // The file's sizes go onto the controls as they stand; no minimum of the handle's may
    // change them on the way.
    for (int i = 0; i < LayoutItemCount; ++i)
        field(i, int(*kind))->setMinimumSize(0, 0);
    if (!LayoutFile::loadFile(path, m_faces[size_t(*kind)], CardRenderer::StandardScreenDpi,
                              &loaded, &error)) {
        for (int i = 0; i < LayoutItemCount; ++i)
            applyFieldFromRecord(field(i, int(*kind)), i, m_layouts->record(*kind, LayoutItem(i)),
                                 false);
        m_prompter->showError(error);
        return false;
    }

    const bool zoomChanged = loaded.zoom != m_zoom;
    if (zoomChanged) {
        const QSignalBlocker blocker(ui->ComboBox1);
        const QString entry = LayoutFile::zoomBoxText(loaded.zoom);
        const int index = ui->ComboBox1->findText(entry);
        if (index >= 0)
            ui->ComboBox1->setCurrentIndex(index);
        else
            ui->ComboBox1->setEditText(entry);
        m_zoom = loaded.zoom;
    }
    setKindButtons(*kind);
    RadioButton1Click();

    // The records read from the file, stored as the load found them: following the kind may
    // have shown the face again from the layout before this point.
    QStringList notes;
    for (const LayoutFile::FieldRecord& f : loaded.fields) {
        QString name;
        m_layouts->ReadLayoutItem(int(*kind), f.item, &name, nullptr);
        StoreLayoutItem(int(*kind), f.item, f.record, false, false);
        notes +=
            LayoutFile::adjustments(name, f.record, m_layouts->record(*kind, LayoutItem(f.item)));
    }
    // A face laid out at another zoom takes that zoom's size too.
    ApplyLayoutKind(*kind, zoomChanged);
    if (!notes.isEmpty())
        m_prompter->showMessage(notes.join(u'\n'));
    if (out)
        *out = loaded;
    return true;
}
