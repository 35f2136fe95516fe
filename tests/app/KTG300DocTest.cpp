#include "app/KTG300Doc.h"

#include "KTAppTestSupport.h"
#include "app/KTCompoundFile.h"
#include "app/KTG300SrvrItem.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTArchive.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTAnnotateEditDlg.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QProcess>

#include <gtest/gtest.h>

#include <random>

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

struct ForeignFile
{
    const char* name;
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

    // Cut inside the graph and inside the annotations; and a byte changed in a tag.
    std::vector<std::vector<std::uint8_t>> damaged;
    for (std::size_t cut : {std::size_t(40), contents.size() / 2, contents.size() - 3})
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
        EXPECT_NE(boxes.Boxes()[0].text.Find("damaged.kt3"), -1) << boxes.Boxes()[0].text.c_str();
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

    KTG300Doc open;
    open.OnNewDocument();
    kttest::FillDocument(open, 2);
    ASSERT_TRUE(open.OnSaveDocument(ToQ(dir.File("mine.kt3"))));
    const auto before = open.StoreContents();
    for (const ForeignFile& file : files) {
        const auto path = dir.File(file.name);
        WriteBytes(path, file.bytes);
        kttest::MessageBoxRecorder boxes;
        EXPECT_FALSE(open.OnOpenDocument(ToQ(path))) << file.name;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << file.name;
        EXPECT_NE(boxes.Boxes()[0].text.Find(("The file " + ToQ(path).toStdString() + " is damaged").c_str()),
                  -1)
            << boxes.Boxes()[0].text.c_str();
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
    KTG300Doc document;
    document.OnNewDocument();
    kttest::MessageBoxRecorder boxes;
    for (std::size_t cut = 0; cut < contents.size(); cut += 7) {
        std::vector<std::uint8_t> bytes(contents.begin(),
                                        contents.begin() + static_cast<std::ptrdiff_t>(cut));
        // Cut before, inside or after the graph's tag: never the older layout.
        EXPECT_EQ(document.LoadContents(bytes), KTG300Doc::LoadResult::Damaged) << cut;
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
        const auto result = document.LoadContents(parsed.contents);
        if (name.rfind("damaged", 0) == 0 || name.rfind("truncated", 0) == 0 || name.rfind("foreign", 0) == 0)
            EXPECT_EQ(result, KTG300Doc::LoadResult::Damaged) << name;
        else if (name.rfind("legacy", 0) == 0)
            EXPECT_EQ(result, KTG300Doc::LoadResult::Legacy) << name;
        else
            EXPECT_EQ(result, KTG300Doc::LoadResult::Current) << name;
        if (result == KTG300Doc::LoadResult::Current) {
            EXPECT_EQ(document.StoreContents(), parsed.contents) << name;
        }
    }
    EXPECT_GE(files, 18);
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
    write("truncated-annotations.kt3", std::vector<std::uint8_t>(sample.begin(), sample.end() - 40), true);
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
    write("damaged-count.kt3", badCount, true);
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
        write(foreign.name, foreign.bytes, false);
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
