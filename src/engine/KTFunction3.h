#pragma once
// One plotted function: its stored record plus everything computed from it: the parts of its
// typed text and the interpretation status, the relation that rearranges it, the sampled points
// of up to two branches, the device points of the polyline being drawn and its points of
// interest. The graph data holds fourteen (0-9 the user's, 10-13 the frame inequalities).
//
// Interpretation runs inside paints: it never throws and never opens a message box. Input
// errors it would announce are kept as pending messages, which the view shows after the paint
// (TakePendingMessages), once per change of the function's text.

#include "engine/ASRelation.h"
#include "engine/ASRestriction.h"
#include "engine/ASTokenList.h"
#include "axes/KTCurvePointBuffer.h"
#include "engine/KTEquationPartList.h"
#include "engine/KTEvaluationProgram.h"
#include "engine/KTFunctionData3.h"
#include "engine/KTFunctionDomain.h"
#include "engine/KTPolarDirections.h"
#include "axes/KTMarkerList.h"
#include "foundation/KTPoint.h"
#include "axes/KTAxes.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <array>
#include <memory>
#include <vector>

class KTArchive;
class KTAxes;
class KTDC;
class KTImplicitAhead;
class KTVariableSubstitutions;

/// A message interpretation would have shown in a box, kept for the view to show later.
struct KTInputMessage
{
    CString caption;
    CString text;
    friend bool operator==(const KTInputMessage&, const KTInputMessage&) = default;
};

class KTFunction3 : public KTObject
{
public:
    static constexpr int DevicePointCapacity = 1610;
    static constexpr int NearMarkerDistance2 = 5000; ///< squared device distance of a near marker
    static constexpr int NearMarkerLimit = 100;      ///< near markers a search reports at most

    /// Part list (status 5), relation, data and markers, then Reset(owner); both curve buffers
    /// empty.
    explicit KTFunction3(KTAxes* owner = nullptr);
    ~KTFunction3() override;
    KTFunction3(const KTFunction3&) = delete;
    KTFunction3& operator=(const KTFunction3&) = delete;

    /// Forwards to the data (tagged "KTFunctionData3"); nothing else of the function is stored.
    void Serialize(KTArchive& ar) override;
    /// The other's data (KTFunctionData3::CopyFrom), then its part list.
    virtual void CopyFrom(const KTFunction3& other);
    /// Appends copies of the markers within a squared device distance below 5000 of the device
    /// point (only x for vertical asymptotes, only y for horizontal ones; kind 5 never), with
    /// their tag set to the given one, while the result holds fewer than 100.
    virtual void FindMarkersNear(int deviceX, int deviceY, KTMarkerList& result, int tag);
    virtual void SetIndex(int index);
    /// Graph x to device x within the plotting area; beyond the right edge by more than 15
    /// pixels, or left of it, the left edge.
    virtual double XToPixel(double x);
    /// Graph y to device y, held within [top - 15, bottom]; an empty y range gives the bottom.
    virtual double YToPixel(double y);

    /// Back to an empty function of the given owner (or none): markers, lists, texts, switches
    /// cleared, options of slot 0, index and relation -1, tolerance 0.0001.
    void Reset(KTAxes* owner);

