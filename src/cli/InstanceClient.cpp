#include "InstanceClient.h"

#include "Cli.h"

#include <QDBusError>
#include <QDBusMessage>

namespace Kalvoren {

InstanceReply callRunningInstance(const QString &method, const QDBusConnection &bus,
                                  int timeoutMs)
{
    if (!bus.isConnected()) {
        const QString why = bus.lastError().isValid() ? bus.lastError().message()
                                                      : Cli::tr("not connected");
        return { InstanceReply::Status::NoBus, Cli::tr("no session bus: %1").arg(why) };
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(InstanceBus::service), QLatin1String(InstanceBus::path),
            QLatin1String(InstanceBus::interface), method);
    // Asking for the running one only: the bus may know how to start Kalvoren, but starting
    // a window from a script that wanted a run in the terminal would surprise.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return { InstanceReply::Status::Replied,
                 reply.arguments().isEmpty() ? QString() : reply.arguments().first().toString() };
    }
    const QDBusError error(reply);
    if (error.type() == QDBusError::ServiceUnknown
        || error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return { InstanceReply::Status::NoInstance, Cli::tr("no Kalvoren is running") };
    return { InstanceReply::Status::Failed,
             Cli::tr("the running Kalvoren did not answer %1: %2")
                     .arg(method, error.message()) };
}

std::optional<int> optimizeInRunningInstance(const CliContext &context,
                                             const QDBusConnection &bus)
{
    const InstanceReply reply = callRunningInstance(QStringLiteral("optimize"), bus);
    switch (reply.status) {
    case InstanceReply::Status::Replied:
        printLine(context.streams.out, reply.text);
        return ExitOk;
    case InstanceReply::Status::Failed:
        printError(context, reply.text);
        return ExitFailure;
    case InstanceReply::Status::NoInstance:
    case InstanceReply::Status::NoBus:
        break;
    }
    return std::nullopt;
}

} // namespace Kalvoren
