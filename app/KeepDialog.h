#pragma once
// "Исключения": the files and folders never offered, and the way to offer
// chosen ones again. Each removal is stored at once.

#include "KeepList.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace dm {

class KeepDialog : public QDialog
{
    Q_OBJECT
public:
    explicit KeepDialog(QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *removeButton() const { return m_remove; }
    // Removes the chosen items from the stored list; false (and a message)
    // when it could not be stored, the list then staying as it was.
    bool removeChosen();

private:
    void fill();

    KeepList m_kept;
    QListWidget *m_list;
    QPushButton *m_remove;
};

} // namespace dm
