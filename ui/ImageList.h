#pragma once
// The program's images, drawn as SVG and compiled into the executable (the
// `resources` library, prefix ":/images/"). Icons are read from the SVG when
// first drawn (DeferredIcon.h) and drawn from it, so they are sharp at any
// size: 16 x 16 in menus, larger where a style or the desktop asks for it.
// Call only after the QApplication exists.

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

/// An image list as a component: images by index that other components refer
/// to (the tray icon's Icons). A component holding one forgets it when the
/// list is destroyed.
class TImageList : public QObject
{
    Q_OBJECT
public:
    /// An empty list.
    explicit TImageList(QObject *parent = nullptr);
    /// A list holding `images` in this order.
    explicit TImageList(QList<QIcon> images, QObject *parent = nullptr);

    /// Number of images.
    int Count() const { return int(m_images.size()); }
    /// Image `index`; a null icon when index is out of range.
    QIcon icon(int index) const;
    /// Appends an image and returns its index.
    int Add(const QIcon &image);

private:
    QList<QIcon> m_images;
};

namespace dm {

// Number of images in ImageList1 (twelve).
int ImageList1Count();

// Resource path of image `index` of ImageList1, for example
// ":/images/07-rubbish-bin.svg"; empty when index is out of range.
QString ImageList1Path(int index);

// Image `index` of ImageList1, in this order: 0 hammer, 1 recycle bin, 2 exit
// door, 3 red cross, 4 help book, 5 globe, 6 information sign, 7 grey rubbish
// bin (the tray icon), 8 red bar (stop), 9 green bar (start), 10 floppy disk,
// 11 open folder. A null icon when index is out of range, as an empty slot of
// an image list shows nothing.
QIcon ImageList1(int index);

// A new image list holding the twelve images of ImageList1, owned by parent.
TImageList *createImageList1(QObject *parent);

// The application icon (a broom sweeping dust motes), one SVG for every size.
QIcon applicationIcon();

// Glyph of the found-files page's delete button (a rubbish bin with a red
// cross). Its second, disabled look is the icon's QIcon::Disabled mode, which
// buttons pick by themselves while disabled.
QIcon deleteGlyph();

} // namespace dm
