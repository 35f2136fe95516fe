// Interpretation of a function's typed text: its parts, the form of its equation, the
// plus-or-minus branches, the postfix lists and the domain, or an input error with its message.

#include "axes/KTAxes.h"
#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/KTEntryErrorException.h"
#include "engine/KTCurveSampler.h"
#include "engine/KTFunction3.h"

#include "foundation/KTLocaleChars.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTTextSeparators.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr char kPlusMinus = '\xB1';
constexpr const char* kInputErrorCaption = "KT Graph Input Error";
constexpr const char* kTooLong = "Equation too long (more than 255 characters)";

/// The one set of typesetting options of interpretation, built on first use. The options take
/// the user's separators when they are built, so they are built again when those change.
const KTEOptions& InterpretationOptions()
{
    static KTEOptions options(KTEPresetGraphing);
    static KTLocaleChars builtFor;
    const KTLocaleChars now;
    if (now.m_chDecimal != builtFor.m_chDecimal || now.m_chList != builtFor.m_chList) {
        options = KTEOptions(KTEPresetGraphing);
        builtFor = now;
    }
    return options;
}

bool IsOperationText(const CString& text)
{
    return text == "+" || text == "-" || text == "*";
}

void AddTrimmed(KTEquationPartList& list, CString text)
{
    text.Trim();
    list.AddPart(text, text, IsOperationText(text) ? KTPartOperation : KTPartOther);
}

int GroupKind(const CString& group)
{
    const char first = group.GetAt(0);
    const char last = group.GetAt(group.GetLength() - 1);
    int kind = KTPartConfused;
    if (first == '<' && last == '>')
        kind = KTPartVector;
    if (first == '[' && last != '>' && last != '}')
        kind = KTPartDomain;
    if (last == ']' && first != '<' && first != '{')
        kind = KTPartDomain;
    if (first == '(' && last == ')')
        kind = KTPartDomainOrPoint;
    return kind;
}

/// Splits one piece at its bracketed groups around list separators.
void ClassifyPiece(CString piece, char listSeparator, KTEquationPartList& out)
{
    for (int guard = 0; guard < 1000; ++guard) {
        const int separator = piece.Find(listSeparator);
        if (separator < 0)
            break;
        int open = -1;
        for (int j = separator - 1, level = 0; j >= 0; --j) {
            const char ch = piece[j];
            if (ch == ')' || ch == ']' || ch == '>') {
                ++level;
            } else if (ch == '(' || ch == '[' || ch == '<') {
                if (level == 0) {
                    open = j;
                    break;
                }
                --level;
            }
        }
        int close = -1;
        for (int j = separator + 1, level = 0; j < piece.GetLength(); ++j) {
            const char ch = piece[j];
            if (ch == '(' || ch == '[' || ch == '<') {
                ++level;
            } else if (ch == ')' || ch == ']' || ch == '>') {
                if (level == 0) {
                    close = j;
                    break;
                }
                --level;
            }
        }
        const int first = open < 0 ? 0 : open;
        const int last = close < 0 ? piece.GetLength() - 1 : close;
        AddTrimmed(out, piece.Left(first));
        const CString group = piece.Mid(first, last - first + 1);
        out.AddPart(group, group, GroupKind(group));
        piece = piece.Mid(last + 1);
    }
    AddTrimmed(out, piece);
}

} // namespace

CString KTFunction3::CalculationText(const CString& typed)
{
    KTEEquation equation;
    equation.SetText(typed, InterpretationOptions());
    return equation.GetCalculationText(true);
}

