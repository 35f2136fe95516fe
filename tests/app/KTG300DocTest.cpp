#include "app/KTG300Doc.h"

#include "KTAppTestSupport.h"
#include "app/KTCompoundFile.h"
#include "app/KTG300SrvrItem.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "platform/KTArchive.h"
#include "platform/KTDC.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTParameterBar.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <string>

using kttest::ToQ;

namespace {

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    const std::string bytes = kttest::ReadFileBytes(path);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    kttest::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

/// Where the graph's record ends in the document's archive: after the rectangle and the graph.
std::size_t GraphEnd(KTG300Doc& document)
{
    KTArchive graph;
    document.Graph().Serialize(graph);
    return 16 + graph.Data().size();
}

/// The texts of the document's annotations, first lines, in order.
std::vector<std::string> NoteTexts(const KTG300Doc& document)
{
    std::vector<std::string> texts;
    for (const KTGAnnotation& annotation : document.m_annotations.m_annotations)
        texts.emplace_back(annotation.m_text.LineText(0).c_str());
    return texts;
}

/// A compound file of the archive, with the constant ranges when given.
std::vector<std::uint8_t> CompoundOf(const std::vector<std::uint8_t>& contents,
                                     const std::vector<std::uint8_t>* ranges = nullptr)
{
    std::vector<std::uint8_t> file;
    EXPECT_TRUE(KTCompoundFile::BuildCompoundFile(contents, file, ranges));
    return file;
}

/// Compound files that the storage library cannot read: the saved file cut at a few places,
/// and with its header's pointer to the allocation table garbled.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> BrokenStorages(KTG300Doc& document)
{
    const std::vector<std::uint8_t> ranges = document.StoreConstantRanges();
    const std::vector<std::uint8_t> whole = CompoundOf(document.StoreContents(), &ranges);
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (std::size_t cut : {std::size_t(520), std::size_t(700), std::size_t(1100), whole.size() / 2}) {
        std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        if (!KTCompoundFile::ParseContents(bytes).ok)
            files.emplace_back("cut-storage-" + std::to_string(cut) + ".kt3", bytes);
    }
    auto garbled = whole;
    for (std::size_t i = 0x4C; i < 0x50; ++i) // the first allocation-table sector
        garbled[i] = 0x7F;
    files.emplace_back("garbled-storage.kt3", garbled);
    for (const auto& [name, bytes] : files)
        EXPECT_FALSE(KTCompoundFile::ParseContents(bytes).ok) << name;
    EXPECT_GE(files.size(), 3u);
    return files;
}

struct ForeignFile
{
    std::string name;
    std::vector<std::uint8_t> bytes;
};

// Files a user may give the ".kt3" name that are no graphs: a picture, a note, noise, nothing.
std::vector<ForeignFile> ForeignFiles()
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const std::string text = "y=x^2\nMy notes for Tuesday's lesson.\n";
    std::mt19937 random(11);
    std::vector<std::uint8_t> noise(700);
    for (auto& b : noise)
        b = static_cast<std::uint8_t>(random());
    return {{"foreign-png.kt3", std::vector<std::uint8_t>(png.begin(), png.end())},
            {"foreign-text.kt3", std::vector<std::uint8_t>(text.begin(), text.end())},
            {"foreign-random.kt3", noise},
            {"foreign-empty.kt3", {}}};
}

} // namespace

TEST(KTG300Doc, ANewDocumentHasItsFixedState)
{
    KTG300Doc document;
    ASSERT_TRUE(document.OnNewDocument());
    EXPECT_EQ(document.m_windowRect, CRect(50, 50, 600, 600));
    EXPECT_EQ(document.m_annotationIndex, -1);
    EXPECT_EQ(document.m_integralIndex, -1);
    EXPECT_EQ(document.m_tangentIndex, -1);
    EXPECT_EQ(document.m_refreshDevicePositions, 0);
    EXPECT_EQ(document.m_refreshBoundAnnotations, 0);
    EXPECT_EQ(document.m_annotations.GetCount(), 0);
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(document.GetPathName().isEmpty());
    EXPECT_TRUE(document.GetTitle().startsWith(QStringLiteral("KTGraph")));
    EXPECT_GT(document.Graph().Data().m_dirty, 0);
    EXPECT_EQ(document.Graph().GetArea(), CRect(0, 0, 13450, -11000));
}

TEST(KTG300Doc, TheNewDocumentTakesTheApplicationDefaults)
{
    KTOptionGraph3 defaults;
    defaults.m_axes.m_xMaxShowS.SetValue("42");
    KTG300Doc document(&defaults);
    document.OnNewDocument();
    EXPECT_EQ(document.Graph().Data().m_options.m_axes.m_xMaxShowS.m_value, CString("42"));
}

TEST(KTG300Doc, TheContentsStreamStartsWithTheRectangleAndTheGraphTag)
{
    KTG300Doc document;
    document.OnNewDocument();
    const auto contents = document.StoreContents();
    const std::uint8_t expected[] = {
        50, 0,   0,   0,   50,  0,   0,   0,   0x58, 2,   0,   0,   0x58, 2,   0,  0, // (50, 50, 600, 600)
        12, 'K', 'T', 'G', 'r', 'a', 'p', 'h', 'D',  'a', 't', 'a', '3',  4,   0,     // tag, version 4
        0,                                                                            // no show-flag override
        14, 'K', 'T', 'O', 'p', 't', 'i', 'o', 'n',  'G', 'r', 'a', 'p',  'h', '3'};
    ASSERT_GE(contents.size(), sizeof expected);
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), contents.begin()));
    // The annotation list closes the archive.
    const std::string tail(contents.end() - 19, contents.end());
    EXPECT_EQ(tail, std::string("/KTGAnnotationList/"));
}

TEST(KTG300Doc, SaveThenOpenRestoresEveryStoredPart)
{
    kttest::TempDir dir;
    for (int variant = 0; variant < 3; ++variant) {
        KTG300Doc original;
        original.OnNewDocument();
        kttest::FillDocument(original, variant);
        // The longest equation a user may type, and one character more (its length is written
        // in a wider field from 255 on): both come back as typed.
        std::string longest = "y=";
        for (int i = 0; i < 126; ++i)
            longest += "x+";
        longest += "x";
        original.Graph().Data().Function(8).Data().m_equationText = longest.c_str();
        original.Graph().Data().Function(9).Data().m_equationText = (longest + "x").c_str();
        original.m_substitutions.Add("a", 3.0);
        const auto path = dir.File("round.kt3");
        ASSERT_TRUE(original.OnSaveDocument(ToQ(path)));
        EXPECT_FALSE(original.IsModified());

        KTG300Doc reopened;
        reopened.OnNewDocument();
        reopened.m_annotationIndex = 4;
        ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
        // The invariant: what is stored again is what was stored.
        EXPECT_EQ(reopened.StoreContents(), original.StoreContents()) << variant;
        EXPECT_EQ(reopened.m_windowRect, original.m_windowRect);
        const KTGraphData3& data = reopened.Graph().Data();
        for (int slot = 0; slot < 10; ++slot)
            EXPECT_EQ(data.Function(slot).Data().m_equationText,
                      original.Graph().Data().Function(slot).Data().m_equationText);
        EXPECT_EQ(data.m_options.m_axes.m_xMaxShowS.m_value,
                  original.Graph().Data().m_options.m_axes.m_xMaxShowS.m_value);
        KTFunction3& longest255 = reopened.Graph().Data().Function(8);
        longest255.Interpret();
        EXPECT_EQ(longest255.Status(), KTStatusExplicit);
        EXPECT_EQ(longest255.Evaluate(1.0, KTNoSecondValue).m_y, 127.0);
        KTFunction3& longer = reopened.Graph().Data().Function(9);
        longer.Interpret();
        EXPECT_EQ(longer.Parts().GetMessage(), CString("Equation too long (more than 255 characters)"));
        EXPECT_EQ(data.m_derivatives.GetCount(), 1);
        EXPECT_EQ(data.m_integrals.GetCount(), 1);
        EXPECT_EQ(data.m_integrals.GetAt(0).m_upperText,
                  original.Graph().Data().m_integrals.GetAt(0).m_upperText);
        EXPECT_EQ(reopened.m_annotations.GetCount(), variant + 1);
        EXPECT_EQ(reopened.m_annotations.GetAt(0).m_text, original.m_annotations.GetAt(0).m_text);
        EXPECT_EQ(data.m_showFlagOverride, original.Graph().Data().m_showFlagOverride);
        // Not stored: the substitutions, and the indices start afresh.
        EXPECT_EQ(reopened.m_substitutions.GetCount(), 0);
        EXPECT_EQ(reopened.m_annotationIndex, -1);
        EXPECT_EQ(reopened.GetPathName(), ToQ(path));
        EXPECT_EQ(reopened.GetTitle(), QStringLiteral("round.kt3"));
    }
}

