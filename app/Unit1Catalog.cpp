// The catalog page of the main window: the checklist of file types, the
// tick-all box, and the links that add and delete a type.

#include "Unit1.h"

#include "ui_Unit1.h"
#include "ui_Unit2.h"

#include "ActionLinks.h"
#include "Cp1251Validator.h"
#include "ErrorBox.h"
#include "MessageBox.h"
#include "Unit2.h"

#include <QShortcut>
#include <QCoreApplication>

void TForm1::buildCatalog()
{
    TDmListView *list = ui->DmListView1;
    list->setColumnWidth(0, 250);
    list->setColumnWidth(1, 236);
    // An edited description is stored in the list file's code page; what it
    // cannot hold is not accepted while typing.
    list->OnCaptionEditor = [](QLineEdit *edit) { dm::restrictToCp1251(edit); };

    connect(ui->CheckBox1, &QCheckBox::toggled, this, dm::guarded([this] { CheckBox1Click(); }));
    dm::onMouseEnter(ui->DmLabel1, [this] { DmLabel1MouseEnter(); });
    connect(ui->DmLabel1, &TDmLinkLabel::clicked, this, dm::guarded([this] { DmLabel1Click(); }));
    connect(ui->Label4, &TDmLinkLabel::clicked, this, dm::guarded([this] { Label4Click(); }));
    // The same from the keyboard, while the list has the focus (not its editor).
    const auto key = [list](QKeySequence keys, auto handler) {
        auto *shortcut = new QShortcut(keys, list, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, list, dm::guarded(handler));
    };
    key(QKeySequence(Qt::Key_Insert), [this] { DmLabel1Click(); });
    key(QKeySequence(Qt::Key_Delete), [this] { Label4Click(); });
}

void TForm1::DmLabel1MouseEnter()
{
    dm::setTextColour(ui->DmLabel1, QColor(0, 128, 0));
}

void TForm1::DmLabel1Click()
{
    ensureDialogs();
    if (!Form2)
        return;
    Form2->ui->LabeledEdit1->clear();
    Form2->ui->LabeledEdit2->clear();
    Form2->exec();
}

void TForm1::Label4Click()
{
    const QList<QTreeWidgetItem *> selected = ui->DmListView1->selectedItems();
    if (selected.isEmpty()) {
        dm::errorDialog(this, QCoreApplication::translate("Dustmote", "Ничего не выбрано?"), QMessageBox::Yes);
        return;
    }
    delete selected.first();
    // The list would select the next row, and the next click delete it unseen.
    ui->DmListView1->clearSelection();
}

void TForm1::CheckBox1Click()
{
    const Qt::CheckState state = ui->CheckBox1->isChecked() ? Qt::Checked : Qt::Unchecked;
    QTreeWidget *list = ui->DmListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        list->topLevelItem(i)->setCheckState(0, state);
}
