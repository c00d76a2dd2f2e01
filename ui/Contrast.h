#pragma once
// Colours that must stay readable whatever the palette: a fixed colour of the
// program's look (a red total, a green title, the cream menu bar) is kept
// where it reads against the background, and moved lighter or darker just as
// far as it must where it does not (a dark theme).

#include <QColor>

class QPalette;
class QWidget;

namespace dm {

// Text minimum for normal text, and for bold or large text, links in the
// design's colours and marks.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kLargeContrast = 3.0;

// The contrast ratio of two colours as the web's accessibility guidelines
// define it: from 1 (the same) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// `wanted` where it reaches `minimum` against `background`; otherwise the
// same hue made lighter (on a dark background) or darker (on a light one)
// until it does.
QColor readableOn(const QColor &wanted, const QColor &background, double minimum = 4.5);

// Draws the widget's text in `wanted`, made readable on its background.
void setReadableTextColour(QWidget *widget, const QColor &wanted, double minimum = kTextContrast);

// The menu bar's background: the design's cream where the palette's menu text
// reads on it, else an invalid colour (the palette's own bar).
QColor menuBarColour(const QPalette &palette);

} // namespace dm
