#include "SingleInstance.h"

#include "MyApplication.h"
#include "cli/Cli.h"
#include "cli/InstanceClient.h"
#include "kalvorenadaptor.h"

#include <QDBusConnectionInterface>

#include <cstdio>

namespace Kalvoren {

InstanceRole registerInstance(MyApplication *app, QDBusConnection bus, QString *message)
{
    if (!bus.isConnected()) {
        *message = QStringLiteral("no session bus (%1); scripting and the single-instance "
                                  "check are off")
                           .arg(bus.lastError().isValid() ? bus.lastError().message()
                                                          : QStringLiteral("not connected"));
        return InstanceRole::Standalone;
    }
    if (!app->findChild<KalvorenAdaptor *>(QString(), Qt::FindDirectChildrenOnly))
        new KalvorenAdaptor(app);

    const QString path = QLatin1String(InstanceBus::path);
    // The object first, then the name: whoever finds the name can call at once.
    if (!bus.objectRegisteredAt(path) && !bus.registerObject(path, app)) {
        *message = QStringLiteral("cannot export %1 on the session bus: %2")
                           .arg(path, bus.lastError().message());
        return InstanceRole::Standalone;
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus.interface()->registerService(QLatin1String(InstanceBus::service),
                                             QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        bus.unregisterObject(path);
        *message = QStringLiteral("cannot take the name %1 on the session bus: %2")
                           .arg(QLatin1String(InstanceBus::service), reply.error().message());
        return InstanceRole::Standalone;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(path);
        return InstanceRole::Second;
    }
    return InstanceRole::First;
}

std::optional<int> handOverToRunningInstance(MyApplication *app, QDBusConnection bus,
                                             InstanceRole *role, QString *message)
{
    // Three rounds cover a first instance that quits between our claim and our call.
    for (int attempt = 0; attempt < 3 && *role == InstanceRole::Second; ++attempt) {
        const InstanceReply reply = callRunningInstance(QStringLiteral("showWindow"), bus);
        switch (reply.status) {
        case InstanceReply::Status::Replied:
            std::fprintf(stderr, "kalvoren: %s\n",
                         qUtf8Printable(Cli::tr("already running; its window was brought "
                                                "forward")));
            return 0;
        case InstanceReply::Status::NoInstance:
            *role = registerInstance(app, bus, message);
            break;
        case InstanceReply::Status::NoBus:
        case InstanceReply::Status::Failed:
            *message = reply.text;
            std::fprintf(stderr, "kalvoren: %s\n", qUtf8Printable(reply.text));
            return 1;
        }
    }
    if (*role == InstanceRole::Second) {
        std::fprintf(stderr, "kalvoren: %s\n",
                     qUtf8Printable(Cli::tr("another Kalvoren keeps appearing and vanishing on "
                                            "the bus; giving up")));
        return 1;
    }
    return std::nullopt;
}

} // namespace Kalvoren