    // ---- Evaluation -------------------------------------------------------------------------
    /// The kind of an upper-case token text (0 when unknown); notes constants and trigonometric
    /// functions in the data's use flags.
    int TokenCode(const CString& text);
    /// Reads a leading "y <sign>" or "x <sign>": sets the data's relation, the status (1, or 6
    /// when the dependent variable recurs; 2, 3 and 4 stay) and the inverse flag. Returns the
    /// index the conversion starts at.
    int ReadLeadingRelation(const ASTokenList& list);
    /// Replaces the infix tokens of the list by their postfix form; y goes out as x when yAsX
    /// (or the list is a swapped form x = f(y)). A postfix form that does not reduce to one
    /// value, or does not fit the list, is an input error (status 5).
    void ToPostfix(ASTokenList& list, bool yAsX);
    /// (x, value of the current list at x and y) or (x, KTUndefinedValue). Pass KTNoSecondValue
    /// as y for functions of one variable.
    KTPoint Evaluate(double x, double y);
    KTPoint& Evaluate(KTPoint& out, double x, double y)
    {
        out.m_x = x;
        out.m_y = EvaluateValue(x, y);
        return out;
    }
    /// The y of Evaluate alone: no value where a domain on the dependent variable excludes it.
    double EvaluateValue(double x, double y)
    {
        const double value = EvaluateListValue(x, y);
        if (m_data.m_valueLists == 0) [[likely]]
            return value;
        return HoldToValueDomain(value);
    }
    /// The value of the current list at x and y, whatever bounds a domain puts on it.
    double EvaluateListValue(double x, double y)
    {
        // The path of every sample: a compiled list that reads no family constants. The data
        // keeps the current list index within 0..4.
        const CompiledList& compiled = m_compiled[static_cast<std::size_t>(m_data.CurrentListIndex())];
        if (compiled.generation == m_listGeneration && compiled.count == m_data.CurrentList().GetCount())
            [[likely]] {
            const KTEvaluationProgram& program = compiled.program;
            double value;
            if (program.RunLinear(x, value))
                return value;
            if (program.IsPlain())
                return program.RunProgram({x, y, nullptr, 1.0});
            if (program.IsCompiled() && !program.UsesConstants())
                return program.RunProgram({x, y, nullptr, AngleScale()});
        }
        return EvaluateValueSlow(x, y);
    }
    /// An evaluation list made ready for very many evaluations at once (an implicit lattice):
    /// its compiled program with the constants and angle scale it reads, taken when prepared.
    /// Run gives exactly what EvaluateValue gives with that list current.
    struct PreparedList
    {
        const KTEvaluationProgram* program = nullptr;
        double constants[KTFunctionConstantRanges::Count] = {};
        double angleScale = 1.0;
        double Run(double x, double y) const
        {
            return program->Run({x, y, program->UsesConstants() ? constants : nullptr, angleScale});
        }
        /// out[k] := Run(xs[k], y) for k < count, within the rounding of the program's block form.
        void RunRow(const double* xs, double y, double* out, int count) const
        {
            program->RunBatch(xs, out, count,
                              {0.0, y, program->UsesConstants() ? constants : nullptr, angleScale});
        }
        /// A range holding Run(x, y) for every x in [xLow, xHigh] and y in [yLow, yHigh] where
        /// it has a value (KTEvaluationProgram::Bound).
        KTInterval Bound(double xLow, double xHigh, double yLow, double yHigh, bool gaps = true) const
        {
            return program->Bound(BoxInputs(xLow, xHigh, yLow, yHigh, gaps));
        }
        /// Bound with the ranges of the derivatives by x and y over the same box.
        KTIntervalGradient BoundWithGradient(double xLow, double xHigh, double yLow, double yHigh,
                                             bool gaps = true) const
        {
            return program->BoundWithGradient(BoxInputs(xLow, xHigh, yLow, yHigh, gaps));
        }
        KTIntervalInputs BoxInputs(double xLow, double xHigh, double yLow, double yHigh,
                                   bool gaps = true) const
        {
            return {{xLow, xHigh},
                    {yLow, yHigh},
                    program->UsesConstants() ? constants : nullptr,
                    angleScale,
                    gaps};
        }
    };
    /// Prepares the list of that index; false (and no program) when it does not compile, where
    /// EvaluateValue walks the tokens. The current list stays selected.
    bool PrepareList(int listIndex, PreparedList& out);
    /// ys[i] := EvaluateValue(xs[i], y) for i < count, a row of samples at once: the compiled
    /// program's block form (KTEvaluationProgram::RunBatch) where it applies.
    void EvaluateValues(const double* xs, double* ys, int count, double y);
    /// A range holding EvaluateValue(x, KTNoSecondValue) of the current list for every x in
    /// [xLow, xHigh] where it has a value: a function of one variable bounded over a step. It is
    /// unbounded where the step holds a pole, partial where some x has no value, empty where none
    /// has (see KTInterval); KTInterval::Entire() for a list that does not compile.
    KTInterval BoundValue(double xLow, double xHigh);
    /// The same over the box [xLow, xHigh] x [yLow, yHigh], for a list of two variables.
    KTInterval BoundValue(double xLow, double xHigh, double yLow, double yHigh);
    /// Central differences with a step scaled to |x| (never vanishing for large x), or within a
    /// hundredth (a tenth for the second) of the last samples' spacing where the curve turns
    /// within the wider step; KTUndefinedValue where f has no value at a point of the wider one.
    double Derivative(double x);
    double SecondDerivative(double x);
    /// The slope of the view's diagonal, the unit in which a slope of this function's curve
    /// shows: the y range over the x range (x over y for x = f(y)); 1 without owner axes or with
    /// an empty range.
    double ViewSlopeUnit() const;
    /// y of an explicit function at x; Newton steps for x = f(y); KTNoYValue when there is none.
    double YAtX(double x);
    /// Within the owner's x and y ranges, ends included (Strict: excluded). NaN gives false.
    bool InGraphRange(double x, double y) const;
    bool InGraphRangeStrict(double x, double y) const;
    bool InGraphRange(const KTPoint& p) const { return InGraphRange(p.m_x, p.m_y); }
    /// f * ( v ) with v = x, y or theta becomes one token y, x or r.
    void RewriteFunctionNotation(ASTokenList& list);
    /// A list without a relation sign gets "y =" (no variable or x only), "x =" (y only) or
    /// "r =" (theta only) in front.
    void AddImpliedRelation(ASTokenList& list);
    /// Call after changing an evaluation list in place other than through this class: the
    /// compiled forms of the lists are rebuilt on the next evaluation.
    void EvaluationListsChanged() { ++m_listGeneration; }

