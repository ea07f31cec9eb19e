#pragma once

#include <QApplication>

// The application object. A failure that escapes an event handler (a database error while
// a section opens or an item is dropped, say) ends that one action with a message, as
// the commands do, instead of ending the program.
class OveltaApplication : public QApplication {
    Q_OBJECT
public:
    OveltaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
