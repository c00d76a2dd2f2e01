#include "ImageList.h"

#include "DeferredIcon.h"

#include <array>
#include <utility>

TImageList::TImageList(QObject *parent) : QObject(parent) {}

TImageList::TImageList(QList<QIcon> images, QObject *parent)
    : QObject(parent), m_images(std::move(images))
{
}

QIcon TImageList::icon(int index) const
{
    return index >= 0 && index < Count() ? m_images.at(index) : QIcon();
}

int TImageList::Add(const QIcon &image)
{
    m_images.append(image);
    return Count() - 1;
}

namespace dm {

namespace {

// Index order is the order of ImageList1; actions and the tray refer to
// images by these indices.
constexpr std::array<const char *, 12> kImageList1 = {
    "00-hammer.svg",      "01-recycle-bin.svg", "02-exit.svg",
    "03-red-cross.svg",   "04-help-book.svg",   "05-globe.svg",
    "06-information.svg", "07-rubbish-bin.svg", "08-stop.svg",
    "09-start.svg",       "10-floppy-disk.svg", "11-open-folder.svg",
};

QString imagePath(const char *fileName)
{
    return QStringLiteral(":/images/") + QLatin1String(fileName);
}

} // namespace

int ImageList1Count()
{
    return int(kImageList1.size());
}

QString ImageList1Path(int index)
{
    if (index < 0 || index >= ImageList1Count())
        return {};
    return imagePath(kImageList1[size_t(index)]);
}

QIcon ImageList1(int index)
{
    const QString path = ImageList1Path(index);
    return path.isEmpty() ? QIcon() : deferredIcon([path] { return QIcon(path); });
}

TImageList *createImageList1(QObject *parent)
{
    QList<QIcon> images;
    for (int i = 0; i < ImageList1Count(); ++i)
        images.append(ImageList1(i));
    return new TImageList(std::move(images), parent);
}

QIcon applicationIcon()
{
    return deferredIcon([] { return QIcon(imagePath("dustmote.svg")); });
}

QIcon deleteGlyph()
{
    return deferredIcon([] { return QIcon(imagePath("delete-glyph.svg")); });
}

} // namespace dm
