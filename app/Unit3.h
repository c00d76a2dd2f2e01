#pragma once
// The about box.

#include <QDialog>

class TForm4;

class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);

    // The quote window, opened from the author line.
    TForm4 *Form4 = nullptr;
    // Folder of the executable with a trailing "/"; the terms of use lie there.
    QString AppFolder;
};
