// Form1's controls: kinds, names, texts, places (twips / 15), fonts, colours
// and stacking. Widgets created later lie in front, so the drawn items
// (labels, lines) come first, back to front, then the windowed controls.

#include "ui/Form1.h"

#include "ui/CommandButton.h"
#include "ui/LineControl.h"
#include "ui/SourceListWidget.h"
#include "ui/TextColour.h"
#include "ui/TitleLayout.h"
#include "ui/WindowTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QStyledItemDelegate>

namespace rm::ui {

namespace {

constexpr int twipsPerPixel = 15;

QRect twips(int left, int top, int width, int height)
{
    return QRect(left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel);
}

QFont windowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(9.0);
    return font;
}

QFont namedFont(const QString& family, qreal points, int weight, bool underline = false)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(QFont::Weight(weight));
    font.setUnderline(underline);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& box)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setAutoFillBackground(false);
    label->setGeometry(box);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, const QRect& box)
{
    auto* button = new CommandButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(box);
    return button;
}

// Keeps every entry of a list within the list's width, so that the view
// elides a long text instead of laying it out wider and scrolling it away.
class WithinWidthDelegate : public QStyledItemDelegate {
public:
    explicit WithinWidthDelegate(QListWidget* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(qMin(size.width(), m_list->viewport()->width()));
        return size;
    }

private:
    QListWidget* m_list;
};

LineControl* makeLine(QWidget* parent, const QString& name, const QColor& colour, const QRect& box)
{
    auto* line = new LineControl(colour, parent);
    line->setObjectName(name);
    line->setGeometry(box);
    return line;
}

} // namespace

void Form1::buildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(applicationTitle);
    setWindowIcon(QIcon(QStringLiteral(":/icons/reportmerge-32.png")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(8505 / twipsPerPixel, 6015 / twipsPerPixel);
    setFont(windowFont());

    const QFont logoFont = namedFont(QStringLiteral("Arial Black"), 21.75, 900);

    // Drawn items, back to front.
    Label4[1] = makeLabel(this, QStringLiteral("Label4_1"), QStringLiteral("Brivane"), twips(180, 0, 2115, 735));
    Label4[1]->setFont(logoFont);
    setTextColour(Label4[1], QColor(255, 255, 255));
    Line1[1] = makeLine(this, QStringLiteral("Line1_1"), QColor(255, 255, 255), QRect(0, 615 / twipsPerPixel, 8520 / twipsPerPixel, 2));
    label1 = makeLabel(this, QStringLiteral("label1"), titleCaption, twips(1710, 210, 1245, 300));
    label1->setFont(namedFont(titleFontFamily, 15, 400));
    Label2 = makeLabel(this, QStringLiteral("Label2"), templateCaption, twips(180, 780, 1095, 375));
    Label2->setFont(namedFont(templateCaptionFontFamily, 10.5, 400));
    Line1[0] = makeLine(this, QStringLiteral("Line1_0"), palette().color(QPalette::WindowText),
                        QRect(0, 600 / twipsPerPixel, 8520 / twipsPerPixel, 1));
    Label3 = makeLabel(this, QStringLiteral("Label3"), workingCaption, twips(120, 5610, 5055, 255));
    Label3->setVisible(false);
    // In Label3's row, after its text: what the merge is doing. A child of
    // Label3, it shows and hides with it; its text is kept to its width.
    const int stageLeft = Label3->fontMetrics().horizontalAdvance(Label3->text()) + 12;
    lblStage = makeLabel(Label3, QStringLiteral("lblStage"), QString(),
                         QRect(stageLeft, 0, Label3->width() - stageLeft, Label3->height()));
    Label4[0] = makeLabel(this, QStringLiteral("Label4_0"), QStringLiteral("Brivane"), twips(150, -30, 2115, 735));
    Label4[0]->setFont(logoFont);
    setTextColour(Label4[0], QColor(255, 0, 0));
    Label5 = makeLabel(this, QStringLiteral("Label5"),
                       sloganCaption, twips(3030, 360, 5415, 225));
    lblSite = makeLabel(this, QStringLiteral("lblSite"), siteHostName, twips(7170, 330, 1515, 225));
    lblSite->setFont(namedFont(QStringLiteral("Arial"), 7.5, 400, true));
    setTextColour(lblSite, QColor(0, 0, 255));
    lblSite->setCursor(Qt::WhatsThisCursor);
    lblSite->setMouseTracking(true);
    placeTitleBand({Label4[0], Label4[1], label1, Label5, lblSite, width(), Line1[0]->y()});

    // Windowed controls, back to front.
    tplpath_text = new QLineEdit(this);
    tplpath_text->setObjectName(QStringLiteral("tplpath_text"));
    tplpath_text->setGeometry(twips(1230, 720, 5985, 375));
    tplpath_text->setEnabled(false);
    tplpath_text->setFocusPolicy(Qt::NoFocus);

    Frame1 = new QGroupBox(sourceListCaption, this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 1200, 8295, 4335));
    add_command = makeButton(Frame1, QStringLiteral("add_command"), addCaption, twips(7200, 240, 975, 495));
    addFloder_command = makeButton(Frame1, QStringLiteral("addFloder_command"), addFolderCaption,
                                   twips(7200, 840, 975, 495));
    del_command = makeButton(Frame1, QStringLiteral("del_command"), removeCaption, twips(7200, 1560, 975, 495));
    List1 = new SourceListWidget(emptyListHint, Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips(120, 240, 6975, 3840));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    // A long path is shortened in the middle, so its file name stays visible.
    List1->setTextElideMode(Qt::ElideMiddle);
    List1->setItemDelegate(new WithinWidthDelegate(List1));
    List1->setResizeMode(QListView::Adjust);   // lays out again when the vertical scroll bar comes or goes
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    open_command = makeButton(this, QStringLiteral("open_command"), openCaption, twips(7320, 750, 975, 375));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twips(210, 5280, 6975, 195));
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setTextVisible(false);

    save_command = makeButton(this, QStringLiteral("save_command"), mergeCaption, twips(5280, 5580, 2235, 375));
    help_command = makeButton(this, QStringLiteral("help_command"), helpCaption, twips(7650, 5580, 735, 375));
    // Left of the merge button, where the working caption shows during a merge (it is hidden then).
    chkAllSheets = new QCheckBox(allSheetsCaption, this);
    chkAllSheets->setObjectName(QStringLiteral("chkAllSheets"));
    chkAllSheets->setGeometry(twips(120, 5580, 3000, 375));

    setTabOrder(open_command, add_command);
    setTabOrder(add_command, addFloder_command);
    setTabOrder(addFloder_command, del_command);
    setTabOrder(del_command, List1);
    setTabOrder(List1, chkAllSheets);
    setTabOrder(chkAllSheets, save_command);
    setTabOrder(save_command, help_command);
    open_command->setFocus();

    setMouseTracking(true);
}

} // namespace rm::ui
