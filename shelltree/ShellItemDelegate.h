#pragma once
// Draws a node of the shell folder tree as a desktop tree does: the open
// folder image on the selected node, the node under the mouse underlined in
// the link colour (hot tracking), the selection in a quiet grey while the
// tree has no focus (so the folder a scan will search always shows), and the
// highlight over the image and caption only, not the whole row.

#include <QStyledItemDelegate>

class ShellItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

/// The application's style, except that a selection never covers the
/// expand button: only the image and caption of a node are highlighted.
QStyle *createShellTreeStyle(QObject *parent);
