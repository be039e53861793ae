#include "controls/TTateEdit.h"

#include "common/Prompter.h"
#include "common/cp932.h"
#include "typeset/FaceName.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/RunPainter.h"
#include "typeset/TextUnits.h"

#include <QApplication>

#include <QClipboard>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHash>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegularExpression>
#include <QStyleHints>
#include <QTimer>
#include <cmath>

#include <optional>

namespace {

// Sets `member` and says whether it changed: a setter repaints only for a new value.
template <typename T> bool changeTo(T& member, const T& value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

constexpr int InitialWidth = 20;
constexpr int InitialHeight = 121;
// An AutoSize field with no text.
constexpr QSize EmptyAutoSize(20, 12);

// Posted after an edit; OnChange follows once the edit has been painted.
const QEvent::Type ChangeNotification = static_cast<QEvent::Type>(QEvent::registerEventType());

struct Default
{
    const char* name;
    QVariant value;
};

// The declared defaults: what a new field has, and what a layout file leaves out.
QList<Default> declaredDefaults()
{
    const QPalette palette = QApplication::palette();
    return {
        {"Alignment", QVariant::fromValue(TTateEdit::alLeft)},
        {"AutoSelect", false},
        {"AutoSize", false},
        {"BevelSize", 2},
        {"BorderStyle", QVariant::fromValue(TTateEdit::bsSingle)},
        {"Color", palette.color(QPalette::Base)}, // the system window colour
        {"Comment", QString()},
        {"NextFocusByEnter", false},
        {"Offset", 2},
        {"OffsetEx", 0},
        {"ReadOnly", false},
        {"TransParent", false},
        {"Text", QString()},
        {"Vertical", false},
        {"Enabled", true},
        {"FontColor", palette.color(QPalette::Text)},
        {"Hint", QString()},
        {"ShowHint", false},
        {"Tag", 0},
        {"TabStop", true},
        {"Visible", true},
    };
}

bool isHighThenLow(const QString& text, int i)
{
    return i >= 0 && i + 1 < text.size() && text[i].isHighSurrogate() &&
           text[i + 1].isLowSurrogate();
}

// Units (a surrogate pair is one) from the start of `text`, at most `count`, in UTF-16 units.
int leadingUnits(const QString& text, int count)
{
    int pos = 0;
    for (int k = 0; k < count && pos < text.size(); ++k)
        pos += isHighThenLow(text, pos) ? 2 : 1;
    return pos;
}

} // namespace

enum class TTateEdit::Command
{
    None,
    Type,
    SelectAll,
    Copy,
    Cut,
    Paste,
    Backspace,
    Delete,
    Insert,
    Undo,
    Enter,
    Left,
    Right,
    Up,
    Down,
    ToggleVertical,
    ToggleReadOnly,
    ShiftJisCode,
    UnicodeCode,
};

struct TTateEdit::Layout
{
    QString shown; // the text with the IME's pre-edit at the caret
    int preeditStart = 0;
    TextUnits units;
    std::optional<RunPainter> painter;
    CharacterRun run;
    QList<int> boundaries; // per UTF-16 position of `shown`, widget pixels along the line
};

TTateEdit::TTateEdit(QWidget* parent) : QWidget(parent)
{
    FontSubstitutes::install();
    m_blink = new QTimer(this);
    connect(m_blink, &QTimer::timeout, this, [this] {
        m_caretBlinkOn = !m_caretBlinkOn;
        update(caretRect());
    });
    for (const Default& d : declaredDefaults()) {
        if (qstrcmp(d.name, "Visible") != 0)
            setProperty(d.name, d.value);
    }
    QFont f = font();
    f.setFamily(u"ＭＳ ゴシック"_qs);
    setFont(f);
    resize(InitialWidth, InitialHeight);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setAttribute(Qt::WA_OpaquePaintEvent, !m_transParent);
    setCursor(Qt::IBeamCursor);
}

TTateEdit::~TTateEdit() = default;

QVariant TTateEdit::defaultOf(const QString& property)
{
    for (const Default& d : declaredDefaults()) {
        if (property == QLatin1StringView(d.name))
            return d.value;
    }
    return {};
}

// --- properties ---------------------------------------------------------------------------

void TTateEdit::setAlignment(TAlignment value)
{
    if (!changeTo(m_alignment, value))
        return;
    invalidateLayout();
    update();
}

void TTateEdit::setAutoSize(bool value)
{
    if (changeTo(m_autoSize, value))
        AutoSizeArrange();
}

void TTateEdit::setBevelSize(int value)
{
    value = std::max(value, 1);
    if (!changeTo(m_bevelSize, value))
        return;
    invalidateLayout();
    update();
}

void TTateEdit::setBorderStyle(TEditBevel value)
{
    if (changeTo(m_borderStyle, value))
        update();
}

void TTateEdit::setColor(const QColor& value)
{
    if (changeTo(m_color, value))
        update();
}

void TTateEdit::setOffset(int value)
{
    value = std::max(value, 0);
    if (!changeTo(m_offset, value))
        return;
    invalidateLayout();
    update();
}

void TTateEdit::setOffsetEx(int value)
{
    value = std::max(value, 0);
    if (!changeTo(m_offsetEx, value))
        return;
    invalidateLayout();
    update();
}

void TTateEdit::setReadOnly(bool value)
{
    m_readOnly = value;
    setAttribute(Qt::WA_InputMethodEnabled, !value);
    if (value)
        hideCaret();
    update();
}

void TTateEdit::setTransParent(bool value)
{
    if (value == m_transParent)
        return;
    m_transParent = value;
    // Opaque fields paint every pixel; transparent ones let the parent's picture through.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TTateEdit::setText(const QString& value)
{
    if (value != m_text) {
        m_previousText = m_text;
        m_text = value;
        clampCaret();
        invalidateLayout();
        Q_EMIT OnChange();
        AutoSizeArrange();
    }
    update();
}

void TTateEdit::setVertical(bool value)
{
    if (value == m_vertical)
        return;
    m_vertical = value;
    if ((value && height() < width()) || (!value && width() < height()))
        resize(height(), width());
    invalidateLayout();
    update();
}

void TTateEdit::setFontColor(const QColor& value)
{
    if (changeTo(m_fontColor, value))
        update();
}

void TTateEdit::setHint(const QString& value)
{
    m_hint = value;
    setToolTip(m_showHint ? m_hint : QString());
}

void TTateEdit::setShowHint(bool value)
{
    m_showHint = value;
    setToolTip(m_showHint ? m_hint : QString());
}

void TTateEdit::setTabStop(bool value)
{
    // Without a tab stop a field still takes the focus by a click.
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TTateEdit::Loaded()
{
    m_loading = false;
    AutoSizeArrange();
}

void TTateEdit::setCaret(int position)
{
    setSelection(position, position);
}

void TTateEdit::setSelection(int anchor, int caret)
{
    m_anchor = anchor;
    m_caret = caret;
    clampCaret();
    m_selLength = std::abs(m_caret - m_anchor);
    showCaret();
    update();
}

// --- layout -------------------------------------------------------------------------------

QFont TTateEdit::faceFont() const
{
    QFont f = font();
    f.setFamily(FaceName::face(f.family()));
    return f;
}

int TTateEdit::availableLength() const
{
    return (m_vertical ? height() : width()) - 2 * inset();
}

void TTateEdit::invalidateLayout()
{
    m_layout.reset();
}

const TTateEdit::Layout& TTateEdit::layout() const
{
    if (m_layout)
        return *m_layout;
    auto l = std::make_unique<Layout>();
    const int caretPos = std::clamp(m_caret, 0, int(m_text.size()));
    l->preeditStart = caretPos;
    l->shown =
        m_preedit.isEmpty() ? m_text : m_text.left(caretPos) + m_preedit + m_text.mid(caretPos);
    l->units = TextUnits(l->shown);
    QFont typeset = font();
    if (m_typesetFontPixels > 0)
        typeset.setPixelSize(m_typesetFontPixels);
    l->painter.emplace(typeset, this,
                       m_vertical ? RunPainter::Direction::Vertical
                                  : RunPainter::Direction::Horizontal);
    const int a = inset();
    l->run = l->painter->layOut(l->units, toTypeset(availableLength()), toTypeset(m_offsetEx - a),
                                alignModeFromInt(int(m_alignment)), CharacterRun::Rule::Screen);
    // Boundary k is where UTF-16 position k starts; inside a surrogate pair the caret never
    // stands, and a click there counts as on the pair.
    const qsizetype length = l->shown.size();
    l->boundaries.reserve(length + 1);
    for (qsizetype k = 0; k <= length; ++k) {
        const int unit = l->units.unitAt(k);
        const bool inside = unit < l->units.count() && l->units.position(unit) != k;
        l->boundaries.append(a + fromTypeset(l->run.boundary(inside ? unit + 1 : unit)));
    }
    m_layout = std::move(l);
    return *m_layout;
}

QList<int> TTateEdit::boundaries() const
{
    return layout().boundaries;
}

int TTateEdit::leadingOffset() const
{
    return layout().run.offset();
}

CharacterRun TTateEdit::run() const
{
    return layout().run;
}

int TTateEdit::cellHeight() const
{
    return fromTypeset(layout().painter->cellHeight());
}

void TTateEdit::setTypesetting(double scale, int fontPixels)
{
    if (scale <= 0 || fontPixels <= 0) {
        scale = 1.0;
        fontPixels = 0;
    }
    if (scale == m_typesetScale && fontPixels == m_typesetFontPixels)
        return;
    m_typesetScale = scale;
    m_typesetFontPixels = fontPixels;
    invalidateLayout();
    update();
}

int TTateEdit::toTypeset(int pixels) const
{
    return int(std::lround(pixels * m_typesetScale));
}

int TTateEdit::fromTypeset(int length) const
{
    return int(std::lround(length / m_typesetScale));
}

RunPainter TTateEdit::runPainter() const
{
    return *layout().painter;
}

QRect TTateEdit::caretRectAt(int position) const
{
    const Layout& l = layout();
    // Past the caret the pre-edit pushes the text on.
    if (!m_preedit.isEmpty() && position > l.preeditStart)
        position += int(m_preedit.size());
    position = std::clamp(position, 0, int(l.boundaries.size()) - 1);
    const int b = l.boundaries.at(position);
    const int a = inset();
    const int h = cellHeight();
    return m_vertical ? QRect(a - 1, b, h, 1) : QRect(b, a - 1, 1, h);
}

QRect TTateEdit::caretRect() const
{
    if (!m_caretShown || !hasFocus() || !isEditable())
        return {};
    const Layout& l = layout();
    if (!m_preedit.isEmpty()) {
        // The caret of the composition, inside the pre-edit.
        const int shownPos = l.preeditStart + std::clamp(m_preeditCursor, 0, int(m_preedit.size()));
        const int b = l.boundaries.at(shownPos);
        const int a = inset();
        const int h = cellHeight();
        return m_vertical ? QRect(a - 1, b, h, 1) : QRect(b, a - 1, 1, h);
    }
    return caretRectAt(m_caret);
}

int TTateEdit::hitTest(QPoint point) const
{
    const Layout& l = layout();
    const int c = m_vertical ? point.y() : point.x();
    const int n = int(l.boundaries.size()) - 1;
    int result = n;
    for (int i = 1; i <= n; ++i) {
        if (c < l.boundaries.at(i)) {
            result = i - 1;
            break;
        }
    }
    if (!m_preedit.isEmpty() && result > l.preeditStart)
        result = std::max(l.preeditStart, result - int(m_preedit.size()));
    return std::min(result, int(m_text.size()));
}

QColor TTateEdit::textColor() const
{
    if (isEnabled())
        return m_fontColor;
    return QColor(std::max(m_color.red() - 64, 0), std::max(m_color.green() - 64, 0),
                  std::max(m_color.blue() - 64, 0));
}

void TTateEdit::AutoSizeArrange()
{
    if (!m_autoSize || m_loading || !parentWidget())
        return;
    QSize size = EmptyAutoSize;
    if (!m_text.isEmpty()) {
        const QFontMetrics metrics(faceFont(), this);
        const int along = metrics.horizontalAdvance(m_text);
        const int across = metrics.height();
        size = QSize(m_offset + m_bevelSize + along + 4, m_offset + m_bevelSize + across + 4);
    }
    // A column grows downwards.
    if (m_vertical)
        size.transpose();
    if (size != this->size())
        resize(size);
}

QSize TTateEdit::sizeHint() const
{
    return QSize(InitialWidth, InitialHeight);
}

// --- painting -----------------------------------------------------------------------------

void TTateEdit::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transParent) {
        painter.fillRect(rect(), m_color);
        paintBorder(painter);
        painter.fillRect(rect().adjusted(m_bevelSize, m_bevelSize, -m_bevelSize, -m_bevelSize),
                         m_color);
    }
    if (!layout().shown.isEmpty())
        paintText(painter);
    paintCaret(painter);
}

void TTateEdit::paintBorder(QPainter& painter) const
{
    const QRect r = rect();
    if (m_borderStyle == bsNone || r.isEmpty())
        return;
    painter.save();
    if (m_borderStyle == bsXpStyle) {
        painter.setPen(QColor(127, 157, 185));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.restore();
        return;
    }
    const QPalette& pal = palette();
    const bool sunken = m_borderStyle == bsSingle;
    const QColor outerTopLeft = pal.color(sunken ? QPalette::Dark : QPalette::Light);
    const QColor outerBottomRight = pal.color(sunken ? QPalette::Light : QPalette::Dark);
    const QColor innerTopLeft = pal.color(sunken ? QPalette::Shadow : QPalette::Midlight);
    const QColor innerBottomRight = pal.color(sunken ? QPalette::Midlight : QPalette::Shadow);
    for (int k = 0; k < m_bevelSize; ++k) {
        const QRect ring = r.adjusted(k, k, -k, -k);
        if (ring.width() <= 0 || ring.height() <= 0)
            break;
        const QColor& topLeft = k == 0 ? outerTopLeft : innerTopLeft;
        const QColor& bottomRight = k == 0 ? outerBottomRight : innerBottomRight;
        // Top and left stop short of the far corners, which belong to bottom and right.
        painter.fillRect(QRect(ring.left(), ring.top(), ring.width() - 1, 1), topLeft);
        painter.fillRect(QRect(ring.left(), ring.top(), 1, ring.height() - 1), topLeft);
        painter.fillRect(QRect(ring.left(), ring.bottom(), ring.width(), 1), bottomRight);
        painter.fillRect(QRect(ring.right(), ring.top(), 1, ring.height()), bottomRight);
    }
    painter.restore();
}

void TTateEdit::paintText(QPainter& painter) const
{
    const Layout& l = layout();
    const RunPainter& rp = *l.painter;
    const int a = inset();
    const QColor color = textColor();

    const bool showSelection = isEnabled() && !m_readOnly && !m_transParent && m_caret != m_anchor;
    auto shownPosition = [&](int pos) {
        return !m_preedit.isEmpty() && pos > l.preeditStart ? pos + int(m_preedit.size()) : pos;
    };
    const int selFrom = shownPosition(std::min(m_anchor, m_caret));
    const int selTo = shownPosition(std::max(m_anchor, m_caret));
    const int preeditFrom = l.preeditStart;
    const int preeditTo = l.preeditStart + int(m_preedit.size());

    // A unit's cell in the run's own pixels (the typesetting's), from the text's corner.
    auto typesetCell = [&](int unit) {
        const int along = l.run.boundary(unit);
        const int length = l.run.step(unit);
        return m_vertical ? QRect(0, along, rp.cellHeight(), length)
                          : QRect(along, 0, length, rp.cellHeight());
    };
    // The same in the widget's pixels.
    auto cellOf = [&](int unit) {
        const QRect c = typesetCell(unit);
        const QPoint from(a + fromTypeset(c.left()), a + fromTypeset(c.top()));
        const QPoint to(a + fromTypeset(c.left() + c.width()),
                        a + fromTypeset(c.top() + c.height()));
        return QRect(from, to - QPoint(1, 1));
    };

    painter.save();
    painter.setPen(color);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    auto selectedUnit = [&](int i) {
        const int pos = int(l.units.position(i));
        return showSelection && pos >= selFrom && pos < selTo &&
               !(pos >= preeditFrom && pos < preeditTo);
    };
    for (int i = 0; showSelection && i < l.units.count(); ++i)
        if (selectedUnit(i))
            painter.fillRect(cellOf(i), highlight);
    // The glyphs at the typesetting's resolution, brought to the widget's pixels.
    painter.save();
    painter.translate(a, a);
    painter.scale(1.0 / m_typesetScale, 1.0 / m_typesetScale);
    if (!showSelection) {
        rp.paint(painter, QPoint(0, 0), l.units, l.run);
    } else {
        const float glyphScale = rp.glyphScale(l.run);
        for (int i = 0; i < l.units.count(); ++i) {
            painter.setPen(selectedUnit(i) ? highlightText : color);
            rp.paintUnit(painter, typesetCell(i).topLeft(), l.units.at(i), l.run.step(i),
                         glyphScale);
        }
    }
    painter.restore();
    // The IME's pre-edit, underlined along the line (on the right of a column).
    if (!m_preedit.isEmpty()) {
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < l.units.count(); ++i) {
            const int pos = int(l.units.position(i));
            if (pos < preeditFrom || pos >= preeditTo)
                continue;
            const QRect cell = cellOf(i);
            const QRect line = m_vertical ? QRect(cell.right(), cell.top(), 1, cell.height())
                                          : QRect(cell.left(), cell.bottom(), cell.width(), 1);
            painter.fillRect(line.adjusted(0, 0, 0, 0), color);
        }
    }
    painter.restore();
}