CString KTFunction3::InterpretationMessage(const CString& text, KTAxes* owner)
{
    KTFunction3 probe(owner);
    probe.m_data.m_equationText = text;
    probe.Interpret();
    if (probe.Status() == KTStatusError)
        return probe.Parts().GetMessage();
    const std::vector<KTInputMessage> boxes = probe.TakePendingMessages();
    if (!boxes.empty())
        return boxes.front().text;
    // Sides equal everywhere draw nothing: the dialog says why while they are typed. Without a
    // graph's view, over the one a new graph opens with.
    KTAxes opening;
    if (!owner || !(owner->m_xAxis.m_max > owner->m_xAxis.m_min) || !(owner->m_yAxis.m_max > owner->m_yAxis.m_min)) {
        opening.m_xAxis.m_min = opening.m_yAxis.m_min = -10.0;
        opening.m_xAxis.m_max = opening.m_yAxis.m_max = 10.0;
        probe.m_data.m_owner = &opening;
    }
    if (KTCurveSampler(probe).ImplicitHoldsEverywhere())
        return HoldsEverywhereMessage;
    return CString();
}

bool KTFunction3::IsDomainPart(const KTEquationPart& part)
{
    return InterpretDomain(part).m_valid != 0;
}

char KTFunction3::PartSeparator()
{
    return KTTextSeparators::User().m_part;
}

void KTFunction3::SplitParts()
{
    const KTLocaleChars locale;
    const char listSeparator = locale.m_chList ? locale.m_chList : ',';
    const char partSeparator = PartSeparator();

    m_parts.Reset();
    KTEquationPartList classified;
    const CString& text = m_data.m_equationText;
    int start = 0;
    while (start <= text.GetLength()) {
        int end = text.Find(partSeparator, start);
        if (end < 0)
            end = text.GetLength();
        const CString piece = text.Mid(start, end - start);
        if (!piece.IsEmpty())
            ClassifyPiece(piece, listSeparator, classified);
        start = end + 1;
    }

    int counts[KTEquationPartKindCount] = {};
    for (int i = 0; i < classified.GetCount(); ++i)
        ++counts[classified.At(i).Kind()];
    const int V = counts[KTPartVector], D = counts[KTPartDomain], P = counts[KTPartDomainOrPoint];
    const int O = counts[KTPartOther], C = counts[KTPartConfused], Op = counts[KTPartOperation];

    // Parts first in the list they were typed in; the final list replaces them below.
    for (int i = 0; i < classified.GetCount(); ++i)
        m_parts.AddPart(classified.At(i));
    if (D >= 2 || C >= 1 || O >= 4 || ((V >= 1 || Op >= 1) && (O >= 1 || D >= 1)))
        InputError("Can not interpret equation");

    KTEquationPartList finalParts;
    bool built = true;
    int others = 0;
    int executes = 0;
    bool domainFiled = false;
    const auto addEquation = [&](const KTEquationPart& part, int kind) {
        finalParts.AddPart(CalculationText(part.Text()), part.SecondText(), kind);
    };
    const auto addDomain = [&](const KTEquationPart& part) {
        if (!IsDomainPart(part))
            InputError("Not a valid domain");
        finalParts.AddPart(part.Text(), part.SecondText(), KTPartDomain);
    };

    if (O == 1 && D + P <= 1 && Op + C + V == 0) {
        m_parts.SetStatus(KTStatusRearrange);
        for (int i = 0; i < classified.GetCount(); ++i) {
            const KTEquationPart part = classified.At(i);
            if (part.Kind() == KTPartOther)
                addEquation(part, KTPartExecute1);
            else
                addDomain(part);
        }
    } else if (O == 2 && D + P <= 1) {
        m_parts.SetStatus(KTStatusRearrange);
        for (int i = 0; i < classified.GetCount(); ++i) {
            const KTEquationPart part = classified.At(i);
            if (part.Kind() != KTPartOther) {
                addDomain(part);
            } else if (++others == 1) {
                addEquation(part, KTPartExecute1);
            } else if (IsDomainPart(part)) {
                if (D + P == 1)
                    InputError("Too many domains");
                finalParts.AddPart(part.Text(), part.SecondText(), KTPartDomain);
            } else {
                addEquation(part, KTPartExecute2);
                m_parts.SetStatus(KTStatusParametric);
            }
        }
    } else if (O == 3 && D + P == 0) {
        m_parts.SetStatus(KTStatusRearrange);
        for (int i = 0; i < classified.GetCount(); ++i) {
            const KTEquationPart part = classified.At(i);
            if (IsDomainPart(part)) {
                if (domainFiled)
                    InputError("Too many domains");
                domainFiled = true;
                finalParts.AddPart(part.Text(), part.SecondText(), KTPartDomain);
            } else if (executes < 2) {
                addEquation(part, ++executes == 1 ? KTPartExecute1 : KTPartExecute2);
                if (executes == 2)
                    m_parts.SetStatus(KTStatusParametric);
            } else {
                // Three parts and none a domain: the third can only be a domain that reads wrong.
                InputError("Not a valid domain");
                finalParts.AddPart(part.Text(), part.SecondText(), KTPartDomain);
            }
        }
    } else {
        built = false;
    }
    if (built) {
        m_parts.RemoveAll(); // status, message and flags stay
        for (int i = 0; i < finalParts.GetCount(); ++i)
            m_parts.AddPart(finalParts.At(i));
    }

    if ((P >= 1 || Op >= 1 || V >= 1) && O + C + D == 0)
        m_parts.SetStatus(KTStatusNoEquation);
    if ((P >= 1 || Op >= 1 || V >= 1) && O == 1 && C + D == 0) {
        for (int i = 0; i < classified.GetCount(); ++i) {
            const KTEquationPart part = classified.At(i);
            if (part.Kind() == KTPartOther && part.Text() == "P")
                m_parts.SetStatus(KTStatusNoEquationP);
        }
    }
    // An equation among parts that fit none of the forms above is not silently dropped.
    const int status = m_parts.GetStatus();
    if (!built && O >= 1 && status != KTStatusNoEquation && status != KTStatusNoEquationP)
        InputError("Can not interpret equation");
}

