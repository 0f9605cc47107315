#include "ErrorDialogWindow.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

namespace platform::family {

ErrorDialogWindow::ErrorDialogWindow(QWidget* parent)
    : m_parent(parent)
{
}

void ErrorDialogWindow::ErrorMsgBox(QString& description, QString& source, int& number, QString& helpText)
{
    QMessageBox box(QMessageBox::Critical, u"Ошибка программы"_s, description, QMessageBox::Ok, m_parent);
    QString details = u"Номер ошибки: "_s + QString::number(number);
    if (!source.isEmpty())
        details += u"\nИсточник: "_s + source;
    if (!helpText.isEmpty())
        details += u'\n' + helpText;
    box.setInformativeText(details);
    box.exec();
}

} // namespace platform::family
