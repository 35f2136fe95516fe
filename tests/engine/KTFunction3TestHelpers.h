#pragma once
// Shared set-up of the function tests: axes in a chosen angle system, postfix lists built by
// hand, token lists printed for comparison.

#include "engine/ASTokenList.h"
#include "engine/KTFunction3.h"
#include "axes/KTAxes.h"

#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace kttest {

/// One token of a hand-built list: a number when kind is ASKind::Number.
struct Tok
{
    int kind;
    double value = 0.0;
};

inline Tok Num(double v)
{
    return {ASKind::Number, v};
}

/// Axes with the angle system 0 degrees, 1 radians, 2 grads.
inline void SetAngleSystem(KTAxes& axes, int system)
{
    axes.m_options.m_angleSystem.m_value = system;
}

/// Makes list 1 of the function the given postfix tokens and selects it.
inline void SetPostfix(KTFunction3& f, std::initializer_list<Tok> tokens)
{
    ASTokenList* list = f.m_data.List(KTFunctionData3::FirstBranchList);
    list->Clear();
    for (const Tok& t : tokens)
        list->Append(t.kind, t.value);
    f.m_data.SelectList(KTFunctionData3::FirstBranchList);
    f.EvaluationListsChanged();
}

/// "2 X * 1 +": numbers with %.10g, other kinds by name.
std::string Describe(const ASTokenList& list);

/// The function's text interpreted afresh.
void InterpretText(KTFunction3& f, const char* text);

/// A random postfix list of about `length` tokens (at most `cap`): operands drawn from
/// `operands`, numbers from `numbers`, the five binary operators and the nineteen functions; it
/// stops when one value is left once `length` is reached. Not every list is well formed.
inline ASTokenList RandomPostfixList(std::mt19937& rng, int length, int cap, const std::vector<int>& operands,
                                     const std::vector<double>& numbers)
{
    static const int binaries[] = {ASKind::Plus, ASKind::Minus, ASKind::Multiply, ASKind::Divide, ASKind::Power};
    static const int functions[] = {ASKind::Sin,    ASKind::Cos,   ASKind::Tan,  ASKind::ArcSin, ASKind::ArcCos,
                                    ASKind::ArcTan, ASKind::Abs,   ASKind::Gint, ASKind::Exp,    ASKind::Ln,
                                    ASKind::Log,    ASKind::Sqrt,  ASKind::Cosh, ASKind::Sinh,   ASKind::Tanh,
                                    ASKind::Sec,    ASKind::Cosec, ASKind::Cot,  ASKind::Normal};
    ASTokenList list;
    int depth = 0;
    for (int i = 0; i < length || depth != 1; ++i) {
        const unsigned pick = rng() % 10;
        if (depth >= 2 && (pick < 4 || i >= length)) {
            list.Append(binaries[rng() % 5]);
            --depth;
        } else if (depth >= 1 && pick < 6 && i < length) {
            list.Append(functions[rng() % 19]);
        } else {
            const int kind = operands[rng() % operands.size()];
            list.Append(kind, kind == ASKind::Number ? numbers[rng() % numbers.size()] : 0.0);
            ++depth;
        }
        if (list.GetCount() >= cap)
            break;
    }
    return list;
}

} // namespace kttest
