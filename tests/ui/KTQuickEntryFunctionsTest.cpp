// Quick Entry's "Functions" button: Function Properties on the working copy, from function 1.

#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"
#include "ui/KTFunctionDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

// Answers Function Properties with the given action; restores the previous hook.
class PropertiesHook
{
public:
    explicit PropertiesHook(std::function<int(KTFunctionDlg&)> answer)
    {
        m_previous = KTFunctionDlg::SetModalHook([this, answer](KTFunctionDlg& dialog) {
            ++m_calls;
            m_number = dialog.m_functionNumber;
            m_shownEquation = CString::FromQString(dialog.EquationEdit()->text());
            return answer(dialog);
        });
    }
    ~PropertiesHook() { KTFunctionDlg::SetModalHook(m_previous); }
    int m_calls = 0;
    int m_number = 0;
    CString m_shownEquation;

private:
    KTFunctionDlg::ModalHook m_previous;
};

void TypeLines(KTQuickEntry& dialog, const char* text)
{
    dialog.EquationEdit()->setPlainText(QString::fromLatin1(text));
}

} // namespace

TEST(KTQuickEntryFunctions, OkTakesTheEditedFunctionsBackIntoTheEdit)
{
    kttest::LocaleScope locale;
    KTQuickEntry dialog(nullptr, nullptr);
    dialog.OnInitDialog();
    ASSERT_TRUE(dialog.FunctionsButton()->isEnabled());
    TypeLines(dialog, "Y = X^2\ny = 2x");
    PropertiesHook hook([](KTFunctionDlg& properties) {
        properties.DomainEdit()->setText(QStringLiteral("[0, 4]"));
        properties.NumberSpin()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        properties.EquationEdit()->setText(QStringLiteral("y = 3x"));
        properties.OnOK();
        return properties.result();
    });
    dialog.m_data.m_dirty = 0;
    QTest::mouseClick(dialog.FunctionsButton(), Qt::LeftButton);
    ASSERT_EQ(hook.m_calls, 1);
    EXPECT_EQ(hook.m_number, 1);
    // The split and lower-cased text, interpreted before the dialog opened.
    EXPECT_EQ(hook.m_shownEquation, "y = x^2");
    EXPECT_EQ(dialog.m_data.Function(0).Data().m_equationText, "y = x^2; [0, 4]");
    EXPECT_EQ(dialog.m_data.Function(1).Data().m_equationText, "y = 3x");
    EXPECT_EQ(dialog.EquationEdit()->toPlainText(),
              QStringLiteral("y = x^2; [0, 4]\ny = 3x\n\n\n\n\n\n\n\n"));
    EXPECT_EQ(dialog.EquationEdit()->textCursor().position(), 0);
    EXPECT_TRUE(dialog.PreviewPending());
    EXPECT_EQ(dialog.m_data.m_dirty, KTGraphData3::Dirty);
}

TEST(KTQuickEntryFunctions, LinesThatFindNoFunctionStayInTheEditAfterProperties)
{
    KTQuickEntry dialog(nullptr, nullptr);
    dialog.OnInitDialog();
    // Eleven lines with text; the last two, past a full graph, have no function to go to.
    TypeLines(dialog, "y=1\ny=2\ny=3\ny=4\ny=5\ny=6\ny=7\ny=8\ny=9\ny=10\nY=X^2\ny=x^3");
    PropertiesHook hook([](KTFunctionDlg& properties) {
        properties.EquationEdit()->setText(QStringLiteral("y = 3x"));
        properties.OnOK();
        return properties.result();
    });
    dialog.OnFunctions();
    ASSERT_EQ(hook.m_calls, 1);
    EXPECT_EQ(dialog.m_data.Function(0).Data().m_equationText, "y = 3x");
    EXPECT_EQ(dialog.EquationEdit()->toPlainText(),
              QStringLiteral("y = 3x\ny=2\ny=3\ny=4\ny=5\ny=6\ny=7\ny=8\ny=9\ny=10\ny=x^2\ny=x^3"));
    // OK still asks before it leaves them out.
    kttest::MessageBoxRecorder boxes(IDNO);
    dialog.OnOK();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST(KTQuickEntryFunctions, CancelKeepsTheSplitTexts)
{
    KTQuickEntry dialog(nullptr, nullptr);
    dialog.OnInitDialog();
    TypeLines(dialog, "y = x\ny = -x");
    PropertiesHook hook([](KTFunctionDlg& properties) {
        properties.EquationEdit()->setText(QStringLiteral("y = 9"));
        properties.reject();
        return properties.result();
    });
    dialog.OnFunctions();
    EXPECT_EQ(hook.m_calls, 1);
    EXPECT_EQ(dialog.m_data.Function(0).Data().m_equationText, "y = x");
    EXPECT_EQ(dialog.m_data.Function(1).Data().m_equationText, "y = -x");
    EXPECT_EQ(dialog.EquationEdit()->toPlainText(), QStringLiteral("y = x\ny = -x"));
}

TEST(KTQuickEntryFunctions, ChangedDefaultsAreSavedAfterOk)
{
    kttest::TempDir folder;
    KTOptionStore store;
    store.m_location = -1; // keeps the path set here
    store.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 defaults;
    defaults.m_annotation.m_bDefaultsChanged = 1;
    KTQuickEntry dialog(&defaults, &store);
    dialog.OnInitDialog();
    TypeLines(dialog, "y = x");

    // Cancelled after "Set As Default": the defaults changed in memory, nothing is written.
    {
        PropertiesHook hook([](KTFunctionDlg& properties) {
            EXPECT_TRUE(properties.SetAsDefaultButton()->isEnabled());
            properties.VerticalAsymptotesCheck()->setChecked(true);
            properties.OnSetAsDefault();
            properties.reject();
            return properties.result();
        });
        dialog.OnFunctions();
    }
    EXPECT_EQ(defaults.m_functions[4].m_vAsym.m_value, 1);
    EXPECT_FALSE(std::ifstream(folder.File("KTG300.ini")).good());

    // Without "Set As Default" the byte is cleared before the dialog runs: nothing is written.
    {
        PropertiesHook hook([](KTFunctionDlg& properties) {
            properties.OnOK();
            return properties.result();
        });
        dialog.OnFunctions();
    }
    EXPECT_EQ(defaults.m_annotation.m_bDefaultsChanged, 0);
    EXPECT_FALSE(std::ifstream(folder.File("KTG300.ini")).good());

    {
        PropertiesHook hook([](KTFunctionDlg& properties) {
            properties.HorizontalAsymptotesCheck()->setChecked(true);
            properties.OnSetAsDefault();
            properties.OnOK();
            return properties.result();
        });
        dialog.OnFunctions();
    }
    std::ifstream file(folder.File("KTG300.ini"));
    ASSERT_TRUE(file.good());
    KTOptionStore reread;
    reread.m_location = -1;
    reread.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reread);
    EXPECT_EQ(loaded.m_functions[7].m_hAsym.m_value, 1);
    EXPECT_EQ(dialog.m_data.Function(7).Data().m_options.m_hAsym.m_value, 1);
}
