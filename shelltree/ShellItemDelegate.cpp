#include "ShellItemDelegate.h"
#include "DmShellModel.h"

#include <QProxyStyle>
#include <QWidget>

void ShellItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    QStyleOptionViewItem narrow(option);
    narrow.rect.setWidth(std::min(option.rect.width(), sizeHint(option, index).width()));
    QStyledItemDelegate::paint(painter, narrow, index);
}

void ShellItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected) {
        const QVariant open = index.data(TDmShellModel::OpenIconRole);
        if (open.isValid())
            option->icon = open.value<QIcon>();
    }
    if ((option->state & QStyle::State_Selected) && option->widget && !option->widget->hasFocus()) {
        // The folder a scan will search stays visible, in a quieter highlight.
        option->palette.setColor(QPalette::Highlight, option->palette.color(QPalette::Button).darker(112));
        option->palette.setColor(QPalette::HighlightedText, option->palette.color(QPalette::Text));
    }
    if (option->state & QStyle::State_MouseOver) {
        option->font.setUnderline(true);
        option->palette.setBrush(QPalette::Text, option->palette.link());
    }
}

namespace {

class ShellTreeStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ItemView_ShowDecorationSelected)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QStyle *createShellTreeStyle(QObject *parent)
{
    auto *style = new ShellTreeStyle;
    style->setParent(parent);
    return style;
}
