#include "Unit4.h"

#include "ui_Unit4.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <utility>
#include <QCoreApplication>

namespace {

const char kQuote[] = QT_TRANSLATE_NOOP("Dustmote", "Каждому программисту ЭВМ выдает то, что он заслуживает.");

QString quoteText()
{
    return QCoreApplication::translate("Dustmote", kQuote);
}

} // namespace

TForm4::TForm4(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setFixedSize(size());
    // Characters may also arrive composed, without a key press of their own.
    setAttribute(Qt::WA_InputMethodEnabled);
    ui->DmLabel1->installEventFilter(this);
    ui->DmLabel1->setAttribute(Qt::WA_NoMousePropagation);
}

TForm4::~TForm4() = default;

void TForm4::FormCreate()
{
    QLabel *quote = ui->DmLabel1;
    quote->setText(quoteText());

    // The quote's own face is seldom installed on Linux: prefer faces with
    // the same widths, then any serif.
    QFont font = quote->font();
    font.setFamilies({font.family(), QStringLiteral("Times New Roman"),
                      QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"),
                      QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    // A wider fallback must not cut the quote off at the strip's edge, nor a
    // taller one its descenders.
    const int needed = QFontMetrics(font).horizontalAdvance(quoteText());
    if (needed > quote->width())
        font.setPointSizeF(font.pointSizeF() * quote->width() / needed);
    quote->setFont(font);
    quote->resize(quote->width(), qMax(quote->height(), QFontMetrics(font).height()));
}

void TForm4::FormKeyDown(QKeyEvent *)
{
    closeQuote();
}

void TForm4::FormKeyPress(const QString &)
{
    closeQuote();
}

void TForm4::FormMouseDown(QMouseEvent *)
{
    closeQuote();
}

void TForm4::DmLabel1MouseDown(QMouseEvent *)
{
    closeQuote();
}

void TForm4::DmLabel1Click()
{
    closeQuote();
}

void TForm4::setVisible(bool visible)
{
    // Centred on the screen, not on the owner, and without the title-bar
    // allowance QDialog would make for a window that has no frame.
    if (visible) {
        // The quote's face is found the first time it shows: the font
        // fallback it asks for costs the program's start some milliseconds,
        // for a window few ever open.
        if (!std::exchange(m_created, true))
            FormCreate();
        const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect r = rect();
            r.moveCenter(screen->geometry().center());
            move(r.topLeft());
        }
    }
    QDialog::setVisible(visible);
}

bool TForm4::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key is ours: no shortcut may take it first.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        // Taken before QWidget would use Tab for focus and QDialog Esc/Enter.
        auto *key = static_cast<QKeyEvent *>(event);
        FormKeyDown(key);
        if (!key->text().isEmpty())
            FormKeyPress(key->text());
        return true;
    }
    default:
        return QDialog::event(event);
    }
}

void TForm4::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        FormKeyPress(event->commitString());
    event->accept();
}

void TForm4::mousePressEvent(QMouseEvent *event)
{
    FormMouseDown(event);
    event->accept();
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->DmLabel1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_labelPressed = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
            DmLabel1MouseDown(static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseButtonRelease:
            if (std::exchange(m_labelPressed, false)
                && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                DmLabel1Click();
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::closeQuote()
{
    if (isVisible())
        reject();
}
