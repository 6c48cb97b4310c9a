#include "ui/SaveChoiceDialog.h"

#include "ui/WindowTexts.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace rm::ui {

namespace {

std::string fileName(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

// The finding's line with each file named by its name alone.
QString shortLine(rm::LayoutFinding finding)
{
    finding.sourcePath = fileName(finding.sourcePath);
    if (!finding.otherPath.empty())
        finding.otherPath = fileName(finding.otherPath);
    return QString::fromStdString(rm::describeFinding(finding));
}

QLabel* wrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

QString SaveChoiceDialog::summary(const rm::LayoutFindings& findings)
{
    int differing = 0;
    int alignable = 0;
    int duplicates = 0;
    int empty = 0;
    int otherActive = 0;
    int missing = 0;
    bool noMarks = false;
    for (const rm::LayoutFinding& finding : findings) {
        switch (finding.kind) {
        case rm::LayoutFinding::Kind::LayoutDiffers:
            ++differing;
            alignable += finding.alignable ? 1 : 0;
            break;
        case rm::LayoutFinding::Kind::SameContent:
            ++duplicates;
            break;
        case rm::LayoutFinding::Kind::NothingToAdd:
            ++empty;
            break;
        case rm::LayoutFinding::Kind::NoMarkedCells:
            noMarks = true;
            break;
        case rm::LayoutFinding::Kind::ActiveSheetDiffers:
            ++otherActive;
            break;
        case rm::LayoutFinding::Kind::MissingSheet:
            ++missing;
            break;
        }
    }
    QStringList parts;
    if (noMarks)
        parts << templateMarksNothing;
    if (otherActive > 0)
        parts << activeSheetDiffersCount(otherActive);
    if (missing > 0)
        parts << missingSheetCount(missing);
    if (differing > 0)
        parts << (alignable > 0 ? layoutDiffersCount(differing, alignable) : layoutDiffersCount(differing));
    if (duplicates > 0)
        parts << sameContentCount(duplicates);
    if (empty > 0)
        parts << nothingToAddCount(empty);
    return checkSummary(findings.size(), parts.join(findingCountsSeparator));
}

SaveChoiceDialog::SaveChoiceDialog(const rm::LayoutFindings& findings, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("SaveChoiceDialog"));
    setWindowTitle(applicationTitle);
    setModal(true);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* summaryLabel = wrappedLabel(summary(findings), this);
    summaryLabel->setObjectName(QStringLiteral("summary"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("findings"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    m_list->setUniformItemSizes(true);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 4);
    for (const rm::LayoutFinding& finding : findings) {
        auto* item = new QListWidgetItem(shortLine(finding), m_list);
        item->setToolTip(QString::fromStdString(rm::describeFinding(finding)));
    }

    auto* explanation = wrappedLabel(saveChoicesExplanation, this);
    explanation->setObjectName(QStringLiteral("explanation"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    if (rm::anyAlignable(findings))
        m_alignButton = addChoice(alignAndSaveCaption, rm::SaveChoice::AlignByLabels);
    m_positionButton = addChoice(saveByPositionCaption, rm::SaveChoice::ByPosition);
    m_dontSaveButton = addChoice(dontSaveCaption, rm::SaveChoice::DontSave);
    for (QPushButton* b : {m_alignButton, m_positionButton, m_dontSaveButton})
        if (b)
            buttons->addWidget(b);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(summaryLabel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(explanation);
    layout->addLayout(buttons);

    QPushButton* preferred = button(rm::safestSaveChoice(findings));
    if (!preferred)
        preferred = m_dontSaveButton;
    preferred->setDefault(true);
    preferred->setFocus(Qt::OtherFocusReason);

    fitScreen();
}

QPushButton* SaveChoiceDialog::addChoice(const QString& text, rm::SaveChoice choice)
{
    auto* b = new QPushButton(text, this);
    connect(b, &QPushButton::clicked, this, [this, choice] {
        m_choice = choice;
        if (choice == rm::SaveChoice::DontSave)
            reject();
        else
            accept();
    });
    return b;
}

QPushButton* SaveChoiceDialog::button(rm::SaveChoice choice) const
{
    switch (choice) {
    case rm::SaveChoice::AlignByLabels:
        return m_alignButton;
    case rm::SaveChoice::ByPosition:
        return m_positionButton;
    case rm::SaveChoice::DontSave:
        return m_dontSaveButton;
    }
    return nullptr;
}

void SaveChoiceDialog::fitScreen()
{
    const QWidget* owner = parentWidget();
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize limit(static_cast<int>(available.width() * screenShare),
                      static_cast<int>(available.height() * screenShare));
    setMaximumSize(limit);
    // The list lays out its items only once shown, so its size hint does not yet
    // know how wide the lines are: widen the dialog for the longest one (each line
    // says what moved at its end, which an elided line would hide).
    int widest = 0;
    for (int row = 0; row < m_list->count(); ++row)
        widest = std::max(widest, m_list->fontMetrics().horizontalAdvance(m_list->item(row)->text()));
    const QMargins margins = layout()->contentsMargins();
    const int slack = m_list->fontMetrics().averageCharWidth() * 2;
    const int wanted = widest + 2 * m_list->frameWidth() + slack +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list) + margins.left() +
                       margins.right();
    QSize size = sizeHint();
    size.setWidth(std::max(size.width(), wanted));
    resize(size.boundedTo(limit));
}

} // namespace rm::ui
