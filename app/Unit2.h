#pragma once
// The new-file-type dialog: a description and a mask, appended to the
// catalog as a new row.

#include <QDialog>

class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};
