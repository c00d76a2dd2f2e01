#include "Unit3.h"

TForm3::TForm3(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("О программе [Dustmote]"));
    setFixedSize(475, 210);
}
