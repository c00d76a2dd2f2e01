#include "Unit2.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Новый тип файла"));
    setFixedSize(377, 135);
}
