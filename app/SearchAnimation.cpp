#include "SearchAnimation.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

// The picture is drawn in design units (80 x 50) and scaled to the widget.

// A sheet of paper with a few lines of "text", turned by `angle` degrees.
void drawSheet(QPainter &p, const QRectF &rect, qreal angle)
{
    p.save();
    p.translate(rect.center());
    p.rotate(angle);
    const QRectF r(-rect.width() / 2, -rect.height() / 2, rect.width(), rect.height());
    p.setPen(QPen(QColor(0x8a, 0x8f, 0x96), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(0x9d, 0xb4, 0xd8), 1.0));
    for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    p.restore();
}

// The folder with its papers: what the glass moves over and magnifies.
void drawFolder(QPainter &p)
{
    const QColor outline(0x7d, 0x56, 0x0c);
    p.setPen(QPen(outline, 1.0));

    // back wall with its tab
    QPainterPath back;
    back.moveTo(5, 47);
    back.lineTo(5, 7);
    back.lineTo(21, 7);
    back.lineTo(24, 10);
    back.lineTo(55, 10);
    back.lineTo(55, 47);
    back.closeSubpath();
    p.setBrush(QColor(0xd9, 0x9b, 0x22));
    p.drawPath(back);

    drawSheet(p, QRectF(10, 4, 28, 30), -5);
    drawSheet(p, QRectF(20, 6, 30, 28), 4);

    // front flap, a little narrower at the top, as if seen from above
    QLinearGradient front(0, 22, 0, 47);
    front.setColorAt(0, QColor(0xff, 0xe3, 0x8a));
    front.setColorAt(1, QColor(0xe8, 0xa9, 0x2a));
    p.setBrush(front);
    p.drawPolygon(QPolygonF({QPointF(8, 22), QPointF(58, 22), QPointF(55, 47), QPointF(5, 47)}));
}

void drawFrame(QPainter &p, int frame, int frameCount)
{
    drawFolder(p);

    // The glass goes once round an ellipse per loop, so the last frame leads
    // smoothly back into the first.
    const qreal t = 2 * M_PI * frame / frameCount;
    const QPointF c(33 + 13 * qCos(t), 24 + 8 * qSin(t));
    const qreal r = 10;
    const qreal d = M_SQRT1_2;

    // handle
    p.setPen(QPen(QColor(0x2b, 0x2f, 0x33), 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(r * d, r * d), c + QPointF((r + 10) * d, (r + 10) * d));
    p.setPen(QPen(QColor(0x6b, 0x73, 0x7b), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF((r + 1) * d - 0.8, (r + 1) * d + 0.8),
               c + QPointF((r + 9) * d - 0.8, (r + 9) * d + 0.8));

    // what the lens shows: the folder, magnified about the lens centre
    QPainterPath lens;
    lens.addEllipse(c, r, r);
    p.save();
    p.setClipPath(lens);
    p.fillPath(lens, QColor(0xe8, 0xf4, 0xff));
    p.translate(c);
    p.scale(1.6, 1.6);
    p.translate(-c);
    drawFolder(p);
    p.restore();

    // glass tint, gloss and rim
    QRadialGradient glass(c - QPointF(r / 3, r / 3), r * 1.2);
    glass.setColorAt(0, QColor(255, 255, 255, 110));
    glass.setColorAt(0.6, QColor(190, 220, 255, 40));
    glass.setColorAt(1, QColor(120, 170, 230, 70));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(0x2b, 0x2f, 0x33), 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(0xb8, 0xc0, 0xc8), 0.8));
    p.drawEllipse(c, r - 1.4, r - 1.4);
}

} // namespace

TAnimate::TAnimate(QWidget *parent)
    : QWidget(parent), m_timer(this)
{
    // No background of its own: the task pane below shows through.
    setAutoFillBackground(false);
    resize(DesignSize);
    m_timer.setInterval(FrameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TAnimate::nextFrame);
}

void TAnimate::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    setFrame(0);
    updateTimer();
    emit activeChanged(active);
}

void TAnimate::Seek(int frame)
{
    setFrame(qBound(0, frame, m_stopFrame));
}

void TAnimate::setStopFrame(int frame)
{
    m_stopFrame = qMax(0, frame);
    if (m_frame > m_stopFrame)
        setFrame(0);
    else
        update();
}

void TAnimate::nextFrame()
{
    setFrame(m_frame >= m_stopFrame ? 0 : m_frame + 1);
}

void TAnimate::setFrame(int frame)
{
    if (frame == m_frame)
        return;
    m_frame = frame;
    update();
    emit frameChanged(frame);
}

void TAnimate::updateTimer()
{
    // Hidden (for instance while the window sits in the tray) nobody sees the
    // frames, so there is no point in waking up for them.
    if (m_active && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

void TAnimate::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void TAnimate::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void TAnimate::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = qMin(width() / qreal(DesignSize.width()),
                             height() / qreal(DesignSize.height()));
    p.translate((width() - DesignSize.width() * scale) / 2,
                (height() - DesignSize.height() * scale) / 2);
    p.scale(scale, scale);
    drawFrame(p, m_frame, m_stopFrame + 1);
}
