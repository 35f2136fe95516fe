#include "graph/KTDerivativeFunction.h"

#include "graph/KTOptionDerivative.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTDerivativeFunction> registration("KTDerivativeFunction", 0);

constexpr const char* kTag = "KTDerivativeFunction";
constexpr WORD kVersion = 1;

} // namespace

KTDerivativeFunction::KTDerivativeFunction(const KTOptionDerivative& options) : m_pen(options.m_pen.m_value)
{
}

KTDerivativeFunction& KTDerivativeFunction::operator=(const KTDerivativeFunction& other)
{
    if (this == &other)
        return *this;
    m_function = other.m_function;
    m_label = other.m_label;
    m_functionPtr = other.m_functionPtr;
    m_point = other.m_point;
    m_xText = other.m_xText;
    m_lineText = other.m_lineText;
    m_pen = other.m_pen;
    m_selected = other.m_selected;
    m_slope = other.m_slope;
    m_intercept = other.m_intercept;
    return *this;
}

void KTDerivativeFunction::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        m_point.Serialize(ar);
        m_start.Serialize(ar);
        m_end.Serialize(ar);
        ar << m_function << m_slope << m_intercept << m_label << m_lineText << m_xText;
        m_pen.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    KTReadRecordBegin(ar, kTag, kVersion);
    KTPoint point, start, end;
    std::int32_t function = 0;
    double slope = 0.0, intercept = 0.0;
    CString label, lineText, xText;
    KTLogPen pen;
    point.Serialize(ar);
    start.Serialize(ar);
    end.Serialize(ar);
    ar >> function >> slope >> intercept >> label >> lineText >> xText;
    pen.Serialize(ar);
    KTReadRecordEnd(ar, kTag);

    m_point = point;
    m_start = start;
    m_end = end;
    m_function = function;
    m_slope = slope;
    m_intercept = intercept;
    m_label = label;
    m_lineText = lineText;
    m_xText = xText;
    m_pen = pen;
    m_valid = false;
    m_selected = false;
}

std::size_t KTDerivativeFunction::MinimumArchiveSize()
{
    static const std::size_t size = [] {
        KTDerivativeFunction smallest;
        KTArchive ar;
        smallest.Serialize(ar);
        return ar.Data().size();
    }();
    return size;
}

bool KTDerivativeFunction::UsesName(const CString& name) const
{
    if (name.IsEmpty())
        return m_xText.FindOneOf("abcdm") >= 0;
    return m_xText.Find(name) >= 0;
}
