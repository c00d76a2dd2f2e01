#pragma once
// Message boxes answered by the test instead of a person.

#include "MessageBox.h"

#include <QList>

namespace dm::test {

// Records the message boxes the code under test would show, answering each
// with `answer`, for as long as it lives.
struct RecordedBoxes
{
    QList<MessageRequest> shown;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    RecordedBoxes()
    {
        setMessageHandler([this](const MessageRequest &r) {
            shown.append(r);
            return answer;
        });
    }
    ~RecordedBoxes() { setMessageHandler({}); }
};

} // namespace dm::test
