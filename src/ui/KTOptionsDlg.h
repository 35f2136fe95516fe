#pragma once
// The base of the dialogs that edit the application's options: they open on the defaults, and OK
// writes the fields into the current document's options and into the defaults, then saves the
// settings file.

#include "ui/KTDialog.h"

#include <functional>
#include <map>

class KTOptionGraph3;
class KTOptionStore;

/// Writes through `write` into `document` and `defaults` (either may be null), then saves the
/// defaults into `store` (may be null) and writes the settings file.
void KTApplyOptions(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                    const std::function<void(KTOptionGraph3&)>& write);

/// Derived provides a public OnOK() that ends, once its fields pass, in ApplyAndAccept().
template <class Derived> class KTOptionsDlg : public KTDialog<Derived, KTDialogInit::OnModal>
{
public:
    /// The control of an id, or null.
    QWidget* Control(int id) const
    {
        const auto it = m_controls.find(id);
        return it == m_controls.end() ? nullptr : it->second;
    }

protected:
    /// `defaults` is read on opening; on OK `document` (may be null) and `defaults` are written
    /// and `store` (may be null) saved. None is owned.
    KTOptionsDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent)
        : KTDialog<Derived, KTDialogInit::OnModal>(parent), m_document(document), m_defaults(defaults),
          m_store(store)
    {
    }

    /// The fields into one set of options.
    virtual void WriteInto(KTOptionGraph3& options) const = 0;

    /// Writes the document's options and the defaults, saves, and closes with Accepted.
    void ApplyAndAccept()
    {
        KTApplyOptions(m_document, m_defaults, m_store,
                       [this](KTOptionGraph3& options) { WriteInto(options); });
        this->QDialog::done(QDialog::Accepted);
    }

    /// Every way of accepting (Enter included) goes through OnOK, which may keep the dialog open.
    void done(int result) override
    {
        if (result == QDialog::Accepted) {
            static_cast<Derived*>(this)->OnOK();
            return;
        }
        this->QDialog::done(result);
    }

    KTOptionGraph3* m_document;
    KTOptionGraph3* m_defaults;
    KTOptionStore* m_store;
    std::map<int, QWidget*> m_controls;
};
