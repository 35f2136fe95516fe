#include "foundation/KTLogFont.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

TEST(KTLogFontTest, DefaultFont)
{
    const KTLogFont font;
    const LOGFONT& f = font.m_logFont;
    EXPECT_EQ(f.lfHeight, -14);
    EXPECT_EQ(f.lfWidth, 0);
    EXPECT_EQ(f.lfEscapement, 0);
    EXPECT_EQ(f.lfWeight, 400);
    EXPECT_EQ(f.lfOutPrecision, 7);
    EXPECT_EQ(f.lfClipPrecision, 48);
    EXPECT_EQ(f.lfQuality, 2);
    EXPECT_EQ(f.lfPitchAndFamily, 2);
    EXPECT_EQ(font.GetFaceName(), "Arial");
    for (int i = 5; i < 32; ++i)
        EXPECT_EQ(f.lfFaceName[i], 0);
    EXPECT_EQ(font.m_color, 0u);
    EXPECT_EQ(font.m_size, 388);
    EXPECT_EQ(font.ToProfileText(), "-14,0,0,0,400,0,0,0,0,7,48,2,2,0,388,Arial");
    ASSERT_NE(KTFindClass("KTLogFont"), nullptr);
}

TEST(KTLogFontTest, ArchiveFormIs52Bytes)
{
    KTLogFont font;
    KTArchive out;
    font.Serialize(out);
    std::vector<std::uint8_t> expected = {0xF2, 0xFF, 0xFF, 0xFF, 0x90, 0x01, 0,   0,  0,
                                          0,    0,    0,    'A',  'r',  'i',  'a', 'l'};
    expected.resize(12 + 32, 0);
    for (int b : {0, 0, 0, 0, 0x84, 0x01, 0, 0})
        expected.push_back(static_cast<std::uint8_t>(b));
    EXPECT_EQ(out.Data(), expected);

    // Bytes left behind the terminator are written as zeros.
    std::memcpy(font.m_logFont.lfFaceName, "Arial\0junk", 10);
    KTArchive again;
    font.Serialize(again);
    EXPECT_EQ(again.Data(), expected);
}

TEST(KTLogFontTest, LoadingKeepsTheFieldsNotArchived)
{
    KTLogFont stored;
    stored.m_logFont.lfHeight = -20;
    stored.m_logFont.lfItalic = 1;
    stored.m_logFont.lfCharSet = SYMBOL_CHARSET;
    stored.m_logFont.lfEscapement = 900; // not archived
    stored.SetFaceName("Symbol");
    stored.m_color = RGB(1, 2, 3);
    stored.m_size = 500;
    KTArchive out;
    stored.Serialize(out);

    KTLogFont loaded;
    loaded.m_logFont.lfEscapement = 2700;
    loaded.m_logFont.lfQuality = 5;
    KTArchive in(out.Data());
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(loaded.m_logFont.lfHeight, -20);
    EXPECT_EQ(loaded.m_logFont.lfItalic, 1);
    EXPECT_EQ(loaded.m_logFont.lfCharSet, SYMBOL_CHARSET);
    EXPECT_EQ(loaded.GetFaceName(), "Symbol");
    EXPECT_EQ(loaded.m_color, RGB(1, 2, 3));
    EXPECT_EQ(loaded.m_size, 500);
    EXPECT_EQ(loaded.m_logFont.lfEscapement, 2700);
    EXPECT_EQ(loaded.m_logFont.lfQuality, 5);
}

TEST(KTLogFontTest, UnterminatedArchivedFaceIsCutTo31Bytes)
{
    KTLogFont font;
    KTArchive out;
    font.Serialize(out);
    auto bytes = out.Data();
    std::memset(bytes.data() + 12, 'Q', 32);
    // Stale bytes after a terminator are not kept either.
    KTArchive in(bytes);
    KTLogFont loaded;
    loaded.Serialize(in);
    EXPECT_EQ(loaded.GetFaceName(), CString(std::string(31, 'Q')));
    EXPECT_EQ(loaded.m_logFont.lfFaceName[31], 0);

    bytes[12 + 3] = 0;
    KTArchive in2(bytes);
    loaded.Serialize(in2);
    EXPECT_EQ(loaded.GetFaceName(), "QQQ");
    for (int i = 3; i < 32; ++i)
        EXPECT_EQ(loaded.m_logFont.lfFaceName[i], 0) << i;
}

