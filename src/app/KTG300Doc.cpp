#include "app/KTG300Doc.h"

#include "app/KTCompoundFile.h"
#include "app/KTG300App.h"
#include "app/KTG300SrvrItem.h"
#include "app/KTLegacyFileReader.h"
#include "engine/KTFunction3.h"
#include "foundation/KTTextSeparators.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralCalculation.h"
#include "platform/KTArchive.h"
#include "platform/KTDC.h"
#include "platform/KTMessageBox.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSvgGenerator>

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

namespace {

constexpr const char* kCaption = "KT Graph 3";
constexpr const char* kSeparatorsTag = "KTTextSeparators";
constexpr WORD kSeparatorsVersion = 1;

int g_untitledCount = 0;

// The current layout starts, after the window rectangle, with the graph data's tag.
bool StartsAsCurrentLayout(const std::vector<std::uint8_t>& contents)
{
    static constexpr char kTag[] = "KTGraphData3";
    constexpr std::size_t tagLength = sizeof kTag - 1;
    return contents.size() >= 17 + tagLength && contents[16] == tagLength &&
           std::memcmp(contents.data() + 17, kTag, tagLength) == 0;
}

CString Local(const QString& text)
{
    return CString::FromQString(text);
}

/// What a damaged annotation list lost, for the user: `kept` annotations were read, of `stored`
/// (-1 when the list's head could not be read).
QString AnnotationsLeftOut(int kept, int stored)
{
    if (stored < 0) {
        if (kept == 0)
            return QStringLiteral("Its annotations could not be read and are left out.");
        return QStringLiteral("%1 of its annotations could be read; any others could not and are left out.")
            .arg(kept);
    }
    if (stored == 0)
        return QStringLiteral("It holds no annotations.");
    if (kept >= stored)
        return QStringLiteral("All of its annotations could be read.");
    if (kept == 0)
        return stored == 1 ? QStringLiteral("Its annotation could not be read and is left out.")
                           : QStringLiteral("None of its %1 annotations could be read; all are left out.").arg(stored);
    const int lost = stored - kept;
    return QStringLiteral("%1 of its %2 annotations could not be read and %3 left out.")
        .arg(lost)
        .arg(stored)
        .arg(lost == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

/// The program's own words for a file it cannot take, with what the storage library or the
/// system said, if anything, as a detail after them.
QString CannotOpenMessage(const QString& path, const KTCompoundFile::ReadResult& file)
{
    // A file that cannot be opened at all is no damaged one: the system says why.
    if (file.failure == KTCompoundFile::Failure::CannotOpen)
        return QStringLiteral("Unable to open the file %1.\n%2")
            .arg(path, file.detail.isEmpty() ? file.error : file.detail);
    QString text = QStringLiteral("The file %1 is damaged and cannot be opened.\n%2").arg(path, file.error);
    if (!file.detail.isEmpty())
        text += QStringLiteral("\n\nDetail: %1").arg(file.detail);
    return text;
}

/// The lines of a marked point of the curve in `slot` as its tip names it: the names of the
/// curve's points that lie at the same place, in the order of its list (a vertex that is also
/// an intercept is both), then the coordinates. An intersection is named alone.
std::vector<CString> PlaceLines(const KTMarker& marker, int slot, const KTGraphData3& data)
{
    const KTOptionPOI& poi = data.m_options.m_poi;
    const CString place = marker.LabelText(poi);
    std::vector<CString> lines;
    const auto addName = [&](const KTMarker& m) {
        const CString name = poi.LabelForKind(m);
        if (!name.IsEmpty() && std::find(lines.begin(), lines.end(), name) == lines.end())
            lines.push_back(name);
    };
    if (marker.m_kind != KTMarkerIntersection && slot >= 0 && slot < KTGraphData3::UserFunctionCount) {
        const KTMarkerList& stored = data.Function(slot).m_markers;
        for (int k = 0; k < std::clamp<int>(stored.m_count, 0, KTMarkerList::Capacity); ++k) {
            const KTMarker& m = stored.m_markers[static_cast<std::size_t>(k)];
            if (m.m_kind != KTMarkerNoneFound && m.LabelText(poi) == place)
                addName(m);
        }
    }
    addName(marker);
    if (!place.IsEmpty())
        lines.push_back(place);
    return lines;
}

} // namespace

const char* KTG300Doc::ConstantName(int code)
{
    switch (code) {
    case 7: return "a";
    case 8: return "b";
    case 9: return "c";
    case 10: return "d";
    case 11: return "m";
    default: return "";
    }
}

KTG300Doc::KTG300Doc(const KTOptionGraph3* defaults)
    : m_defaults(defaults), m_graph(std::make_unique<KTGraph3>())
{
    m_graph->Reset(m_defaults);
    m_graph->SetDirty();
}

KTG300Doc::~KTG300Doc() = default;

void KTG300Doc::ResetToNew()
{
    m_graph->Reset(m_defaults);
    m_graph->SetDirty();
    m_annotations.RemoveAll();
    m_refreshDevicePositions = 0;
    m_refreshBoundAnnotations = 0;
    m_annotationIndex = -1;
    m_integralIndex = -1;
    m_tangentIndex = -1;
    m_windowRect = NewWindowRect;
}

bool KTG300Doc::OnNewDocument()
{
    // The old graph goes first: the new one takes its memory again, pages already in use, instead
    // of as much fresh memory (a graph's fourteen function slots hold two megabytes of points).
    m_graph.reset();
    m_graph = std::make_unique<KTGraph3>();
    ResetToNew();
    m_pathName.clear();
    m_untitledNumber = ++g_untitledCount;
    SetModifiedFlag(false);
    emit titleChanged();
    return true;
}

QString KTG300Doc::GetTitle() const
{
    if (!m_pathName.isEmpty())
        return QFileInfo(m_pathName).fileName();
    return QStringLiteral("KTGraph%1").arg(std::max(m_untitledNumber, 1));
}

void KTG300Doc::SetModifiedFlag(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void KTG300Doc::UpdateAllViews()
{
    emit updated();
}

std::vector<std::uint8_t> KTG300Doc::StoreContents()
{
    KTArchive ar;
    Serialize(ar);
    return ar.Data();
}

void KTG300Doc::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_windowRect.left << m_windowRect.top << m_windowRect.right << m_windowRect.bottom;
        m_graph->Serialize(ar);
        m_annotations.Serialize(ar);
        return;
    }
    std::vector<std::uint8_t> rest(ar.Data().begin() + static_cast<std::ptrdiff_t>(ar.Position()),
                                   ar.Data().end());
    LoadContents(rest);
}

KTG300Doc::LoadResult KTG300Doc::LoadContents(const std::vector<std::uint8_t>& contents, QString* reason)
{
    // Everything is read into new objects first, so that a failure leaves the document as it was.
    auto graph = std::make_unique<KTGraph3>();
    graph->Reset(m_defaults);
    KTGAnnotationList annotations;
    CRect rect;
    try {
        KTArchive ar(contents);
        ar >> rect.left >> rect.top >> rect.right >> rect.bottom;
        graph->Serialize(ar);
        const std::size_t graphEnd = ar.Position();
        LoadResult result = LoadResult::Current;
        try {
            annotations.Serialize(ar);
        } catch (...) {
            // The graph, its tangents and integrals are whole: one damaged byte after them must
            // not lose them. What still reads of the annotations is kept.
            ar.Seek(graphEnd);
            const int stored = annotations.LoadReadable(ar);
            if (reason)
                *reason = AnnotationsLeftOut(annotations.GetCount(), stored);
            result = LoadResult::Salvaged;
        }
        m_graph.swap(graph);
        m_annotations = std::move(annotations);
        m_windowRect = rect;
        m_annotationIndex = -1;
        m_integralIndex = -1;
        m_tangentIndex = -1;
        m_refreshDevicePositions = 0;
        m_refreshBoundAnnotations = 0;
        m_graph->SetDirty();
        return result;
    } catch (const std::exception& error) {
        if (reason)
            *reason = QString::fromLocal8Bit(error.what());
    } catch (...) {
        if (reason)
            *reason = QStringLiteral("The graph's data is not in a form this program knows.");
    }
    if (StartsAsCurrentLayout(contents))
        return LoadResult::Damaged;

    // Not the current layout: the older-file reader, on top of a new document. Only a file with
    // the older layout's marker is one; anything else (a picture, a text, a cut or altered
    // current file) is refused, so that a later save cannot overwrite it with an empty graph.
    graph = std::make_unique<KTGraph3>();
    graph->Reset(m_defaults);
    KTOptionGraph3 factory;
    const KTOptionGraph3& defaults = m_defaults ? *m_defaults : factory;
    const KTLegacyFileResult legacy = KTLegacyFileReader().ReadLegacyFile(contents, graph->Data(), defaults);
    if (!legacy.marked) {
        if (reason)
            *reason = QStringLiteral("It is not a graph of this program or of its older versions.");
        return LoadResult::Damaged;
    }
    if (legacy.integral)
        graph->AddIntegral(*legacy.integral, false);
    if (legacy.tangent)
        graph->AddDerivative(*legacy.tangent, false);
    m_graph.swap(graph);
    m_graph->SetDirty();
    m_annotations.RemoveAll();
    m_windowRect = legacy.windowRect;
    m_refreshDevicePositions = 0;
    m_refreshBoundAnnotations = 0;
    if (reason)
        reason->clear();
    return LoadResult::Legacy;
}

bool KTG300Doc::OnOpenDocument(const QString& path)
{
    const KTCompoundFile::ReadResult file = KTCompoundFile::ReadContents(path);
    if (!file.ok) {
        KTMessageBox(kCaption, Local(CannotOpenMessage(path, file)), MB_OK | MB_ICONERROR);
        return false;
    }
    QString reason;
    QStringList notices;
    if (LoadStreams(file, &reason, &notices) == LoadResult::Damaged) {
        KTMessageBox(
            kCaption,
            Local(QStringLiteral("The file %1 is damaged and cannot be opened.\n%2").arg(path, reason)),
            MB_OK | MB_ICONERROR);
        return false;
    }
    m_pathName = QFileInfo(path).absoluteFilePath();
    SetModifiedFlag(false);
    emit titleChanged();
    if (!notices.isEmpty())
        KTMessageBox(kCaption,
                     Local(QStringLiteral("The file %1 is damaged, but its graph with its tangents and "
                                          "integrals could be read and is open.\n%2")
                               .arg(path, notices.join(QLatin1Char('\n')))),
                     MB_OK | MB_ICONWARNING);
    return true;
}

bool KTG300Doc::OnSaveDocument(const QString& path)
{
    emit aboutToSave();
    QString error;
    const std::vector<std::uint8_t> ranges = StoreConstantRanges();
    const std::vector<std::uint8_t> separators = StoreSeparators();
    if (!KTCompoundFile::WriteContents(path, StoreContents(), error, &ranges, &separators)) {
        KTMessageBox("File Save Error", Local(QStringLiteral("Unable to write file %1\n%2").arg(path, error)),
                     MB_OK | MB_ICONERROR);
        return false;
    }
    m_pathName = QFileInfo(path).absoluteFilePath();
    SetModifiedFlag(false);
    emit titleChanged();
    return true;
}

std::vector<std::uint8_t> KTG300Doc::StoreConstantRanges()
{
    KTArchive ar;
    m_graph->Data().SerializeConstantRanges(ar);
    return ar.Data();
}

bool KTG300Doc::LoadConstantRanges(const std::vector<std::uint8_t>& ranges)
{
    try {
        KTArchive ar(ranges);
        m_graph->Data().SerializeConstantRanges(ar);
        return true;
    } catch (...) {
        return false;
    }
}

std::vector<std::uint8_t> KTG300Doc::StoreSeparators()
{
    const KTTextSeparators user = KTTextSeparators::User();
    KTArchive ar;
    ar.WriteBeginTag(kSeparatorsTag, kSeparatorsVersion);
    ar << user.m_decimal << user.m_list << user.m_part;
    ar.WriteEndTag(kSeparatorsTag);
    return ar.Data();
}

bool KTG300Doc::LoadSeparators(const std::vector<std::uint8_t>& record, KTTextSeparators& separators)
{
    try {
        KTArchive ar(record);
        WORD version = 0;
        KTTextSeparators read;
        if (!ar.ReadBeginTag(kSeparatorsTag, version) || version != kSeparatorsVersion)
            return false;
        ar >> read.m_decimal >> read.m_list >> read.m_part;
        if (!ar.ReadEndTag(kSeparatorsTag) || !read.IsUsable())
            return false;
        separators = read;
        return true;
    } catch (...) {
        return false;
    }
}

KTG300Doc::LoadResult KTG300Doc::LoadStreams(const KTCompoundFile::ReadResult& file, QString* reason,
                                             QStringList* notices)
{
    QString why;
    const LoadResult result = LoadContents(file.contents, &why);
    if (result == LoadResult::Salvaged && notices)
        notices->append(why);
    if (reason)
        *reason = result == LoadResult::Salvaged ? QString() : why;
    const bool current = result == LoadResult::Current || result == LoadResult::Salvaged;
    if (current && file.hasConstantRanges && !LoadConstantRanges(file.constantRanges) && notices)
        notices->append(QStringLiteral(
            "The family constants stored with it could not be read; they start at their defaults."));
    if (current && file.hasSeparators) {
        // Texts written on a machine with other separators read there as typed, and here as
        // the user would type them here.
        KTTextSeparators written;
        if (LoadSeparators(file.separators, written)) {
            const KTTextSeparators user = KTTextSeparators::User();
            m_graph->Data().TranslateSeparators(written, user);
            m_annotations.TranslateSeparators(written, user);
        } else if (notices) {
            notices->append(QStringLiteral("The separators its equations were written with could not be "
                                           "read; they are read with yours."));
        }
    }
    return result;
}

bool KTG300Doc::IsConstantUsed(int code) const
{
    if (m_graph->FunctionsUseConstant(code))
        return true;
    const CString name = ConstantName(code);
    if (name.IsEmpty())
        return false;
    const KTGraphData3& data = m_graph->Data();
    return data.m_derivatives.UsesName(name) || data.m_integrals.UsesName(name);
}

void KTG300Doc::DrawDocument(KTDC& dc)
{
    m_graph->Draw(dc, &m_substitutions);
    DrawAnnotations(dc);
}

void KTG300Doc::RefreshBoundAnnotation(KTGAnnotation& annotation)
{
    KTGraphData3& data = m_graph->Data();
    KTTipInfo text;
    text.SetHotRect(annotation.m_text.GetHotRect().left, annotation.m_text.GetHotRect().top,
                    annotation.m_text.GetHotRect().right, annotation.m_text.GetHotRect().bottom);
    const int index = annotation.m_boundId1;
    // The lists answer for their selected record: the bound one is taken for the moment, and
    // the user's selection is put back after. The lines are those of the tip it was made from.
    if (annotation.m_boundCode == KTGAnnotation::BoundTangent) {
        KTDerivativeList& tangents = data.m_derivatives;
        if (index < 0 || index >= tangents.GetCount())
            return;
        const int selected = std::exchange(tangents.m_selectedIndex, index);
        text.AddMarkedText(tangents.SelectedLabel());
        text.AddMarkedText(tangents.SelectedLineText());
        annotation.m_anchorPosition = tangents.TangentPointAt(tangents.GetAt(index).m_point);
        tangents.m_selectedIndex = selected;
    } else if (annotation.m_boundCode == KTGAnnotation::BoundIntegral) {
        KTIntegralList& integrals = data.m_integrals;
        if (index < 0 || index >= integrals.GetCount())
            return;
        const int selected = std::exchange(integrals.m_selectedIndex, index);
        text.AddMarkedText(integrals.SelectedLabel());
        if (integrals.SelectedShowsArea())
            text.AddMarkedText(integrals.SelectedAreaLabel());
        annotation.m_anchorPosition = integrals.SelectedLabelPoint();
        integrals.m_selectedIndex = selected;
    } else {
        // A curve without a marked point gives nothing to follow.
        if (annotation.m_boundCode <= 0)
            return;
        const KTMarker marker =
            m_graph->FindMarker(annotation.m_boundFunction, annotation.m_boundId1, annotation.m_boundId2);
        // The search answers kind -1 when the point is gone (the function changed), and a point
        // of another kind in its place is not the one the annotation names: the annotation keeps
        // its text and anchor until its point comes back.
        if (marker.m_kind != annotation.m_boundCode)
            return;
        for (const CString& line : PlaceLines(marker, annotation.m_boundFunction, data))
            text.AddText(line);
        annotation.m_anchorPosition = marker.m_point;
    }
    annotation.m_text = text;
}

void KTG300Doc::DrawAnnotations(KTDC& dc)
{
    KTAxes& axes = m_graph->Axes();
    // An annotation goes with the point it belongs to: hidden while the view does not hold it,
    // as a tangent's point is. Its box, wherever it was put, is kept inside the plot (below).
    auto remap = [&axes](KTGAnnotation& annotation) {
        const CPoint corner = axes.GraphToDevice(annotation.m_textPosition, 0, 0);
        const int width = annotation.m_textRect.Width();
        const int height = annotation.m_textRect.Height();
        annotation.m_textRect = CRect(corner.x, corner.y, corner.x + width, corner.y + height);
        annotation.m_anchor = axes.GraphToDevice(annotation.GetGraphPoint(), 0, 0);
        annotation.m_hidden = axes.InView(annotation.PlacePoint()) ? 0 : 1;
    };
    if (m_refreshDevicePositions) {
        for (KTGAnnotation& annotation : m_annotations.m_annotations)
            remap(annotation);
        m_refreshDevicePositions = 0;
    }
    if (m_refreshBoundAnnotations) {
        for (KTGAnnotation& annotation : m_annotations.m_annotations) {
            if (!annotation.m_bound)
                continue;
            RefreshBoundAnnotation(annotation);
            remap(annotation);
        }
        m_refreshBoundAnnotations = 0;
    }
    const CRect plot = axes.PlotRect();
    m_annotations.Draw(dc, m_substitutions, plot.Width() > 0 && plot.Height() > 0 ? &plot : nullptr);
}

void KTG300Doc::PrepareForPicture(KTDC& dc)
{
    m_graph->Layout(dc);
    m_annotations.DeselectAll();
    KTGraphData3& data = m_graph->Data();
    data.m_derivatives.DeselectAll();
    data.m_integrals.SetGraph(&m_graph->Axes());
    KTIntegralCalculation::CalculateAll(data.m_integrals, data, &m_substitutions);
    m_refreshDevicePositions = 1;
}

void KTG300Doc::CopyToClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        KTMessageBox(kCaption, "Cannot open the Clipboard");
        return;
    }
    const KTG300App* app = KTGetApp();
    const CSize size = app ? app->m_lastGraphSize : CSize(10000, 10000);
    constexpr int dpi = 96;
    const QSize pixels(std::max(1, static_cast<int>(std::abs(size.cx) * dpi / 2540.0 + 0.5)),
                       std::max(1, static_cast<int>(std::abs(size.cy) * dpi / 2540.0 + 0.5)));
    auto prepare = [&](KTDC& dc) {
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetTextAlign(0);
        dc.SetWindowOrg(0, 0);
        PrepareForPicture(dc);
        DrawDocument(dc);
    };

    QByteArray svg;
    {
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setResolution(dpi);
        generator.setSize(pixels);
        generator.setViewBox(QRect(QPoint(0, 0), pixels));
        generator.setTitle(GetTitle());
        KTDC dc(&generator);
        prepare(dc);
    }
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
        image.fill(Qt::white);
        KTDC dc(&image);
        prepare(dc);
    }
    if (svg.isEmpty() || image.isNull()) {
        KTMessageBox(kCaption, "Unable to set Clipboard data");
        return;
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    mime->setImageData(image);
    clipboard->setMimeData(mime);
}

std::unique_ptr<KTG300SrvrItem> KTG300Doc::OnGetEmbeddedItem()
{
    return std::make_unique<KTG300SrvrItem>(*this);
}

std::vector<std::pair<CString, CString>> KTG300Doc::TakePendingMessages()
{
    std::vector<std::pair<CString, CString>> messages;
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot)
        for (const KTInputMessage& message : m_graph->Data().Function(slot).TakePendingMessages())
            messages.emplace_back(message.caption, message.text);
    for (const KTInputMessage& message : m_graph->TakePendingMessages())
        messages.emplace_back(message.caption, message.text);
    return messages;
}
