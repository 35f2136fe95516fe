#include "ui/KTOptionsDlg.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"

void KTApplyOptions(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                    const std::function<void(KTOptionGraph3&)>& write)
{
    if (document)
        write(*document);
    if (!defaults)
        return;
    write(*defaults);
    if (store) {
        defaults->SaveSettings(*store, false);
        store->Write();
    }
}
