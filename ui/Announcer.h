#pragma once
// Tells a screen reader something that happened away from the focus: the end
// of a scan, of a deletion or of a restore, the page just shown. The toolkit
// has no announcement event, so the announcer is a label with the
// notification role that shows itself anew with each text: screen readers
// speak a notification when it appears. It takes no room on the screen.

#include <QLabel>

class TAnnouncer : public QLabel
{
    Q_OBJECT
public:
    explicit TAnnouncer(QWidget *parent);

    // Spoken once; the last text stays readable as the label's text.
    void say(const QString &text);
};