void TTateEdit::paintCaret(QPainter& painter) const
{
    if (!m_caretBlinkOn)
        return;
    const QRect r = caretRect();
    if (r.isEmpty())
        return;
    painter.save();
    // Inverted, as a system caret is.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(r, Qt::white);
    painter.restore();
}

void TTateEdit::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FontChange:
        invalidateLayout();
        AutoSizeArrange();
        update();
        break;
    case QEvent::EnabledChange:
        if (!isEnabled())
            hideCaret();
        update();
        break;
    case QEvent::PaletteChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void TTateEdit::resizeEvent(QResizeEvent* event)
{
    invalidateLayout();
    QWidget::resizeEvent(event);
}

// --- editing ------------------------------------------------------------------------------

bool TTateEdit::isEditable() const
{
    return isEnabled() && !m_readOnly;
}

void TTateEdit::clampCaret()
{
    const int length = int(m_text.size());
    m_caret = unitStart(std::clamp(m_caret, 0, length));
    m_anchor = unitStart(std::clamp(m_anchor, 0, length));
}

int TTateEdit::unitStart(int position) const
{
    return isHighThenLow(m_text, position - 1) ? position - 1 : position;
}

int TTateEdit::unitEnd(int position) const
{
    return isHighThenLow(m_text, position) ? position + 2 : position + 1;
}

