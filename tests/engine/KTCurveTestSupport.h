#pragma once
// Axes and functions for the curve tests and the paint benchmark: a coordinate system over given
// ranges mapped onto a pixel rectangle (y up), and functions whose evaluation lists are written
// directly in postfix form ("x 2 ^ 4 -"), so that sampling, analysis and drawing are tested
// without going through interpretation.

#include "engine/ASTokenKind.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTFunction3.h"
#include "axes/KTAxes.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace kttest {

/// Both axes over the given ranges; x over device pixels 0..width, y over height..0 (the minimum
/// at the bottom), one sample per pixel (at most 1600).
inline void SetAxes(KTAxes& axes, double xmin, double xmax, double ymin, double ymax, int width = 1599,
                    int height = 1199, int angleSystem = 1)
{
    axes.m_xAxis.m_isX = 1;
    axes.m_xAxis.m_min = xmin;
    axes.m_xAxis.m_max = xmax;
    axes.m_xAxis.m_pixel = CRect(0, 0, width, 0);
    axes.m_xAxis.m_edge = CRect(-10, -10, width + 10, height + 10);
    axes.m_xAxis.m_devicePixel = CRect(0, 0, width, 0);
    axes.m_yAxis.m_isX = 0;
    axes.m_yAxis.m_min = ymin;
    axes.m_yAxis.m_max = ymax;
    axes.m_yAxis.m_pixel = CRect(0, height, 0, 0); // top receives the minimum
    axes.m_yAxis.m_edge = CRect(-10, height + 10, width + 10, -10);
    axes.m_yAxis.m_devicePixel = CRect(0, 0, 0, height);
    axes.m_rect = CRect(0, 0, width, height);
    axes.m_options.m_angleSystem.m_value = angleSystem;
}

/// Replaces evaluation list `index` by the postfix text: numbers, x y t q (theta), a b c d m,
/// p (pi), e, + - * / ^ and function names (SIN, COS, TAN, ATAN, LN, SQRT, ABS, EXP, ...).
inline void SetPostfix(KTFunction3& f, int index, const char* postfix)
{
    ASTokenList* list = f.Data().List(index);
    list->Clear();
    std::istringstream in(postfix);
    std::string word;
    while (in >> word) {
        const char c = word[0];
        if ((c >= '0' && c <= '9') || (c == '-' && word.size() > 1) || c == '.') {
            list->Append(ASKind::Number, std::strtod(word.c_str(), nullptr));
            continue;
        }
        static const struct
        {
            const char* text;
            int kind;
        } names[] = {
            {"x", ASKind::X},     {"y", ASKind::Y},        {"t", ASKind::T},       {"q", ASKind::Theta},
            {"a", ASKind::A},     {"b", ASKind::B},        {"c", ASKind::C},       {"d", ASKind::D},
            {"m", ASKind::M},     {"p", ASKind::Pi},       {"e", ASKind::E},       {"+", ASKind::Plus},
            {"-", ASKind::Minus}, {"*", ASKind::Multiply}, {"/", ASKind::Divide},  {"^", ASKind::Power},
            {"SIN", ASKind::Sin}, {"COS", ASKind::Cos},    {"TAN", ASKind::Tan},   {"ATAN", ASKind::ArcTan},
            {"LN", ASKind::Ln},   {"SQRT", ASKind::Sqrt},  {"ABS", ASKind::Abs},   {"EXP", ASKind::Exp},
            {"LOG", ASKind::Log}, {"COSH", ASKind::Cosh},  {"SINH", ASKind::Sinh},
        };
        bool known = false;
        // As interpretation does, the function notes the family constants it reads.
        BYTE* uses[] = {&f.Data().m_usesA, &f.Data().m_usesB, &f.Data().m_usesC, &f.Data().m_usesD,
                        &f.Data().m_usesM};
        for (const auto& name : names) {
            if (word == name.text) {
                list->Append(name.kind);
                if (name.kind >= ASKind::A && name.kind <= ASKind::M)
                    *uses[name.kind - ASKind::A] = 1;
                known = true;
                break;
            }
        }
        if (!known)
            std::abort(); // a typing error in a test table
    }
    f.EvaluationListsChanged();
}

/// Form of a prepared function.
enum class Form { Explicit, Swapped, Polar, Parametric, Implicit, Points };

/// Makes `f` an interpreted function of the given form over its first list (and second list for
/// pairs and relations): status, form flags, relation "=" and the default domain.
inline void Prepare(KTFunction3& f, Form form, const char* first, const char* second = nullptr)
{
    f.Parts().Reset();
    f.Data().m_interpreted = 1;
    f.Data().m_relation = ASKind::Equals;
    f.Data().m_domain = KTFunctionDomain();
    f.m_twoBranches = 0;
    int status = KTStatusExplicit;
    switch (form) {
    case Form::Explicit: break;
    case Form::Swapped: f.Parts().m_inverse = 1; break;
    case Form::Polar:
        f.Parts().m_polar = 1;
        f.Data().m_domain.m_low = 0.0;
        f.Data().m_domain.m_high = 360.0;
        f.Data().m_domain.m_lowEnd = f.Data().m_domain.m_highEnd = KTFunctionDomain::EndNone;
        break;
    case Form::Parametric:
        f.Parts().m_parametricX = 1;
        status = KTStatusParametric;
        f.Data().m_domain.m_low = 0.0;
        f.Data().m_domain.m_high = 16.0;
        f.Data().m_domain.m_lowEnd = f.Data().m_domain.m_highEnd = KTFunctionDomain::EndNone;
        break;
    case Form::Implicit: status = KTStatusImplicit; break;
    case Form::Points: status = KTStatusNoEquation; break;
    }
    f.Parts().SetStatus(status);
    f.Data().m_usesA = f.Data().m_usesB = f.Data().m_usesC = f.Data().m_usesD = f.Data().m_usesM = 0;
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        f.Data().List(i)->Clear();
    if (first)
        SetPostfix(f, KTFunctionData3::FirstBranchList, first);
    if (second)
        SetPostfix(f, KTFunctionData3::SecondBranchList, second);
    f.Data().SelectList(KTFunctionData3::FirstBranchList);
}

/// Calculation as the graph runs it: points, analysis, screen form.
inline void Recalculate(KTFunction3& f)
{
    f.Calculate();
    f.CalculatePoints();
    KTCurveRefiner(f).ToPolar();
}

} // namespace kttest
