#include "MyApplication.h"

#include "AppController.h"
#include "cli/InstanceClient.h"

#include <QDBusMessage>

MyApplication::MyApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Kalvoren"));
    setOrganizationName(QStringLiteral("Kalvoren"));
    setApplicationVersion(QStringLiteral(KALVOREN_VERSION));
    // The desktop entry (and Wayland app_id): compositors and task bars match windows to it,
    // and find its icon, by this name.
    setDesktopFileName(QStringLiteral("org.kalvoren.Kalvoren"));
    setQuitOnLastWindowClosed(false);
}

QString MyApplication::handleOptimizeScriptCommand(const QString &commandDescription)
{
    qInfo("optimizeScriptCommand:%s", qUtf8Printable(commandDescription));
    // Before the interface exists there is nothing to press; the caller still gets its
    // answer, as it does in every other case.
    if (m_delegate)
        m_delegate->optimizePressed();
    return Kalvoren::InstanceBus::optimizeReply();
}

QString MyApplication::optimize()
{
    return handleOptimizeScriptCommand(describeCall("optimize"));
}

void MyApplication::showWindow()
{
    qInfo("showWindow:%s", qUtf8Printable(describeCall("showWindow")));
    if (m_delegate)
        m_delegate->bringMainWindowForward();
}

QVariantMap MyApplication::figures()
{
    return m_delegate ? m_delegate->latestFields() : QVariantMap();
}

QString MyApplication::describeCall(const char *method) const
{
    if (!calledFromDBus())
        return QString::fromLatin1(method);
    const QDBusMessage &call = message();
    const QString name = call.interface().isEmpty()
            ? call.member()
            : call.interface() + QLatin1Char('.') + call.member();
    return QStringLiteral("%1 from %2").arg(name, call.service());
}
