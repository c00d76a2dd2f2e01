#include "Unit1.h"

#include "ui_Unit1.h"

#include "ActionLinks.h"
#include "AppFolder.h"
#include "DmGroupBar.h"
#include "DmTray.h"
#include "ErrorBox.h"
#include "Exception.h"
#include "FileStream.h"
#include "MessageBox.h"
#include "ErrorTexts.h"
#include "DesktopOpen.h"
#include "ImageList.h"
#include "SearchAnimation.h"
#include "WebSite.h"
#include "ScanTexts.h"
#include "Statistics.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "TypesPage.h"
#include "FoundListView.h"
#include <QCheckBox>

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QUrl>
#include <utility>
#include <QCoreApplication>

namespace {

// The search animation sits under the task pane's last group, the progress
// bar along the pane's bottom edge.
constexpr int kAnimateLeft = 48, kAnimateGap = 12;
constexpr QSize kAnimateSize(80, 50);
constexpr int kProgressLeft = 5, kProgressBottomGap = 27;
constexpr QSize kProgressSize(164, 17);
// The design heights of the strips under the pages and of the title, and the
// design widths of the delete and scan buttons.
constexpr int kStripHeight = 41, kTitleHeight = 54;
constexpr int kDeleteWidth = 139, kScanWidth = 131;

} // namespace

TForm1::TForm1(const QString &executablePath, QWidget *parent, Pages pages)
    : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>())
{
    ui->setupUi(this);
    // Out of the page stack until they join it: a hidden page in the stack is
    // measured and laid out with the window all the same.
    for (QWidget *page : {ui->TabSheet2, ui->TabSheet3, ui->TabSheet4}) {
        ui->DmPageControl1->removeWidget(page);
        m_laterPages.append(page);
    }
    FindFile1 = std::make_unique<dm::TFindFile>();
    FindFile1->setThreaded(true);
    m_catalog = std::make_unique<dm::ListViewRows>(ui->DmListView1);
    // Set once the window shows, for the window manager to take from there:
    // set here, it was drawn at four sizes before the window could appear.
    QTimer::singleShot(0, this, [this] { setWindowIcon(dm::applicationIcon()); });
    m_caption = windowTitle();
    ui->DmURLLabel1->setText(QString::fromUtf16(kWebSiteAddress));
    ui->BitBtn1->setIcon(dm::deleteGlyph());
    buildMenus();
    buildTaskPane();
    buildOverlays();
    buildCatalog();
    buildFoundFiles();
    buildOffer();
    buildDeletion();
    buildTrash();
    buildSchedule();
    buildScan();
    bindHandlers();
    buildLook();

    AppFolder = dm::programFolderOf(executablePath);
    m_listFile = dm::catalogPathFor(AppFolder);
    dm::runGuarded([this] { FormCreate(); });
    if (pages == Pages::AtOnce)
        joinPages();
    else
        ui->DmGroupBar1->installEventFilter(this); // its first paint
}

void TForm1::joinPages()
{
    if (m_laterPages.isEmpty())
        return;
    ui->DmGroupBar1->removeEventFilter(this); // joined before it was drawn
    for (QWidget *page : std::exchange(m_laterPages, {}))
        ui->DmPageControl1->addWidget(page);
    ui->ListView1->setModel(m_found);
    buildTypesPage();
    namePages();
    for (QLabel *label : {ui->Label3, LabelTicked, ui->DmLabel2, ui->DmLabel3, ui->DmLabel4})
        label->installEventFilter(this);
    for (QWidget *strip : {ui->Panel1, ui->Panel2, ui->Panel3, ui->Panel5, static_cast<QWidget *>(ui->DmLabel5)})
        strip->installEventFilter(this);
    holdTextWidths();
    holdStripHeights();
    // On a small screen the pages may need more room than the window took.
    if (isVisible() && screen())
        fitInto(screen()->availableGeometry());
}

TForm1::~TForm1()
{
    // The workers use the window's members: end them first.
    FindFile1.reset();
    m_deletion.reset();
    m_restore.reset();
}

QList<QAction *> TForm1::actions12() const
{
    return {ui->Action1, ui->Action2, ui->Action3,  ui->Action4,  ui->Action5,  ui->Action6,
            ui->Action7, ui->Action8, ui->Action9, ui->Action10, ui->Action11, ui->Action12};
}

