#pragma once

#include "compose/CardTexts.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutKind.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class LayoutTable;
class Prompter;
class QMenu;
class TShadowPanel;
class TBoxDigits;
class TStretchHandle;
class TTateEdit;
struct SessionOptions;
struct LayoutItemRecord;

namespace Ui {
class TfrmPreView;
}

// The preview window: one card face at a time (four TShadowPanels with nine TTateEdits
// each) at a zoom, filled with the selected record, and the layout editor over it. It reads
// and writes the main window's LayoutTable; it never writes the settings file.
class TfrmPreView : public QWidget
{
    Q_OBJECT
public:
    // `layouts` and `prompter` must outlive the window.
    TfrmPreView(LayoutTable* layouts, Prompter* prompter, QWidget* parent = nullptr);
    ~TfrmPreView() override;

    Ui::TfrmPreView& form() { return *ui; }

    LayoutKind CurrentKind() const { return m_currentKind; }
    void setCurrentKind(LayoutKind kind) { m_currentKind = kind; }
    // Checks the orientation and writing buttons for `kind` without running their commands.
    void setKindButtons(LayoutKind kind);
    double Zoom() const { return m_zoom; }
    // "自動更新": moves and font choices store at once.
    bool autoUpdate() const;
    void setAutoUpdate(bool on);
    // What showing the window does, for a window already shown: no selection, the face of
    // CurrentKind brought up to date.
    void reshow();
    int SelectedItem() const { return m_selectedItem; }

    // The field of (item, kind) and the face of a kind.
    TTateEdit* field(int item, int kind) const;
    TTateEdit* field(LayoutItem item, LayoutKind kind) const { return field(int(item), int(kind)); }
    TShadowPanel* face(LayoutKind kind) const { return m_faces[size_t(kind)]; }
    TStretchHandle* StretchHandle1() const { return m_handle; }
    QMenu* PopupMenu1() const { return m_popupMenu1; }
    QMenu* PopupMenu2() const { return m_popupMenu2; }

    // The session's options: with "郵便番号を枠に合わせる" on, a portrait face shows the
    // postal digits in the card's boxes, as they print. `options` must outlive the window.
    void setSessionOptions(const SessionOptions* options);

    // The texts of a face, as shown and as edited there.
    void setCardTexts(LayoutKind kind, const CardTexts& texts);
    CardTexts cardTexts(LayoutKind kind) const;

    // Background picture file per kind (full path; empty for none).
    std::array<QString, LayoutKindCount> BackImageNames() const { return m_backImageNames; }
    void setBackImageNames(const std::array<QString, LayoutKindCount>& names);

    void ApplyLayoutKind(LayoutKind kind, bool force);
    void ReleaseSelection(bool click);
    // Stores one record into the layout table and brings its field up to date.
    void StoreLayoutItem(int kind, int item, const LayoutItemRecord& values, bool positionOnly);
    // Loads a layout file into the face its name tags (TT, TY, YT, YY) and into the layout;
    // false when the name has no tag or the file is refused (the refusal is told). Values the
    // layout had to replace are told after the load. `loaded`, when given, receives what the
    // file held.
    bool LoadLayoutFile(const QString& path, LayoutFile::Loaded* loaded = nullptr);
    void ApplyPropertyPanel();

    // Edit mode on a field: as "編集モード(&S)" on it; `add` as with Shift held.
    void editField(TTateEdit* target, bool add);

Q_SIGNALS:
    // The preview's own layout buttons chose `kind`: the main window follows with its own.
    void kindChosen(LayoutKind kind);
    // "このカードだけを印刷する(&P)".
    void printShownCard();
    // The window was hidden (its position is worth remembering).
    void closed();

public Q_SLOTS:
    void RadioButton1Click();
    void ComboBox1Change(const QString& text);
    void CheckBox2Click();
    void chkEditClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void chkAutoUpdateClick();
    void propertyPanelClick();
    void cbFontNameChange(const QString& text);
    void StretchHandle1Moved();
    void MenuItem1Click();
    void MenuItem2Click();
    void alignTargets(int which);
    void pnlTTClick();
    void fieldClick(TTateEdit* field);
    // "配置に名前をつけて保存(&A)" and "保存した配置を読み込む(&R)" (TfrmPreViewLayoutFile.cpp).
    void SaveAs1Click();
    void R1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createFields();
    void createMenus();
    void createLayoutFileItems();
    void fillFontList();
    void applyFieldFromRecord(TTateEdit* edit, int item, const LayoutItemRecord& r,
                              bool positionOnly);
    void setFieldFont(TTateEdit* edit, int item, const QString& name, double points);
    void clearPropertyPanel();
    void setPanelCheck(class QCheckBox* box, bool on);
    // Enter in a number box: the refusal table, then the auto-store.
    void numberBoxEnter(class QLineEdit* box);
    int windowFrameExtra() const;
    void resizeToFace(LayoutKind kind);
    // Shown unless NoView hides it on a transparent face or its digits stand in the boxes.
    bool fieldShown(int item, int kind) const;

    std::unique_ptr<Ui::TfrmPreView> ui;
    LayoutTable* m_layouts;
    Prompter* m_prompter;
    std::array<TShadowPanel*, LayoutKindCount> m_faces{};
    std::array<std::array<TTateEdit*, LayoutKindCount>, LayoutItemCount> m_fields{};
    std::array<TBoxDigits*, LayoutKindCount> m_boxDigits{};
    std::array<QPixmap, LayoutKindCount> m_builtInPictures;
    std::array<QString, LayoutKindCount> m_backImageNames;
    TStretchHandle* m_handle = nullptr;
    QMenu* m_popupMenu1 = nullptr;
    QMenu* m_popupMenu2 = nullptr;
    QPointer<QWidget> m_contextTarget;
    LayoutKind m_currentKind = LayoutKind::TT;
    double m_zoom = 90;
    int m_selectedItem = -1;
    bool m_fontChangeAttached = true;
};
