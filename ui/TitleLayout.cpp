#include "ui/TitleLayout.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>

#include <algorithm>

namespace rm::ui {

namespace {

constexpr int gap = 3;              // between the inks of neighbouring texts
constexpr int edgeMargin = 3;       // between the link's ink and the window's right edge
constexpr qreal smallestLogoPoints = 12;

// Where a label's line puts its baseline below its top. A glyph taken from a
// fallback face (Chinese text in a Latin font) can make the line taller than
// the font's own ascent, so it is measured on a laid-out line.
int baselineOf(const QFont& font, const QString& text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setNumColumns(text.size());
    layout.endLayout();
    return line.isValid() ? qRound(line.ascent()) : QFontMetrics(font).ascent();
}

QRect inkOf(const QFont& font, const QString& text, QPoint topLeft)
{
    return QFontMetrics(font).tightBoundingRect(text).translated(topLeft + QPoint(0, baselineOf(font, text)));
}

// A label wide and high enough for its text's ink and line, keeping `topLeft`.
void fitBox(QLabel* label, QPoint topLeft)
{
    const QFontMetrics metrics(label->font());
    const QRect ink = inkOf(label->font(), label->text(), QPoint());
    const int width = std::max({label->width(), metrics.horizontalAdvance(label->text()), ink.right() + 1});
    const int height = std::max({label->height(), metrics.height(), ink.bottom() + 1});
    label->setGeometry(QRect(topLeft, QSize(width, height)));
}

// The top at which `label`'s ink starts at `inkTop` or lower, keeping its own top when that is enough.
int topFor(const QLabel* label, int inkTop)
{
    const int inkOffset = inkOf(label->font(), label->text(), QPoint()).top();
    return std::max(label->y(), inkTop - inkOffset);
}

} // namespace

QRect inkRect(const QLabel* label)
{
    return inkOf(label->font(), label->text(), label->pos());
}

void placeTitleBand(const TitleBand& band)
{
    // Right to left: the link ends inside the window, the slogan ends before the link.
    QLabel* site = band.site;
    fitBox(site, site->pos());
    const int siteInkRight = inkRect(site).right();
    if (siteInkRight > band.width - edgeMargin)
        site->move(site->x() - (siteInkRight - (band.width - edgeMargin)), site->y());
    fitBox(site, QPoint(site->x(), topFor(site, 1)));

    QLabel* slogan = band.slogan;
    const int sloganOverrun = inkRect(slogan).right() - (inkRect(site).left() - gap);
    if (sloganOverrun > 0)
        slogan->move(slogan->x() - sloganOverrun, slogan->y());
    fitBox(slogan, QPoint(slogan->x(), topFor(slogan, 1)));

    // Left to right: the logo at its place, the title after it, both before the slogan.
    QLabel* logo = band.logo;
    QLabel* shadow = band.logoShadow;
    QLabel* title = band.title;
    const QPoint shadowOffset = shadow->pos() - logo->pos();
    const QPoint logoPlace = logo->pos();
    const QPoint titlePlace = title->pos();
    // How far the title's ink reaches into the slogan's, with the logo's font as it is.
    const auto placeLeftGroup = [&](const QFont& logoFont) {
        logo->setFont(logoFont);
        shadow->setFont(logoFont);
        logo->move(logoPlace);
        fitBox(logo, QPoint(logo->x(), topFor(logo, 1)));
        fitBox(shadow, logo->pos() + shadowOffset);
        const int titleLeft = std::max(titlePlace.x(), inkRect(logo).right() + gap + 1);
        title->move(titleLeft, titlePlace.y());
        fitBox(title, QPoint(titleLeft, topFor(title, 1)));
        return inkRect(title).right() + gap + 1 - inkRect(slogan).left();
    };
    QFont logoFont = logo->font();
    // The slogan and the link give up what room they have on their right first.
    const int overrun = placeLeftGroup(logoFont);
    const int roomRight = band.width - edgeMargin - inkRect(site).right();
    if (overrun > 0 && roomRight > 0) {
        const int shift = std::min(overrun, roomRight);
        slogan->move(slogan->x() + shift, slogan->y());
        site->move(site->x() + shift, site->y());
    }
    // Then the logo gets smaller, as little as will do.
    while (true) {
        const bool fitsAcross = placeLeftGroup(logoFont) <= 0;
        const bool fitsDown = std::max(inkRect(logo).bottom(), inkRect(shadow).bottom()) < band.bottom;
        if ((fitsAcross && fitsDown) || logoFont.pointSizeF() <= smallestLogoPoints)
            break;
        logoFont.setPointSizeF(logoFont.pointSizeF() - 0.25);
    }
}

} // namespace rm::ui
