#pragma once

#include "typeset/CharacterRun.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

class Prompter;
class QTimer;
class RunPainter;
class TextUnits;

// A one-line text field that shows and edits its text horizontally or as a vertical column,
// top to bottom, laid out and drawn exactly as the printer draws a card's field (the same
// CharacterRun arithmetic and the same vertical glyph forms from typeset/).
//
// The published properties below are declared in their published order; layout files stream
// them through the meta-object system. A property is written when it differs from its
// declared default, which `defaultOf()` gives (an invalid QVariant: no default, always
// written). Properties named like QWidget's own are spelled with a capital (Left, Width,
// Enabled, ...) and map onto the widget.
class TTateEdit : public QWidget
{
    Q_OBJECT

public:
    enum TAlignment
    {
        alLeft,
        alCenter,
        alRight,
        alJustify,
        alJustifyEx,
    };
    Q_ENUM(TAlignment)

    enum TEditBevel
    {
        bsSingle,
        bsNone,
        bsRaised,
        bsXpStyle,
    };
    Q_ENUM(TEditBevel)

private:
    // Its own published properties.
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(int BevelSize READ BevelSize WRITE setBevelSize)
    Q_PROPERTY(TEditBevel BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QString Comment READ Comment WRITE setComment)
    Q_PROPERTY(bool NextFocusByEnter READ NextFocusByEnter WRITE setNextFocusByEnter)
    Q_PROPERTY(int Offset READ Offset WRITE setOffset)
    Q_PROPERTY(int OffsetEx READ OffsetEx WRITE setOffsetEx)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(bool TransParent READ TransParent WRITE setTransParent)
    Q_PROPERTY(QString Text READ Text WRITE setText NOTIFY OnChange)
    Q_PROPERTY(bool Vertical READ Vertical WRITE setVertical)
    // The inherited ones, on the widget. FontColor is the font's colour ("Font.Color" in a
    // layout file): QFont has none.
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ font WRITE setFont)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE setShowHint)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(bool TabStop READ TabStop WRITE setTabStop)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(int Width READ Width WRITE setWidth)

public:
    explicit TTateEdit(QWidget* parent = nullptr);
    ~TTateEdit() override;

    // The declared default of a published property (see the class comment).
    static QVariant defaultOf(const QString& property);
    // The same through the meta-object, for a streamer that only knows the object.
    Q_INVOKABLE QVariant declaredDefault(const QString& property) const
    {
        return defaultOf(property);
    }

    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    bool AutoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool value) { m_autoSelect = value; }
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    // Pixels; below 1 counts as 1.
    int BevelSize() const { return m_bevelSize; }
    void setBevelSize(int value);
    TEditBevel BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TEditBevel value);
    QColor Color() const { return m_color; }
    void setColor(const QColor& value);
    // Kept for old layout files; it is always empty.
    QString Comment() const { return QString(); }
    void setComment(const QString&) {}
    bool NextFocusByEnter() const { return m_nextFocusByEnter; }
    void setNextFocusByEnter(bool value) { m_nextFocusByEnter = value; }
    // Pixels; below 0 counts as 0.
    int Offset() const { return m_offset; }
    void setOffset(int value);
    int OffsetEx() const { return m_offsetEx; }
    void setOffsetEx(int value);
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value);
    bool TransParent() const { return m_transParent; }
    void setTransParent(bool value);
    QString Text() const { return m_text; }
    // A different text keeps the old one for Undo and raises OnChange at once.
    void setText(const QString& value);
    bool Vertical() const { return m_vertical; }
    // Turning a field swaps its width and height when they lie the other way.
    void setVertical(bool value);

    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& value);
    int Left() const { return x(); }
    void setLeft(int value) { move(value, y()); }
    int Top() const { return y(); }
    void setTop(int value) { move(x(), value); }
    int Width() const { return width(); }
    void setWidth(int value) { resize(value, height()); }
    int Height() const { return height(); }
    void setHeight(int value) { resize(width(), value); }
    // Shown as the tool tip only with ShowHint (the preview keeps data in it).
    QString Hint() const { return m_hint; }
    void setHint(const QString& value);
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool value);
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void setTabStop(bool value);
    bool Visible() const { return !isHidden(); }

    // Code entry (Ctrl+J, Ctrl+U) asks through this; without one it is refused.
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }

    // A streamer sets properties between these two: AutoSize waits for Loaded().
    void BeginLoading() { m_loading = true; }
    void Loaded();

    // Run-time state.
    int caret() const { return m_caret; }
    int anchor() const { return m_anchor; }
    int selectionLength() const { return m_selLength; }
    bool insertMode() const { return m_insertMode; }
    QString previousText() const { return m_previousText; }
    // Puts the caret (and the anchor, so nothing is selected), clamped to the text.
    void setCaret(int position);
    void setSelection(int anchor, int caret);
    // What the IME is composing, drawn at the caret until it is committed.
    QString preeditText() const { return m_preedit; }

    // Geometry of the last layout (the text as painted): text length + 1 positions along the
    // writing direction, in widget pixels, and the alignment's leading offset.
    QList<int> boundaries() const;
    int leadingOffset() const;
    // The layout itself (scale, gaps) and the inset a = BevelSize + Offset.
    CharacterRun run() const;
    int inset() const { return m_bevelSize + m_offset; }
    // The font's cell across the line (ascent + descent): a column's width, a line's height.
    int cellHeight() const;
    // Lays the text out and draws it at `scale` times the widget's pixels, in the font's face
    // at `fontPixels` pixels there, then brings it to the widget: a face shows a field as a
    // printer of that resolution lays it out, not as whole screen pixels round it. A scale or
    // a size of 0 or less: the widget's own pixels and font.
    void setTypesetting(double scale, int fontPixels);
    // L: the length the text is fitted into.
    int availableLength() const;
    // The caret bar (empty when no caret is shown: no focus, disabled or read-only).
    QRect caretRect() const;
    // Where the caret bar stands for index `position`, shown or not.
    QRect caretRectAt(int position) const;
    // The caret index a click at `point` gives.
    int hitTest(QPoint point) const;
    // The text colour: the font colour, or Color darkened by 64 when disabled.
    QColor textColor() const;

    void AutoSizeArrange();

    QSize sizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

