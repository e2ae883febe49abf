#include "OptimizationNotice.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Kalvoren {

OptimizationNotice::OptimizationNotice(const QString &title, const QString &text,
                                       const QString &checkBoxText, Buttons buttons,
                                       QWidget *parent)
    : QDialog(parent)
    , m_text(new QLabel(text))
    , m_checkBox(new QCheckBox(checkBoxText))
    , m_okButton(new QPushButton(tr("OK")))
{
    setWindowTitle(title);
    setModal(false);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(360);
    m_okButton->setDefault(true);

    auto *box = new QDialogButtonBox;
    box->addButton(m_okButton, QDialogButtonBox::AcceptRole);
    if (buttons == Buttons::OkCancel) {
        m_cancelButton = box->addButton(QDialogButtonBox::Cancel);
        connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_checkBox);
    layout->addWidget(box);
    // OK is answered by the controller (Enter presses it, being the default button);
    // Cancel, Escape and the close control reject, which only hides the panel and starts
    // nothing.
}

QString noticeBeforeRunText()
{
    return OptimizationNotice::tr(
            "Optimizing asks the system to give back memory that programs are not using. "
            "Kalvoren first purges the disk caches, then takes as much memory as still makes "
            "the system give back cached data, for a short while, touches it, and gives it "
            "all back.\n\n"
            "While it runs the computer may be slow for a few seconds, and programs that "
            "sat idle may take a moment to answer afterwards. The progress bar in the "
            "Kalvoren window shows how far it got; its Cancel button stops the run.\n\n"
            "Closing this notice is the same as Cancel: nothing is started.");
}

QString noticeAfterRunText()
{
    return OptimizationNotice::tr("Kalvoren has finished optimizing memory.");
}

} // namespace Kalvoren
