#pragma once

#include <QApplication>
#include <QTranslator>

// The application object. A failure that escapes an event handler (a database error while
// a section opens or an item is dropped, say) ends that one action with a message, as
// the commands do, instead of ending the program.
class OveltaApplication : public QApplication {
    Q_OBJECT
public:
    OveltaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // True when Qt's Russian texts were found and are in use.
    bool hasRussianQtTexts() const { return !m_qtTranslator->isEmpty(); }

private:
    QTranslator* m_qtTranslator = nullptr;
};
