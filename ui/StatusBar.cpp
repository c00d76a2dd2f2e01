#include "StatusBar.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent), m_text(new QLabel(this))
{
    m_text->setTextFormat(Qt::PlainText);
    // Long folder paths must not widen the window.
    m_text->setMinimumWidth(1);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_text, 1);
    m_text->hide();
}

void TStatusBar::setSimplePanel(bool on)
{
    m_simplePanel = on;
    m_text->setVisible(on);
}

QString TStatusBar::SimpleText() const
{
    return m_text->text();
}

void TStatusBar::setSimpleText(const QString &text)
{
    m_text->setText(text);
}
