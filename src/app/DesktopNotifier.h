#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace Kalvoren {

// Desktop notifications with one action, through the freedesktop.org notification service
// (org.freedesktop.Notifications on the session bus); where no such service answers, through
// the tray icon's message balloon, whose click stands for the action.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DesktopNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                             QObject *parent = nullptr);

    // The tray icon for the fallback; not owned, may be null (then nothing shows).
    void setTrayIcon(QSystemTrayIcon *icon);

    // Shows summary and body with a button labelled actionLabel. The service is asked without
    // waiting for it; when it does not answer, the tray icon shows the message.
    void notify(const QString &summary, const QString &body, const QString &actionLabel);

signals:
    // The user chose the action of the latest notification.
    void actionInvoked();

private slots:
    void onActionInvoked(uint id, const QString &key);

private:
    void showInTray(const QString &summary, const QString &body, const QString &actionLabel);

    QDBusConnection m_bus;
    QSystemTrayIcon *m_trayIcon = nullptr;
    uint m_lastId = 0;
};

} // namespace Kalvoren