void KTFunction3::PrepareTokens(ASTokenList& tokens)
{
    RewriteFunctionNotation(tokens);
    AddImpliedRelation(tokens);
    ClassifyVariables(tokens);
}

void KTFunction3::PrepareBranch(const CString& text, int listIndex)
{
    ASTokenList tokens;
    Tokenise(text, tokens);
    if (m_parts.IsErrorLatched())
        return;
    PrepareTokens(tokens);
    if (m_parts.IsErrorLatched())
        return;
    ConvertTokens(tokens, listIndex);
}

void KTFunction3::ConvertTokens(ASTokenList& tokens, int listIndex)
{
    ASTokenList postfix;
    postfix.ShareFrom(tokens);
    ToPostfix(postfix, false);
    const int status = m_parts.GetStatus();
    if (m_parts.IsErrorLatched())
        return;
    if (status == KTStatusRearrange) {
        Rearrange(tokens, listIndex);
        return;
    }
    if (ASTokenList* list = m_data.List(listIndex))
        list->ShareFrom(postfix);
    EvaluationListsChanged();
    // The relation object follows the equation as typed; it has nothing to rearrange.
    try {
        m_relation.SetFromTokens(tokens);
    } catch (const KTEntryErrorException&) {
    } catch (const ASLimitException&) {
    }
}