void TTateEdit::showCaret()
{
    const bool shown = hasFocus() && isEditable();
    m_caretShown = shown;
    m_caretBlinkOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (shown && flash > 0)
        m_blink->start(flash / 2);
    else
        m_blink->stop();
    update();
    if (shown)
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition |
                                               Qt::ImSurroundingText | Qt::ImFont);
}

void TTateEdit::hideCaret()
{
    m_caretShown = false;
    m_blink->stop();
    update();
}

void TTateEdit::moveFocus(bool next)
{
    hideCaret();
    focusNextPrevChild(next);
}

void TTateEdit::deleteSelection(QString& text, int& caret, int& anchor, int& selLength) const
{
    const int from = std::min(anchor, caret);
    const int to = std::max(anchor, caret);
    text.remove(from, to - from);
    caret = anchor = from;
    selLength = 0;
}

void TTateEdit::commitEdit(const QString& newText, int caret)
{
    m_previousText = m_text;
    m_text = newText;
    m_caret = m_anchor = caret;
    m_selLength = 0;
    clampCaret();
    invalidateLayout();
    AutoSizeArrange();
    notifyChange();
    showCaret();
}

void TTateEdit::notifyChange()
{
    QCoreApplication::postEvent(this, new QEvent(ChangeNotification));
}

