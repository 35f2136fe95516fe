#pragma once
// Runs a dialog of the start-up services modally, or hands it to a hook that a test installed,
// so that no test blocks on a dialog. One hook per dialog class.

#include <functional>
#include <utility>

template <typename Dialog> class KTModalHook
{
public:
    /// Answers the shown dialog in place of the user: returns QDialog::Accepted or Rejected.
    using Hook = std::function<int(Dialog&)>;

    /// Replaces the hook, returning the previous one; an empty hook runs the dialog.
    static Hook Set(Hook hook)
    {
        Hook previous = std::move(Current());
        Current() = std::move(hook);
        return previous;
    }

    static int Run(Dialog& dialog)
    {
        if (const Hook& hook = Current()) {
            dialog.show();
            const int result = hook(dialog);
            dialog.hide();
            return result;
        }
        return dialog.exec();
    }

private:
    static Hook& Current()
    {
        static Hook hook;
        return hook;
    }
};
