#include "Unit4.h"

TForm4::TForm4(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(551, 114);
}
