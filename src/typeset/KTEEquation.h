#pragma once
// One typeset equation: a text parsed under a KTEOptions into a tree of tokens, which can be
// written out as calculation text, measured and drawn. Always a local object of its user.
// No operation throws: SetText, GetExtent and Draw run inside paints.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "typeset/KTEExtent.h"
#include "typeset/KTESymbolDictionaries.h"
#include "typeset/KTETokenList.h"
#include "typeset/KTETokenPool.h"

#include <array>
#include <cstdint>
#include <string>

class KTDC;
class KTEOptions;
class KTVariableSubstitutions;

class KTEEquation
{
public:
    KTEEquation() = default;
    ~KTEEquation() = default;
    KTEEquation(const KTEEquation&) = delete;
    KTEEquation& operator=(const KTEEquation&) = delete;

    /// Parses text under options. An unchanged text is not parsed again (the options' parsing
    /// flags are then not looked at); layout is redone whenever options or device differ.
    void SetText(const CString& text, const KTEOptions& options);
    /// After SetText: a leading minus is drawn as a sign, like the minus of a negative number,
    /// not as a spaced operator ("-pi" as a label beside "-2pi").
    void SignLeadingMinus();
    /// Replaces, at any depth, every variable named in the table by a number showing its value.
    void SubstituteVariables(const KTVariableSubstitutions& table);
    /// The plain calculation text the equation engine reads; negate writes every "-" as "-1*".
    CString GetCalculationText(bool negate) const;
    /// The measured box (logical units of dc), width including twice the side margin.
    KTEExtent GetExtent(KTDC* dc, const KTEOptions& options);
    /// Draws with the box placed by the context's text alignment; the context's alignment,
    /// background mode and selected objects are as before when it returns.
    void Draw(KTDC* dc, int x, int y, const KTEOptions& options);

    /// After SetText: the top level is a sum or a difference, a "+" or "-" that follows an
    /// operand outside every bracket, with no relation sign beside it ("x^2 - 4", not "-x^2",
    /// "(x - 1)^2", "2(x + 1)" or "x^2 + y^2 = 9").
    bool IsSum() const;
    /// The text bracketed when it typesets as a sum under the graphing preset, so that it reads
    /// as one operand after "d/dx" or an integral sign; any other text unchanged.
    static CString AsOperand(const CString& text);

    /// The top-level token list (read only; for tests and diagnostics).
    const KTETokenList& GetTokens() const { return m_tokens; }
    const CString& GetText() const { return m_text; }
    /// Marks the text changed, so that the next SetText parses even an unchanged text.
    void MarkTextChanged() { m_textChanged = 1; }

    /// Takes the four dictionaries for the options (once, or on every call when the options
    /// ask); equal word lists share one built set.
    void BuildDictionaries(const KTEOptions& options);
    /// Dictionary 0..3 (held within that range); empty before BuildDictionaries.
    const KTESymbolDictionary& GetDictionary(int i) const;

private:
    void Parse(const KTEOptions& options);
    void SplitQuoted();
    void SplitByDictionary(const KTESymbolDictionary& dictionary);
    void SplitNumbers();
    void SplitByCharacters(const CString& characters, KTETokenKind kind);
    void RemoveLooseSpaces();
    void BracketScripts();
    /// The end (one past the last token) of the script run that starts at first.
    int ScriptEnd(int first) const;
    void MakeImplicitPowers();
    void BracketFunctionArguments();
    void BracketRoots();
    void GroupBracketedPowers();
    int EncloseRun(int start, bool allowGroups, bool allowSpaces);
    void EnsureLayout(KTDC* dc, const KTEOptions& options);
    bool ParseSafely(const KTEOptions& options);

    BYTE m_wasOpaque = 0;
    KTETokenList m_tokens;
    CString m_text;
    KTEExtent m_extent;
    std::shared_ptr<const KTESymbolDictionaries> m_dictionaries;
    BYTE m_textChanged = 0;
    BYTE m_extentDirty = 0;
    /// What a layout depends on besides the tree: the device, its mapping and the options that
    /// size or shape tokens. Colours are left out: they change no measurement.
    struct LayoutKey
    {
        bool set = false; ///< false: no layout yet, or the tree changed since
        const void* dc = nullptr;
        std::array<int, 8> device{};      ///< map mode, window and viewport extents, dots per inch
        std::array<int, 19> numbers{};    ///< the font's size, height, weight, italic, escapement; options
        std::array<double, 4> ratios{};   ///< scale, power raise, fraction and power level ratios
        std::uint32_t switches = 0;       ///< one bit per flag option
        std::array<std::string, 4> faces; ///< the font's face, the units, quote and function fonts
        /// Equal fields, the ratios to the bit.
        bool SameAs(const LayoutKey& other) const;
    };
    static LayoutKey MakeLayoutKey(KTDC* dc, const KTEOptions& options);

    KTETokenPool m_pool;
    LayoutKey m_layoutKey; ///< options and device the tree was last measured for
};