TTateEdit::Command TTateEdit::commandOf(const QKeyEvent* event, QString* typed) const
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    int code = -1;
    switch (event->key()) {
    case Qt::Key_Up:
        return Command::Up;
    case Qt::Key_Down:
        return Command::Down;
    case Qt::Key_Left:
        return Command::Left;
    case Qt::Key_Right:
        return Command::Right;
    case Qt::Key_Delete:
        return Command::Delete;
    case Qt::Key_Insert:
        return Command::Insert;
    case Qt::Key_Backspace:
        code = ctrl ? 127 : 8;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        code = 9;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = ctrl ? 10 : 13;
        break;
    case Qt::Key_Escape:
        code = 27;
        break;
    default:
        if (ctrl && !mods.testFlag(Qt::AltModifier)) {
            const int key = event->key();
            if (key >= Qt::Key_A && key <= Qt::Key_Z)
                code = key - Qt::Key_A + 1;
            else if (key == Qt::Key_At || key == Qt::Key_2)
                code = 0;
            else if (key == Qt::Key_BracketLeft)
                code = 27;
            else if (key == Qt::Key_Backslash)
                code = 28;
            else if (key == Qt::Key_BracketRight)
                code = 29;
            else if (key == Qt::Key_AsciiCircum || key == Qt::Key_6)
                code = 30;
            else if (key == Qt::Key_Underscore || key == Qt::Key_Minus)
                code = 31;
            else
                return Command::None; // Ctrl with a key that makes no character
        }
        break;
    }

    switch (code) {
    case -1:
        break;
    case 1:
        return Command::SelectAll;
    case 3:
        return Command::Copy;
    case 8:
        return Command::Backspace;
    case 10:
        return Command::ShiftJisCode;
    case 13:
        return Command::Enter;
    case 16:
        return Command::Delete;
    case 18:
        return Command::ToggleReadOnly;
    case 21:
        return Command::UnicodeCode;
    case 22:
        return Command::Paste;
    case 24:
        return Command::Cut;
    case 25:
        return Command::ToggleVertical;
    case 26:
    case 27:
        return Command::Undo;
    case 28:
        return Command::Right;
    case 29:
        return Command::Left;
    case 30:
        return Command::Up;
    case 31:
        return Command::Down;
    default:
        // Tab, Ctrl+L and the control characters without a command are not typed either.
        return Command::None;
    }

    if (mods.testFlag(Qt::AltModifier) || mods.testFlag(Qt::MetaModifier))
        return Command::None;
    const QString text = event->text();
    if (text.isEmpty())
        return Command::None;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.category() == QChar::Other_Control)
            return Command::None;
    }
    if (typed)
        *typed = text;
    return Command::Type;
}

