#pragma once
// Documents built in code for the program's tests, and the older file layout written byte by
// byte as the older program wrote it.

#include "app/KTG300Doc.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kttest {

/// Fills a document with functions, options, a tangent, an integral and annotations; `variant`
/// chooses among a few different contents.
void FillDocument(KTG300Doc& document, int variant);

/// The bytes of an older-layout document.
class LegacyFileWriter
{
public:
    void Int(std::int32_t value);
    void Double(double value);
    void Byte(std::uint8_t value);
    /// The text's bytes and a terminator byte (a byte of value 30 or less).
    void Text(const std::string& text, std::uint8_t terminator = 0);
    void Bytes(std::size_t count, std::uint8_t value = 0);
    const std::vector<std::uint8_t>& Data() const { return m_data; }

private:
    std::vector<std::uint8_t> m_data;
};

struct LegacyFunction
{
    std::string equation;
    std::string domain;
    std::int32_t flags[5] = {0, 0, 0, 0, 0}; ///< VAsym, HAsym, arrows, ShowLow, ShowHigh
    std::int32_t firstDerivative = 0;
};

struct LegacyDocument
{
    std::int32_t rect[4] = {10, 20, 700, 500};
    bool marked = true;
    std::string xMax = "8", yMax = "6", xMin = "-8", yMin = "-6";
    double steps[4] = {2.0, 1.5, 0.5, 0.25}; ///< xMajor, yMajor, xMinor, yMinor
    std::int32_t angleSystem = 1;
    std::string xNotate = "time", yNotate = "speed";
    std::int32_t flags[8] = {1, 0, 1, 1, 0, 1, 0, 1};
    std::string faceName = "Courier New";
    std::int32_t fontHeight = -20;
    std::string lower = "0", upper = "2";
    std::int32_t integralSecond = -2, integralFirst = 0;
    std::int32_t tangentFunction = 1;
    std::string tangentX = "1.5";
    LegacyFunction functions[10];
};

/// The older program's file of the description.
std::vector<std::uint8_t> WriteLegacyFile(const LegacyDocument& document);

QString ToQ(const std::filesystem::path& path);

} // namespace kttest
