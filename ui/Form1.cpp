#include "ui/Form1.h"

#include "ui/RepeatedEnterFilter.h"
#include "ui/WindowTexts.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

namespace rm::ui {

Form1::Form1(rm::SpreadsheetBinding& binding, Form1Services services, QWidget* parent)
    : QWidget(parent)
    , m_binding(binding)
    , m_services(services.withDefaults())
    , m_setting(m_services.settingsName)
    , m_cd1(m_services.fileDialogs)
{
    buildControls();
    new RepeatedEnterFilter(this);
    m_progress = std::make_unique<ProgressBarAdaptor>(ProgressBar1);
    m_progress->setStageLabel(lblStage);
    connectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::connectHandlers()
{
    connect(open_command, &QPushButton::clicked, this, [this] { open_command_Click(); });
    connect(add_command, &QPushButton::clicked, this, [this] { add_command_Click(); });
    connect(addFloder_command, &QPushButton::clicked, this, [this] { addFloder_command_Click(); });
    connect(del_command, &QPushButton::clicked, this, [this] { del_command_Click(); });
    connect(save_command, &QPushButton::clicked, this, [this] { save_command_Click(); });
    connect(help_command, &QPushButton::clicked, this, [this] { help_command_Click(); });
    connect(chkAllSheets, &QCheckBox::toggled, this, [this](bool checked) { m_setting.writeAllSheets(checked); });
    lblSite->installEventFilter(this);
    List1->removeKeyPressed = [this] { List1_KeyDown(); };
    setAcceptDrops(true);
}

void Form1::Form_Load()
{
    showTemplatePath(m_setting.read());
    const QSignalBlocker unchanged(chkAllSheets);
    chkAllSheets->setChecked(m_setting.readAllSheets());
}

void Form1::showCentred()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect box(QPoint(0, 0), size());
        box.moveCenter(screen->availableGeometry().center());
        setGeometry(box);   // the client area, whatever frame the desktop adds
    }
    show();
    open_command->setFocus();
    // The office starts now, in the background: a merge need not wait for it.
    m_binding.prepare();
}

void Form1::showTemplatePath(const QString& path)
{
    tplpath_text->setText(path);
    tplpath_text->setCursorPosition(0);   // a long path shows its beginning
}

void Form1::open_command_Click()
{
    m_cd1.setFilter(openWorkbookFilter);
    if (m_cd1.showOpen(this))
        showTemplatePath(m_cd1.fileName());
}

} // namespace rm::ui
