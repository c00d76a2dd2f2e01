#include "Contrast.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

namespace dm {
namespace {

double luminance(const QColor &c)
{
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// The design's menu bar colour (red 247, green 246, blue 238).
const QColor kCream(247, 246, 238);

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &wanted, const QColor &background, double minimum)
{
    if (contrastRatio(wanted, background) >= minimum)
        return wanted;
    // Toward white on a dark background, toward black on a light one; the
    // end of that way always reads (ratio at least 4.58 against any colour).
    const bool lighter = luminance(background) < 0.18;
    const QColor end = lighter ? QColor(Qt::white) : QColor(Qt::black);
    QColor c = wanted.toRgb();
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        c = QColor::fromRgbF(float(wanted.redF() + (end.redF() - wanted.redF()) * t),
                             float(wanted.greenF() + (end.greenF() - wanted.greenF()) * t),
                             float(wanted.blueF() + (end.blueF() - wanted.blueF()) * t));
        if (contrastRatio(c, background) >= minimum)
            return c;
    }
    return end;
}

void setReadableTextColour(QWidget *widget, const QColor &wanted, double minimum)
{
    QPalette palette = widget->palette();
    const QColor background = palette.color(widget->backgroundRole());
    palette.setColor(QPalette::WindowText, readableOn(wanted, background, minimum));
    widget->setPalette(palette);
}

QColor menuBarColour(const QPalette &palette)
{
    if (contrastRatio(palette.color(QPalette::WindowText), kCream) < kTextContrast
        || contrastRatio(palette.color(QPalette::ButtonText), kCream) < kTextContrast)
        return QColor();
    return kCream;
}

} // namespace dm