// A save that the system stops part-way (here a file-size limit; a full disk alike) says why
// and keeps the file as it was.
TEST(KTG300Doc, AFailedSaveSaysWhyAndKeepsTheFile)
{
    kttest::TempDir dir;
    const auto path = dir.File("kept.kt3");
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, 0);
    ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
    const auto before = ReadBytes(path);
    for (int i = 0; i < 9; ++i) {
        KTGAnnotation note;
        note.m_text.AddText(CString(std::string(2000, 'n')));
        document.m_annotations.Add(note);
    }
    document.SetModifiedFlag(true);
    kttest::MessageBoxRecorder boxes;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = before.size();
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = document.OnSaveDocument(ToQ(path));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(ReadBytes(path), before);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "File Save Error");
    EXPECT_EQ(boxes.Boxes()[0].text,
              CString("Unable to write file ") + CString(path.string()) + "\nFile too large");
}

TEST(KTG300Doc, TheSavedFileIsACompoundFileAnIndependentReaderLists)
{
    kttest::TempDir dir;
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, 1);
    const auto path = dir.File("listed.kt3");
    ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
    EXPECT_TRUE(KTCompoundFile::HasSignature(ReadBytes(path)));
    QProcess gsf;
    gsf.start(QStringLiteral(KT_GSF_PROGRAM), {QStringLiteral("cat"), ToQ(path), QStringLiteral("Contents")});
    if (!gsf.waitForStarted(5000))
        GTEST_SKIP() << "the gsf program (Debian libgsf-bin) is not installed";
    ASSERT_TRUE(gsf.waitForFinished(10000));
    const QByteArray listed = gsf.readAllStandardOutput();
    const auto contents = document.StoreContents();
    EXPECT_EQ(listed,
              QByteArray(reinterpret_cast<const char*>(contents.data()), static_cast<int>(contents.size())));
}

TEST(KTG300Doc, AnOlderLayoutFileOpens)
{
    kttest::TempDir dir;
    kttest::LegacyDocument legacy;
    legacy.functions[0].equation = "y=x^3";
    legacy.functions[1].equation = "y=2x";
    const auto path = dir.File("old.kt3");
    WriteBytes(path, kttest::WriteLegacyFile(legacy));

    KTG300Doc document;
    document.OnNewDocument();
    kttest::MessageBoxRecorder boxes;
    ASSERT_TRUE(document.OnOpenDocument(ToQ(path)));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(document.m_windowRect, CRect(10, 20, 700, 500));
    EXPECT_EQ(document.m_annotations.GetCount(), 0);
    const KTGraphData3& data = document.Graph().Data();
    EXPECT_EQ(data.Function(0).Data().m_equationText, CString("y=x^3"));
    EXPECT_EQ(data.m_options.m_axes.m_xNotate.m_value, CString("time"));
    EXPECT_EQ(data.m_integrals.GetCount(), 1);
    EXPECT_EQ(data.m_derivatives.GetCount(), 1);
    EXPECT_EQ(data.m_derivatives.GetAt(0).m_function, 1);
    EXPECT_FALSE(document.IsModified());
}

TEST(KTG300Doc, ADamagedFileFailsAndLeavesTheOpenDocumentUntouched)
{
    kttest::TempDir dir;
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 2);
    const auto contents = source.StoreContents();

    KTG300Doc open;
    open.OnNewDocument();
    kttest::FillDocument(open, 0);
    open.m_annotationIndex = 1;
    const auto before = open.StoreContents();

    // Cut inside the graph (at its start, its middle, its end tag); and a byte changed in a tag
    // inside it. (Damage after the graph is salvaged: see below.)
    const std::size_t graphEnd = GraphEnd(source);
    std::vector<std::vector<std::uint8_t>> damaged;
    for (std::size_t cut : {std::size_t(40), graphEnd / 2, graphEnd - 3})
        damaged.emplace_back(contents.begin(), contents.begin() + static_cast<std::ptrdiff_t>(cut));
    auto badTag = contents;
    badTag[40] ^= 0x20;
    damaged.push_back(badTag);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        const auto path = dir.File("damaged.kt3");
        std::vector<std::uint8_t> file;
        ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(damaged[i], file));
        WriteBytes(path, file);
        kttest::MessageBoxRecorder boxes;
        EXPECT_FALSE(open.OnOpenDocument(ToQ(path))) << i;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << i;
        // Today's message for a damaged graph record.
        EXPECT_EQ(boxes.Boxes()[0].text.Find(
                      ("The file " + path.string() + " is damaged and cannot be opened.").c_str()),
                  0)
            << boxes.Boxes()[0].text.c_str();
        EXPECT_EQ(open.StoreContents(), before) << i;
        EXPECT_EQ(open.m_annotationIndex, 1);
        EXPECT_TRUE(open.GetPathName().isEmpty());
    }
}

TEST(KTG300Doc, FilesThatAreNotGraphsAreRefusedAndTheOpenDocumentStays)
{
    kttest::TempDir dir;
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 1);
    const auto contents = source.StoreContents();
    std::vector<ForeignFile> files = ForeignFiles();
    // A current file cut inside its first tag, and one with one bit changed inside that tag.
    std::vector<std::uint8_t> cut(contents.begin(), contents.begin() + 22);
    std::vector<std::uint8_t> bit = contents;
    bit[24] ^= 0x04;
    for (auto* bytes : {&cut, &bit}) {
        std::vector<std::uint8_t> compound;
        ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(*bytes, compound));
        files.push_back({bytes == &cut ? "cut-tag.kt3" : "bit-tag.kt3", compound});
        files.push_back({bytes == &cut ? "flat-cut-tag.kt3" : "flat-bit-tag.kt3", *bytes});
    }
    // An older file without its marker.
    kttest::LegacyDocument unmarked;
    unmarked.marked = false;
    files.push_back({"unmarked.kt3", kttest::WriteLegacyFile(unmarked)});
    // Compound files the storage library cannot read: the program's message, not the library's.
    for (auto& [name, bytes] : BrokenStorages(source))
        files.push_back({name, bytes});

    KTG300Doc open;
    open.OnNewDocument();
    kttest::FillDocument(open, 2);
    ASSERT_TRUE(open.OnSaveDocument(ToQ(dir.File("mine.kt3"))));
    const auto before = open.StoreContents();
    for (const ForeignFile& file : files) {
        const auto path = dir.File(file.name.c_str());
        WriteBytes(path, file.bytes);
        kttest::MessageBoxRecorder boxes;
        EXPECT_FALSE(open.OnOpenDocument(ToQ(path))) << file.name;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << file.name;
        const CString& text = boxes.Boxes()[0].text;
        EXPECT_EQ(
            text.Find(
                ("The file " + ToQ(path).toStdString() + " is damaged and cannot be opened.\n").c_str()),
            0)
            << text.c_str();
        // The library's own words come, if at all, only after the program's, as the detail.
        const int detail = text.Find("Detail: ");
        const int library = text.Find("allocation");
        if (library != -1) {
            EXPECT_NE(detail, -1) << text.c_str();
            EXPECT_GT(library, detail) << text.c_str();
        }
        EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONERROR, MB_ICONERROR) << file.name;
        EXPECT_EQ(open.StoreContents(), before) << file.name;
        EXPECT_EQ(open.GetPathName(), ToQ(dir.File("mine.kt3"))) << file.name;
        EXPECT_FALSE(open.IsModified());
        // The file is left as it was.
        EXPECT_EQ(ReadBytes(path), file.bytes) << file.name;
    }
}

