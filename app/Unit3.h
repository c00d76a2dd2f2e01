#pragma once
// The about box: the program's name and version, its author, purpose and
// rights, and a link to the terms of use. It has no buttons and nothing takes
// the focus, so the box itself gets every key; Esc or a press on its
// background closes it.

#include <QDialog>
#include <memory>

namespace Ui { class TForm3; }
class TForm4;
class QKeyEvent;
class QMouseEvent;

class TForm3 : public QDialog
{
    Q_OBJECT
public:
    // Builds the box from its form description; parent is the main window,
    // which the box is centred on whenever it is shown.
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    // The labels of the form description.
    std::unique_ptr<Ui::TForm3> ui;

    // The quote window, opened from the author line (set by the program's entry).
    TForm4 *Form4 = nullptr;
    // Folder of the executable with a trailing "/"; the terms of use lie there.
    QString AppFolder;

    // Esc closes the box (result Rejected); every other key is ignored.
    void FormKeyDown(QKeyEvent *event);
    // Any button pressed on the background closes the box.
    void FormMouseDown(QMouseEvent *event);
    // Shows the quote window modally; the box stays open beneath it.
    void Label1DblClick();
    // Asks the desktop to open AppFolder + "eula.rtf"; whatever the outcome,
    // nothing is reported and the box stays open.
    void Label4Click();

    // Centres the box on the main window each time it is shown.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
