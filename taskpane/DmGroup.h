#pragma once
// A group of the task pane: a caption band over its links. Groups live only
// inside a bar (DmGroupBar.h), which places them.

#include "DmGroupItems.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <optional>

class TDmGroupBar;

/// A group of the bar: a caption band over its items. Its height follows its
/// items and fonts; the bar places it.
class TDmGroup : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ Caption WRITE setCaption)
    Q_PROPERTY(int openedHeight READ OpenedHeight WRITE setOpenedHeight)
    Q_PROPERTY(int captionHeight READ CaptionHeight WRITE setCaptionHeight)
    Q_PROPERTY(int itemHeight READ ItemHeight WRITE setItemHeight)
    Q_PROPERTY(int itemIndent READ ItemIndent WRITE setItemIndent)
    Q_PROPERTY(bool canClose READ CanClose WRITE setCanClose)
    Q_PROPERTY(bool opened READ Opened WRITE setOpened)
    Q_PROPERTY(bool dividerVisible READ DividerVisible WRITE setDividerVisible)
    Q_PROPERTY(bool useGradients READ UseGradients WRITE setUseGradients)
    Q_PROPERTY(QStringList items READ itemCaptions WRITE setItemCaptions)
public:
    /// Creates a group in the bar `parent`; throws EDmGroupBarError when
    /// `parent` is not a TDmGroupBar.
    explicit TDmGroup(QWidget *parent);
    ~TDmGroup() override;

    /// Moves the group to another bar; throws EDmGroupBarError for anything else.
    void setParent(QWidget *parent);
    void setParent(QWidget *parent, Qt::WindowFlags flags);
    /// The bar that holds the group.
    TDmGroupBar *GroupBar() const;

    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int CaptionHeight() const { return m_captionHeight; }
    void setCaptionHeight(int height);
    /// Caption font; by default the group's font in bold.
    QFont CaptionFont() const;
    void setCaptionFont(const QFont &font);
    int CaptionImageIndex() const { return m_captionImageIndex; }
    void setCaptionImageIndex(int index) { m_captionImageIndex = index; }
    /// Background of caption and items; the bar's colour while ColorDefault.
    QColor Color() const;
    void setColor(const QColor &color);
    bool ColorDefault() const { return !m_color.has_value(); }
    void setColorDefault(bool useBarColor);
    bool CanClose() const { return m_canClose; }
    void setCanClose(bool canClose) { m_canClose = canClose; }
    bool Opened() const { return m_opened; }
    void setOpened(bool opened) { m_opened = opened; }
    /// Height of a group without items.
    int OpenedHeight() const { return m_openedHeight; }
    void setOpenedHeight(int height);
    bool DividerVisible() const { return m_dividerVisible; }
    void setDividerVisible(bool visible);
    /// Divider line colour; the palette's highlight unless set.
    QColor DividerColor() const;
    void setDividerColor(const QColor &color);
    /// Minimum height of an item row.
    int ItemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);
    int ItemIndent() const { return m_itemIndent; }
    void setItemIndent(int indent);
    TDmGroupItemStyle ItemStyle() const { return m_itemStyle; }
    void setItemStyle(TDmGroupItemStyle style);
    /// Text colour of the item under the mouse; the palette's link colour unless set.
    QColor ItemHotColor() const;
    void setItemHotColor(const QColor &color);
    bool ShowItemSelection() const { return m_showItemSelection; }
    void setShowItemSelection(bool show);
    bool UseGradients() const { return m_useGradients; }
    void setUseGradients(bool use);

    /// The items.
    TDmGroupItems &Items() { return m_items; }
    const TDmGroupItems &Items() const { return m_items; }
    /// The item at index (0-based).
    TDmGroupItem *Items(int index) const { return m_items[index]; }
    /// Captions of all items; setting replaces the items by new ones with these captions.
    QStringList itemCaptions() const;
    void setItemCaptions(const QStringList &captions);

    /// The height the group takes at the given width.
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QSize sizeHint() const override;

    // The group lays out its items and tracks the mouse over them; its bar,
    // its items and their collection tell it of changes through these.

    /// Where an item is drawn, in group coordinates (empty while hidden or
    /// without an image), and how it stands under the mouse.
    struct ItemView
    {
        QRect text, image;
        TDmGroupItemState state = gisNormal;
        bool marked = false; // the left button went down on it
    };
    ItemView itemView(const TDmGroupItem *item) const { return m_views.value(item); }
    /// Lays the items out again, repaints and has the bar place its groups again.
    void itemsChanged();
    /// An item's look changed (with layout: its size too); a disabled item
    /// loses its mark and its hover look.
    void itemChanged(const TDmGroupItem *item, bool layout);
    /// Gives the group the task-list look; the bar does so when the group
    /// joins it and when it chooses the task list.
    void applyTaskListDefaults();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    static constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
    static constexpr int ImageSize = 16;
    struct Row { TDmGroupItem *item; int top, height; QRect text, image; };
    void relayout();
    QList<Row> layoutRows(int width, int *height) const;
    // The last layout: its wrapped texts are most of what a group costs, and
    // the bar, the hit boxes and every paint ask for it at the same width.
    // Forgotten whenever an item, a property, the font or the bar changes.
    struct Layout { int width = -1; int height = 0; QList<Row> rows; };
    mutable Layout m_layout;
    bool hasImages() const;
    TDmGroupItem *itemAt(const QPoint &pos) const;
    void setItemState(const TDmGroupItem *item, TDmGroupItemState state);
    void updateHover(const QPoint &pos);
    void paintItem(QPainter &painter, const Row &row, int p) const;

    TDmGroupItems m_items{this};
    QHash<const TDmGroupItem *, ItemView> m_views;
    QString m_caption;
    int m_captionHeight = 20, m_captionImageIndex = -1, m_openedHeight = 100;
    int m_itemHeight = 20, m_itemIndent = 20;
    std::optional<QFont> m_captionFont;
    std::optional<QColor> m_color, m_dividerColor, m_itemHotColor;
    bool m_canClose = false, m_opened = true, m_dividerVisible = true;
    bool m_showItemSelection = false, m_useGradients = false;
    TDmGroupItemStyle m_itemStyle = isSmall;
    bool m_handCursor = false, m_ownCursorSet = false;
    QCursor m_ownCursor;
    QPointer<TDmGroupItem> m_popupItem;
};
