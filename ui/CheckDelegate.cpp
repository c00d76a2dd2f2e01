#include "CheckDelegate.h"

#include "Contrast.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

void TCheckDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !index.data(Qt::CheckStateRole).isValid())
        return;
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
    if (box.isEmpty())
        return;
    const QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    const QColor base = opt.palette.color(group, QPalette::Base);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(frameColour(opt.palette.color(group, QPalette::Text), base));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->restore();
}

QColor TCheckDelegate::frameColour(const QColor &text, const QColor &base)
{
    const QColor half = QColor::fromRgbF((text.redF() + base.redF()) / 2, (text.greenF() + base.greenF()) / 2,
                                         (text.blueF() + base.blueF()) / 2);
    return dm::readableOn(half, base, dm::kLargeContrast);
}
