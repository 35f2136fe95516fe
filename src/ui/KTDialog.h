#pragma once
// The scaffolding every modal dialog of the program shares: a per-class hook that answers DoModal
// (so that no test blocks on a modal loop), DoModal itself, the first show initialising the
// controls for dialogs opened by show() as well as by DoModal, and the typeset previews.

#include <QDialog>
#include <QPainter>
#include <QRect>
#include <QShowEvent>

#include <functional>
#include <utility>

class CString;

/// Typesets `text` with the graphing preset at the top left of `painter`'s device, in hundredths
/// of a millimetre; an empty text draws nothing.
void KTPaintTypesetPreview(QPainter& painter, const CString& text);

/// Where a window whose frame is `frame` goes so that it lies within `available`: moved up (or
/// left) by what runs off the bottom (right), then down (right) to the area's top (left) edge,
/// its height (width) cut to the area's where it is larger.
QRect KTFitWithin(const QRect& frame, const QRect& available);

/// Keeps a top-level window within the available geometry of the screen it is on, as
/// KTFitWithin places it; a window too large for the screen gets its contents (its layout) put
/// into a scroll area first, so that all of them can still be reached.
void KTKeepOnScreen(QWidget& window);

/// When the dialog fills its controls from its members.
enum class KTDialogInit {
    /// On DoModal and on the first show; Derived::OnInitDialog must guard against running twice.
    OnModalAndShow,
    /// On DoModal only; OnInitDialog may refill the controls every time.
    OnModal,
};

/// Base of a modal dialog `Derived` (CRTP): Derived provides a public OnInitDialog() unless it
/// replaces DoModal with its own, built on RunModal().
template <class Derived, KTDialogInit Init = KTDialogInit::OnModalAndShow> class KTDialog : public QDialog
{
public:
    /// Answers DoModal in place of running the dialog (tests): called after initialisation with
    /// the dialog shown, returns QDialog::Accepted or Rejected.
    using ModalHook = std::function<int(Derived&)>;

    /// Replaces the hook, returning the previous one; an empty hook runs the dialog.
    static ModalHook SetModalHook(ModalHook hook)
    {
        ModalHook previous = std::move(Hook());
        Hook() = std::move(hook);
        return previous;
    }

    /// Initialises from the members and runs the dialog; Accepted after OK.
    int DoModal()
    {
        Self().OnInitDialog();
        return RunModal();
    }

protected:
    explicit KTDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    /// Runs the dialog as it stands: through the hook when one is set, else a modal loop.
    int RunModal()
    {
        if (const ModalHook& hook = Hook()) {
            show();
            const int result = hook(Self());
            hide();
            return result;
        }
        return exec();
    }

    /// Paints `device` (a preview widget in its paint event) through `paint(QPainter&)`. Nothing
    /// may escape a paint: a failed drawing leaves the background.
    template <class Paint> static void PaintGuarded(QPaintDevice* device, Paint&& paint)
    {
        try {
            QPainter painter(device);
            paint(painter);
        } catch (...) {
        }
    }

    void showEvent(QShowEvent* event) override
    {
        if constexpr (Init == KTDialogInit::OnModalAndShow)
            Self().OnInitDialog();
        QDialog::showEvent(event);
        KTKeepOnScreen(*this);
    }

private:
    static ModalHook& Hook()
    {
        static ModalHook hook;
        return hook;
    }

    Derived& Self() { return static_cast<Derived&>(*this); }
};
