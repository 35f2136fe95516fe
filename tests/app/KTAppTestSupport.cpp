#include "KTAppTestSupport.h"

#include "app/KTLegacyFileReader.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"

#include <cstring>

namespace kttest {

void FillDocument(KTG300Doc& document, int variant)
{
    KTGraph3& graph = document.Graph();
    KTGraphData3& data = graph.Data();
    static const char* const equations[][3] = {
        {"y=x^2-2", "y=sin(x)", ""},
        {"y=2x+1", "x^2+y^2=9", "y>x"},
        {"y=a x+b", "r=2cos(3th)", "y=1/x"},
    };
    for (int i = 0; i < 3; ++i)
        data.Function(i).Data().m_equationText = equations[variant % 3][i];
    data.Function(0).Data().m_options.m_showFunctionArrows.m_value = static_cast<BYTE>(variant % 2);
    data.Function(1).Data().m_showFirstDerivative = 1;
    data.m_options.m_axes.m_xMaxShowS.SetValue(variant == 1 ? "12" : "7");
    data.m_options.m_axes.m_xNotate.SetValue(variant == 2 ? "t" : "x");
    data.m_options.m_autoScale.m_value = 0;
    data.m_showFlagOverride = static_cast<BYTE>(variant == 2);

    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = variant == 0 ? "1" : "-0.5";
    data.m_derivatives.Add(tangent, true);
    KTIntegralFunction integral;
    integral.m_first = 0;
    integral.m_second = KTIntegralFunction::kXAxis;
    integral.m_lowerText = "0";
    integral.m_upperText = variant == 1 ? "3" : "2";
    integral.m_colour = 0x00C0FF;
    data.m_integrals.Add(integral, true);

    for (int i = 0; i <= variant; ++i) {
        KTGAnnotation annotation;
        annotation.m_text.AddText(CString::FromQString(QStringLiteral("Note %1").arg(i)));
        annotation.m_textPosition = KTPoint(1.0 + i, 2.0);
        annotation.m_textRect = CRect(1000 * i, -500, 1000 * i + 800, -900);
        annotation.m_anchorType = i % 3;
        document.m_annotations.Add(annotation);
    }
    document.m_windowRect = CRect(30 + variant, 40, 830, 640 + variant);
    graph.SetDirty();
}

void LegacyFileWriter::Int(std::int32_t value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    m_data.insert(m_data.end(), p, p + 4);
}

void LegacyFileWriter::Double(double value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    m_data.insert(m_data.end(), p, p + 8);
}

void LegacyFileWriter::Byte(std::uint8_t value)
{
    m_data.push_back(value);
}

void LegacyFileWriter::Text(const std::string& text, std::uint8_t terminator)
{
    m_data.insert(m_data.end(), text.begin(), text.end());
    m_data.push_back(terminator);
}

void LegacyFileWriter::Bytes(std::size_t count, std::uint8_t value)
{
    m_data.insert(m_data.end(), count, value);
}

// Writes "back one byte" fields as the older program laid them out: the text's terminator is
// the first byte of the binary field that follows, so the writer drops its own terminator and
// lets the field's first byte end the text. The field's first byte must therefore be 30 or less
// (or 128 or more) as a signed byte; the tests choose values for which it is.
namespace {

void TextThenField(LegacyFileWriter& out, const std::string& text)
{
    for (char ch : text)
        out.Byte(static_cast<std::uint8_t>(ch));
}

} // namespace

std::vector<std::uint8_t> WriteLegacyFile(const LegacyDocument& d)
{
    LegacyFileWriter out;
    for (std::int32_t v : d.rect)
        out.Int(v);
    for (int i = 0; i < 6; ++i)
        out.Double(i);
    if (!d.marked) {
        out.Double(0.0);
        out.Bytes(3 * 8 + 100);
        return out.Data();
    }
    out.Double(KTLegacyFileMarker);
    out.Int(7);
    for (int i = 0; i < 4; ++i)
        out.Double(0.5 * i);
    out.Byte(1);
    out.Text(d.xMax);
    out.Text(d.yMax);
    out.Text(d.xMin);
    TextThenField(out, d.yMin);
    out.Double(d.steps[0]);
    for (int i = 1; i < 4; ++i) {
        out.Byte(2);
        TextThenField(out, "ignored");
        out.Double(d.steps[i]);
    }
    out.Byte(3);
    TextThenField(out, "angle");
    out.Int(d.angleSystem);
    out.Byte(4);
    out.Text(d.xNotate);
    TextThenField(out, d.yNotate);
    for (std::int32_t flag : d.flags)
        out.Int(flag);
    for (int i = 0; i < 4; ++i)
        out.Int(99);
    out.Double(3.25);
    out.Int(98);
    // LOGFONTA
    out.Int(d.fontHeight);
    out.Int(0);
    out.Int(0);
    out.Int(0);
    out.Int(700);
    for (std::uint8_t b : {1, 0, 0, 0, 3, 2, 1, 34})
        out.Byte(b);
    std::string face = d.faceName;
    face.resize(32, '\0');
    for (char ch : face)
        out.Byte(static_cast<std::uint8_t>(ch));
    out.Bytes(32, 0x55);
    out.Byte(5);
    out.Text(d.lower);
    TextThenField(out, d.upper);
    out.Int(0); // ignored; its first byte ends the upper bound
    out.Int(d.integralSecond);
    out.Int(d.integralFirst);
    out.Byte(6);
    out.Text("skip1");
    TextThenField(out, "skip2");
    out.Int(0);
    out.Int(d.tangentFunction);
    out.Byte(7);
    out.Text(d.tangentX);
    for (const LegacyFunction& f : d.functions) {
        out.Text(f.equation);
        out.Text("second");
        TextThenField(out, f.domain);
        for (std::int32_t flag : f.flags)
            out.Int(flag);
        for (int i = 0; i < 4; ++i)
            out.Int(0);
        out.Int(f.firstDerivative);
        out.Byte(0);
        out.Int(0);
        out.Int(0);
        out.Byte(0);
    }
    return out.Data();
}

QString ToQ(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

} // namespace kttest