bool TTateEdit::event(QEvent* event)
{
    if (event->type() == ChangeNotification) {
        repaint();
        Q_EMIT OnChange();
        update();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride && isEditable()) {
        // The window's shortcuts (Ctrl+C, Esc, Delete ...) must not take the field's keys.
        auto* key = static_cast<QKeyEvent*>(event);
        if (commandOf(key, nullptr) != Command::None) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TTateEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isEditable()) {
        event->ignore();
        return;
    }
    // A held key acts once.
    if (event->isAutoRepeat()) {
        event->accept();
        Q_EMIT OnKeyDown(event->key(), event->modifiers());
        return;
    }
    QString typed;
    const Command command = commandOf(event, &typed);
    if (command == Command::None || (command == Command::Enter && !m_nextFocusByEnter)) {
        // Unused keys go on to the window (Enter to its default button).
        Q_EMIT OnKeyDown(event->key(), event->modifiers());
        event->ignore();
        return;
    }
    event->accept();
    if (command == Command::Type)
        type(typed);
    else
        runCommand(command, event->modifiers());
    Q_EMIT OnKeyDown(event->key(), event->modifiers());
}

void TTateEdit::runCommand(Command command, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (command) {
    case Command::None:
    case Command::Type:
        break;
    case Command::SelectAll:
        m_caret = 0;
        m_anchor = m_selLength = int(m_text.size());
        showCaret();
        break;
    case Command::Copy:
        copy();
        break;
    case Command::Cut:
        cut();
        break;
    case Command::Paste:
        paste();
        break;
    case Command::Backspace:
        backspace();
        break;
    case Command::Delete:
        deleteKey(shift);
        break;
    case Command::Insert:
        m_insertMode = !m_insertMode;
        break;
    case Command::Undo:
        undo();
        break;
    case Command::Enter:
        if (m_nextFocusByEnter)
            moveFocus(!shift);
        break;
    case Command::Left:
        if (m_vertical)
            moveFocus(false);
        else
            moveBack(modifiers);
        break;
    case Command::Up:
        if (m_vertical)
            moveBack(modifiers);
        else
            moveFocus(false);
        break;
    case Command::Right:
        if (m_vertical)
            moveFocus(true);
        else
            moveForward(modifiers);
        break;
    case Command::Down:
        if (m_vertical)
            moveForward(modifiers);
        else
            moveFocus(true);
        break;
    case Command::ToggleVertical:
        setVertical(!m_vertical);
        showCaret();
        break;
    case Command::ToggleReadOnly:
        setReadOnly(!m_readOnly);
        break;
    case Command::ShiftJisCode:
        codeEntry(false);
        break;
    case Command::UnicodeCode:
        codeEntry(true);
        break;
    }
}