    // ---- Tokeniser ---------------------------------------------------------------------------
    /// The infix token list of a calculation text (emptied first). An unknown name, a dangling
    /// minus or a text longer than the list are input errors (status 5, "Can not interpret
    /// equation"); a division by a bracketed zero leaves a pending "Function Error" message.
    void Tokenise(const CString& text, ASTokenList& list);
    /// Records the "Function Error" message of a division by a bracketed zero.
    void NoteDivisionByZero();

    // ---- Parts and domains -------------------------------------------------------------------
    /// Checks the variables of a tokenised equation; converts polar (r, theta) and parametric
    /// (t) equations to the x, y form and sets the form flags.
    void ClassifyVariables(ASTokenList& list);
    /// The domain read from a domain part (the default domain of the form for an empty part);
    /// also stored in the function (polar and parametric forms with ends 10, 10).
    KTFunctionDomain InterpretDomain(const KTEquationPart& part);
    /// Files the function's domain by the variable it names, once the form is known: the
    /// independent variable keeps it as the sampled range; the dependent one makes it the
    /// data's value domain (and the sampled range the form's default); a variable the form does
    /// not have makes it invalid. `read` is the domain as InterpretDomain returned it, with the
    /// ends that were typed.
    void ApplyDomainVariable(const KTFunctionDomain& read);
    /// The value, or KTUndefinedValue when the current list's values are held to the value
    /// domain and it lies outside.
    double HoldToValueDomain(double value) const;
    /// The value of a typed constant expression, a bound or a tangent's x: "sqrt(2)", "pi/2",
    /// "2^3", "-3e", "2a". The text is read as a side of an equation is read; trigonometric
    /// functions take the angle unit of `owner` (radians without one), the family constants the
    /// values of `table` (1 without one). KTUndefinedValue for a text that is empty, names a
    /// variable or a name the evaluator does not know, uses a constant the table lacks, or has
    /// no value.
    static double EvaluateConstantText(const CString& typed, KTAxes* owner,
                                       const KTVariableSubstitutions* table);
    /// The equation text of the branch last hit, with "+-" replaced by the branch's sign or the
    /// branch's message appended.
    CString EquationForBranch(const CString& positiveArm, const CString& negativeArm, bool forBranch,
                              bool replaceSign) const;
    /// The interpreted equation as the user typed it: its piece of the typed text, without the
    /// domain and the other parts; "" before interpretation. Lists and labels name a function
    /// by it, never by the calculation text.
    CString TypedEquation() const;
    /// What a typed equation says a function of x is: the text after the "=" of a leading "y="
    /// or "f(x)=" (case and spaces aside, leading spaces dropped), else the whole text.
    static CString TypedRightHandSide(const CString& typed);

    // ---- Interpretation ----------------------------------------------------------------------
    /// Interprets the data's equation text into parts, form flags, branches, postfix lists,
    /// domain and status. Never throws; never shows a message box (see TakePendingMessages).
    /// Every paint interprets every function: when nothing it reads has changed since the last
    /// full run (the text, the user's separators, the owner and its angle unit, the constants'
    /// current values) and that run's messages are recorded, the run's outputs are put back as
    /// they were left instead of being read again; the relation and its restrictions keep what
    /// the last full run left in them.
    void Interpret();
    /// First step of Interpret: cuts the text into classified parts and sets a first status.
    void SplitParts();
    /// The character that separates the parts of a typed text: ";", or ":" where the user's
    /// list separator is ";" (it then separates the two numbers of an interval).
    static char PartSeparator();
    /// The typed text as interpretation reads it: typeset under the graphing preset, every "-"
    /// written "-1*".
    static CString CalculationText(const CString& typed);
    /// What interpretation says of a typed text, for a dialog to show beside its preview while
    /// the user types: the message of an input error ("Can not interpret equation", "Not a valid
    /// domain", ...), else the first message it would show in a box, else for an implicit
    /// relation equal everywhere in the owner's view HoldsEverywhereMessage; "" when the text
    /// reads without a word (an empty text included). A function of its own interprets the text.
    static CString InterpretationMessage(const CString& text, KTAxes* owner);
    /// The messages interpretation would have shown, oldest first; the list is emptied. Each
    /// message is recorded once per change of the equation text.
    std::vector<KTInputMessage> TakePendingMessages();
    const std::vector<KTInputMessage>& PendingMessages() const { return m_pendingMessages; }