TEST(KTG300Doc, TruncatedAndRandomFilesNeverCrash)
{
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 1);
    const auto contents = source.StoreContents();
    const std::size_t graphEnd = GraphEnd(source);
    const std::vector<std::string> notes = NoteTexts(source);
    KTG300Doc document;
    document.OnNewDocument();
    kttest::MessageBoxRecorder boxes;
    for (std::size_t cut = 0; cut < contents.size(); cut += 7) {
        std::vector<std::uint8_t> bytes(contents.begin(),
                                        contents.begin() + static_cast<std::ptrdiff_t>(cut));
        // Cut before, inside or after the graph's tag: never the older layout. Cut after the
        // graph: the graph opens with the annotations that were whole.
        if (cut < graphEnd) {
            EXPECT_EQ(document.LoadContents(bytes), KTG300Doc::LoadResult::Damaged) << cut;
            continue;
        }
        ASSERT_EQ(document.LoadContents(bytes), KTG300Doc::LoadResult::Salvaged) << cut;
        const std::vector<std::string> kept = NoteTexts(document);
        ASSERT_LE(kept.size(), notes.size()) << cut;
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), notes.begin())) << cut;
        EXPECT_TRUE(std::equal(contents.begin(), contents.begin() + static_cast<std::ptrdiff_t>(graphEnd),
                               document.StoreContents().begin()))
            << cut;
    }
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        auto bytes = contents;
        const int flips = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        document.LoadContents(bytes);
        std::vector<std::uint8_t> noise(random() % 600);
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(random());
        EXPECT_EQ(document.LoadContents(noise), KTG300Doc::LoadResult::Damaged);
    }
}

TEST(KTG300Doc, TheLoaderTakesEveryFileOfItsCorpus)
{
    // The fuzzer's seed corpus: saved, truncated and damaged documents. Each loads as its name
    // says, and a document that loads stores the same archive again.
    const auto corpus = kttest::DataDir() / "app" / "corpus";
    ASSERT_TRUE(std::filesystem::exists(corpus));
    int files = 0;
    kttest::MessageBoxRecorder boxes;
    kttest::LocaleScope locale('.', ',');
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        const auto parsed = KTCompoundFile::ParseContents(ReadBytes(entry.path()));
        ++files;
        if (name.rfind("truncated-storage", 0) == 0) {
            EXPECT_FALSE(parsed.ok) << name;
            continue;
        }
        ASSERT_TRUE(parsed.ok) << name;
        KTG300Doc document;
        document.OnNewDocument();
        QStringList notices;
        const auto result = document.LoadStreams(parsed, nullptr, &notices);
        if (name.rfind("damaged", 0) == 0 || name.rfind("truncated", 0) == 0 || name.rfind("foreign", 0) == 0)
            EXPECT_EQ(result, KTG300Doc::LoadResult::Damaged) << name;
        else if (name.rfind("legacy", 0) == 0)
            EXPECT_EQ(result, KTG300Doc::LoadResult::Legacy) << name;
        else if (name.rfind("salvaged", 0) == 0)
            EXPECT_EQ(result, KTG300Doc::LoadResult::Salvaged) << name;
        else
            EXPECT_EQ(result, KTG300Doc::LoadResult::Current) << name;
        // Only what was left out is told: a whole file tells nothing.
        EXPECT_EQ(notices.isEmpty(), result != KTG300Doc::LoadResult::Salvaged &&
                                         name.find("ranges-damaged") == std::string::npos)
            << name;
        if (name.rfind("separators-comma", 0) == 0) {
            // Written with decimal commas, read as this decimal-point user types it.
            EXPECT_EQ(document.Graph().Data().Function(0).Data().m_equationText, CString("y=x^2; [-1.5, 2]"));
            EXPECT_EQ(document.Graph().Data().Function(1).Data().m_equationText,
                      CString("x=cos(t); y=sin(t)"));
        } else if (result == KTG300Doc::LoadResult::Current) {
            EXPECT_EQ(document.StoreContents(), parsed.contents) << name;
            if (parsed.hasConstantRanges && notices.isEmpty()) {
                EXPECT_EQ(document.StoreConstantRanges(), parsed.constantRanges) << name;
            }
        }
        if (name.rfind("family", 0) == 0) {
            EXPECT_EQ(document.Graph().Data().m_family != 0, name.find("ranges-damaged") == std::string::npos)
                << name;
        }
    }
    EXPECT_GE(files, 23);
}

TEST(KTG300Doc, ConstantsAreUsedByFunctionsTangentsAndIntegrals)
{
    KTG300Doc document;
    document.OnNewDocument();
    KTGraphData3& data = document.Graph().Data();
    data.Function(0).Data().m_equationText = "y=b x";
    document.Graph().ComputeDataExtents();
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = "d";
    data.m_derivatives.Add(tangent, true);
    KTIntegralFunction integral;
    integral.m_first = 0;
    integral.m_lowerText = "0";
    integral.m_upperText = "2c";
    data.m_integrals.Add(integral, true);
    const struct
    {
        int code;
        bool used;
    } rows[] = {{7, false}, {8, true}, {9, true}, {10, true}, {11, false}, {6, false}, {12, false}};
    for (const auto& row : rows)
        EXPECT_EQ(document.IsConstantUsed(row.code), row.used) << row.code;
}

TEST(KTG300Doc, TheServerItemReportsTheLastGraphSize)
{
    KTG300Doc document;
    document.OnNewDocument();
    auto item = document.OnGetEmbeddedItem();
    CSize size(1, 1);
    EXPECT_TRUE(item->OnGetExtent(DVASPECT_CONTENT, size));
    EXPECT_EQ(size, CSize(10000, 10000)); // no application, no view has drawn
    for (int aspect : {DVASPECT_ICON, DVASPECT_THUMBNAIL, DVASPECT_DOCPRINT}) {
        size = CSize(5, 5);
        EXPECT_FALSE(item->OnGetExtent(aspect, size));
        EXPECT_EQ(size, CSize(0, 0));
    }
}

TEST(KTG300Doc, TheServerItemDrawsTheDocumentDeselected)
{
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, 0);
    document.m_annotations.SetSelected(0, true);
    document.Graph().Data().m_derivatives.SetSelected(0, true);
    auto item = document.OnGetEmbeddedItem();
    QImage image(400, 400, QImage::Format_ARGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    CSize size;
    ASSERT_TRUE(item->OnDraw(dc, size));
    EXPECT_EQ(size, CSize(10000, 10000));
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.GetWindowExt(), CSize(10000, 10000));
    EXPECT_EQ(document.m_annotations.GetAt(0).m_selected, 0);
    EXPECT_FALSE(document.Graph().Data().m_derivatives.GetAt(0).m_selected);
    EXPECT_EQ(document.m_refreshDevicePositions, 0); // the drawing used and cleared it

    // The item's data is the whole document.
    KTArchive out;
    item->Serialize(out);
    EXPECT_EQ(out.Data(), document.StoreContents());
}

TEST(KTG300Doc, CopyToClipboardPutsSvgAndPngThere)
{
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, 0);
    document.m_annotations.SetSelected(0, true);
    kttest::MessageBoxRecorder boxes;
    document.CopyToClipboard();
    EXPECT_TRUE(boxes.Boxes().empty());
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasFormat(QStringLiteral("image/svg+xml")));
    EXPECT_TRUE(mime->data(QStringLiteral("image/svg+xml")).contains("<svg"));
    ASSERT_TRUE(mime->hasImage());
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(image.width(), 378); // 10000 hundredths of a millimetre at 96 dots per inch
    EXPECT_EQ(document.m_annotations.GetAt(0).m_selected, 0);
    // Not blank: the axes at least are drawn.
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
}

