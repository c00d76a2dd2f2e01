#include "KeepDialog.h"

#include "MessageBox.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace dm {

KeepDialog::KeepDialog(QWidget *parent) : QDialog(parent), m_kept(KeepList::load())
{
    setObjectName(QStringLiteral("KeepDialog"));
    setWindowTitle(QCoreApplication::translate("Dustmote", "Исключения"));
    auto *layout = new QVBoxLayout(this);
    auto *caption = new QLabel(QCoreApplication::translate("Dustmote", "&Эти файлы и папки не предлагаются к удалению:"), this);
    layout->addWidget(caption);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("KeepListBox"));
    m_list->setAccessibleName(QCoreApplication::translate("Dustmote", "Исключения"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    caption->setBuddy(m_list);
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(this);
    m_remove = buttons->addButton(QCoreApplication::translate("Dustmote", "&Предлагать снова"), QDialogButtonBox::ActionRole);
    m_remove->setObjectName(QStringLiteral("KeepRemove"));
    m_remove->setAccessibleDescription(QCoreApplication::translate("Dustmote", "Убирает выбранные из списка исключений"));
    // Return closes the dialog, as in any dialog, wherever the focus is.
    QPushButton *close = buttons->addButton(QCoreApplication::translate("Dustmote", "&Закрыть"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("KeepClose"));
    close->setDefault(true);
    m_remove->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(m_remove, &QPushButton::clicked, this, &KeepDialog::removeChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *del = new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &KeepDialog::removeChosen);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_remove->setEnabled(!m_list->selectedItems().isEmpty()); });
    resize(520, 320);
    fill();
}

void KeepDialog::fill()
{
    m_list->clear();
    for (const KeptItem &item : m_kept.items())
        m_list->addItem((item.folder ? QCoreApplication::translate("Dustmote", "Папка: ") : QCoreApplication::translate("Dustmote", "Файл: "))
                        + QFile::decodeName(item.path));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    m_remove->setEnabled(!m_list->selectedItems().isEmpty());
}

bool KeepDialog::removeChosen()
{
    std::vector<int> chosen;
    for (const QListWidgetItem *item : m_list->selectedItems())
        chosen.push_back(m_list->row(item));
    if (chosen.empty())
        return true;
    KeepList changed = m_kept;
    changed.removeAt(chosen);
    if (!changed.save()) {
        messageBox({this, windowTitle(),
                    QCoreApplication::translate("Dustmote", "Список исключений не сохранён в «%1».").arg(KeepList::file()),
                    QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok});
        return false;
    }
    const int current = std::min(chosen.front(), int(changed.items().size()) - 1);
    m_kept = std::move(changed);
    fill();
    if (current >= 0)
        m_list->setCurrentRow(current);
    return true;
}

} // namespace dm
