#pragma once
// Writing a whole file safely: through a temporary file in the same folder that is renamed over
// the target only once complete, so that a failure leaves the previous file as it was. A failure
// says why in the system's own words ("No space left on device"), also where a write stopped
// short without an error of its own, and a write the disk refuses is never taken for a file
// written.

#include <QString>

#include <cstddef>

struct KTSaveResult
{
    /// Where the write stopped.
    enum class Stage {
        Written, ///< the file holds the bytes
        Open,    ///< the temporary file could not be made (no such folder, no permission)
        Write,   ///< the bytes could not all be written (a full disk, a file-size limit)
        Commit,  ///< they could not be flushed or the file put in place
    };
    Stage stage = Stage::Written;
    /// The system's words for the failure; empty when written.
    QString cause;

    bool Ok() const { return stage == Stage::Written; }
};

/// Writes size bytes at data as the whole file at path.
KTSaveResult KTWriteWholeFile(const QString& path, const void* data, std::size_t size);
