#include "ImageList.h"

#include <array>

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
    return path.isEmpty() ? QIcon() : QIcon(path);
}

QIcon applicationIcon()
{
    return QIcon(imagePath("dustmote.svg"));
}

QIcon deleteGlyph()
{
    return QIcon(imagePath("delete-glyph.svg"));
}

} // namespace dm