    // ---- Sampling, analysis and drawing (built with the curve drawing) -------------------------
    void Calculate();
    /// Curve analysis of the first branch, and of the second of a plus-or-minus equation;
    /// returns whether there is a second branch. `drawingOnly` finds only what the drawing reads
    /// (derivative slopes, drawn asymptotes), not the points of interest.
    bool CalculatePoints(bool drawingOnly = false);
    void Draw(KTDC& dc);
    /// The curve of f' (order 1) or f'' (order 2) of the current branch, sampled by the curve's
    /// own sampler (its positions, poles, edge crossings and domain ends) on first use after
    /// each calculation; null for forms other than y = f(x) and for any other order.
    KTCurvePointBuffer* DerivativeCurve(int order);
    /// f(x) of the current branch (order 0), f'(x) (1) or f''(x) (2).
    double ValueOfOrder(double x, int order);
    /// Each member is analysed only as far as its drawing reads.
    void DrawFamily(KTDC& dc);
    /// On, every member of a family is analysed in full, points of interest and all, as a
    /// recalculation analyses a function: the picture the drawing-only analysis must match.
    static void SetReferenceFamilyPath(bool on) { s_referenceFamilyPath = on; }
    /// Off, the members of an implicit family are traced one after the other on the caller's
    /// thread only (the picture the members traced side by side must match); on by default.
    static void SetFamilyTracedAhead(bool on) { s_familyTracedAhead = on; }
    /// Members of the last family drawn whose lattices were traced side by side, ahead of their
    /// calculation.
    int MembersTracedAhead() const { return m_membersTracedAhead; }
    /// The lattice of the member being calculated, traced ahead of it by DrawFamily, or null.
    KTImplicitAhead* ImplicitTracedAhead() const { return m_implicitAhead; }

    KTFunctionData3& Data() { return m_data; }
    const KTFunctionData3& Data() const { return m_data; }
    KTEquationPartList& Parts() { return m_parts; }
    const KTEquationPartList& Parts() const { return m_parts; }
    int Status() const { return m_parts.GetStatus(); }
    /// Interpretation left something to draw (the data's interpreted flag).
    bool IsDrawable() const { return m_data.m_interpreted != 0; }
    /// The last calculation found an implicit relation whose two sides are equal, to their
    /// rounding, everywhere in view: it has no curve to draw.
    bool HoldsEverywhereInView() const { return m_holdsEverywhere != 0; }
    /// What the function dialog and the hover tip say of such a relation.
    static constexpr const char* HoldsEverywhereMessage = "The two sides are equal everywhere in view";

    // Members in the order of the record.
    std::unique_ptr<KTCurvePointBuffer> m_buffer1; ///< first branch
    std::unique_ptr<KTCurvePointBuffer> m_buffer2; ///< second branch; overflow of an implicit trace
    KTCurvePointBuffer* m_currentBuffer = nullptr; ///< one of the two
    std::int32_t m_devicePointCount = 0;
    std::array<CPoint, DevicePointCapacity> m_devicePoints{};
    KTEquationPartList m_parts;
    double m_tolerance = 0.0001; ///< spacing of the last samples
    ASRelation m_relation;
    ASRestrictionList m_rearrangedTerms; ///< filled by the relation's rearrangement
    std::vector<double> m_implicitGrid;  ///< 150 x 150 cells while an implicit plot runs
    KTPolarDirections m_polarDirections; ///< of the samples of r = f(angle)
    BYTE m_implicitOverflow = 0;
    BYTE m_holdsEverywhere = 0; ///< see HoldsEverywhereInView
    KTFunctionData3 m_data;
    KTMarkerList m_markers;
    BYTE m_rearranged = 0;  ///< the rearrangement left restrictions
    BYTE m_twoBranches = 0; ///< a plus-or-minus sign gives a second branch
    BYTE m_nearSecondBranch = 0;
    BYTE m_nearFirstDerivative = 0;
    BYTE m_nearSecondDerivative = 0;

private:
    static inline bool s_referenceFamilyPath = false;
    static inline bool s_familyTracedAhead = true;
    KTImplicitAhead* m_implicitAhead = nullptr;
    int m_membersTracedAhead = 0;