void TTateEdit::moveBack(Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        if (m_caret > 0) {
            m_caret = unitStart(m_caret - 1);
            ++m_selLength;
        }
    } else if (modifiers.testFlag(Qt::ControlModifier)) {
        if (m_vertical) {
            // Ctrl+Up selects the whole column, the caret at its end.
            m_caret = m_selLength = int(m_text.size());
            m_anchor = 0;
        } else {
            m_caret = m_anchor = m_selLength = 0;
        }
    } else {
        if (m_caret > 0) {
            m_caret = m_anchor = unitStart(m_caret - 1);
            m_selLength = 0;
        }
    }
    showCaret();
}

void TTateEdit::moveForward(Qt::KeyboardModifiers modifiers)
{
    const int length = int(m_text.size());
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        if (m_caret < length) {
            m_caret = unitEnd(m_caret);
            ++m_selLength;
        }
    } else if (modifiers.testFlag(Qt::ControlModifier)) {
        m_caret = m_anchor = length;
        m_selLength = 0;
    } else {
        if (m_caret < length)
            m_caret = unitEnd(m_caret);
        m_anchor = m_caret;
        m_selLength = 0;
    }
    showCaret();
}

void TTateEdit::type(const QString& typed)
{
    QString work = m_text;
    int caret = m_caret;
    int anchor = m_anchor;
    int selLength = m_selLength;
    if (selLength > 0)
        deleteSelection(work, caret, anchor, selLength);
    QString head = work.left(caret);
    QString tail = work.mid(caret);
    if (!m_insertMode)
        tail.remove(0, leadingUnits(tail, 1));
    head += typed;
    commitEdit(head + tail, int(head.size()));
}

