#pragma once
// The ".kt3" file: an OLE compound file (structured storage) whose stream "Contents" holds the
// document's archive. A file that is not a compound file is taken as the stream itself, which is
// how files of the older, flat layout reach their reader.

#include <QString>

#include <cstdint>
#include <vector>

class KTCompoundFile
{
public:
    /// The name of the stream that holds the archive.
    static constexpr const char* StreamName = "Contents";
    /// Archives beyond this size are refused when reading (a document is a few kilobytes).
    static constexpr std::size_t MaxContentsSize = 64u * 1024u * 1024u;

    enum class Kind {
        Compound, ///< a compound file; the bytes are its "Contents" stream
        Flat,     ///< not a compound file; the bytes are the file itself
    };

    struct ReadResult
    {
        bool ok = false;
        Kind kind = Kind::Flat;
        std::vector<std::uint8_t> contents;
        /// Why reading failed, for the user; empty on success.
        QString error;
    };

    /// True when the bytes start with the compound-file signature D0 CF 11 E0 A1 B1 1A E1.
    static bool HasSignature(const std::vector<std::uint8_t>& fileBytes);

    /// The archive held by the file's bytes: the "Contents" stream of a compound file, or the
    /// bytes themselves for anything else. A compound file that cannot be read or has no
    /// "Contents" stream fails.
    static ReadResult ParseContents(const std::vector<std::uint8_t>& fileBytes);
    /// ParseContents of the file at the path; a missing, unreadable or oversized file fails.
    static ReadResult ReadContents(const QString& path);

    /// A compound file of one stream "Contents" holding the bytes; false (out empty) when the
    /// storage cannot be built.
    static bool BuildCompoundFile(const std::vector<std::uint8_t>& contents, std::vector<std::uint8_t>& out);
    /// Writes BuildCompoundFile's result through a temporary file in the same folder that is
    /// renamed over the target only once complete, so a failure never loses the previous file.
    /// False with the reason in error when anything fails.
    static bool WriteContents(const QString& path, const std::vector<std::uint8_t>& contents, QString& error);
};
