#pragma once
// Small stock controls: labels with a shadow, a separator, and text links.

#include <QLabel>

// A label that can draw its text over a shadow copy, 2 pixels right and down.
class TDmLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(bool shadow READ Shadow WRITE setShadow)
    Q_PROPERTY(QColor shadowColor READ ShadowColor WRITE setShadowColor)

public:
    explicit TDmLabel(QWidget *parent = nullptr);

    bool Shadow() const { return m_shadow; }
    void setShadow(bool on);
    QColor ShadowColor() const;
    void setShadowColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_shadow = false;
    QColor m_shadowColor;
};

// A horizontal separator drawn as a gradient from the highlight colour to the
// background.
class TDmSeparator : public QWidget
{
    Q_OBJECT
public:
    explicit TDmSeparator(QWidget *parent = nullptr);
    QSize sizeHint() const override { return {100, 4}; }

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A text that acts as a link: a click (a left press and release both on it),
// or Enter or Space while it has the focus, emits clicked(). Tab reaches it
// and a dotted frame marks the focus; assistive technology sees a link named
// by its text, with a press action.
class TDmLinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TDmLinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};

// A link label whose text is an address, underlined in the highlight colour;
// a click opens it with the desktop's program and, when that succeeds, the
// link turns to the visited colour.
class TDmURLLabel : public TDmLinkLabel
{
    Q_OBJECT
public:
    explicit TDmURLLabel(QWidget *parent = nullptr);

    bool Visited() const { return m_visited; }

    // Opens the address; returns whether the desktop accepted it.
    bool Open();

signals:
    void visitedChanged(bool visited);

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateLook();
    bool m_visited = false;
};
