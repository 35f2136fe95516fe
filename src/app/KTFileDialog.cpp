#include "app/KTFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

KTFileDialog::Handler& CurrentHandler()
{
    static KTFileDialog::Handler handler;
    return handler;
}

} // namespace

QString KTFileDialog::Filter()
{
    return QStringLiteral("KT Graph 3 Files (*.kt3);;All Files (*)");
}

QString KTFileDialog::GetOpenFileName(QWidget* parent)
{
    if (CurrentHandler())
        return CurrentHandler()(false, QString());
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QString(), Filter());
}

QString KTFileDialog::GetSaveFileName(QWidget* parent, const QString& suggested)
{
    QString path;
    if (CurrentHandler()) {
        path = CurrentHandler()(true, suggested);
    } else {
        QFileDialog dialog(parent, QStringLiteral("Save As"), suggested, Filter());
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("kt3"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        path = dialog.selectedFiles().constFirst();
    }
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".kt3");
    return path;
}

KTFileDialog::Handler KTFileDialog::SetHandler(Handler handler)
{
    Handler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}
