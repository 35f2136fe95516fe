#pragma once
// Shared set-up of the function tests: axes in a chosen angle system, postfix lists built by
// hand, token lists printed for comparison.

#include "engine/ASTokenList.h"
#include "engine/KTFunction3.h"
#include "axes/KTAxes.h"

#include <initializer_list>
#include <string>

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

} // namespace kttest
