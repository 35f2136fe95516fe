#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    KTLocale::UseCNumericLocale();
    QApplication::setApplicationName(QStringLiteral("KT Graph 3"));

    KTSetMessageBoxHandler([](const CString& caption, const CString& text, unsigned type) {
        const unsigned buttons = type & 0xF;
        if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) {
            auto answer = QMessageBox::question(nullptr, caption.ToQString(), text.ToQString(),
                                                buttons == MB_YESNO
                                                    ? QMessageBox::Yes | QMessageBox::No
                                                    : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            return answer == QMessageBox::Yes ? IDYES : answer == QMessageBox::No ? IDNO : IDCANCEL;
        }
        QMessageBox::warning(nullptr, caption.ToQString(), text.ToQString());
        return IDOK;
    });

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("KT Graph 3"));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
