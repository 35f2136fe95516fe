#pragma once
// The directions (cosine and sine of the angle) of the samples of r = f(angle). Every member of
// a family and every recalculation over the same view samples the same angles: they are turned
// into directions once, and the sampling's range test and the conversion to x and y read them.

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

class KTPolarDirections
{
public:
    /// The table for the `count` parameters low + k step, whose angles are parameter x scale;
    /// kept when it holds those already.
    void Prepare(double low, double step, double scale, int count)
    {
        if (Same(low, m_low) && Same(step, m_step) && Same(scale, m_scale) &&
            static_cast<int>(m_parameters.size()) == count)
            return;
        m_low = low;
        m_step = step;
        m_scale = scale;
        m_parameters.resize(static_cast<std::size_t>(count));
        m_cosines.resize(static_cast<std::size_t>(count));
        m_sines.resize(static_cast<std::size_t>(count));
        for (std::size_t k = 0; k < m_parameters.size(); ++k) {
            const double parameter = low + static_cast<double>(k) * step;
            const double angle = parameter * scale;
            m_parameters[k] = parameter;
            m_cosines[k] = std::cos(angle);
            m_sines[k] = std::sin(angle);
        }
    }

    double Parameter(int k) const { return m_parameters[static_cast<std::size_t>(k)]; }
    double Cosine(int k) const { return m_cosines[static_cast<std::size_t>(k)]; }
    double Sine(int k) const { return m_sines[static_cast<std::size_t>(k)]; }

    /// True when sample k of the table is the parameter `parameter` with the angle scale
    /// `scale`, to the last bit: its direction is then the table's.
    bool Holds(int k, double parameter, double scale) const
    {
        return k >= 0 && k < static_cast<int>(m_parameters.size()) && Same(scale, m_scale) &&
               Same(parameter, m_parameters[static_cast<std::size_t>(k)]);
    }

private:
    static bool Same(double a, double b)
    {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    }

    double m_low = 0.0;
    double m_step = 0.0;
    double m_scale = 0.0;
    std::vector<double> m_parameters;
    std::vector<double> m_cosines;
    std::vector<double> m_sines;
};