Q_SIGNALS:
    // After setText with a new text (at once) and after each edit (queued, once the edit is
    // painted); not after Undo or the two toggles.
    void OnChange();
    void OnClick();
    void OnDblClick();
    void OnEnter();
    void OnExit();
    void OnKeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    struct Layout;
    enum class Command;

    bool isEditable() const;
    const Layout& layout() const;
    void invalidateLayout();
    RunPainter runPainter() const;
    QFont faceFont() const;
    void paintBorder(QPainter& painter) const;
    void paintText(QPainter& painter) const;
    void paintCaret(QPainter& painter) const;

    Command commandOf(const QKeyEvent* event, QString* typed) const;
    void runCommand(Command command, Qt::KeyboardModifiers modifiers);
    void moveBack(Qt::KeyboardModifiers modifiers);
    void moveForward(Qt::KeyboardModifiers modifiers);
    void type(const QString& typed);
    void backspace();
    void deleteKey(bool shift);
    // Characters are selected: the caret and the anchor stand apart.
    bool hasSelection() const;
    void copy();
    void cut();
    void paste();
    void undo();
    void codeEntry(bool unicode);
    void takeFocusBack();
    void deleteSelection(QString& text, int& caret, int& anchor, int& selLength) const;
    void commitEdit(const QString& newText, int caret);
    void notifyChange();
    void clampCaret();
    void showCaret();
    void hideCaret();
    void moveFocus(bool next);
    int unitStart(int position) const;
    int unitEnd(int position) const;
    // Lengths between the widget's pixels and the typesetting's.
    int toTypeset(int pixels) const;
    int fromTypeset(int length) const;

    TAlignment m_alignment = alLeft;
    bool m_autoSelect = false;
    bool m_autoSize = false;
    int m_bevelSize = 2;
    TEditBevel m_borderStyle = bsSingle;
    QColor m_color;
    bool m_nextFocusByEnter = false;
    int m_offset = 2;
    int m_offsetEx = 0;
    bool m_readOnly = false;
    bool m_transParent = false;
    QString m_text;
    bool m_vertical = false;
    QColor m_fontColor;
    QString m_hint;
    bool m_showHint = false;
    int m_tag = 0;

    double m_typesetScale = 1.0;
    int m_typesetFontPixels = 0;

    Prompter* m_prompter = nullptr;
    bool m_loading = false;

    int m_caret = 0;
    int m_anchor = 0;
    int m_selLength = 0;
    bool m_selecting = false;
    bool m_insertMode = true;
    QString m_previousText;
    QString m_preedit;
    int m_preeditCursor = 0;
    QString m_lastComposition;
    bool m_caretShown = false;
    bool m_caretBlinkOn = true;
    QTimer* m_blink = nullptr;

    mutable std::unique_ptr<Layout> m_layout;
};
