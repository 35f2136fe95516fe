#pragma once
// One tangent line of a graph: a function, an x typed as text, and what calculating them gives
// (the point, slope, intercept, the clipped ends of the line and two labels).

#include "foundation/KTLogPen.h"
#include "foundation/KTPoint.h"
#include "platform/CString.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>

class KTAxes;
class KTFunction3;
class KTOptionDerivative;

class KTDerivativeFunction : public KTObject
{
public:
    /// No function (-1), empty texts, a kind 0 style 6 black pen; not valid, not selected.
    KTDerivativeFunction() = default;
    /// The same with the pen of the options.
    explicit KTDerivativeFunction(const KTOptionDerivative& options);
    /// A full copy, as the list's own storage moves records.
    KTDerivativeFunction(const KTDerivativeFunction&) = default;
    /// Copies everything but m_start, m_end, m_axes, m_valid and m_inView, which keep the
    /// target's: a copied tangent shows nothing until it is calculated again.
    KTDerivativeFunction& operator=(const KTDerivativeFunction& other);

    /// Tag "KTDerivativeFunction", version 1. Loading clears m_valid and m_selected. A wrong tag,
    /// version or end tag throws KTExceptionBase; nothing is kept from a failed read.
    void Serialize(KTArchive& ar) override;
    /// Bytes of the smallest well-formed archive of a record (all texts empty).
    static std::size_t MinimumArchiveSize();

    /// A non-empty name: true when it occurs in m_xText. An empty name: true when any of the
    /// family constants "a", "b", "c", "d", "m" occurs there.
    bool UsesName(const CString& name) const;

    KTPoint m_point; ///< the point of tangency
    KTPoint m_start; ///< first end of the drawn line, clipped to the graph's ranges
    KTPoint m_end;
    std::int32_t m_function = -1; ///< 0-9, or -1 for none
    double m_slope = 0.0;
    double m_intercept = 0.0;
    CString m_label;    ///< the derivative label
    CString m_lineText; ///< the equation of the tangent line
    CString m_xText;    ///< x as typed
    /// The graph's mapping; set by KTDerivativeList::SetGraph; neither stored nor copied.
    KTAxes* m_axes = nullptr;
    KTLogPen m_pen;
    bool m_valid = false; ///< calculated; neither stored nor copied
    /// Some of the line crosses the graph's ranges (set by each calculation); while none does
    /// the tangent is neither drawn nor hit. Neither stored nor copied.
    bool m_inView = false;
    bool m_selected = false;
    /// Bound at calculation from m_function; not stored.
    KTFunction3* m_functionPtr = nullptr;
};
