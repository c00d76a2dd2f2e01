#pragma once
// The quote window: a borderless black strip with one line of yellow text,
// shown modally from the about box. The first key, character or mouse press
// anywhere on it closes it.

#include <QDialog>
#include <memory>

namespace Ui { class TForm4; }
class QKeyEvent;
class QMouseEvent;

class TForm4 : public QDialog
{
    Q_OBJECT
public:
    // Builds the window from its form description; FormCreate runs when it
    // first shows.
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    // The quote label of the form description.
    std::unique_ptr<Ui::TForm4> ui;

    // Sets the quote's text and a face that fits it on its line.
    void FormCreate();

    // Each of these closes the window (result Rejected); once it is closed,
    // further calls do nothing, so one gesture ends exactly one showing.
    void FormKeyDown(QKeyEvent *event);   // any key, modifiers alone included
    void FormKeyPress(const QString &text); // any character, also one composed
    void FormMouseDown(QMouseEvent *event);
    void DmLabel1MouseDown(QMouseEvent *event);
    void DmLabel1Click();

    // Centres the window on the screen each time it is shown.
    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void closeQuote();
    bool m_labelPressed = false;
    bool m_created = false;
};
