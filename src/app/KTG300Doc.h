#pragma once
// A graph document: one graph, its annotations, the variable-substitution table and the main
// window's rectangle. It stores them in the ".kt3" file, falls back to the older-file reader for
// files of the older layout, draws itself on any device context and copies a picture of itself
// to the clipboard.
//
// The ".kt3" file is a compound file of three streams:
// - "Contents", the archive (also the data of an embedded object): the window rectangle (four
//   int32), the graph (tagged "KTGraphData3"), the annotation list (tagged "KTGAnnotationList").
//   Its form is fixed: files of every version of the program read it.
// - "ConstantRanges", the family constants, which the archive has no place for: the tagged
//   record "KTFunctionConstantRanges", version 1, of KTGraphData3::SerializeConstantRanges:
//       offset  size  content
//       0       25    the tag: its length 24 as one byte, then "KTFunctionConstantRanges"
//       25      2     the version, uint16 1
//       27      1     the graph's family flag: 1 when every function is drawn as a family
//       28      1600  functions 0-9 in order, each the five constants a, b, c, d, m in order,
//                     each four doubles: from, to, step, current value
//       1628    27    the end tag: its length 26, then "/KTFunctionConstantRanges/"
//   All numbers little-endian. A file without this stream (written before it existed, or a
//   flat file of the older layout) opens with the constants at their defaults, as it always
//   did; a stream that cannot be read does too, and the user is told.
// - "Separators", the decimal, list and part separators that the typed texts (equations,
//   domains, bounds, ranges) were written with, which differ between locales ("y=x^2; [0, 1.5]"
//   is "y=x^2: [0; 1,5]" where the decimal separator is ","): the tagged record
//   "KTTextSeparators", version 1:
//       offset  size  content
//       0       17    the tag: its length 16 as one byte, then "KTTextSeparators"
//       17      2     the version, uint16 1
//       19      3     the decimal, list and part separators, one character each
//       22      19    the end tag: its length 18, then "/KTTextSeparators/"
//   A document is saved with the user's separators and this record; a file whose record names
//   others has its texts rewritten with the user's as it opens. A file without the stream is
//   read with the user's separators, as it always was; one whose stream cannot be read is too,
//   and the user is told.
// The variable substitutions and the view's state are not stored.

// The model's headers reach standard headers that the meta-object compiler cannot parse.
#ifndef Q_MOC_RUN
#include "app/KTCompoundFile.h"
#include "foundation/KTVariableSubstitutions.h"
#include "graph/KTGAnnotationList.h"
#include "platform/KTGdiTypes.h"
#endif

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class KTArchive;
class KTDC;
class KTG300SrvrItem;
class KTGraph3;
class KTOptionGraph3;
struct KTTextSeparators;

class KTG300Doc : public QObject
{
    Q_OBJECT

public:
    /// How LoadContents took an archive.
    enum class LoadResult {
        Current,  ///< the current layout
        Salvaged, ///< the current layout whose graph read whole but whose annotations did not:
                  ///< the annotations that still read are kept, the others left out
        Legacy,   ///< an older-layout file (with its marker): read by the older-file reader
        Damaged,  ///< neither of the two, or the current layout's graph failing: nothing changed
    };

    /// The window rectangle of a new document.
    static constexpr CRect NewWindowRect{50, 50, 600, 600};
    /// Codes of the family constants for IsConstantUsed: 7 "a", 8 "b", 9 "c", 10 "d", 11 "m".
    static const char* ConstantName(int code);

    /// A new document whose graph takes the given defaults (the factory defaults when null).
    explicit KTG300Doc(const KTOptionGraph3* defaults = nullptr);
    ~KTG300Doc() override;
    KTG300Doc(const KTG300Doc&) = delete;
    KTG300Doc& operator=(const KTG300Doc&) = delete;

    /// Back to the new-document state: the graph reset with the defaults, no annotations,
    /// flags 0, indices -1, the new window rectangle, no path, not modified.
    bool OnNewDocument();
    /// Reads the file; on success the document holds it, takes its path and is not modified.
    /// On failure the user is told (the message names the file) and nothing has changed. A file
    /// whose graph opens but from which some part could not be read (annotations, constant
    /// ranges) opens without that part, and the user is told what was left out.
    bool OnOpenDocument(const QString& path);
    /// Writes the current layout (every stream) through a temporary file renamed into place; on
    /// success the document takes the path and is not modified. A failure is reported under
    /// "File Save Error" and leaves the previous file as it was. aboutToSave is emitted first.
    bool OnSaveDocument(const QString& path);