void KTFunction3::Rearrange(ASTokenList& tokens, int listIndex)
{
    // The first occurrence furthest right of any relation sign is where the sides meet.
    int sign = -1;
    for (const int kind :
         {ASKind::Greater, ASKind::GreaterEqual, ASKind::LessEqual, ASKind::Less, ASKind::Equals})
        sign = std::max(sign, tokens.FindKind(kind));

    bool solved = false;
    try {
        if (m_relation.SetFromTokens(tokens))
            solved = m_relation.RearrangeForY(m_rearrangedTerms);
    } catch (const ASNoRelationException&) {
        RecordMessage(kInputErrorCaption,
                      "Implicit equation does not contain a relationship (=,<,>,<= or >=)");
        return;
    } catch (const ASMultipleRelationException&) {
        RecordMessage(kInputErrorCaption, "Implicit equation has multiple relationships (=,<,>,<= or >=)");
        return;
    } catch (const KTEntryErrorException&) {
        solved = false;
    } catch (const ASLimitException&) {
        solved = false;
    }

    ASTokenList relation(ASTokenList::WorkingCapacity);
    if (solved) {
        m_relation.AppendTokens(relation);
        solved = !relation.Overflowed() && relation.GetCount() <= ASTokenList::DefaultCapacity;
    }
    if (solved) {
        m_rearranged = m_rearrangedTerms.empty() ? 0 : 1;
        m_parts.SetStatus(KTStatusExplicit);
        ASTokenList first;
        first.ShareFrom(relation);
        const int plusMinus = first.FindKind(ASKind::PlusMinus);
        if (plusMinus >= 0) {
            m_twoBranches = 1;
            ASTokenList second;
            second.ShareFrom(first);
            first.RemoveAt(plusMinus);
            second[plusMinus] = ASToken(ASKind::Multiply);
            if (!second.InsertAt(ASToken(ASKind::Number, -1.0), plusMinus))
                InputError("Can not interpret equation");
            ToPostfix(first, false);
            ToPostfix(second, false);
            m_data.List(KTFunctionData3::FirstBranchList)->ShareFrom(first);
            m_data.List(KTFunctionData3::SecondBranchList)->ShareFrom(second);
        } else {
            ToPostfix(first, false);
            if (ASTokenList* list = m_data.List(listIndex))
                list->ShareFrom(first);
        }
        if (m_parts.GetStatus() == KTStatusRearrange)
            InputError("Can not interpret equation"); // the solved form still holds y on the right
        EvaluationListsChanged();
        return;
    }

    m_data.m_relation = sign >= 0 ? tokens.KindAt(sign) : ASKind::Equals;
    if (m_parts.m_polar) {
        RecordMessage(kInputErrorCaption, "Please rearrange equation to r = or th =");
        InputError("Please rearrange equation to r = or th =");
        return;
    }
    m_parts.SetStatus(KTStatusImplicit);
    // The grid evaluates the second list minus the first: one side each.
    ASTokenList left;
    ASTokenList right;
    const bool converted = sign > 0 && ConvertToPostfix(tokens.SubList(0, sign - 1), 0, false, left) &&
                           ConvertToPostfix(tokens.SubList(sign + 1, tokens.GetCount() - 1), 0, false, right);
    if (!converted || !KTEvaluationProgram::IsWellFormed(left) || !KTEvaluationProgram::IsWellFormed(right)) {
        InputError("Can not interpret equation");
        return;
    }
    m_data.List(KTFunctionData3::FirstBranchList)->ShareFrom(left);
    m_data.List(KTFunctionData3::SecondBranchList)->ShareFrom(right);
    EvaluationListsChanged();
}

// The y equation of a pair is the second branch. A pair typed y first is put in order; two
// equations that are no pair are refused rather than drawn as one.
void KTFunction3::PreparePair()
{
    const CString second = m_parts.FindPart(KTPartExecute2, 1).Text();
    if (second.IsEmpty()) {
        InputError("Can not interpret equation");
        return;
    }
    if (m_parts.m_parametricX) {
        PrepareBranch(second, KTFunctionData3::SecondBranchList);
        if (!m_parts.m_parametricY)
            InputError("Can not interpret equation");
        return;
    }
    if (!m_parts.m_parametricY) {
        InputError("Can not interpret equation");
        return;
    }
    ASTokenList* first = m_data.List(KTFunctionData3::FirstBranchList);
    m_data.List(KTFunctionData3::SecondBranchList)->ShareFrom(*first);
    first->Clear();
    EvaluationListsChanged();
    PrepareBranch(second, KTFunctionData3::FirstBranchList);
    if (!m_parts.m_parametricX)
        InputError("Can not interpret equation");
}

bool KTFunction3::InterpretationInputs::SameAs(const InterpretationInputs& other) const
{
    return text == other.text && decimal == other.decimal && list == other.list && owner == other.owner &&
           angleSystem == other.angleSystem &&
           std::memcmp(constants.data(), other.constants.data(), sizeof(constants)) == 0;
}

