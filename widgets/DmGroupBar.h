#pragma once
// The task pane: a vertical bar (TDmGroupBar) that stacks groups (TDmGroup),
// each a caption band over a list of clickable text links (TDmGroupItem).
// Only the task-list look is drawn. Groups live only inside a bar, so that
// the bar alone decides their places; the bar scrolls when they do not fit.

#include "Exception.h"

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QAction;
class QScrollBar;
class TDmGroup;
class TDmGroupBar;

/// Raised when a group is put anywhere but in a bar.
class EDmGroupBarError : public dm::Exception
{
public:
    using Exception::Exception;
};

/// Display state of an item while the mouse is over its group.
enum TDmGroupItemState { gisNormal, gisHot, gisPressed };

/// Item layout of a group; only the small style (text beside a small image) is drawn.
enum TDmGroupItemStyle { isSmall, isLarge };

/// One link of a group. Created only through TDmGroupItems::Add; owned by its group.
class TDmGroupItem : public QObject
{
    Q_OBJECT
public:
    ~TDmGroupItem() override;

    /// Text of the link; "-" draws a divider line instead.
    const QString &Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    /// A disabled item is drawn in the shadow colour and ignores the mouse.
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    /// A hidden item takes no row.
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);
    /// Image in the bar's small images (-1: none); DisabledIndex is shown while disabled.
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int index);
    int DisabledIndex() const { return m_disabledIndex; }
    void setDisabledIndex(int index);
    /// Extra indent in steps of the group's ItemIndent.
    int IndentLevel() const { return m_indentLevel; }
    void setIndentLevel(int level);
    /// Tool tip text (also the accessible description).
    const QString &Hint() const { return m_hint; }
    void setHint(const QString &hint) { m_hint = hint; }
    /// Selection mark; drawn only by groups that show a selection.
    bool Selected() const { return m_selected; }
    void setSelected(bool selected);
    /// Free value for the program.
    qintptr Tag() const { return m_tag; }
    void setTag(qintptr tag) { m_tag = tag; }

    /// Called with the item on a click; when empty, a bound action is triggered instead.
    std::function<void(TDmGroupItem *sender)> OnClick;
    /// Called on a right-button click with the item's index and the screen position.
    std::function<void(TDmGroupItem *sender, int index, QPoint screenPos)> OnPopupClick;

    /// Binds the item to an action (nullptr unbinds): the item takes the action's
    /// text (without "&" marks), enabled state, tool tip and visibility now and
    /// on every later change, for each of them it has not been given otherwise;
    /// a click then triggers the action, which does nothing while it is disabled.
    QAction *Action() const { return m_action; }
    void setAction(QAction *action);

    /// True when a click would run something (OnClick or a bound action).
    bool HasClickHandler() const;
    /// Runs the click: OnClick, else the bound action. Dispatch point for subclasses.
    virtual void Click();

    /// The group that owns the item.
    TDmGroup *Group() const { return m_group; }
    /// Position in the group's items (0-based).
    int Index() const;
    /// Current display state (normal, hot, pressed).
    TDmGroupItemState State() const { return m_state; }
    /// Box of the drawn text in group coordinates (empty while hidden).
    QRect TextRect() const { return m_textRect; }
    /// Box of the drawn image in group coordinates (empty when no image is drawn).
    QRect ImageRect() const { return m_imageRect; }

private:
    friend class TDmGroup;
    friend class TDmGroupItems;
    explicit TDmGroupItem(TDmGroup *group);
    void changed(bool layout);
    void actionChanged();

    TDmGroup *m_group;
    QString m_caption, m_hint;
    bool m_enabled = true, m_visible = true, m_selected = false;
    int m_imageIndex = -1, m_disabledIndex = -1, m_indentLevel = 0;
    qintptr m_tag = 0;
    QPointer<QAction> m_action;
    // What the action last gave, so that only properties still shared follow it.
    QString m_linkedCaption, m_linkedHint;
    bool m_linkedEnabled = true, m_linkedVisible = true;
    TDmGroupItemState m_state = gisNormal;
    bool m_marked = false;
    QRect m_textRect, m_imageRect;
};

