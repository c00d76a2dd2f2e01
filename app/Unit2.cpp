#include "Unit2.h"

#include "ui_Unit2.h"

#include "ActionLinks.h"
#include "Cp1251Validator.h"
#include "ErrorBox.h"
#include "ListFile.h"
#include "ScanTexts.h"
#include "MessageBox.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QKeyEvent>
#include <QStyle>
#include <QCoreApplication>

TForm2::TForm2(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm2>())
{
    ui->setupUi(this);
    // Modal to the main window only, so that the tray icon still answers and
    // can bring both back should the window system minimise them.
    setWindowModality(Qt::WindowModal);
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ui->BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    // What the list file cannot hold is not accepted in the first place.
    dm::restrictToCp1251(ui->LabeledEdit1);
    dm::restrictToCp1251(ui->LabeledEdit2);
    // The design size, or more where the fonts need it; never resizable.
    setFixedSize(QSize(377, 135).expandedTo(minimumSizeHint()));

    // The buttons set the result first, so the dialog closes also when the
    // handler fails.
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] {
        setResult(QDialog::Accepted);
        dm::runGuarded([this] { BitBtn1Click(); });
        accept();
    });
    connect(ui->BitBtn2, &QPushButton::clicked, this, [this] {
        setResult(QDialog::Rejected);
        dm::runGuarded([this] { BitBtn2Click(); });
        reject();
    });
}

TForm2::~TForm2() = default;

void TForm2::keyPressEvent(QKeyEvent *event)
{
    // Esc presses the cancel button, so its handler runs as on a click.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui->BitBtn2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->LabeledEdit1->setFocus();
}

void TForm2::BitBtn1Click()
{
    dm::setTextColour(Form1->ui->DmLabel1, Qt::black);
    const QString mask = ui->LabeledEdit2->text();
    if (mask.isEmpty()) {
        dm::errorDialog(this, QCoreApplication::translate("Dustmote", "Не указано расширение файла!"));
        return;
    }
    // A mask that names a place can be written so that it never matches:
    // say what is wrong rather than add a type that finds nothing.
    if (const QString problem = dm::PlaceMaskProblem(mask); !problem.isEmpty()) {
        dm::errorDialog(this, problem);
        return;
    }
    dm::ListViewRows &catalog = Form1->catalog();
    if (catalog.rowCount() >= dm::kMaxListCount) {
        dm::errorDialog(this, QCoreApplication::translate("Dustmote", "В списке уже %1 типов файлов, больше в нём не "
                                             "помещается. Удалите ненужные типы и добавьте "
                                             "этот снова.").arg(dm::kMaxListCount));
        return;
    }
    catalog.appendRow({ui->LabeledEdit1->text(), {mask}, 0});
}

void TForm2::BitBtn2Click()
{
    dm::setTextColour(Form1->ui->DmLabel1, Qt::black);
}