TEST(KTLogFontTest, ProfileTextTable)
{
    struct Row
    {
        const char* text;
        const char* face;
        int height;
        int weight;
        BYTE italic;
        COLORREF color;
        int size;
    };
    const Row rows[] = {
        {"-14,0,0,0,400,0,0,0,0,7,48,2,2,0,388,Arial", "Arial", -14, 400, 0, 0, 388},
        {"-20,0,0,0,700,1,0,0,0,7,48,2,2,255,500,Times, New, Roman", "Times, New, Roman", -20, 700, 1, 255,
         500},
        {"1,0,0,0,0,257,0,0,0,0,0,0,0,-1,0,", "", 1, 0, 1, 0xFFFFFFFFu, 0},
        {"-8,0,0,0,400,0,0,0,0,0,0,0,0,0,1,0123456789012345678901234567890123456789",
         "0123456789012345678901234567890", -8, 400, 0, 0, 1},
        {"", "", 0, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        KTLogFont font;
        font.FromProfileText(row.text);
        EXPECT_EQ(font.GetFaceName(), row.face) << row.text;
        EXPECT_EQ(font.m_logFont.lfHeight, row.height) << row.text;
        EXPECT_EQ(font.m_logFont.lfWeight, row.weight) << row.text;
        EXPECT_EQ(font.m_logFont.lfItalic, row.italic) << row.text;
        EXPECT_EQ(font.m_color, row.color) << row.text;
        EXPECT_EQ(font.m_size, row.size) << row.text;
        EXPECT_EQ(font.m_logFont.lfFaceName[31], 0);
        KTLogFont again;
        again.FromProfileText(font.ToProfileText());
        EXPECT_EQ(again, font) << row.text;
    }
}

TEST(KTLogFontTest, ColourWrittenAsSignedValue)
{
    KTLogFont font;
    font.m_color = 0x80000000u;
    EXPECT_EQ(font.ToProfileText(), "-14,0,0,0,400,0,0,0,0,7,48,2,2,-2147483648,388,Arial");
}

TEST(KTLogFontTest, RandomFontsSurviveBothForms)
{
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> any(-100000, 100000), byte(0, 255), letter('!', '~');
    for (int i = 0; i < 200; ++i) {
        KTLogFont font;
        LOGFONT& f = font.m_logFont;
        f.lfHeight = any(rng);
        f.lfWidth = any(rng);
        f.lfEscapement = any(rng);
        f.lfOrientation = any(rng);
        f.lfWeight = any(rng);
        f.lfItalic = static_cast<BYTE>(byte(rng));
        f.lfUnderline = static_cast<BYTE>(byte(rng));
        f.lfStrikeOut = static_cast<BYTE>(byte(rng));
        f.lfCharSet = static_cast<BYTE>(byte(rng));
        f.lfOutPrecision = static_cast<BYTE>(byte(rng));
        f.lfClipPrecision = static_cast<BYTE>(byte(rng));
        f.lfQuality = static_cast<BYTE>(byte(rng));
        f.lfPitchAndFamily = static_cast<BYTE>(byte(rng));
        std::string face(static_cast<size_t>(byte(rng) % 32), ' ');
        for (auto& ch : face)
            ch = static_cast<char>(letter(rng));
        font.SetFaceName(face.c_str());
        font.m_color = static_cast<COLORREF>(any(rng)) * 40503u;
        font.m_size = any(rng);

        KTLogFont fromText;
        fromText.FromProfileText(font.ToProfileText());
        EXPECT_EQ(fromText, font) << font.ToProfileText().c_str();

        KTArchive out;
        font.Serialize(out);
        ASSERT_EQ(out.Data().size(), 52u);
        KTLogFont fromArchive;
        fromArchive.m_logFont.lfWidth = f.lfWidth;
        fromArchive.m_logFont.lfEscapement = f.lfEscapement;
        fromArchive.m_logFont.lfOrientation = f.lfOrientation;
        fromArchive.m_logFont.lfOutPrecision = f.lfOutPrecision;
        fromArchive.m_logFont.lfClipPrecision = f.lfClipPrecision;
        fromArchive.m_logFont.lfQuality = f.lfQuality;
        fromArchive.m_logFont.lfPitchAndFamily = f.lfPitchAndFamily;
        KTArchive in(out.Data());
        fromArchive.Serialize(in);
        EXPECT_EQ(fromArchive, font);
    }
}
