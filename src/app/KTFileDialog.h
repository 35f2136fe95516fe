#pragma once
// The file dialogs of the File menu, through a hook that tests answer so that no test blocks.

#include <QString>

#include <functional>

class QWidget;

namespace KTFileDialog {

/// The filter of the document files.
QString Filter();

/// Asks for a file to open; the empty text when cancelled.
QString GetOpenFileName(QWidget* parent);
/// Asks where to save, starting from the suggested path; ".kt3" is added to a name without an
/// extension. The empty text when cancelled.
QString GetSaveFileName(QWidget* parent, const QString& suggested);

/// Answers both questions instead of a dialog (open: save = false); the previous handler is
/// returned. An empty handler restores the dialogs.
using Handler = std::function<QString(bool save, const QString& suggested)>;
Handler SetHandler(Handler handler);

} // namespace KTFileDialog
