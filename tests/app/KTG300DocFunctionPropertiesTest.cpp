// The Edit Properties command: Function Properties on a copy of the graph data at the function
// under the cursor; OK takes the copy back, and the document counts as changed either way.

#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "ui/KTFunctionDlg.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>

namespace {

class PropertiesHook
{
public:
    explicit PropertiesHook(std::function<int(KTFunctionDlg&)> answer)
    {
        m_previous = KTFunctionDlg::SetModalHook([this, answer](KTFunctionDlg& dialog) {
            ++m_calls;
            m_number = dialog.m_functionNumber;
            return answer(dialog);
        });
    }
    ~PropertiesHook() { KTFunctionDlg::SetModalHook(m_previous); }
    int m_calls = 0;
    int m_number = 0;

private:
    KTFunctionDlg::ModalHook m_previous;
};

CString FunctionText(const KTG300Doc& document, int slot)
{
    return document.Graph().Data().Function(slot).Data().m_equationText;
}

} // namespace

TEST(KTG300DocFunctionProperties, OkTakesTheCopyBack)
{
    KTG300Doc document;
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y = x";
    document.Graph().Data().Function(1).Data().m_equationText = "y = 2x";
    for (int slot : {0, 1})
        document.Graph().Data().Function(slot).Interpret();
    document.Graph().Data().m_dirty = 0;
    KTG300View view(document);
    view.SetFunctionUnderCursor(1);

    PropertiesHook hook([](KTFunctionDlg& dialog) {
        dialog.EquationEdit()->setText(QStringLiteral("y = 4x"));
        dialog.OnOK();
        return dialog.result();
    });
    view.OnEditProperties();
    ASSERT_EQ(hook.m_calls, 1);
    EXPECT_EQ(hook.m_number, 2);
    EXPECT_EQ(FunctionText(document, 1), "y = 4x");
    EXPECT_EQ(FunctionText(document, 0), "y = x");
    EXPECT_EQ(document.Graph().Data().m_dirty, 2);
    EXPECT_TRUE(document.IsModified());
}

TEST(KTG300DocFunctionProperties, CancelLeavesTheDataAndTheDocumentUnmodified)
{
    KTG300Doc document;
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y = x";
    document.Graph().Data().m_dirty = 0;
    ASSERT_FALSE(document.IsModified());
    PropertiesHook hook([](KTFunctionDlg& dialog) {
        dialog.OnDelete();
        dialog.reject();
        return dialog.result();
    });
    // No function under the cursor: the dialog opens at the first.
    EXPECT_FALSE(document.EditFunctionProperties(0));
    EXPECT_EQ(hook.m_number, 1);
    EXPECT_FALSE(document.EditFunctionProperties(11));
    EXPECT_EQ(hook.m_number, 1);
    EXPECT_EQ(FunctionText(document, 0), "y = x");
    EXPECT_EQ(document.Graph().Data().m_dirty, 0);
    // Delete worked on the dialog's copy: nothing of the document changed.
    EXPECT_FALSE(document.IsModified());
}