KTFunction3::InterpretationInputs KTFunction3::ReadInterpretationInputs()
{
    InterpretationInputs inputs;
    inputs.text = m_data.m_equationText;
    const KTLocaleChars locale;
    inputs.decimal = locale.m_chDecimal;
    inputs.list = locale.m_chList;
    inputs.owner = m_data.m_owner;
    // The default domains read the unit forced into range (GetValue), the constant bounds the
    // value as it stands: after the first the two agree.
    if (m_data.m_owner)
        inputs.angleSystem = m_data.m_owner->m_options.m_angleSystem.GetValue();
    for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
        inputs.constants[static_cast<std::size_t>(i)] = m_data.m_constants.Current(i);
    return inputs;
}

void KTFunction3::KeepInterpretation(const InterpretationInputs& inputs)
{
    if (!m_lastInterpretation)
        m_lastInterpretation = std::make_unique<InterpretationRecord>();
    InterpretationRecord& record = *m_lastInterpretation;
    record.inputs = inputs;
    record.parts = m_parts;
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        record.lists[static_cast<std::size_t>(i)].ShareFrom(*m_data.List(i));
    record.expressionText = m_data.m_expressionText;
    record.domain = m_data.m_domain;
    record.valueDomain = m_data.m_valueDomain;
    record.valueLists = m_data.m_valueLists;
    record.interpreted = m_data.m_interpreted;
    record.uses = {m_data.m_usesConstant, m_data.m_usesA, m_data.m_usesB,   m_data.m_usesC,
                   m_data.m_usesD,        m_data.m_usesM, m_data.m_usesTrig};
    record.relation = m_data.m_relation;
    record.twoBranches = m_twoBranches;
    record.rearranged = m_rearranged;
}

void KTFunction3::RestoreInterpretation(const InterpretationRecord& record)
{
    m_parts = record.parts;
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        m_data.List(i)->ShareFrom(record.lists[static_cast<std::size_t>(i)]);
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    EvaluationListsChanged();
    m_data.m_expressionText = record.expressionText;
    m_data.m_domain = record.domain;
    m_data.m_valueDomain = record.valueDomain;
    m_data.m_valueLists = record.valueLists;
    m_data.m_interpreted = record.interpreted;
    BYTE* const uses[] = {&m_data.m_usesConstant, &m_data.m_usesA, &m_data.m_usesB,   &m_data.m_usesC,
                          &m_data.m_usesD,        &m_data.m_usesM, &m_data.m_usesTrig};
    for (std::size_t i = 0; i < record.uses.size(); ++i)
        *uses[i] = record.uses[i];
    m_data.m_relation = record.relation;
    m_twoBranches = record.twoBranches;
    m_rearranged = record.rearranged;
}

void KTFunction3::Interpret()
{
    const InterpretationInputs inputs = ReadInterpretationInputs();
    // A run whose messages would be recorded anew must run in full to record them.
    const bool messagesRecorded =
        !m_messagesRecordedFor.IsEmpty() && m_data.m_equationText == m_messagesRecordedFor;
    if (messagesRecorded && m_lastInterpretation && m_lastInterpretation->inputs.SameAs(inputs)) {
        try {
            m_recordMessages = false;
            RestoreInterpretation(*m_lastInterpretation);
            return;
        } catch (...) {
            m_lastInterpretation.reset(); // read the text again below
        }
    }

    bool completed = true;
    try {
        InterpretText();
    } catch (const std::exception&) {
        completed = false;
        InputError("Can not interpret equation");
    } catch (const KTExceptionBase&) {
        completed = false;
        InputError("Can not interpret equation");
    } catch (...) {
        completed = false;
        InputError("Can not interpret equation");
    }
    if (m_parts.GetStatus() == KTStatusError) {
        m_data.m_interpreted = 0; // nothing half-read is ever drawn
        m_twoBranches = 0;
    }
    // A run cut short by an exception (memory, a limit) is not kept: the next reads again.
    try {
        if (completed)
            KeepInterpretation(inputs);
        else
            m_lastInterpretation.reset();
    } catch (...) {
        m_lastInterpretation.reset();
    }
}