namespace {

struct Example
{
    const char* name;
    std::vector<const char*> equations;
    int angleSystem;
    const char* range; // the x and y limits, symmetric
};

void BuildExample(KTG300Doc& document, const Example& example)
{
    KTGraphData3& data = document.Graph().Data();
    int slot = 0;
    for (const char* equation : example.equations)
        data.Function(slot++).Data().m_equationText = equation;
    KTOptionAxes2& axes = data.m_options.m_axes;
    axes.m_angleSystem.m_value = example.angleSystem;
    data.m_options.m_autoScale.m_value = 0;
    axes.m_xMaxShowS.SetValue(example.range);
    axes.m_yMaxShowS.SetValue(example.range);
    axes.m_xMinShowS.SetValue(CString("-") + example.range);
    axes.m_yMinShowS.SetValue(CString("-") + example.range);
    document.m_windowRect = CRect(60, 60, 900, 700);
}

/// The view size the examples are made at.
constexpr int kExampleWidth = 820;
constexpr int kExampleHeight = 560;

void PaintView(KTG300View& view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    view.OnDraw(dc);
}

CPoint DeviceOf(const KTG300View& view, const KTPoint& point)
{
    return view.LogicalToDevice(view.GetDocument().Graph().Axes().GraphToDevice(point, 0, 0));
}

/// An annotation made with the mouse in annotation mode, from its box to the spot it points
/// at, then given its text and an arrow in the Edit Annotation dialog opened by a right click.
void PlaceNoteAsTheUserDoes(KTG300Doc& document, const KTPoint& box, const KTPoint& spot, const char* text)
{
    KTG300View view(document);
    view.resize(kExampleWidth, kExampleHeight);
    PaintView(view);
    view.OnAnnotationMode();
    const CPoint corner = DeviceOf(view, box);
    const CPoint target = DeviceOf(view, spot);
    view.OnLButtonDown(corner, false);
    view.OnMouseMoveAt(target);
    view.OnLButtonUp(target, false);
    PaintView(view);
    const auto previous = KTAnnotateEditDlg::SetModalHook([text](KTAnnotateEditDlg& dialog) {
        dialog.TextEdit()->setPlainText(QString::fromLatin1(text));
        dialog.AnchorRadio(1)->click(); // an arrow
        dialog.OkButton()->click();
        return dialog.result();
    });
    view.OnRButtonUp(CPoint(corner.x + 6, corner.y + 6));
    KTAnnotateEditDlg::SetModalHook(previous);
    document.m_annotations.DeselectAll();
    PaintView(view);
}

} // namespace

// Writes the example documents and the loader's seed corpus when KT_WRITE_SAMPLES names a folder
// (the repository's root): examples/ and tests/data/app/corpus/.
TEST(KTG300Doc, WritesExamplesAndCorpusWhenAsked)
{
    const QByteArray root = qgetenv("KT_WRITE_SAMPLES");
    if (root.isEmpty())
        GTEST_SKIP() << "set KT_WRITE_SAMPLES to the repository's folder to write them";
    const std::filesystem::path base(root.constData());
    std::filesystem::create_directories(base / "examples");
    std::filesystem::create_directories(base / "tests/data/app/corpus");

    const Example examples[] = {
        {"parabola-and-line", {"y=x^2-2", "y=x+1"}, 1, "5"},
        {"trigonometry", {"y=sin(x)", "y=cos(x)", "y=a sin(b x)"}, 1, "7"},
        {"inequalities", {"y>x^2-4", "y<x+2"}, 1, "6"},
    };
    std::vector<std::vector<std::uint8_t>> contents;
    for (const Example& example : examples) {
        KTG300Doc document;
        document.OnNewDocument();
        BuildExample(document, example);
        if (std::string(example.name) == "parabola-and-line") {
            // The note first: the tangent then keeps the ends a loaded tangent has until it is
            // drawn, so that the document stores again as it loads.
            PlaceNoteAsTheUserDoes(document, KTPoint(-4.5, 4.5), KTPoint(0.5, 0.5),
                                   "The area between the curves");
            KTGraphData3& data = document.Graph().Data();
            KTIntegralFunction integral;
            integral.m_first = 1;
            integral.m_second = 0;
            integral.m_hasSecond = true;
            integral.m_lowerText = "-1";
            integral.m_upperText = "2";
            integral.m_colour = 0x80E0FF;
            data.m_integrals.Add(integral, true);
            KTDerivativeFunction tangent;
            tangent.m_function = 0;
            tangent.m_xText = "1.5";
            data.m_derivatives.Add(tangent, true);
        }
        const auto path = base / "examples" / (std::string(example.name) + ".kt3");
        ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
        std::filesystem::copy_file(path,
                                   base / "tests/data/app/corpus" / (std::string(example.name) + ".kt3"),
                                   std::filesystem::copy_options::overwrite_existing);
        contents.push_back(document.StoreContents());
    }
    const auto corpus = base / "tests/data/app/corpus";
    const auto& sample = contents.front();
    auto write = [&](const char* name, const std::vector<std::uint8_t>& archive, bool compound) {
        std::vector<std::uint8_t> bytes = archive;
        if (compound) {
            ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(archive, bytes));
        }
        WriteBytes(corpus / name, bytes);
    };
    write("truncated-graph.kt3", std::vector<std::uint8_t>(sample.begin(), sample.begin() + 200), true);
    // Damaged after the graph: the graph opens with what can be read of the annotations.
    write("salvaged-truncated-annotations.kt3", std::vector<std::uint8_t>(sample.begin(), sample.end() - 40),
          true);
    auto badTag = sample;
    badTag[40] = 'X'; // inside the options' tag
    write("damaged-tag.kt3", badTag, true);
    auto outerTag = sample;
    outerTag[20] ^= 0x01; // one bit of the graph's own tag
    write("damaged-graph-tag-bit.kt3", outerTag, true);
    write("damaged-cut-in-graph-tag.kt3", std::vector<std::uint8_t>(sample.begin(), sample.begin() + 23),
          true);
    // The annotation count after its tag and version, made larger than the data can hold.
    const std::string tag = "KTGAnnotationList";
    const auto at = std::search(sample.begin(), sample.end(), tag.begin(), tag.end());
    ASSERT_NE(at, sample.end());
    auto badCount = sample;
    const auto count = static_cast<std::size_t>(at - sample.begin()) + tag.size() + 2;
    for (std::size_t i = 0; i < 4; ++i)
        badCount[count + i] = 0xF0;
    write("salvaged-damaged-count.kt3", badCount, true);
    auto listTag = sample;
    listTag[static_cast<std::size_t>(at - sample.begin()) + 4] ^= 0x20; // one letter of the list's tag
    write("salvaged-list-tag.kt3", listTag, true);
    write("salvaged-cut-after-graph.kt3",
          std::vector<std::uint8_t>(sample.begin(), sample.begin() + (at - sample.begin()) - 1), true);
    // A family as the program saves it, with the constants' stream; and that stream damaged.
    {
        KTG300Doc family;
        family.OnNewDocument();
        BuildExample(family, examples[1]);
        family.Graph().SetConstantRange("a", -2.0, 2.0, 1.0);
        family.Graph().SetConstant("a", -1.0);
        family.Graph().Data().m_family = 1;
        ASSERT_TRUE(family.OnSaveDocument(ToQ(corpus / "family-ranges.kt3")));
        const auto ranges = family.StoreConstantRanges();
        const std::vector<std::uint8_t> cutRanges(ranges.begin(), ranges.begin() + 700);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(family.StoreContents(), bytes, &cutRanges));
        WriteBytes(corpus / "family-ranges-damaged.kt3", bytes);
    }
    // Saved by a decimal-comma user, with the record of its separators.
    {
        kttest::LocaleScope comma(',', ';');
        KTG300Doc typed;
        typed.OnNewDocument();
        typed.Graph().Data().Function(0).Data().m_equationText = "y=x^2: [-1,5; 2]";
        typed.Graph().Data().Function(1).Data().m_equationText = "x=cos(t): y=sin(t)";
        ASSERT_TRUE(typed.OnSaveDocument(ToQ(corpus / "separators-comma.kt3")));
    }
    write("flat-current.kt3", sample, false);
    std::vector<std::uint8_t> compound;
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(sample, compound));
    write("truncated-storage.kt3", std::vector<std::uint8_t>(compound.begin(), compound.begin() + 700),
          false);
    kttest::LegacyDocument legacy;
    legacy.functions[0].equation = "y=x^2";
    legacy.functions[2].equation = "y=1/x";
    legacy.functions[2].domain = "x>0";
    write("legacy-marked.kt3", kttest::WriteLegacyFile(legacy), false);
    const auto marked = kttest::WriteLegacyFile(legacy);
    write("legacy-marked-short.kt3", std::vector<std::uint8_t>(marked.begin(), marked.begin() + 112), false);
    legacy.marked = false;
    write("foreign-unmarked-older.kt3", kttest::WriteLegacyFile(legacy), false);
    for (const ForeignFile& foreign : ForeignFiles())
        write(foreign.name.c_str(), foreign.bytes, false);
}

