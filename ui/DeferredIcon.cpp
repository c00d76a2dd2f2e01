#include "DeferredIcon.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>
#include <optional>

namespace dm {

namespace {

class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make)
        : m_state(std::make_shared<State>(State{std::move(make), std::nullopt}))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        // size is in device pixels here; the icon wants it in logical ones.
        return scale > 0 ? icon().pixmap(size / scale, scale, mode, state) : pixmap(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("dm-deferred"); }
    // Copies of the icon share the one made.
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    struct State
    {
        std::function<QIcon()> make;
        std::optional<QIcon> icon;
    };

    const QIcon &icon()
    {
        if (!m_state->icon) {
            m_state->icon = m_state->make();
            m_state->make = nullptr;
        }
        return *m_state->icon;
    }

    std::shared_ptr<State> m_state;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> make)
{
    return QIcon(new DeferredIconEngine(std::move(make)));
}

} // namespace dm
