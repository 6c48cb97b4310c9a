#pragma once

#include "ui/Form1Services.h"
#include "ui/ProgressBarAdaptor.h"
#include "ui/SharedFileDialog.h"
#include "ui/SourceListWidget.h"
#include "ui/TemplateSetting.h"

#include "engine/MergeFrontEnd.h"
#include "engine/Spreadsheet.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace rm::ui {

class LineControl;

// The program's one window: template field and chooser, source list, merge
// command with progress, help and the maker's link. Each control's member and
// object name is the same ("Label3"); control arrays are numbered members
// with object names "Label4_0", "Label4_1".
class Form1 : public QWidget {
public:
    static constexpr int maximumListEntries = 32767;

    // `binding` serves the merge; it must outlive the window.
    explicit Form1(rm::SpreadsheetBinding& binding, Form1Services services = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Shows the window centred on its screen.
    void showCentred();

    // Source list: adds `path` unless an equal entry exists, then selects the last entry.
    void addToList(const QString& path);

    // Event handlers.
    void Form_Load();
    void open_command_Click();
    void add_command_Click();
    void addFloder_command_Click();
    void del_command_Click();
    void List1_KeyDown();
    // Files and folders dropped onto the list, and onto the template field.
    void List1_DragDrop(const QList<QUrl>& urls);
    void tplpath_text_DragDrop(const QList<QUrl>& urls);
    void save_command_Click();
    void help_command_Click();
    void lblSite_Click();
    void lblSite_MouseMove();
    void Form_MouseMove();

    SharedFileDialog& cd1() { return m_cd1; }
    ProgressBarAdaptor& progress() { return *m_progress; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    // addToList that reports whether the entry is in the list (false: refused at the limit).
    bool addToListWithinLimit(const QString& path);
    // addToList without the selection.
    bool appendUnlessListed(const QString& path);
    int selectedIndex() const;
    // Adds the entries in order; those already listed are collected in `alreadyListed`.
    // False when the list reached its limit.
    bool addEntries(const QStringList& paths, QStringList& alreadyListed);
    // Runs `work` (file system only) off the window's thread, with a busy
    // cursor and the list and merge commands disabled meanwhile.
    void withoutFreezing(const std::function<void()>& work);
    enum class DropTarget { None, SourceList, TemplateField };
    DropTarget dropTargetAt(const QPoint& position) const;
    void connectHandlers();
    void setLinkColour(const QColor& colour);
    void showTemplatePath(const QString& path);
    void runMergeCommand();
    std::vector<std::string> sourcePaths() const;
    void lockWindow();
    void unlockWindow();
    void setCommandsEnabled(bool enabled);
    void showInformation(const QString& text);
    void showFailure(const rm::Failure& failure);

    rm::SpreadsheetBinding& m_binding;
    Form1Services m_services;
    TemplateSetting m_setting;
    SharedFileDialog m_cd1;

    QPushButton* help_command = nullptr;
    QPushButton* save_command = nullptr;
    QCheckBox* chkAllSheets = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* open_command = nullptr;
    QGroupBox* Frame1 = nullptr;
    SourceListWidget* List1 = nullptr;
    QPushButton* del_command = nullptr;
    QPushButton* addFloder_command = nullptr;
    QPushButton* add_command = nullptr;
    QLineEdit* tplpath_text = nullptr;
    QLabel* lblSite = nullptr;
    QLabel* Label5 = nullptr;
    std::array<QLabel*, 2> Label4{};
    QLabel* Label3 = nullptr;
    QLabel* lblStage = nullptr;
    std::array<LineControl*, 2> Line1{};
    QLabel* Label2 = nullptr;
    QLabel* label1 = nullptr;

    std::unique_ptr<ProgressBarAdaptor> m_progress;
    // Where the keyboard focus was when the window was locked for a merge.
    QPointer<QWidget> m_focusBeforeLock;
    // The texts of List1's entries (which are unique), for the duplicate test.
    QSet<QString> m_entries;
};

} // namespace rm::ui