void TForm1::buildMenus()
{
    QMenuBar *bar = ui->ActionMainMenuBar1;
    QMenu *file = bar->addMenu(QCoreApplication::translate("Dustmote", "&Файл"));
    dm::addActionItem(file, ui->Action1, dm::ImageList1(2));

    QMenu *view = bar->addMenu(QCoreApplication::translate("Dustmote", "&Вид"));
    dm::addActionItem(view, ui->Action3);
    view->addSeparator();
    dm::addActionItem(view, ui->Action10);
    view->addSeparator();
    ActionTypes = view->addAction(QCoreApplication::translate("Dustmote", "По &типам"));
    ActionTypes->setObjectName(QStringLiteral("ActionTypes"));

    QMenu *service = bar->addMenu(QCoreApplication::translate("Dustmote", "&Сервис"));
    dm::addActionItem(service, ui->Action4, dm::ImageList1(9));
    dm::addActionItem(service, ui->Action5, dm::ImageList1(8));
    service->addSeparator()->setVisible(false);
    dm::addActionItem(service, ui->Action6)->setVisible(false);
    service->addSeparator();
    ActionTrash = service->addAction(QCoreApplication::translate("Dustmote", "Удалять в Корзину"));
    ActionTrash->setObjectName(QStringLiteral("ActionTrash"));
    ActionTrash->setCheckable(true);
    ActionRestore = service->addAction(QCoreApplication::translate("Dustmote", "Вернуть удалённое"));
    ActionRestore->setObjectName(QStringLiteral("ActionRestore"));
    service->addSeparator();
    ActionKeepList = service->addAction(QCoreApplication::translate("Dustmote", "&Исключения…"));
    ActionKeepList->setObjectName(QStringLiteral("ActionKeepList"));

    QMenu *help = bar->addMenu(QCoreApplication::translate("Dustmote", "&Справка"));
    dm::addActionItem(help, ui->Action8, dm::ImageList1(6));
    help->addSeparator();
    dm::addActionItem(help, ui->Action9, dm::ImageList1(5), QCoreApplication::translate("Dustmote", "&Web сайт"));

    // Actions that are on no menu still answer their shortcuts in this window.
    addActions(actions12());

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = dm::addActionItem(PopupMenu1, ui->Action5);
    N2 = PopupMenu1->addAction(QCoreApplication::translate("Dustmote", "Восстановить"));
    N3 = PopupMenu1->addSeparator();
    N4 = dm::addActionItem(PopupMenu1, ui->Action1);
    N2->setObjectName(QStringLiteral("N2"));

    ImageList1 = dm::createImageList1(this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));
    DmTrayIcon1 = new TDmTrayIcon(this);
    DmTrayIcon1->setObjectName(QStringLiteral("DmTrayIcon1"));
    DmTrayIcon1->setPopupMenu(PopupMenu1);
    DmTrayIcon1->setIcons(ImageList1);
    DmTrayIcon1->setIconIndex(7);
    // Loading is complete: the icon goes into the notification area.
    dm::runGuarded([this] { DmTrayIcon1->Loaded(); });
}

void TForm1::buildTaskPane()
{
    for (TDmGroup *group : {ui->DmGroup1, ui->DmGroup2, ui->DmGroup3})
        group->setCursor(Qt::PointingHandCursor);
    ui->DmGroup3->Items(0)->setAction(ui->Action4);
    ui->DmGroup3->Items(1)->setAction(ui->Action5);
    dm::bindButton(ui->BitBtn2, ui->Action4);
}

void TForm1::buildOverlays()
{
    Animate1 = new TAnimate(centralWidget());
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->resize(kAnimateSize);
    ProgressBar1 = new QProgressBar(centralWidget());
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->resize(kProgressSize);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0); // a deletion counts up from 0
    ProgressBar1->hide();
    // The groups move when the pane lays them out again (fonts, scrolling).
    ui->DmGroup3->installEventFilter(this);
    placeOverlays();
}

