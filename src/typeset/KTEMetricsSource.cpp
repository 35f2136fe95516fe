#include "typeset/KTEMetricsSource.h"

#include "platform/KTDC.h"

namespace {

const KTEMetricsSource& DeviceSource()
{
    static const KTEMetricsSource source;
    return source;
}

thread_local const KTEMetricsSource* t_current = nullptr;

} // namespace

CSize KTEMetricsSource::TextExtent(KTDC& dc, const CString& text) const
{
    return dc.GetTextExtent(text);
}

TEXTMETRIC KTEMetricsSource::TextMetrics(KTDC& dc) const
{
    TEXTMETRIC metrics{};
    dc.GetTextMetrics(&metrics);
    return metrics;
}

GLYPHMETRICS KTEMetricsSource::GlyphMetrics(KTDC& dc, char character) const
{
    GLYPHMETRICS metrics{};
    dc.GetGlyphMetrics(character, &metrics);
    return metrics;
}

const KTEMetricsSource& KTEMetricsSource::Current()
{
    return t_current ? *t_current : DeviceSource();
}

KTEMetricsSource::Scope::Scope(const KTEMetricsSource& source) : m_previous(t_current)
{
    t_current = &source;
}

KTEMetricsSource::Scope::~Scope()
{
    t_current = m_previous;
}