// An example opened at the size it was made at shows every annotation where the file keeps it,
// and that place is the annotation's graph point: the stored box and anchor agree with it.
TEST(KTG300Doc, ExamplesOpenAsTheProgramSavedThem)
{
    const std::filesystem::path examples = kttest::DataDir().parent_path().parent_path() / "examples";
    int annotated = 0;
    for (const char* name : {"parabola-and-line.kt3", "trigonometry.kt3", "inequalities.kt3"}) {
        KTG300Doc document;
        ASSERT_TRUE(document.OnOpenDocument(ToQ(examples / name))) << name;
        const std::vector<KTGAnnotation> stored = document.m_annotations.m_annotations;
        KTG300View view(document);
        view.resize(kExampleWidth, kExampleHeight);
        PaintView(view);
        KTAxes& axes = document.Graph().Axes();
        for (int i = 0; i < document.m_annotations.GetCount(); ++i) {
            const KTGAnnotation& shown = document.m_annotations.GetAt(i);
            const KTGAnnotation& kept = stored[static_cast<std::size_t>(i)];
            EXPECT_EQ(shown.m_textRect, kept.m_textRect) << name;
            EXPECT_EQ(shown.m_anchor, kept.m_anchor) << name;
            const CPoint corner = axes.GraphToDevice(kept.m_textPosition, 0, 0);
            EXPECT_EQ(CPoint(kept.m_textRect.left, kept.m_textRect.top), corner) << name;
            EXPECT_EQ(kept.m_anchor, axes.GraphToDevice(kept.m_anchorPosition, 0, 0)) << name;
            ++annotated;
        }
    }
    EXPECT_EQ(annotated, 1);
}

namespace {

std::filesystem::path ExamplesDir()
{
    return kttest::DataDir().parent_path().parent_path() / "examples";
}

QImage Picture(KTG300View& view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    view.OnDraw(dc);
    return image;
}

/// Where the stored "family drawn" byte of a function slot is: the last byte of its record.
std::size_t FamilyDrawnByteOf(const std::vector<std::uint8_t>& contents, int slot)
{
    const std::string endTag = "/KTFunctionData3/";
    auto at = contents.begin();
    for (int i = 0; i <= slot; ++i)
        at = std::search(i == 0 ? contents.begin() : at + 1, contents.end(), endTag.begin(), endTag.end());
    return static_cast<std::size_t>(at - contents.begin()) - 2; // before the end tag's length byte
}

} // namespace

// The files the program wrote before the family constants had a stream of their own open as
// they did and store the same archive again, byte for byte, now beside the constants' stream.
TEST(KTG300Doc, FilesWithoutTheRangesStreamOpenAsBeforeAndKeepTheirContents)
{
    kttest::TempDir dir;
    for (const char* name : {"parabola-and-line.kt3", "trigonometry.kt3", "inequalities.kt3"}) {
        // The example's archive in a file of "Contents" alone, as the program wrote it before.
        const KTCompoundFile::ReadResult before = KTCompoundFile::ReadContents(ToQ(ExamplesDir() / name));
        ASSERT_TRUE(before.ok) << name;
        const auto old = dir.File((std::string("old-") + name).c_str());
        WriteBytes(old, CompoundOf(before.contents));
        ASSERT_FALSE(KTCompoundFile::ReadContents(ToQ(old)).hasConstantRanges) << name;
        KTG300Doc document;
        kttest::MessageBoxRecorder boxes;
        ASSERT_TRUE(document.OnOpenDocument(ToQ(old))) << name;
        EXPECT_TRUE(boxes.Boxes().empty()) << name;
        const KTGraphData3& data = document.Graph().Data();
        EXPECT_EQ(data.m_family, 0) << name;
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
            EXPECT_EQ(data.Function(slot).Data().m_constants, KTFunctionConstantRanges()) << name;

        const auto path = dir.File(name);
        ASSERT_TRUE(document.OnSaveDocument(ToQ(path))) << name;
        const KTCompoundFile::ReadResult after = KTCompoundFile::ReadContents(ToQ(path));
        ASSERT_TRUE(after.ok) << name;
        EXPECT_EQ(after.contents, before.contents) << name;
        EXPECT_TRUE(after.hasConstantRanges) << name;
        EXPECT_EQ(after.constantRanges.size(), 1655u) << name;
    }
}

// The report: a family a = -2..2 step 1 with a at -1, saved, closed and opened again, came back
// as a = 1, step 0 and one curve.
TEST(KTG300Doc, AFamilyAndItsConstantSurviveSaveAndReopen)
{
    kttest::TempDir dir;
    const auto example = ExamplesDir() / "trigonometry.kt3"; // y=a sin(b x) in slot 2
    const KTCompoundFile::ReadResult before = KTCompoundFile::ReadContents(ToQ(example));
    ASSERT_TRUE(before.ok);
    const auto path = dir.File("family.kt3");

    KTG300Doc document;
    ASSERT_TRUE(document.OnOpenDocument(ToQ(example)));
    QImage asSaved;
    {
        KTG300View view(document);
        view.resize(kExampleWidth, kExampleHeight);
        Picture(view);
        view.Panel(1).ValueEdit().setText(QStringLiteral("-1")); // the panel of a
        QCoreApplication::processEvents();                       // its change is posted
        ASSERT_EQ(document.Graph().Data().Function(2).Data().m_constants.Current(KTConstantA), -1.0);
        const auto previous = KTFamilyDlg::SetModalHook([](KTFamilyDlg& d) {
            d.FromEdit()->setText(QStringLiteral("-2"));
            d.ToEdit()->setText(QStringLiteral("2"));
            d.StepEdit()->setText(QStringLiteral("1"));
            d.UpdateData(true);
            return int(QDialog::Accepted);
        });
        view.OnParamFamily(1);
        KTFamilyDlg::SetModalHook(previous);
        asSaved = Picture(view);
        // Drawing the family stepped a past its end; the panel still shows the user's -1.
        EXPECT_EQ(document.Graph().Data().Function(2).Data().m_constants.Current(KTConstantA), 3.0);
        kttest::MessageBoxRecorder boxes;
        ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
        EXPECT_TRUE(boxes.Boxes().empty());
    }

    // "Contents" is the archive as the program always wrote it: the example's bytes but for the
    // stored "family drawn" byte of the function that was drawn as a family.
    const KTCompoundFile::ReadResult file = KTCompoundFile::ReadContents(ToQ(path));
    ASSERT_TRUE(file.ok);
    ASSERT_EQ(file.contents.size(), before.contents.size());
    const std::size_t familyDrawn = FamilyDrawnByteOf(before.contents, 2);
    for (std::size_t i = 0; i < file.contents.size(); ++i)
        if (file.contents[i] != before.contents[i]) {
            EXPECT_EQ(i, familyDrawn) << "byte " << i;
        }
    EXPECT_EQ(before.contents[familyDrawn], 0);
    EXPECT_EQ(file.contents[familyDrawn], 1);
    ASSERT_TRUE(file.hasConstantRanges);

    KTG300Doc reopened;
    kttest::MessageBoxRecorder boxes;
    ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
    EXPECT_TRUE(boxes.Boxes().empty());
    KTGraphData3& data = reopened.Graph().Data();
    EXPECT_EQ(data.m_family, 1);
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        const KTFunctionConstantRanges& constants = data.Function(slot).Data().m_constants;
        EXPECT_EQ(*constants.At(KTConstantA), KTFunctionConstantRange(-2.0, 2.0, 1.0, -1.0)) << slot;
        EXPECT_EQ(*constants.At(KTConstantB), KTFunctionConstantRange()) << slot;
    }
    KTG300View view(reopened);
    view.resize(kExampleWidth, kExampleHeight);
    EXPECT_EQ(view.Panel(1).ValueEdit().text(), QStringLiteral("-1"));
    EXPECT_STREQ(view.Panel(1).GetFrom(), "-2");
    EXPECT_STREQ(view.Panel(1).GetTo(), "2");
    EXPECT_STREQ(view.Panel(1).GetStep(), "1");
    EXPECT_STREQ(view.Panel(2).GetFrom(), "-5"); // b had no family: the panel's own range
    // The same five curves as when it was saved; one curve would look otherwise.
    const QImage shown = Picture(view);
    EXPECT_TRUE(shown == asSaved);
    data.m_family = 0;
    reopened.Graph().SetDirty();
    view.Redraw();
    EXPECT_FALSE(Picture(view) == asSaved);
    data.m_family = 1;
    reopened.Graph().SetDirty();

    // Saved again, it writes the same constants.
    const auto again = dir.File("again.kt3");
    ASSERT_TRUE(reopened.OnSaveDocument(ToQ(again)));
    EXPECT_EQ(KTCompoundFile::ReadContents(ToQ(again)).constantRanges, file.constantRanges);
}

