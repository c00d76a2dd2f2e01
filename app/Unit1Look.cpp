// How the window reads on any desktop: colours checked against the palette,
// what a screen reader is told beside the focus (the end of a job, the page
// just shown), the menu bar on F10, and a size that fits the screen.

#include "Unit1.h"

#include "ui_Unit1.h"

#include "Announcer.h"
#include "Contrast.h"
#include "DmGroupBar.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStyle>

namespace {

// The design's colours of the figures (red) and of the title (green), both
// bold: held to the minimum for bold text, so a light window keeps them.
const QColor kFigureRed(255, 0, 0), kTitleGreen(0, 128, 0);

} // namespace

void TForm1::buildLook()
{
    m_announcer = new TAnnouncer(this);
    ui->DmGroupBar1->setAccessibleName(tr("Шаги"));
    namePages();
    // The desktops' key for the menu bar; Alt and a letter still open one menu.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [this] {
        const QList<QAction *> menus = ui->ActionMainMenuBar1->actions();
        if (!menus.isEmpty())
            ui->ActionMainMenuBar1->setActiveAction(menus.first());
    });
    applyPaletteColours();
}

void TForm1::namePages()
{
    for (int i = 0; i < ui->DmPageControl1->count(); ++i) {
        QWidget *page = ui->DmPageControl1->widget(i);
        page->setAccessibleName(page->windowTitle());
    }
}

void TForm1::applyPaletteColours()
{
    // Palettes, not style sheets: one sheet puts every widget it reaches
    // through the style-sheet style, a millisecond of each start. Each sets
    // only its own role; the rest follows the window's palette.
    QPalette bar;
    if (const QColor cream = dm::menuBarColour(palette()); cream.isValid())
        bar.setColor(QPalette::Window, cream);
    ui->ActionMainMenuBar1->setPalette(bar);
    // Against the window's colour: the labels' own palettes take a change
    // only after the window has heard of it.
    const QColor page = palette().color(QPalette::Window);
    const std::pair<QWidget *, QColor> coloured[] = {
        {ui->Label3, kFigureRed}, {ui->DmLabel2, kFigureRed}, {ui->DmLabel3, kFigureRed},
        {ui->DmLabel4, kFigureRed}, {ui->DmLabel5, kTitleGreen}};
    for (const auto &[widget, colour] : coloured) {
        QPalette text = widget->palette();
        text.setColor(QPalette::WindowText, dm::readableOn(colour, page, dm::kLargeContrast));
        widget->setPalette(text);
    }
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange && !m_applyingColours) {
        const QScopedValueRollback<bool> applying(m_applyingColours, true);
        applyPaletteColours();
    }
    QMainWindow::changeEvent(event);
}

void TForm1::say(const QString &text)
{
    m_announcer->say(text);
}

QString TForm1::spoken() const
{
    return m_announcer->text();
}

void TForm1::showPageSaying(int index)
{
    showPage(index);
    say(ui->DmPageControl1->currentWidget()->accessibleName());
}

void TForm1::fitInto(const QRect &available)
{
    // The window manager's frame is not known before the window is shown:
    // room is left for a title bar and the borders.
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize room = available.size()
        - QSize(frame, frame + style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QSize needed = minimumSizeHint().expandedTo(minimumSize());
    if (needed.width() > room.width() || needed.height() > room.height())
        setMinimumSize(needed.boundedTo(room));
    resize(size().boundedTo(room));
}