/// The ordered items of a group, indexed from 0; part of the group, never copied.
class TDmGroupItems
{
public:
    Q_DISABLE_COPY_MOVE(TDmGroupItems)
    /// Number of items, hidden ones included.
    int Count() const { return int(m_items.size()); }
    /// The item at index (0-based).
    TDmGroupItem *operator[](int index) const { return m_items.at(index); }
    TDmGroupItem *Items(int index) const { return m_items.at(index); }
    /// Appends a new item with the given caption.
    TDmGroupItem *Add(const QString &caption = QString());
    /// Removes and deletes the item at index.
    void Delete(int index);
    /// Removes and deletes every item.
    void Clear();
    /// Position of item, or -1 when it is not one of these.
    int IndexOf(const TDmGroupItem *item) const;
    /// Iteration in order.
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    friend class TDmGroup;
    friend class TDmGroupItem;
    explicit TDmGroupItems(TDmGroup *group) : m_group(group) {}
    TDmGroup *m_group;
    QList<TDmGroupItem *> m_items;
};

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
    friend class TDmGroupBar;
    friend class TDmGroupItem;
    friend class TDmGroupItems;
    struct Row { TDmGroupItem *item; int top, height; QRect text, image; };
    void applyTaskListDefaults();
    void contentChanged();
    void relayout();
    QList<Row> layoutRows(int width, int *height) const;
    bool hasImages() const;
    TDmGroupItem *itemAt(const QPoint &pos) const;
    void setItemState(TDmGroupItem *item, TDmGroupItemState state);
    void updateHover(const QPoint &pos);
    void paintItem(QPainter &painter, const Row &row, int p) const;

    TDmGroupItems m_items{this};
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

/// The bar: stacks its groups from the top with GroupBorderSize around and
/// between them, and shows a vertical scroll bar when they do not fit.
class TDmGroupBar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TDmGroupBarStyle style READ Style WRITE setStyle)
    Q_PROPERTY(int groupBorderSize READ GroupBorderSize WRITE setGroupBorderSize)
    Q_PROPERTY(bool useGradients READ UseGradients WRITE setUseGradients)
    Q_PROPERTY(int colorAdjustment READ ColorAdjustment WRITE setColorAdjustment)
    Q_PROPERTY(QColor color READ Color WRITE setColor)
    Q_PROPERTY(QPalette::ColorRole colorRole READ ColorRole WRITE setColorRole)
public:
    /// Look of the bar; only the task list is drawn.
    enum TDmGroupBarStyle { gbsCategoryView, gbsTaskList, gbsOutlook };
    Q_ENUM(TDmGroupBarStyle)

    /// Creates an empty bar in the task-list style.
    explicit TDmGroupBar(QWidget *parent = nullptr);
    ~TDmGroupBar() override;

    TDmGroupBarStyle Style() const { return m_style; }
    /// Sets the style; the task list sets the window colour, a border of 4,
    /// no gradients, and gives every group the task-list defaults.
    void setStyle(TDmGroupBarStyle style);
    using QWidget::setStyle;
    /// Background colour: an explicit colour, else the palette colour of ColorRole.
    QColor Color() const;
    void setColor(const QColor &color);
    QPalette::ColorRole ColorRole() const { return m_colorRole; }
    /// Follows a palette colour (and forgets an explicit colour).
    void setColorRole(QPalette::ColorRole role);
    /// Margin around and between groups, in pixels.
    int GroupBorderSize() const { return m_groupBorderSize; }
    void setGroupBorderSize(int size);
    bool UseGradients() const { return m_useGradients; }
    void setUseGradients(bool use);
    /// Kept for the category view; no effect in the task list.
    int ColorAdjustment() const { return m_colorAdjustment; }
    void setColorAdjustment(int value) { m_colorAdjustment = value; }
    /// Images of groups that have none of their own (small: beside item text).
    const QList<QIcon> &SmallImages() const { return m_smallImages; }
    void setSmallImages(const QList<QIcon> &images);
    const QList<QIcon> &LargeImages() const { return m_largeImages; }
    void setLargeImages(const QList<QIcon> &images) { m_largeImages = images; }

    /// The groups in order.
    const QList<TDmGroup *> &Groups() const { return m_groups; }
    /// The vertical scroll bar (shown only while the groups do not fit).
    QScrollBar *VerticalScrollBar() const { return m_scrollBar; }
    /// Places the groups again (after a change of size, fonts or contents).
    void Realign();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    friend class TDmGroup;
    void addGroup(TDmGroup *group);
    void removeGroup(const QObject *group);
    int placeGroups(int clientWidth, bool apply);

    QList<TDmGroup *> m_groups;
    QScrollBar *m_scrollBar;
    TDmGroupBarStyle m_style = gbsTaskList;
    std::optional<QColor> m_color;
    QPalette::ColorRole m_colorRole = QPalette::Base;
    int m_groupBorderSize = 4, m_colorAdjustment = 0;
    bool m_useGradients = false, m_realigning = false;
    QList<QIcon> m_smallImages, m_largeImages;
};
