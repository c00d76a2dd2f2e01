#pragma once
// Keeps a line edit to what an 8-bit code page 1251 string with a 16-bit byte
// count can hold, so a text typed or pasted is never changed when it is
// stored: a character outside the code page, or a text past the length limit,
// is not accepted, and a tooltip under the edit says why.

#include <QValidator>

class QLineEdit;

namespace dm {

class Cp1251Validator : public QValidator
{
    Q_OBJECT
public:
    static constexpr int kMaxBytes = 65535;

    // The validator belongs to `edit`; it also lifts the edit's own length
    // limit (32767 by default), which would cut a pasted text silently.
    explicit Cp1251Validator(QLineEdit *edit);

    State validate(QString &input, int &pos) const override;

    // Why `text` would be refused; empty when it is acceptable.
    static QString refusal(const QString &text);

private:
    QLineEdit *m_edit;
};

// Installs a Cp1251Validator on `edit`.
void restrictToCp1251(QLineEdit *edit);

} // namespace dm
