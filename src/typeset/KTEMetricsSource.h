#pragma once
// Where measuring reads text extents and font metrics. By default the device context answers;
// a test installs a source of fixed metrics so that layouts come out exact on every machine.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTDC;

class KTEMetricsSource
{
public:
    virtual ~KTEMetricsSource() = default;

    /// Advance and cell height of text in the font selected into dc (logical units).
    virtual CSize TextExtent(KTDC& dc, const CString& text) const;
    /// Metrics of the font selected into dc (logical units).
    virtual TEXTMETRIC TextMetrics(KTDC& dc) const;
    /// Ink of one character in the font selected into dc (logical units, y up).
    virtual GLYPHMETRICS GlyphMetrics(KTDC& dc, char character) const;

    /// The source in force on this thread.
    static const KTEMetricsSource& Current();

    /// Puts a source in force for its lifetime (scopes nest).
    class Scope
    {
    public:
        explicit Scope(const KTEMetricsSource& source);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        const KTEMetricsSource* m_previous;
    };
};
