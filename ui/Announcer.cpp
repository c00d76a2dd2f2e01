#include "Announcer.h"

#include <QAccessibleWidget>

namespace {

class AnnouncerAccessible : public QAccessibleWidget
{
public:
    explicit AnnouncerAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? static_cast<QLabel *>(widget())->text() : QString();
    }
};

QAccessibleInterface *announcerFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TAnnouncer") && object->isWidgetType())
        return new AnnouncerAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

TAnnouncer::TAnnouncer(QWidget *parent) : QLabel(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(announcerFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("Announcer"));
    setTextFormat(Qt::PlainText);
    setGeometry(0, 0, 0, 0);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void TAnnouncer::say(const QString &text)
{
    // Hidden and shown again, so that the same text twice is spoken twice.
    hide();
    setText(text);
    show();
}
