#pragma once

#include "engine/check/LayoutFindings.h"

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

namespace rm::ui {

// The question before saving, once the check has found something: a summary
// line, the findings in a scrolling list (one per line, the file by its name,
// the whole text with the full path as tooltip) and the three choices. The
// default button is the choice that cannot give a wrong sum; Escape and
// closing the dialog mean not saving. Never taller or wider than its screen
// allows.
class SaveChoiceDialog : public QDialog {
    Q_OBJECT

public:
    SaveChoiceDialog(const rm::LayoutFindings& findings, QWidget* owner);

    // What was chosen; DontSave until a saving button is pressed.
    rm::SaveChoice choice() const { return m_choice; }
    // Null when the dialog does not offer it (aligning, without an alignable source).
    QPushButton* button(rm::SaveChoice choice) const;
    QListWidget* findingsList() const { return m_list; }

    // "合并前检查发现 3 项问题：2 个文件版式与模板不同（1 个可按标签对齐），1 个文件没有可相加的数字。"
    static QString summary(const rm::LayoutFindings& findings);
    // The share of the screen's available height and width the dialog may take.
    static constexpr double screenShare = 0.8;

private:
    QPushButton* addChoice(const QString& text, rm::SaveChoice choice);
    void fitScreen();

    rm::SaveChoice m_choice = rm::SaveChoice::DontSave;
    QListWidget* m_list = nullptr;
    QPushButton* m_alignButton = nullptr;
    QPushButton* m_positionButton = nullptr;
    QPushButton* m_dontSaveButton = nullptr;
};

} // namespace rm::ui
