// The view's commands.

#include "app/KTG300View.h"

#include "app/KTG300Doc.h"

void KTG300View::OnEditFunctions()
{
    m_document.EditFunctions(this);
    update();
}
