// The shell folder tree's operations on folders: open, cut, copy, paste,
// drop, rename, trash and permanent deletion. Each ends in a refresh; an error
// names the operation and the folder, and gives the reason in Russian. Nothing is ever overwritten or merged: a paste onto
// an existing name offers a new name or changes nothing.

#include "DmShellTree.h"
#include "ErrorBox.h"
#include "MessageBox.h"
#include "ErrorTexts.h"
#include "DesktopOpen.h"
#include "ShellClipboard.h"
#include "ShellMounts.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QCoreApplication>

namespace {

using Model = TDmShellModel;

QString pathOf(const QModelIndex &index)
{
    return index.data(Model::PathRole).toString();
}

bool isFolder(const QModelIndex &index)
{
    return index.isValid() && index.data(Model::KindRole).toInt() == snkFolder;
}

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// "name (копия)", "name (копия 2)", ...: the first that is free in folder.
QString freeName(const QString &folder, const QString &name)
{
    QString candidate = QCoreApplication::translate("Dustmote", "%1 (копия)").arg(name);
    for (int n = 2; taken(joined(folder, candidate)); ++n)
        candidate = QCoreApplication::translate("Dustmote", "%1 (копия %2)").arg(name).arg(n);
    return candidate;
}

// "What failed: why." as one sentence.
QString failure(const QString &what, const QString &reason)
{
    return dm::withFullStop(QStringLiteral("%1: %2").arg(what, reason));
}

QMessageBox::StandardButton ask(QWidget *owner, const QString &text)
{
    return dm::messageBox({owner, QString::fromUtf16(dm::kApplicationTitle), text,
                           QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No});
}

} // namespace

void TDmShellTree::showError(const QString &text)
{
    dm::messageBox({this, QString::fromUtf16(dm::kApplicationTitle), text, QMessageBox::Warning,
                    QMessageBox::Ok});
}

void TDmShellTree::openInFileManager(const QModelIndex &index)
{
    const QString path = pathOf(index);
    if (!path.isEmpty())
        dm::shellOpen(QUrl::fromLocalFile(path));
}

void TDmShellTree::copyToClipboard(const QModelIndex &index, bool cut)
{
    if (isFolder(index))
        QGuiApplication::clipboard()->setMimeData(dm::shellMimeData({pathOf(index)}, cut).release());
}

void TDmShellTree::paste(const QModelIndex &target)
{
    const dm::ShellClipItems items = dm::shellClipItems(QGuiApplication::clipboard()->mimeData());
    // What was cut leaves the clipboard once it has moved, as in file managers.
    pasteItems(items.sources, items.cut, target, items.cut);
}

void TDmShellTree::drop(const QMimeData *data, Qt::DropAction action, const QModelIndex &target)
{
    pasteItems(dm::shellClipItems(data).sources, action == Qt::MoveAction, target, false);
}

void TDmShellTree::pasteItems(const QStringList &sources, bool move, const QModelIndex &target,
                              bool clearClipboard)
{
    const int kind = target.isValid() ? target.data(Model::KindRole).toInt() : -1;
    if (sources.isEmpty() || (kind != snkFolder && kind != snkPlace))
        return;
    const QString folder = pathOf(target);
    const QString folderReal = QFileInfo(folder).canonicalFilePath();
    QStringList from, to;
    for (const QString &source : sources) {
        const bool local = source.startsWith(u'/');
        const QString name = local ? QFileInfo(source).fileName() : QUrl(source).fileName();
        if (name.isEmpty())
            continue;
        if (local) {
            if (move && QFileInfo(source).absolutePath() == folder)
                continue;  // moved onto its own folder: nothing to do
            // A folder copied into itself would copy its own copy without end.
            const QString sourceReal = QFileInfo(source).canonicalFilePath();
            if (!sourceReal.isEmpty()
                && (folderReal == sourceReal || folderReal.startsWith(sourceReal + u'/'))) {
                showError(QCoreApplication::translate("Dustmote", "Папку «%1» нельзя вставить в неё саму.").arg(name));
                return;
            }
        }
        QString path = joined(folder, name);
        if (taken(path)) {
            const QString other = freeName(folder, name);
            if (ask(this, QCoreApplication::translate("Dustmote", "В папке «%1» уже есть «%2». Вставить под именем «%3»?")
                              .arg(folder, name, other))
                != QMessageBox::Yes)
                return;  // nothing has been changed
            path = joined(folder, other);
        }
        from << source;
        to << path;
    }
    if (from.isEmpty())
        return;
    runJob(move ? stkMove : stkCopy, from, to, [clearClipboard] {
        if (clearClipboard)
            QGuiApplication::clipboard()->clear();
    });
}

