#include "ui/KTMessagesDlg.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

/// The nineteen texts the program starts with, in the rows' order.
std::array<CString, KTMessagesDlg::DecimalRowCount + KTMessagesDlg::TextRowCount> DefaultTexts()
{
    const KTOptionGraph3 factory;
    std::array<CString, KTMessagesDlg::DecimalRowCount + KTMessagesDlg::TextRowCount> texts;
    for (std::size_t i = 0; i < KTOptionPOI::EntryCount; ++i)
        texts[i] = factory.m_poi.m_name[i].GetDefault();
    std::size_t i = KTOptionPOI::EntryCount;
    for (const KTOptionString* option :
         {&factory.m_msgArea, &factory.m_msgyAxis, &factory.m_msgDeriv1, &factory.m_msgDeriv2,
          &factory.m_msgRightClick, &factory.m_msgNegativeArm, &factory.m_msgPositiveArm})
        texts[i++] = option->GetDefault();
    return texts;
}

/// The width an edit needs to show the text whole: the text, the edit's own margins and frame.
int FieldWidthFor(const QLineEdit& edit, const QString& text)
{
    constexpr int kInnerMargin = 2; // each side, between the frame and the text
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    const QMargins margins = edit.textMargins();
    const int cursor = 1;
    const int inner = edit.fontMetrics().horizontalAdvance(text) + 2 * kInnerMargin + margins.left() +
                      margins.right() + cursor;
    return edit.style()
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(inner, edit.sizeHint().height()), &edit)
        .width();
}

} // namespace

const std::array<int, KTMessagesDlg::DecimalRowCount> KTMessagesDlg::TextIds = {
    1094, 1019, 1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1054, 1055, 1057};
const std::array<int, KTMessagesDlg::DecimalRowCount> KTMessagesDlg::DecimalIds = {
    1095, 1096, 1097, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1113, 1114, 1115};
const std::array<int, KTMessagesDlg::TextRowCount> KTMessagesDlg::PlainTextIds = {1012, 1058, 1059,
                                                                                  1060, 1061, 1062};

KTMessagesDlg::KTMessagesDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store,
                             QWidget* parent)
    : KTOptionsDlg(document, defaults, store, parent)
{
    setObjectName(Q("KTMessagesDlg"));
    setWindowTitle(Q("Messages"));
    BuildLayout();
}

KTMessagesDlg::~KTMessagesDlg() = default;

void KTMessagesDlg::BuildLayout()
{
    // Two columns of rows under the headings "Message" and "DP"; the rows carry no labels.
    auto* grid = new QGridLayout;
    for (int column = 0; column < 2; ++column) {
        grid->addWidget(new QLabel(Q("Message"), this), 0, column * 2);
        grid->addWidget(new QLabel(Q("DP"), this), 0, column * 2 + 1);
    }
    const int half = (DecimalRowCount + TextRowCount + 1) / 2;
    int row = 0;
    auto place = [&](QWidget* text, QWidget* decimals) {
        const int column = row < half ? 0 : 2;
        const int line = 1 + (row < half ? row : row - half);
        grid->addWidget(text, line, column);
        if (decimals)
            grid->addWidget(decimals, line, column + 1);
        ++row;
    };
    for (int i = 0; i < DecimalRowCount; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Text%1").arg(TextIds[static_cast<std::size_t>(i)]));
        auto* list = new QComboBox(this);
        list->setObjectName(QStringLiteral("Decimals%1").arg(DecimalIds[static_cast<std::size_t>(i)]));
        for (int n = 0; n < DecimalChoices; ++n)
            list->addItem(QString::number(n), n);
        m_controls[TextIds[static_cast<std::size_t>(i)]] = edit;
        m_controls[DecimalIds[static_cast<std::size_t>(i)]] = list;
        place(edit, list);
    }
    for (int id : PlainTextIds) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Text%1").arg(id));
        m_controls[id] = edit;
        place(edit, nullptr);
    }

    // Every edit is as wide as the longest text the program starts with, so no default is cut.
    int width = 0;
    const auto& first = *static_cast<QLineEdit*>(Control(TextIds[0]));
    for (const CString& text : DefaultTexts())
        width = std::max(width, FieldWidthFor(first, text.ToQString()));
    for (int id : TextIds)
        Control(id)->setMinimumWidth(width);
    for (int id : PlainTextIds)
        Control(id)->setMinimumWidth(width);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(Q("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(Q("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &KTMessagesDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addWidget(buttons);
}

bool KTMessagesDlg::OnInitDialog()
{
    if (m_defaults) {
        KTOptionPOI& poi = m_defaults->m_poi;
        for (int i = 0; i < KTOptionPOI::EntryCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            m_text[at] = poi.m_name[at].m_value;
            m_decimals[at] = poi.m_decimals[at].GetValue(); // puts an out-of-range count to the midpoint
        }
        m_text[12] = m_defaults->m_msgArea.m_value;
        m_decimals[12] = m_defaults->m_dpArea.GetValue();
        m_plainText = {m_defaults->m_msgyAxis.m_value,       m_defaults->m_msgDeriv1.m_value,
                       m_defaults->m_msgDeriv2.m_value,      m_defaults->m_msgRightClick.m_value,
                       m_defaults->m_msgNegativeArm.m_value, m_defaults->m_msgPositiveArm.m_value};
    }
    UpdateData(false);
    return true;
}

void KTMessagesDlg::UpdateData(bool saveAndValidate)
{
    for (std::size_t i = 0; i < DecimalRowCount; ++i) {
        auto* edit = static_cast<QLineEdit*>(Control(TextIds[i]));
        auto* list = static_cast<QComboBox*>(Control(DecimalIds[i]));
        if (saveAndValidate) {
            m_text[i] = CString::FromQString(edit->text());
            m_decimals[i] = list->currentIndex();
        } else {
            const QSignalBlocker editBlocker(edit);
            const QSignalBlocker listBlocker(list);
            edit->setText(m_text[i].ToQString());
            edit->setCursorPosition(0); // shown from its start
            list->setCurrentIndex(m_decimals[i] >= 0 && m_decimals[i] < DecimalChoices ? m_decimals[i] : -1);
        }
    }
    for (std::size_t i = 0; i < TextRowCount; ++i) {
        auto* edit = static_cast<QLineEdit*>(Control(PlainTextIds[i]));
        if (saveAndValidate) {
            m_plainText[i] = CString::FromQString(edit->text());
        } else {
            const QSignalBlocker blocker(edit);
            edit->setText(m_plainText[i].ToQString());
            edit->setCursorPosition(0);
        }
    }
}

void KTMessagesDlg::WriteInto(KTOptionGraph3& options) const
{
    auto put = [](KTOptionInt& option, int value) {
        option.m_value = value;
        option.GetValue();
    };
    for (std::size_t i = 0; i < KTOptionPOI::EntryCount; ++i) {
        options.m_poi.m_name[i].m_value = m_text[i];
        put(options.m_poi.m_decimals[i], m_decimals[i]);
    }
    options.m_msgArea.m_value = m_text[12];
    put(options.m_dpArea, m_decimals[12]);
    options.m_msgyAxis.m_value = m_plainText[0];
    options.m_msgDeriv1.m_value = m_plainText[1];
    options.m_msgDeriv2.m_value = m_plainText[2];
    options.m_msgRightClick.m_value = m_plainText[3];
    options.m_msgNegativeArm.m_value = m_plainText[4];
    options.m_msgPositiveArm.m_value = m_plainText[5];
}

void KTMessagesDlg::OnOK()
{
    UpdateData(true);
    ApplyAndAccept();
}
