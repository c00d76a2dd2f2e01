#include "StatisticsBox.h"

#include "MessageBox.h"
#include "Statistics.h"

namespace dm {

void tellStatisticsInBoxes()
{
    setStatisticsNotice([](const QString &text) {
        MessageRequest box;
        box.title = QString::fromUtf16(kApplicationTitle);
        box.icon = QMessageBox::Warning;
        box.text = text;
        messageBox(box);
    });
}

} // namespace dm