// A reopened document shows its constants in the panels, which draw the curves with them and
// store them again on save, and offers a family again to the Family and Animation dialogs
// through the panel's texts: each text must read back as the number that was saved, also where
// six decimals would not hold it (1e-7 would be shown as 0, and drawn and saved as 0), and be
// short where the number is short.
TEST(KTG300Doc, AReopenedFamilyIsOfferedWithTheBoundsItWasSavedWith)
{
    // As the Family dialog's texts are read.
    const auto Read = [](const char* typed) { return KTNumberText().ToDouble(typed); };
    const double pi = 3.14159265358979323846;
    const struct
    {
        char decimal;
        bool family;
        double from, to, step, current;
        // nullptr: only the round trip is checked
        const char *fromText, *toText, *stepText, *currentText;
    } rows[] = {
        {'.', true, -2.0, 2.0, 1.0, -1.0, "-2", "2", "1", "-1"},
        {'.', true, 0.1, 0.7, 0.2, 0.3, "0.1", "0.7", "0.2", "0.3"},
        {',', true, -0.5, 1.5, 0.25, 0.75, "-0,5", "1,5", "0,25", "0,75"},
        {'.', true, 1e-7, 5e-7, 1e-7, 3e-7, "0.0000001", "0.0000005", "0.0000001", "0.0000003"},
        {'.', true, -2.5e6, 2.5e6, 1.25e6, 1.25e6, "-2500000", "2500000", "1250000", "1250000"},
        {'.', true, 0.0, 2.0 * pi, pi / 4.0, pi, "0", nullptr, nullptr, nullptr},
        {',', true, 1.0 / 3.0, 3.0, 1.0 / 3.0, 2.0 / 3.0, nullptr, "3", nullptr, nullptr},
        {'.', false, 0.0, 0.0, 0.0, 2e-9, nullptr, nullptr, nullptr, "0.000000002"},
        {',', false, 0.0, 0.0, 0.0, -pi, nullptr, nullptr, nullptr, nullptr},
        // Typed as multiples of pi and e and as fractions, they come back so.
        {'.', true, Read("-pi"), Read("pi"), Read("pi/4"), Read("pi/2"), "-pi", "pi", "pi/4", "pi/2"},
        {',', true, Read("-3pi/2"), Read("2e"), Read("1/3"), Read("e/7"), "-3pi/2", "2e", "1/3", "e/7"},
        {'.', true, Read("0.785398"), Read("2.5"), Read("0.25"), Read("1"), "0.785398", "2.5", "0.25", "1"},
    };
    for (const auto& row : rows) {
        kttest::LocaleScope locale(row.decimal, row.decimal == ',' ? ';' : ',');
        KTG300Doc document;
        document.OnNewDocument();
        if (row.family)
            document.Graph().SetConstantRange("a", row.from, row.to, row.step);
        document.Graph().SetConstant("a", row.current);
        document.Graph().Data().m_family = row.family ? 1 : 0;
        KTG300View view(document);
        KTParameterBar& panel = view.Panel(1); // the panel of a
        const CString current = CString::FromQString(panel.ValueEdit().text());
        KTNumberText reader;
        reader.m_bErrorValue = true;
        EXPECT_EQ(reader.ToDouble(current), row.current) << current.c_str();
        EXPECT_EQ(panel.GetValue(), row.current) << current.c_str();
        if (row.currentText) {
            EXPECT_STREQ(current, row.currentText);
        }
        // The narrow edit shows the text from its cursor on: the first digits, which say what
        // the number is.
        EXPECT_EQ(panel.ValueEdit().cursorPosition(), 0);
        if (!row.family)
            continue;
        EXPECT_EQ(reader.ToDouble(panel.GetFrom()), row.from) << panel.GetFrom().c_str();
        EXPECT_EQ(reader.ToDouble(panel.GetTo()), row.to) << panel.GetTo().c_str();
        EXPECT_EQ(reader.ToDouble(panel.GetStep()), row.step) << panel.GetStep().c_str();
        if (row.fromText) {
            EXPECT_STREQ(panel.GetFrom(), row.fromText);
        }
        if (row.toText) {
            EXPECT_STREQ(panel.GetTo(), row.toText);
        }
        if (row.stepText) {
            EXPECT_STREQ(panel.GetStep(), row.stepText);
        }
    }
}

// The report: family ranges typed as "-pi" and "pi/4" came back as decimals. Typed in the
// Family dialog, saved and opened again, under either locale, the dialog offers them as typed.
TEST(KTG300Doc, AFamilyTypedInMultiplesOfPiIsOfferedAgainAsTyped)
{
    kttest::TempDir dir;
    const auto path = dir.File("pi.kt3");
    for (const char decimal : {'.', ','}) {
        kttest::LocaleScope locale(decimal, decimal == ',' ? ';' : ',');
        {
            KTG300Doc document;
            document.OnNewDocument();
            document.Graph().Data().Function(0).Data().m_equationText = "y=sin(x+a)";
            KTG300View view(document);
            view.resize(kExampleWidth, kExampleHeight);
            Picture(view);
            const auto previous = KTFamilyDlg::SetModalHook([](KTFamilyDlg& d) {
                d.FromEdit()->setText(QStringLiteral("-pi"));
                d.ToEdit()->setText(QStringLiteral("pi"));
                d.StepEdit()->setText(QStringLiteral("pi/4"));
                d.OkButton()->click();
                return d.result();
            });
            view.OnParamFamily(1); // the panel of a
            KTFamilyDlg::SetModalHook(previous);
            ASSERT_EQ(document.Graph().Data().m_family, 1);
            ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
        }
        KTG300Doc reopened;
        ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
        KTG300View view(reopened);
        view.resize(kExampleWidth, kExampleHeight);
        CString offered[3];
        const auto previous = KTFamilyDlg::SetModalHook([&offered](KTFamilyDlg& d) {
            offered[0] = CString::FromQString(d.FromEdit()->text());
            offered[1] = CString::FromQString(d.ToEdit()->text());
            offered[2] = CString::FromQString(d.StepEdit()->text());
            return int(QDialog::Rejected);
        });
        view.OnParamFamily(1);
        KTFamilyDlg::SetModalHook(previous);
        EXPECT_STREQ(offered[0], "-pi");
        EXPECT_STREQ(offered[1], "pi");
        EXPECT_STREQ(offered[2], "pi/4");
    }
}

TEST(KTG300Doc, ConstantsThatCannotBeReadStartAtTheirDefaultsAndTheUserIsTold)
{
    kttest::TempDir dir;
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 2);
    source.Graph().SetConstantRange("a", -3.0, 3.0, 0.5);
    source.Graph().SetConstant("a", 2.0);
    source.Graph().Data().m_family = 1;
    const auto contents = source.StoreContents();
    const auto good = source.StoreConstantRanges();
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> ranges;
    } rows[] = {
        {"ranges-empty.kt3", {}},
        {"ranges-cut.kt3", std::vector<std::uint8_t>(good.begin(), good.begin() + 900)},
        {"ranges-tag.kt3",
         [&] {
             auto b = good;
             b[5] ^= 0x20;
             return b;
         }()},
        {"ranges-noise.kt3", std::vector<std::uint8_t>(300, 0xA5)},
    };
    for (const auto& row : rows) {
        const auto path = dir.File(row.name);
        WriteBytes(path, CompoundOf(contents, &row.ranges));
        KTG300Doc document;
        kttest::MessageBoxRecorder boxes;
        ASSERT_TRUE(document.OnOpenDocument(ToQ(path))) << row.name;
        EXPECT_EQ(document.StoreContents(), contents) << row.name;
        EXPECT_EQ(document.Graph().Data().m_family, 0) << row.name;
        EXPECT_EQ(document.Graph().Data().Function(0).Data().m_constants, KTFunctionConstantRanges())
            << row.name;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << row.name;
        const CString& text = boxes.Boxes()[0].text;
        EXPECT_EQ(text.Find(("The file " + path.string() + " is damaged, but its graph").c_str()), 0)
            << text.c_str();
        EXPECT_NE(text.Find("The family constants stored with it could not be read"), -1) << text.c_str();
        EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONWARNING, MB_ICONWARNING);
        EXPECT_EQ(document.GetPathName(), ToQ(path));
        EXPECT_FALSE(document.IsModified());
    }
}

