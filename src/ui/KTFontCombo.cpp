#include "ui/KTFontCombo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

namespace {

COLORREF ToColorRef(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

class KTFontItemDelegate : public QStyledItemDelegate
{
public:
    explicit KTFontItemDelegate(KTFontCombo* owner) : QStyledItemDelegate(owner), m_owner(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Nothing may escape a paint.
        try {
            painter->save();
            m_owner->DrawItem(*painter, option.rect, index.row(),
                              (option.state & QStyle::State_Selected) != 0,
                              (option.state & QStyle::State_HasFocus) != 0, false);
            painter->restore();
        } catch (...) {
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_owner->MeasureItem(index.row()));
    }

private:
    KTFontCombo* m_owner;
};

} // namespace

KTFontCombo::KTFontCombo(QWidget* parent)
    : QComboBox(parent), m_sampleColor(ToColorRef(QApplication::palette().color(QPalette::WindowText)))
{
    setItemDelegate(new KTFontItemDelegate(this));
}

KTFontCombo::~KTFontCombo() = default;

void KTFontCombo::Fill()
{
    clear();
    m_fonts.clear();
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        // Symbol faces map their glyphs onto Latin codes; they are not ANSI faces.
        const bool latin = systems.contains(QFontDatabase::Latin) && !systems.contains(QFontDatabase::Symbol);
        int type = DEVICE_FONTTYPE;
        if (QFontDatabase::isSmoothlyScalable(family))
            type = TRUETYPE_FONTTYPE;
        else if (QFontDatabase::isBitmapScalable(family) || !QFontDatabase::isScalable(family))
            type = RASTER_FONTTYPE;
        AddFace(FamilyName(family), type, latin);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

int KTFontCombo::AddFace(const QString& face, int fontType, bool hasLatin)
{
    if (!hasLatin)
        return -1;
    if (const int listed = FindFace(face); listed >= 0)
        return listed;
    // The list stays in alphabetical order, as a sorted list box keeps it.
    int index = 0;
    while (index < count() && QString::compare(itemText(index), face, Qt::CaseInsensitive) <= 0)
        ++index;
    insertItem(index, face, fontType);
    if (m_displayMode != ModeFaceOnly) {
        QFont font(face);
        font.setPixelSize(std::max(1, m_fontHeight));
        font.setWeight(QFont::Normal);
        m_fonts.insert(face, font);
    }
    return index;
}

int KTFontCombo::FindFace(const QString& face) const
{
    for (int i = 0; i < count(); ++i)
        if (QString::compare(itemText(i), face, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString KTFontCombo::FamilyName(const QString& databaseFamily)
{
    static const QRegularExpression foundry(QStringLiteral("\\s+\\[[^\\]]*\\]$"));
    QString family = databaseFamily;
    family.remove(foundry);
    return family;
}

void KTFontCombo::SetFontHeight(int height, bool refill)
{
    if (height == m_fontHeight)
        return;
    m_fontHeight = height;
    if (refill)
        Fill();
}

QFont KTFontCombo::FaceFont(const QString& face) const
{
    const auto it = m_fonts.constFind(face);
    if (it != m_fonts.constEnd())
        return *it;
    QFont font(face);
    font.setPixelSize(std::max(1, m_fontHeight));
    return font;
}

int KTFontCombo::MeasureItem(int index)
{
    if (index >= 0 && index < count() &&
        (m_displayMode == ModeFaceThenSample || m_displayMode == ModeSampleThenFace)) {
        const QFontMetrics nameMetrics(QApplication::font());
        m_widestName = std::max(m_widestName, nameMetrics.horizontalAdvance(itemText(index)));
        const QFontMetrics sampleMetrics(FaceFont(itemText(index)));
        m_widestSample = std::max(m_widestSample, sampleMetrics.horizontalAdvance(m_sampleText.ToQString()));
    }
    return m_fontHeight + 4;
}

int KTFontCombo::DropDownWidth() const
{
    int width = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 15;
    switch (m_displayMode) {
    case ModeFaceInFace:
    case ModeFaceOnly: width += m_widestName; break;
    case ModeFaceThenSample:
    case ModeSampleThenFace: width += m_widestName + m_widestSample + 20; break;
    case ModeSampleOnly: width += m_widestSample; break;
    default: break;
    }
    return width;
}

void KTFontCombo::showPopup()
{
    view()->setMinimumWidth(std::max(width(), DropDownWidth()));
    QComboBox::showPopup();
}

void KTFontCombo::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected, bool focused,
                           bool editPart) const
{
    const QPalette& colours = palette();
    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    if (index < 0 || index >= count())
        return;
    QColor text = colours.color(QPalette::Text);
    QColor sample = ToQColor(m_sampleColor);
    if (selected) {
        painter.fillRect(rect, colours.color(QPalette::Highlight));
        text = sample = colours.color(QPalette::HighlightedText);
    } else {
        painter.fillRect(rect, colours.color(QPalette::Base));
    }

    QRect area = rect;
    if (itemData(index).toInt() & TRUETYPE_FONTTYPE) {
        // The TrueType mark: a small outlined "T".
        QFont mark = painter.font();
        mark.setBold(true);
        mark.setPixelSize(11);
        painter.save();
        painter.setFont(mark);
        painter.setPen(selected ? text : QColor(0, 0, 128));
        painter.drawText(QRect(rect.left() + 5, rect.top() + 4, GlyphWidth - 4, rect.height() - 8),
                         Qt::AlignCenter, QStringLiteral("T"));
        painter.restore();
        area.setLeft(area.left() + GlyphWidth);
    }
    area.setLeft(area.left() + 10);
    const QString name = itemText(index);
    const QString sampleText = m_sampleText.ToQString();
    const QFont own = painter.font();
    const QFont face = FaceFont(name);
    auto write = [&](const QFont& font, const QColor& colour, int left, const QString& what) {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QRect(left, area.top(), std::max(0, area.right() - left), area.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, what);
        return QFontMetrics(font).horizontalAdvance(what);
    };
    switch (m_displayMode) {
    case ModeFaceInFace: write(face, text, area.left(), name); break;
    case ModeFaceOnly: write(own, text, area.left(), name); break;
    case ModeFaceThenSample: {
        const int nameWidth = QFontMetrics(own).horizontalAdvance(name);
        write(own, text, area.left(), name);
        write(face, sample, area.left() + 20 + (editPart ? nameWidth : m_widestName), sampleText);
        break;
    }
    case ModeSampleThenFace: {
        const int sampleWidth = write(face, sample, area.left(), sampleText);
        write(own, text, area.left() + 20 + (editPart ? sampleWidth : m_widestSample), name);
        break;
    }
    case ModeSampleOnly: write(face, sample, area.left(), sampleText); break;
    default: break;
    }
    painter.setFont(own);
}

void KTFontCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect edit =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    try {
        painter.save();
        DrawItem(painter, edit, currentIndex(), false, false, true);
        painter.restore();
    } catch (...) {
    }
}

void DDX_FontCombo(bool saveAndValidate, KTFontCombo& combo, CString& face)
{
    if (saveAndValidate) {
        const int index = combo.currentIndex();
        face = index < 0 ? CString() : CString::FromQString(combo.itemText(index));
        return;
    }
    const QString wanted = face.ToQString();
    if (wanted.isEmpty()) {
        combo.setCurrentIndex(-1);
        return;
    }
    int found = combo.FindFace(wanted);
    if (found < 0) {
        // Not installed here (a document from another computer): the face stays the record's,
        // drawn in what the font system puts in its place.
        found = combo.AddFace(wanted, 0, true);
    }
    combo.setCurrentIndex(found);
}
