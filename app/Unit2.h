#pragma once
// The new-file-type dialog: a description and a mask, appended to the main
// window's catalog as a new row. Created once and reused; the main window
// empties both edits before each opening.

#include <QDialog>
#include <memory>

namespace Ui { class TForm2; }
class TForm1;

class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    std::unique_ptr<Ui::TForm2> ui;
    // The main window whose catalog and add link the buttons act on.
    TForm1 *Form1 = nullptr;

    // OK: the dialog's result is already OK and it closes whatever happens.
    void BitBtn1Click();
    // Cancel: the result is already Cancel; nothing is added.
    void BitBtn2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