// One damaged byte after the graph, or a file cut after it, used to refuse the whole document.
TEST(KTG300Doc, ADamagedAnnotationBlockLeavesOutOnlyWhatCannotBeRead)
{
    kttest::TempDir dir;
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 2); // three annotations: "Note 0", "Note 1", "Note 2"
    const auto contents = source.StoreContents();
    const std::size_t graphEnd = GraphEnd(source);
    const std::string record = "\rKTGAnnotation";
    std::vector<std::size_t> records;
    for (auto at = std::search(contents.begin(), contents.end(), record.begin(), record.end());
         at != contents.end(); at = std::search(at + 1, contents.end(), record.begin(), record.end()))
        records.push_back(static_cast<std::size_t>(at - contents.begin()));
    ASSERT_EQ(records.size(), 3u);
    ASSERT_EQ(contents[graphEnd], 17); // the list's tag follows the graph
    auto changed = [&](std::size_t at, std::uint8_t value) {
        auto bytes = contents;
        bytes[at] = value;
        return bytes;
    };
    auto cut = [&](std::size_t size) {
        return std::vector<std::uint8_t>(contents.begin(),
                                         contents.begin() + static_cast<std::ptrdiff_t>(size));
    };
    const struct
    {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> kept;
        const char* told;
    } rows[] = {
        {"one letter of the list's tag",
         changed(graphEnd + 5, 'N'),
         {"Note 0", "Note 1", "Note 2"},
         "All of its annotations could be read."},
        {"the list's count",
         changed(graphEnd + 21, 0x7F),
         {"Note 0", "Note 1", "Note 2"},
         "3 of its annotations could be read; any others could not and are left out."},
        {"the list's end tag",
         changed(contents.size() - 2, 'x'),
         {"Note 0", "Note 1", "Note 2"},
         "All of its annotations could be read."},
        {"the second annotation's tag",
         changed(records[1] + 4, 'x'),
         {"Note 0", "Note 2"},
         "1 of its 3 annotations could not be read and is left out."},
        {"the first annotation's end tag",
         changed(records[1] - 2, 'x'),
         {"Note 1", "Note 2"},
         "1 of its 3 annotations could not be read and is left out."},
        {"cut inside the third annotation",
         cut(records[2] + 40),
         {"Note 0", "Note 1"},
         "1 of its 3 annotations could not be read and is left out."},
        {"cut inside the second annotation",
         cut(records[1] + 40),
         {"Note 0"},
         "2 of its 3 annotations could not be read and are left out."},
        {"every annotation's tag",
         [&] {
             auto bytes = contents;
             for (std::size_t at : records)
                 bytes[at + 2] = 'x';
             return bytes;
         }(),
         {},
         "None of its 3 annotations could be read; all are left out."},
        {"cut right after the graph",
         cut(graphEnd),
         {},
         "Its annotations could not be read and are left out."},
        {"cut inside the list's tag",
         cut(graphEnd + 6),
         {},
         "Its annotations could not be read and are left out."},
    };
    for (const auto& row : rows) {
        const auto path = dir.File("salvaged.kt3");
        WriteBytes(path, CompoundOf(row.bytes));
        KTG300Doc document;
        document.OnNewDocument();
        kttest::MessageBoxRecorder boxes;
        ASSERT_TRUE(document.OnOpenDocument(ToQ(path))) << row.what;
        // The graph, its tangents and integrals are whole; the annotations that read are kept.
        const auto stored = document.StoreContents();
        EXPECT_TRUE(std::equal(contents.begin(), contents.begin() + static_cast<std::ptrdiff_t>(graphEnd),
                               stored.begin()))
            << row.what;
        EXPECT_EQ(document.Graph().Data().m_derivatives.GetCount(), 1) << row.what;
        EXPECT_EQ(document.Graph().Data().m_integrals.GetCount(), 1) << row.what;
        EXPECT_EQ(NoteTexts(document), row.kept) << row.what;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << row.what;
        const CString& text = boxes.Boxes()[0].text;
        EXPECT_EQ(text.Find(("The file " + path.string() +
                             " is damaged, but its graph with its tangents and "
                             "integrals could be read and is open.\n")
                                .c_str()),
                  0)
            << text.c_str();
        EXPECT_NE(text.Find(row.told), -1) << row.what << ": " << text.c_str();
        EXPECT_EQ(boxes.Boxes()[0].type & MB_ICONWARNING, MB_ICONWARNING);
        EXPECT_EQ(document.GetPathName(), ToQ(path)) << row.what;
        EXPECT_FALSE(document.IsModified()) << row.what;
    }
}

// A made-up list whose records each claim every byte after them as their first text line: the
// search for what can still be read goes over it a bounded number of times, not once per record
// (which would read gigabytes for these eight megabytes), and keeps the note before it.
TEST(KTG300Doc, ARunOfRecordsThatEachClaimTheRestIsSearchedInLinearTime)
{
    KTG300Doc source;
    source.OnNewDocument();
    kttest::FillDocument(source, 0); // one annotation, "Note 0"
    std::vector<std::uint8_t> bytes = source.StoreContents();
    const std::string endTag = "\x13/KTGAnnotationList/";
    ASSERT_TRUE(std::equal(endTag.rbegin(), endTag.rend(), bytes.rbegin()));
    bytes.resize(bytes.size() - endTag.size());

    // An annotation's record up to its first line's length, which is then written in the long
    // form: a 0xFF byte, 0xFFFF, and the length as four bytes.
    KTGAnnotation note;
    note.m_text.AddText("Q");
    KTArchive record;
    note.Serialize(record);
    const std::string line("\x01Q", 2);
    const auto head = std::search(record.Data().begin(), record.Data().end(), line.begin(), line.end());
    ASSERT_NE(head, record.Data().end());
    const std::vector<std::uint8_t> prefix(record.Data().begin(), head);
    constexpr std::size_t kRecords = std::size_t(1) << 17;
    constexpr std::size_t kSpacing = 64;
    const std::size_t total = bytes.size() + kRecords * kSpacing;
    for (std::size_t i = 0; i < kRecords; ++i) {
        const std::size_t start = bytes.size();
        bytes.insert(bytes.end(), prefix.begin(), prefix.end());
        bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF});
        const auto length = static_cast<std::uint32_t>(total - bytes.size() - 4);
        for (int k = 0; k < 4; ++k)
            bytes.push_back(static_cast<std::uint8_t>(length >> (8 * k)));
        bytes.resize(start + kSpacing, 'z');
    }

    KTG300Doc document;
    QString reason;
    ASSERT_EQ(document.LoadContents(bytes, &reason), KTG300Doc::LoadResult::Salvaged);
    EXPECT_EQ(NoteTexts(document), std::vector<std::string>{"Note 0"});
    EXPECT_EQ(reason, QStringLiteral("All of its annotations could be read."));
}

