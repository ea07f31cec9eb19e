#pragma once

#include <QWidget>

class QLineEdit;
class QCheckBox;

// The search field of the toolbar: recipes by name as the user types, or (with "в тексте")
// by the words of their names, products and methods. Down or Enter moves into the results,
// Escape empties the field.
class CSearchBox : public QWidget {
    Q_OBJECT
public:
    explicit CSearchBox(QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    bool inText() const;
    void setInText(bool on);
    // Puts the keyboard in the field with its text selected.
    void takeFocus();

signals:
    // The text or the mode changed: search again.
    void searchRequested(const QString& text, bool inText);
    // Down or Enter: the user goes on to the results.
    void resultsWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    QCheckBox* m_inText;
};
