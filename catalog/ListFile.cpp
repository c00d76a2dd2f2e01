#include "ListFile.h"

#include "FileStream.h"

#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

namespace dm {
namespace {

void ioErrorBox(const ListViewAccess &view, const QString &text)
{
    view.tellReadError(text);
}

// Copies an unreadable list beside itself under the first free backup name and
// says so in a sentence for the message box.
QString keepBackup(const QString &path)
{
    QString backup = path + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(backup); ++n)
        backup = path + QStringLiteral(".bak%1").arg(n);
    QFile source(path);
    if (source.copy(backup))
        return QCoreApplication::translate("Dustmote", "Исходный файл сохранён под именем «%1».")
            .arg(QFileInfo(backup).fileName());
    return QCoreApplication::translate("Dustmote", "Сохранить копию исходного файла не удалось (%1); при выходе "
                          "из программы он будет перезаписан.")
        .arg(source.errorString());
}

} // namespace

void SaveListViewToFile(const ListViewAccess &view, const QString &path)
{
    QList<ListRow> rows;
    rows.reserve(view.rowCount());
    for (int i = 0; i < view.rowCount(); ++i)
        rows.append(view.row(i));
    const QByteArray bytes = encodeListFile(rows);
    AtomicFileWriter file(path);
    file.write(bytes);
    file.commit();
}

void LoadListViewFromFile(ListViewAccess &view, const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        ioErrorBox(view, QCoreApplication::translate("Dustmote", "Не удалось загрузить лист"));
        return;
    }
    const QByteArray bytes = FileReader(path).readAll();
    DecodedList list = decodeListFile(bytes);
    const QString name = QFileInfo(path).fileName();
    switch (list.status) {
    case DecodedList::Complete:
        view.replaceRows(list.rows);
        return;
    case DecodedList::WrongMagic:
        ioErrorBox(view, QCoreApplication::translate("Dustmote", "Файл «%1» не является списком типов файлов.\n%2")
                             .arg(name, keepBackup(path)));
        return;
    case DecodedList::CutOff:
        view.replaceRows(list.rows);
        ioErrorBox(view, QCoreApplication::translate("Dustmote", "Список типов файлов «%1» повреждён: прочитано "
                                        "строк — %2 из %3.\n%4")
                             .arg(name, QString::number(list.rows.size()),
                                  QString::number(list.statedRows), keepBackup(path)));
        return;
    }
}

} // namespace dm
