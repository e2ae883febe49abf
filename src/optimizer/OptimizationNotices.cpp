// The notices around an optimization: one before a run, which the user confirms with OK,
// and one after, which says how much memory the run gave back. Either can be hidden for good
// with its check box; the choice is kept in the settings as "hideHelper1"/"hideHelper2".

#include "app/AppController.h"
#include "app/WindowPlacement.h"
#include "optimizer/OptimizationNotice.h"
#include "platform/Platform.h"

#include <QSettings>
#include <QWidget>

using namespace Kalvoren;

namespace {

// True only for the string "yes": anything else, or nothing at all, leaves the notice on.
bool hiddenInSettings(const char *key)
{
    const QVariant value = QSettings().value(QLatin1String(key));
    return value.metaType().id() == QMetaType::QString && value.toString() == QLatin1String("yes");
}

// Written out at once, so the choice survives a crash or a kill right after OK.
void hideInSettings(const char *key)
{
    QSettings settings;
    settings.setValue(QLatin1String(key), QStringLiteral("yes"));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning("Cannot save the setting %s in %s", key, qUtf8Printable(settings.fileName()));
}

bool ticked(const QCheckBox *box)
{
    return box && box->checkState() == Qt::Checked;
}

} // namespace

MemorySnapshot AppController::takeMemorySnapshot()
{
    MemorySnapshot snapshot;
    snapshot.freeBytes = Free();
    snapshot.availableBytes = double(Free()) + double(Inactive());
    const QString text = platform().vmStatText();
    const std::optional<MemoryFigures> figures = figuresFromVmStat(text, patternForText(text));
    if (figures) {
        snapshot.freeBytes = figures->Free;
        snapshot.availableBytes = double(figures->Free) + double(figures->Inactive);
    }
    // Linux says itself what it can hand out without paging (page cache that can be dropped
    // included), which is the fairer measure of what a run gained.
    if (const std::optional<MemoryRoom> room = platform().memoryRoom()) {
        if (room->memAvailableBytes)
            snapshot.availableBytes = double(*room->memAvailableBytes);
        if (room->fileCacheBytes)
            snapshot.pageCacheBytes = double(*room->fileCacheBytes);
    }
    return snapshot;
}

bool AppController::showHelper1()
{
    // Every start goes through here (the button, the bus), so this is the moment before a
    // run; the notice's OK takes the figures again if the user lets the notice wait.
    m_memoryBeforeRun = takeMemorySnapshot();
    if (hiddenInSettings("hideHelper1") || !OptiInfo1)
        return false;
    centreAndShow(OptiInfo1);
    return true;
}

void AppController::optiInfoOkBtn1(QObject *sender)
{
    Q_UNUSED(sender);
    if (ticked(OptiInfo1ChkBox))
        hideInSettings("hideHelper1");
    if (OptiInfo1)
        OptiInfo1->hide();
    // A run may have been started while the notice waited (by the bus, once the user hid
    // the notice elsewhere); a second one beside it would take the memory twice over.
    if (!threadRunning()) {
        m_memoryBeforeRun = takeMemorySnapshot();
        deferredGo();
    }
    bringMainWindowForward();
}

void AppController::showHelper2()
{
    // Sent by the worker at the end of its run: widgets belong to the main thread.
    QMetaObject::invokeMethod(this, [this] { showRunSummary(); }, Qt::QueuedConnection);
}

void AppController::showRunSummary()
{
    const std::optional<MemorySnapshot> before = std::exchange(m_memoryBeforeRun, std::nullopt);
    if (hiddenInSettings("hideHelper2") || !OptiInfo2)
        return;
    const QString change = memoryChangeText(before, takeMemorySnapshot());
    if (OptiInfo2Text) {
        OptiInfo2Text->setText(noticeAfterRunText() + QStringLiteral("\n\n") + change
                               + QStringLiteral("\n\n") + runReportText(lastOptimizerResult()));
    }
    centreAndShow(OptiInfo2);
}

void AppController::optiInfoOkBtn2(QObject *sender)
{
    Q_UNUSED(sender);
    if (ticked(OptiInfo2ChkBox))
        hideInSettings("hideHelper2");
    if (OptiInfo2)
        OptiInfo2->hide();
}

void AppController::bringMainWindowForward()
{
    if (!mainWindow)
        return;
    // A minimised window would stay minimised through show() and raise().
    mainWindow->setWindowState(mainWindow->windowState() & ~Qt::WindowMinimized);
    mainWindow->show();
    mainWindow->raise();
    mainWindow->activateWindow();
}
