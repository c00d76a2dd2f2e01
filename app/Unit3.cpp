#include "Unit3.h"

#include "ui_Unit3.h"

#include "Contrast.h"

#include "ActionLinks.h"
#include "ErrorBox.h"
#include "DesktopOpen.h"
#include "Unit4.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

TForm3::TForm3(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    // Modal to the main window only, so that the tray icon still answers and
    // can bring both back should the window system minimise them.
    setWindowModality(Qt::WindowModal);
    setFixedSize(size());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    // The title's face is rarely installed on Linux; name the common sans as
    // the fallback rather than leave the choice to the default font.
    QFont title = ui->DmLabel1->font();
    title.setFamilies({title.family(), QStringLiteral("DejaVu Sans")});
    title.setStyleHint(QFont::SansSerif);
    ui->DmLabel1->setFont(title);
    // The title's dark blue, lightened just enough where the palette is dark.
    ui->DmLabel1->setStyleSheet(QStringLiteral("color: %1;").arg(
        dm::readableOn(QColor(0, 51, 102), palette().color(QPalette::Button), dm::kLargeContrast).name()));

    // The one-line texts are laid out for narrower faces than most Linux
    // desktops have; let a line grow to the right rather than lose its end.
    for (QLabel *line : {ui->Label1, ui->Label3, static_cast<QLabel *>(ui->Label4)}) {
        const QSize needed = line->sizeHint();
        line->resize(qBound(line->width(), needed.width(), width() - line->x()),
                     qMax(line->height(), needed.height()));
    }

    // A label passes presses it does not use on to its parent, which would
    // close the box; presses on any line must stay with that line.
    for (QLabel *label : {static_cast<QLabel *>(ui->DmLabel1), ui->Label1, ui->Label2,
                          ui->Label3, static_cast<QLabel *>(ui->Label4)})
        label->setAttribute(Qt::WA_NoMousePropagation);
    ui->Label1->installEventFilter(this);
    connect(ui->Label4, &TDmLinkLabel::clicked, this, dm::guarded([this] { Label4Click(); }));
}

TForm3::~TForm3() = default;

void TForm3::FormKeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        reject();
}

void TForm3::FormMouseDown(QMouseEvent *)
{
    reject();
}

void TForm3::Label1DblClick()
{
    if (Form4)
        Form4->exec();
}

void TForm3::Label4Click()
{
    dm::shellOpen(QUrl::fromLocalFile(AppFolder + QStringLiteral("eula.rtf")));
}

void TForm3::setVisible(bool visible)
{
    // Positioning here rather than leaving it to the first show keeps the box
    // on the main window even after that window has moved.
    if (visible) {
        adjustPosition(parentWidget());
        // The box itself takes the keys when it comes up, as it has no
        // control that does; the link gets the focus only from Tab (or a
        // click), where its frame shows it.
        setFocus(Qt::OtherFocusReason);
    }
    QDialog::setVisible(visible);
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // Handled here in full: QDialog would also act on Enter (default button).
    FormKeyDown(event);
    event->accept();
}

void TForm3::mousePressEvent(QMouseEvent *event)
{
    FormMouseDown(event);
    event->accept();
}

bool TForm3::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Label1 && event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
