#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace Kalvoren {

// A notice panel: a text, a "do not show again" check box, an OK button and, for a notice
// that asks before something starts, a Cancel button. Not modal: the controller shows it and
// acts on its OK button; Cancel, Escape and the window's close button all only hide it.
class OptimizationNotice : public QDialog
{
    Q_OBJECT

public:
    enum class Buttons { Ok, OkCancel };

    OptimizationNotice(const QString &title, const QString &text, const QString &checkBoxText,
                       Buttons buttons, QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_text; }
    QCheckBox *checkBox() const { return m_checkBox; }
    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; } // null without one

private:
    QLabel *m_text;
    QCheckBox *m_checkBox;
    QPushButton *m_okButton;
    QPushButton *m_cancelButton = nullptr;
};

// The wording of the two notices.
QString noticeBeforeRunText();
QString noticeAfterRunText();

} // namespace Kalvoren
