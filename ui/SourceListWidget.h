#pragma once

#include <QListWidget>
#include <QString>

#include <functional>

namespace rm::ui {

// The source list's list box: while it holds no entry it shows a grey hint in
// its middle, and Delete or Backspace (without Ctrl, Alt or Shift) go to
// `removeKeyPressed` instead of the list's own key handling.
class SourceListWidget : public QListWidget {
public:
    explicit SourceListWidget(const QString& emptyHint, QWidget* parent = nullptr);

    QString emptyHint() const { return m_emptyHint; }
    std::function<void()> removeKeyPressed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_emptyHint;
};

} // namespace rm::ui