void TTateEdit::backspace()
{
    if (m_text.isEmpty())
        return;
    const bool selected = hasSelection();
    // A selection goes whichever end the caret is at; otherwise the unit before the caret.
    if (!selected) {
        if (m_caret <= 0)
            return;
        m_anchor = m_caret;
        m_caret = unitStart(m_caret - 1);
        m_selLength = 1;
    }
    QString work = m_text;
    int caret = m_caret;
    int anchor = m_anchor;
    int selLength = m_selLength;
    deleteSelection(work, caret, anchor, selLength);
    commitEdit(work, caret);
}

void TTateEdit::deleteKey(bool shift)
{
    if (shift) {
        commitEdit(QString(), 0);
        return;
    }
    const int length = int(m_text.size());
    QString work = m_text;
    int caret = m_caret;
    if (hasSelection()) {
        // A selection goes, as with Backspace, whichever end the caret is at.
        int anchor = m_anchor;
        int selLength = m_selLength;
        deleteSelection(work, caret, anchor, selLength);
    } else {
        if (length == 0 || m_caret >= length)
            return;
        work.remove(m_caret, unitEnd(m_caret) - m_caret);
    }
    commitEdit(work, caret);
}

bool TTateEdit::hasSelection() const
{
    return m_selLength > 0 && m_caret != m_anchor;
}

void TTateEdit::copy()
{
    const int from = std::min(m_anchor, m_caret);
    const int to = std::max(m_anchor, m_caret);
    const QString copied = m_selLength > 0 && from < to ? m_text.mid(from, to - from) : m_text;
    QGuiApplication::clipboard()->setText(copied);
}

void TTateEdit::cut()
{
    if (!hasSelection())
        return;
    copy();
    QString work = m_text;
    int caret = m_caret;
    int anchor = m_anchor;
    int selLength = m_selLength;
    deleteSelection(work, caret, anchor, selLength);
    commitEdit(work, caret);
}

namespace {

// The clipboard's text; when it has none, a plain text in a Japanese code page.
QString clipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    QString text = clipboard->text();
    if (!text.isEmpty())
        return text;
    const QMimeData* data = clipboard->mimeData();
    if (!data)
        return {};
    for (const QString& format : data->formats()) {
        const QString lower = format.toLower();
        if (lower.startsWith(u"text/plain") &&
            (lower.contains(u"shift_jis") || lower.contains(u"windows-31j") ||
             lower.contains(u"cp932"))) {
            text = cp932::toUnicode(data->data(format));
            if (!text.isEmpty())
                return text;
        }
    }
    return {};
}

} // namespace

void TTateEdit::paste()
{
    QString pasted = clipboardText();
    // A cell copied from a spreadsheet ends in a line break that a one-line field cannot show.
    while (pasted.endsWith(u'\n') || pasted.endsWith(u'\r'))
        pasted.chop(1);
    QString work = m_text;
    int caret = m_caret;
    int anchor = m_anchor;
    int selLength = m_selLength;
    if (selLength > 0)
        deleteSelection(work, caret, anchor, selLength);
    const QString head = work.left(caret);
    QString tail = work.mid(caret);
    if (!m_insertMode)
        tail.remove(0, leadingUnits(tail, TextUnits(pasted).count()));
    // The caret stays before the pasted text.
    commitEdit(head + pasted + tail, caret);
}

void TTateEdit::undo()
{
    std::swap(m_text, m_previousText);
    clampCaret();
    invalidateLayout();
    showCaret();
}

void TTateEdit::codeEntry(bool unicode)
{
    if (!m_prompter)
        return;
    // The dialog takes the focus, and the caret with it: the character goes where the caret
    // stood when the key was pressed, and the field has the focus again afterwards.
    const int caret = m_caret;
    const QPointer<TTateEdit> self(this);
    const std::optional<QString> answer = m_prompter->askText(
        u"文字コード入力"_qs,
        unicode ? u"全角ユニコード文字(16進数４桁)"_qs : u"全角シフトJIS文字(16進数４桁)"_qs,
        unicode ? u"3013"_qs : u"81ac"_qs);
    if (!self)
        return;
    m_caret = m_anchor = caret;
    m_selLength = 0;
    clampCaret();
    takeFocusBack();
    if (!answer)
        return;
    bool ok = false;
    const QString digits = answer->trimmed();
    // Hexadecimal digits only: no sign, no "0x".
    static const QRegularExpression hex(u"^[0-9A-Fa-f]{1,8}$"_qs);
    quint64 value = hex.match(digits).hasMatch() ? digits.toULongLong(&ok, 16) : 0;
    if (!ok)
        value = 0;
    value %= 65536;

    QString character;
    if (unicode) {
        // A lone surrogate is no character.
        if (value <= 256 || QChar::isSurrogate(char32_t(value)))
            return;
        character = QChar(char16_t(value));
    } else {
        if (value < 0x8140 || value > 0xFC4B)
            return;
        const char bytes[2] = {char(value >> 8), char(value & 0xFF)};
        character = cp932::toUnicode(QByteArrayView(bytes, 2));
        // A code without a character decodes to a replacement or to two pieces.
        if (TextUnits(character).count() != 1 || character == u"\uFFFD"_qs ||
            character.front().unicode() < 0x20)
            return;
    }
    const int at = m_caret;
    commitEdit(m_text.left(at) + character + m_text.mid(at), at + int(character.size()));
}

