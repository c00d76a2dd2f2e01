#include "ShellIcons.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {

// Sizes drawn for composed icons: a tree row, and room for larger fonts.
constexpr int kSizes[] = {16, 24, 32};

// The style's stock image for a kind of themed icon name.
QStyle::StandardPixmap stockImage(const QString &name)
{
    if (name == u"user-desktop")
        return QStyle::SP_DesktopIcon;
    if (name == u"computer")
        return QStyle::SP_ComputerIcon;
    if (name == u"user-home")
        return QStyle::SP_DirHomeIcon;
    if (name == u"folder-open")
        return QStyle::SP_DirOpenIcon;
    if (name.startsWith(u"folder"))
        return QStyle::SP_DirIcon;
    if (name.startsWith(u"media-optical"))
        return QStyle::SP_DriveCDIcon;
    if (name.contains(u"network") || name.contains(u"remote"))
        return QStyle::SP_DriveNetIcon;
    return QStyle::SP_DriveHDIcon;
}

QIcon baseIcon(const QStringList &names)
{
    for (const QString &name : names)
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    return QApplication::style()->standardIcon(stockImage(names.value(0)));
}

// The link emblem of the theme, else a small arrow on a white square.
void drawLinkArrow(QPainter &p, int size)
{
    const int s = qMax(8, size / 2);
    const QRect box(0, size - s, s, s);
    const QIcon emblem = QIcon::fromTheme(QStringLiteral("emblem-symbolic-link"));
    if (!emblem.isNull()) {
        emblem.paint(&p, box);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    QPainterPath arrow;
    arrow.moveTo(box.left() + s * 0.25, box.bottom() - s * 0.2);
    arrow.quadTo(box.left() + s * 0.25, box.top() + s * 0.35, box.left() + s * 0.7, box.top() + s * 0.35);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, qMax(1.0, s / 8.0)));
    p.drawPath(arrow);
    QPolygonF head;
    head << QPointF(box.left() + s * 0.55, box.top() + s * 0.15)
         << QPointF(box.left() + s * 0.85, box.top() + s * 0.35)
         << QPointF(box.left() + s * 0.55, box.top() + s * 0.55);
    p.setBrush(Qt::black);
    p.drawPolygon(head);
}

QIcon composed(const QIcon &base, bool link, bool dimmed)
{
    QIcon out;
    for (int size : kSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setOpacity(dimmed ? 0.5 : 1.0);
        base.paint(&p, pixmap.rect());
        p.setOpacity(1.0);
        if (link)
            drawLinkArrow(p, size);
        p.end();
        out.addPixmap(pixmap);
    }
    return out;
}

} // namespace

namespace dm {

QIcon shellIcon(const QStringList &names, bool link, bool dimmed)
{
    static QHash<QString, QIcon> cache;
    const QString key = names.join(u',') + u'|' + QString::number(int(link) * 2 + int(dimmed));
    auto it = cache.find(key);
    if (it == cache.end()) {
        const QIcon base = baseIcon(names);
        it = cache.insert(key, link || dimmed ? composed(base, link, dimmed) : base);
    }
    return *it;
}

} // namespace dm