void TForm1::holdTextWidths()
{
    // Labels whose texts change never ask for more room than they had at the
    // start, so no text widens the window or pushes a button out of it. The
    // total wraps after its caption when a long one must share the strip.
    // So does the count of ticked files under it.
    const std::pair<QLabel *, QString> wrapping[] = {
        {ui->Label3, dm::TotalText(9'999'999'999ULL)}, {LabelTicked, dm::TickedText(9'999'999, 9'999'999'999ULL)}};
    for (const auto &[label, longest] : wrapping) {
        label->setWordWrap(true);
        const QFontMetrics metrics = label->fontMetrics();
        int widest = 0;
        for (const QString &word : longest.split(u' ', Qt::SkipEmptyParts))
            widest = std::max(widest, metrics.horizontalAdvance(word + u' '));
        label->setMinimumWidth(widest + label->contentsMargins().left() + label->contentsMargins().right()
                               + 2 * label->margin());
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        label->setSizePolicy(policy);
    }
    // The total takes the strip's spare room before the gap does, so it
    // wraps only when it must.
    ui->Panel3Layout->setStretchFactor(ui->Label3, 1);
    // The statistics have the room of their widest figures.
    const dm::StatisticsTexts longest = dm::WidestStatisticsTexts();
    const std::pair<QLabel *, QString> figures[] = {
        {ui->DmLabel2, longest.DmLabel2}, {ui->DmLabel3, longest.DmLabel3}, {ui->DmLabel4, longest.DmLabel4}};
    for (const auto &[label, text] : figures) {
        const QString shown = label->text();
        label->setText(text);
        label->setMinimumWidth(label->sizeHint().width());
        label->setText(shown);
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());
    }
    // The buttons keep their design width, and grow when their text needs
    // more (a set minimum outranks the size the text asks for).
    const std::pair<QWidget *, int> buttons[] = {
        {ui->BitBtn1, kDeleteWidth}, {StopButton, kDeleteWidth}, {ui->BitBtn2, kScanWidth}};
    for (const auto &[button, width] : buttons)
        button->setMinimumWidth(std::max(width, button->sizeHint().width()));
    pagesResized();
}

void TForm1::pagesResized()
{
    // A hidden page does not pass a change of its size on; the window's
    // minimum must know it before the page shows, or showing it would
    // resize the window.
    for (int i = 0; i < ui->DmPageControl1->count(); ++i) {
        QWidget *page = ui->DmPageControl1->widget(i);
        for (QWidget *child : page->findChildren<QWidget *>())
            child->updateGeometry();
        if (page->layout())
            page->layout()->invalidate();
    }
    ui->DmPageControl1->updateGeometry();
}

