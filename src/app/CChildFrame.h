#pragma once
// The window of one document inside the main window: it owns the document and shows its one
// view, opens maximised, carries the document's title with the modified marker, and asks to
// save a modified document before it closes.

#include <QMdiSubWindow>

#include <memory>

class KTG300Doc;
class KTG300View;

class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    explicit CChildFrame(std::unique_ptr<KTG300Doc> document, QWidget* parent = nullptr);
    ~CChildFrame() override;

    KTG300Doc& Document() const { return *m_document; }
    KTG300View& View() const { return *m_view; }

    /// True while the user sizes or moves the window by its frame (mouse or keyboard), as
    /// opposed to the main window arranging it.
    bool IsUserSizing() const { return m_userSizing; }

    /// Saves to the document's path, or asks for one; false when nothing was saved.
    bool Save();
    bool SaveAs();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateTitle();

    std::unique_ptr<KTG300Doc> m_document;
    KTG300View* m_view = nullptr;
    bool m_userSizing = false;
};
