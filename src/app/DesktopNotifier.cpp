#include "DesktopNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>

namespace Kalvoren {
namespace {

const char service[] = "org.freedesktop.Notifications";
const char path[] = "/org/freedesktop/Notifications";
const char interface[] = "org.freedesktop.Notifications";
const char actionKey[] = "default-action";

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    if (m_bus.isConnected())
        m_bus.connect(QLatin1String(service), QLatin1String(path), QLatin1String(interface),
                      QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint, QString)));
}

void DesktopNotifier::setTrayIcon(QSystemTrayIcon *icon)
{
    if (m_trayIcon)
        disconnect(m_trayIcon, nullptr, this, nullptr);
    m_trayIcon = icon;
    if (m_trayIcon)
        connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this,
                &DesktopNotifier::actionInvoked);
}

void DesktopNotifier::notify(const QString &summary, const QString &body,
                             const QString &actionLabel)
{
    if (!m_bus.isConnected()) {
        showInTray(summary, body, actionLabel);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                                       QLatin1String(interface),
                                                       QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout: the
    // freedesktop notification protocol. "default-action" is also what a click on the
    // notification itself invokes.
    call << QStringLiteral("Kalvoren") << m_lastId << QStringLiteral("kalvoren") << summary << body
         << QStringList { QLatin1String(actionKey), actionLabel }
         << QVariantMap { { QStringLiteral("urgency"), QVariant::fromValue(uchar(2)) } }
         << qint32(-1);
    // Not waited for: the window stays responsive whatever the service does.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, summary, body, actionLabel] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isValid()) {
                    m_lastId = reply.value();
                    return;
                }
                qWarning("kalvoren: no notification service (%s); using the tray icon",
                         qUtf8Printable(reply.error().message()));
                showInTray(summary, body, actionLabel);
            });
}

void DesktopNotifier::showInTray(const QString &summary, const QString &body,
                                 const QString &actionLabel)
{
    if (!m_trayIcon || !QSystemTrayIcon::supportsMessages())
        return;
    m_trayIcon->showMessage(summary, body + QLatin1Char('\n') + actionLabel,
                            QSystemTrayIcon::Warning);
}

void DesktopNotifier::onActionInvoked(uint id, const QString &key)
{
    if (id == m_lastId && id != 0 && key == QLatin1String(actionKey))
        emit actionInvoked();
}

} // namespace Kalvoren