void KTFunction3::InterpretText()
{
    // No node pointer may survive into this run: the pool is emptied, so is all that refers to it.
    ASNodePool::Global().DeleteAll();
    m_relation.m_tokens.Clear();
    m_rearrangedTerms.clear();

    // Messages are recorded once per change of the text; the view shows them after the paint.
    if (!(m_data.m_equationText == m_messagesRecordedFor) || m_messagesRecordedFor.IsEmpty()) {
        m_recordMessages = true;
        m_pendingMessages.clear();
        m_messagesRecordedFor = m_data.m_equationText;
    } else {
        m_recordMessages = false;
    }

    // Every list of the interpretation has room for the longest equation; a longer one is told
    // so rather than refused as though it were wrongly typed.
    const bool tooLong = m_data.m_equationText.GetLength() > ASTokenList::LongestEquation;
    if (tooLong)
        m_parts.Reset();
    else
        SplitParts();

    m_parts.m_polar = m_parts.m_inverse = m_parts.m_parametricX = m_parts.m_parametricY = 0;
    m_twoBranches = 0;
    m_rearranged = 0;
    m_data.ClearUseFlags();
    m_data.m_relation = -1;
    m_data.m_expressionText.Empty();
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        m_data.List(i)->Clear();
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    EvaluationListsChanged();

    const KTEquationPart execute1 = m_parts.FindPart(KTPartExecute1, 1);
    CString text = execute1.Text();
    if (tooLong)
        InputError(kTooLong);
    if (m_parts.GetCount() == 0) {
        m_data.m_interpreted = 0;
        DefaultDomain(m_data.m_domain);
        return;
    }
    const int equals = text.Find('=');
    m_data.m_expressionText = equals >= 0 ? text.Mid(equals + 1) : text;

    const int plusMinusCount = [&text] {
        int n = 0;
        for (int i = 0; i < text.GetLength(); ++i)
            n += text[i] == kPlusMinus ? 1 : 0;
        return n;
    }();
    const int status = m_parts.GetStatus();
    if (plusMinusCount > 1) {
        InputError("More than one +- in equation");
    } else if (plusMinusCount == 1) {
        m_twoBranches = 1;
        CString plus = text;
        plus.Replace(kPlusMinus, '+');
        CString minus = text;
        minus.Replace(kPlusMinus, '-');
        PrepareBranch(plus, KTFunctionData3::FirstBranchList);
        // An implicit relation takes both lists for its two sides: it has no room for a second
        // branch.
        if (m_parts.GetStatus() == KTStatusImplicit)
            InputError("Can not interpret equation");
        else
            PrepareBranch(minus, KTFunctionData3::SecondBranchList);
    } else if (status != KTStatusNoEquation && status != KTStatusNoEquationP && !text.IsEmpty()) {
        PrepareBranch(text, KTFunctionData3::FirstBranchList);
        if (!m_parts.IsErrorLatched() && (m_parts.m_parametricX || m_parts.CountParts(KTPartExecute2) > 0))
            PreparePair();
    }

    const int finalStatus = m_parts.GetStatus();
    m_data.m_interpreted = (!m_data.List(KTFunctionData3::FirstBranchList)->IsEmpty() ||
                            finalStatus == KTStatusNoEquation || finalStatus == KTStatusNoEquationP)
                               ? 1
                               : 0;

    for (int j = 1; j <= m_parts.CountParts(KTPartDomainOrPoint); ++j)
        InterpretDomain(m_parts.FindPart(KTPartDomainOrPoint, j));
    ApplyDomainVariable(InterpretDomain(m_parts.FindPart(KTPartDomain, 1)));
    if (!m_data.m_domain.m_valid && m_parts.CountParts(KTPartDomain) > 0)
        InputError("Not a valid domain");

    BuildDiscontinuityList();
}

