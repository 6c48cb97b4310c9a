#pragma once

// Places the texts of the window's title band by their measured width, so
// that the fonts a desktop substitutes for the named ones (a wider bold
// Latin face under an English locale, another CJK face) neither overlap nor
// clip them. Boxes keep their designed place wherever the text fits there.

#include <QRect>

class QLabel;

namespace rm::ui {

struct TitleBand {
    QLabel* logo;          // the red name
    QLabel* logoShadow;    // the same text, offset, drawn behind it
    QLabel* title;         // the program's name beside it
    QLabel* slogan;        // the line of text towards the right
    QLabel* site;          // the link at the right end, in front of the slogan
    int width;             // the window's width
    int bottom;            // the first row below the band (the separator line)
};

// The rectangle `label`'s text covers with ink, in its parent's coordinates
// (left- and top-aligned plain text on one line).
QRect inkRect(const QLabel* label);

// Moves and sizes the band's labels; shrinks the logo's font only when even
// then it would not fit.
void placeTitleBand(const TitleBand& band);

} // namespace rm::ui
