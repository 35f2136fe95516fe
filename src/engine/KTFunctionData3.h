#pragma once
// The part of a function that the user edits and a document stores (its texts, display options,
// derivative switches, slot index and family flag), together with what interpretation leaves
// for evaluation: the five token lists, the relation kind, the domain, the family-constant
// ranges and the use flags, none of which is stored.

#include "engine/ASTokenList.h"
#include "engine/KTFunctionConstantRanges.h"
#include "engine/KTFunctionDomain.h"
#include "engine/KTOptionFunction3.h"
#include "platform/CString.h"
#include "platform/KTObject.h"

#include <array>
#include <cstdint>

class KTArchive;
class KTAxes;

class KTFunctionData3 : public KTObject
{
public:
    static constexpr int ListCount = 5;
    /// Roles of the evaluation lists.
    enum ListIndex : int {
        FirstBranchList = 0,  ///< postfix form of the first branch (x equation of a pair)
        SecondBranchList = 1, ///< second branch, y equation of a pair, other side of a relation
        KeptList1 = 2,        ///< kept forms for interpretation
        KeptList2 = 3,
        DiscontinuityList = 4 ///< the expression whose sign changes mark discontinuities
    };

    /// Empty texts, options of slot 0, no owner, switches clear, index and relation -1, the
    /// default domain and constant ranges, the first list current.
    KTFunctionData3();
    // The lists refer to pooled nodes and the owner is shared: copies are made with CopyFrom.
    KTFunctionData3(const KTFunctionData3&) = delete;
    KTFunctionData3& operator=(const KTFunctionData3&) = delete;

    /// Clears has-owner, then takes the owner (and sets has-owner) when one is given; a null
    /// owner keeps the previous pointer. Copies the options when given, else the defaults of
    /// slot 0. Empties the texts; clears family drawn, both derivative switches, the extra
    /// switch, interpreted and uses-a-constant; index and relation -1; first list current.
    void Reset(KTAxes* owner, const KTOptionFunction3* options);
    /// Copies the texts, options, derivative and extra switches, index, the first two lists,
    /// relation, domain, plotted ends, owner, constant ranges and family drawn. Use flags,
    /// has-owner, interpreted and lists 3 to 5 stay as they are.
    virtual void CopyFrom(const KTFunctionData3& other);
    /// Tag "KTFunctionData3", version 3: equation text, second text, options (tagged), first and
    /// second derivative switches, extra switch (bytes 0 or 1), index (int32), family drawn, end
    /// tag. Loading reads nothing more on a different tag and no body below version 3; a short
    /// archive throws KTArchiveException and leaves the record unchanged.
    void Serialize(KTArchive& ar) override;

    /// The evaluation list at index 0..4, or nullptr outside.
    ASTokenList* List(int index);
    const ASTokenList* List(int index) const;
    /// Makes the list at index the one evaluation walks; false (nothing changed) outside 0..4.
    bool SelectList(int index);
    int CurrentListIndex() const { return m_currentList; }
    ASTokenList& CurrentList() { return m_lists[static_cast<std::size_t>(m_currentList)]; }
    const ASTokenList& CurrentList() const { return m_lists[static_cast<std::size_t>(m_currentList)]; }

    /// Clears the seven use flags (uses a constant, a to m, trigonometric).
    void ClearUseFlags();

    CString m_equationText; ///< all parts as typed
    CString m_secondText;   ///< stored and copied; the engine does not read it
    /// What follows the first "=" of the interpreted equation; set by interpretation, not stored.
    CString m_expressionText;
    KTOptionFunction3 m_options;
    KTAxes* m_owner = nullptr; ///< not owned: the graph's coordinate system
    BYTE m_familyDrawn = 0;    ///< 1 once drawn as a family; stored
    BYTE m_showFirstDerivative = 0;
    BYTE m_showSecondDerivative = 0;
    BYTE m_extraSwitch = 0;    ///< stored, copied and cleared with the record; nothing else reads it
    std::int32_t m_index = -1; ///< the function's slot in the graph
    BYTE m_hasOwner = 0;
    BYTE m_interpreted = 0; ///< interpretation left something to draw / evaluate
    BYTE m_usesConstant = 0;
    BYTE m_usesA = 0;
    BYTE m_usesB = 0;
    BYTE m_usesC = 0;
    BYTE m_usesD = 0;
    BYTE m_usesM = 0;
    BYTE m_usesTrig = 0; ///< SIN, COS, TAN, COSH, SINH, TANH, SEC, COSEC or COT occurs
    /// Kind of the relation sign (38 =, 43 >, 44 >=, 45 <, 46 <=); -1 none.
    std::int32_t m_relation = -1;
    KTFunctionDomain m_domain;
    /// A domain that names the dependent variable (y of y = f(x), x of x = f(y), r of a polar
    /// form, x or y of a pair) bounds values, not the sampled range: the lists whose bit is set
    /// in m_valueLists give no value outside it. For an implicit relation a y domain bounds the
    /// rows of its lattice instead (no list bit). m_variable 0: no such domain.
    KTFunctionDomain m_valueDomain;
    BYTE m_valueLists = 0;
    KTFunctionConstantRanges m_constants;
    double m_plottedLow = 0.0; ///< domain ends actually drawn
    double m_plottedHigh = 0.0;

private:
    std::array<ASTokenList, ListCount> m_lists;
    int m_currentList = FirstBranchList;
};