namespace {

/// Tokens first..last of the list are a constant below 0 (no variable, no family constant).
bool NegativeConstant(const ASTokenList& list, int first, int last)
{
    if (first < 0 || last < first)
        return false;
    ASTokenList exponent(last + 1 - first);
    for (int k = first; k <= last; ++k) {
        const int kind = list.KindAt(k);
        if (ASIsVariableKind(kind))
            return false;
        exponent.Append(kind, list.At(k).m_value);
    }
    if (!KTEvaluationProgram::IsWellFormed(exponent))
        return false;
    const double v = KTEvaluateTokens(exponent, KTEvaluationInputs{});
    return std::isfinite(v) && v < 0.0 && v != KTUndefinedValue && v != KTNoSecondValue;
}

} // namespace

// Where a divisor changes sign the function has a pole or a hole; the calculation samples the
// divisors' product for those sign changes. The asymptote and hole markers are drawn upright on
// the x axis, so only the plain form y = f(x) has them.
void KTFunction3::BuildDiscontinuityList()
{
    ASTokenList* out = m_data.List(KTFunctionData3::DiscontinuityList);
    out->Clear();
    const ASTokenList* branch = m_data.List(KTFunctionData3::FirstBranchList);
    if (!m_data.m_interpreted || Status() != KTStatusExplicit || m_parts.m_inverse || m_parts.m_polar ||
        m_parts.m_parametricX || m_parts.m_parametricY || branch->IsEmpty())
        return;

    const auto sameTokens = [](const ASTokenList& a, int aFirst, const ASTokenList& b, int bFirst,
                               int length) {
        for (int k = 0; k < length; ++k) {
            const ASToken& s = a.At(aFirst + k);
            const ASToken& t = b.At(bFirst + k);
            if (s.m_kind != t.m_kind || (s.m_kind == ASKind::Number && !(s.m_value == t.m_value)))
                return false;
        }
        return true;
    };
    // Divisors already in the product, as (first, length) within it.
    std::vector<std::pair<int, int>> taken;
    const auto addDivisor = [&](int first, int last) {
        if (first < 0 || !KTEvaluationProgram::ReadsX(*branch, first, last))
            return;
        // u^2, sqrt(u) and |u| vanish where u does, but keep one sign there; u itself changes
        // sign (1/x^2 and 1/sqrt(x) have their asymptote at the zero of x).
        for (;;) {
            const int kind = branch->KindAt(last);
            if ((kind == ASKind::Sqrt || kind == ASKind::Abs) && last > first) {
                --last;
            } else if (kind == ASKind::Power && last - 2 >= first &&
                       branch->KindAt(last - 1) == ASKind::Number && branch->At(last - 1).m_value > 0.0) {
                last -= 2;
            } else {
                break;
            }
        }
        if (!KTEvaluationProgram::ReadsX(*branch, first, last))
            return;
        const int length = last + 1 - first;
        bool repeated = false;
        for (const auto& [at, n] : taken)
            repeated = repeated || (n == length && sameTokens(*out, at, *branch, first, length));
        // A divisor that does not fit whole is left out: the product stays one expression.
        const int needed = length + (taken.empty() ? 0 : 1);
        if (repeated || out->GetCount() + needed > out->Capacity())
            return;
        const int at = out->GetCount();
        for (int k = first; k <= last; ++k)
            out->Append(branch->KindAt(k), branch->At(k).m_value);
        if (!taken.empty())
            out->Append(ASKind::Multiply);
        taken.emplace_back(at, length);
    };
    for (int i = 1; i < branch->GetCount(); ++i) {
        if (branch->KindAt(i) == ASKind::Divide) {
            addDivisor(KTEvaluationProgram::OperandStart(*branch, i - 1), i - 1);
        } else if (branch->KindAt(i) == ASKind::Power) {
            // u^(-2) is 1/u^2: a power whose exponent is a negative constant divides by its base.
            const int exponent = KTEvaluationProgram::OperandStart(*branch, i - 1);
            if (exponent >= 1 && NegativeConstant(*branch, exponent, i - 1))
                addDivisor(KTEvaluationProgram::OperandStart(*branch, exponent - 1), exponent - 1);
        }
    }
    if (!KTEvaluationProgram::IsWellFormed(*out))
        out->Clear();
    EvaluationListsChanged();
}
