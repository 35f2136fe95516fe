#include "app/KTLegacyFileReader.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogFont.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTGraphData3.h"
#include "graph/KTOptionGraph3.h"

#include <cstring>

namespace {

// A cursor over the bytes with the file's rules: a read past the end delivers nothing and
// leaves its destination as it was.
class LegacyCursor
{
public:
    explicit LegacyCursor(const std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}

    bool Read(void* out, std::size_t count)
    {
        if (m_pos > m_bytes.size() || m_bytes.size() - m_pos < count) {
            m_pos = m_bytes.size();
            return false;
        }
        std::memcpy(out, m_bytes.data() + m_pos, count);
        m_pos += count;
        return true;
    }
    template <typename T> bool Read(T& value) { return Read(&value, sizeof value); }
    void Skip(std::size_t count) { m_pos = count > m_bytes.size() - m_pos ? m_bytes.size() : m_pos + count; }
    /// One byte back, as after a text whose terminator starts the next binary field.
    void Back()
    {
        if (m_pos > 0)
            --m_pos;
    }
    CString Text() { return KTLegacyFileReader::ReadTextField(m_bytes, m_pos); }
    /// A text that its terminating byte ends; one that the end of the data cuts short is no text
    /// (the field it belongs to keeps its value).
    bool Text(CString& out)
    {
        const std::size_t start = m_pos;
        CString text = KTLegacyFileReader::ReadTextField(m_bytes, m_pos);
        if (m_pos == start || static_cast<std::int8_t>(m_bytes[m_pos - 1]) > 30)
            return false;
        out = std::move(text);
        return true;
    }
    void TextInto(KTOptionString& option)
    {
        if (CString text; Text(text))
            option.SetValue(text);
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_pos = 0;
};

CString FormatStep(double value)
{
    KTNumberFormat format; // shows no sign, strips zeros, keeps "-", six decimals
    return format.Format(value, -1);
}

void ReadFlag(LegacyCursor& in, KTOptionBool& option)
{
    std::int32_t value = 0;
    if (in.Read(value))
        option.m_value = value != 0 ? 1 : 0;
}

// "1 byte; text (ignored); back one byte; double": one of the three later step fields.
void ReadStep(LegacyCursor& in, KTOptionString& option)
{
    in.Skip(1);
    in.Text();
    in.Back();
    double value = 0.0;
    if (in.Read(value))
        option.SetValue(FormatStep(value));
}

void ReadFunction(LegacyCursor& in, KTFunction3& function)
{
    KTFunctionData3& data = function.Data();
    CString equation;
    CString domain;
    const bool read = in.Text(equation);
    in.Text();
    if (read && in.Text(domain)) {
        // Joined as interpretation cuts a typed text into its parts, and as the Function
        // Properties dialog joins them: the list separator would make one part of the two.
        if (!domain.IsEmpty())
            equation += CString(KTFunction3::PartSeparator()) + " " + domain;
        data.m_equationText = equation;
    }
    in.Back();
    KTOptionFunction3& options = data.m_options;
    ReadFlag(in, options.m_vAsym);
    ReadFlag(in, options.m_hAsym);
    ReadFlag(in, options.m_showFunctionArrows);
    ReadFlag(in, options.m_showLow);
    ReadFlag(in, options.m_showHigh);
    in.Skip(4 * 4);
    std::int32_t derivative = 0;
    if (in.Read(derivative))
        data.m_showFirstDerivative = derivative != 0 ? 1 : 0;
    in.Skip(1 + 4 + 4 + 1);
}

bool IsUserFunction(std::int32_t index)
{
    return index >= 0 && index < KTGraphData3::UserFunctionCount;
}

} // namespace

CString KTLegacyFileReader::ReadTextField(const std::vector<std::uint8_t>& bytes, std::size_t& pos)
{
    std::string text;
    while (pos < bytes.size()) {
        const auto byte = static_cast<std::int8_t>(bytes[pos++]);
        if (byte <= 30)
            break;
        text += static_cast<char>(byte);
    }
    return CString(std::move(text));
}

KTLegacyFileResult KTLegacyFileReader::ReadLegacyFile(const std::vector<std::uint8_t>& bytes,
                                                      KTGraphData3& data,
                                                      const KTOptionGraph3& defaults) const
{
    KTLegacyFileResult result;
    LegacyCursor in(bytes);
    std::int32_t rect[4];
    if (in.Read(rect, sizeof rect)) {
        result.rectRead = true;
        result.windowRect = CRect(rect[0], rect[1], rect[2], rect[3]);
    }
    double prefix[7] = {};
    if (!in.Read(prefix, sizeof prefix))
        return result;
    if (prefix[6] != KTLegacyFileMarker) {
        in.Skip(3 * 8 + 100); // the simplest layout holds nothing this program shows
        return result;
    }
    result.marked = true;

    KTOptionAxes2& axes = data.m_options.m_axes;
    in.Skip(4 + 4 * 8 + 1);
    in.TextInto(axes.m_xMaxShowS);
    in.TextInto(axes.m_yMaxShowS);
    in.TextInto(axes.m_xMinShowS);
    in.TextInto(axes.m_yMinShowS);
    in.Back();
    double step = 0.0;
    if (in.Read(step))
        axes.m_xMajorS.SetValue(FormatStep(step));
    ReadStep(in, axes.m_yMajorS);
    ReadStep(in, axes.m_xMinorS);
    ReadStep(in, axes.m_yMinorS);

    in.Skip(1);
    in.Text();
    in.Back();
    std::int32_t angleSystem = 0;
    if (in.Read(angleSystem)) {
        axes.m_angleSystem.m_value = angleSystem;
        axes.m_angleSystem.GetValue(); // brings a value outside the range to its midpoint
    }

    in.Skip(1);
    in.TextInto(axes.m_xNotate);
    in.TextInto(axes.m_yNotate);
    in.Back();
    ReadFlag(in, axes.m_showGrid);
    ReadFlag(in, data.m_options.m_autoScale);
    ReadFlag(in, axes.m_showyAxis);
    ReadFlag(in, axes.m_showxAxis);
    ReadFlag(in, axes.m_showxTicks);
    ReadFlag(in, axes.m_showyTicks);
    ReadFlag(in, axes.m_showxScale);
    ReadFlag(in, axes.m_showyScale);
    in.Skip(4 * 4 + 8 + 4);

    // A LOGFONTA: five int32, eight bytes, a 32-byte face name.
    std::uint8_t fontBytes[60];
    if (in.Read(fontBytes, sizeof fontBytes)) {
        KTLogFont font; // the colour and size of a default font
        LOGFONT& lf = font.m_logFont;
        std::int32_t numbers[5];
        std::memcpy(numbers, fontBytes, sizeof numbers);
        lf.lfHeight = numbers[0];
        lf.lfWidth = numbers[1];
        lf.lfEscapement = numbers[2];
        lf.lfOrientation = numbers[3];
        lf.lfWeight = numbers[4];
        lf.lfItalic = fontBytes[20];
        lf.lfUnderline = fontBytes[21];
        lf.lfStrikeOut = fontBytes[22];
        lf.lfCharSet = fontBytes[23];
        lf.lfOutPrecision = fontBytes[24];
        lf.lfClipPrecision = fontBytes[25];
        lf.lfQuality = fontBytes[26];
        lf.lfPitchAndFamily = fontBytes[27];
        char face[33] = {};
        std::memcpy(face, fontBytes + 28, 32);
        font.SetFaceName(face);
        axes.m_axisFont.SetValue(font);
    }
    in.Skip(32);

    in.Skip(1);
    const CString lower = in.Text();
    const CString upper = in.Text();
    in.Back();
    std::int32_t ignored = 0, second = -1, first = -1;
    in.Read(ignored);
    in.Read(second);
    in.Read(first);

    in.Skip(1);
    in.Text();
    in.Text();
    in.Back();
    std::int32_t tangentFunction = -1;
    in.Read(ignored);
    in.Read(tangentFunction);
    in.Skip(1);
    CString tangentX;
    const bool tangentXRead = in.Text(tangentX);

    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        ReadFunction(in, data.Function(slot));

    if (first != -1 && IsUserFunction(first) && second >= KTIntegralFunction::kYAxis &&
        second < KTGraphData3::UserFunctionCount) {
        KTIntegralFunction integral;
        integral.m_lowerText = lower;
        integral.m_upperText = upper;
        integral.m_first = first;
        integral.m_second = second;
        integral.m_colour = defaults.m_integral.m_brush.GetValue().m_color;
        integral.m_showArea = defaults.m_integral.m_showArea.m_value != 0;
        result.integral = integral;
    }
    if (tangentFunction != -1 && IsUserFunction(tangentFunction) && tangentXRead) {
        KTDerivativeFunction tangent;
        tangent.m_function = tangentFunction;
        tangent.m_xText = tangentX;
        KTNumberText reader;
        tangent.m_point.m_x = reader.ToDouble(tangentX);
        tangent.m_pen = defaults.m_derivative.m_pen.GetValue();
        result.tangent = tangent;
    }
    return result;
}
