#pragma once
// An item delegate whose check boxes read on any palette: after the style has
// drawn a cell, its check box gets a frame in a colour that stands out from
// the list's base (some styles draw an empty box darker than the window,
// which a dark palette's base swallows).

#include <QStyledItemDelegate>

class TCheckDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The frame's colour on `base`: the text colour halfway to the base,
    // pushed further where that is too faint.
    static QColor frameColour(const QColor &text, const QColor &base);
};
