#include "StandIns.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Новый тип файла"));
    setFixedSize(377, 135);
}

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("О программе [Dustmote]"));
    setFixedSize(475, 210);
}

TForm4::TForm4(QWidget *parent) : QDialog(parent, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(551, 114);
}
