// The notices around an optimization: one before a run, which the user confirms with OK,
// and one after, which says how much memory the run gave back. Either can be hidden for good
// with its check box; the choice is kept in the settings as "hideHelper1"/"hideHelper2".

#include "AppController.h"
#include "OptimizationNotice.h"
#include "WindowPlacement.h"
#include "platform/Platform.h"
#include "stats/MemorySampler.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

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

void AppController::createNotices()
{
    // Children of the main window, so they go with it; they stay windows of their own.
    m_noticeBeforeRun = new OptimizationNotice(tr("Optimize Memory"), noticeBeforeRunText(),
                                               tr("Do not show this notice again"),
                                               OptimizationNotice::Buttons::OkCancel, mainWindow);
    m_noticeBeforeRun->setObjectName(QStringLiteral("OptiInfo1"));
    m_noticeBeforeRun->checkBox()->setObjectName(QStringLiteral("OptiInfo1ChkBox"));
    connect(m_noticeBeforeRun->okButton(), &QPushButton::clicked, this,
            &AppController::confirmNoticeBeforeRun);
    m_noticeAfterRun = new OptimizationNotice(tr("Memory Optimized"), noticeAfterRunText(),
                                              tr("Do not show this after an optimization"),
                                              OptimizationNotice::Buttons::Ok, mainWindow);
    m_noticeAfterRun->setObjectName(QStringLiteral("OptiInfo2"));
    m_noticeAfterRun->checkBox()->setObjectName(QStringLiteral("OptiInfo2ChkBox"));
    connect(m_noticeAfterRun->okButton(), &QPushButton::clicked, this,
            &AppController::closeNoticeAfterRun);
}

MemorySnapshot AppController::takeMemorySnapshot()
{
    std::optional<MemorySample> sample = m_platform->readMemory();
    if (!sample)
        sample = m_sampler->latestSample();
    MemorySnapshot snapshot;
    if (!sample)
        return snapshot;
    const MemoryFigures figures = figuresFromSample(*sample);
    snapshot.freeBytes = figures.Free;
    // Where the system says what it can hand out without paging (page cache that can be
    // dropped included), that is the fairer measure of what a run gained.
    snapshot.availableBytes = sample->availableBytes
            ? double(*sample->availableBytes)
            : double(figures.Free) + double(figures.Inactive);
    if (const std::optional<MemoryRoom> room = m_platform->memoryRoom()) {
        if (room->fileCacheBytes)
            snapshot.pageCacheBytes = double(*room->fileCacheBytes);
    }
    return snapshot;
}

bool AppController::showNoticeBeforeRun()
{
    // Every start goes through here (the button, the bus), so this is the moment before a
    // run; the notice's OK takes the figures again if the user lets the notice wait.
    m_memoryBeforeRun = takeMemorySnapshot();
    if (hiddenInSettings("hideHelper1") || !m_noticeBeforeRun)
        return false;
    placeAndShow(m_noticeBeforeRun);
    return true;
}

void AppController::confirmNoticeBeforeRun()
{
    if (m_noticeBeforeRun) {
        if (ticked(m_noticeBeforeRun->checkBox()))
            hideInSettings("hideHelper1");
        m_noticeBeforeRun->hide();
    }
    // A run may have been started while the notice waited (by the bus, once the user hid
    // the notice elsewhere); a second one beside it would take the memory twice over.
    if (!optimizationRunning()) {
        m_memoryBeforeRun = takeMemorySnapshot();
        startOptimization();
    }
    bringMainWindowForward();
}

void AppController::showNoticeAfterRun()
{
    const std::optional<MemorySnapshot> before = std::exchange(m_memoryBeforeRun, std::nullopt);
    if (hiddenInSettings("hideHelper2") || !m_noticeAfterRun)
        return;
    const QString change = memoryChangeText(before, takeMemorySnapshot());
    // The run's own report keeps its numbers with their units too when the notice wraps.
    const QString report = runReportText(lastOptimizerResult())
                                   .replace(QStringLiteral(" MB"), QStringLiteral("\u00a0MB"));
    m_noticeAfterRun->textLabel()->setText(noticeAfterRunText() + QStringLiteral("\n\n")
                                           + change + QStringLiteral("\n\n") + report);
    placeAndShow(m_noticeAfterRun);
}

void AppController::closeNoticeAfterRun()
{
    if (!m_noticeAfterRun)
        return;
    if (ticked(m_noticeAfterRun->checkBox()))
        hideInSettings("hideHelper2");
    m_noticeAfterRun->hide();
}
