#include "DmLabels.h"

#include "DesktopOpen.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QUrl>
#include <utility>

TDmLabel::TDmLabel(QWidget *parent) : QLabel(parent) {}

void TDmLabel::setShadow(bool on)
{
    m_shadow = on;
    update();
}

QColor TDmLabel::ShadowColor() const
{
    return m_shadowColor.isValid() ? m_shadowColor : palette().color(QPalette::Dark);
}

void TDmLabel::setShadowColor(const QColor &color)
{
    m_shadowColor = color;
    update();
}

void TDmLabel::paintEvent(QPaintEvent *event)
{
    if (!m_shadow) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setFont(font());
    const QRect r = contentsRect();
    const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    p.setPen(ShadowColor());
    p.drawText(r.translated(2, 2), flags, text());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, flags, text());
}

TDmSeparator::TDmSeparator(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(4);
}

void TDmSeparator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient g(0, 0, width(), 0);
    g.setColorAt(0, palette().color(QPalette::Highlight));
    g.setColorAt(1, palette().color(QPalette::Window));
    p.fillRect(QRect(0, 1, width(), 2), g);
}

namespace {

// What assistive technology sees of a link label: a link named by its text,
// with a press action.
class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(TDmLinkLabel *label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            emit static_cast<TDmLinkLabel *>(widget())->clicked();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *linkLabelFactory(const QString &, QObject *object)
{
    if (auto *label = qobject_cast<TDmLinkLabel *>(object))
        return new LinkLabelAccessible(label);
    return nullptr;
}

} // namespace

TDmLinkLabel::TDmLinkLabel(QWidget *parent) : QLabel(parent)
{
    static const bool accessible = [] {
        QAccessible::installFactory(linkLabelFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
}

void TDmLinkLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TDmLinkLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is no new click (the base class
    // would take it for a press).
    m_pressed = false;
    event->ignore();
}

void TDmLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A release left over from another window, or dragged in from outside,
    // is no click.
    if (event->button() == Qt::LeftButton && std::exchange(m_pressed, false)
        && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void TDmLinkLabel::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
         || event->key() == Qt::Key_Space)
        && event->modifiers() == Qt::NoModifier) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TDmLinkLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter p(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    // Styles draw the frame only after keyboard moves; a link that answers
    // Enter shows that it has the focus however it got it.
    focus.state |= QStyle::State_KeyboardFocusChange;
    focus.rect = contentsRect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
}

TDmURLLabel::TDmURLLabel(QWidget *parent) : TDmLinkLabel(parent)
{
    connect(this, &TDmLinkLabel::clicked, this, &TDmURLLabel::Open);
    updateLook();
}

bool TDmURLLabel::Open()
{
    if (!dm::shellOpen(QUrl::fromUserInput(text())))
        return false;
    if (!m_visited) {
        m_visited = true;
        updateLook();
        emit visitedChanged(true);
    }
    return true;
}

void TDmURLLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        updateLook();
    TDmLinkLabel::changeEvent(event);
}

void TDmURLLabel::updateLook()
{
    QFont f = font();
    f.setUnderline(true);
    if (f != font())
        setFont(f);
    const QColor c = m_visited ? QColor(128, 0, 128) : palette().color(QPalette::Highlight);
    // A stylesheet would fight the palette changes above; set the role directly.
    QPalette pal = palette();
    if (pal.color(QPalette::WindowText) != c) {
        pal.setColor(QPalette::WindowText, c);
        setPalette(pal);
    }
}