namespace {

/// One typed text as a decimal-point user and as a decimal-comma user types it.
struct TwoForms
{
    const char* point;
    const char* comma;
};

const TwoForms kEveryKindOfFunction[] = {
    {"y=x^2; [-1.5, 2]", "y=x^2: [-1,5; 2]"},
    {"y=0.5x+1; -1.5<x<2", "y=0,5x+1: -1,5<x<2"},
    {"x=cos(t); y=sin(t)", "x=cos(t): y=sin(t)"},
    {"x=2cos(t); y=sin(t); [0, 3.1]", "x=2cos(t): y=sin(t): [0; 3,1]"},
    {"r=2.5; [0, 90]", "r=2,5: [0; 90]"},
    {"x=y^2-0.5; y>-1.5", "x=y^2-0,5: y>-1,5"},
    {"x^2+y^2<=4; x>0.5", "x^2+y^2<=4: x>0,5"},
    {"y=x-2.25", "y=x-2,25"},
    {"x y=1.5; x>0.25", "x y=1,5: x>0,25"},
    {"y=a x-0.5; x<2.5", "y=a x-0,5: x<2,5"}, // drawn as a family of a
};

struct LocaleOf
{
    char decimal, list;
    const char* TwoForms::*form;
};
constexpr LocaleOf kPointUser{'.', ',', &TwoForms::point};
constexpr LocaleOf kCommaUser{',', ';', &TwoForms::comma};

/// A document of every kind of function, one drawn as a family, a tangent, an integral, a note
/// with an equation line and axes whose steps are decimals, as the user of the locale types them.
void FillTyped(KTG300Doc& document, const LocaleOf& locale)
{
    document.OnNewDocument();
    KTGraphData3& data = document.Graph().Data();
    int slot = 0;
    for (const TwoForms& text : kEveryKindOfFunction)
        data.Function(slot++).Data().m_equationText = text.*locale.form;
    const TwoForms lower{"0.5", "0,5"}, upper{"1.75", "1,75"}, at{"1.25", "1,25"}, minor{"0.5", "0,5"};
    KTIntegralFunction integral;
    integral.m_first = 0;
    integral.m_second = KTIntegralFunction::kXAxis;
    integral.m_lowerText = lower.*locale.form;
    integral.m_upperText = upper.*locale.form;
    data.m_integrals.Add(integral, true);
    KTDerivativeFunction tangent;
    tangent.m_function = 1;
    tangent.m_xText = at.*locale.form;
    data.m_derivatives.Add(tangent, true);
    data.m_options.m_axes.m_xMinorS.SetValue(minor.*locale.form);
    document.Graph().SetConstantRange("a", -1.5, 1.5, 0.5);
    data.m_family = 1;
    KTGAnnotation note;
    note.m_text.AddText("Half of it, roughly");
    note.m_text.AddMarkedText(TwoForms{"y=0.5x; x>1.5", "y=0,5x: x>1,5"}.*locale.form);
    document.m_annotations.Add(note);
    document.Graph().SetDirty();
}

/// The pixels of a rectangle in the view's logical units, a pixel wider on each side.
QRect PixelRect(const KTG300View& view, CRect logical)
{
    KTDC measure(view.logicalDpiX(), view.logicalDpiY(), CSize(view.width(), view.height()));
    measure.SetMapMode(MM_HIMETRIC);
    CPoint corners[2] = {logical.TopLeft(), logical.BottomRight()};
    measure.LPtoDP(corners, 2);
    return QRect(QPoint(corners[0].x, corners[0].y), QPoint(corners[1].x, corners[1].y))
        .normalized()
        .adjusted(-1, -1, 1, 1);
}

} // namespace

// The report: a document saved under a decimal-comma locale holds "y=x^2: -1,5<x<2" and
// "x=cos(t): y=sin(t)"; opened under a decimal-point locale, both functions were refused and not
// drawn, without a message, and the other way round too. Every kind of function, with domains,
// parametric parts and lists, a tangent, an integral, the axes' steps and a note's equation: saved
// under one user's separators and opened under the other's, the document holds the texts as the
// second user types them and draws what the first user saw, both ways.
TEST(KTG300Doc, ADocumentOpensWithEveryFunctionUnderTheOtherLocalesSeparators)
{
    kttest::TempDir dir;
    for (const auto& [saver, opener] :
         {std::pair(kPointUser, kCommaUser), std::pair(kCommaUser, kPointUser)}) {
        SCOPED_TRACE(testing::Message() << "saved with '" << saver.decimal << "'");
        const auto path = dir.File("travels.kt3");
        QImage saved;
        {
            kttest::LocaleScope locale(saver.decimal, saver.list);
            KTG300Doc document;
            FillTyped(document, saver);
            KTG300View view(document);
            view.resize(kExampleWidth, kExampleHeight);
            saved = Picture(view);
            for (int slot = 0; slot < static_cast<int>(std::size(kEveryKindOfFunction)); ++slot) {
                const KTFunction3& function = document.Graph().Data().Function(slot);
                EXPECT_NE(function.Status(), KTStatusError) << function.Data().m_equationText.c_str();
            }
            ASSERT_TRUE(document.OnSaveDocument(ToQ(path)));
        }

        kttest::LocaleScope locale(opener.decimal, opener.list);
        KTG300Doc reopened;
        kttest::MessageBoxRecorder boxes;
        ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_FALSE(reopened.IsModified());
        // The same picture: every curve, domain, shading and tangent where it was; only the
        // note's equation shows this user's separators.
        KTG300View view(reopened);
        view.resize(kExampleWidth, kExampleHeight);
        const QImage opened = Picture(view);
        EXPECT_EQ(reopened.Graph().Data().m_family, 1);
        const TwoForms familyFrom{"-1.5", "-1,5"}, familyStep{"0.5", "0,5"};
        EXPECT_STREQ(view.Panel(1).GetFrom(), familyFrom.*opener.form); // the panel of a
        EXPECT_STREQ(view.Panel(1).GetStep(), familyStep.*opener.form);
        const QRect note = PixelRect(view, reopened.m_annotations.GetAt(0).m_textRect);
        int differing = 0;
        for (int y = 0; y < opened.height(); ++y)
            for (int x = 0; x < opened.width(); ++x)
                differing += !note.contains(x, y) && opened.pixel(x, y) != saved.pixel(x, y);
        EXPECT_EQ(differing, 0);
        // The texts as this user types them: exactly what a document of their own holds, and
        // drawn alike.
        KTG300Doc typedHere;
        FillTyped(typedHere, opener);
        KTG300View viewHere(typedHere);
        viewHere.resize(kExampleWidth, kExampleHeight);
        EXPECT_TRUE(Picture(viewHere) == opened);
        EXPECT_EQ(reopened.StoreContents(), typedHere.StoreContents());
        // Saved here, the file names this user's separators: opened here again it is unchanged.
        ASSERT_TRUE(reopened.OnSaveDocument(ToQ(path)));
        KTG300Doc again;
        ASSERT_TRUE(again.OnOpenDocument(ToQ(path)));
        const KTCompoundFile::ReadResult file = KTCompoundFile::ReadContents(ToQ(path));
        EXPECT_EQ(file.contents, reopened.StoreContents());
        KTG300View viewAgain(again);
        viewAgain.resize(kExampleWidth, kExampleHeight);
        EXPECT_TRUE(Picture(viewAgain) == opened);
        const std::uint8_t record[] = {16,
                                       'K',
                                       'T',
                                       'T',
                                       'e',
                                       'x',
                                       't',
                                       'S',
                                       'e',
                                       'p',
                                       'a',
                                       'r',
                                       'a',
                                       't',
                                       'o',
                                       'r',
                                       's',
                                       1,
                                       0,
                                       static_cast<std::uint8_t>(opener.decimal),
                                       static_cast<std::uint8_t>(opener.list),
                                       static_cast<std::uint8_t>(opener.list == ';' ? ':' : ';'),
                                       18,
                                       '/',
                                       'K',
                                       'T',
                                       'T',
                                       'e',
                                       'x',
                                       't',
                                       'S',
                                       'e',
                                       'p',
                                       'a',
                                       'r',
                                       'a',
                                       't',
                                       'o',
                                       'r',
                                       's',
                                       '/'};
        EXPECT_EQ(file.separators, std::vector<std::uint8_t>(std::begin(record), std::end(record)));
    }
}

// Files without the record (written before it existed) open as they always did: with the
// user's separators, whatever those are. A record that cannot be read is no record, and the
// user is told.
TEST(KTG300Doc, FilesWithoutTheSeparatorsRecordOpenAsBefore)
{
    kttest::TempDir dir;
    const auto path = dir.File("old.kt3");
    std::vector<std::uint8_t> contents;
    {
        kttest::LocaleScope locale(',', ';');
        KTG300Doc document;
        FillTyped(document, kCommaUser);
        contents = document.StoreContents();
    }
    const std::vector<std::uint8_t> record = KTG300Doc::StoreSeparators();
    std::vector<std::uint8_t> badVersion = record, badSeparator = record,
                              cut(record.begin(), record.end() - 3);
    badVersion[17] = 2;
    badSeparator[19] = 'x';
    const struct
    {
        const std::vector<std::uint8_t>* record;
        bool told;
    } rows[] = {{nullptr, false}, {&badVersion, true}, {&badSeparator, true}, {&cut, true}};
    for (const auto& row : rows) {
        for (const LocaleOf& user : {kPointUser, kCommaUser}) {
            kttest::LocaleScope locale(user.decimal, user.list);
            std::vector<std::uint8_t> file;
            ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(contents, file, nullptr, row.record));
            WriteBytes(path, file);
            KTG300Doc document;
            kttest::MessageBoxRecorder boxes;
            ASSERT_TRUE(document.OnOpenDocument(ToQ(path)));
            EXPECT_EQ(boxes.Boxes().size(), row.told ? 1u : 0u);
            EXPECT_EQ(document.StoreContents(), contents);
        }
    }
}
