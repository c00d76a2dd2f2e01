#include "DmLabels.h"

#include "Shell.h"

#include <QUrl>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>

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

TDmURLLabel::TDmURLLabel(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
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

void TDmURLLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Open();
    QLabel::mouseReleaseEvent(event);
}

void TDmURLLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter
        || event->key() == Qt::Key_Space) {
        Open();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TDmURLLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        updateLook();
    QLabel::changeEvent(event);
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