void TDmShellTree::trash(const QModelIndex &index)
{
    if (!isFolder(index))
        return;
    if (const QString refusal = dm::mountRefusal(pathOf(index), QCoreApplication::translate("Dustmote", "переместить в корзину"));
        !refusal.isEmpty()) {
        showError(refusal);
        return;
    }
    const QString name = index.data().toString();
    m_shell->trash(pathOf(index), this, [this, name](const QString &error) {
        dm::runGuarded([&] {
            if (!error.isEmpty())
                showError(failure(
                    QCoreApplication::translate("Dustmote", "Папку «%1» не удалось переместить в корзину").arg(name), error));
            RefreshTree();
        });
    });
}

void TDmShellTree::deleteForGood(const QModelIndex &index)
{
    if (!isFolder(index))
        return;
    if (const QString refusal = dm::mountRefusal(pathOf(index), QCoreApplication::translate("Dustmote", "удалить"));
        !refusal.isEmpty()) {
        showError(refusal);
        return;
    }
    if (ask(this, QCoreApplication::translate("Dustmote", "Удалить папку «%1» со всем её содержимым безвозвратно?")
                      .arg(index.data().toString()))
        == QMessageBox::Yes)
        runJob(stkDelete, {pathOf(index)}, {}, {});
}

void TDmShellTree::rename(const QModelIndex &index, const QString &newName)
{
    if (!isFolder(index) || newName == index.data(Qt::EditRole).toString())
        return;
    if (newName.isEmpty() || newName == u"." || newName == u".." || newName.contains(u'/')) {
        showError(QCoreApplication::translate("Dustmote", "Имя «%1» не годится для папки: оно не может быть пустым, "
                                 "быть «.» или «..» и содержать «/».").arg(newName));
        return;
    }
    // The rename's own change notice may come before or after its answer.
    m_model->setSkipNextNotice(true);
    const QPersistentModelIndex node(index);
    const QString oldName = index.data().toString();
    m_shell->rename(pathOf(index), newName, this, [this, node, oldName, newName](const QString &error) {
        dm::runGuarded([&] {
            if (!error.isEmpty()) {
                m_model->setSkipNextNotice(false);
                showError(failure(QCoreApplication::translate("Dustmote", "Папку «%1» не удалось переименовать в «%2»")
                                      .arg(oldName, newName), error));
                return;
            }
            if (node.isValid())
                m_model->renamed(node, newName);
            RefreshTree();
        });
    });
}

void TDmShellTree::runJob(TDmShellTransferKind kind, const QStringList &sources,
                          const QStringList &targets, std::function<void()> succeeded)
{
    TDmShellJob *job = m_shell->transfer(kind, sources, targets).release();
    job->setParent(this);  // cancelled and waited for should the tree go first
    // The progress shows only when the operation takes longer than half a
    // second; the window goes on meanwhile.
    auto *progress = new QProgressDialog(this);
    progress->setWindowTitle(QString::fromUtf16(dm::kApplicationTitle));
    const QString name = QFileInfo(sources.value(0)).fileName();
    progress->setLabelText(kind == stkCopy ? QCoreApplication::translate("Dustmote", "Копирование «%1»…").arg(name)
                           : kind == stkMove ? QCoreApplication::translate("Dustmote", "Перемещение «%1»…").arg(name)
                                             : QCoreApplication::translate("Dustmote", "Удаление «%1»…").arg(name));
    progress->setCancelButtonText(QCoreApplication::translate("Dustmote", "Отмена"));
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(500);
    progress->setRange(0, 1000);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, job, &TDmShellJob::cancel);
    connect(job, &TDmShellJob::progress, progress, dm::guarded([progress](qint64 done, qint64 total) {
        if (total > 0 && done < total)
            progress->setValue(int(done * 1000 / total));
    }));
    const QString failed = kind == stkCopy ? QCoreApplication::translate("Dustmote", "«%1» не удалось скопировать").arg(name)
        : kind == stkMove ? QCoreApplication::translate("Dustmote", "«%1» не удалось переместить").arg(name)
                          : QCoreApplication::translate("Dustmote", "«%1» не удалось удалить").arg(name);
    connect(job, &TDmShellJob::finished, this,
            dm::guarded([this, job, progress, succeeded, failed](const QString &error, bool cancelled) {
                progress->deleteLater();
                job->deleteLater();
                if (!error.isEmpty())
                    showError(failure(failed, error));
                else if (!cancelled && succeeded)
                    succeeded();
                RefreshTree();
            }));
}
