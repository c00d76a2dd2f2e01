#include "ShellClipboard.h"

namespace {

// The file managers' record of copied files: "copy" or "cut", then one URI a line.
const QString kCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
// The same mark as another family of file managers keeps it: "1" for cut.
const QString kCutSelection = QStringLiteral("application/x-kde-cutselection");

} // namespace

namespace dm {

std::unique_ptr<QMimeData> shellMimeData(const QStringList &paths, bool cut)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QByteArray record = cut ? "cut" : "copy";
    for (const QString &path : paths) {
        urls << QUrl::fromLocalFile(path);
        record += '\n' + urls.last().toEncoded();
    }
    data->setUrls(urls);
    data->setText(paths.join(u'\n'));
    data->setData(kCopiedFiles, record);
    if (cut)
        data->setData(kCutSelection, "1");
    return data;
}

ShellClipItems shellClipItems(const QMimeData *data)
{
    ShellClipItems items;
    if (!data)
        return items;
    QList<QUrl> urls = data->urls();
    if (data->hasFormat(kCopiedFiles)) {
        const QList<QByteArray> lines = data->data(kCopiedFiles).split('\n');
        items.cut = lines.value(0).trimmed() == "cut";
        if (urls.isEmpty())
            for (qsizetype i = 1; i < lines.size(); ++i)
                if (!lines[i].trimmed().isEmpty())
                    urls << QUrl::fromEncoded(lines[i].trimmed());
    } else {
        items.cut = data->data(kCutSelection) == "1";
    }
    for (const QUrl &url : urls)
        if (url.isValid())
            items.sources << (url.isLocalFile() ? url.toLocalFile() : url.toString());
    return items;
}

} // namespace dm
