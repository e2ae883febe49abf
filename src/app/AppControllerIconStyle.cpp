// The status icon's style: the four style actions, their check marks and the "icon" setting.
#include "AppController.h"

#include "views/StatsView.h"

#include <QSettings>

using namespace Kalvoren;

namespace {

const char iconKey[] = "icon";
// The style items of the icon menu carry these tags (setData), style 0 first.
constexpr int firstStyleTag = 111;
constexpr int styleCount = 4;

QAction *itemWithTag(QMenu *menu, int tag)
{
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (action->data().toInt() == tag)
            return action;
    }
    return nullptr;
}

// Checks the item of style mode and no other.
void checkStyleItem(QMenu *menu, int mode)
{
    for (int tag = firstStyleTag; tag < firstStyleTag + styleCount; ++tag) {
        if (QAction *item = itemWithTag(menu, tag))
            item->setChecked(tag == firstStyleTag + mode);
    }
}

} // namespace

void AppController::setIconStyle(int mode)
{
    m_iconView.setmode(mode);
    checkStyleItem(iconMenu(), mode);
    saveIconMode(mode);
}

void AppController::setIconMono()
{
    setIconStyle(IconMono);
}

void AppController::setIconMonoInverted()
{
    setIconStyle(IconMonoInverted);
}

void AppController::setIconGrayscale()
{
    setIconStyle(IconGrayscale);
}

void AppController::setIconColor()
{
    setIconStyle(IconColor);
}

void AppController::saveIconMode(int mode)
{
    QSettings settings;
    settings.setValue(QLatin1String(iconKey), mode);
    settings.sync();
}

void AppController::loadIconMode()
{
    // Until a stored style says otherwise the icon is drawn in style 0: the menu shows that,
    // without writing a setting the user never chose.
    checkStyleItem(iconMenu(), IconMono);
    const QVariant stored = QSettings().value(QLatin1String(iconKey));
    if (!stored.isValid())
        return;
    bool ok = false;
    const int mode = stored.toInt(&ok);
    if (!ok)
        return;
    // Each action writes the value back, as picking the style from the menu would.
    switch (mode) {
    case IconMono:
        setIconMono();
        break;
    case IconMonoInverted:
        setIconMonoInverted();
        break;
    case IconGrayscale:
        setIconGrayscale();
        break;
    case IconColor:
        setIconColor();
        break;
    default:
        break; // not a style this program knows: ignored
    }
}