    /// The archive of the document (the stream "Contents").
    std::vector<std::uint8_t> StoreContents();
    /// Takes an archive: the current layout replaces the graph, the annotations and the window
    /// rectangle and resets the three indices; a file of the older layout (its marker at offset
    /// 64) is read by the older-file reader on top of the new-document state; anything else
    /// changes nothing and is Damaged, with the reason for the user. A current layout whose
    /// annotations cannot all be read is Salvaged, and the reason then says, for the user, what
    /// was left out. Never throws.
    LoadResult LoadContents(const std::vector<std::uint8_t>& contents, QString* reason = nullptr);
    /// The family constants of the ten functions (the stream "ConstantRanges").
    std::vector<std::uint8_t> StoreConstantRanges();
    /// Takes the family constants of a "ConstantRanges" stream; false, with nothing changed,
    /// when they cannot be read. Never throws.
    bool LoadConstantRanges(const std::vector<std::uint8_t>& ranges);
    /// The record of the separators the document's texts are written with: the user's (the
    /// stream "Separators").
    static std::vector<std::uint8_t> StoreSeparators();
    /// The separators of a "Separators" stream; false when it cannot be read or names no usable
    /// separators. Never throws.
    static bool LoadSeparators(const std::vector<std::uint8_t>& record, KTTextSeparators& separators);
    /// Takes what a file read gave, as opening it does but telling no one: LoadContents of the
    /// archive, then, for the current layout, the constant ranges when the file holds them and
    /// its texts rewritten with the user's separators when it records others.
    /// `reason` as LoadContents; `notices` receives, for the user, each part that was left out.
    LoadResult LoadStreams(const KTCompoundFile::ReadResult& file, QString* reason = nullptr,
                           QStringList* notices = nullptr);
    /// Stores or loads through an archive (the embedded item's data); loading as LoadContents.
    void Serialize(KTArchive& ar);

    /// The graph (with the document's substitutions), then the annotations.
    void DrawDocument(KTDC& dc);
    /// Refreshes the annotations as the refresh flags ask, then draws them.
    void DrawAnnotations(KTDC& dc);
    /// Whether the family constant of the code is used by a function, a tangent's x text or an
    /// integral's bounds.
    bool IsConstantUsed(int code) const;
    /// Lays the graph out for the device context and prepares it for a picture of its own:
    /// nothing selected, integrals calculated, annotation positions recomputed.
    void PrepareForPicture(KTDC& dc);
    /// Puts the graph at the last graph size on the clipboard as SVG and PNG; the clipboard
    /// messages on failure.
    void CopyToClipboard();
    /// A new server item for the document.
    std::unique_ptr<KTG300SrvrItem> OnGetEmbeddedItem();
    /// The Functions command: Quick Entry on a copy of the graph data. After OK the copy
    /// replaces the graph data (nothing is interpreted until the next paint), the graph is marked
    /// for recalculation, the document modified and the views updated. True after OK.
    bool EditFunctions(QWidget* parent = nullptr);
    /// The Function Properties dialog on a copy of the graph data at the function number (1..10;
    /// any other opens function 1) with the application's defaults; after OK the copy replaces
    /// the data, changed defaults are saved and the document is marked modified; Cancel leaves
    /// the document as it was. True after OK.
    bool EditFunctionProperties(int functionNumber, QWidget* parent = nullptr);

    // ---- framework state ----------------------------------------------------------------------
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true);
    const QString& GetPathName() const { return m_pathName; }
    /// The file's name, or "KTGraph" and a number for a document never saved.
    QString GetTitle() const;
    /// Asks the views to repaint and the main window to move to the stored rectangle.
    void UpdateAllViews();
    /// Messages interpretation recorded during the last paint, for the view to show after it.
    std::vector<std::pair<CString, CString>> TakePendingMessages();

    KTGraph3& Graph() { return *m_graph; }
    const KTGraph3& Graph() const { return *m_graph; }
    const KTOptionGraph3* Defaults() const { return m_defaults; }

    KTGAnnotationList m_annotations;
    std::int32_t m_annotationIndex = -1; ///< hit by the last click in the view; -1 none
    std::int32_t m_integralIndex = -1;
    std::int32_t m_tangentIndex = -1;
    /// The main window's screen rectangle when the document was last drawn or read.
    CRect m_windowRect = NewWindowRect;
    /// Recompute the annotations' device positions from their graph points at the next drawing.
    BYTE m_refreshDevicePositions = 0;
    /// Refresh the bound annotations from their graph objects at the next drawing.
    BYTE m_refreshBoundAnnotations = 0;
    KTVariableSubstitutions m_substitutions;

signals:
    /// Emitted before the document is stored to a file: a view puts back into the graph what it
    /// holds for it (the constants' current values that its panels show).
    void aboutToSave();
    void modifiedChanged(bool modified);
    void titleChanged();
    /// UpdateAllViews: repaint, and move the main window to the stored rectangle.
    void updated();

private:
    void ResetToNew();
    void RefreshBoundAnnotation(KTGAnnotation& annotation);

    const KTOptionGraph3* m_defaults;
    std::unique_ptr<KTGraph3> m_graph;
    bool m_modified = false;
    QString m_pathName;
    int m_untitledNumber = 0;
};
