// The edit road of the annotation list: a copy of one annotation goes to the edit dialog (which
// lives above the graph model and is reached through a hook) and comes back only after OK.

#include "graph/KTAnnotationEditFields.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"

#include <utility>

namespace {

KTGAnnotationList::EditHook& Hook()
{
    static KTGAnnotationList::EditHook hook;
    return hook;
}

} // namespace

KTGAnnotationList::EditHook KTGAnnotationList::SetEditHook(EditHook hook)
{
    EditHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

bool KTGAnnotationList::EditAt(int index, KTOptionsAnnotation& defaults, const CString& placeholder)
{
    KTGAnnotation copy = GetAt(index);
    KTAnnotationEditFields fields =
        KTAnnotationEditFields::FromAnnotation(copy, m_bEditExpanded != 0, placeholder);
    defaults.m_bDefaultsChanged = 0;
    const EditHook& hook = Hook();
    if (!hook || !hook(fields, defaults))
        return false;
    fields.ApplyTo(copy);
    m_bEditExpanded = fields.m_expanded;
    GetAt(index) = copy;
    return true;
}