// --- focus and mouse ----------------------------------------------------------------------

void TTateEdit::takeFocusBack()
{
    // Its own window in front again, not the one the dialog was opened over.
    window()->raise();
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
    showCaret();
}

void TTateEdit::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (isEditable()) {
        m_anchor = m_caret;
        m_selLength = 0;
        if (m_autoSelect && !m_text.isEmpty()) {
            m_caret = m_selLength = int(m_text.size());
            m_anchor = 0;
        }
        showCaret();
    }
    update();
    Q_EMIT OnEnter();
}

void TTateEdit::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_caret = m_anchor = m_selLength = 0;
    m_selecting = false;
    if (!m_preedit.isEmpty()) {
        m_preedit.clear();
        m_lastComposition.clear();
        invalidateLayout();
    }
    hideCaret();
    Q_EMIT OnExit();
}

void TTateEdit::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!hasFocus() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    m_selecting = true;
    m_caret = m_anchor = hitTest(event->position().toPoint());
    m_selLength = 0;
    if (!m_transParent)
        update();
    showCaret();
}

void TTateEdit::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting)
        return;
    m_caret = hitTest(event->position().toPoint());
    // A hand that shook on a click has selected nothing.
    m_selLength = std::abs(m_caret - m_anchor);
    if (!m_transParent)
        update();
    showCaret();
}

void TTateEdit::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = m_selecting && rect().contains(event->position().toPoint());
    m_selecting = false;
    showCaret();
    if (clicked)
        Q_EMIT OnClick();
}

void TTateEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    // The release that follows is not another click.
    m_selecting = false;
    Q_EMIT OnDblClick();
}

// --- input method -------------------------------------------------------------------------

void TTateEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!isEditable()) {
        event->ignore();
        return;
    }
    event->accept();
    const QString commit = event->commitString();
    if (!commit.isEmpty()) {
        QString work = m_text;
        int caret = m_caret;
        int anchor = m_anchor;
        int selLength = m_selLength;
        if (selLength > 0)
            deleteSelection(work, caret, anchor, selLength);
        QString head = work.left(caret);
        QString tail = work.mid(caret);
        if (!m_insertMode) {
            // Overwriting replaces as many units as the composition showed.
            const int replaced = m_lastComposition.isEmpty() ? TextUnits(commit).count()
                                                             : int(m_lastComposition.size());
            tail.remove(0, leadingUnits(tail, replaced));
        }
        head += commit;
        m_preedit.clear();
        m_lastComposition.clear();
        commitEdit(head + tail, int(head.size()));
    }

    m_preedit = event->preeditString();
    m_preeditCursor = int(m_preedit.size());
    for (const QInputMethodEvent::Attribute& attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_preeditCursor = attribute.start;
    }
    m_lastComposition = m_preedit;
    invalidateLayout();
    update();
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

QVariant TTateEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return isEditable();
    case Qt::ImCursorRectangle: {
        // The candidate window goes beside the caret: below it in a line, to the right of
        // the column (past the width of a full-width square) in a vertical field.
        const QRect caret = caretRectAt(m_caret);
        if (m_vertical) {
            const int square = QFontMetrics(faceFont(), this).horizontalAdvance(u'■');
            return QRect(caret.left() + 1 + square + 1, caret.top() + 1, 1, 1);
        }
        return QRect(caret.left() + 1, caret.top() + 1, 1, caret.height());
    }
    case Qt::ImFont:
        return faceFont();
    case Qt::ImCursorPosition:
    case Qt::ImAbsolutePosition:
        return m_caret;
    case Qt::ImAnchorPosition:
        return m_anchor;
    case Qt::ImSurroundingText:
        return m_text;
    case Qt::ImCurrentSelection: {
        const int from = std::min(m_anchor, m_caret);
        return m_text.mid(from, std::abs(m_caret - m_anchor));
    }
    case Qt::ImTextBeforeCursor:
        return m_text.left(m_caret);
    case Qt::ImTextAfterCursor:
        return m_text.mid(m_caret);
    case Qt::ImHints:
        return int(Qt::ImhNone);
    case Qt::ImReadOnly:
        return m_readOnly;
    default:
        return QWidget::inputMethodQuery(query);
    }
}
