#pragma once
// Reader of documents of the program's older, untagged layout: field by field from the start
// of the stream, taking what the current graph still has a place for (axis ranges, steps and
// titles, a few axis and function switches, the axis font, the ten function texts, one integral
// and one tangent) and skipping the rest. Older files are only read, never written.
//
// The reader never throws and never reports: a short file leaves the remaining fields as they
// were, a text cut short by the end of the data included. Unlike the older program it checks every index it
// reads, so that a damaged file cannot name a function that does not exist.

#include "graph/KTDerivativeFunction.h"
#include "graph/KTIntegralFunction.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

class KTGraphData3;
class KTOptionGraph3;

/// The double at offset 64 that marks the layout with axes, functions and tools.
constexpr double KTLegacyFileMarker = -390299377483928.0;

/// What the reader found besides the fields it wrote straight into the graph data.
struct KTLegacyFileResult
{
    bool rectRead = false;
    CRect windowRect;
    bool marked = false; ///< the seventh double was KTLegacyFileMarker
    std::optional<KTIntegralFunction> integral;
    std::optional<KTDerivativeFunction> tangent;
};

class KTLegacyFileReader
{
public:
    /// Reads the bytes of an older document from offset 0: the window rectangle, then, when the
    /// marker is present, the axes options, the AutoScale switch and the ten functions into the
    /// graph data, and the integral and tangent (built from the defaults' integral brush,
    /// ShowArea and tangent pen) into the result for the caller to add to its graph. An integral
    /// is kept only when its function index lies in 0-9 and its second index in -2..9, a tangent
    /// only when its function index lies in 0-9.
    KTLegacyFileResult ReadLegacyFile(const std::vector<std::uint8_t>& bytes, KTGraphData3& data,
                                      const KTOptionGraph3& defaults) const;

    /// Bytes up to the first whose value as a signed 8-bit number is 30 or less (0-30 and
    /// 128-255), which is consumed and not part of the text; the end of the data ends it too.
    static CString ReadTextField(const std::vector<std::uint8_t>& bytes, std::size_t& pos);
};