void TForm1::holdStripHeights()
{
    // The strips under the pages and the title keep their design height, and
    // grow when larger fonts need more (a set minimum outranks the size the
    // contents ask for, so it follows them).
    const std::pair<QWidget *, int> strips[] = {
        {ui->Panel1, kStripHeight}, {ui->Panel2, kStripHeight}, {ui->Panel3, kStripHeight},
        {ui->Panel5, kStripHeight}, {ui->DmLabel5, kTitleHeight}};
    bool changed = false;
    for (const auto &[strip, height] : strips) {
        const int wanted = std::max(height, strip->layout() ? strip->layout()->sizeHint().height()
                                                            : strip->sizeHint().height());
        changed = changed || strip->minimumHeight() != wanted;
        strip->setMinimumHeight(wanted);
    }
    if (changed) // and only then, or the pages' new layouts would call this again
        pagesResized();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->DmGroupBar1 && event->type() == QEvent::Paint && !m_laterPages.isEmpty()) {
        // Once the window has been drawn; not during the paint itself.
        QTimer::singleShot(0, this, [this] { joinPages(); });
    }
    if (event->type() == QEvent::FontChange
        && (watched == ui->Label3 || watched == LabelTicked || watched == ui->DmLabel2 || watched == ui->DmLabel3
            || watched == ui->DmLabel4))
        holdTextWidths();
    if ((event->type() == QEvent::LayoutRequest || event->type() == QEvent::FontChange)
        && (watched == ui->Panel1 || watched == ui->Panel2 || watched == ui->Panel3
            || watched == ui->Panel5 || watched == ui->DmLabel5))
        holdStripHeights();
    // The narrowed list on "По типам" takes input when the whole list does.
    if (watched == ui->ListView1 && event->type() == QEvent::EnabledChange && TypesPage) {
        TypesPage->list()->setEnabled(ui->ListView1->isEnabled());
        TypesPage->tickAll()->setEnabled(ui->ListView1->isEnabled());
    }
    if (watched == ui->DmGroup3 && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        placeOverlays();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::placeOverlays()
{
    const QRect pane = ui->DmGroupBar1->geometry();
    const int groupsEnd = ui->DmGroup3->geometry().bottom() + 1;
    Animate1->move(pane.left() + kAnimateLeft, pane.top() + groupsEnd + kAnimateGap);
    ProgressBar1->move(pane.left() + kProgressLeft, pane.bottom() + 1 - kProgressBottomGap);
    Animate1->raise();
    ProgressBar1->raise();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeOverlays();
}

void TForm1::bindHandlers()
{
    using Handler = void (TForm1::*)();
    const std::pair<QAction *, Handler> handlers[] = {
        {ui->Action1, &TForm1::Action1Execute},   {ui->Action2, &TForm1::Action2Execute},
        {ui->Action3, &TForm1::Action3Execute},   {ui->Action4, &TForm1::Action4Execute},
        {ui->Action5, &TForm1::Action5Execute},   {ui->Action8, &TForm1::Action8Execute},
        {ui->Action9, &TForm1::Action9Execute},   {ui->Action10, &TForm1::Action10Execute},
    };
    QList<QAction *> unbound = actions12();
    for (const auto &[action, handler] : handlers) {
        connect(action, &QAction::triggered, this, dm::guarded([this, h = handler] { (this->*h)(); }));
        unbound.removeOne(action);
    }
    // An action without a handler can do nothing, so it is shown disabled.
    for (QAction *action : unbound)
        action->setEnabled(false);

    connect(N2, &QAction::triggered, this, dm::guarded([this] { N2Click(); }));
    // The task pane runs its links' handlers through the same guard.
    ui->DmGroup1->Items(0)->OnClick = [this](TDmGroupItem *) { DmGroup1Items0Click(); };
    ui->DmGroup2->Items(0)->OnClick = [this](TDmGroupItem *) { DmGroup2Items0Click(); };
    ui->DmGroup3->Items(2)->OnClick = [this](TDmGroupItem *) { DmGroup3Items2Click(); };
    ui->DmGroup3->Items(3)->OnClick = [this](TDmGroupItem *) { DmGroup3Items3Click(); };
}

void TForm1::showPage(int index)
{
    if (index > 0) // the first page is in the stack from the start
        joinPages();
    ui->DmPageControl1->setCurrentIndex(index);
}

void TForm1::FormCreate()
{
    showPage(0);
    dm::LoadListViewFromFile(*m_catalog, listFilePath());
    showStatistics();
}

void TForm1::showStatistics()
{
    // All three are read before any label changes, so a failing read leaves
    // every label as it was.
    const dm::StatisticsTexts statistics = dm::ReadStartupStatistics();
    ui->DmLabel2->setText(statistics.DmLabel2);
    ui->DmLabel3->setText(statistics.DmLabel3);
    ui->DmLabel4->setText(statistics.DmLabel4);
    refreshTrashSize();
}

void TForm1::refreshStatistics()
{
    dm::runGuarded([this] { showStatistics(); });
}

void TForm1::Action1Execute()
{
    close();
}

void TForm1::Action2Execute()
{
    // The action has already inverted its own check mark; there is no toolbar.
}

void TForm1::Action3Execute()
{
    // The action has already inverted its check mark; the bar follows it.
    ui->StatusBar1->setVisible(ui->Action3->isChecked());
}

void TForm1::Action8Execute()
{
    ensureDialogs();
    if (Form3)
        Form3->exec();
}

void TForm1::Action9Execute()
{
    dm::shellOpen(QUrl(QString::fromUtf16(kWebSiteAddress)));
}

void TForm1::Action10Execute()
{
    DmTrayIcon1->MinimizeApp();
}

void TForm1::N2Click()
{
    DmTrayIcon1->RestoreApp();
}

void TForm1::DmGroup1Items0Click() { showPageSaying(0); }
void TForm1::DmGroup2Items0Click() { showPageSaying(1); }
void TForm1::DmGroup3Items2Click() { showPageSaying(2); }
void TForm1::DmGroup3Items3Click() { showPageSaying(3); }