    /// f' and f'' of each branch (index 2 * branch + order - 1), with the calculation each was
    /// sampled for: a calculation makes them all stale.
    std::array<std::unique_ptr<KTCurvePointBuffer>, 4> m_derivativeCurves;
    std::array<unsigned, 4> m_derivativeStamps{};
    unsigned m_calculationStamp = 1;

    struct CompiledList
    {
        KTEvaluationProgram program;
        unsigned generation = 0; ///< 0: never compiled
        int count = -1;
    };

    /// The postfix form of in[start..] into out; false when an operator stack or out overflows.
    bool ConvertToPostfix(const ASTokenList& in, int start, bool yAsX, ASTokenList& out);
    /// Tokenise without touching the status: false for an unknown name, a dangling minus or
    /// more tokens than the list holds.
    bool TokeniseText(const CString& text, ASTokenList& list);
    /// 1 / units per radian of the owner's angle system (1 without owner). As
    /// KTAxes::AngleFactor reads the option, without writing a forced value back: this runs for
    /// every sample.
    double AngleScale() const
    {
        if (!m_data.m_owner)
            return 1.0;
        switch (m_data.m_owner->m_options.m_angleSystem.m_value) {
        case 0: return 1.0 / KTDegreesPerRadian;
        case 2: return 1.0 / KTGradsPerRadian;
        default: return 1.0;
        }
    }
    double EvaluateValueSlow(double x, double y);
    /// EvaluateValues without the value domain.
    void EvaluateListValues(const double* xs, double* ys, int count, double y);
    /// The current values of the constants a, b, c, d and m, as the programs read them.
    void CopyConstants(double* out) const;
    const KTEvaluationProgram* ProgramForCurrentList();
    void InputError(const char* message);
    void RecordMessage(const char* caption, const char* text);
    void InterpretText();
    /// Tokenises and prepares one equation text into the given postfix list (steps of Interpret).
    void PrepareBranch(const CString& text, int listIndex);
    void PrepareTokens(ASTokenList& tokens);
    void PreparePair();
    void ConvertTokens(ASTokenList& tokens, int listIndex);
    void Rearrange(ASTokenList& tokens, int listIndex);
    void ClassifyFinalParts(int others, int domains, int domainsOrPoints);
    bool IsDomainPart(const KTEquationPart& part);
    double EvaluateConstantTokens(const ASTokenList& tokens);
    void DefaultDomain(KTFunctionDomain& domain) const;
    void ReadIntervalDomain(const KTEquationPart& part, const ASTokenList& tokens, KTFunctionDomain& domain);
    void ReadInequalityDomain(const ASTokenList& tokens, KTFunctionDomain& domain);
    /// The discontinuity list of a plain explicit function: the product of the divisors of its
    /// first branch that depend on x (each distinct divisor once); empty when there is none.
    void BuildDiscontinuityList();

    /// Everything an interpretation reads besides the typed text's own function state.
    struct InterpretationInputs
    {
        CString text;
        char decimal = 0;
        char list = 0;
        const KTAxes* owner = nullptr;
        std::int32_t angleSystem = 0;
        std::array<double, KTFunctionConstantRanges::Count> constants{};
        /// Equal fields; the constants to the bit, so that a NaN is the same NaN.
        bool SameAs(const InterpretationInputs& other) const;
    };
    /// What a full interpretation left, with the inputs it read.
    struct InterpretationRecord
    {
        InterpretationInputs inputs;
        KTEquationPartList parts;
        std::array<ASTokenList, KTFunctionData3::ListCount> lists;
        CString expressionText;
        KTFunctionDomain domain;
        KTFunctionDomain valueDomain;
        BYTE valueLists = 0;
        BYTE interpreted = 0;
        std::array<BYTE, 7> uses{}; ///< constant, a, b, c, d, m, trigonometric
        std::int32_t relation = -1;
        BYTE twoBranches = 0;
        BYTE rearranged = 0;
    };
    /// Reads the inputs as interpretation reads them (the angle unit forced into range).
    InterpretationInputs ReadInterpretationInputs();
    void KeepInterpretation(const InterpretationInputs& inputs);
    void RestoreInterpretation(const InterpretationRecord& record);

    std::array<CompiledList, KTFunctionData3::ListCount> m_compiled;
    unsigned m_listGeneration = 1;
    std::unique_ptr<InterpretationRecord> m_lastInterpretation;
    std::vector<KTInputMessage> m_pendingMessages;
    CString m_messagesRecordedFor; ///< the equation text whose messages have been recorded
    bool m_recordMessages = true;
};
