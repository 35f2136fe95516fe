#pragma once
// The ".kt3" file: an OLE compound file (structured storage) whose stream "Contents" holds the
// document's archive, whose stream "ConstantRanges", when present, holds the family constants
// of the ten functions, and whose stream "Separators", when present, says which separators its
// typed texts were written with (KTG300Doc documents the three forms). A file that is not a compound file is
// taken as the "Contents" stream itself, which is how files of the older, flat layout reach their
// reader; such a file has no constant ranges.

#include <QString>

#include <cstdint>
#include <vector>

class KTCompoundFile
{
public:
    /// The name of the stream that holds the archive.
    static constexpr const char* StreamName = "Contents";
    /// The name of the stream that holds the family constants' ranges. Files written before it
    /// existed have none and open as they always did.
    static constexpr const char* RangesStreamName = "ConstantRanges";
    /// The name of the stream that records the separators of the document's typed texts. Files
    /// written before it existed have none and open as they always did.
    static constexpr const char* SeparatorsStreamName = "Separators";
    /// Archives beyond this size are refused when reading (a document is a few kilobytes).
    static constexpr std::size_t MaxContentsSize = 64u * 1024u * 1024u;
    /// The module that reads and builds the storage (KTCompoundStorage), beside the program; it is
    /// loaded with the first compound file read or built, and the storage library with it.
    static constexpr const char* StorageModuleName = "libktgraph3-storage.so";

    enum class Kind {
        Compound, ///< a compound file; the bytes are its "Contents" stream
        Flat,     ///< not a compound file; the bytes are the file itself
    };

    /// Why a file could not be read.
    enum class Failure {
        None,       ///< it was read
        CannotOpen, ///< the file could not be opened or read at all (missing, no permission)
        Damaged,    ///< its bytes are no readable graph file: a damaged storage, no "Contents"
    };

    struct ReadResult
    {
        bool ok = false;
        Kind kind = Kind::Flat;
        std::vector<std::uint8_t> contents;
        /// True when the file holds the stream "ConstantRanges"; its bytes are then in
        /// constantRanges (empty when the stream itself could not be read).
        bool hasConstantRanges = false;
        std::vector<std::uint8_t> constantRanges;
        /// True when the file holds the stream "Separators"; its bytes are then in separators.
        bool hasSeparators = false;
        std::vector<std::uint8_t> separators;
        Failure failure = Failure::None;
        /// Why reading failed, in the program's words, for the user; empty on success.
        QString error;
        /// The storage library's or the system's own words about the failure, when it gave
        /// any: a detail that may follow the program's message.
        QString detail;
    };

    /// What reads and builds the storage (the functions of KTCompoundStorage).
    using StorageRead = void (*)(const std::vector<std::uint8_t>& fileBytes, ReadResult& result);
    using StorageBuild = bool (*)(const std::vector<std::uint8_t>& contents,
                                  const std::vector<std::uint8_t>* constantRanges,
                                  const std::vector<std::uint8_t>* separators,
                                  std::vector<std::uint8_t>& out);
    /// Reads and builds compound files with these functions instead of loading the module: for a
    /// program that links the storage in (a fuzzing harness). Call it before the first compound file.
    static void UseStorage(StorageRead read, StorageBuild build);
    /// Whether the storage is at hand in this process (the module loaded, or one given).
    static bool IsStorageLoaded();

    /// True when the bytes start with the compound-file signature D0 CF 11 E0 A1 B1 1A E1.
    static bool HasSignature(const std::vector<std::uint8_t>& fileBytes);

    /// The archive held by the file's bytes: the "Contents" stream of a compound file, or the
    /// bytes themselves for anything else; with the "ConstantRanges" stream when the compound
    /// file holds one. A compound file that cannot be read or has no "Contents" stream fails as
    /// Damaged; one the program has no module to read fails as CannotOpen.
    static ReadResult ParseContents(const std::vector<std::uint8_t>& fileBytes);
    /// ParseContents of the file at the path; a missing or unreadable file fails as CannotOpen,
    /// an oversized one as Damaged.
    static ReadResult ReadContents(const QString& path);

    /// A compound file whose stream "Contents" holds the bytes, with the stream "ConstantRanges"
    /// holding constantRanges and the stream "Separators" holding separators when given; false
    /// (out empty) when the storage cannot be built.
    static bool BuildCompoundFile(const std::vector<std::uint8_t>& contents, std::vector<std::uint8_t>& out,
                                  const std::vector<std::uint8_t>* constantRanges = nullptr,
                                  const std::vector<std::uint8_t>* separators = nullptr);
    /// Writes BuildCompoundFile's result through a temporary file in the same folder that is
    /// renamed over the target only once complete, so a failure never loses the previous file.
    /// False with the reason in error when anything fails.
    static bool WriteContents(const QString& path, const std::vector<std::uint8_t>& contents, QString& error,
                              const std::vector<std::uint8_t>* constantRanges = nullptr,
                              const std::vector<std::uint8_t>* separators = nullptr);
};
