#include "app/AppController.h"

#include <QDebug>

void AppController::goButton(QObject *sender)
{
    Q_UNUSED(sender);
    if (threadRunning()) {
        setCancelRequest(true);
        return;
    }
    if (showHelper1())
        return; // the notice is up; its OK button starts the run
    deferredGo();
}

void AppController::deferredGo()
{
    qWarning("The optimizer is not part of this build yet.");
}
