#include "platform/KTMessageBox.h"

namespace {

KTMessageBoxHandler& Handler()
{
    static KTMessageBoxHandler handler;
    return handler;
}

} // namespace

int KTMessageBox(const CString& caption, const CString& text, unsigned type)
{
    if (Handler())
        return Handler()(caption, text, type);
    const unsigned buttons = type & 0xF;
    return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
}

KTMessageBoxHandler KTSetMessageBoxHandler(KTMessageBoxHandler handler)
{
    KTMessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
