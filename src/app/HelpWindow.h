#pragma once

#include <QDialog>

class QTextBrowser;

// The user guide, shipped with the program, in a window of its own.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return m_browser; }
    void showContents();

private:
    QTextBrowser* m_browser;
};
