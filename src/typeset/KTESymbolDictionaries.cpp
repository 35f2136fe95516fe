#include "typeset/KTESymbolDictionaries.h"

#include "typeset/KTEOptions.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

/// Everything of the options the dictionaries are built from, in one string.
std::string KeyOf(const KTEOptions& options)
{
    std::string key;
    key += static_cast<char>('0' + (options.m_bPlain ? 1 : 0));
    key += static_cast<char>('0' + (options.m_bPlusMinusSign ? 1 : 0));
    for (const CString* list :
         {&options.m_macroList.m_value, &options.ReplacementList, &options.SpacedSymbolList,
          &options.SymbolList, &options.GreekList, &options.m_unitsList.m_value, &options.FunctionList,
          &options.InverseFunctionList, &options.LargeOperatorList, &options.ModifierList}) {
        key += '\x01';
        key += list->str();
    }
    return key;
}

} // namespace

std::shared_ptr<const KTESymbolDictionaries> KTESymbolDictionaries::For(const KTEOptions& options)
{
    // The few sets in use (a graph has one or two option sets), newest last.
    static std::mutex mutex;
    static std::vector<std::pair<std::string, std::shared_ptr<const KTESymbolDictionaries>>> built;
    constexpr std::size_t kKept = 8;

    std::string key = KeyOf(options);
    const std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [known, set] : built)
        if (known == key)
            return set;
    auto set = std::make_shared<KTESymbolDictionaries>();
    set->Build(options);
    if (built.size() >= kKept)
        built.erase(built.begin());
    built.emplace_back(std::move(key), set);
    return set;
}

void KTESymbolDictionaries::Build(const KTEOptions& options)
{
    KTESymbolDictionary& main = m_dictionaries[3];
    if (!options.m_bPlain) {
        m_dictionaries[0].Set(options.m_macroList.m_value, TK_RAW, true, '%');
        m_dictionaries[0].SortByLength();
        m_dictionaries[1].Set(options.ReplacementList, TK_RAW, true, ',');
        m_dictionaries[1].SortByLength();
        m_dictionaries[2].Set("-->", TK_IVRIGHT, false, ',');
        m_dictionaries[2].Add("<--", TK_IVLEFT, false, ',');
        m_dictionaries[2].Add("<->", TK_IVBOTH, false, ',');
        m_dictionaries[2].SortByLength();
        main.Set(options.SpacedSymbolList, TK_SPACEDSYMBOL, true, ',');
        main.Add(options.SymbolList, TK_SYMBOL, true, ',');
    }
    main.Add(options.GreekList, TK_GREEK, true, ',');
    if (!options.m_bPlain) {
        main.Add(options.m_unitsList.m_value, TK_UNIT, false, ',');
        main.Add(options.FunctionList, TK_FUNCTION, false, ',');
        main.Add(options.InverseFunctionList, TK_ARCSINCOSTAN, false, ',');
        main.Add("sqrt,sr", TK_SQRT, false, ',');
        main.Add("root", TK_ROOT, false, ',');
        main.Add(options.LargeOperatorList, TK_CODEDRAW2, false, ',');
        main.Add(options.ModifierList, TK_MODIFIER, false, ',');
        if (options.m_bPlusMinusSign)
            main.Add("+-,177", TK_RAW, true, ',');
        main.Add("|[,[|", TK_OPEN, false, ',');
        main.Add("]|,|]", TK_CLOSE, false, ',');
        main.Add(" :, :", TK_NUMBER, true, ',');
    }
    main.SortByLength();
}
