#pragma once
// The four dictionaries an equation splits its text by (macros, replacements, indicated
// vectors, the main word list), built from the options. Building them (parsing the lists and
// sorting some hundred words) costs more than typesetting a short label, and every label of
// every axis is an equation of its own, so built sets are shared: equal option lists give the
// same immutable set.

#include "typeset/KTESymbolDictionary.h"

#include <array>
#include <memory>

class KTEOptions;

class KTESymbolDictionaries
{
public:
    static constexpr int Count = 4;

    /// The set for the options' word lists, built on first use and shared afterwards; never null.
    static std::shared_ptr<const KTESymbolDictionaries> For(const KTEOptions& options);
    /// A set with four empty dictionaries.
    KTESymbolDictionaries() = default;

    /// Dictionary 0..3 (held within that range).
    const KTESymbolDictionary& Get(int i) const
    {
        return m_dictionaries[static_cast<std::size_t>(i < 0 ? 0 : i > 3 ? 3 : i)];
    }

private:
    void Build(const KTEOptions& options);

    std::array<KTESymbolDictionary, Count> m_dictionaries;
};
