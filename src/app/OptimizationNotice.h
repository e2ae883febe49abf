#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace Kalvoren {

// A notice panel: a text, a "do not show again" check box and an OK button. Not modal: the
// controller shows it and acts on its OK button; closing it any other way only hides it.
class OptimizationNotice : public QDialog
{
    Q_OBJECT

public:
    OptimizationNotice(const QString &title, const QString &text, const QString &checkBoxText,
                       QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_text; }
    QCheckBox *checkBox() const { return m_checkBox; }
    QPushButton *okButton() const { return m_okButton; }

private:
    QLabel *m_text;
    QCheckBox *m_checkBox;
    QPushButton *m_okButton;
};

// The wording of the two notices.
QString noticeBeforeRunText();
QString noticeAfterRunText();

} // namespace Kalvoren
