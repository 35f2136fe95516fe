#pragma once
// Everything of a graph that a document stores: fourteen function slots (0-9 the user's, 10-13
// the frame inequalities that recalculation fills and nothing stores), the graph options, the
// integral and tangent lists and three small state fields. The graph owns one; dialogs edit a
// copy and assign it back.

#include "graph/KTDataExtents.h"
#include "graph/KTDerivativeList.h"
#include "graph/KTIntegralList.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <array>
#include <cstdint>
#include <memory>

class KTAxes;
class KTFunction3;
struct KTTextSeparators;

class KTGraphData3 : public KTObject
{
public:
    static constexpr int SlotCount = 14;
    static constexpr int UserFunctionCount = 10;
    /// The frame inequalities "x>", "x<", "y>", "y<" of feasible-region shading.
    static constexpr int FirstFrameSlot = 10;
    /// The value every writer gives the dirty counter.
    static constexpr std::int32_t Dirty = 2;

    /// Fourteen empty functions without an owner, default options, empty lists, counters and
    /// flags 0.
    KTGraphData3();
    ~KTGraphData3() override;
    // The functions are not copyable: use Assign.
    KTGraphData3(const KTGraphData3&) = delete;
    KTGraphData3& operator=(const KTGraphData3&) = delete;

    /// Takes the options (their defaults when none), resets every slot's stored data for the
    /// axes (user slot i with the options' function options i, frame slots with the defaults)
    /// and clears the show-flag override, the dirty counter and the family flag. The lists stay.
    void Reset(KTAxes* axes, const KTOptionGraph3* options);
    /// The other's options, its ten user functions (KTFunction3::CopyFrom), show-flag override,
    /// dirty counter and family flag; not the frame slots, the lists or the extents.
    virtual void Assign(const KTGraphData3& other);
    /// Tag "KTGraphData3", version 4: the show-flag override byte, the options, the data of
    /// slots 0-9, the tangent list, the integral list. A load sets the dirty counter to 2. A
    /// wrong tag or a version below 4, here or in any record inside, throws KTExceptionBase, a
    /// short archive KTArchiveException; the document then takes its failure path.
    void Serialize(KTArchive& ar) override;
    /// The family constants of the ten user functions, which the record above has no place for
    /// (the document keeps them in a stream of their own, beside the archive). Tag
    /// "KTFunctionConstantRanges", version 1; body: the family flag as one byte (0 or 1), then
    /// for slots 0-9 in order the five ranges a, b, c, d, m, each four doubles (from, to, step,
    /// current); then the end tag. 1655 bytes in all. A load takes everything or nothing: a
    /// wrong tag, version or end tag throws KTExceptionBase, a short archive KTArchiveException,
    /// and the ranges and the flag stay as they were. A stored number that is not finite loads
    /// as that field's default. A load sets the dirty counter to 2.
    void SerializeConstantRanges(KTArchive& ar);

    /// Rewrites the typed texts written with `from` as `to` writes them (KTTextSeparators): the
    /// ten functions' equations, the integrals' bounds, the tangents' x texts and the axes'
    /// ranges and steps. Axis titles and messages are the user's words and stay as they are.
    void TranslateSeparators(const KTTextSeparators& from, const KTTextSeparators& to);

    /// Slot 0..13; an index outside throws std::out_of_range.
    KTFunction3& Function(int slot);
    const KTFunction3& Function(int slot) const;
    /// Slot 0..13, or nullptr for any other index.
    KTFunction3* FindFunction(int slot);

    KTOptionGraph3 m_options;
    /// Draw forces every user function's first display flag on while this is set.
    BYTE m_showFlagOverride = 0;
    KTIntegralList m_integrals;
    KTDerivativeList m_derivatives;
    /// Above 0: the next drawing recalculates; 2 is what every change sets, recalculation 0.
    std::int32_t m_dirty = 0;
    /// Every user function is drawn as a family.
    BYTE m_family = 0;
    KTDataExtents m_extents;

private:
    std::array<std::unique_ptr<KTFunction3>, SlotCount> m_functions;
};
