#pragma once

#include "compose/CardTexts.h"
#include "layout/CardGeometry.h"
#include "layout/LayoutFile.h"
#include "layout/LayoutItem.h"
#include "layout/LayoutItemRecord.h"
#include "layout/LayoutKind.h"

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QWidget>

#include <array>
#include <memory>

class LayoutTable;
class Prompter;
class QMenu;
class TShadowPanel;
class TBoxDigits;
class TJointNames;
class TNoPrintMarks;
class TStretchHandle;
class TTateEdit;
struct SessionOptions;

namespace Ui {
class TfrmPreView;
}

// The preview window: one card face at a time (four TShadowPanels with a TTateEdit per
// LayoutItem each) at a zoom, filled with the selected record, and the layout editor over it. It
// reads and writes the main window's LayoutTable and says when it changed it; it never writes
// the settings file.
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
    // The face's mapping from 1/10 mm to pixels at the zoom: the printer's, at the screen's
    // resolution times the zoom.
    CardGeometry faceGeometry() const { return CardGeometry::face(m_zoom); }
    // The box of a field on its face in pixels, where the printer puts the text (the field's
    // control lies around it, with room for its frame and for text the box cannot hold).
    // While the handle moves a field, the box follows the handle.
    QRect fieldBox(int item, int kind) const;
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
    // A changed addressee takes joint names that follow it along (`follow`, see
    // LayoutTable::FollowAddressee); a loaded layout stores its own joint names.
    void StoreLayoutItem(int kind, int item, const LayoutItemRecord& values, bool positionOnly,
                         bool follow = true);
    // Loads a layout file into the face its name tags (TT, TY, YT, YY) and into the layout;
    // false when the name has no tag or the file is refused (the refusal is told). Values the
    // layout had to replace are told after the load. `loaded`, when given, receives what the
    // file held.
    bool LoadLayoutFile(const QString& path, LayoutFile::Loaded* loaded = nullptr);
    void ApplyPropertyPanel();

    // Edit mode on a field: as "編集モード(&S)" on it; `add` as with Shift held.
    void editField(TTateEdit* target, bool add);

    // Puts the window, frame and all, inside `available` (a screen's free area) at its right
    // edge, as near to `top` as it fits; a window larger than the area is made smaller.
    void placeOnScreen(const QRect& available, int top);

Q_SIGNALS:
    // The preview's own layout buttons chose `kind`: the main window follows with its own.
    void kindChosen(LayoutKind kind);
    // "このカードだけを印刷する(&P)".
    void printShownCard();
    // The window was hidden (its position is worth remembering).
    void closed();
    // A layout record or the face's background picture changed: worth saving.
    void layoutChanged();

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
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createFields();
    void createMenus();
    void createLayoutFileItems();
    void fillFontList();
    void applyFieldFromRecord(TTateEdit* edit, int item, const LayoutItemRecord& r,
                              bool positionOnly);
    // Puts a field's control around its box (see fieldBox) and remembers both.
    void placeField(TTateEdit* edit, int item, int kind, const LayoutItemRecord& r);
    // The record a field's box on screen gives: X, Y, Width and Height from the box where
    // they no longer map onto it, everything else as stored.
    LayoutItemRecord recordFromBox(TTateEdit* edit) const;
    // Fields the handle moved while "自動更新" was off: "更新" and "編集モード解除" store them.
    void storePending();
    // After the addressee of `kind` changed from `before`: joint names that followed it move
    // along, in the table and on the face, unless `held` (under the drag handle too).
    void followAddressee(int kind, const LayoutItemRecord& before, bool held = false);
    void setFieldFont(TTateEdit* edit, int item, const QString& name, double points);
    void clearPropertyPanel();
    // "プレビュー - [宛名] X=… Y=… W=… H=… True" for the selected field.
    void showSelectionCaption(const TTateEdit* edit, const LayoutItemRecord& r);
    void setPanelCheck(class QCheckBox* box, bool on);
    // Enter in a number box: the refusal table, then the auto-store.
    void numberBoxEnter(class QLineEdit* box);
    // The keys a card field leaves to its window; true when the key goes no further.
    bool fieldKey(TTateEdit* edit, QEvent* event);
    int windowFrameExtra() const;
    void resizeToFace(LayoutKind kind);
    // The toolbar in one row when the window is wide enough, else in two.
    void arrangeToolbar();
    // Shown unless NoView hides it on a transparent face or its digits stand in the boxes.
    bool fieldShown(int item, int kind) const;
    // The printer draws it: neither 非表示 nor 非印刷.
    bool fieldPrints(int item, int kind) const;
    // The fields of a face that show and hold text but do not print (TNoPrintMarks).
    QList<QRect> noPrintBoxes(int kind) const;
    void updateJointNames(int kind);

    std::unique_ptr<Ui::TfrmPreView> ui;
    LayoutTable* m_layouts;
    Prompter* m_prompter;
    std::array<TShadowPanel*, LayoutKindCount> m_faces{};
    std::array<std::array<TTateEdit*, LayoutKindCount>, LayoutItemCount> m_fields{};
    std::array<TBoxDigits*, LayoutKindCount> m_boxDigits{};
    std::array<TJointNames*, LayoutKindCount> m_jointNames{};
    std::array<TJointNames*, LayoutKindCount> m_senderJointNames{};
    std::array<TNoPrintMarks*, LayoutKindCount> m_noPrintMarks{};
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
    struct Placement
    {
        QRect box;    // the printer's box, face pixels
        QRect widget; // the control around it
    };
    std::array<std::array<Placement, LayoutKindCount>, LayoutItemCount> m_placements{};
    QSet<TTateEdit*> m_pending;
    // The records of the fields under the handle as they were when it took them.
    QHash<TTateEdit*, LayoutItemRecord> m_heldFrom;
    QList<std::pair<QWidget*, QRect>> m_toolbarSecondRow;
    int m_toolbarWidth = 0;
};
