#pragma once

#include <QApplication>
#include <QDBusContext>
#include <QString>
#include <QVariantMap>

class AppController;

// The application object. Its delegate is the AppController.
//
// It is also the object that scripts reach on the session bus: the adaptor generated from
// org.kalvoren.Kalvoren.xml forwards optimize() and showWindow() here. QDBusContext tells the
// handlers who called.
class MyApplication : public QApplication, protected QDBusContext
{
    Q_OBJECT

public:
    MyApplication(int &argc, char **argv);

    AppController *delegate() const { return m_delegate; }
    void setDelegate(AppController *controller) { m_delegate = controller; }

    // The scripting command: logs "optimizeScriptCommand:" with the description of the
    // command, presses the optimize button on the delegate's behalf (with the application as
    // sender) and answers at once; it never waits for the run.
    QString handleOptimizeScriptCommand(const QString &commandDescription);

public slots:
    // -- the bus interface, called through the adaptor -----------------------------------
    QString optimize();
    void showWindow();
    QVariantMap figures();

private:
    // "org.kalvoren.Kalvoren.optimize from :1.42" for a call from the bus, or the bare
    // method name for a call from inside the program.
    QString describeCall(const char *method) const;

    AppController *m_delegate = nullptr;
};
