#pragma once
// A status bar with the framework's single simple-text field: the text is kept
// whether or not the bar is in simple mode, and shown only while it is.

#include <QStatusBar>

class QLabel;

class TStatusBar : public QStatusBar
{
    Q_OBJECT
    Q_PROPERTY(bool simplePanel READ SimplePanel WRITE setSimplePanel)
    Q_PROPERTY(QString simpleText READ SimpleText WRITE setSimpleText)

public:
    explicit TStatusBar(QWidget *parent = nullptr);

    bool SimplePanel() const { return m_simplePanel; }
    void setSimplePanel(bool on);

    QString SimpleText() const;
    void setSimpleText(const QString &text);

private:
    QLabel *m_text;
    bool m_simplePanel = false;
};
