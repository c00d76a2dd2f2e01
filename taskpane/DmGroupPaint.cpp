// Painting a group of the task pane: the caption band, the divider under it
// and each link in the look of its state. Where the links lie is worked out
// with the layout (DmGroup.cpp).

#include "DmGroup.h"
#include "DmGroupBar.h"
#include "Contrast.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace {

QColor blend(const QColor &a, const QColor &b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

void TDmGroup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor background = Color();
    painter.fillRect(rect(), background);

    const QFont captionFont = CaptionFont();
    const int captionTextHeight = QFontMetrics(captionFont).height();
    painter.setFont(captionFont);
    painter.setPen(dm::readableOn(palette().color(QPalette::WindowText), background, dm::kLargeContrast));
    painter.drawText(QRect(8, (m_captionHeight - captionTextHeight) / 2, width() - 24 - 8,
                           captionTextHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);

    if (m_dividerVisible) {
        const QRect line(0, m_captionHeight - 1, width(), 1);
        const TDmGroupBar *bar = GroupBar();
        if (bar && bar->UseGradients() && m_useGradients && depth() >= 24) {
            QLinearGradient gradient(0, 0, width(), 0);
            gradient.setColorAt(0, background);
            gradient.setColorAt(1, DividerColor());
            painter.fillRect(line, gradient);
        } else {
            painter.fillRect(line, DividerColor());
        }
    }

    int height = 0;
    const QList<Row> rows = layoutRows(width(), &height);
    const int p = (m_itemHeight - QFontMetrics(font()).height()) / 2;
    painter.setFont(font());
    for (const Row &row : rows)
        paintItem(painter, row, p);
}

void TDmGroup::paintItem(QPainter &painter, const Row &row, int p) const
{
    const TDmGroupItem *item = row.item;
    if (item->Caption() == QLatin1String("-")) {
        painter.fillRect(QRect(8, row.top + row.height / 2, width() - 16, 1), DividerColor());
        return;
    }
    const QPalette &pal = palette();
    const TDmGroupItemState state = m_views.value(item).state;
    QColor color = pal.color(QPalette::WindowText);
    bool underline = false;
    if (!item->Enabled()) {
        const QColor shadow = pal.color(QPalette::Dark);
        color = Color() == shadow ? pal.color(QPalette::Button) : shadow;
    } else if (state == gisHot) {
        color = ItemHotColor();
        underline = true;
    } else if (state == gisPressed) {
        color = blend(pal.color(QPalette::Dark), ItemHotColor());
        underline = true;
    }
    if (!row.image.isNull()) {
        const QList<QIcon> &images = GroupBar()->SmallImages();
        const bool useDisabled = !item->Enabled() && item->DisabledIndex() >= 0;
        const int index = useDisabled ? item->DisabledIndex() : item->ImageIndex();
        if (index < images.size())
            images[index].paint(&painter, QRect(row.image.topLeft(), QSize(ImageSize, ImageSize)),
                                Qt::AlignCenter,
                                item->Enabled() || useDisabled ? QIcon::Normal : QIcon::Disabled);
    }
    if (m_showItemSelection && item->Selected()) {
        painter.setPen(pal.color(QPalette::Highlight));
        painter.drawRect(QRect(4, row.top, width() - 9, row.height - 1));
    }
    QFont font = painter.font();
    font.setUnderline(underline);
    painter.setFont(font);
    // The palette's link and shadow colours are meant for its base, not for
    // the pane's colour: on a dark palette they may vanish. Where they stand
    // out enough they are kept as the palette gives them.
    painter.setPen(dm::readableOn(color, Color(), dm::kLargeContrast));
    const int x = row.text.left();
    const QRect text(x, row.top + p, std::max(1, width() - 8 - x), row.text.height());
    painter.drawText(text, TextFlags, item->Caption());
    const TDmGroupBar *bar = GroupBar();
    if (bar && bar->hasFocus() && bar->FocusedItem() == item && item->Enabled()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = row.text.adjusted(-2, -1, 2, 1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
